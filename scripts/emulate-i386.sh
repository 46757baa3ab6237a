#!/usr/bin/env bash
# Runs a command as on a machine whose kernel runs no 32-bit programs: in a user namespace
# of its own, where 32-bit programs go through qemu-i386-static (a binfmt_misc instance of
# the namespace's own, Linux 6.7 or later). Nothing changes for the rest of the machine.
# Usage: scripts/emulate-i386.sh COMMAND [ARG...]   e.g. scripts/emulate-i386.sh bash scripts/test.sh build-emu
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
exec unshare --user --map-root-user --mount --fork bash -c '
  set -e
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  tr -d "\n" <"$(dirname "$0")/qemu-i386.binfmt" >/proc/sys/fs/binfmt_misc/register
  exec "$@"' "$0" "$@"
