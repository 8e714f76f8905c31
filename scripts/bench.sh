#!/usr/bin/env bash
# Builds and runs the folder tree benchmark under Wine and Xvfb.
#   bash scripts/bench.sh [options for folder_tree_bench]
# for example --sizes=1000,10000 --shapes=deep-ascii --reps=1 --no-profile
# PARCELON_BUILD_DIR selects the build folder (default build). The data
# folders are generated on the first run into BUILD_DIR/bench-cache and
# reused; the report is also written to BUILD_DIR/bench-results.txt.
# The benchmark is not part of the tests: it passes or fails nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/build.sh >/dev/null
build=$(cd "$BUILD_DIR" && pwd)
mkdir -p "$build/bench-cache"
# Wine sees the Unix root as drive Z:.
cache="Z:$(echo "$build/bench-cache" | tr / '\\')"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash scripts/in-display.sh "$BUILD_DIR" \
  wine "$build/bin/folder_tree_bench.exe" "$cache" "$@" | tee "$build/bench-results.txt"
