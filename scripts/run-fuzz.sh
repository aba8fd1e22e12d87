#!/bin/sh
# Builds the fuzz target and runs it for a bounded time (FUZZ_SECONDS, default 60) under
# AddressSanitizer and UndefinedBehaviorSanitizer. Any finding fails the run and is kept in
# build/fuzz/findings/ (turn it into a regression file under fuzz/corpus/ and fix it).
# FUZZ_WORK_CORPUS names a folder that keeps the inputs found, so longer runs can be made in
# pieces; by default they go to a scratch folder that is removed afterwards.
# Each run starts from a fixed seed (FUZZ_SEED, default 1), so that the same tree fuzzes the
# same way every time and a check run cannot fail by chance on a finding it met only this
# time; FUZZ_SEED=0 lets libFuzzer pick a new seed (the long runs of docs/fuzzing.md do).
set -eu
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
seed=${FUZZ_SEED:-1}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
found=${FUZZ_WORK_CORPUS:-$work/corpus}
mkdir -p "$found"
mkdir -p build/fuzz/findings
# The engine's error log of refused documents goes to the scratch folder.
export TAGSQUEEZE_PROGRAM_DIR="$work/program-dir"
# Inputs up to 80,000 bytes, so that documents of two chunks (over 64 KB) are tried too.
build/fuzz/bin/compress_fuzz -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
  -max_len=80000 -print_final_stats=1 -artifact_prefix=build/fuzz/findings/ \
  "$found" fuzz/corpus
# The script and style-sheet minifiers of the web template, briefly (scripts/run-minify-fuzz.sh
# runs them for longer, with the parser oracle).
mkdir -p "$work/minify"
build/fuzz/bin/minify_fuzz -max_total_time="${MINIFY_FUZZ_SECONDS:-20}" -seed="$seed" -timeout=10 \
  -rss_limit_mb=2048 -max_len=20000 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/findings/ "$work/minify" fuzz/minify_corpus
# The web template against the DOM oracle (docs/web-template.md has the long run); gumbo's
# own leaks are suppressed.
mkdir -p "$work/web"
LSAN_OPTIONS=suppressions=fuzz/web_fuzz.lsan \
  build/fuzz/bin/web_fuzz -max_total_time="${WEB_FUZZ_SECONDS:-30}" -seed="$seed" -timeout=10 \
  -rss_limit_mb=2048 -max_len=20000 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/findings/ "$work/web" fuzz/web_corpus
