#!/usr/bin/env bash
# The README's test command: installs what is missing, builds Quillet and its tests for
# Windows, and runs every test under Wine in the build's private prefix.
# Usage: scripts/test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"

bash "$root/scripts/setup.sh"

. "$root/scripts/build-env.sh" "$build"
quillet_i386_note

quillet_configure "$build"
cmake --build "$build"

quillet_wine_session "$build"
status=0
(cd "$build" && ctest --output-on-failure --timeout 600) || status=$?
exit $status
