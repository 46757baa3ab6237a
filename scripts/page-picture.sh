#!/usr/bin/env bash
# Regenerates the README's picture of a printed page, docs/page.png: runs the main job
# (scripts/demo.sh, under its own screen), which prints the sample host's newest cash tax
# document and draws it with escp-view --png, and keeps its first sheet, with the top of
# the second where the document goes on there, recompressed.
# Usage: scripts/page-picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"

env -u DISPLAY bash "$root/scripts/demo.sh" "$build" >"$build/page-picture.log" 2>&1 || {
  echo "The main job failed; see $build/page-picture.log" >&2
  exit 1
}
mkdir -p "$root/docs"
# ImageMagick joins the sheets as the continuous paper comes out of the printer.
sheets=("$build/demo/page.png")
if [ -f "$build/demo/page-2.png" ]; then
  sheets+=("(" "$build/demo/page-2.png" -crop 1140x180+0+0 +repage ")")
fi
convert "${sheets[@]}" -append -strip -define png:compression-level=9 "$root/docs/page.png"
echo "Written: $root/docs/page.png"
