#!/bin/sh
# Runs every fuzz target for the given number of seconds from its seed corpus
# (fuzz/corpus/<target>), then prints executions per second and coverage.
# Usage: fuzz/run.sh BUILD_DIR SECONDS
set -eu
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
status=0
for exe in "$build"/fuzz/*_fuzz; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe")
  seeds="$here/corpus/$name"
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/artifacts/$name"
  log="$build/$name.log"
  echo "== $name: $seconds s"
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=4096 \
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
