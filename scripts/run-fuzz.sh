#!/bin/sh
# Builds the fuzz target and runs it for a bounded time (FUZZ_SECONDS, default 60) under
# AddressSanitizer and UndefinedBehaviorSanitizer. Any finding fails the run and is kept in
# build/fuzz/findings/ (turn it into a regression file under fuzz/corpus/ and fix it).
set -eu
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build/fuzz/findings
build/fuzz/bin/compress_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix=build/fuzz/findings/ \
  "$work" fuzz/corpus
