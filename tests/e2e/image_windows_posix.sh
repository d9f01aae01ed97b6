#!/bin/sh
# The Windows programs against the POSIX ones on the shipped example, in
# both modes: the images byte for byte, and what list and list --json print
# (line ends aside). ctest of the Windows build runs it (make test-windows):
#
#   sh tests/e2e/image_windows_posix.sh SOURCE_DIR POSIX_BUILD WINDOWS_BUILD WINE
set -eu
source=$1
posix=$2
windows=$3
wine=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/qorv-windows-posix.XXXXXX")
trap 'rm -rf "$work"' EXIT
for host in posix windows; do
  cp -R "$source/examples" "$work/$host"
  rm -rf "$work/$host/out"
  mkdir "$work/$host/out"
done
run() {  # HOST PROGRAM ARGUMENTS...: in HOST's copy of the examples
  host=$1
  program=$2
  shift 2
  if [ "$host" = posix ]; then (cd "$work/posix" && "$posix/$program" "$@")
  else (cd "$work/windows" && "$wine" "$windows/$program.exe" "$@") | tr -d '\r'
  fi
}
for mode in zem ht; do
  for host in posix windows; do
    run $host QorvMakeDlf common.ddf $mode.ddf 2>/dev/null >/dev/null
    run $host QorvImage build -q out/$mode.dlf 2>/dev/null
    run $host QorvImage list out/$mode.img >"$work/$host-list.txt"
    run $host QorvImage list --json out/$mode.img >"$work/$host-json.txt"
  done
  cmp "$work/posix/out/$mode.img" "$work/windows/out/$mode.img"
  cmp "$work/posix-list.txt" "$work/windows-list.txt"
  cmp "$work/posix-json.txt" "$work/windows-json.txt"
  echo "$mode: the Windows image and its listings equal the POSIX ones"
done
