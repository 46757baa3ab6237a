#!/usr/bin/env bash
# For development: builds some targets in a build folder of your own and runs the ctest
# entries that match a pattern, under Wine with a private Xvfb screen.
# Usage: scripts/dev-test.sh BUILD_DIR CTEST_REGEX [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:?build folder}")"; regex="${2:-.}"; shift 2 || true
. "$root/scripts/build-env.sh" "$build"
if [ ! -f "$build/build.ninja" ]; then
  bash "$root/scripts/setup.sh"
  quillet_configure "$build"
fi
if (($#)); then cmake --build "$build" --target "$@"; else cmake --build "$build"; fi
QUILLET_FORCE_XVFB=1 quillet_wine_session "$build"
cd "$build" && ctest --output-on-failure --timeout 600 -R "$regex"
