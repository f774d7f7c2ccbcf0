#!/usr/bin/env bash
# Shows that check-layers.py fails where it must: a tree whose core includes
# the dialog, whose form logic includes windows.h, and whose headers include
# each other in a cycle gives exactly those three problems and exit 1; the
# same tree without them passes.
set -euo pipefail
checker="$(cd "$(dirname "$0")" && pwd)/check-layers.py"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform,cleaner,dialog}
printf '#pragma once\n' >"$tree/platform/Platform.h"
printf '#pragma once\n#include "Platform.h"\n#include "Walk.h"\n' >"$tree/cleaner/Clean.h"
printf '#pragma once\n#include "Clean.h"\n' >"$tree/cleaner/Walk.h"
printf '#include "Form.h"\n' >"$tree/cleaner/Clean.cpp"
printf '#pragma once\n#include <windows.h>\n#include "Clean.h"\n' >"$tree/dialog/Form.h"

set +e
output=$(python3 "$checker" "$tree")
code=$?
set -e
echo "$output"
[[ $code -eq 1 ]] || { echo "expected exit 1, got $code"; exit 1; }
grep -q "cleaner/Clean.cpp: the cleaner layer includes dialog/Form.h" <<<"$output"
grep -q "dialog/Form.h: includes the Windows header <windows.h>" <<<"$output"
grep -q "include cycle: cleaner/.*\.h -> cleaner/.*\.h -> cleaner/.*\.h" <<<"$output"

# Mended, the same tree passes.
printf '#pragma once\n' >"$tree/cleaner/Walk.h"
printf '#include "Clean.h"\n' >"$tree/cleaner/Clean.cpp"
printf '#pragma once\n#include "Clean.h"\n' >"$tree/dialog/Form.h"
python3 "$checker" "$tree"
echo "check-layers self-test passed"
