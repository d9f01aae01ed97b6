#!/bin/sh
# Runs QorvMakeDlf on the shipped ZEM example and shows what it made, then
# builds the disc image with QorvImage and verifies it.
# Usage: sh examples/demo.sh [path/to/QorvMakeDlf [path/to/QorvImage]]
#        (make demo passes build/QorvMakeDlf build/QorvImage; without them the
#        programs are build/QorvMakeDlf, or else the installed ones on PATH)
# The outputs go to examples/out/, which is not kept in the repository; an
# installed copy of the examples runs in a scratch copy instead.

tool=${1:-build/QorvMakeDlf}
if [ $# -eq 0 ] && [ ! -x "$tool" ] && command -v QorvMakeDlf >/dev/null 2>&1; then
  tool=$(command -v QorvMakeDlf)
fi
tool_arg=$tool
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
here=$(cd "$(dirname "$0")" && pwd) || exit 1
label=examples
# An installed copy (/usr/share/doc/qorv-tools/examples) is never written into:
# it is copied to a new scratch folder, where the outputs then go.
case $here in
  /usr/*) scratch=1 ;;
  *) [ -w "$here" ] && scratch=0 || scratch=1 ;;
esac
if [ "$scratch" = 1 ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/qorv-examples.XXXXXX") || exit 1
  cp -R "$here"/. "$work"/ && rm -rf "$work/out" || exit 1
  echo "== $here is not written into: running a copy in $work"
  here=$work
  label=$work
fi
cd "$here" || exit 1
mkdir -p out || exit 1
rm -f out/zem.dlf out/zem_system.bin out/zem_config.bin out/zem.log out/zem.img

echo "== Running: QorvMakeDlf common.ddf zem.ddf   (in $label/)"
"$tool" common.ddf zem.ddf 2>out/zem.log
status=$?
echo "-- Messages (standard error):"
sed 's/^/   /' out/zem.log
if [ "$status" -ne 0 ]; then
  echo "demo: QorvMakeDlf failed with exit status $status" >&2
  exit "$status"
fi

echo
echo "== Disk layout file $label/out/zem.dlf:"
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
  printf '   %-31s %s bytes\n' "$label/$f:" "$(wc -c <"$f" | tr -d ' ')"
done

echo
echo "== The HT example uses the same disc with ht.ddf in place of zem.ddf:"
case $tool_arg in
  /*) shown=$tool_arg ;;
  *) shown=../$tool_arg ;;
esac
[ "$label" = examples ] || shown=$tool
echo "   cd $label && $shown common.ddf ht.ddf"
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
