#!/usr/bin/env bash
# Pictures of Quillet's settings dialog and of the picker's preview at 96 and at 144 dpi
# (Wine's LogPixels, as Windows sets it for 150 % scaling), to look at for clipped text and
# a blurred preview: docs/dpi/settings-96.png, settings-144.png, preview-96.png and
# preview-144.png.
# Usage: scripts/dpi-pictures.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
out="$root/docs/dpi"

bash "$root/scripts/setup.sh"
. "$root/scripts/build-env.sh" "$build"
quillet_i386_note
quillet_configure "$build"
cmake --build "$build" --target Quillet hookdll mon2kdbe samplehost

QUILLET_FORCE_XVFB=1 quillet_wine_session "$build"

mkdir -p "$out"
bin="$build/bin"
c="$WINEPREFIX/drive_c"
folder="$c/Program Files/Quillet"
wfolder='C:\Program Files\Quillet'
mkdir -p "$folder"
cp "$bin/HOOKDLL.dll" "$bin/Quillet.exe" "$folder/"
wine "$bin/samplehost.exe" --root 'C:\' --quillet-ini "$wfolder\\Quillet.ini" \
  --port "$wfolder\\tisk.prn" >"$build/dpi-samplehost.log" 2>&1
cp "$bin/mon2kdbe.dll" "$c/Program Files/CIGLER SOFTWARE/Money S3/"

press() { xdotool key --clearmodifiers "$@"; }
focus() {
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
}

for dpi in 96 144; do
  hex=$(printf '0x%x' "$dpi")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  echo "Quillet at $dpi dpi..."
  (cd "$folder" && exec wine Quillet.exe >"$build/dpi-quillet-$dpi.log" 2>&1) &
  pid=$!
  win=""
  for _ in $(seq 100); do
    win="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n1 || true)"
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "The Wine desktop did not appear." >&2; exit 1; }
  sleep 4
  read -r width height < <(xdotool getwindowgeometry "$win" |
    sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
  # The tray menu's second item, Nastavení.
  xdotool mousemove --window "$win" $((width - 12)) $((height - 10)) click 3
  sleep 1
  focus
  press Down Down Return
  sleep 2
  import -window "$win" "$out/settings-$dpi.png"
  press Escape
  sleep 1
  # F9, then Náhled on the picker's first document.
  xdotool mousemove --window "$win" 400 300 >/dev/null 2>&1 || true
  focus
  press F9
  sleep 2
  press alt+n
  sleep 3
  import -window "$win" "$out/preview-$dpi.png"
  press Escape
  sleep 0.5
  press Escape
  wineserver -k 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
echo "Pictures in $out: settings-96.png, settings-144.png, preview-96.png, preview-144.png"
