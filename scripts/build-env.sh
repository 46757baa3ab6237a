# Sourced: which Windows the build targets. Quillet is a 32-bit program and is built and
# tested as one. A kernel without 32-bit support runs 32-bit Wine only through qemu's
# emulator, far too slowly for real work; there the programs are built for x86-64 and run by
# wine64, and `quillet_arch_note` says so.
# Usage: . scripts/build-env.sh BUILD_DIR   (sets quillet_arch to i686 or x86_64; needs $root)
quillet_arch=i686
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  quillet_arch=x86_64
  # Wine's launcher starts the 32-bit loader first, which would go through the emulator on
  # every program start: 64-bit programs go straight to wine64.
  _shims="$(realpath -m "${1:?build folder}")/wine64-shims"
  mkdir -p "$_shims"
  for _name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$_shims/$_name"
    chmod +x "$_shims/$_name"
  done
  export PATH="$_shims:$PATH"
  unset _shims _name
fi
quillet_arch_note() {
  [ "$quillet_arch" = i686 ] ||
    echo "NOTE: this kernel does not run 32-bit programs itself: built for x86-64 and run by wine64; $*"
}

# Configures BUILD_DIR for quillet_arch (any further arguments go to cmake).
quillet_configure() {
  local build="$1"; shift
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$quillet_arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUILLET_WERROR=ON "$@" >/dev/null
}

# The Wine session of BUILD_DIR: its environment, an Xvfb screen (one of its own with
# QUILLET_FORCE_XVFB=1, else the display there is) and its prefix; on exit the Wine server
# and the screen end. With `keep`, programs started on a display of the user's own stay.
quillet_wine_session() {
  . "$root/scripts/xvfb.sh"
  . "$root/scripts/wine-env.sh" "$1"
  quillet_start_xvfb
  if [ "${2:-}" = keep ]; then quillet_own_screen="$QUILLET_XVFB_PID"; else quillet_own_screen=yes; fi
  trap 'if [ -n "$quillet_own_screen" ]; then wineserver -k 2>/dev/null || true; quillet_stop_xvfb; fi' EXIT
  "$root/scripts/wine-prefix.sh" "$1"
}
