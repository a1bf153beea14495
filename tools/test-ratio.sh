#!/bin/sh
# Size of the test suite against the code it tests: non-blank, non-comment
# lines of every text file under tests/ (fuzz corpora and binary fixtures
# aside) against the C++ outside tests/ and bench/. The suite is kept at no
# more than 35 % of the code; the exit status says whether it is.
#   tools/test-ratio.sh [-v]    -v lists the count of every file
set -eu
cd "$(dirname "$0")/.."
verbose=${1:-}

# Counts one file: C-family files drop // lines and /* */ blocks, the rest
# drop lines that start with #.
count() {
  case "$1" in
  *.cpp | *.h | *.c | *.cc | *.rc | *.in.h)
    awk '
      { line = $0 }
      inblock { if (index(line, "*/")) { line = substr(line, index(line, "*/") + 2); inblock = 0 } else next }
      { sub(/^[ \t]+/, "", line) }
      line ~ /^\/\*/ { if (!index(substr(line, 3), "*/")) inblock = 1; next }
      line == "" || line ~ /^\/\// { next }
      { n++ }
      END { print n + 0 }' "$1" ;;
  *)
    awk '{ sub(/^[ \t]+/, "") } $0 == "" || /^#/ { next } { n++ } END { print n + 0 }' "$1" ;;
  esac
}

sum() {
  total=0
  while IFS= read -r f; do
    grep -Iq . "$f" 2>/dev/null || continue   # binary or empty
    n=$(count "$f")
    [ -n "$verbose" ] && printf '%6d  %s\n' "$n" "$f" >&2
    total=$((total + n))
  done
  echo "$total"
}

tests=$(find tests -type f -not -path 'tests/fuzz/corpus/*' | sort | sum)
code=$(find . -path ./tests -prune -o -path ./bench -prune -o -path ./build -prune -o -path './.*' -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.cc' -o -name '*.c' \) -print | sort | sum)
percent=$((tests * 100 / code))
echo "test suite: $tests lines against $code lines of code: $percent % (at most 35 %)"
[ $((tests * 100)) -le $((code * 35)) ]
