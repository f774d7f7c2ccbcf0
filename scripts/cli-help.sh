#!/usr/bin/env bash
# Writes the command line's --help text (ienorvane.exe --help, as printed,
# carriage returns removed) into OUT:
#
#   scripts/cli-help.sh BUILD_DIR OUT
#
# It runs BUILD_DIR's ienorvane.exe under Wine when that build's architecture
# runs on this machine (setup's record, scripts/win-archs.sh), and otherwise
# the other architecture's build beside it: both print the same text, and a
# 32-bit program cannot start on a machine without 32-bit support.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:?usage: cli-help.sh BUILD_DIR OUT}")"
out="${2:?usage: cli-help.sh BUILD_DIR OUT}"

preset_of() { [[ $(cat "$1/nv-arch" 2>/dev/null) == win64 ]] && echo win64 || echo win; }
runs_here() { ! [[ -f "$root/build/win-archs" ]] || "$root/scripts/win-archs.sh" runs "$(preset_of "$1")"; }

source_build="$build"
if ! runs_here "$build"; then
  other=win64
  [[ $(preset_of "$build") == win64 ]] && other=win
  source_build="$(dirname "$build")/$other"
  [[ -x "$source_build/wine-run.sh" && -f "$source_build/bin/ienorvane.exe" ]] || {
    echo "cli-help: $(basename "$build") does not run here and $source_build/bin/ienorvane.exe is missing" >&2
    exit 2
  }
fi
# Into a file, not a pipe: a desktop process that Wine starts for the program
# inherits its output and would hold a pipe open after the program ends.
(cd "$source_build/bin" && "$source_build/wine-run.sh" ienorvane.exe --help >"$out.raw")
tr -d '\r' <"$out.raw" >"$out"
rm -f "$out.raw"
[[ -s "$out" ]] || { echo "cli-help: ienorvane.exe --help printed nothing" >&2; exit 1; }
