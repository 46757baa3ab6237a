#!/usr/bin/env bash
# Gives the build's Wine prefix the ports a shop has (setup) and takes them away again
# (cleanup): LPT1: leads to the file printer-ports/lpt1.prn of the build, and the share
# \\localhost\quillet-lpt to printer-ports/share.prn; printer-ports/null.prn is a link to
# the null device. Wine reads its port mapping only when its server starts, so the server
# is restarted: run this only between tests.
# Usage: ports.sh setup|cleanup BUILD_DIR
set -euo pipefail
action="${1:?setup or cleanup}"
build="$(realpath -m "${2:?build folder}")"
. "$(dirname "$0")/../../scripts/wine-env.sh" "$build"
ports="$build/printer-ports"
share="$WINEPREFIX/dosdevices/unc/localhost/quillet-lpt"

restore() {
  wine reg delete 'HKLM\Software\Wine\Ports' /v LPT1 /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ "$(readlink "$WINEPREFIX/dosdevices/lpt1" 2>/dev/null || true)" = "$ports/lpt1.prn" ]; then
    rm -f "$WINEPREFIX/dosdevices/lpt1"
  fi
  rm -f "$share"
  rm -rf "$ports"
}

case "$action" in
setup)
  restore
  mkdir -p "$ports" "$(dirname "$share")"
  : >"$ports/lpt1.prn"
  : >"$ports/share.prn"
  ln -s /dev/null "$ports/null.prn"
  ln -s "$ports/share.prn" "$share"
  wine reg add 'HKLM\Software\Wine\Ports' /v LPT1 /d "$ports/lpt1.prn" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  ;;
cleanup)
  restore
  ;;
*)
  echo "usage: $0 setup|cleanup BUILD_DIR" >&2
  exit 2
  ;;
esac
