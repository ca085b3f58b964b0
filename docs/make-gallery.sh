#!/bin/bash
# Makes the README's gallery: pictures and one GIF drawn by orvex-render's own options,
# written to docs/gallery/, and the README's gallery table, whose captions are the very
# commands that drew each picture. Run after a build; the files it writes are committed as
# its output (keep them small: the sizes below are chosen for that).
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
cells=()
draw() {  # draw OUTPUT ALT ARGS...
  local output=$1 alt=$2
  shift 2
  (cd "$work" && "$render" "$@" -o "$here/$out/$output" >/dev/null)
  echo "$out/$output: $(stat -c %s "$out/$output") bytes" >&2
  # Quoted as a shell would need them, so the caption runs as it reads.
  local command
  command="orvex-render $(printf '%q ' "$@")-o $output"
  cells+=("![$alt]($out/$output)" "\`${command//|/\\|}\`")
}

# The tesseract as a cube within a cube: every cell, in perspective, as frames, with edges.
draw tesseract-nested.png "The tesseract as a cube within a cube" \
  c8 -h --cells all --edges --extend 0 --projection perspective --distance 2.2 \
  --turn 0,0.35,0.25,0,0,0 --fit --aa 2 --size 260 --background white
# The classic wireframe: the tesseract's 32 edges and 16 vertices.
draw tesseract-wireframe.png "The tesseract's 32 edges" \
  c8 --wireframe --vertices --turn 0,0.35,0.25,0.3,0.2,0 --fit --aa 2 --size 260 \
  --background white
# Glass cells: the inner cells show through the outer ones.
draw c24-glass.png "The 24-cell as glass, every cell" \
  c24 --cells all --opacity 0.3 --edges --view oblique --fit --aa 2 --size 260 \
  --background white
# The Schlegel diagram: the 120-cell seen from just beyond one dodecahedron.
draw c120-schlegel.png "The Schlegel diagram of the 120-cell" \
  c120 --projection schlegel --edges --fit --aa 2 --size 260 --background white
# Stereographic: every cell but the one through the pole.
draw tesseract-stereographic.png "The tesseract in stereographic projection" \
  c8 -h --cells all --edges --projection stereographic --turn 0,0.35,0.25,0.3,0.2,0 --fit \
  --aa 2 --size 260 --background white
# A section one can read: each face in its cell's colour, the edges, w and the counts.
draw c24-section.png "A section of the 24-cell, labelled" \
  c24 --colour-by cell --edges --label --turn 0,0.3,0.2,0.5,0,0 --aa 2 --size 260 \
  --background white --section \
  0.3
# Each kind of cell its own colour: cuboctahedra, truncated tetrahedra, hexagonal and
# triangular prisms (by polygon count two of them would share one colour).
draw runcitruncated-5-cell-kinds.png "The runcitruncated 5-cell, each kind of cell its own colour" \
  runcitruncated-5-cell --colour-by kind --edges --turn 0,0.3,0.2,1.1,0.7,0.4 --fit --aa 2 \
  --size 260 --background white
# Every tetrahedron of the 600-cell its own hue, with edges and vertices.
draw c600-cells.png "The 600-cell, every tetrahedron its own hue" \
  c600 --colour-by cell --edges --vertices --fit --aa 2 --size 260 --background '#20242c'
# A seamless loop: one whole double rotation in xw and yz over 40 frames.
draw c120-spin.gif "The 120-cell in a seamless double rotation" \
  c120 -h --spin xw,yz --frames 40 --fps 12 --fit --size 160

# A strut model of the 120-cell's projection, every edge one bar, drawn in the scene from the
# very mesh that -o c120-struts.stl writes.
draw c120-struts.png "The 120-cell as a strut model to print" \
  c120 --cells all --struts --extend 0 --turn 0,0.3,0.2,0,0,0 --fit --aa 2 --size 260 \
  --background '#20242c'
# A vector figure for a paper (SVG; GitHub shows it as it is).
draw c24-figure.svg "The 24-cell as a vector figure" \
  c24 --turn 0,0.3,0.2,0.5,0,0 --edges --vertices --fit --size 260 --background white
rsvg-convert -w 260 -h 260 "$out/c24-figure.svg" -o "$out/c24-figure.png"

# The table, three pictures a row, each over its command, between the README's markers.
table=$work/table.md
{
  echo "| | | |"
  echo "|---|---|---|"
  for ((i = 0; i < ${#cells[@]}; i += 6)); do
    echo "| ${cells[i]} | ${cells[i + 2]:-} | ${cells[i + 4]:-} |"
    echo "| ${cells[i + 1]} | ${cells[i + 3]:-} | ${cells[i + 5]:-} |"
  done
} >"$table"
awk -v table="$table" '
  /<!-- gallery: made by docs\/make-gallery.sh -->/ { print; while ((getline line < table) > 0) print line; skip = 1; next }
  /<!-- gallery end -->/ { skip = 0 }
  !skip { print }
' README.md >"$work/README.md"
cp "$work/README.md" README.md
