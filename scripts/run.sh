#!/usr/bin/env bash
# Builds the client, lays it out in dist/ and starts it under Wine, signed out,
# on the embedded demo team. Starts Xvfb when no display is set.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANEL_BUILD:-$here/build}
"$here/scripts/build.sh" Corvanel dist
source "$here/scripts/wine-env.sh"
ensure_display
ensure_prefix
echo "run: starting Corvanel on display $DISPLAY"
cd "$here/dist/bin"
status=0
"$wine_cmd" Corvanel.exe "$@" || status=$?
stop_display
exit $status
