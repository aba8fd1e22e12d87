#!/bin/sh
# Builds the fuzz targets and runs each for a bounded number of inputs under AddressSanitizer
# and UndefinedBehaviorSanitizer. Any finding fails the run and is kept in build/fuzz/findings/
# (turn it into a regression file under the target's corpus folder and fix it).
#
# The check run (`make fuzz`, part of `make test`) is the same on every machine: each target
# starts from the fixed seed 1 (FUZZ_SEED), reads its corpus files in name order and stops after
# a fixed number of inputs (FUZZ_RUNS, MINIFY_FUZZ_RUNS, WEB_FUZZ_RUNS), so a tree that passes
# here passes on a faster or slower machine too. The time limits (FUZZ_SECONDS,
# MINIFY_FUZZ_SECONDS, WEB_FUZZ_SECONDS) only cap a run on a very slow machine; stopping early
# tries a prefix of the same inputs.
#
# FUZZ_SEED=0 is the exploring mode of the long runs (docs/fuzzing.md): libFuzzer picks a new
# seed and every target runs until its time limit. FUZZ_WORK_CORPUS names a folder that keeps
# the inputs found, so longer runs can be made in pieces; by default they go to a scratch folder
# that is removed afterwards.
set -eu
cd "$(dirname "$0")/.."
seed=${FUZZ_SEED:-1}
if [ "$seed" = 0 ]; then
  compress_runs=-1 minify_runs=-1 web_runs=-1
  fixed=""
else
  compress_runs=${FUZZ_RUNS:-15000}
  minify_runs=${MINIFY_FUZZ_RUNS:-150000}
  web_runs=${WEB_FUZZ_RUNS:-20000}
  # Without these libFuzzer still takes another road on every run with the same seed: the
  # values compared in the code under test (heap addresses among them) feed its mutations,
  # and its entropic schedule and corpus reloading change the order of inputs.
  fixed="-entropic=0 -use_cmp=0 -reload=0"
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
found=${FUZZ_WORK_CORPUS:-$work/corpus}
mkdir -p "$found"
mkdir -p build/fuzz/findings
# The engine's error log of refused documents goes to the scratch folder.
export TAGSQUEEZE_PROGRAM_DIR="$work/program-dir"

# Writes the comma-separated list of a corpus folder's files in name order (libFuzzer's own
# folder reading follows the file system's order, which differs between machines).
seed_list() {
  find "$1" -type f | LC_ALL=C sort | paste -sd, - > "$2"
}

# Inputs up to 80,000 bytes, so that documents of two chunks (over 64 KB) are tried too.
seed_list fuzz/corpus "$work/compress.seeds"
build/fuzz/bin/compress_fuzz -runs="$compress_runs" -max_total_time="${FUZZ_SECONDS:-120}" \
  -seed="$seed" $fixed -timeout=10 -rss_limit_mb=2048 -max_len=80000 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/findings/ -seed_inputs=@"$work/compress.seeds" "$found"
# The script and style-sheet minifiers of the web template, briefly (scripts/run-minify-fuzz.sh
# runs them for longer, with the parser oracle).
mkdir -p "$work/minify"
seed_list fuzz/minify_corpus "$work/minify.seeds"
build/fuzz/bin/minify_fuzz -runs="$minify_runs" -max_total_time="${MINIFY_FUZZ_SECONDS:-60}" \
  -seed="$seed" $fixed -timeout=10 -rss_limit_mb=2048 -max_len=20000 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/findings/ -seed_inputs=@"$work/minify.seeds" "$work/minify"
# The web template against the DOM oracle (docs/web-template.md has the long run); gumbo's
# own leaks are suppressed.
mkdir -p "$work/web"
seed_list fuzz/web_corpus "$work/web.seeds"
LSAN_OPTIONS=suppressions=fuzz/web_fuzz.lsan \
  build/fuzz/bin/web_fuzz -runs="$web_runs" -max_total_time="${WEB_FUZZ_SECONDS:-90}" \
  -seed="$seed" $fixed -timeout=10 -rss_limit_mb=2048 -max_len=20000 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/findings/ -seed_inputs=@"$work/web.seeds" "$work/web"
