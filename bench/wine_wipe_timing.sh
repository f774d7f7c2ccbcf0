#!/usr/bin/env bash
# Times a clean under Wine with and without the wipe of deleted traces, and
# counts the deleted URLs still readable in the index files afterwards.
#
#   bench/wine_wipe_timing.sh [BUILD_DIR] [ENTRIES] [ROUNDS]   (defaults: build/win64 2000 3)
#
# In a throwaway prefix, before each run: seedcache seed ENTRIES, then
# `ienorvane clean` (every category, every entry) with or without --wipe,
# alternating, ROUNDS times each; prints the best wall time of each, their
# ratio (target: at most 2) and the residue: how many of the seeded URLs'
# texts `strings` still finds in the three index.dat files.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/win64}"
entries="${2:-2000}"
rounds="${3:-3}"
build="$(cd "$build" && pwd)"

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix wipe-timing

# shellcheck source=/dev/null
source bench/wine-run-timed.sh
run() { run_from "$build" "$@"; }
ini="$NV_WINEPREFIX/drive_c/wipe.ini"
run seedcache.exe empty >/dev/null
printf '[S]\r\nDeleteCache=1\r\nDeleteCookies=1\r\nDeleteHistory=1\r\n' >"$ini"

residue() {
  local urls
  urls="$prefix_root/urls"
  grep -o '[A-Za-z]*:[^ ]*$' "$prefix_root/seeded" | sed 's/^Visited: *//' >"$urls"
  find "$NV_WINEPREFIX/drive_c/users" -name index.dat -exec strings -n 8 {} + |
    grep -F -x -f "$urls" | wc -l
}

best_plain=999999 best_wipe=999999
for ((round = 0; round < rounds; round++)); do
  for mode in plain wipe; do
    run seedcache.exe empty >/dev/null
    run seedcache.exe seed "$entries" "$round" >/dev/null
    run seedcache.exe list >"$prefix_root/seeded"
    extra=()
    [[ $mode == wipe ]] && extra=(--wipe)
    start=$(date +%s%N)
    run ienorvane.exe clean --ini 'C:\wipe.ini' --section S "${extra[@]}" >/dev/null || true
    ms=$((($(date +%s%N) - start) / 1000000))
    echo "$mode round $round: ${ms} ms, residue $(residue) of $(($(wc -l <"$prefix_root/seeded") - 1)) URLs"
    if [[ $mode == plain ]]; then ((ms < best_plain)) && best_plain=$ms; else ((ms < best_wipe)) && best_wipe=$ms; fi
  done
done
echo "best: clean ${best_plain} ms, clean --wipe ${best_wipe} ms, ratio $(awk "BEGIN{printf \"%.2f\", $best_wipe/$best_plain}")"
