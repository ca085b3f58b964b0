#!/usr/bin/env bash
# Installs what is missing, builds, and either opens the viewer or runs every test.
#   ./orvex-dev.sh view [orvex arguments...]   open the viewer (default model c8)
#   ./orvex-dev.sh test                        unit, tool, GUI and package tests, Release and ASan+UBSan
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl-mesa0 libpng-dev libqhull-dev
  libgtest-dev
  libgif-dev libimagequant-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  libx11-dev xvfb xdotool x11-utils
  dpkg-dev file lintian desktop-file-utils
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "orvex-dev: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(jobs)"
}

view() {
  build build/release -DCMAKE_BUILD_TYPE=Release
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec build/release/bin/orvex "$@"
  fi
  # No display: draw the viewer's first frame offscreen, the same picture it would show.
  local out="$PWD/orvex-first-frame.png"
  echo "orvex-dev: no display here, so the viewer's first frame is drawn offscreen instead."
  build/release/bin/orvex-render -o "$out" "$@"
  echo "orvex-dev: first frame written to $out"
}

run_tests() {
  build build/release -DCMAKE_BUILD_TYPE=Release
  (cd build/release && ctest --output-on-failure -j "$(jobs)")
  build build/asan -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON
  (cd build/asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$(jobs)")
}

case "${1:-}" in
  view) shift; install_missing; view "$@" ;;
  test) shift; install_missing; run_tests ;;
  *) echo "usage: $0 view [orvex arguments...] | $0 test" >&2; exit 2 ;;
esac
