#!/bin/sh
# Runs QorvMakeDlf on the shipped ZEM example and shows what it made, then
# builds the disc image with QorvImage and verifies it.
# Usage: sh examples/demo.sh [path/to/QorvMakeDlf [path/to/QorvImage]]
#        (make demo passes build/QorvMakeDlf build/QorvImage)
# The outputs go to examples/out/, which is not kept in the repository.

tool=${1:-build/QorvMakeDlf}
case $tool in
  /*) ;;
  *) tool=$(pwd)/$tool ;;
esac
image_tool=${2:-$(dirname "$tool")/QorvImage}
case $image_tool in
  /*) ;;
  *) image_tool=$(pwd)/$image_tool ;;
esac
if [ ! -x "$tool" ]; then
  echo "demo: no QorvMakeDlf at $tool (build it first: make build)" >&2
  exit 1
fi

# The description files name their inputs and outputs relative to the examples folder.
cd "$(dirname "$0")" || exit 1
mkdir -p out || exit 1
rm -f out/zem.dlf out/zem_system.bin out/zem_config.bin out/zem.log out/zem.img

echo "== Running: QorvMakeDlf common.ddf zem.ddf   (in examples/)"
"$tool" common.ddf zem.ddf 2>out/zem.log
status=$?
echo "-- Messages (standard error):"
sed 's/^/   /' out/zem.log
if [ "$status" -ne 0 ]; then
  echo "demo: QorvMakeDlf failed with exit status $status" >&2
  exit "$status"
fi

echo
echo "== Disk layout file examples/out/zem.dlf:"
tr -d '\r' <out/zem.dlf | sed 's/^/   /'

# Item lines start with 0x; an empty name ("") marks a free stretch or, last, the closing line.
# The first item line is the system file at offset 0.
summary=$(tr -d '\r' <out/zem.dlf | awk '
  /^0x/ { items++; if ($0 ~ /,""$/) empty++ }
  END { printf "%d %d", items - empty - 1, empty - 1 }')
placed=${summary% *}
gaps=${summary#* }
area=$(sed -n 's/^ *user area = \([0-9a-fA-F]*\) - \([0-9a-fA-F]*\).*/0x\1 - 0x\2/p' out/zem.log)

echo
echo "== Summary"
echo "   items placed in the user area: $placed (files and the mirror twin)"
echo "   free stretches marked:         $gaps"
echo "   user area:                     $area"
for f in out/zem.dlf out/zem_system.bin out/zem_config.bin; do
  printf '   %-31s %s bytes\n' "examples/$f:" "$(wc -c <"$f" | tr -d ' ')"
done

echo
echo "== The HT example uses the same disc with ht.ddf in place of zem.ddf:"
case ${1:-build/QorvMakeDlf} in
  /*) shown=${1} ;;
  *) shown=../${1:-build/QorvMakeDlf} ;;
esac
echo "   cd examples && $shown common.ddf ht.ddf"
echo "   (writes out/ht.dlf and out/ht_system.bin; HT mode has no configuration file)"

if [ ! -x "$image_tool" ]; then
  echo "demo: no QorvImage at $image_tool: the image is not built" >&2
  exit 0
fi
echo
echo "== Running: QorvImage build out/zem.dlf, then QorvImage verify out/zem.dlf out/zem.img"
for command in build verify; do
  if [ $command = build ]; then set -- build -q out/zem.dlf; else set -- verify out/zem.dlf out/zem.img; fi
  messages=$("$image_tool" "$@" 2>&1)
  status=$?
  echo "$messages" | sed 's/^/   /'
  if [ "$status" -ne 0 ]; then
    echo "demo: QorvImage $command failed with exit status $status" >&2
    exit "$status"
  fi
done
