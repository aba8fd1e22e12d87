#!/bin/sh
# Runs two builds of tsqz over the same documents with the same options and compares every
# output byte, the job reports (their time stamp masked), the messages and the exit codes.
# For checking that a change to the engine's layout keeps its behaviour.
#
# Usage: scripts/compare-outputs.sh OLD_TSQZ NEW_TSQZ [CORPUS]
#   CORPUS defaults to ../shared/corpus beside the checkout (or $TSQZ_SHARED_DIR/corpus); all
#   of its subfolders are searched.
# Prints one line per option set and a total; exits 1 when anything differs.
set -eu
old=$(realpath "$1")
new=$(realpath "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
corpus=${3:-${TSQZ_SHARED_DIR:-$here/../shared}/corpus}
if [ ! -d "$corpus" ]; then
  echo "no corpus at $corpus: nothing compared"
  exit 0
fi
corpus=$(realpath "$corpus")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Option sets: the three templates, then single and combined changes on top of them.
sets="--template=off
--template=safe
--template=all
--template=off --set=StripQuotes=1 --set=StripSpaces=1
--template=all --set=OptimizeLines=0 --set=StripBlankLines=1
--template=all --set=WordWrap=40 --set=StandardizeChars=5 --set=MSNSOnly=1
--template=safe --set=CRLFToLF=0 --set=StripClosingP=1 --set=NoDTD=1 --set=StripGenerator=1
--template=all --set=CompressScripts=1 --set=ScriptEOLs=1 --set=StandardizeChars=3"

documents=$(find "$corpus" -type f \( -name '*.htm' -o -name '*.html' -o -name '*.asp' \
  -o -name '*.shtml' \) | LC_ALL=C sort)
count=$(echo "$documents" | wc -l)

# One run of a tool with one option set: the folder job (outputs, report, messages, exit
# code), the options in effect, and each document alone to standard output (result, messages, exit code).
run() {  # tool, option set, result folder
  tool=$1 options=$2 dir=$3
  mkdir -p "$dir"
  cd "$dir"
  # shellcheck disable=SC2086
  set +e
  "$tool" $options -o out --report report.txt --detailed --by-file "$corpus" \
    > job.out 2> job.err
  echo "$?" > job.code
  "$tool" $options --print-options > options.txt 2>&1
  echo "$?" >> options.txt
  i=0
  for doc in $documents; do
    i=$((i + 1))
    # shellcheck disable=SC2086
    "$tool" $options --stdout "$doc" > "doc$i.html" 2> "doc$i.err"
    echo "$?" > "doc$i.code"
  done
  set -e
  sed -i 's/^Compression report generated .*$/Compression report generated (time)/' report.txt
  cd - > /dev/null
}

failed=0
n=0
echo "$sets" | while IFS= read -r options; do
  n=$((n + 1))
  run "$old" "$options" "$work/old$n"
  run "$new" "$options" "$work/new$n"
  files=$(find "$work/old$n" -type f | wc -l)
  bytes=$(cat "$work/old$n"/doc*.html | wc -c)
  codes=$(cat "$work/old$n"/doc*.code | sort | uniq -c | awk '{printf "%s×%s ", $1, $2}')
  if diff -r "$work/old$n" "$work/new$n" > "$work/diff$n"; then
    echo "same   $options: $files files, $count documents, $bytes output bytes, exit codes $codes"
  else
    echo "DIFFER $options:"
    head -20 "$work/diff$n"
    echo x >> "$work/failed"
  fi
  rm -rf "$work/old$n" "$work/new$n"
done
if [ -f "$work/failed" ]; then
  echo "outputs differ in $(wc -l < "$work/failed") option sets"
  exit 1
fi
echo "all option sets give the same outputs, reports, messages and exit codes"
