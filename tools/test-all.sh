#!/bin/sh
# Builds everything and runs every test: the native unit tests (ASan/UBSan)
# and fuzz targets, then the Windows tests under Wine, the scenarios against
# both the 64-bit build and the 32-bit release build. The last lines say what
# went untested: the 32-bit build without 32-bit Wine, and what an optional
# tool or root would have checked. Before them, the size of the suite and
# whether every C++ file is as clang-format leaves it.
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
tools/format-check.sh || status=1
# What went untested for want of an optional tool, said where it is seen.
command -v msexpand >/dev/null || echo "msexpand is not installed: the compressor's output was not checked by it"
command -v makensis >/dev/null || echo "makensis is not installed: the peer benchmark gave no figures"
command -v twm >/dev/null || echo "twm is not installed: the peer benchmark gave no figures without a virtual desktop"
[ "$(id -u)" -eq 0 ] || echo "not run as root: no small drive K:, the full-disk scenarios were skipped"
exit $status
