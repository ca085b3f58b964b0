#!/bin/bash
# Makes the README's gallery: pictures and one GIF drawn by orvex-render's own options,
# written to docs/gallery/. Run after a build; the files it writes are committed as its
# output (keep them small: the sizes below are chosen for that).
#   docs/make-gallery.sh [BUILD_DIR]      (default build/release)
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)
render=$build/bin/orvex-render
out=docs/gallery
mkdir -p "$out"
# The build tree's models, whatever orvex.cfg the caller has.
work=$(mktemp -d /tmp/orvex-gallery-XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "DataDir $build/share/orvex/models" >"$work/orvex.cfg"
here=$(pwd)
draw() {  # draw OUTPUT ARGS...
  local output=$1
  shift
  (cd "$work" && "$render" "$@" -o "$here/$out/$output")
  echo "$out/$output: $(stat -c %s "$out/$output") bytes"
}

# The tesseract as a cube within a cube: every cell, in perspective, as frames, with edges.
draw tesseract-nested.png c8 -h --cells all --edges --projection perspective --distance 2.2 \
  --turn 0,0.35,0.25,0,0,0 --fit --aa 2 --size 260 --background white
# The same in stereographic projection: all eight cells, the far one around the rest.
draw tesseract-stereographic.png c8 -h --cells all --edges --projection stereographic \
  --turn 0,0.35,0.25,0.3,0.2,0 --fit --aa 2 --size 260 --background white
# Each kind of cell its own colour: cuboctahedra, truncated tetrahedra, hexagonal and
# triangular prisms (by polygon count two of them would share one colour).
draw runcitruncated-5-cell-kinds.png runcitruncated-5-cell --colour-by kind --edges \
  --turn 0,0.3,0.2,1.1,0.7,0.4 --fit --aa 2 --size 260 --background white
# Every tetrahedron of the 600-cell its own hue, with edges and vertices.
draw c600-cells.png c600 --colour-by cell --edges --vertices --fit --aa 2 --size 260 \
  --background '#20242c'
# On a transparent background the fog fades far cells out.
draw c24-transparent.png c24 --background transparent --turn 0,0.3,0.2,0.5,0,0 --fit --aa 2 \
  --size 260
# A seamless loop: one whole double rotation in xw and yz over 40 frames.
draw c120-spin.gif c120 -h --spin xw,yz --frames 40 --fps 12 --fit --size 160
# A strut model of the 120-cell's projection, every edge one bar (ExtendRate 0), drawn in the
# scene from the very mesh that -o c120-struts.stl writes.
struts=$(mktemp -d /tmp/orvex-gallery-struts-XXXXXX)
trap 'rm -rf "$work" "$struts"' EXIT
printf 'DataDir %s\nExtendRate 0\n' "$build/share/orvex/models" >"$struts/orvex.cfg"
(cd "$struts" && "$render" c120 --cells all --struts --turn 0,0.3,0.2,0,0,0 --fit --aa 2 \
  --size 260 --background '#20242c' -o "$here/$out/c120-struts.png")
echo "$out/c120-struts.png: $(stat -c %s "$out/c120-struts.png") bytes"
# A vector figure for a paper, and how librsvg draws it.
draw c24-figure.svg c24 --turn 0,0.3,0.2,0.5,0,0 --edges --vertices --fit --size 260 \
  --background white
rsvg-convert -w 260 -h 260 "$out/c24-figure.svg" -o "$out/c24-figure.png"
echo "$out/c24-figure.png: $(stat -c %s "$out/c24-figure.png") bytes"
