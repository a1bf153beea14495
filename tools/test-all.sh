#!/bin/sh
# Builds everything and runs every test: the native unit tests (ASan/UBSan)
# and fuzz targets, then the Windows tests under Wine, the scenarios against
# both the 64-bit build and the 32-bit release build. Without 32-bit Wine the
# last lines say that the 32-bit build went untested.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in host win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
status=0
ctest --preset host || status=1
# 32-bit programs run on this loader; it may be installed and still not
# start (a kernel without 32-bit support).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ctest --preset win64 || status=1
else
  ctest --preset win64 -LE win32 || status=1
  echo "32-bit Wine is not available: the scenarios did not run against build/win32/setup.exe"
fi
tools/test-ratio.sh || status=1
exit $status
