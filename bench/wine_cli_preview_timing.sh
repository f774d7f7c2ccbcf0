#!/usr/bin/env bash
# Under Wine, times `ienorvane preview` (every category on, its listing sent
# to a file) against a bare enumeration of the same real URL cache, in one
# throwaway prefix and one run; with two builds, both previews in turn.
#
#   bench/wine_cli_preview_timing.sh [--cache KEPT | --entries N] [--rounds R] BUILD_DIR [OTHER_BUILD]
#                                    (defaults: --entries 10000 --rounds 3)
#
# The cache is seeded with N realistic entries (seedcache seed N 2011), or
# with --cache is the grown cache kept in KEPT (bench/grow_largest_cache.sh).
# Each round runs the bare enumeration (BUILD_DIR's `seedcache enum`: one
# walk of every container with a reused buffer, as the preview's walk is
# one walk of them all) and each build's `ienorvane preview --defaults`, in
# an order that rotates from round to round. A preview deletes nothing, so
# every round reads the same cache. Each time is the program's wall time less
# its start-up on an empty cache (the fastest of three); the medians are
# compared. The builds must
# be of the same architecture.
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: bench/wine_cli_preview_timing.sh [--cache KEPT | --entries N] [--rounds R] BUILD_DIR [OTHER_BUILD]"
kept="" entries=10000 rounds=3
while (($#)); do
  case "$1" in
  --cache) kept="$(realpath "${2:?$usage}")" && shift 2 ;;
  --entries) entries="${2:?$usage}" && shift 2 ;;
  --rounds) rounds="${2:?$usage}" && shift 2 ;;
  -*) echo "$usage" >&2 && exit 2 ;;
  *) break ;;
  esac
done
(($# == 1 || $# == 2)) || { echo "$usage" >&2 && exit 2; }
builds=()
for build in "$@"; do
  build="$(cd "$build" && pwd)"
  for program in seedcache.exe ienorvane.exe; do
    [[ -f "$build/bin/$program" ]] || { echo "build seedcache and ienorvane in $build first" >&2 && exit 2; }
  done
  [[ $(cat "$build/nv-arch") == $(cat "$1/nv-arch") ]] || {
    echo "the builds are of different architectures" >&2
    exit 2
  }
  builds+=("$build")
done
first="${builds[0]}"

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix previewcli
# shellcheck source=/dev/null
source bench/wine-run-timed.sh
# shellcheck source=/dev/null
source scripts/kept-cache.sh

out="$(dirname "$NV_WINEPREFIX")/preview.out"
: >"$out"
bare_run() { timed_from "$first" seedcache.exe enum 2>>"$out"; }
preview_run() {
  timed_from "$1" ienorvane.exe preview --ini 'C:\preview.ini' --section "IE Norvane" --defaults \
    2>"$out.last"
}

run_from "$first" seedcache.exe empty >/dev/null # boots the prefix
: >"$NV_WINEPREFIX/drive_c/preview.ini"
WINEPREFIX="$NV_WINEPREFIX" wineserver -p 600 || true # keep the server up between runs
# The start-up of each program: the fastest of three runs on the empty cache.
declare -A start=() all=()
fastest() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -n | head -n 1; }
for kind in bare $(seq 0 $((${#builds[@]} - 1))); do
  times=""
  for _ in 1 2 3; do
    if [[ $kind == bare ]]; then times+=" $(bare_run)"; else times+=" $(preview_run "${builds[$kind]}")"; fi
  done
  start[$kind]=$(fastest "$times")
done
if [[ -n "$kept" ]]; then
  fresh_kept_cache "$kept" "$first"
  entries="$(kept_cache_value "$kept" entries) (kept in $kept)"
else
  run_from "$first" seedcache.exe seed "$entries" 2011 >/dev/null
fi

kinds=(bare)
for ((b = 0; b < ${#builds[@]}; ++b)); do kinds+=("$b"); done
for ((round = 0; round < rounds; ++round)); do
  for ((i = 0; i < ${#kinds[@]}; ++i)); do
    kind="${kinds[(round + i) % ${#kinds[@]}]}"
    if [[ $kind == bare ]]; then t=$(bare_run); else t=$(preview_run "${builds[$kind]}"); fi
    all[$kind]+=" $((t - start[$kind]))"
  done
done
median() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

echo "architecture:        $(cat "$first/nv-arch"), $entries entries, $rounds rounds"
echo "listed by the bare enumeration: $(tail -n 1 "$out" | tr -d '\r')"
echo "the preview's last lines: $(tr -d '\r' <"$out.last" | tail -n 2 | paste -sd '|')"
bare=$(median "${all[bare]}")
echo "bare enumeration:    median ${bare} ms net (all:${all[bare]}; start-up ${start[bare]} ms)"
for ((b = 0; b < ${#builds[@]}; ++b)); do
  preview=$(median "${all[$b]}")
  echo "preview of ${builds[$b]}: median ${preview} ms net (all:${all[$b]}; start-up ${start[$b]} ms)"
  awk -v p="$preview" -v e="$bare" -v b="${builds[$b]}" \
    'BEGIN { printf "preview / bare enumeration, %s: %.2f\n", b, p / e }'
done
