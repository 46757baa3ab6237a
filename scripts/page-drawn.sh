#!/usr/bin/env bash
# Regenerates the README's picture of a drawn page, docs/page-drawn.png: the sample host's
# newest cash tax document, printed by F10 on a printer queue with Wine's PostScript driver
# (to Quillet a laser printer like any other), as Ghostscript puts that PostScript on A4.
# Usage: scripts/page-drawn.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
out="$build/page-drawn"

bash "$root/scripts/setup.sh"
. "$root/scripts/build-env.sh" "$build"
quillet_configure "$build"
cmake --build "$build" --target hookdll mon2kdbe samplehost Quillet
quillet_i386_note

QUILLET_FORCE_XVFB=1 quillet_wine_session "$build"

rm -rf "$out"; mkdir -p "$out"
bin="$build/bin"
folder="$WINEPREFIX/drive_c/Program Files/Quillet"
wfolder='C:\Program Files\Quillet'
queue='Laserová tiskárna v kanceláři'
ps="$folder/laser.ps"
mkdir -p "$folder"
for f in HOOKDLL.dll Quillet.exe; do cp "$bin/$f" "$folder/"; done
rm -f "$ps"
wine "$bin/samplehost.exe" --root 'C:\' --quillet-ini "$wfolder\\Quillet.ini" --port "$queue" \
  >"$out/samplehost.log" 2>&1
# The database component in the host's folder, where Quillet registers it from.
cp "$bin/mon2kdbe.dll" "$WINEPREFIX/drive_c/Program Files/CIGLER SOFTWARE/Money S3/"

# The queue: Wine's generic PPD (inside its spooler library, up to the first NUL) as the
# driver's data file, the printer writing to a file, and the device entry without which
# no device context can be made for it.
ppd="$WINEPREFIX/drive_c/windows/quillet-generic.ppd"
# The 32-bit program's spooler and print environment.
python3 - "$WINEPREFIX/drive_c/windows/syswow64/winspool.drv" "$ppd" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
start = data.index(b'*PPD-Adobe')
open(sys.argv[2], 'wb').write(data[start:data.index(b'\0', start)])
PY
drivers="HKLM\\System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\Wine PostScript Driver"
printer="HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$queue"
reg() { wine reg add "$@" /f >/dev/null 2>&1; }
reg "$drivers" /v Driver /d wineps.drv
reg "$drivers" /v 'Configuration File' /d wineps.drv
reg "$drivers" /v 'Data File' /d 'C:\windows\quillet-generic.ppd'
reg "$drivers" /v Datatype /d RAW
reg "$drivers" /v Version /t REG_DWORD /d 3
reg "$printer" /v Name /d "$queue"
reg "$printer" /v Port /d "$wfolder\\laser.ps"
reg "$printer" /v 'Printer Driver' /d 'Wine PostScript Driver'
reg "$printer" /v 'Print Processor' /d WinPrint
reg "$printer" /v Datatype /d RAW
reg "$printer" /v Attributes /t REG_DWORD /d 64
reg 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices' /v "$queue" /d "wineps.drv,$wfolder\\laser.ps"

echo "Starting Quillet from $wfolder, its port the printer '$queue'..."
(cd "$folder" && exec wine Quillet.exe >"$out/quillet.log" 2>&1) &
win=""
for _ in $(seq 100); do win="$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n1 || true)"; [ -n "$win" ] && break; sleep 0.1; done
[ -n "$win" ] || { echo "The Wine desktop did not appear." >&2; exit 1; }
sleep 3
echo "Pressing F10 and answering Yes (Ano)..."
xdotool mousemove --window "$win" 400 300 >/dev/null 2>&1 || true
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
xdotool key --clearmodifiers F10
sleep 1.5
xdotool key --clearmodifiers Return
for _ in $(seq 150); do grep -q '%%EOF' "$ps" 2>/dev/null && break; sleep 0.2; done
grep -q '%%EOF' "$ps" 2>/dev/null || { echo "Nothing was printed; see $out/quillet.log" >&2; exit 1; }

echo "The drawn page as Ghostscript reads its text:"
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- "$ps"
cp "$ps" "$out/laser.ps"
# A4 at 100 dpi, in grey, packed for the repository.
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pnggray -r100 -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
  -sOutputFile="$out/page-drawn.png" "$ps"
mkdir -p "$root/docs"
convert "$out/page-drawn.png" -strip -define png:compression-level=9 "$root/docs/page-drawn.png"
echo "Written: $root/docs/page-drawn.png"
