#!/bin/sh
# The main job: builds setup.exe and uninst.exe (the 32-bit release and the
# 64-bit build), lays out the demo medium in build/demo-medium with mkmedia,
# installs it under Wine and removes it again with the uninstaller it left.
# With a display (DISPLAY set) you click through both yourself; without one
# the robot does, in an Xvfb of the test bed's own. It shows where the files
# went, the installation log and the record, and what the uninstaller left.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in host win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The release build where 32-bit Wine can run, else the 64-bit one.
build=build/win32
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  build=build/win64
  echo "32-bit Wine cannot run on this machine: installing with the 64-bit build"
fi
medium=build/demo-medium
tools/make-demo-medium.sh "$build/setup.exe" "$build/demo.exe" build/host/tools/mkmedia/mkmedia "$medium"

# A test bed of its own, so that what it installs stays apart from the tests'.
testbed="$PWD/build/win64/demo-testbed"
display=${DISPLAY:-}
mkdir -p "$testbed"
tools/wine-testbed.sh up "$testbed"
trap 'tools/wine-testbed.sh down "$testbed" >/dev/null' EXIT
run() {
  (cd "$testbed/prefix/drive_c" && WINEPREFIX="$PWD/.." DISPLAY=$(cat "$testbed/display") WINEDEBUG=-all \
    QEMU_RESERVED_VA=0x80400000 WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 "$@")
}
# The medium is the folder demo of the CD-ROM drive G:.
ln -sfn "$PWD/$medium" "$testbed/drives/cdrom/demo"
target="$testbed/prefix/drive_c/DEMO"
rm -rf "$target"
if [ -n "$display" ]; then
  echo "installing from G:\\demo: click through the pages"
  run 'G:\demo\SETUP.EXE'
else
  echo "installing from G:\\demo: the robot clicks through the pages"
  run "$PWD/build/win64/tests/e2e/e2e_runner.exe" "$PWD/examples/demo-robot" "$PWD/$build/setup.exe"
fi

echo
echo "installed into C:\\DEMO, that is $target:"
(cd "$target" && find . -type f | sort | while read -r f; do printf '  %8d  %s\n' "$(wc -c <"$f")" "$f"; done)
echo
echo "C:\\DEMO\\INSTALL.LOG:"
tr -d '\r' <"$target/INSTALL.LOG"
echo
echo "C:\\DEMO\\UNINST.DAT, the record the uninstaller undoes from its last line up:"
tr -d '\r' <"$target/UNINST.DAT"

echo
if [ -n "$display" ]; then
  echo "uninstalling with C:\\DEMO\\UNINST.EXE: answer its questions"
  run 'C:\DEMO\UNINST.EXE'
else
  echo "uninstalling with C:\\DEMO\\UNINST.EXE: the robot answers"
  run "$PWD/build/win64/tests/e2e/e2e_runner.exe" "$PWD/examples/demo-uninstall" "$PWD/$build/setup.exe"
fi
# A running program cannot delete its own file: the uninstaller and its
# directory go when Windows next starts, which wineboot -r does here.
run wineboot -r
if [ -e "$target" ]; then
  echo "left in C:\\DEMO:"
  ls -la "$target"
else
  echo "C:\\DEMO is gone, and with it everything the installation made"
fi
