#!/bin/sh
# Our installation beside the peer installer's (NSIS 3, Debian's nsis, built
# here with makensis) on the same 1,000 files of 200 MB, and our first page
# beside its first page: ROUNDS runs of each installation and eight times as
# many of each first page (a start costs little and varies much), alternating,
# each after the data of the one before is written back and its files
# removed. Medians and ranges, with CopyFileA of the same files beside them,
# in the test bed (Wine's virtual desktop) and in Wine as users have it (no
# virtual desktop, a window manager). Figures only: nothing is asserted.
#   bench/peer-bench.sh BUILD_DIR [ROUNDS]
set -eu
build=$(cd "$1" && pwd)
rounds=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
run="$build/testbed/wine-run"
bench="$build/bench/peer_bench.exe"
unixdir="$build/testbed/drives/cdrom/peerbench"
dir='G:\peerbench'
if ! command -v makensis >/dev/null 2>&1; then
  echo "makensis is not installed (Debian's nsis): no peer figures"
  exit 0
fi
# What users get: the release build where 32-bit Wine runs.
setup="$build/setup.exe"
if [ -f "$root/build/win32/setup.exe" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  setup="$root/build/win32/setup.exe"
fi
echo "ours: $setup; the peer: makensis $(makensis -VERSION), zlib, amd64-unicode stub"
# A Unix path as Windows programs under Wine take it.
winsetup=$(printf '%s' "$setup" | tr / '\\')
"$run" "$bench" layout "$dir" "\\\\?\\unix$winsetup" >/dev/null
cd "$unixdir"
makensis -V1 silent.nsi
makensis -V1 pages.nsi
makensis -V1 pages32.nsi

# One figure: the median and range of a list of seconds.
summary() { sort -n | awk '{ v[NR] = $1 } END { printf "%.3f s (%.3f-%.3f)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

measure() {
  config=$1
  : >"$unixdir/ours.txt"
  : >"$unixdir/nsis.txt"
  : >"$unixdir/copy.txt"
  : >"$unixdir/first-ours.txt"
  : >"$unixdir/first-nsis.txt"
  : >"$unixdir/first-nsis32.txt"
  i=0
  while [ $i -lt $((rounds * 8)) ]; do
    # Every other round the peer goes first.
    if [ $((i % 2)) -eq 0 ]; then
      install="nsis ours copy" first="first-nsis first-ours first-nsis32"
    else
      install="ours nsis copy" first="first-nsis32 first-ours first-nsis"
    fi
    [ $i -lt "$rounds" ] || install=""
    for side in $install $first; do
      sync
      figure=$("$run" "$bench" "$side" "$dir" | tr -d '\r')
      case "$figure" in
      [0-9]*) echo "$figure" >>"$unixdir/$side.txt" ;;
      *)
        echo "peer_bench $side: $figure"
        exit 1
        ;;
      esac
    done
    i=$((i + 1))
  done
  ours=$(median <"$unixdir/ours.txt")
  nsis=$(median <"$unixdir/nsis.txt")
  echo "$config, medians and ranges of $rounds rounds (first pages: $((rounds * 8))):"
  echo "  whole installation: ours (the pass) $(summary <"$unixdir/ours.txt"), NSIS (whole process) $(summary <"$unixdir/nsis.txt"): ours $(ratio "$ours" "$nsis") NSIS (goal at most 0.6x); CopyFileA $(summary <"$unixdir/copy.txt")"
  first=$(median <"$unixdir/first-ours.txt")
  peer=$(median <"$unixdir/first-nsis.txt")
  peer32=$(median <"$unixdir/first-nsis32.txt")
  echo "  first page: ours $(summary <"$unixdir/first-ours.txt"), NSIS $(summary <"$unixdir/first-nsis.txt"): ours $(ratio "$first" "$peer") NSIS (goal at most 1.0x)"
  echo "    beside its 32-bit stub, started by Wine as ours is: NSIS $(summary <"$unixdir/first-nsis32.txt"): ours $(ratio "$first" "$peer32")"
}

measure "the test bed (virtual desktop)"

# Wine as users have it: no virtual desktop, and a window manager (without
# one, Wine waits 2 s at every window it hides for a manager to answer).
export WINEPREFIX="$build/testbed/prefix"
wm=""
if [ -f "$build/testbed/display" ]; then
  DISPLAY=$(cat "$build/testbed/display")
  export DISPLAY
  if command -v twm >/dev/null 2>&1; then
    printf 'TitleFont "fixed"\nMenuFont "fixed"\nIconFont "fixed"\nResizeFont "fixed"\nIconManagerFont "fixed"\nRandomPlacement\n' >"$unixdir/twmrc"
    twm -f "$unixdir/twmrc" >/dev/null 2>&1 &
    wm=$!
  fi
fi
restore() {
  [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
  "$run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  (setsid wineserver -p >/dev/null 2>&1 </dev/null &)
  cd /
  rm -rf "$unixdir"
}
trap restore EXIT
if [ -f "$build/testbed/display" ] && [ -z "$wm" ]; then
  echo "no window manager (Debian's twm) for the test bed's display: no figures without a virtual desktop"
  exit 0
fi
"$run" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
measure "Wine as users have it (no virtual desktop)"
