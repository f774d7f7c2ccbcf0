#!/usr/bin/env bash
# Builds both Windows architectures and tests each as far as this machine
# runs it (setup's record, scripts/win-archs.sh):
#   - a build whose programs run here: every Wine and GUI test, in a fresh
#     Wine prefix of its own (build/PRESET/wineprefix);
#   - a build whose programs cannot start here (a 32-bit one on a machine
#     without 32-bit support): the checks that read its files (export and
#     import tables, PE headers, SSE2 scan, reproducible bytes, the release
#     archive), and its version resources read by a build that runs.
# The runnable builds go first, since the others borrow their programs.
#   scripts/test-win.sh [JOBS]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:-2}
archs=scripts/win-archs.sh

ordered=()
for preset in win win64; do $archs runs $preset && ordered+=("$preset"); done
for preset in win win64; do $archs runs $preset || ordered+=("$preset"); done
first_runnable=$($archs first)

arch_of() { [[ $1 == win64 ]] && echo win64 || echo win32; }

for preset in "${ordered[@]}"; do
  if $archs runs "$preset"; then
    echo "== $preset ($(arch_of "$preset")): build, Wine and GUI tests"
    cmake --preset "$preset" -DNV_WINE_TESTS=ON >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
    rm -rf "build/$preset/wineprefix"
    ctest --preset "$preset" -j"$jobs"
  else
    echo "== $preset ($(arch_of "$preset")): build and file checks only"
    cmake --preset "$preset" -DNV_WINE_TESTS=OFF >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
    ctest --preset "$preset" -L files -j"$jobs"
    echo "== $preset ($(arch_of "$preset")): version resources, read by the $first_runnable build under Wine"
    shipped="Z:$(realpath "build/$preset/bin" | tr / '\\')"
    log="$PWD/build/$preset/version-resources.log"
    status=0
    (cd "build/$first_runnable/bin" &&
      NV_SHIPPED_DIR="$shipped" "../wine-run.sh" wine_tests.exe --gtest_filter='VersionResource.*' \
        >"$log" 2>&1) || status=$?
    tr -d '\r' <"$log" | grep -E '^\[  (PASSED|FAILED) |Failure' || true
    ((status == 0)) || { echo "version resources of $preset: FAILED (log: $log)"; exit 1; }
  fi
done

echo "== Windows builds tested:"
for preset in "${ordered[@]}"; do
  if $archs runs "$preset"; then
    echo "   $preset ($(arch_of "$preset")): Wine and GUI suites and file checks"
  else
    echo "   $preset ($(arch_of "$preset")): built, file checks only"
  fi
done
$archs skipped | sed 's/^/   /'
