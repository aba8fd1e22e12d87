#!/bin/sh
# `cpack -G DEB` makes a Debian package of the build that holds exactly the installed files
# under /usr, depends on the system libraries the programs link, and whose programs work when
# unpacked into a scratch root. (Installing it on a fresh Debian: scripts/check-deb-install.sh.)
# Usage: check_deb.sh <build dir> <sample page> <folder of installed-files.txt>
set -eu
build=$(cd "$1" && pwd)
sample=$2
install_dir=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "deb: $*" >&2; exit 1; }

(cd "$scratch" && cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(ls "$scratch"/out/tagsqueeze_*.deb)
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")

expected=$(sed "s|^LIB/|$libdir/|" "$install_dir/installed-files.txt" | grep -v '^#' |
  sed 's|^|usr/|' | sort)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' |
  sed 's|TagsqueezeTargets-[a-z]*\.cmake$|TagsqueezeTargets-CONFIG.cmake|' | sort)
if [ "$expected" != "$actual" ]; then
  printf 'expected:\n%s\npackaged:\n%s\n' "$expected" "$actual" >&2
  fail "the package's files differ from tests/install/installed-files.txt"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libc6 libstdc++6 libqt6widgets6; do
  echo "$depends" | grep -q "$dependency" || fail "Depends lacks $dependency: $depends"
done
case "$depends" in *tagsqueeze*) fail "the package depends on itself: $depends" ;; esac
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q 'shlibs$' || fail "no shlibs control file"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
LD_LIBRARY_PATH= TAGSQUEEZE_PROGRAM_DIR=$scratch "$root/usr/bin/tsqz" --template safe --stdout \
  "$sample" | grep -qi '<html' || fail "packaged tsqz did not compress"
echo "$(basename "$deb"): $(echo "$actual" | wc -l) files; Depends: $depends"
