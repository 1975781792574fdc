#!/usr/bin/env bash
# The DLL exports exactly CreatePlugInstance, undecorated, as a __stdcall
# function with two arguments, and imports only Windows system DLLs.
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")

exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^[[:space:]]*\[ *[0-9]+\]' | awk '{print $NF}')
if [ "$exports" != "CreatePlugInstance" ]; then
  echo "exports are not exactly CreatePlugInstance:"; printf '%s\n' "$exports"; exit 1
fi

allowed='^(KERNEL32|USER32|GDI32|ole32|OLEAUT32|ADVAPI32|msvcrt|COMCTL32|SHELL32|COMDLG32)\.dll$'
bad=0
while read -r name; do
  if ! printf '%s\n' "$name" | grep -qiE "$allowed"; then echo "unexpected import: $name"; bad=1; fi
done < <(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}')
[ $bad -eq 0 ] || exit 1

# Callee pops its two arguments: the export's code ends in "ret $0x8".
code=$("$objdump" -d "$dll" | awk '/<_CreatePlugInstance@8>:/ {f=1} f && /\tret/ {print; f=0}')
if ! printf '%s\n' "$code" | grep -q 'ret *[$]0x8'; then
  echo "CreatePlugInstance does not pop its two arguments"; exit 1
fi
echo "exports: CreatePlugInstance; imports: $(printf '%s\n' "$dump" | awk '/DLL Name:/ {printf "%s ", $3}')"
