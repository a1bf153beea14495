#!/bin/sh
# Installs with apt what building and testing need and this machine lacks,
# 32-bit Wine (wine32:i386) included; the scenarios run the 32-bit release
# build with it; NSIS and a window manager (twm, with its fonts) for the peer
# benchmark.
# When 32-bit Wine cannot be installed the rest still is.
set -eu
packages="cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest libgtest-dev
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 xvfb xauth imagemagick fonts-liberation mscompress nsis twm xfonts-base wine32:i386"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
wine32() {
  # A kernel without 32-bit support runs the 32-bit loader through qemu.
  /usr/lib/wine/wine --version >/dev/null 2>&1 || "$(dirname "$0")/wine32-via-qemu.sh" || true
}
if [ -z "$missing" ]; then
  wine32
  exit 0
fi
echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
case "$missing" in *wine32:i386*)
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 || true ;;
esac
$sudo apt-get update -q || true
apt_install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"; }
rest=$(echo "$missing" | sed 's/ wine32:i386//')
[ -z "$rest" ] || apt_install $rest
case "$missing" in *wine32:i386*) apt_install wine32:i386 || echo "wine32:i386 could not be installed" ;; esac
wine32
