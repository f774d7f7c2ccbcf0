# shellcheck shell=bash
# Sourced by the Wine timings that start from a kept copy of a grown URL
# cache (bench/grow_largest_cache.sh makes one): the prefix's cache folders
# (content, cookies, history) copied out of a Wine prefix, with a stamp.
#
#   kept_cache_stamp_key BUILD_DIR  the stamp lines a copy must carry to be
#                                   reused with BUILD_DIR: how it was grown,
#                                   the Wine version, the architecture
#   kept_cache_matches DIR BUILD    exits 0 when DIR holds a complete copy
#                                   whose stamp matches BUILD's key
#   kept_cache_value DIR NAME       the stamp's value of NAME (entries, ...)
#   keep_prefix_cache DIR           copies the cache folders of the current
#                                   prefix (NV_WINEPREFIX) into DIR/tree, and
#                                   their paths into DIR/folders
#   restore_kept_cache DIR BUILD    puts the copy in DIR into the current
#                                   prefix in place of its cache folders,
#                                   booting the prefix first when it is new;
#                                   the prefix's wineserver is stopped
#
# The copies are whole copies (no hard links): a clean deletes the entries'
# files and rewrites the index files, and neither may reach the kept copy.

# The prefix folders that hold WinInet's caches, relative to the prefix: the
# folders of the index.dat files of the content, cookie and history
# containers (Wine 8: .../INetCache/Content.IE5, .../Cookies, .../History/
# History.IE5), found where the prefix has them.
kept_cache_folders() {
  (cd "$NV_WINEPREFIX" && find drive_c -name index.dat -printf '%h\n' | sort -u)
}

kept_cache_stamp_key() {
  echo "grown=seedcache seed 10000 N, N = 1, 2, ... until the cache refuses an entry"
  echo "wine=$(/usr/lib/wine/wine64 --version 2>/dev/null || wine --version)"
  echo "architecture=$(cat "$1/nv-arch")"
}

kept_cache_value() { sed -n "s/^$2=//p" "$1/stamp" 2>/dev/null | head -n 1; }

kept_cache_matches() {
  [[ -f "$1/stamp" && -s "$1/folders" && -d "$1/tree" ]] || return 1
  local line
  while IFS= read -r line; do
    grep -qxF "$line" "$1/stamp" || return 1
  done < <(kept_cache_stamp_key "$2")
  [[ -n "$(kept_cache_value "$1" entries)" ]]
}

stop_prefix_server() {
  WINEPREFIX="$NV_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$NV_WINEPREFIX" wineserver -w >/dev/null 2>&1 || true
}

keep_prefix_cache() {
  local dest="$1" folder
  stop_prefix_server
  mkdir -p "$dest/tree"
  kept_cache_folders >"$dest/folders"
  [[ -s "$dest/folders" ]] || {
    echo "kept-cache: no index.dat in $NV_WINEPREFIX" >&2
    return 1
  }
  while IFS= read -r folder; do
    mkdir -p "$dest/tree/$(dirname "$folder")"
    cp -a "$NV_WINEPREFIX/$folder" "$dest/tree/$folder"
  done <"$dest/folders"
}

restore_kept_cache() {
  local kept="$1" build="$2" folder
  kept_cache_matches "$kept" "$build" || {
    echo "kept-cache: $kept holds no grown cache for $build (bench/grow_largest_cache.sh)" >&2
    return 1
  }
  # A new prefix is booted by its first program; enumerating the empty
  # cache also makes the folders that the copy replaces.
  [[ -f "$NV_WINEPREFIX/.nv-booted" ]] || (cd "$build/bin" && "$build/wine-run.sh" seedcache.exe enum >/dev/null)
  stop_prefix_server
  while IFS= read -r folder; do
    rm -rf "${NV_WINEPREFIX:?}/$folder"
    mkdir -p "$NV_WINEPREFIX/$(dirname "$folder")"
    cp -a "$kept/tree/$folder" "$NV_WINEPREFIX/$folder"
  done <"$kept/folders"
}

# Before a timed run: a fresh copy of the kept cache in the current prefix,
# written out to disk (no write-back left to overlap the run), its wineserver
# kept up (wineserver -p) and warmed by a program that does not open the
# cache, as the timings warm it before they measure start-up.
#   fresh_kept_cache DIR BUILD
fresh_kept_cache() {
  restore_kept_cache "$1" "$2"
  sync
  WINEPREFIX="$NV_WINEPREFIX" wineserver -p 600 || true
  (cd "$2/bin" && "$2/wine-run.sh" seedcache.exe --help >/dev/null)
}
