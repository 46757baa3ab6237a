#!/usr/bin/env bash
# Creates (once) the build's Wine prefix: Czech locale, a virtual desktop so that the
# tray exists and hiding windows does not stall. (The host component is registered by
# a ctest fixture and by Quillet itself.)
# Usage: scripts/wine-prefix.sh BUILD_DIR   (DISPLAY must be set)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh" "$1"
if [ ! -f "$WINEPREFIX/.quillet-ready" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (once; about 20 s)..."
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # A program that crashes ends there: Wine's debugger would wait for a console nobody reads
  # and keep the test that started the program waiting (for 64-bit and for 32-bit programs).
  for view in '' 'Wow6432Node\'; do
    wine reg add "HKLM\Software\${view}Microsoft\Windows NT\CurrentVersion\AeDebug" /v Debugger /d '' /f >/dev/null 2>&1
  done
  wineserver -w
  touch "$WINEPREFIX/.quillet-ready"
fi
# Wine's own fonts ("MS Sans Serif", Tahoma, Marlett) into the prefix, where Wine looks for
# them: without them dialogs are laid out in a wider substitute and texts get clipped.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ]; then
  cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
fi
