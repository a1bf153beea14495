#!/bin/sh
# The main job: builds the release (32-bit) and test (64-bit) programs.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "built: build/win32 (release), build/win64 (tests under Wine)"
