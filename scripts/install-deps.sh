#!/bin/sh
# Installs the Debian packages that building (and, with "test", testing) needs.
# As root it runs apt-get; otherwise it prints the exact apt-get line and stops.
# With "test" it also installs the npm packages of the tests into build/test-tools/ (the
# style-sheet parser of the minifier oracle), never system-wide.
set -eu
build="cmake ninja-build g++ make qt6-base-dev libgl-dev"
test_extra="clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth \
x11-utils chromium fonts-dejavu-core groff-base pkgconf dpkg-dev file nodejs node-acorn \
libgumbo-dev time"
npm_test="css-tree@3.2.1"
case "${1:-build}" in
  build) wanted="$build" ;;
  test) wanted="$build $test_extra" ;;
  *) echo "usage: $0 build|test" >&2; exit 2 ;;
esac
missing=""
for pkg in $wanted; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $pkg"
done
# npm comes with some builds of nodejs and as a package of its own with Debian's.
if [ "${1:-build}" = test ] && ! command -v npm >/dev/null; then missing="$missing npm"; fi
if [ -z "$missing" ]; then
  :
elif [ "$(id -u)" -eq 0 ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing
else
  echo "Missing packages. Run this, then try again:"
  echo "  sudo apt-get install -y$missing"
  exit 1
fi
if [ "${1:-build}" = test ]; then
  tools="$(dirname "$0")/../build/test-tools"
  for pkg in $npm_test; do
    [ -d "$tools/node_modules/${pkg%@*}" ] ||
      npm install --no-audit --no-fund --prefix "$tools" $npm_test >/dev/null
  done
fi
