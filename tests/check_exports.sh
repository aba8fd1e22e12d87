#!/bin/sh
# Compares the dynamic symbols that a library defines with the documented export list.
set -eu
lib=$1
list=$2
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' | grep -v '^TAGSQUEEZE' | sort)
expected=$(grep -v '^$' "$list" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ from $list:"
  printf '%s\n' "$actual" > /tmp/tsqz-actual.$$
  printf '%s\n' "$expected" > /tmp/tsqz-expected.$$
  diff /tmp/tsqz-expected.$$ /tmp/tsqz-actual.$$ || true
  rm -f /tmp/tsqz-actual.$$ /tmp/tsqz-expected.$$
  exit 1
fi
echo "exports match ($(echo "$expected" | wc -l) symbols)"
