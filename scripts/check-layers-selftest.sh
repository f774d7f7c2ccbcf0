#!/usr/bin/env bash
# Shows that check-layers.py fails where it must: a tree whose core includes
# the dialog, whose form logic includes windows.h, whose headers include each
# other in a cycle, whose command line includes the dialog and whose seeding
# tool compiles a test source gives exactly those problems and exit 1; the
# same tree without them passes.
set -euo pipefail
checker="$(cd "$(dirname "$0")" && pwd)/check-layers.py"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform,cleaner,dialog,tools/ienorvane,tools/seedcache,tests/support}
printf '#pragma once\n' >"$tree/platform/Platform.h"
printf '#pragma once\n#include "Platform.h"\n#include "Walk.h"\n' >"$tree/cleaner/Clean.h"
printf '#pragma once\n#include "Clean.h"\n' >"$tree/cleaner/Walk.h"
printf '#include "Form.h"\n' >"$tree/cleaner/Clean.cpp"
printf '#pragma once\n#include <windows.h>\n#include "Clean.h"\n' >"$tree/dialog/Form.h"
printf '#include "Clean.h"\n#include "Form.h"\n' >"$tree/tools/ienorvane/Commands.cpp"
printf '#include <windows.h>\n#include "Seeder.h"\n' >"$tree/tools/seedcache/seedcache.cpp"
printf '#pragma once\n' >"$tree/tests/support/Seeder.h"
printf 'add_executable(seedcache seedcache.cpp ${PROJECT_SOURCE_DIR}/tests/support/Seeder.cpp)\n' \
  >"$tree/tools/seedcache/CMakeLists.txt"

set +e
output=$(python3 "$checker" "$tree")
code=$?
set -e
echo "$output"
[[ $code -eq 1 ]] || { echo "expected exit 1, got $code"; exit 1; }
grep -q "cleaner/Clean.cpp: the cleaner layer includes dialog/Form.h" <<<"$output"
grep -q "dialog/Form.h: includes the Windows header <windows.h>" <<<"$output"
grep -q "include cycle: cleaner/.*\.h -> cleaner/.*\.h -> cleaner/.*\.h" <<<"$output"
grep -q "tools/ienorvane/Commands.cpp: the tools/ienorvane layer includes dialog/Form.h" <<<"$output"
grep -q "tools/seedcache/seedcache.cpp: the tools/seedcache layer includes tests/support/Seeder.h" \
  <<<"$output"
grep -q "tools/seedcache/CMakeLists.txt: a shipped part builds with test code (tests/support/Seeder.cpp)" \
  <<<"$output"
[[ $(grep -c '^' <<<"$output") -eq 7 ]] || { echo "expected 6 problems and the count"; exit 1; }

# Mended, the same tree passes.
printf '#pragma once\n' >"$tree/cleaner/Walk.h"
printf '#include "Clean.h"\n' >"$tree/cleaner/Clean.cpp"
printf '#pragma once\n#include "Clean.h"\n' >"$tree/dialog/Form.h"
printf '#include "Clean.h"\n' >"$tree/tools/ienorvane/Commands.cpp"
mv "$tree/tests/support/Seeder.h" "$tree/tools/seedcache/Seeder.h"
printf 'add_executable(seedcache seedcache.cpp Seeder.cpp)\n' >"$tree/tools/seedcache/CMakeLists.txt"
python3 "$checker" "$tree"
echo "check-layers self-test passed"
