#!/usr/bin/env bash
# Grows the real WinInet URL cache of a throwaway Wine prefix until the
# platform refuses new entries, and keeps a copy of its cache folders, so that
# the timings of the largest cache start from the same grown cache without
# seeding it again (seeding grows with the square of the size: about 17 s for
# the first 10,000 entries, 109 s for the seventh).
#
#   bench/grow_largest_cache.sh BUILD_DIR DEST
#
# BUILD_DIR is a Windows build folder with seedcache built; the prefix is of
# its architecture. Each step is `seedcache seed 10000 N`, N = 1, 2, ... (a
# new seed each time, so the entries are new), until a step fails: the
# message of the call that refused (Wine 8: CommitUrlCacheEntryA, error 8,
# with index.dat at 16 MB) and the entries then listed are recorded.
# DEST gets the copy (scripts/kept-cache.sh: tree/, folders) and a stamp
# (entries, the refusal, Wine version, architecture, date). When DEST already
# holds a copy whose stamp matches this build's Wine and architecture, it is
# reused as it is. Prints the stamp.
set -euo pipefail
cd "$(dirname "$0")/.."
usage="usage: bench/grow_largest_cache.sh BUILD_DIR DEST"
build="$(cd "${1:?$usage}" && pwd)"
dest="${2:?$usage}"
[[ -f "$build/bin/seedcache.exe" && -x "$build/wine-run.sh" ]] || {
  echo "build seedcache in $build first" >&2
  exit 2
}
# shellcheck source=/dev/null
source scripts/kept-cache.sh

if kept_cache_matches "$dest" "$build"; then
  echo "grow_largest_cache: reusing $dest" >&2
  cat "$dest/stamp"
  exit 0
fi
[[ ! -e "$dest" ]] || [[ -z "$(ls -A "$dest")" ]] || {
  echo "$dest holds something else than a matching grown cache; remove it or name another" >&2
  exit 2
}

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix grow
# shellcheck disable=SC2154 # prefix_root: the throwaway prefix's folder
work="$prefix_root"
# shellcheck source=/dev/null
source bench/wine-run-timed.sh
run() { run_from "$build" "$@"; }

run seedcache.exe empty >/dev/null # boots the prefix
WINEPREFIX="$NV_WINEPREFIX" wineserver -p 600 || true
refusal=""
for ((n = 1; n <= 100; ++n)); do
  start=$(date +%s)
  if run seedcache.exe seed 10000 "$n" >"$work/seed.out" 2>"$work/seed.err"; then
    echo "grow_largest_cache: step $n: $(cat "$work/seed.out") in $(($(date +%s) - start)) s" >&2
    continue
  fi
  refusal="$(tr -d '\r' <"$work/seed.err" | sed -n 's/^seedcache: //p' | tail -n 1)"
  echo "grow_largest_cache: step $n refused after $(($(date +%s) - start)) s: $refusal" >&2
  break
done
[[ -n "$refusal" ]] || {
  echo "grow_largest_cache: the cache took 100 steps of 10,000 entries without refusing" >&2
  exit 1
}
entries=$(run seedcache.exe enum | sed -n 's/^enumerated \([0-9]*\) entries.*/\1/p')
index_sizes=$(cd "$NV_WINEPREFIX" && find drive_c -name index.dat -printf '%s %p\n' |
  awk '{ printf "%s%s %.1f MB", sep, $2, $1 / 1048576; sep = "; " }')

rm -rf "$dest.partial"
keep_prefix_cache "$dest.partial"
{
  kept_cache_stamp_key "$build"
  echo "entries=$entries"
  echo "refused=step $n: $refusal"
  echo "index=$index_sizes"
  echo "date=$(date -u +%Y-%m-%dT%H:%M:%SZ)"
} >"$dest.partial/stamp"
rm -rf "$dest"
mv "$dest.partial" "$dest"
cat "$dest/stamp"
