#!/bin/bash
# Memcheck on orvex-render of the largest model and on a short viewer run under a
# private Xvfb (a drag, a release that spins, then its X connection is closed). Not run by CI.
#   bench/valgrind.sh [BUILD_DIR]      (default build/release)
# Prints valgrind's error summary and leak summary per run, then the leak records
# whose memory orvex's own code allocated (the first frame past the allocator is in
# an orvex binary, directly or through operator new). The GL driver (Mesa, loaded and
# unloaded at run time, so its frames show as ???) keeps allocations it makes inside
# our GL calls to process exit; those records are counted apart. bench/valgrind.supp
# holds the one suppression, for the dynamic loader's own word-sized over-read.
# Exit status 0 when there are no memory errors and no leak records of our own.
set -u
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)
models=$build/share/orvex/models
largest=$(ls -S "$models"/*.poi | head -n1)
largest=$(basename "$largest" .poi)
work=$(mktemp -d /tmp/orvex-valgrind-XXXXXX)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
printf 'DataDir %s\nWidth 96\n' "$models" >"$work/orvex.cfg"

memcheck=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect
          --suppressions="$PWD/bench/valgrind.supp"
          --errors-for-leak-kinds=none --num-callers=40 --error-exitcode=99)
status=0

report() {  # name, log
  local name=$1 log=$2 ours driver
  echo "== $name"
  grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:' "$log" |
    sed 's/^==[0-9]*== */  /'
  # A loss record is ours when its first frame past the allocator (and past operator
  # new) is in an orvex binary; others are the driver's.
  ours=$(awk '/blocks are (definitely|indirectly) lost/ {inrec=1; first=""; next}
              inrec && /by 0x/ && first == "" && !/operator new/ {first=$0}
              inrec && /^==[0-9]+== *$/ {if (first ~ /bin\/orvex|orvex::/) n++; inrec=0}
              END {print n + 0}' "$log")
  driver=$(grep -cE 'blocks are (definitely|indirectly) lost' "$log")
  echo "  leak records: $driver in all, $ours allocated by orvex code (log kept as" \
       "$(basename "$log"))"
  grep -q 'ERROR SUMMARY: 0 errors' "$log" || status=1
  [ "$ours" -eq 0 ] || status=1
  cp "$log" "$build/$(basename "$log")"
}

# orvex-render: load, walk and draw the largest model once.
(cd "$work" && nice -n 10 "${memcheck[@]}" --log-file="$work/valgrind-render.log" \
  "$build/bin/orvex-render" "$largest" --size 64 --turn 0,0.3,0.2,0.4,0,0 -o out.png)
echo "orvex-render exit status $?"
report "orvex-render $largest" "$work/valgrind-render.log"

# The viewer: a few seconds of real events, then its X connection is dropped.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
(cd "$work" && exec nice -n 10 "${memcheck[@]}" --log-file="$work/valgrind-viewer.log" \
  "$build/bin/orvex" c120 -n orvex-valgrind) &
viewer=$!
window=$(timeout 300 xdotool search --sync --onlyvisible --name '^orvex-valgrind$' | head -n1)
if [ -n "$window" ]; then
  sleep 2
  xdotool mousemove --window "$window" 20 20 mousedown 1 mousemove --window "$window" 40 30 \
    mousemove --window "$window" 60 45 mouseup 1 mousedown 3 mousemove --window "$window" 30 60 \
    mouseup 3
  sleep 5
  # Drops the X connection: Xlib then ends the process through exit().
  xdotool windowkill "$window" 2>/dev/null || kill "$viewer"
fi
wait "$viewer"
echo "orvex exit status $?"
report "orvex c120 (drag, spin, X connection dropped)" "$work/valgrind-viewer.log"
exit $status
