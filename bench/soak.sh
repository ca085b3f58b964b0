#!/bin/bash
# Soak: the real viewer under a private Xvfb, driven by thousands of random presses,
# drags and releases of buttons 1-3 (xdotool), on a big model. Not run by CI.
#   bench/soak.sh [EVENTS] [MODEL] [WIDTH] [BUILD_DIR]
# Defaults: 10000 events, omnitruncated-120-cell, Width 160, build/release.
# Reports crashes, resident memory at start and end, and whether the window still
# answers: after every batch a click with no movement must stop any spin (the viewer
# goes idle), and at the end a drag released in motion must start one (it draws
# again). Exit status 0 only when the viewer survived and answered.
set -u
cd "$(dirname "$0")/.."
events=${1:-10000}
model=${2:-omnitruncated-120-cell}
width=${3:-160}
build=$(cd "${4:-build/release}" && pwd)
viewer=$build/bin/orvex
title=orvex-soak-$$

work=$(mktemp -d /tmp/orvex-soak-XXXXXX)
xvfb_pid=""
viewer_pid=""
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A private display, chosen by the server itself.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

printf 'DataDir %s\nWidth %s\n' "$build/share/orvex/models" "$width" >"$work/orvex.cfg"
(cd "$work" && exec nice -n 10 "$viewer" "$model" -n "$title" 2>"$work/stderr") &
viewer_pid=$!
window=$(xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
if [ -z "$window" ]; then
  echo "soak: the viewer opened no window: $(cat "$work/stderr")"
  exit 1
fi
xdotool windowmove "$window" 0 0 >/dev/null 2>&1
sleep 0.5

rss() { awk '/^VmRSS/ {print $2}' "/proc/$viewer_pid/status" 2>/dev/null; }
cpu() { awk '{print $14 + $15}' "/proc/$viewer_pid/stat" 2>/dev/null; }
alive() { kill -0 "$viewer_pid" 2>/dev/null; }

rss_start=$(rss)
start=$(date +%s)
# Events go out in batches of one xdotool run each: a press at a random point, a few
# moves (a drag), a release; now and then a release without a press or a press of
# another button while one is held, as hurried hands do. Every batch ends with a click
# of each button without moving, which must stop any spin: the viewer answered the
# batch when it falls idle afterwards. Waiting for that also keeps the backlog of
# events (every motion draws a frame) from outgrowing what a loaded machine can drain.
idle_within() {  # seconds: true once a second passes with at most one tick of CPU
  local c0 c1
  for _ in $(seq "$1"); do
    c0=$(cpu); sleep 1; c1=$(cpu)
    [ -n "$c1" ] && [ $((c1 - c0)) -le 1 ] && return 0
  done
  return 1
}
stop_clicks=()
for b in 1 2 3; do stop_clicks+=(mousemove --window "$window" 50 50 mousedown $b mouseup $b); done
sent=0
batches=0
unanswered=0
refused=0
while [ "$sent" -lt "$events" ] && alive; do
  batch=()
  for _ in $(seq 25); do
    b=$((RANDOM % 3 + 1))
    batch+=(mousemove --window "$window" $((RANDOM % width)) $((RANDOM % width)) mousedown "$b")
    sent=$((sent + 1))
    for _ in $(seq $((RANDOM % 4))); do
      # "--": a negative coordinate (outside the window) is no option.
      batch+=(mousemove --window "$window" -- $((RANDOM % (width + 40) - 20))
              $((RANDOM % (width + 40) - 20)))
      sent=$((sent + 1))
    done
    case $((RANDOM % 8)) in
      0) batch+=(mousedown $((b % 3 + 1)) mouseup $((b % 3 + 1))); sent=$((sent + 2)) ;;
      1) batch+=(mouseup $((b % 3 + 1))); sent=$((sent + 1)) ;;
    esac
    batch+=(mouseup "$b")
    sent=$((sent + 1))
  done
  # One refused word would end the chain early and silently; count such batches.
  xdotool "${batch[@]}" "${stop_clicks[@]}" >/dev/null 2>&1 || refused=$((refused + 1))
  sent=$((sent + 6))
  batches=$((batches + 1))
  idle_within 120 || unanswered=$((unanswered + 1))
done
elapsed=$(($(date +%s) - start))

answers=no
if alive; then
  sleep 1
  rss_end=$(rss)
  # A last stop, then a spin: a drag released while moving must draw again.
  xdotool "${stop_clicks[@]}"
  idle_within 120
  c0=$(cpu); sleep 2; c1=$(cpu)
  # Spin: a drag released while moving.
  xdotool mousemove --window "$window" 40 40 mousedown 1 mousemove --window "$window" 60 55 \
    mousemove --window "$window" 80 70 mouseup 1
  sleep 0.5
  c2=$(cpu); sleep 2; c3=$(cpu)
  idle=$((c1 - c0)); spinning=$((c3 - c2))
  if [ "$unanswered" -eq 0 ] && [ "$refused" -eq 0 ] && [ "$spinning" -gt 5 ] && [ "$idle" -le 2 ] &&
     xdotool getwindowname "$window" >/dev/null 2>&1; then
    answers=yes
  fi
  echo "soak: $sent events in ${elapsed}s on $model at Width $width: viewer alive;" \
       "RSS ${rss_start} kB at start, ${rss_end} kB at end;" \
       "window answers: $answers ($batches batches, $refused cut short by xdotool," \
       "$unanswered not stopped by their" \
       "closing click within 120 s; at the end CPU ticks over 2 s: stopped $idle," \
       "spinning $spinning)"
else
  wait "$viewer_pid"
  status=$?
  echo "soak: the viewer DIED after about $sent events (status $status, signal" \
       "$((status > 128 ? status - 128 : 0))); RSS ${rss_start} kB at start;" \
       "stderr: $(tail -c 400 "$work/stderr")"
  exit 1
fi
[ "$answers" = yes ]
