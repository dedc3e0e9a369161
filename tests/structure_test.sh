#!/bin/bash
# Structure of timerhold.exe or timercheck.exe as Windows sees it: size, machine,
# subsystem, security flags, the load-time import table, the version resource and
# the manifest. It reads the output of the binutils of Debian 12 and later, and of
# MSYS2's, whose Windows builds may end their lines in CR LF.
# Usage: structure_test.sh PROGRAM OBJDUMP EXE VERSION
set -euo pipefail
program=$1 objdump=$2 exe=$3 version=$4
status=0
fail() { echo "FAIL ($program): $*" >&2; status=1; }

# What sets the two apart: timerhold runs unseen and makes the timer request;
# timercheck is a console program and must never make one, since it measures
# the sleeps of a program that makes none.
case $program in
timerhold)
    subsystem="00000002 (Windows GUI)"
    dlls="kernel32.dll msvcrt.dll ntdll.dll"
    own_imports=("ntdll.dll NtSetTimerResolution" "kernel32.dll Sleep" "msvcrt.dll puts")
    ;;
timercheck)
    subsystem="00000003 (Windows CUI)"
    dlls="advapi32.dll kernel32.dll msvcrt.dll ntdll.dll"
    own_imports=("kernel32.dll Sleep" "kernel32.dll QueryPerformanceCounter"
                 "kernel32.dll QueryPerformanceFrequency" "kernel32.dll GetConsoleProcessList"
                 "msvcrt.dll _getch" "ntdll.dll RtlGetVersion" "advapi32.dll RegGetValueW")
    ;;
*) fail "no such program"; exit 1 ;;
esac

# The tools' output without CRs.
headers=$("$objdump" -p "$exe" | tr -d '\r')
ascii_strings=$(strings -a "$exe" | tr -d '\r')
utf16_strings=$(strings -el "$exe" | tr -d '\r')

grep -q 'file format pei-x86-64' <<<"$headers" || fail "not an x86-64 PE executable"
[[ $(awk '$1 == "Subsystem" { $1 = ""; print substr($0, 2) }' <<<"$headers") == "$subsystem" ]] ||
    fail "not built for the subsystem $subsystem"

# As lean as the program: msvcrt's own printf (checked with the imports below), no C++
# runtime linked in statically nor mingw's bundled printf. Each program is under 21 KiB
# with the GCC and mingw-w64 of Debian 12 to MSYS2's; the bundled printf alone adds about
# 24 KB, a static C++ runtime far more.
largest=32768
size=$(stat -c %s "$exe")
((size <= largest)) || fail "$size bytes: larger than $((largest / 1024)) KiB"

# ASLR with a 64-bit address space, and DEP.
flags=$((16#$(awk '/^DllCharacteristics/ { print $2 }' <<<"$headers")))
for flag in 0x0020:HIGH_ENTROPY_VA 0x0040:DYNAMIC_BASE 0x0100:NX_COMPAT; do
    (( flags & ${flag%%:*} )) || fail "${flag#*:} is off"
done

# The import table as "dll function" lines, DLL names in lower case, "dll #N" for an
# import by ordinal alone. binutils before 2.44 print a row as "vma hint name", or
# "vma ordinal <none>"; 2.44 and later as "vma <none> hint name", or "vma ordinal <none>
# <none>", under a heading that names the Ordinal column.
imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); layout = ""; next }
    /^$/ { dll = "" }
    dll == "" { next }
    /^\tvma:/ { layout = /Ordinal/ ? "ordinal first" : "hint first"; next }
    $1 !~ /^[0-9a-f]+$/ { next }
    layout == "ordinal first" && NF >= 4 { print dll, ($4 == "<none>" ? "#" $2 : $4) }
    layout == "hint first" && NF >= 3 { print dll, ($3 == "<none>" ? "#" $2 : $3) }
' <<<"$headers")

