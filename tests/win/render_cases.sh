# The one reader of a module's render cases (<module>/tests/render_cases.txt), sourced by every
# check that renders them. A case is a line of tarn-host render's arguments separated by "|";
# blank lines and lines starting with # are skipped. A line "stream NAME = ..." declares an input
# stream (render_streams.py writes it), and {NAME} in a case stands for its file.
#   render_cases CASES DIR EACH    writes the streams into DIR, then runs EACH with the arguments
#                                  of every case in turn (on the caller's standard input, not the
#                                  file's, so a program EACH starts cannot eat the cases)
render_cases() {
  local cases=$1 dir=$2 each=$3 line stream
  local -a args streams
  mapfile -t streams < <(python3 "$(dirname "${BASH_SOURCE[0]}")/render_streams.py" "$cases" "$dir")
  while IFS= read -r line <&7; do
    case "$line" in ''|'#'*|'stream '*) continue ;; esac
    for stream in "${streams[@]}"; do
      line=${line//\{$stream\}/$dir/$stream.f32}
    done
    IFS='|' read -r -a args <<< "$line"
    "$each" "${args[@]}"
  done 7< "$cases"
}
