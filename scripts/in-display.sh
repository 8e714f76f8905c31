#!/usr/bin/env bash
# Runs a command inside the Wine environment; called under xvfb-run.
#   in-display.sh BUILD_DIR COMMAND...
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh "$1"
shift
trap wine_env_stop EXIT
"$@"
