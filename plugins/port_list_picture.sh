#!/usr/bin/env bash
# Draws the README's picture of the LV2 plug-ins as a host lists them: lv2info's ports of every
# bundle in dist/plugins/lv2, condensed to one line a port, in docs/lv2_ports.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export LV2_PATH=$root/dist/plugins/lv2
text=$(mktemp)
trap 'rm -f "$text"' EXIT
{
  for uri in $(lv2ls | sort); do
    lv2info "$uri" | awk -v uri="$uri" '
      /^\tName:/ { sub(/^\tName: +/, ""); printf "%s   <%s>\n", $0, uri }
      /^\tPort [0-9]+:/ { port = $2; types = 1; dir = ""; kind = ""; next }
      types && /#[A-Za-z]+Port$/ { n = split($NF, t, "#"); c = t[n]; sub(/Port$/, "", c)
                                   if (c == "Input" || c == "Output") dir = c; else kind = c; next }
      { types = 0 }
      /^\t\tSymbol:/ { symbol = $2 }
      /^\t\tName:/ { sub(/^\t\tName: +/, ""); printf "  %-6s %-7s %-8s %-16s %s\n", port, dir, kind, symbol, $0 }
      /^\tPresets:/ { presets = 1; next }
      presets && NF == 0 { presets = 0 }
      presets { count++ }
      END { if (count) printf "  and %d presets, from \"Sine\" to \"Random\"\n", count; print "" }'
  done
} > "$text"
convert -background white -fill '#202020' -font DejaVu-Sans-Mono -pointsize 15 \
  -bordercolor white -border 16 label:"$(cat "$text")" "$root/docs/lv2_ports.png"
echo "docs/lv2_ports.png"
