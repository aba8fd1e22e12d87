#!/bin/sh
# Installs the Debian package into a fresh Debian made with mmdebstrap (no root needed with
# the unshare mode; needs the network and a few hundred MB) and runs the installed programs
# there: tsqz compresses the sample page, its manual page is found, and a tiny program builds
# against the engine with pkg-config. Slow, so not part of `make test`, which checks the
# package's files and dependencies from the build (tests/check_deb.sh).
# Usage: scripts/check-deb-install.sh [suite]     (default: the suite of this system, or bookworm)
# BUILD=build/dev packages an existing build instead of making the release build first.
set -eu
cd "$(dirname "$0")/.."
suite=${1:-$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")}
suite=${suite:-bookworm}
command -v mmdebstrap >/dev/null || { echo "needs mmdebstrap (apt-get install mmdebstrap)" >&2; exit 1; }

build=${BUILD:-}
if [ -z "$build" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release
  build=build/release
fi
build=$(cd "$build" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && cpack -G DEB -B "$scratch" --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$scratch"/tagsqueeze_*.deb)
cp samples/sample.html tests/install/tiny.c "$scratch/"

# apt installs the package from its file, with the dependencies it names, into a minimal system.
mmdebstrap --verbose --variant=apt --include=pkg-config,gcc,libc6-dev,man-db \
  --customize-hook='copy-in '"$deb"' '"$scratch"'/sample.html '"$scratch"'/tiny.c /tmp' \
  --customize-hook='chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    /tmp/'"$(basename "$deb")" \
  --customize-hook='chroot "$1" sh -ec "
    tsqz --version
    TAGSQUEEZE_PROGRAM_DIR=/tmp tsqz --template safe --stdout /tmp/sample.html | grep -qi \"<html\"
    man -w tsqz
    cc -o /tmp/tiny /tmp/tiny.c \$(pkg-config --cflags --libs tagsqueeze)
    TAGSQUEEZE_PROGRAM_DIR=/tmp /tmp/tiny
    test -x /usr/bin/TsqzLite"' \
  "$suite" /dev/null
echo "$(basename "$deb") installs and runs on a fresh Debian $suite"
