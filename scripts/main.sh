#!/usr/bin/env bash
# Sets up what is missing, builds Parcelon.dll and shows what it exports.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/build.sh >/dev/null
lib="$BUILD_DIR/bin/Parcelon.dll"
echo "Parcelon.dll: $(cd "$(dirname "$lib")" && pwd)/$(basename "$lib")"
echo "Exports (ordinal name):"
i686-w64-mingw32-objdump -p "$lib" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && /^\s*\[/ { gsub(/[\[\]]/, ""); printf "  %2d %s\n", $1 + 1, $2; next }
  on { on = 0 }' | sort -n
