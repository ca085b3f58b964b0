#!/usr/bin/env bash
# Writes the library's cell kinds for the explorer's model picker, one line a model:
# "NAME<TAB>10 hexagonal prisms, 10 triangular prisms, ...", as orvex-gen check names them.
#   library_kinds.sh ORVEX_GEN MODELS_DIR TABLE OUT
set -euo pipefail
gen=$1 models=$2 table=$3 out=$4
tmp="$out.new"
: >"$tmp"
grep -v '^#' "$table" | cut -f1 | while read -r name; do
  line=$("$gen" -d "$models" check "$name")
  kinds=${line#*cells: }
  printf '%s\t%s\n' "$name" "${kinds%%;*}" >>"$tmp"
done
mv "$tmp" "$out"
