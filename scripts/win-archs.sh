#!/usr/bin/env bash
# Answers from setup's record (build/win-archs) which Windows builds run under
# Wine on this machine:
#   win-archs.sh runnable   the presets that run, one a line (win, win64)
#   win-archs.sh skipped    one line per preset that cannot run, with why
#   win-archs.sh first      the preset the demo uses: win where it runs,
#                           otherwise win64
#   win-archs.sh runs P     exits 0 when preset P runs here
set -euo pipefail
record="$(cd "$(dirname "$0")/.." && pwd)/build/win-archs"
[[ -f "$record" ]] || { echo "win-archs: $record is missing; run scripts/setup.sh first" >&2; exit 2; }
runnable=$(head -n 1 "$record")
case "${1:-}" in
runnable) tr ' ' '\n' <<<"$runnable" | sed '/^$/d' ;;
skipped) tail -n +2 "$record" ;;
first)
  for preset in win win64; do
    [[ " $runnable " == *" $preset "* ]] && { echo "$preset"; exit 0; }
  done
  echo "win-archs: no Windows build runs on this machine" >&2
  exit 1
  ;;
runs) [[ " $runnable " == *" ${2:?usage: win-archs.sh runs PRESET} "* ]] ;;
*) echo "usage: win-archs.sh runnable|skipped|first|runs PRESET" >&2; exit 2 ;;
esac
