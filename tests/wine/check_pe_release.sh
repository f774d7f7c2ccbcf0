#!/usr/bin/env bash
# Checks what a shipped PE file's headers say about the release, as objdump
# reads them:
#   - a resource directory with one version resource (type 16, U.S. English)
#     and no time stamp in any of its tables,
#   - no link time stamp in the file header (the same sources give the same
#     bytes),
#   - the image version of the header equal to the release's major.minor,
#   - the machine type and optional-header magic of the build's architecture
#     (NV_WIN_ARCH: win32 is i386 with PE32, win64 x86-64 with PE32+),
#   - a DLL flagged as one, a program flagged as a console program (the
#     command line writes to its console), both for a Windows subsystem.
#   check_pe_release.sh VERSION FILE...
set -euo pipefail
version=${1:?usage: check_pe_release.sh VERSION FILE...}
shift
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
case "${NV_WIN_ARCH:-win32}" in
win32) format=pei-i386 magic=010b ;;
win64) format=pei-x86-64 magic=020b ;;
*) echo "check_pe_release: unknown NV_WIN_ARCH ${NV_WIN_ARCH}" >&2; exit 2 ;;
esac
major=${version%%.*}
minor=${version#*.}
minor=${minor%%.*}

status=0
fail() { echo "$file: $*"; status=1; }
for file in "$@"; do
  headers=$("$objdump" -p "$file")
  resources=$(sed -n '/^The .rsrc Resource Directory section:/,/Resources start at offset/p' <<<"$headers")
  if [[ -z "$resources" ]]; then
    fail "no resource directory"
    continue
  fi
  # The type table lists ID 0x10 (RT_VERSION) once; the language table under
  # it 0x409; every table's time stamp is zero.
  grep -q 'Type Table:' <<<"$resources" || fail "no type table"
  [[ $(grep -c 'Entry: ID: 0x000010,' <<<"$resources") == 1 ]] || fail "not one version resource"
  grep -q 'Entry: ID: 0x000409,' <<<"$resources" || fail "the version resource is not U.S. English"
  grep -q 'Leaf: .*Size: 0x0*[1-9a-f]' <<<"$resources" || fail "the version resource is empty"
  if grep 'Time:' <<<"$resources" | grep -vq 'Time: 00000000'; then
    fail "a resource table carries a time stamp"
  fi
  stamp=$(awk -F'\t+' '/^Time\/Date/ {print $2}' <<<"$headers")
  [[ "$stamp" == *1970* ]] || fail "link time stamp: $stamp"
  image=$(awk '/^MajorImageVersion/ {a=$2} /^MinorImageVersion/ {b=$2} END {print a "." b}' <<<"$headers")
  [[ "$image" == "$major.$minor" ]] || fail "image version $image, not $major.$minor"
  grep -q "file format $format\$" <<<"$headers" || fail "not $format: $(grep -m1 'file format' <<<"$headers")"
  [[ $(awk '/^Magic/ {print $2}' <<<"$headers") == "$magic" ]] || fail "optional header magic is not $magic"
  subsystem=$(awk '/^Subsystem/ {print $3, $4}' <<<"$headers")
  characteristics=$(sed -n '/^Characteristics/,/^$/p' <<<"$headers")
  case "$file" in
  *.dll)
    grep -qx $'\tDLL' <<<"$characteristics" || fail "not flagged as a DLL"
    [[ "$subsystem" == "(Windows GUI)" || "$subsystem" == "(Windows CUI)" ]] ||
      fail "subsystem $subsystem"
    ;;
  *.exe)
    grep -qx $'\tDLL' <<<"$characteristics" && fail "a program flagged as a DLL"
    [[ "$subsystem" == "(Windows CUI)" ]] || fail "subsystem $subsystem, not a console program"
    ;;
  esac
  [[ $status == 0 ]] &&
    echo "$(basename "$file"): $format, $subsystem, version resource, no time stamps, image version $image"
done
exit $status
