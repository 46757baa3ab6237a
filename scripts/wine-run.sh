#!/usr/bin/env bash
# Runs a Windows program of the build under Wine (ctest's cross-compiling emulator).
# The prefix is the build's own: bin/ and wineprefix/ are siblings.
set -euo pipefail
exe="$1"; shift
if [ -z "${WINEPREFIX:-}" ]; then
  . "$(dirname "$0")/wine-env.sh" "$(dirname "$exe")/.."
fi
exec wine "$exe" "$@"
