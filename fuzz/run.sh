#!/bin/sh
# Runs every fuzz target for the given number of seconds from its seed corpus
# (fuzz/corpus/<target>), then prints executions per second and coverage.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]   (default: every target)
set -eu
build=$(cd "$1" && pwd)  # absolute: a target may change its working directory
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
status=0
if [ $# -eq 0 ]; then
  set -- $(for exe in "$build"/fuzz/*_fuzz; do basename "$exe"; done)
fi
for name in "$@"; do
  exe="$build/fuzz/$name"
  [ -x "$exe" ] || { echo "== $name: not built"; status=1; continue; }
  seeds="$here/corpus/$name"
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/artifacts/$name"
  case $name in  # libFuzzer dictionaries: words the inputs are made of
    description_fuzz|run_fuzz) dict="-dict=$here/description.dict" ;;
    registry_fuzz) dict="-dict=$here/registry.dict" ;;
    *) dict= ;;
  esac
  log="$build/$name.log"
  echo "== $name: $seconds s"
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=4096 $dict \
      -artifact_prefix="$build/artifacts/$name/" "$work" ${seeds:+$( [ -d "$seeds" ] && echo "$seeds")} \
      >"$log" 2>&1; then
    echo "   FINDING: see $log and $build/artifacts/$name/"
    status=1
  fi
  execs=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || true)
  echo "   executions/s: ${execs:-?}  coverage (edges): ${cov:-?}  features: ${ft:-?}"
done
exit $status
