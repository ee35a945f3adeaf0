#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb, in a throw-away
# Wine prefix with its own Documents folder. Ends with ctest's summary.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANEL_BUILD:-$here/build}
"$here/scripts/build.sh"
source "$here/scripts/wine-env.sh"
ensure_display
ensure_prefix
start_wineserver
trap 'stop_wineserver; stop_display' EXIT
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
