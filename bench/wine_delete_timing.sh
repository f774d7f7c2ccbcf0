#!/usr/bin/env bash
# Under Wine, what the URL cache service's delete (a lookup that checks the
# URL still names the walked entry, then the delete) costs per entry against
# a bare DeleteUrlCacheEntryA, in a throwaway prefix.
#
#   bench/wine_delete_timing.sh [BUILD_DIR] [ENTRIES] [ROUNDS]   (defaults: build/win 300 21)
#
# BUILD_DIR is a Windows build folder in which nvdeletetiming is built:
#   cmake --preset win && cmake --build --preset win --target nvdeletetiming
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/win}"
entries="${2:-300}"
rounds="${3:-21}"
[[ -f "$build/bin/nvdeletetiming.exe" ]] || {
  echo "build nvdeletetiming in $build first" >&2
  exit 2
}
bin="$(cd "$build/bin" && pwd)"
wine_run="$(cd "$build" && pwd)/wine-run.sh"

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix delete-timing

cd "$bin"
"$wine_run" nvdeletetiming.exe "$entries" "$rounds" | tr -d '\r'
