#!/bin/sh
# Regenerates the whole model library and the committed data/README.md from the table
# data/polytopes.tsv, then checks every model. A plain build does the same into the
# build tree; this script is for refreshing the README after editing the table.
# Usage: tools/gen/make_library.sh [BUILD-DIR] [MODELS-DIR]
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$here/build}
models=${2:-$build/share/orvex/models}
gen=$build/bin/orvex-gen
[ -x "$gen" ] || { echo "make_library.sh: $gen is not built" >&2; exit 1; }
"$gen" -d "$models" library "$here/data/polytopes.tsv" --readme "$here/data/README.md" --except c8
cut -f1 "$here/data/polytopes.tsv" | grep -v '^#' | while read -r name; do
  "$gen" -d "$models" check "$name" >/dev/null
done
echo "checked every model in $models"
