// Host test double of the Windows platform: the types and the operations that
// timerhold uses, under their Windows names. The operations write a record of
// each call to file descriptor 3 and answer as the environment tells them:
//
//   DOUBLE_QUERIES     one word per NtQueryTimerResolution call, in order: a
//                      current resolution to report (bounds 156250 and 5000),
//                      or !XXXXXXXX to fail with that status and write nothing
//   DOUBLE_SET_STATUS  hex status for NtSetTimerResolution (default success)
//   DOUBLE_WINDOWS_7   when set, kernel32.dll has no SetProcessInformation
//
// SetProcessInformation always refuses, as Wine's does for power throttling.
//
// The third Sleep ends the process, so that the hold can be observed and end.
#ifndef TIMERHOLD_PLATFORM_DOUBLE_H
#define TIMERHOLD_PLATFORM_DOUBLE_H

#include <stdint.h>

using BOOLEAN = uint8_t;
using ULONG = uint32_t;
using PULONG = ULONG *;
using DWORD = uint32_t;
using NTSTATUS = int32_t;
using BOOL = int;
using HANDLE = void *;
using HMODULE = void *;
using LPVOID = void *;
using LPCWSTR = const wchar_t *;
using LPCSTR = const char *;
using FARPROC = intptr_t (*)();
enum PROCESS_INFORMATION_CLASS { ProcessPowerThrottling = 4 };

#define TRUE 1
#define NTSYSAPI
#define NTAPI
#define WINAPI

HANDLE GetCurrentProcess();
HMODULE GetModuleHandleW(LPCWSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
void Sleep(DWORD milliseconds);

#endif
