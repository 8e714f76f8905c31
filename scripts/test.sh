#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine and Xvfb.
# Extra arguments go to ctest (for example -R Settings).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/build.sh
# The pure rules, fuzzed natively for a few seconds each (not when only a
# subset of the tests was asked for).
if [ $# -eq 0 ]; then
  bash scripts/fuzz.sh "${PARCELON_FUZZ_SECONDS:-5}"
fi
xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash scripts/in-display.sh "$BUILD_DIR" \
  ctest --test-dir "$BUILD_DIR" --output-on-failure "$@"
