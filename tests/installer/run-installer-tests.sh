#!/usr/bin/env bash
# Runs installer_tests.exe in a Wine prefix of its own, made afresh each time, so that the
# setup program meets a machine where nothing was installed. DISPLAY must be set.
# Usage: run-installer-tests.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
own="$build/installer-test"
if [ -d "$own/wineprefix" ]; then
  WINEPREFIX="$own/wineprefix" wineserver -k 2>/dev/null || true
fi
rm -rf "$own"; mkdir -p "$own"
"$root/scripts/wine-prefix.sh" "$own"
. "$root/scripts/wine-env.sh" "$own"
status=0
# Quillet, started by the setup program, may outlive the test: its output goes to a file.
wine "$build/bin/installer_tests.exe" >"$own/output.txt" 2>&1 || status=$?
wineserver -k 2>/dev/null || true
tr -d '\r' <"$own/output.txt"
exit $status
