#!/usr/bin/env bash
# Under Wine, times one refill of the dialog's real lvCache (walk, rows,
# repaint of the visible owner-data list) against a bare enumeration of the
# same real URL cache, in the same run. Target: refill <= 1.5 x enumeration.
#
#   bench/wine_preview_timing.sh [BUILD_DIR] [ENTRIES] [ROUNDS]   (defaults: build/win 2000 5)
#
# BUILD_DIR is a Windows build folder in which nvguihost and nvpreviewtiming
# are built (make bench builds them in build/win). The run seeds a throwaway
# Wine prefix's URL cache and shows the list on an Xvfb display of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build/win}")"
entries="${2:-2000}"
rounds="${3:-5}"
run="$build/wine-run.sh"
[[ -x "$run" && -f "$build/bin/nvpreviewtiming.exe" && -f "$build/bin/nvguihost.exe" ]] || {
  echo "build nvguihost and nvpreviewtiming in $build first (make bench)" >&2
  exit 2
}

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
# shellcheck source=/dev/null
source scripts/private-display.sh
use_throwaway_prefix previewtiming
start_private_display
# The prefix's programs end while their display is still there.
trap 'end_throwaway_prefix; stop_private_display' EXIT

cd "$build/bin"
echo "seeding $entries entries (Wine takes a while)..."
"$run" nvguihost.exe seed-many "$entries" | tr -d '\r'
"$run" nvpreviewtiming.exe "$rounds" | tr -d '\r'
