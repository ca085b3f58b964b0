#!/bin/sh
# Builds the libFuzzer targets (clang, a separate tree) and runs each in turn, niced,
# for SECONDS each (default 60), or until RUNS executions when RUNS is given.
#   fuzz/run_all.sh [SECONDS] [RUNS] [TARGET...]
# New inputs go to build/fuzz/corpus/<target> (seeded from fuzz/corpus/<target>), so
# the committed seeds only change by hand; crashes land in build/fuzz/artifacts.
# Prints per target: executions, coverage (edges, features) and findings.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
runs=${2:-0}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] && shift
targets=${*:-"model_walk_fuzzer settings_fuzzer off4_fuzzer points_fuzzer render_options_fuzzer"}
build=build/fuzz

if [ ! -f $build/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVEX_FUZZ=ON -DORVEX_BUILD_TESTS=OFF >/dev/null
fi
# shellcheck disable=SC2086
nice -n 10 cmake --build $build -j2 --target $targets >/dev/null

mkdir -p $build/artifacts
status=0
for t in $targets; do
  mkdir -p $build/corpus/$t
  log=$build/$t.log
  set +e
  limit=""
  [ "$runs" -gt 0 ] && limit="-runs=$runs"
  # shellcheck disable=SC2086
  nice -n 10 $build/bin/$t -max_total_time="$seconds" $limit \
    -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=$build/artifacts/$t- \
    $build/corpus/$t fuzz/corpus/$t >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -n 's/.*cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p')
  found=$(grep -cE '^==[0-9]+==ERROR|^SUMMARY|deadly signal|ERROR: libFuzzer' "$log" || true)
  echo "$t: ${execs:-?} executions, coverage ${cov:-?}, findings $found (exit $rc, log $log)"
  [ "$rc" -eq 0 ] || status=1
done
exit $status
