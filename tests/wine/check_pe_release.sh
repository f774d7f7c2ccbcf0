#!/usr/bin/env bash
# Checks what a shipped PE file's headers say about the release, as objdump
# reads them:
#   - a resource directory with one version resource (type 16, U.S. English)
#     and no time stamp in any of its tables,
#   - no link time stamp in the file header (the same sources give the same
#     bytes),
#   - the image version of the header equal to the release's major.minor.
#   check_pe_release.sh VERSION FILE...
set -euo pipefail
version=${1:?usage: check_pe_release.sh VERSION FILE...}
shift
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
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
  [[ $status == 0 ]] && echo "$(basename "$file"): version resource, no time stamps, image version $image"
done
exit $status
