# Sourced: which Windows the build targets. Quillet is a 32-bit program and is built and
# tested as one. A kernel without 32-bit support runs 32-bit Wine only through qemu's
# emulator, far too slowly for real work; there the programs are built for x86-64 and run by
# wine64, and `quillet_arch_note` says so.
# Usage: . scripts/build-arch.sh BUILD_DIR   (sets quillet_arch to i686 or x86_64)
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
