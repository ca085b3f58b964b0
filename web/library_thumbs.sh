#!/usr/bin/env bash
# Draws the explorer gallery's thumbnails with the native orvex-render: one PNG a model of
# the library table, in the page's first view, fitted to 160 × 160 pixels.
#   library_thumbs.sh ORVEX_RENDER MODELS_DIR TABLE OUT_DIR
set -euo pipefail
render=$1 models=$2 table=$3 out=$4
# An empty directory of our own, so that only our orvex.cfg is read.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'DataDir %s\n' "$models" >"$work/orvex.cfg"
mkdir -p "$out"
grep -v '^#' "$table" | cut -f1 | (cd "$work" && xargs -P 2 -I NAME \
  "$render" NAME --size 160 --fit --aa 2 --turn 0,0.45,0.3,0.35,0.25,0 -o "$out/NAME.png")
