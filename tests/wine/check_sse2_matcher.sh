#!/usr/bin/env bash
# Checks that the shipped DLL's mask matcher scans with SSE2: the functions
# that the matcher's object file (Masks.cpp) compiles with SSE2 byte
# comparisons (pcmpeqb and pmovmskb) are in the DLL, with those instructions.
#   check_sse2_matcher.sh DLL 'OBJECT;OBJECT;...'   (the core library's objects)
set -euo pipefail
dll=${1:?usage: check_sse2_matcher.sh DLL OBJECTS}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
masks=$(tr ';' '\n' <<<"${2:?usage: check_sse2_matcher.sh DLL OBJECTS}" | grep '/Masks\.cpp\.obj$')

# The functions of a disassembly that use both instructions.
sse2_functions() {
  "$objdump" -d --no-show-raw-insn "$1" | awk '
    /^[0-9a-f]+ <.*>:$/ { name = $2; next }
    /\tpcmpeqb / { compares[name] = 1 }
    /\tpmovmskb / { masks[name] = 1 }
    END { for (f in compares) if (f in masks) print f }' | sort
}

in_object=$(sse2_functions "$masks")
in_dll=$(sse2_functions "$dll")
if [[ -z "$in_object" ]]; then
  echo "Masks.cpp is compiled without SSE2 byte comparisons"; exit 1
fi
shipped=$(comm -12 <(echo "$in_object") <(echo "$in_dll"))
if [[ -z "$shipped" ]]; then
  echo "none of the matcher's SSE2 functions is in $(basename "$dll") with SSE2 (object: $in_object)"
  exit 1
fi
echo "SSE2 scan in $(basename "$dll"): $(echo $shipped)"
