#!/usr/bin/env bash
# The wipe neither writes nor has the platform delete a file that a cache
# file links to: under Wine a Unix symbolic link in the cache's folder is
# shown as a plain file, opens the file it leads to, and the platform's
# delete of the entry removes that file, so the clean tells it from the
# entry's own file by the path the open reached and leaves that entry. Two
# entries are seeded; one's file is replaced by a link to a file outside the
# cache. After `ienorvane clean --wipe` the plain file has been overwritten
# and its entry is gone, the linked entry is reported as not deleted with its
# reason, the outside file keeps its bytes, and a fresh process lists only
# the linked entry.
#   check_wipe_unix_link.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build=$2
. "$source_dir/scripts/throwaway-prefix.sh"
use_throwaway_prefix wipelink
run() { "$build/wine-run.sh" "$build/bin/$1" "${@:2}"; }
fail() { echo "FAILED: $*"; exit 1; }

run seedcache.exe add --size 700 http://www.example.com/plain.htm >/dev/null
run seedcache.exe add --size 900 http://www.example.com/linked.htm >/dev/null
cache_file() { find "$NV_WINEPREFIX/drive_c" -path '*Content.IE5/*' -type f -name "$1*"; }
plain="$(cache_file plain)" linked="$(cache_file linked)"
[[ -f "$plain" && -f "$linked" ]] || fail "the seeded files were not found: '$plain' '$linked'"

outside="$prefix_root/outside.bin"
head -c 900 /dev/urandom >"$outside"
cp "$outside" "$prefix_root/expected.bin"
ln -sf "$outside" "$linked"
exec 3<"$plain" # held open since before the clean: the plain file's bytes as they end

# Wine's history store cannot be emptied, so the clean exits non-zero saying so.
report="$(run ienorvane.exe clean --ini 'C:\users\nv-link.ini' --section S --defaults --wipe \
  2>&1 | tr -d '\r' || true)"
[[ "$report" == *"wiped cache: 1 index records, 1 files (700 bytes) overwritten"* ]] ||
  fail "the clean reported: $report"
[[ "$report" == *"not deleted: 1 entry"*"its file is a link"*"linked.htm"* ]] ||
  fail "the linked entry's reason is missing: $report"
cmp -s "$outside" "$prefix_root/expected.bin" || fail "the file outside the cache was written or removed"
[[ -L "$linked" ]] || fail "the link is gone from the cache: $linked"
[[ -z "$(tr -d '\0' <&3)" ]] || fail "the plain file's bytes were not overwritten"
listed="$(run seedcache.exe list | tr -d '\r')"
[[ "$listed" == *"linked.htm"*"1 entries"* && "$listed" != *"plain.htm"* ]] ||
  fail "a fresh process lists: $listed"
echo "a Unix link in the cache: its entry left and reported, the file it leads to intact"
