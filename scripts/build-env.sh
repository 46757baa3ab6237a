# Sourced: the build's Windows and how its 32-bit programs run here. Quillet ships as a
# 32-bit program, and the programs built, tested and shown are always that build. A kernel
# without 32-bit support runs them through qemu's user-mode emulator: where no binfmt entry
# sends 32-bit programs there yet, one is registered (as root or with sudo).
# Usage: . scripts/build-env.sh BUILD_DIR   (needs $root; sets quillet_arch and quillet_i386)
quillet_arch=i686

# Wine 8's 32-bit start-up probes the upper 2 GB in small steps, because qemu-user takes a
# fixed mapping that must not replace another as a mere hint: with the guest's address space
# reserved up front a program starts in about 3 s instead of a minute. 0x80000000 is too small
# for Wine (it maps 0x7ffe0000); the cost is that large-address-aware programs see 2 GB.
quillet_qemu_reserved_va=0x81000000

_binfmt=/proc/sys/fs/binfmt_misc
_qemu_entry() { [ -f "$_binfmt/qemu-i386" ] && head -n1 "$_binfmt/qemu-i386" | grep -qx enabled; }
_sudo=""; [ "$(id -u)" = 0 ] || _sudo=sudo

# A machine that runs them itself can try the emulator's way with scripts/emulate-i386.sh,
# which registers the entry in a user namespace of its own.
if _qemu_entry; then
  quillet_i386=emulated
elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  quillet_i386=native
else
  if [ -n "$_sudo" ] && ! command -v sudo >/dev/null 2>&1; then
    echo "This kernel runs no 32-bit programs, and registering qemu's emulator for them needs root." >&2
    return 2 2>/dev/null || exit 2
  fi
  echo "NOTE: this kernel runs no 32-bit programs itself: registering qemu-i386-static for 32-bit"
  echo "      programs (binfmt_misc entry qemu-i386, for the whole machine until it restarts)."
  if [ ! -f "$_binfmt/register" ]; then
    $_sudo mount -t binfmt_misc binfmt_misc "$_binfmt"
  fi
  # The registration line: 32-bit ELF programs go to qemu-i386-static, opened now (F), so
  # that the entry works in every mount namespace.
  $_sudo tee "$_binfmt/register" <"$root/scripts/qemu-i386.binfmt" >/dev/null
  if ! _qemu_entry; then
    echo "The emulator's binfmt entry could not be registered." >&2
    return 2 2>/dev/null || exit 2
  fi
  quillet_i386=emulated
fi
if [ "$quillet_i386" = emulated ]; then
  export QEMU_RESERVED_VA="$quillet_qemu_reserved_va"
fi
unset _binfmt _sudo
unset -f _qemu_entry

# One line on how the 32-bit programs run here, for the scripts that show or test them.
quillet_i386_note() {
  case "$quillet_i386" in
  native) echo "32-bit programs run natively (i686 build under Wine)." ;;
  emulated) echo "32-bit programs run through qemu's emulator here: the i686 build runs under Wine by way of qemu-i386-static (binfmt entry qemu-i386, QEMU_RESERVED_VA=$QEMU_RESERVED_VA)." ;;
  esac
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
