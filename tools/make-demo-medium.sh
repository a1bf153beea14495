#!/bin/sh
# Lays out the demo medium as a vendor would: the demo product's files (the
# demo program, its texts and data, an orange-to-green page picture) in a
# product folder beside OUT, made into the medium by mkmedia from the demo's
# install script, compressed where the script names them so.
#   tools/make-demo-medium.sh SETUP_EXE DEMO_EXE MKMEDIA OUT
set -eu
setup=$1 demo=$2 mkmedia=$3 out=$4
src="$(cd "$(dirname "$0")/.." && pwd)/examples/demo"
product="$out-product"
rm -rf "$product"
mkdir -p "$product"
cp -r "$src/README.TXT" "$src/DATA" "$product/"
cp "$demo" "$product/DEMO.EXE"
convert -size 256x128 gradient:orange-darkgreen -type truecolor "BMP3:$product/LOGO.BMP"
"$mkmedia" --force --setup "$setup" "$product" "$src/INSTALL.LST" "$out"
echo "demo medium laid out in $out"
