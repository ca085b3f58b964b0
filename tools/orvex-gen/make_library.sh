#!/bin/sh
# Regenerates the whole model library and the committed data/README.md from the table
# data/polytopes.tsv, then checks every model, and every model but the duals for
# uniformity. A plain build does the same into the build tree; this script is for
# refreshing the README after editing the table.
# Usage: tools/orvex-gen/make_library.sh [BUILD-DIR] [MODELS-DIR]
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$here/build}
models=${2:-$build/share/orvex/models}
gen=$build/bin/orvex-gen
[ -x "$gen" ] || { echo "make_library.sh: $gen is not built" >&2; exit 1; }
"$gen" -d "$models" library "$here/data/polytopes.tsv" --readme "$here/data/README.md" --except c8
grep -v '^#' "$here/data/polytopes.tsv" | cut -f1,2 | while read -r name family; do
  if [ "$family" = dual ]; then
    "$gen" -d "$models" check "$name" >/dev/null
  else
    "$gen" -d "$models" check --uniform "$name" >/dev/null
  fi
done
echo "checked every model in $models"
