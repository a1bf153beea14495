#!/bin/sh
# Builds everything and runs every test: the native unit tests (ASan/UBSan)
# and fuzz targets, then the Windows tests under Wine; the 32-bit release
# build is compiled too. Ends with ctest's summary of the Windows tests.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in host win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
status=0
ctest --preset host || status=1
ctest --preset win64 || status=1
exit $status
