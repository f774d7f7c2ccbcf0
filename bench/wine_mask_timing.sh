#!/usr/bin/env bash
# Times the mask matcher of a Windows build (32- or 64-bit) under Wine: nvmasktiming
# (bench/wine/mask_timing.cpp), the matcher compiled with the DLL's flags,
# over the native benchmark's masks and corpus. Prints a Markdown table.
#
#   bench/wine_mask_timing.sh [BUILD_DIR] [REPETITIONS]   (defaults: build/win 21)
#
# Runs in a throwaway Wine prefix (its first boot takes about ten seconds).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build/win}")"
repetitions="${2:-21}"
[[ -x "$build/wine-run.sh" && -f "$build/bin/nvmasktiming.exe" ]] || {
  echo "build nvmasktiming in $build first (make bench)" >&2
  exit 2
}

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix masktiming
(cd "$build/bin" && "$build/wine-run.sh" nvmasktiming.exe "$repetitions") | tr -d '\r'
