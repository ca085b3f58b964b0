#!/usr/bin/env bash
# Installs what is missing, builds, and either opens the viewer or runs every test.
#   ./orvex-dev.sh view [orvex arguments...]   open the viewer (default model c8)
#   ./orvex-dev.sh test                        unit, tool, GUI, package and browser tests, Release and ASan+UBSan
#   ./orvex-dev.sh web                         build the explorer's site and serve it on 127.0.0.1
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl-mesa0 libpng-dev libqhull-dev
  libnauty2-dev
  libgtest-dev
  libgif-dev libimagequant-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  libx11-dev xvfb xdotool x11-utils
  pybind11-dev python3-dev python3-numpy python3-pytest
  libassimp-dev lib3mf-dev libcairo2-dev admesh librsvg2-bin poppler-utils
  dpkg-dev file lintian desktop-file-utils
)
# The explorer: emcc and fast_float for the site, python3 to serve it, Chromium for its tests.
WEB_PACKAGES=(emscripten libfast-float-dev python3)
WEB_TEST_PACKAGES=(chromium)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {  # install_missing [package...]; the default is PACKAGES
  local missing=() wanted=("$@")
  [ ${#wanted[@]} -gt 0 ] || wanted=("${PACKAGES[@]}")
  # Debian's npm, unless some other node install already brings one.
  if [[ " ${wanted[*]} " == *" chromium "* ]] && ! command -v npm >/dev/null; then wanted+=(npm); fi
  for p in "${wanted[@]}"; do
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

# The explorer's static site in build/web/site, the models taken from the Release tree.
build_site() {
  build build/release -DCMAKE_BUILD_TYPE=Release -DORVEX_WEB_SITE="$PWD/build/web/site"
  # Debian's emcc runs its tools with the system node, which needs NODE_PATH to find them.
  NODE_PATH=/usr/share/nodejs emcmake cmake -S web -B build/web -G Ninja \
    -DORVEX_MODELS="$PWD/build/release/share/orvex/models" \
    -DORVEX_GEN="$PWD/build/release/bin/orvex-gen" \
    -DORVEX_RENDER="$PWD/build/release/bin/orvex-render" >/dev/null
  NODE_PATH=/usr/share/nodejs cmake --build build/web -j "$(jobs)"
}

web() {
  build_site
  local port=${ORVEX_WEB_PORT:-8400}
  echo "orvex-dev: the explorer is at http://127.0.0.1:$port/ (Ctrl-C stops the server)"
  exec python3 -m http.server --bind 127.0.0.1 --directory build/web/site "$port"
}

# The explorer in headless Chromium against the Release tree's tools.
web_tests() {
  npm ci --prefix web/test --no-audit --no-fund --loglevel=error >/dev/null
  node web/test/explorer_test.js build/web/site build/release/bin
}

run_tests() {
  # The site first, so that the package test finds it to ship.
  build_site
  (cd build/release && ctest --output-on-failure -j "$(jobs)")
  build build/asan -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON
  (cd build/asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$(jobs)")
  web_tests
}

case "${1:-}" in
  view) shift; install_missing; view "$@" ;;
  test) shift; install_missing "${PACKAGES[@]}" "${WEB_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"; run_tests ;;
  web) shift; install_missing "${PACKAGES[@]}" "${WEB_PACKAGES[@]}"; web ;;
  *) echo "usage: $0 view [orvex arguments...] | $0 test | $0 web" >&2; exit 2 ;;
esac
