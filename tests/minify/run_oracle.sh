#!/bin/sh
# Runs the parser oracle of the minifiers over every page of a corpus folder (all subfolders).
#   run_oracle.sh MINIFY_PAIRS CORPUS_DIR NODE_MODULES
# Exit 77 (skipped) when the corpus, node, acorn or css-tree is missing.
set -eu
pairs_tool=$1 corpus=$2 modules=$3
[ -d "$corpus" ] || { echo "SKIP: no corpus at $corpus"; exit 77; }
command -v node >/dev/null || { echo "SKIP: node missing (scripts/install-deps.sh test)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$corpus" -type f \( -name '*.htm' -o -name '*.html' -o -name '*.asp' -o -name '*.shtml' \) \
  | sort > "$work/pages"
# shellcheck disable=SC2046
"$pairs_tool" "$work/pairs.jsonl" $(cat "$work/pages")
exec node "$(dirname "$0")/minify_oracle.cjs" "$work/pairs.jsonl" "$modules"
