#!/bin/sh
# The Wine test bed of one build tree.
#   wine-testbed.sh up TESTBED    create the prefix once, start Xvfb when there
#                                 is no display, start a persistent wineserver
#   wine-testbed.sh down TESTBED  stop that wineserver and that Xvfb
# Wine's output never goes to a pipe here: services started by the first
# wine command inherit it and would keep the caller waiting.
set -eu
action=$1
testbed=$(cd "$2" && pwd)
export WINEPREFIX="$testbed/prefix"
export WINEDEBUG=-all
export QEMU_RESERVED_VA=0x80400000  # see wine-run.in
export WINEDLLOVERRIDES="mscoree,mshtml="
build=$(dirname "$testbed")
log="$testbed/testbed.log"
# Everything here runs on the 64-bit loader. With 32-bit Wine installed,
# plain wine is the 32-bit loader: its regedit writes the 32-bit registry
# view, where the mount manager never looks for drive types, and on a kernel
# without 32-bit support it cannot start at all.
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=wine
regedit64() { "$wine64" regedit "$@"; }
wine32_usable() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
# A prefix of an older test bed is made again: one made before 32-bit Wine
# was installed has no 32-bit half.
version="4 $(wine32_usable && echo wow64 || echo win64)"

start_display() {
  if [ -n "${DISPLAY:-}" ]; then
    echo "$DISPLAY" > "$testbed/display"
    return
  fi
  # Up already: its display again, not a second Xvfb that nothing would stop.
  if [ -f "$testbed/xvfb.pid" ] && [ -f "$testbed/display" ] && kill -0 "$(cat "$testbed/xvfb.pid")" 2>/dev/null; then
    return
  fi
  n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$testbed/xvfb.log" 2>&1 </dev/null &
  echo $! > "$testbed/xvfb.pid"
  i=0
  until [ -e "/tmp/.X11-unix/X$n" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ]; then echo "Xvfb did not start" >&2; exit 1; fi
    sleep 0.1
  done
  echo ":$n" > "$testbed/display"
}

# Drives of every type, each a folder of the test bed, and the build tree as
# Y: so that the test programs can be started; Z: (all of /) is removed so
# that drive scans see only these.
create_prefix() {
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$wine64" wineboot -i >>"$log" 2>&1 </dev/null
  wineserver -w
  for d in "$WINEPREFIX"/dosdevices/*; do
    case "$d" in */c:) ;; *) rm -f "$d" ;; esac
  done
  for kind in floppy network cdrom ramdisk; do mkdir -p "$testbed/drives/$kind"; done
  ln -s "$testbed/drives/floppy" "$WINEPREFIX/dosdevices/d:"
  ln -s "$testbed/drives/network" "$WINEPREFIX/dosdevices/f:"
  ln -s "$testbed/drives/cdrom" "$WINEPREFIX/dosdevices/g:"
  ln -s "$testbed/drives/ramdisk" "$WINEPREFIX/dosdevices/h:"
  ln -s "$build" "$WINEPREFIX/dosdevices/y:"
  # The typefaces the program draws with are mapped to their metric twins;
  # Wine's virtual desktop draws captions and frames as Windows would.
  cat > "$WINEPREFIX/drive_c/drives.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"c:"="hd"
"d:"="floppy"
"f:"="network"
"g:"="cdrom"
"h:"="ramdisk"
"k:"="hd"
"y:"="hd"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
  (cd "$WINEPREFIX/drive_c" && regedit64 /S 'C:\drives.reg' >>"$log" 2>&1 </dev/null)
  rm -f "$WINEPREFIX/drive_c/drives.reg"
  wineserver -w
  make_nodrives_prefix
  echo "$version" > "$WINEPREFIX/.testbed-ready"
}

# A second prefix for a machine without a fixed or network drive: C: is a
# floppy, the build tree a CD-ROM, no network drive.
make_nodrives_prefix() {
  nodrives="$testbed/prefix-nodrives"
  rm -rf "$nodrives"
  cp -a "$WINEPREFIX" "$nodrives"
  rm -f "$nodrives/dosdevices/f:"
  cat > "$nodrives/drive_c/nodrives.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"c:"="floppy"
"f:"=-
"y:"="cdrom"
REG
  (cd "$nodrives/drive_c" && WINEPREFIX="$nodrives" regedit64 /S 'C:\nodrives.reg' >>"$log" 2>&1 </dev/null)
  rm -f "$nodrives/drive_c/nodrives.reg"
  WINEPREFIX="$nodrives" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$nodrives" wineserver -w >/dev/null 2>&1 || true
}

case "$action" in
up)
  mkdir -p "$testbed"
  start_display
  if [ "$(cat "$WINEPREFIX/.testbed-ready" 2>/dev/null)" != "$version" ]; then create_prefix; fi
  # K: is a fixed drive of 1 MB for the full-disk scenario: a tmpfs, which
  # only root can mount; without it there is no K: and the scenario says so.
  small="$testbed/drives/small"
  mkdir -p "$small"
  if [ "$(id -u)" -eq 0 ] && ! mountpoint -q "$small"; then mount -t tmpfs -o size=1m tmpfs "$small" || true; fi
  if mountpoint -q "$small"; then ln -sfn "$small" "$WINEPREFIX/dosdevices/k:"; else rm -f "$WINEPREFIX/dosdevices/k:"; fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  setsid wineserver -p >>"$log" 2>&1 </dev/null &
  # Warm up with nothing attached to our output.
  (cd "$WINEPREFIX/drive_c" && DISPLAY=$(cat "$testbed/display") "$wine64" cmd /c exit >>"$log" 2>&1 </dev/null)
  echo "test bed up: prefix $WINEPREFIX, display $(cat "$testbed/display")"
  ;;
down)
  wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$testbed/prefix-nodrives" wineserver -k >/dev/null 2>&1 || true
  if mountpoint -q "$testbed/drives/small"; then umount "$testbed/drives/small" || true; fi
  if [ -f "$testbed/xvfb.pid" ]; then
    kill "$(cat "$testbed/xvfb.pid")" 2>/dev/null || true
    rm -f "$testbed/xvfb.pid" "$testbed/display"
  fi
  echo "test bed down"
  ;;
*)
  echo "usage: $0 up|down TESTBED" >&2
  exit 2
  ;;
esac
