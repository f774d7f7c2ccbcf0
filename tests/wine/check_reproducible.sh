#!/usr/bin/env bash
# Checks that the shipped binaries are reproducible: the same sources, copied
# to another folder and built there later, in another time zone and locale,
# give the same bytes of IENorvane.dll and ienorvane.exe as the build under
# test. Only those two targets are built in the copy, with the preset of the
# build's architecture (win32: win, win64: win64).
#
#   check_reproducible.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir="$(realpath "${1:?usage: check_reproducible.sh SOURCE_DIR BUILD_DIR}")"
build="$(realpath "${2:?usage: check_reproducible.sh SOURCE_DIR BUILD_DIR}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/nv-reproducible.XXXXXX")"
trap 'rm -rf "$work"' EXIT
files=(IENorvane.dll ienorvane.exe)
case "$(cat "$build/nv-arch")" in
win32) preset=win ;;
win64) preset=win64 ;;
*) echo "check_reproducible: $build/nv-arch names no architecture" >&2; exit 2 ;;
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

copy="$work/a-second-folder/with/a/longer/path/src"
TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 build_copy "$copy"

status=0
for file in "${files[@]}"; do
  a="$build/bin/$file" b="$copy/build/$preset/bin/$file"
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
