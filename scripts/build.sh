#!/usr/bin/env bash
# Configures and builds everything for the Windows target into build/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANEL_BUILD:-$here/build}
"$here/scripts/setup.sh"
cache_args=()
[ -n "${CORVANEL_CACHE:-}" ] && cache_args=(-DCORVANEL_CACHE="$CORVANEL_CACHE")
# Configured every time (it takes a moment), so that a build folder made before
# Wine was installed still gets Wine as the tests' emulator.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  "${cache_args[@]}" >/dev/null
cmake --build "$build" -- -k 0 "$@"
