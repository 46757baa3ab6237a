#!/usr/bin/env bash
# Installs what building and testing Quillet needs on a Debian machine, and generates
# the Czech locale that Wine needs for code page 1250 and Czech file names.
set -euo pipefail

# cmake, ninja-build: the build; g++-mingw-w64-i686-posix: the 32-bit Windows compiler and
# windres that build what ships; g++-mingw-w64-x86-64-posix: the 64-bit one, for the few
# tests that the emulator cannot run as 32-bit; wine, wine64, wine32:i386: run the 32-bit
# programs and tests in a 64-bit prefix; xvfb, xauth: a screen for dialogs; xdotool, x11-utils, imagemagick: keystrokes,
# clicks and screenshots in end-to-end runs; googletest: the test framework's sources;
# locales: cs_CZ.UTF-8; python3: regenerating the icons and bitmaps; fonts-wine: Wine's own
# fonts, so that dialogs get the metrics they were laid out for; nsis: the setup program;
# ghostscript: reads back as text the PostScript that a drawn document becomes;
# qemu-user-static: runs the 32-bit programs where the kernel does not; p7zip-full: unpacks
# the setup program to check what it installs; libz-mingw-w64-dev: zlib for the pictures
# escp-view writes.
packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 wine32:i386 xvfb xauth xdotool x11-utils imagemagick googletest
          locales python3 fonts-wine nsis ghostscript qemu-user-static p7zip-full
          libz-mingw-w64-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
  # 32-bit Wine comes from Debian's i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo sed -i 's/^# *\(cs_CZ.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^cs_CZ.UTF-8 UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

