#!/usr/bin/env bash
# Makes the Debian package from a Release build tree and checks it as a user gets it: its
# name, Depends line and contents, lintian's verdict, and the packaged programs run from
# the package unpacked into a scratch root, where they must find their own models.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) version=$3

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate file gzip; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is not installed; ./orvex-dev.sh installs what the package test needs" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orvex-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not make the package" >&2
  exit 1
fi
deb="$work/out/orvex_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  echo "FAIL: expected $(basename "$deb"); cpack made: $(cd "$work/out" && ls ./*.deb)" >&2
  exit 1
fi
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes," \
  "installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"

# Depends: computed by dpkg-shlibdeps from the programs' libraries, so each library the
# programs link is there, with the versions its symbols need, and no build-time package.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in 'libc6 \(>= ' 'libstdc\+\+6' 'libglut|freeglut' 'libglu1' 'libopengl0|libgl1' \
  'libegl1' 'libpng16' 'libqhull' 'libnauty2' 'libgif7' 'libimagequant0' 'libavcodec' 'libavformat' \
  'libswscale' 'libassimp5' 'lib3mf1' 'libcairo2'; do
  grep -Eq "(^|, |\| )($library)" <<<"$depends" || fail "Depends names no package for '$library'"
done
grep -Eq -- '-dev\b' <<<"$depends" && fail "Depends names a development package: $depends"

# Contents: only the installed tree's places, the three programs stripped, every model of
# the library table, and every file a desktop or man(1) looks for.
root="$work/root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -c "$deb" | awk '$1 ~ /^l/ {print $(NF-2); next} $1 !~ /^d/ {print $NF}' >"$work/files"
echo "files: $(wc -l <"$work/files")"
allowed='^\./usr/(bin/[^/]+|share/orvex/models/[^/]+|share/man/man1/[^/]+\.1\.gz'
allowed+='|share/applications/orvex\.desktop|share/icons/hicolor/256x256/apps/orvex\.png'
allowed+='|share/doc/orvex/(README\.md|copyright|changelog\.gz)|share/orvex/web/[^/]+|share/orvex/web/thumbs/[^/]+\.png'
allowed+='|lib/python3/dist-packages/orvex\.cpython-[^/]+\.so)$'
strays=$(grep -Ev "$allowed" "$work/files")
[ -z "$strays" ] || fail "files the package should not hold: $strays"

programs=(orvex orvex-gen orvex-render)
[ "$(ls "$root/usr/bin" | tr '\n' ' ')" = "${programs[*]} " ] ||
  fail "usr/bin holds '$(ls "$root/usr/bin" | tr '\n' ' ')', not the three programs"
for program in "${programs[@]}"; do
  kind=$(file -b "$root/usr/bin/$program")
  [[ $kind == ELF*", stripped"* ]] || fail "usr/bin/$program is not a stripped program: $kind"
  gzip -t "$root/usr/share/man/man1/$program.1.gz" 2>/dev/null ||
    fail "usr/share/man/man1/$program.1.gz is missing or not gzip"
done

models="$root/usr/share/orvex/models"
names=$(grep -v '^#' "$source/data/polytopes.tsv" | cut -f1)
for name in $names; do
  if [ ! -f "$models/$name.poi" ] || [ ! -f "$models/f$name.cel" ]; then
    fail "model $name of data/polytopes.tsv is not in usr/share/orvex/models"
  elif [ ! -f "$models/$(awk 'END {print $NF}' "$models/$name.poi")" ]; then
    fail "the normals file that usr/share/orvex/models/$name.poi names is not packaged"
  fi
done
[ "$(ls "$models" | grep -c '\.poi$')" -eq "$(wc -w <<<"$names")" ] ||
  fail "usr/share/orvex/models holds $(ls "$models" | grep -c '\.poi$') models, the table $(wc -w <<<"$names")"

# The explorer's site, when the build tree was given one that has been built: the page,
# its script and WebAssembly, the single file that opens from disk, the gallery's
# thumbnails, and the installed models under models/.
site=$(sed -n 's/^ORVEX_WEB_SITE:PATH=//p' "$build/CMakeCache.txt")
web="$root/usr/share/orvex/web"
if [ -n "$site" ] && [ -f "$site/orvex.wasm" ]; then
  for f in index.html explorer.js orvex.js orvex.wasm polytopes.tsv orvex-explorer.html thumbs/c8.png; do
    [ -f "$web/$f" ] || fail "usr/share/orvex/web/$f is not packaged"
  done
  [ "$(readlink "$web/models")" = ../models ] && [ -f "$web/models/c8.poi" ] ||
    fail "usr/share/orvex/web/models does not lead to the packaged models"
fi

desktop="$root/usr/share/applications/orvex.desktop"
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $validation"
grep -Eq '(error|warning):' <<<"$validation" && fail "desktop-file-validate: $validation"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_program" ] || fail "orvex.desktop runs '$exec_program', which is not packaged"
grep -qx 'Categories=Education;Science;' "$desktop" || fail "orvex.desktop is not in Education;Science;"
icon="$root/usr/share/icons/hicolor/256x256/apps/$(sed -n 's/^Icon=//p' "$desktop").png"
[[ $(file -b "$icon" 2>&1) == "PNG image data, 256 x 256,"* ]] ||
  fail "the desktop entry's icon is no 256x256 PNG: $(file -b "$icon" 2>&1)"

holder=$(sed -n 's/^Copyright (c) //p' "$source/LICENSE")
copyright="$root/usr/share/doc/orvex/copyright"
grep -qx "Copyright: $holder" "$copyright" && grep -qx 'License: Expat' "$copyright" ||
  fail "usr/share/doc/orvex/copyright does not give LICENSE's holder '$holder' and licence"
cmp -s "$root/usr/share/doc/orvex/README.md" "$source/README.md" ||
  fail "usr/share/doc/orvex/README.md is not the README"

# The packaged programs, run from an empty directory (no orvex.cfg), find the packaged
# models beside them: the picture equals the build tree's, and the viewer loads its model
# and gets as far as opening the display, which there is none of here.
run="$work/run"
mkdir -p "$run"
if ! (cd "$run" && env -u DISPLAY "$root/usr/bin/orvex-render" c600 -o x.png) 2>"$work/err"; then
  fail "usr/bin/orvex-render c600 -o x.png: $(cat "$work/err")"
elif ! (cd "$run" && env -u DISPLAY "$build/bin/orvex-render" c600 -o built.png); then
  fail "the build tree's orvex-render c600 failed"
elif ! cmp -s "$run/x.png" "$run/built.png"; then
  fail "the packaged orvex-render draws c600 differently from the build tree's"
fi
(cd "$run" && "$root/usr/bin/orvex" --help) | grep -qF "$models" ||
  fail "the packaged orvex does not look for models in $models"
viewer_err=$(cd "$run" && env -u DISPLAY "$root/usr/bin/orvex" c600 2>&1 >/dev/null)
[[ $viewer_err == *display* && $viewer_err != *"Cannot open file"* ]] ||
  fail "the packaged orvex did not load c600 and stop at the display: $viewer_err"
listing=$(cd "$run" && "$root/usr/bin/orvex-gen" list 2>&1 | tail -1)
[ "$listing" = "$(wc -w <<<"$names") models in $models" ] ||
  fail "the packaged orvex-gen list ends '$listing'"

# The Python module imports from the package with Debian's python3 and finds the packaged
# models beside it, drawing what orvex-render draws.
module_dir="$root/usr/lib/python3/dist-packages"
grep -Eq '(^|, )python3-numpy' <<<"$depends" || fail "Depends names no python3-numpy"
if ! ls "$module_dir"/orvex.cpython-*.so >/dev/null 2>&1; then
  fail "the Python module is not packaged in usr/lib/python3/dist-packages"
elif ! (cd "$run" && PYTHONPATH="$module_dir" /usr/bin/python3 -c '
import sys, orvex
assert orvex.models_dir() == sys.argv[1], orvex.models_dir()
open("py.png", "wb").write(orvex.load("c600").png())' "$models") 2>"$work/err"; then
  fail "import orvex from the package: $(tail -1 "$work/err")"
elif ! cmp -s "$run/py.png" "$run/x.png"; then
  fail "the packaged module draws c600 differently from the packaged orvex-render"
fi

# lintian: neither errors nor warnings.
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian" 2>&1
lintian_status=$?
echo "lintian: $(grep -c '^E:' "$work/lintian") errors, $(grep -c '^W:' "$work/lintian") warnings," \
  "$(grep -c '^I:' "$work/lintian") notes"
if [ "$lintian_status" -ne 0 ]; then
  grep -E '^(E|W):' "$work/lintian" >&2
  fail "lintian found errors or warnings"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures package checks failed" >&2
  exit 1
fi
echo "the package is sound"
