#!/usr/bin/env bash
# Runs every libFuzzer target in BIN for SECONDS each, from a scratch copy of
# its seed corpus in fuzz/corpus/<name> (the repository's corpus stays as it is).
set -euo pipefail
bin=${1:?usage: run-fuzzers.sh BIN SECONDS}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
targets=("$bin"/fuzz_*)
if ((${#targets[@]} == 0)); then
  echo "run-fuzzers: no fuzz targets in $bin" >&2
  exit 1
fi
for target in "${targets[@]}"; do
  name=${target##*/fuzz_}
  work=$(mktemp -d)
  cp -r "$root/fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  echo "fuzz $name: ${seconds}s from $(ls "$work" | wc -l) seeds"
  "$target" "$work" -max_total_time="$seconds" -print_final_stats=1 2>"$work.log" ||
    { tail -50 "$work.log"; echo "fuzz $name: FAILED"; exit 1; }
  grep -E "stat::number_of_executed_units" "$work.log" || true
  rm -rf "$work" "$work.log"
done
echo "fuzzing: ${#targets[@]} passed, 0 failed"
