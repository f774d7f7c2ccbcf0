#!/usr/bin/env bash
# Under Wine, what one change of the options dialog's cache mask box costs when
# another process sends it (WM_SETTEXT returns once the change handler has
# run), over real URL caches of each size given, and where the time goes:
# Wine's message path, the rows, the painting, the background reader
# (bench/wine/keystroke_timing.cpp says how each is told apart and how the
# list is checked to be refreshed on screen when the call returns).
#
#   bench/wine_keystroke_timing.sh [BUILD_DIR] [PRESSES] [ENTRIES...]
#                                  (defaults: build/win64 40 1000 5000 10000)
#   bench/wine_keystroke_timing.sh --cache KEPT [BUILD_DIR] [PRESSES]
#
# BUILD_DIR is a Windows build folder with IENorvane, nvguihost and
# nvkeystroketiming built. The run seeds a throwaway Wine prefix's URL cache
# with ENTRIES http entries of one host pattern (nvguihost seed-many) for
# each size in turn, or with --cache starts from the grown cache kept in KEPT
# (bench/grow_largest_cache.sh; realistic entries, so the masks that list a
# part are "*.gif*" and "*.jpg*"), and shows the dialog on an Xvfb display of
# its own, or on NV_DISPLAY (":N") when that is set.
set -euo pipefail
cd "$(dirname "$0")/.."
kept=""
if [[ "${1:-}" == --cache ]]; then
  kept="$(realpath "${2:?--cache needs the folder of a kept cache}")"
  shift 2
fi
build="$(realpath "${1:-build/win64}")"
presses="${2:-40}"
shift $(($# > 2 ? 2 : $#))
sizes=(1000 5000 10000)
(($#)) && sizes=("$@")
run="$build/wine-run.sh"
for program in IENorvane.dll nvguihost.exe nvkeystroketiming.exe; do
  [[ -x "$run" && -f "$build/bin/$program" ]] || {
    echo "build IENorvane, nvguihost and nvkeystroketiming in $build first" >&2
    exit 2
  }
done

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
# shellcheck source=/dev/null
source scripts/private-display.sh
# shellcheck source=/dev/null
source scripts/kept-cache.sh
use_throwaway_prefix keystroketiming
if [[ -n "${NV_DISPLAY:-}" ]]; then
  export DISPLAY="$NV_DISPLAY"
  [[ -S /tmp/.X11-unix/X${DISPLAY#:} ]] || {
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    sleep 1
  }
else
  start_private_display
fi
# The prefix's programs end while their display is still there.
trap 'end_throwaway_prefix; stop_private_display' EXIT

ini="$prefix_root/keystroke.ini"
printf '[IE Norvane]\r\nDeleteCacheType=1\r\nCacheMask=*\r\n' >"$ini"
masks=()
if [[ -n "$kept" ]]; then
  restore_kept_cache "$kept" "$build"
  sizes=("$(kept_cache_value "$kept" entries)")
  masks=("*.gif*" "*.jpg*")
fi
cd "$build/bin"
for entries in "${sizes[@]}"; do
  echo
  if [[ -n "$kept" ]]; then
    echo "## $entries entries, the cache kept in $kept ($(kept_cache_value "$kept" refused))"
  else
    echo "## $entries entries"
    "$run" nvguihost.exe seed-many "$entries" | tr -d '\r'
  fi
  "$run" nvguihost.exe config IENorvane.dll "Z:${ini//\//\\}" "IE Norvane" 1 - \
    </dev/null >/dev/null 2>&1 &
  host=$!
  status=0
  "$run" nvkeystroketiming.exe "$presses" "${masks[@]}" | tr -d '\r' || status=$?
  [[ $status -eq 0 ]] || kill "$host" 2>/dev/null || true
  wait "$host" || true
  [[ $status -eq 0 ]] || exit "$status"
done
