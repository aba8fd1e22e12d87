#!/bin/sh
# Generated scripts and style sheets through the minifier's fuzz checks and the parser oracle.
#   run_generated.sh MINIFY_CASES COUNT SEED NODE_MODULES
# Exit 77 (skipped) when node, acorn or css-tree is missing.
set -eu
cases_tool=$1 count=$2 seed=$3 modules=$4
command -v node >/dev/null || { echo "SKIP: node missing (scripts/install-deps.sh test)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cases_tool" "$count" "$seed" "$work/pairs.jsonl"
exec node "$(dirname "$0")/minify_oracle.cjs" "$work/pairs.jsonl" "$modules" --generated
