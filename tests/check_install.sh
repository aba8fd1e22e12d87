#!/bin/sh
# `cmake --install` puts the programs, the engine library, the desktop entry and the icon in
# the usual folders under the prefix, and the installed programs find the installed library.
# Usage: check_install.sh <cmake> <build dir> <sample page>
set -eu
cmake=$1
build=$2
sample=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
libdir=$(cd "$prefix" && ls -d lib lib64 lib/*-linux-gnu* 2>/dev/null |
  while read -r d; do [ -e "$prefix/$d/libTagsqueeze.so" ] && echo "$d"; done | head -n 1)
fail() { echo "install: $*" >&2; exit 1; }
[ -n "$libdir" ] || fail "no libTagsqueeze.so under $prefix/lib*"
for file in bin/TsqzLite bin/tsqz share/applications/tagsqueeze.desktop \
    share/icons/hicolor/scalable/apps/tagsqueeze.svg; do
  [ -e "$prefix/$file" ] || fail "missing $file"
done

entry=$prefix/share/applications/tagsqueeze.desktop
grep -qx 'Exec=TsqzLite %f' "$entry" || fail "Exec line"
grep -qx 'Icon=tagsqueeze' "$entry" || fail "Icon line"
grep -x 'MimeType=.*' "$entry" | grep -q 'text/html;' || fail "text/html missing"
grep -x 'MimeType=.*' "$entry" | grep -q 'application/xhtml+xml;' || fail "XHTML missing"
if command -v desktop-file-validate >/dev/null 2>&1; then desktop-file-validate "$entry"; fi

# The run path leads from bin/ to the library, and nowhere into the build tree.
for program in TsqzLite tsqz; do
  runpath=$(readelf -d "$prefix/bin/$program" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
  [ "$runpath" = "\$ORIGIN/../$libdir" ] || fail "$program run path is '$runpath'"
  LD_LIBRARY_PATH= ldd "$prefix/bin/$program" | grep -q "libTagsqueeze.so => $prefix/bin/../$libdir/" ||
    fail "$program does not load the installed library"
done
# The installed command-line tool works from there.
LD_LIBRARY_PATH= TAGSQUEEZE_PROGRAM_DIR=$prefix/work "$prefix/bin/tsqz" --template safe --stdout \
  "$sample" | grep -qi '<html' || fail "installed tsqz did not compress"
echo "installed under $prefix: bin/TsqzLite bin/tsqz $libdir/libTagsqueeze.so, entry and icon"
