#!/bin/sh
# tsqz -j N against -j 1 in the same run: the legacy and modern pages of the shared corpus,
# copied COPIES times (default 20) into a folder in memory, compressed into an output folder
# there with the all-options template, ROUNDS times each (default 3), alternating, best
# elapsed time of each. Checks that both give the same files and report.
# Usage: bench/jobs_bench.sh [tsqz program] [N]     (defaults: build/release/bin/tsqz, 2)
set -eu
cd "$(dirname "$0")/.."
tsqz=${1:-build/release/bin/tsqz}
jobs=${2:-2}
copies=${COPIES:-20}
rounds=${ROUNDS:-3}
shared=${TSQZ_SHARED_DIR:-../shared}
[ -d "$shared/corpus" ] || shared=/work/shared
[ -d "$shared/corpus" ] || { echo "no shared corpus (set TSQZ_SHARED_DIR)" >&2; exit 1; }
[ -x "$tsqz" ] || { echo "no $tsqz (make bench-jobs builds it)" >&2; exit 1; }
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/tsqz-jobs-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

for i in $(seq 1 "$copies"); do
  mkdir -p "$scratch/site/copy$i/legacy"
  cp "$shared"/corpus/legacy/* "$scratch/site/copy$i/legacy/"
  cp "$shared"/corpus/*.html "$scratch/site/copy$i/"
done
rm -f "$scratch"/site/copy*/legacy/*.md
documents=$(find "$scratch/site" -type f | wc -l)
megabytes=$(du -sm "$scratch/site" | cut -f1)

# One timed run: elapsed seconds on standard output.
run() {
  rm -rf "$scratch/out$1" "$scratch/report$1.txt"
  start=$(date +%s.%N)
  "$tsqz" -j "$1" --template all -q -o "$scratch/out$1" --report "$scratch/report$1.txt" \
    "$scratch/site" 2>/dev/null || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f\n", b - a }'
}
best() { sort -n | head -n 1; }

serial=""; parallel=""
for round in $(seq 1 "$rounds"); do
  serial="$serial $(run 1)"
  parallel="$parallel $(run "$jobs")"
done
t1=$(echo "$serial" | tr ' ' '\n' | grep . | best)
tn=$(echo "$parallel" | tr ' ' '\n' | grep . | best)

diff -r "$scratch/out1" "$scratch/out$jobs" >/dev/null || { echo "-j $jobs wrote other files" >&2; exit 1; }
mask() { sed 's/generated .*/generated/' "$1"; }
[ "$(mask "$scratch/report1.txt")" = "$(mask "$scratch/report$jobs.txt")" ] ||
  { echo "-j $jobs wrote another report" >&2; exit 1; }

echo "documents: $documents ($megabytes MB, corpus x $copies), cores: $(nproc), load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "-j 1:       $serial s  (best $t1 s)"
echo "-j $jobs:       $parallel s  (best $tn s)"
echo "speed-up:   $(awk -v a="$t1" -v b="$tn" 'BEGIN { printf "%.2f", a / b }')x   (same files and report: yes)"
