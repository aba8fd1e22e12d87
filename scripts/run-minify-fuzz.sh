#!/bin/sh
# The long check of the script and style-sheet minifiers (docs/minify.md): the libFuzzer
# target for MINIFY_FUZZ_SECONDS (default 600) under the sanitizers, then ROUNDS (default 50)
# rounds of 4000 generated scripts and sheets each through the acorn and css-tree oracle.
# Findings go to build/fuzz/minify-findings/.
set -eu
cd "$(dirname "$0")/.."
seconds=${MINIFY_FUZZ_SECONDS:-600}
rounds=${ROUNDS:-50}
scripts/install-deps.sh test
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target minify_fuzz
mkdir -p build/fuzz/minify-findings
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/fuzz/bin/minify_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=20000 -print_final_stats=1 -artifact_prefix=build/fuzz/minify-findings/ "$work" fuzz/minify_corpus
cmake --preset dev >/dev/null
cmake --build --preset dev --target minify_cases
round=1
while [ "$round" -le "$rounds" ]; do
  tests/minify/run_generated.sh build/dev/bin/minify_cases 4000 "$round" \
    "$PWD/build/test-tools/node_modules" | tail -4
  round=$((round + 1))
done
