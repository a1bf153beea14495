#!/bin/sh
# Lays out the demo medium: setup.exe, the install script and the demo's
# files, compressed where the script names them so, and its page picture.
#   tools/make-demo-medium.sh SETUP_EXE DEMO_EXE LZCOMPRESS OUT
set -eu
setup=$1 demo=$2 lz=$3 out=$4
src="$(cd "$(dirname "$0")/.." && pwd)/examples/demo"
rm -rf "$out"
mkdir -p "$out/DATA"
cp "$setup" "$out/SETUP.EXE"
cp "$src/INSTALL.LST" "$src/README.TXT" "$out/"
cp "$demo" "$out/DEMO.EXE"
"$lz" "$out/DEMO.EXE"
rm "$out/DEMO.EXE"
"$lz" -d "$out/DATA" "$src/DATA/SAMPLE.DAT" "$src/DATA/NOTES.TXT"
# An orange-to-green picture for the initial page.
convert -size 256x128 gradient:orange-darkgreen -type truecolor "BMP3:$out/LOGO.BMP"
echo "demo medium laid out in $out"
