#!/usr/bin/env bash
# The demo: a real clean of a real WinInet URL cache under Wine.
#
# Seeds a throwaway Wine prefix's Internet Explorer cache with a few dozen
# realistic entries (http pages and images with files, cookies, visited
# pages), shows them, writes the plug-in's INI section, previews with
# ienorvane what the clean will delete, lets plughost call
# ExecClearProc on IENorvane.dll, prints the report, and shows what is left.
# Expects the Windows build in build/win (NV_BUILD to use another folder).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${NV_BUILD:-build/win}"
bin="$build/bin"
for program in IENorvane.dll plughost.exe seedcache.exe ienorvane.exe; do
  [[ -f "$bin/$program" ]] || { echo "demo: $bin/$program is missing; build the win preset first" >&2; exit 2; }
done

# shellcheck source=/dev/null
source scripts/throwaway-prefix.sh
use_throwaway_prefix demo

wine_run="$(cd "$build" && pwd)/wine-run.sh"
run() { (cd "$bin" && "$wine_run" "$@") | tr -d '\r'; }

echo "== A fresh Wine prefix (first boot takes about ten seconds)"
run seedcache.exe seed 48 2024

echo
echo "== What the URL cache holds"
run seedcache.exe list

ini_dir="$NV_WINEPREFIX/drive_c/norvane"
mkdir -p "$ini_dir"
printf '%s\r\n' \
  "[Other plug-in]" "Keep=this line" "" \
  "[IE Norvane]" \
  "DeleteCache=1" "DeleteCacheType=0" "CacheMask=*.*" \
  "DeleteCookies=1" "DeleteCookiesType=1" "CookiesMask=*weather*" \
  "DeleteHistory=1" "DeleteHistoryType=1" "HistoryMask=*.gif*" \
  > "$ini_dir/Norvane.ini"

echo
echo "== The host's INI file (C:\\norvane\\Norvane.ini): every http entry, cookies of weather sites, visited GIF images"
tr -d '\r' < "$ini_dir/Norvane.ini"

echo
echo "== ienorvane preview --ini C:\\norvane\\Norvane.ini --section \"IE Norvane\": what the clean will delete"
run ienorvane.exe preview --ini 'C:\norvane\Norvane.ini' --section "IE Norvane" --list

echo
echo "== plughost clean IENorvane.dll C:\\norvane\\Norvane.ini \"IE Norvane\""
status=0
run plughost.exe clean IENorvane.dll 'C:\norvane\Norvane.ini' "IE Norvane" || status=$?

echo
echo "== What is left"
run seedcache.exe list
exit "$status"
