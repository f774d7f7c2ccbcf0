#!/usr/bin/env bash
# Times a real clean under Wine against the floor the platform sets.
#
#   bench/wine_clean_timing.sh [BUILD_DIR] [ENTRIES] [ROUNDS]   (defaults: build/win 2000 3)
#   bench/wine_clean_timing.sh --cache KEPT [BUILD_DIR] [ROUNDS]
#
# In a throwaway Wine prefix: seeds ENTRIES realistic entries (80% http with
# files, 15% cookies, 5% visited) and times
#   floor   seedcache enum --delete: one enumeration of the whole cache with a
#           reused buffer, deleting every entry as it is listed
#   clean   plughost clean with the default settings (every category, type 0),
#           which deletes every entry whose URL has a "." in it
# on the same seeded cache (seeded afresh before each), alternating, ROUNDS
# times each; the best of each is compared, since the machine may be shared.
# Each time is the program's wall time less the start-up of the same program
# on an empty cache. Target: clean / floor <= 1.0.
# With --cache, each run starts from a fresh copy of the grown cache kept in
# KEPT (bench/grow_largest_cache.sh) instead of a seeded one.
set -euo pipefail
cd "$(dirname "$0")/.."
kept=""
if [[ "${1:-}" == --cache ]]; then
  kept="$(realpath "${2:?--cache needs the folder of a kept cache}")"
  shift 2
  set -- "${1:-build/win}" - "${2:-3}"
fi
build="${1:-build/win}"
entries="${2:-2000}"
rounds="${3:-3}"
build="$(cd "$build" && pwd)"

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix timing

# shellcheck source=/dev/null
source bench/wine-run-timed.sh
# shellcheck source=/dev/null
source scripts/kept-cache.sh
run() { run_from "$build" "$@"; }
timed() { timed_from "$build" "$@"; }
# The cache each run starts from.
prepare() {
  if [[ -n "$kept" ]]; then fresh_kept_cache "$kept" "$build"; else run seedcache.exe seed "$entries" 2011 >&2; fi
}
[[ -z "$kept" ]] || entries="$(kept_cache_value "$kept" entries)"

ini="$NV_WINEPREFIX/drive_c/timing.ini"
run seedcache.exe empty >/dev/null # boots the prefix
: >"$ini"
WINEPREFIX="$NV_WINEPREFIX" wineserver -p 600 || true # keep the server up between runs
seedcache_start=$(timed seedcache.exe enum)
plughost_start=$(timed plughost.exe clean IENorvane.dll 'C:\timing.ini' "IE Norvane")

floor=999999999 clean=999999999 floors="" cleans=""
for ((round = 1; round <= rounds; ++round)); do
  prepare
  t=$(timed seedcache.exe enum --delete)
  floors+=" $t" && ((t < floor)) && floor=$t
  prepare
  t=$(timed plughost.exe clean IENorvane.dll 'C:\timing.ini' "IE Norvane")
  cleans+=" $t" && ((t < clean)) && clean=$t
done
left=$(run seedcache.exe list | tail -n 1)

floor_net=$((floor - seedcache_start))
clean_net=$((clean - plughost_start))
echo
if [[ -n "$kept" ]]; then
  echo "entries kept:              $entries in $kept (left after the clean: $left)"
else
  echo "entries seeded:            $entries (left after the clean: $left)"
fi
echo "start-up (empty cache):    seedcache ${seedcache_start} ms, plughost ${plughost_start} ms"
echo "floor (enumerate+delete):  best ${floor} ms wall, ${floor_net} ms net (all:${floors})"
echo "plughost clean:            best ${clean} ms wall, ${clean_net} ms net (all:${cleans})"
awk -v c="$clean_net" -v f="$floor_net" -v n="$entries" 'BEGIN {
  printf "clean / floor:             %.2f (target <= 1.0)\n", c / f
  printf "per seeded entry:          floor %.0f us, clean %.0f us\n", 1000 * f / n, 1000 * c / n
}'
