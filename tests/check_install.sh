#!/bin/sh
# `cmake --install` (staged with DESTDIR, as a package build does) puts exactly the expected
# files under the prefix; the installed programs find the installed library; and a tiny C
# program builds and runs against the installed engine, once through pkg-config and once
# through find_package(Tagsqueeze).
# Usage: check_install.sh <cmake> <build dir> <sample page> <folder of tiny.c>
set -eu
cmake=$1
build=$2
sample=$3
tiny=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "install: $*" >&2; exit 1; }

root=$scratch/root
prefix=$root/usr
DESTDIR=$root "$cmake" --install "$build" --prefix /usr >/dev/null
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
[ -n "$libdir" ] || fail "no CMAKE_INSTALL_LIBDIR in the cache"

# The file list, with the library folder of this configuration for LIB.
expected=$(sed "s|^LIB/|$libdir/|" "$tiny/installed-files.txt" | grep -v '^#' | sort)
actual=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' |
  sed 's|TagsqueezeTargets-[a-z]*\.cmake$|TagsqueezeTargets-CONFIG.cmake|' | sort)
if [ "$expected" != "$actual" ]; then
  printf 'expected:\n%s\ninstalled:\n%s\n' "$expected" "$actual" >&2
  fail "the installed files differ from tests/install/installed-files.txt"
fi

# The library's name, SONAME and development link.
real=$(cd "$prefix/$libdir" && ls libTagsqueeze.so.*.*.*)
soname=$(readelf -d "$prefix/$libdir/$real" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = "libTagsqueeze.so.1" ] || fail "SONAME is '$soname'"
[ "$(readlink "$prefix/$libdir/libTagsqueeze.so.1")" = "$real" ] || fail "libTagsqueeze.so.1 link"
[ "$(readlink "$prefix/$libdir/libTagsqueeze.so")" = "libTagsqueeze.so.1" ] ||
  fail "libTagsqueeze.so link"

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
  LD_LIBRARY_PATH= ldd "$prefix/bin/$program" |
    grep -q "libTagsqueeze.so.1 => $prefix/bin/../$libdir/" ||
    fail "$program does not load the installed library"
done
# The installed command-line tool works from there, and its manual page reads cleanly.
LD_LIBRARY_PATH= TAGSQUEEZE_PROGRAM_DIR=$scratch "$prefix/bin/tsqz" --template safe --stdout \
  "$sample" | grep -qi '<html' || fail "installed tsqz did not compress"
warnings=$(groff -man -ww -z -Tutf8 "$prefix/share/man/man1/tsqz.1" 2>&1) || fail "groff failed"
[ -z "$warnings" ] || fail "tsqz.1: $warnings"
# The page is made from docs/tsqz.md; every long option of the help is described there.
for option in $("$prefix/bin/tsqz" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "$(echo "$option" | sed 's/-/\\-/g')" "$prefix/share/man/man1/tsqz.1" ||
    fail "tsqz.1 (docs/tsqz.md) does not describe $option"
done

# A tiny program against the installed engine: pkg-config, then the CMake package.
want=$(printf '<HTML>\n<BODY>\n<P>Tiny page\n</BODY>\n</HTML>\n')
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
[ "$(pkg-config --modversion tagsqueeze)" = "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' \
  "$build/CMakeCache.txt")" ] || fail "pkg-config version"
# shellcheck disable=SC2046
cc -Wall -Wextra -Werror -o "$scratch/tiny-pc" "$tiny/tiny.c" $(pkg-config --cflags --libs tagsqueeze)
got=$(LD_LIBRARY_PATH=$prefix/$libdir TAGSQUEEZE_PROGRAM_DIR=$scratch "$scratch/tiny-pc") ||
  fail "tiny program (pkg-config) failed"
[ "$got" = "$want" ] || fail "tiny program (pkg-config) printed '$got'"

"$cmake" -S "$tiny" -B "$scratch/tiny-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null || fail "find_package(Tagsqueeze) failed"
"$cmake" --build "$scratch/tiny-build" >/dev/null || fail "tiny program (CMake) does not build"
got=$(TAGSQUEEZE_PROGRAM_DIR=$scratch "$scratch/tiny-build/tiny") || fail "tiny (CMake) failed"
[ "$got" = "$want" ] || fail "tiny program (CMake) printed '$got'"
echo "installed under $prefix: $(echo "$actual" | wc -l) files as listed; tiny program built twice"
