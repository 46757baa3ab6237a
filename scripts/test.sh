#!/usr/bin/env bash
# The README's test command: installs what is missing, builds Quillet and its tests for
# Windows, and runs every test under Wine in the build's private prefix.
# Usage: scripts/test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"

bash "$root/scripts/setup.sh"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUILLET_WERROR=ON >/dev/null
cmake --build "$build"

. "$root/scripts/xvfb.sh"
. "$root/scripts/wine-env.sh" "$build"
quillet_start_xvfb
cleanup() { wineserver -k 2>/dev/null || true; quillet_stop_xvfb; }
trap cleanup EXIT

"$root/scripts/wine-prefix.sh" "$build"
status=0
(cd "$build" && ctest --output-on-failure --timeout 600) || status=$?
exit $status
