#!/bin/sh
# tsqz -j N against -j 1 in the same run: the legacy and modern pages of the shared corpus,
# copied COPIES times (default 20) into a folder in memory, compressed into an output folder
# there with the all-options template, ROUNDS times each (default 3), alternating; the best
# elapsed and CPU time of each (GNU time). Checks that both give the same files and report.
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

# One timed run: elapsed and CPU (user + system) seconds on standard output.
run() {
  rm -rf "$scratch/out$1" "$scratch/report$1.txt"
  /usr/bin/time -f "%e %U %S" -o "$scratch/time" "$tsqz" -j "$1" --template all -q \
    -o "$scratch/out$1" --report "$scratch/report$1.txt" "$scratch/site" 2>/dev/null || true
  # (GNU time puts "Command exited with non-zero status" first when a document failed.)
  tail -n 1 "$scratch/time" | awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }'
}
best() { sort -n | head -n 1; }

: >"$scratch/serial"; : >"$scratch/parallel"
for round in $(seq 1 "$rounds"); do
  run 1 >>"$scratch/serial"
  run "$jobs" >>"$scratch/parallel"
done
t1=$(cut -d' ' -f1 "$scratch/serial" | best)
tn=$(cut -d' ' -f1 "$scratch/parallel" | best)
c1=$(cut -d' ' -f2 "$scratch/serial" | best)
cn=$(cut -d' ' -f2 "$scratch/parallel" | best)

diff -r "$scratch/out1" "$scratch/out$jobs" >/dev/null || { echo "-j $jobs wrote other files" >&2; exit 1; }
mask() { sed 's/generated .*/generated/' "$1"; }
[ "$(mask "$scratch/report1.txt")" = "$(mask "$scratch/report$jobs.txt")" ] ||
  { echo "-j $jobs wrote another report" >&2; exit 1; }

echo "documents: $documents ($megabytes MB, corpus x $copies), cores: $(nproc), load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "-j 1:     elapsed $(cut -d' ' -f1 "$scratch/serial" | tr '\n' ' ')s (best $t1 s), CPU best $c1 s"
echo "-j $jobs:     elapsed $(cut -d' ' -f1 "$scratch/parallel" | tr '\n' ' ')s (best $tn s), CPU best $cn s"
echo "speed-up: $(awk -v a="$t1" -v b="$tn" 'BEGIN { printf "%.2f", a / b }')x elapsed (same files and report: yes)"
echo "CPU cost of -j $jobs over -j 1: $(awk -v a="$c1" -v b="$cn" 'BEGIN { printf "%.2f", b / a }')x; the most -j $jobs can gain on an idle machine: $(awk -v a="$c1" -v b="$cn" -v n="$jobs" 'BEGIN { printf "%.2f", n * a / b }')x"
