#!/usr/bin/env bash
# Checks a plug-in DLL's export and import tables: exactly the five host
# exports by undecorated name, and imports from system DLLs only (no compiler
# runtime beside the DLL).
set -euo pipefail
dll=${1:?usage: check_dll_tables.sh DLL}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
table=$("$objdump" -p "$dll")

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print $NF; next} on {on=0}' <<<"$table" | sort)
expected=$(printf '%s\n' ExecClearProc GetConfigString GetGUID GetPluginDescription GetPluginName)
if [[ "$exports" != "$expected" ]]; then
  echo "exports differ:"; diff <(echo "$expected") <(echo "$exports") || true
  exit 1
fi

system='^(kernel32|user32|gdi32|comctl32|wininet|ole32|oleaut32|advapi32|shell32|shlwapi|uxtheme|msvcrt|ntdll)\.dll$'
status=0
while read -r import; do
  if ! grep -qiE "$system" <<<"$import"; then
    echo "not a system DLL: $import"; status=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$table")
[[ $status == 0 ]] && echo "exports: $(echo $exports); imports: $(awk '/DLL Name:/ {printf "%s ", $3}' <<<"$table")"
exit $status
