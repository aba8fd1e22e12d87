#!/bin/sh
# Installs the Debian packages that building (and, with "test", testing) needs.
# As root it runs apt-get; otherwise it prints the exact apt-get line and stops.
set -eu
build="cmake ninja-build g++ make qt6-base-dev libgl-dev"
test_extra="clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth \
x11-utils chromium fonts-dejavu-core groff-base pkgconf dpkg-dev file"
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
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
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
