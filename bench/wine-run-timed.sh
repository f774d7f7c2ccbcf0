# Sourced by the Wine timings: a build's programs run in the current Wine
# prefix (NV_WINEPREFIX, see scripts/throwaway-prefix.sh), and timed.
#   run_from BUILD_DIR PROGRAM [ARGS...]    BUILD_DIR/bin/PROGRAM under the
#                                           build's wine-run.sh, carriage
#                                           returns removed
#   timed_from BUILD_DIR PROGRAM [ARGS...]  the same, printing its wall time
#                                           in milliseconds; the program's
#                                           output goes to standard error
run_from() { (cd "$1/bin" && "$1/wine-run.sh" "${@:2}") | tr -d '\r'; }

timed_from() {
  local start end
  start=$(date +%s%N)
  run_from "$@" >&2
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
