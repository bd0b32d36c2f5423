#!/usr/bin/env bash
# Draws the README's picture of the LV2 plug-ins as a host lists them: lv2info's ports of every
# bundle in dist/plugins/lv2 (for DAWs) and dist/plugins/lv2-cv (the modular form), condensed to
# one line a port, with a control port's range and default, in docs/lv2_ports.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
text=$(mktemp)
trap 'rm -f "$text"' EXIT
{
  for form in lv2 lv2-cv; do
    for uri in $(LV2_PATH=$root/dist/plugins/$form lv2ls | sort); do
      LV2_PATH=$root/dist/plugins/$form:/usr/lib/lv2 lv2info "$uri" | awk -v uri="$uri" -v form="$form" '
        function flush() { if (line != "") print line range; line = ""; range = "" }
        /^\tName:/ { sub(/^\tName: +/, ""); printf "%s   <%s>   %s/\n", $0, uri, form }
        /^\tPort [0-9]+:/ { flush(); port = $2; types = 1; dir = ""; kind = ""; next }
        types && /#[A-Za-z]+Port$/ { n = split($NF, t, "#"); c = t[n]; sub(/Port$/, "", c)
                                     if (c == "Input" || c == "Output") dir = c; else kind = c; next }
        { types = 0 }
        /^\t\tSymbol:/ { symbol = $2 }
        /^\t\tName:/ { sub(/^\t\tName: +/, ""); line = sprintf("  %-6s %-7s %-8s %-16s %-8s", port, dir, kind, symbol, $0) }
        /^\t\tMinimum:/ { low = $2 + 0 }
        /^\t\tMaximum:/ { high = $2 + 0 }
        /^\t\tDefault:/ { range = sprintf(" %g ... %g, default %g", low, high, $2 + 0) }
        /^\tPresets:/ { flush(); presets = 1; next }
        presets && NF == 0 { presets = 0 }
        presets { count++ }
        END { flush(); if (count) printf "  and %d presets\n", count; print "" }'
    done
  done
} > "$text"
# One label a plug-in, stacked: ImageMagick refuses a label of more than about a kilobyte.
labels=()
while IFS= read -r -d '' block; do labels+=(label:"$block"); done < <(awk -v RS= '{ printf "%s%c", $0, 0 }' "$text")
convert -background white -fill '#202020' -font DejaVu-Sans-Mono -pointsize 15 "${labels[@]}" \
  -gravity north -splice 0x18 -gravity west -append +repage -bordercolor white -border 16 "$root/docs/lv2_ports.png"
echo "docs/lv2_ports.png"
