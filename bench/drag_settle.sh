#!/usr/bin/env bash
# How long the viewer's picture keeps moving after the hand stops: the real viewer on a
# private Xvfb, a fast left drag of ~100 motion events in one second (xdotool, button
# held), and the window's pixels polled (orvex-window-watch) until they stop changing.
# Prints, per run, the time in seconds from the last motion event to the first capture
# that shows the final picture (negative: final before xdotool had exited, which takes a
# few ms), how long the drag took, the mean time between captures (the resolution) and
# between the pictures seen while dragging (about a frame time, for frames slower than that).
# Not a test: the figures depend on the machine and its load.
#
#   bench/drag_settle.sh [-b BIN] [-r RUNS] [-w WIDTH] [MODEL...]
#     BIN    the orvex binary (default build/release/bin/orvex); the poller is taken
#            from build/release/bin whichever viewer is measured
#     RUNS   drags per model (default 3); WIDTH the window's size (default 700)
#     MODEL  default: c8 omnitruncated-120-cell
# Needs xvfb and xdotool.
set -euo pipefail

bin="$(cd "$(dirname "$0")/.." && pwd)/build/release/bin/orvex"
watch="$(dirname "$bin")/orvex-window-watch"
runs=3
width=700
while getopts "b:r:w:" opt; do
  case $opt in
    b) bin=$(realpath "$OPTARG") ;;
    r) runs=$OPTARG ;;
    w) width=$OPTARG ;;
    *) sed -n '2,12p' "$0"; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
models=("$@")
[ ${#models[@]} -gt 0 ] || models=(c8 omnitruncated-120-cell)
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "drag_settle: $tool is not installed" >&2; exit 1; }
done
for program in "$bin" "$watch"; do
  [ -x "$program" ] || { echo "drag_settle: $program: no such program" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/display" \
  2>"$work/xvfb.err" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "drag_settle: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

now() { date +%s.%N; }

# One drag: prints the seconds from the last motion event to the final picture.
settle_once() {
  local model=$1
  echo "Width $width" >"$work/orvex.cfg"
  (cd "$work" && exec "$bin" "$model" -n settle) 2>"$work/viewer.err" &
  viewer_pid=$!
  local window
  window=$(timeout 30 xdotool search --sync --name '^settle$' | head -1)
  xdotool windowmove --sync "$window" 0 0
  # Wait for the first frame to stand still.
  sleep 1
  touch "$work/ready"
  "$watch" "$window" "$work/ready" 1 >/dev/null

  # 100 moves of 5 px, 10 ms apart, the button held throughout.
  local args=(mousemove --window "$window" 100 350 mousedown 1)
  for i in $(seq 1 100); do
    args+=(sleep 0.01 mousemove --window "$window" $((100 + 5 * i)) 350)
  done
  rm -f "$work/done"
  local started
  started=$(now)
  # The time is written as soon as xdotool has sent the last event.
  (xdotool "${args[@]}" && now >"$work/done") &
  local drag_pid=$!

  # Poll while the drag runs and until the picture has not changed for 2 s after it.
  local final interval frame
  read -r final interval frame < <("$watch" "$window" "$work/done" 2)
  wait "$drag_pid" || true
  # Released, or the next viewer would never see its press.
  xdotool mouseup 1
  kill "$viewer_pid" 2>/dev/null || true
  wait "$viewer_pid" 2>/dev/null || true
  viewer_pid=
  local done_at
  done_at=$(cat "$work/done")
  awk -v f="$final" -v d="$done_at" -v s="$started" -v i="$interval" -v p="$frame" \
    'BEGIN { printf "%.3f  (drag %.2f s, a capture every %.0f ms, a new picture every %.0f ms)\n",
             f - d, d - s, i, p }'

}

echo "viewer: $bin; Width $width; $runs drags per model; $(nproc) cores"
for model in "${models[@]}"; do
  figures=()
  for run in $(seq "$runs"); do
    line=$(settle_once "$model")
    echo "$model drag $run: final picture $line"
    figures+=("${line%% *}")
  done
  median=$(printf '%s\n' "${figures[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  echo "$model: median $median s from the last motion event to the final picture"
done
