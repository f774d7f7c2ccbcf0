#!/usr/bin/env bash
# Checks the release archive that scripts/make-dist.sh makes of a Windows
# build folder, as a user would receive it:
#   - one folder ienorvane-VERSION-ARCH (the build's architecture) with exactly the DLL, the command
#     line, README.txt, LICENSE.txt and SHA256SUMS;
#   - the binaries are the build's; SHA256SUMS lists every other file and
#     verifies with sha256sum -c, and fails once a byte of the DLL changes;
#   - README.txt carries the version and the command line's --help text as
#     it is now; the texts have Windows line ends;
#   - the same build gives the same archive twice.
#   check_dist.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir="$(realpath "${1:?usage: check_dist.sh SOURCE_DIR BUILD_DIR}")"
build="$(realpath "${2:?usage: check_dist.sh SOURCE_DIR BUILD_DIR}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/nv-dist-test.XXXXXX")"
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }

version=$(sed -n 's/^#define NV_VERSION_STRING "\(.*\)"$/\1/p' "$build/version/NvVersion.h")
name="ienorvane-$version-$(cat "$build/nv-arch")"
"$source_dir/scripts/make-dist.sh" "$build" "$work/one" >/dev/null
"$source_dir/scripts/make-dist.sh" "$build" "$work/two" >/dev/null
archive="$work/one/$name.zip"
[[ -f "$archive" ]] || { echo "FAILED: no $name.zip"; exit 1; }
cmp -s "$archive" "$work/two/$name.zip" || fail "two archives of the same build differ"

listed=$(unzip -Z1 "$archive" | sort)
expected=$(printf '%s\n' "$name/" "$name/IENorvane.dll" "$name/ienorvane.exe" "$name/README.txt" \
  "$name/LICENSE.txt" "$name/SHA256SUMS" | sort)
[[ "$listed" == "$expected" ]] || fail "archive holds: $(echo $listed)"

unzip -q "$archive" -d "$work/unpacked"
folder="$work/unpacked/$name"
for binary in IENorvane.dll ienorvane.exe; do
  cmp -s "$folder/$binary" "$build/bin/$binary" || fail "$binary is not the build's"
done
(cd "$folder" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
summed=$(awk '{print $2}' "$folder/SHA256SUMS" | sort)
others=$(cd "$folder" && ls | grep -vx SHA256SUMS | sort)
[[ "$summed" == "$others" ]] || fail "SHA256SUMS lists $(echo $summed), the folder has $(echo $others)"
cp -r "$folder" "$work/tampered"
printf '\x01' | dd of="$work/tampered/IENorvane.dll" bs=1 seek=4096 conv=notrunc status=none
if (cd "$work/tampered" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1); then
  fail "SHA256SUMS still verifies a changed DLL"
fi

for text in README.txt LICENSE.txt; do
  [[ $(grep -c $'\r$' "$folder/$text") == $(wc -l <"$folder/$text") ]] ||
    fail "$text has lines without a Windows line end"
done
readme=$(tr -d '\r' <"$folder/README.txt")
[[ $(head -n 1 <<<"$readme") == "IE Norvane $version" ]] || fail "README.txt's title: $(head -n 1 <<<"$readme")"
grep -q '@[A-Z_]*@' <<<"$readme" && fail "README.txt keeps a placeholder"
"$source_dir/scripts/cli-help.sh" "$build" "$work/help.txt"
help=$(cat "$work/help.txt")
grep -q 'Exit codes' <<<"$help" || fail "ienorvane --help names no exit codes"
while IFS= read -r line; do
  [[ -z "$line" ]] && continue
  grep -qxF "  $line" <<<"$readme" || fail "README.txt lacks the help line: $line"
done <<<"$help"
license=$(tr -d '\r' <"$folder/LICENSE.txt")
[[ "$license" == "$(cat "$source_dir/LICENSE")" ]] || fail "LICENSE.txt is not the repository's LICENSE"
grep -q '^Copyright (c) 2026 IE Norvane developers$' <<<"$license" || fail "LICENSE.txt's copyright"

[[ $status == 0 ]] && echo "$name.zip: $(echo $listed | wc -w) entries, SHA256SUMS verifies, reproducible"
exit $status
