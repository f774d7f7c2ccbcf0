#!/usr/bin/env bash
# Makes the release archive of a Windows build folder:
#
#   scripts/make-dist.sh [BUILD_DIR] [OUT_DIR]      (defaults: build/win build/dist)
#
# OUT_DIR/ienorvane-VERSION-ARCH.zip (ARCH: win32 for 32-bit hosts, win64 for
# 64-bit ones, as the build is) holds one folder of that name with
# IENorvane.dll, ienorvane.exe, README.txt (docs/README.txt.in with the
# command line's own --help text, run under Wine), LICENSE.txt and
# SHA256SUMS (checks with sha256sum -c). The version is the build's
# (NvVersion.h). The texts have Windows line ends; every file carries the
# time of the sources' last commit (or SOURCE_DATE_EPOCH), so the same build
# gives the same archive.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$source_dir/build/win}")"
out="$(realpath -m "${2:-$source_dir/build/dist}")"
for file in IENorvane.dll ienorvane.exe; do
  [[ -f "$build/bin/$file" ]] || { echo "make-dist: $build/bin/$file is missing; build the win preset first" >&2; exit 2; }
done
version=$(sed -n 's/^#define NV_VERSION_STRING "\(.*\)"$/\1/p' "$build/version/NvVersion.h")
[[ -n "$version" ]] || { echo "make-dist: no version in $build/version/NvVersion.h" >&2; exit 2; }
arch=$(cat "$build/nv-arch" 2>/dev/null || true)
[[ $arch == win32 || $arch == win64 ]] || { echo "make-dist: $build/nv-arch names no architecture" >&2; exit 2; }
name="ienorvane-$version-$arch"
stamp="${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || date +%s)}"

staging="$(mktemp -d "${TMPDIR:-/tmp}/nv-dist.XXXXXX")"
trap 'rm -rf "$staging"' EXIT
folder="$staging/$name"
mkdir -p "$folder" "$out"

crlf() { sed 's/\r$//; s/$/\r/'; }
cp "$build/bin/IENorvane.dll" "$build/bin/ienorvane.exe" "$folder/"
help_file="$staging/help.txt"
"$source_dir/scripts/cli-help.sh" "$build" "$help_file"
title="IE Norvane $version"
bits=32
[[ $arch == win64 ]] && bits=64
awk -v title="$title" -v bits="$bits" -v rule="$(printf '%*s' ${#title} '' | tr ' ' '=')" -v help="$help_file" '
  { gsub(/@VERSION@/, substr(title, 12)); gsub(/@BITS@/, bits) }
  /^@TITLE_RULE@$/ { print rule; next }
  /^@CLI_HELP@$/ { while ((getline line < help) > 0) print "  " line; next }
  { print }' "$source_dir/docs/README.txt.in" | sed 's/ *$//' | crlf >"$folder/README.txt"
crlf <"$source_dir/LICENSE" >"$folder/LICENSE.txt"
files=(IENorvane.dll ienorvane.exe README.txt LICENSE.txt)
(cd "$folder" && sha256sum "${files[@]}") >"$folder/SHA256SUMS"
files+=(SHA256SUMS)

touch -d "@$stamp" "$folder" "${files[@]/#/$folder/}"
archive="$out/$name.zip"
rm -f "$archive"
# -X: no owner or extra time fields; the names in a fixed order; DOS times in UTC.
(cd "$staging" && TZ=UTC zip -X -q "$archive" "$name/" "${files[@]/#/$name/}")
echo "$archive"
(cd "$out" && sha256sum "$name.zip")
unzip -l "$archive" | sed -n '4,$p' | head -n -2
