#!/usr/bin/env bash
# Times the clean of two builds side by side under Wine, in one prefix and
# one run, against the floor the platform sets: for comparing a change with
# the build before it on a shared machine, where absolute times drift.
#
#   bench/wine_clean_compare.sh OLD_BUILD NEW_BUILD [ENTRIES] [ROUNDS]   (defaults: 2000 5)
#   bench/wine_clean_compare.sh --cache KEPT OLD_BUILD NEW_BUILD [ROUNDS]
#
# Each round seeds ENTRIES realistic entries afresh (NEW_BUILD's seedcache)
# before each of: the floor (seedcache enum --delete), OLD_BUILD's plughost
# clean and NEW_BUILD's plughost clean, with the default settings (every
# category, type 0); the order of the three rotates from round to round. The
# best of each is compared, less the start-up of the same program on an empty
# cache. Both builds must be of the same architecture. With --cache, each run
# starts from a fresh copy of the grown cache kept in KEPT
# (bench/grow_largest_cache.sh) instead of a seeded one.
set -euo pipefail
cd "$(dirname "$0")/.."
kept=""
if [[ "${1:-}" == --cache ]]; then
  kept="$(realpath "${2:?--cache needs the folder of a kept cache}")"
  shift 2
  set -- "${1:-}" "${2:-}" - "${3:-5}"
fi
old="$(cd "${1:?usage: wine_clean_compare.sh OLD_BUILD NEW_BUILD [ENTRIES] [ROUNDS]}" && pwd)"
new="$(cd "${2:?usage: wine_clean_compare.sh OLD_BUILD NEW_BUILD [ENTRIES] [ROUNDS]}" && pwd)"
entries="${3:-2000}"
rounds="${4:-5}"
[[ $(cat "$old/nv-arch") == $(cat "$new/nv-arch") ]] || {
  echo "the two builds are of different architectures" >&2
  exit 2
}

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix compare

# shellcheck source=/dev/null
source bench/wine-run-timed.sh
# shellcheck source=/dev/null
source scripts/kept-cache.sh
seed() {
  if [[ -n "$kept" ]]; then fresh_kept_cache "$kept" "$new"; else run_from "$new" seedcache.exe seed "$entries" 2011 >&2; fi
}
[[ -z "$kept" ]] || entries="$(kept_cache_value "$kept" entries) (kept in $kept)"
ini='C:\timing.ini'
floor_run() { timed_from "$new" seedcache.exe enum --delete; }
clean_run() { timed_from "$1" plughost.exe clean IENorvane.dll "$ini" "IE Norvane"; }

run_from "$new" seedcache.exe empty >/dev/null # boots the prefix
: >"$NV_WINEPREFIX/drive_c/timing.ini"
WINEPREFIX="$NV_WINEPREFIX" wineserver -p 600 || true # keep the server up between runs
start_floor=$(timed_from "$new" seedcache.exe enum)
start_old=$(clean_run "$old")
start_new=$(clean_run "$new")

declare -A best=([floor]=999999999 [old]=999999999 [new]=999999999) all=()
measure() {
  local t
  seed
  case $1 in
  floor) t=$(floor_run) ;;
  old) t=$(clean_run "$old") ;;
  new) t=$(clean_run "$new") ;;
  esac
  all[$1]+=" $t"
  ((t < best[$1])) && best[$1]=$t
  return 0
}
kinds=(floor old new)
for ((round = 0; round < rounds; ++round)); do
  for ((i = 0; i < 3; ++i)); do measure "${kinds[(round + i) % 3]}"; done
done

net_floor=$((best[floor] - start_floor))
net_old=$((best[old] - start_old))
net_new=$((best[new] - start_new))
echo
echo "architecture:   $(cat "$new/nv-arch"), $entries entries, $rounds rounds"
echo "old build:      $old"
echo "new build:      $new"
echo "floor:          best ${best[floor]} ms wall, ${net_floor} ms net (all:${all[floor]})"
echo "old clean:      best ${best[old]} ms wall, ${net_old} ms net (all:${all[old]})"
echo "new clean:      best ${best[new]} ms wall, ${net_new} ms net (all:${all[new]})"
awk -v o="$net_old" -v n="$net_new" -v f="$net_floor" 'BEGIN {
  printf "old / floor:    %.3f\n", o / f
  printf "new / floor:    %.3f\n", n / f
  printf "new / old:      %.3f\n", n / o
}'