if [[ -z $imports ]]; then
    fail "could not read the import table from the output of $objdump -p"
else
    imported_dlls=$(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')
    [[ $imported_dlls == "$dlls " ]] || fail "imports from $imported_dlls, not from $dlls alone"

    for import in "ntdll.dll NtQueryTimerResolution" "msvcrt.dll printf" "msvcrt.dll fflush" \
                  "${own_imports[@]}"; do
        grep -qx "$import" <<<"$imports" || fail "no load-time import of $import"
    done
fi
if [[ $program == timercheck ]] &&
    grep -Eq 'SetTimerResolution|timeBeginPeriod' <<<"$ascii_strings"$'\n'"$utf16_strings"; then
    fail "names a call that makes a timer request"
fi

# Windows 7 must load it: every import from kernel32, ntdll and advapi32 is one that
# Windows 7 has. What came later (SetProcessInformation) is looked up at run time, never
# imported. The list holds what the programs call and what the C runtime's start-up
# may, with other versions of mingw-w64 (MSYS2's) among them.
windows7="kernel32.dll: DeleteCriticalSection EnterCriticalSection GetCurrentProcess
    GetLastError GetModuleHandleW GetProcAddress GetStartupInfoA InitializeCriticalSection
    LeaveCriticalSection SetUnhandledExceptionFilter Sleep TlsGetValue VirtualProtect
    VirtualQuery __C_specific_handler GetConsoleMode GetConsoleProcessList GetStdHandle
    QueryPerformanceCounter QueryPerformanceFrequency GetSystemTimeAsFileTime
    GetCurrentProcessId GetCurrentThreadId GetTickCount IsDebuggerPresent
    IsProcessorFeaturePresent RtlCaptureContext RtlLookupFunctionEntry RtlVirtualUnwind
    TerminateProcess UnhandledExceptionFilter
ntdll.dll: NtQueryTimerResolution NtSetTimerResolution RtlGetVersion
advapi32.dll: RegGetValueW"
while read -r dll function; do
    [[ -z $dll || $dll == msvcrt.dll ]] && continue
    awk -v dll="$dll:" -v fn="$function" '
        /^[a-z0-9]+\.dll:/ { in_dll = $1 == dll }
        in_dll { for (i = 1; i <= NF; i++) if ($i == fn) found = 1 }
        END { exit !found }' <<<"$windows7" ||
        fail "$dll import $function is not known to be in Windows 7"
done <<<"$imports"

# Resources: a version (type 16) and a manifest (type 24), each with ID 1.
resources=$(awk '
    /^[0-9a-f]+   Entry: ID: / { type = $4; sub(/,$/, "", type) }
    /^[0-9a-f]+     Entry: ID: / { id = $4; sub(/,$/, "", id); print type, id }
' <<<"$headers")
for resource in "0x000010 0x000001:version" "0x000018 0x000001:manifest"; do
    grep -qx "${resource%:*}" <<<"$resources" || fail "no ${resource#*:} resource"
done

# The version strings, as Explorer's Details tab shows them.
value() { grep -A1 -x "$1" <<<"$utf16_strings" | sed -n 2p; }
[[ $(value FileVersion) == "$version" && $(value ProductVersion) == "$version" ]] ||
    fail "file or product version is not the project version $version"
[[ $(value ProductName) == timerhold && $(value OriginalFilename) == $program.exe ]] ||
    fail "product name or original file name missing"
[[ -n $(value FileDescription) ]] || fail "no file description"
[[ $(value LegalCopyright) == "Copyright (c) 2026 the timerhold developers" ]] ||
    fail "no copyright, or not the licence's"

# The manifest: no elevation, and every Windows from 7 to 11 declared supported.
grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$ascii_strings" ||
    fail "manifest does not run asInvoker"
for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
          1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -q "supportedOS Id=\"{$os}\"" <<<"$ascii_strings" ||
        fail "manifest lacks supportedOS $os"
done

exit $status
