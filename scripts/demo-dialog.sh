#!/usr/bin/env bash
# Shows the plug-in's options dialog, as a host's configuring call does: the
# real IENorvane.dll under Wine, over a seeded real URL cache.
#
#   scripts/demo-dialog.sh [SCREENSHOT.png]
#
# With a display (DISPLAY set and reachable) the dialog opens there: edit the
# masks, watch the lists follow, press OK or Cancel; the host's text is
# printed afterwards. Without one it runs under a private Xvfb display, saves
# a screenshot of the dialog (BUILD/gui-shots/demo.png, or the file given)
# and cancels it. Builds the programs it needs first, with the first preset
# that runs on this machine (scripts/win-archs.sh), or uses the Windows build
# folder NV_BUILD as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z "${NV_BUILD:-}" ]]; then
  preset=$(scripts/win-archs.sh first)
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 --target IENorvane plughost nvguihost >/dev/null
  build="build/$preset"
else
  build="$NV_BUILD"
fi

args=(--build "$build" --demo)
if [[ -n "${DISPLAY:-}" ]] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  args+=(--display "$DISPLAY")
fi
if [[ $# -gt 0 ]]; then args+=(--shot "$(realpath -m "$1")"); fi
exec python3 tests/gui/gui_test.py "${args[@]}"
