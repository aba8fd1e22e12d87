#!/bin/sh
# Builds the render_matrix tool (dev preset) and runs it: every page of the shared corpus
# (legacy and modern) rendered whole in headless Chromium at 1024 and 1280 pixels wide, before
# and after compression, under the safe template and each of its options alone, printed as a
# table. Arguments go to the tool (see docs/render-tests.md);
# "--savings" prints the bytes the safe template saves instead.
set -eu
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target render_matrix >/dev/null
exec build/dev/bin/render_matrix "$@"
