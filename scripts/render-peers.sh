#!/bin/sh
# Renders what the other HTML minifiers make of the shared corpus, through the same comparison
# as the render test: bench/compare_peers installs the peers (into build/peers/) and writes
# each one's result of every page, legacy and modern, into build/peer-outputs/<peer>/; then
# render_matrix renders every page before and after each peer at 1024 and 1280 pixels wide,
# pixels compared, and where the peer minifies scripts and styles the shown text too. It
# prints a table (docs/render-tests.md) and exits with 1 when any page changed.
# Arguments go to render_matrix: --width, --max-height, --artifacts DIR, PAGE...
set -eu
cd "$(dirname "$0")/.."
out=build/peer-outputs
bench/compare_peers --write-outputs "$out"
cmake --preset dev >/dev/null
cmake --build --preset dev --target render_matrix >/dev/null
exec build/dev/bin/render_matrix \
  --output "minify-go+text=$out/minify-go" \
  --output "terser-markup=$out/terser-markup" \
  --output "terser-markup+css+js+text=$out/terser-markup+css+js" \
  --output "minify-html-markup=$out/minify-html-markup" \
  --output "minify-html-markup+css+js+text=$out/minify-html-markup+css+js" \
  "$@"
