#!/bin/sh
# Whether every C++ file of the repository is as clang-format (the root's
# .clang-format) leaves it; lists the files it would change, and fails then.
#   tools/format-check.sh       clang-format -i on the files it lists mends them
set -eu
cd "$(dirname "$0")/.."
changed=""
for f in $(git ls-files '*.cpp' '*.h' '*.c' '*.cc'); do
  clang-format "$f" | cmp -s - "$f" || changed="$changed $f"
done
if [ -n "$changed" ]; then
  echo "not formatted by clang-format:$changed"
  exit 1
fi
echo "formatted: every C++ file as clang-format leaves it"
