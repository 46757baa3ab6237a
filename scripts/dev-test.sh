#!/usr/bin/env bash
# For development: builds some targets in a build folder of your own and runs the ctest
# entries that match a pattern, under Wine with a private Xvfb screen.
# Usage: scripts/dev-test.sh BUILD_DIR CTEST_REGEX [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:?build folder}")"; regex="${2:-.}"; shift 2 || true
. "$root/scripts/build-arch.sh" "$build"
if [ ! -f "$build/build.ninja" ]; then
  bash "$root/scripts/setup.sh"
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$quillet_arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUILLET_WERROR=ON >/dev/null
fi
if (($#)); then cmake --build "$build" --target "$@"; else cmake --build "$build"; fi
. "$root/scripts/xvfb.sh"
. "$root/scripts/wine-env.sh" "$build"
QUILLET_FORCE_XVFB=1 quillet_start_xvfb
cleanup() { wineserver -k 2>/dev/null || true; quillet_stop_xvfb; }
trap cleanup EXIT
"$root/scripts/wine-prefix.sh" "$build"
cd "$build" && ctest --output-on-failure --timeout 600 -R "$regex"
