# Sourced by the scripts that run Wine: a Wine prefix of their own in a
# temporary folder (NV_WINEPREFIX, which the build's wine-run.sh honours),
# with its wineserver stopped and the folder removed when the script exits.
# wine-run.sh boots it on first use, as it boots a build folder's prefix,
# and gives it Wine's own fonts (Marlett draws the title bars' close box).
#   use_throwaway_prefix NAME
use_throwaway_prefix() {
  prefix_root="$(mktemp -d "${TMPDIR:-/tmp}/nv-$1.XXXXXX")"
  export NV_WINEPREFIX="$prefix_root/prefix"
  trap end_throwaway_prefix EXIT
}

# Stops the prefix's wineserver and removes the folder; a script with more
# to clean up on exit calls it from its own trap.
end_throwaway_prefix() {
  WINEPREFIX="$NV_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix_root"
}
