#!/bin/bash
# orvex-render's picture goals, timed on the real binary (wall clock, the model load
# included where a whole file is the goal):
#   - a 120-frame 400x400 GIF of c120: at most 4 s and 4 MB;
#   - a 120-frame 800x800 MP4 of c120: at most 4 s;
#   - --aa 2 costs at most 3x the plain frame (c120, 800x800);
#   - --cells all --edges on the omnitruncated 120-cell at 800x800 costs at most 3x the
#     default frame.
# A frame's cost is (time of 21 frames - time of 1 frame) / 20, so loading and start-up
# drop out. Prints each figure with its goal; not run by CI.
#   bench/pictures_bench.sh [BUILD_DIR]      (default build/release)
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)
render=$build/bin/orvex-render
work=$(mktemp -d /tmp/orvex-pictures-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "DataDir $build/share/orvex/models" >"$work/orvex.cfg"
cd "$work"

calc() { awk "BEGIN { print $1 }"; }
seconds() {  # seconds COMMAND...: wall time of one run
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  calc "$end - $start"
}
frameMs() {  # frameMs ARGS...: milliseconds a frame of a 20-frame spin adds
  local one many
  one=$(seconds "$render" "$@" --spin xw --frames 1 -o one.png)
  many=$(seconds "$render" "$@" --spin xw --frames 21 -o many.png)
  rm -f one*.png many*.png
  calc "($many - $one) * 1000 / 20"
}
verdict() {  # verdict VALUE LIMIT
  if [ "$(calc "$1 <= $2")" = 1 ]; then echo "ok"; else echo "MISSED"; fi
}

gif=$(seconds "$render" c120 --spin xw,yz --frames 120 --size 400 -o c120.gif)
gifBytes=$(stat -c %s c120.gif)
printf 'GIF c120 120 frames 400x400: %.2f s (goal 4 s, %s), %.2f MB (goal 4 MB, %s)\n' \
  "$gif" "$(verdict "$gif" 4)" "$(calc "$gifBytes / 1000000")" \
  "$(verdict "$gifBytes" 4000000)"
mp4=$(seconds "$render" c120 --spin xw,yz --frames 120 --size 800 -o c120.mp4)
printf 'MP4 c120 120 frames 800x800: %.2f s (goal 4 s, %s), %.2f MB\n' "$mp4" \
  "$(verdict "$mp4" 4)" "$(calc "$(stat -c %s c120.mp4) / 1000000")"

plain=$(frameMs c120 --size 800)
aa=$(frameMs c120 --size 800 --aa 2)
ratio=$(calc "$aa / $plain")
printf 'c120 800x800 frame: plain %.1f ms, --aa 2 %.1f ms: %.2fx (goal 3x, %s)\n' "$plain" "$aa" \
  "$ratio" "$(verdict "$ratio" 3)"

plain=$(frameMs omnitruncated-120-cell --size 800)
all=$(frameMs omnitruncated-120-cell --size 800 --cells all --edges)
ratio=$(calc "$all / $plain")
printf 'omnitruncated-120-cell 800x800 frame: default %.1f ms, --cells all --edges %.1f ms: ' \
  "$plain" "$all"
printf '%.2fx (goal 3x, %s)\n' "$ratio" "$(verdict "$ratio" 3)"
