#!/usr/bin/env bash
# Checks that the shipped binaries are reproducible: the same sources, copied
# to two different folders and built there one after the other (the second
# in another time zone and locale), give byte-identical IENorvane.dll and
# ienorvane.exe. Only those two targets are built, with the preset of the
# architecture asked for (win32: win, win64: win64).
#
#   check_reproducible.sh SOURCE_DIR [win32|win64]
set -euo pipefail
source_dir="$(realpath "${1:?usage: check_reproducible.sh SOURCE_DIR}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/nv-reproducible.XXXXXX")"
trap 'rm -rf "$work"' EXIT
files=(IENorvane.dll ienorvane.exe)
case "${2:-win32}" in
win32) preset=win ;;
win64) preset=win64 ;;
*) echo "check_reproducible: unknown architecture $2" >&2; exit 2 ;;
esac

# build_copy FOLDER: copies the sources (without build folders and history)
# to FOLDER and builds the two targets in FOLDER/build/PRESET.
build_copy() {
  local copy="$1"
  mkdir -p "$copy"
  tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
  if ! { (cd "$copy" && cmake --preset "$preset" -DNV_TESTS=OFF) &&
    cmake --build "$copy/build/$preset" -j2 --target IENorvane ienorvane; } >"$copy.log" 2>&1; then
    cat "$copy.log"
    exit 1
  fi
}

first="$work/first/src"
second="$work/a-second-folder/with/a/longer/path/src"
build_copy "$first"
sleep 2
TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 build_copy "$second"

status=0
for file in "${files[@]}"; do
  a="$first/build/$preset/bin/$file" b="$second/build/$preset/bin/$file"
  if cmp -s "$a" "$b"; then
    echo "$file: identical, $(stat -c %s "$a") bytes, sha256 $(sha256sum "$a" | cut -c1-16)..."
  else
    status=1
    echo "$file: DIFFERS ($(cmp -l "$a" "$b" | wc -l) bytes); first differences (offset, octal bytes):"
    cmp -l "$a" "$b" | head -n 8
    diff <("${OBJDUMP:-objdump}" -p "$a") <("${OBJDUMP:-objdump}" -p "$b") | head -n 20 || true
  fi
done
exit $status
