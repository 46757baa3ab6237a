#!/usr/bin/env bash
# Maps drives D: and E: of the build's Wine prefix to empty folders of the build (setup)
# and takes them away again (cleanup), putting back any mapping the prefix had before.
# Usage: drives.sh setup|cleanup BUILD_DIR
set -euo pipefail
action="${1:?setup or cleanup}"
build="$(realpath -m "${2:?build folder}")"
dev="$build/wineprefix/dosdevices"
drives="$build/config-drives"

restore() {
  for d in d e; do
    # Only our own mapping goes; one the prefix had comes back from where setup put it.
    if [ "$(readlink "$dev/$d:" 2>/dev/null || true)" = "$drives/$d" ]; then rm -f "$dev/$d:"; fi
    if [ -L "$drives/$d.saved" ]; then mv "$drives/$d.saved" "$dev/$d:"; fi
  done
  rm -rf "$drives"
}

case "$action" in
setup)
  mkdir -p "$dev"
  restore
  for d in d e; do
    mkdir -p "$drives/$d"
    if [ -L "$dev/$d:" ] || [ -e "$dev/$d:" ]; then mv "$dev/$d:" "$drives/$d.saved"; fi
    ln -s "$drives/$d" "$dev/$d:"
  done
  ;;
cleanup)
  restore
  ;;
*)
  echo "usage: $0 setup|cleanup BUILD_DIR" >&2
  exit 2
  ;;
esac
