#!/usr/bin/env bash
# Cookies and visited entries of a Japanese user name are cleaned like any
# other under a double-byte code page: a prefix of its own whose locale is
# Japanese (code page 932), the entries seeded with the name in that code
# page, a clean by the plug-in with its defaults, and a fresh process's
# listing without them. The locale is generated into the prefix's folder
# (LOCPATH), so the machine's own locales are left as they are.
#   check_codepage932.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build=$2
. "$source_dir/scripts/throwaway-prefix.sh"
use_throwaway_prefix cp932
locales="$prefix_root/locales"
mkdir -p "$locales"
localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" 2>/dev/null || true
[[ -d "$locales/ja_JP.UTF-8" ]] || { echo "cannot generate the locale ja_JP.UTF-8"; exit 1; }
japanese() { LOCPATH="$locales" LC_ALL=ja_JP.UTF-8 "$build/wine-run.sh" "$@"; }
run() { japanese "$build/bin/$1" "${@:2}"; }
fail() { echo "FAILED: $*"; exit 1; }

codepage="$(japanese reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null | tr -d '\r')"
[[ "$codepage" == *932* ]] || fail "the prefix's ANSI code page is not 932: $codepage"

# 田中 and 鈴木 in code page 932; the names' second bytes include "c" (0x63).
tanaka='%93c%92%86' suzuki='%97%E9%96%D8'
entries=("Cookie:$tanaka@shop.example.jp/" "Cookie:$suzuki@news.example.jp/"
  "Visited: $tanaka@http://shop.example.jp/cart.html" "Visited: $suzuki@http://news.example.jp/")
run seedcache.exe add "${entries[@]}" >/dev/null
run seedcache.exe add --size 700 http://www.example.jp/index.html >/dev/null
before="$(run seedcache.exe list)"
[[ "$before" == *"5 entries"* ]] || fail "seeded: $before"

ini="C:\\users\\nv-cp932.ini" # no such file: the plug-in's defaults clean everything
report="$(run plughost.exe clean IENorvane.dll "$ini" "IE Norvane" 2>&1 | tr -d '\r')"
[[ "$report" == *"Exempted space is 700 bytes"* ]] || fail "the clean reported: $report"
after="$(run seedcache.exe list | tr -d '\r')"
[[ "$after" == *"0 entries"* ]] || fail "left after the clean: $after"
echo "code page 932: 4 entries of Japanese user names and 1 page cleaned; $report"
