#!/bin/bash
# orvex-render's export goals, timed on the real binary (the whole run: model load,
# building the meshes or the figure, writing the file):
#   - c120 as a strut model to STL: at most 1 s;
#   - the omnitruncated 120-cell's drawn cells to GLB: at most 1.5 s;
#   - c120 with edges to SVG: at most 0.5 s and 1.5 MB.
# Each figure is the best of three runs, wall clock and CPU (user + system), so a busy
# machine shows as wall far above CPU. Prints each with its goal; not run by CI.
#   bench/export_bench.sh [BUILD_DIR]      (default build/release)
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)
render=$build/bin/orvex-render
work=$(mktemp -d /tmp/orvex-export-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "DataDir $build/share/orvex/models" >"$work/orvex.cfg"
cd "$work"

best() {  # best OUTPUT ARGS...: "wall cpu" seconds, the best of three runs
  local output=$1 wall cpu bestWall=999 bestCpu=999
  shift
  for _ in 1 2 3; do
    read -r wall cpu < <(/usr/bin/time -f "%e %U %S" "$render" "$@" -o "$output" 2>&1 >/dev/null |
      awk '{ print $1, $2 + $3 }')
    bestWall=$(awk "BEGIN { print ($wall < $bestWall) ? $wall : $bestWall }")
    bestCpu=$(awk "BEGIN { print ($cpu < $bestCpu) ? $cpu : $bestCpu }")
  done
  echo "$bestWall $bestCpu"
}
report() {  # report LABEL GOAL_S OUTPUT ARGS...
  local label=$1 goal=$2 output=$3 wall cpu
  shift 3
  read -r wall cpu < <(best "$output" "$@")
  printf '%-44s wall %5.2f s  cpu %5.2f s  (goal %s s)  %7.2f MB\n' "$label" "$wall" "$cpu" \
    "$goal" "$(awk "BEGIN { print $(stat -c %s "$output") / 1048576 }")"
}

report "c120 --struts -> STL" 1 struts.stl c120 --struts
report "c120 --cells all --struts -> STL" 1 all-struts.stl c120 --cells all --struts
report "omnitruncated-120-cell cells -> GLB" 1.5 cells.glb omnitruncated-120-cell
report "c120 --edges -> SVG (goal 1.5 MB)" 0.5 edges.svg c120 --edges --fit
