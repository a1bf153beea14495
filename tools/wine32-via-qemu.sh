#!/bin/sh
# Lets 32-bit Wine run on a kernel that runs no 32-bit code itself: i386
# programs go to qemu's user-mode emulator through binfmt_misc. Needs root
# and Debian's qemu-user-static; does nothing where 32-bit Wine already starts.
# The F flag keeps the interpreter open, so programs Wine starts in other
# mount namespaces find it too. Wine started this way needs
# QEMU_RESERVED_VA=0x80400000 in its environment (wine-run sets it): with
# qemu's default reservation of the whole 4 GB every mapping Wine asks for
# is searched for page by page, and a program takes most of a minute to start.
set -u
/usr/lib/wine/wine --version >/dev/null 2>&1 && exit 0
[ -x /usr/lib/wine/wine ] || { echo "32-bit Wine is not installed"; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "not root: cannot register i386 programs with qemu"; exit 1; }
if [ ! -x /usr/bin/qemu-i386-static ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends qemu-user-static ||
    { echo "qemu-user-static could not be installed: 32-bit Wine cannot run here"; exit 1; }
fi
binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" || exit 1
if [ ! -e "$binfmt/qemu-i386" ]; then
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >"$binfmt/register" || exit 1
fi
QEMU_RESERVED_VA=0x80400000 /usr/lib/wine/wine --version >/dev/null 2>&1
