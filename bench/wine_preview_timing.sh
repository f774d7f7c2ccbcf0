#!/usr/bin/env bash
# Under Wine, times one refill of the dialog's real lvCache (walk, rows,
# repaint of the visible owner-data list) against a bare enumeration of the
# same real URL cache, in the same run. Target: refill <= 1.5 x enumeration.
#
#   bench/wine_preview_timing.sh [BUILD_DIR] [ENTRIES] [ROUNDS]
#
# BUILD_DIR is a Windows build folder (default build/win) in which
# nvguihost and nvpreviewtiming are built:
#   cmake --preset win -B build/win && cmake --build build/win -j2 \
#     --target nvguihost nvpreviewtiming
# The run empties and reseeds the URL cache of that folder's Wine prefix and
# uses a private Xvfb display.
set -euo pipefail
build="$(realpath "${1:-build/win}")"
entries="${2:-2000}"
rounds="${3:-5}"
run="$build/wine-run.sh"
[[ -x "$run" && -f "$build/bin/nvpreviewtiming.exe" ]] || {
  echo "build nvguihost and nvpreviewtiming in $build first" >&2
  exit 2
}

display=""
for n in $(seq 97 140); do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
  display=":$n"
  break
done
[[ -n "$display" ]] || { echo "no free X display" >&2; exit 2; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
prefix="${NV_WINEPREFIX:-$build/wineprefix}"
# The prefix's programs end while their display is still there.
trap 'WINEPREFIX="$prefix" wineserver -w || true; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.05; done
export DISPLAY="$display"

cd "$build/bin"
echo "seeding $entries entries (Wine takes a while)..."
"$run" nvguihost.exe seed-many "$entries"
"$run" nvpreviewtiming.exe "$rounds"
