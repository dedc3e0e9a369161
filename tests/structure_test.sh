#!/bin/bash
# Structure of timerhold.exe as the Windows loader sees it: machine, subsystem,
# security flags and the load-time import table.
# Usage: structure_test.sh OBJDUMP EXE
set -euo pipefail
objdump=$1 exe=$2
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

headers=$("$objdump" -p "$exe")

grep -q 'file format pei-x86-64' <<<"$headers" || fail "not an x86-64 PE executable"
grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" ||
    fail "not built for the Windows GUI subsystem (a console would open)"

# ASLR with a 64-bit address space, and DEP.
flags=$((16#$(awk '/^DllCharacteristics/ { print $2 }' <<<"$headers")))
for flag in 0x0020:HIGH_ENTROPY_VA 0x0040:DYNAMIC_BASE 0x0100:NX_COMPAT; do
    (( flags & ${flag%%:*} )) || fail "${flag#*:} is off"
done

# The import table as "dll function" lines, DLL names in lower case.
imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^$/ { dll = "" }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF == 3 { print dll, $3 }
' <<<"$headers")

dlls=$(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')
[[ $dlls == "kernel32.dll msvcrt.dll ntdll.dll " ]] ||
    fail "imports from DLLs other than Windows' own kernel32, msvcrt and ntdll: $dlls"

for import in "ntdll.dll NtQueryTimerResolution" "ntdll.dll NtSetTimerResolution" \
              "kernel32.dll Sleep" "msvcrt.dll printf" "msvcrt.dll puts" "msvcrt.dll fflush"; do
    grep -qx "$import" <<<"$imports" || fail "no load-time import of $import"
done

# Windows 7 must load it: every kernel32 import is one that Windows 7 has. What came
# later (SetProcessInformation) is looked up at run time, never imported.
windows7_kernel32=" DeleteCriticalSection EnterCriticalSection GetCurrentProcess GetLastError
    GetModuleHandleW GetProcAddress GetStartupInfoA InitializeCriticalSection
    LeaveCriticalSection SetUnhandledExceptionFilter Sleep TlsGetValue VirtualProtect
    VirtualQuery __C_specific_handler "
for function in $(awk '$1 == "kernel32.dll" { print $2 }' <<<"$imports"); do
    [[ ${windows7_kernel32//[[:space:]]/ } == *" $function "* ]] ||
        fail "kernel32.dll import $function is not known to be in Windows 7"
done

exit $status
