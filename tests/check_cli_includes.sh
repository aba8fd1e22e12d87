#!/bin/sh
# The command-line tool uses the engine only through its public headers: of the engine's
# files it includes engine/include/tagsqueeze.h and tagsqueeze_context.h alone, and it finds no engine function by name
# at run time (no dlopen/dlsym). Usage: check_cli_includes.sh <cli source folder>
set -eu
dir=$1
bad=$(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$dir"/*.cpp "$dir"/*.h |
  grep -v -e '"cli/' -e '"platform/' -e '"engine/include/tagsqueeze.h"' \
    -e '"engine/include/tagsqueeze_context.h"' || true)
if [ -n "$bad" ]; then
  echo "cli/ includes engine files other than the public headers:"
  echo "$bad"
  exit 1
fi
loader=$(grep -n -e 'dlfcn\.h' -e 'dlsym' -e 'dlopen' "$dir"/*.cpp "$dir"/*.h || true)
if [ -n "$loader" ]; then
  echo "cli/ looks engine functions up at run time:"
  echo "$loader"
  exit 1
fi
echo "cli/ uses the engine's public headers only ($(ls "$dir"/*.cpp "$dir"/*.h | wc -l) files)"
