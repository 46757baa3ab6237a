#!/usr/bin/env bash
# The README's main job: builds Quillet, lays out a sample host installation in a Wine
# prefix, starts Quillet there as a user would, presses F10, answers Yes and shows the
# printed page. Screenshots go to build/demo/.
# Usage: scripts/demo.sh [BUILD_DIR]   (default: build; with a display Quillet keeps running)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"
demo="$build/demo"

bash "$root/scripts/setup.sh"
. "$root/scripts/build-env.sh" "$build"
quillet_i386_note
quillet_configure "$build"
# What ships (the programs and the setup) and what the demonstration lays out.
cmake --build "$build" --target Quillet hookdll quillet-print escp-view setup mon2kdbe samplehost

quillet_wine_session "$build" keep

rm -rf "$demo"; mkdir -p "$demo"
bin="$build/bin"
c="$WINEPREFIX/drive_c"
folder="$c/Program Files/Quillet"
port="$folder/tisk.prn"
wfolder='C:\Program Files\Quillet'

# Quillet's folder as an installer leaves it, the host installation on C: with its
# database component in the host's folder, and Quillet.ini beside Quillet.exe, its port a file.
mkdir -p "$folder"
cp "$bin/HOOKDLL.dll" "$folder/"
cp "$bin/quillet-print.exe" "$bin/Quillet.exe" "$folder/"
rm -f "$port"
echo "Laying out a sample host installation on the prefix's C:..."
wine "$bin/samplehost.exe" --root 'C:\' --quillet-ini "$wfolder\\Quillet.ini" \
  --port "$wfolder\\tisk.prn" >"$demo/samplehost.log" 2>&1
cp "$bin/mon2kdbe.dll" "$c/Program Files/CIGLER SOFTWARE/Money S3/"

wait_for_page() {  # until the port file ends with the form feed
  for _ in $(seq 150); do
    if [ -s "$port" ] && [ "$(tail -c1 "$port" | od -An -tx1 | tr -d ' ')" = 0c ]; then return 0; fi
    sleep 0.2
  done
  return 1
}

# Keystrokes go to the Wine desktop window, which must hold the X focus. Wine hands the
# focus on to windows of its own (a message box, say), so the desktop is focused only
# before a key meant for the tray's popup menu, which takes no X focus itself.
focus_desktop() {
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
}
press() { xdotool key --clearmodifiers "$@"; }
menu_press() { focus_desktop; press "$@"; }

desktop_window() { xdotool search --name 'Wine desktop' 2>/dev/null | head -n1 || true; }

# Started from its own folder; an unregistered host component it registers itself, from
# the host's folder.
wineserver -k 2>/dev/null || true
echo "Starting Quillet from $wfolder (the Wine desktop, the splash, then the tray icon; about 10 s)..."
(cd "$folder" && exec wine Quillet.exe >"$demo/quillet.log" 2>&1) &
quillet_pid=$!
win=""
for _ in $(seq 100); do win="$(desktop_window)"; [ -n "$win" ] && break; sleep 0.1; done
if [ -z "$win" ]; then echo "The Wine desktop did not appear." >&2; exit 1; fi
sleep 3  # the splash shows for a second, then Quillet sits in the tray

echo "Pressing F10 and answering Yes (Ano) to the question; the page goes to $wfolder\\tisk.prn..."
# F10 as the user presses it over the host: the hook reports the release.
xdotool mousemove --window "$win" 400 300 >/dev/null 2>&1 || true
focus_desktop
press F10
sleep 1.5
import -window "$win" "$demo/question.png"
press Return  # Yes is the default button
if ! wait_for_page; then
  echo "Nothing was printed; see $demo/quillet.log" >&2
  exit 1
fi

echo "The printed page ($wfolder\\tisk.prn), as the printer puts it on paper:"
echo "Legend: [137 c ds] = characters per line and print mode (dw double width, c condensed, e elite, b emphasized, ds double strike); {init} and other {tags} = printer set-up commands."
echo
wine "$bin/escp-view.exe" "$wfolder\\tisk.prn" >"$demo/page.txt" 2>/dev/null || true
tr -d '\r' <"$demo/page.txt"
echo
# The same page as a picture, as a 9-pin printer prints it: page.png (page-2.png ... for
# a longer document) at 120 dpi.
wine "$bin/escp-view.exe" --png "Z:${demo//\//\\}\\page.png" "$wfolder\\tisk.prn" >"$demo/escp-view.log" 2>&1
echo "The page as a picture: $demo/page.png"
import -window "$win" "$demo/desktop.png"
# The tray icon sits at the right end of the Wine desktop's taskbar; a right click
# opens its menu for a second picture, Esc closes it again.
read -r width height < <(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
tray_menu() { xdotool mousemove --window "$win" $((width - 12)) $((height - 10)) click 3; sleep 1; }
tray_menu
import -window "$win" "$demo/tray-menu.png"
menu_press Escape
# F9 opens the picker; Náhled (Alt+N) shows its first document as it would print, and
# Esc twice closes the preview and the picker without printing.
focus_desktop
press F9
sleep 1.5
press alt+n
sleep 2
import -window "$win" "$demo/preview.png"
press Escape
sleep 0.5
press Escape
echo "Screenshots in $demo: question.png (the confirmation), desktop.png (the desktop"
echo "with Quillet's icon at the right end of the taskbar), tray-menu.png (its menu),"
echo "preview.png (the picker's Náhled)."

if [ -n "$quillet_own_screen" ]; then
  # Ended as a user ends it: the tray menu's "&Konec".
  tray_menu
  menu_press k
  for _ in $(seq 50); do kill -0 "$quillet_pid" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$quillet_pid" 2>/dev/null; then echo "Quillet did not end through its menu." >&2; exit 1; fi
  echo "Quillet ended through its tray menu's Konec."
else
  echo
  echo "Quillet keeps running in the Wine desktop: try F9, F10, F11 and the tray icon's menu"
  echo "(left click: the picker; right click: O aplikaci..., Nastavení, Konec)."
  echo "Pages go to $port."
  echo "End it with the tray menu's Konec, or: WINEPREFIX='$WINEPREFIX' wineserver -k"
fi
