// Host test double of the Windows platform: the types and the operations that
// timerhold and timercheck use, under their Windows names. The operations write a
// record of each call to file descriptor 3 and answer as the environment tells them:
//
//   DOUBLE_QUERIES         one word per NtQueryTimerResolution call, in order: a
//                          current resolution to report (bounds 156250 and 5000),
//                          or !XXXXXXXX to fail with that status and write nothing
//   DOUBLE_SET_STATUS      hex status for NtSetTimerResolution (default success)
//   DOUBLE_WINDOWS_7       when set, kernel32.dll has no SetProcessInformation
//   DOUBLE_LAST_SLEEP      the Sleep call that ends the process (default none), so
//                          that a hold can be observed and end
//   DOUBLE_SLEEPS          how far each Sleep call moves the performance counter, in
//                          its ticks: one word per call, from the first again once
//                          all are used (default 0)
//   DOUBLE_COUNTER_RATE    the counter's ticks per second (default 10000000)
//   DOUBLE_CONSOLE         how many processes share the console (default 0: none)
//   DOUBLE_CONSOLE_OUTPUT  when set, standard output is that console
//   DOUBLE_BUILD           the Windows build that RtlGetVersion gives (default 7601)
//   DOUBLE_GLOBAL_REQUESTS the DWORD GlobalTimerResolutionRequests (default absent),
//                          or !N for RegGetValueW to fail with error N
//
// SetProcessInformation always refuses, as Wine's does for power throttling.
#ifndef TIMERHOLD_PLATFORM_DOUBLE_H
#define TIMERHOLD_PLATFORM_DOUBLE_H

#include <stdint.h>

using BOOLEAN = uint8_t;
using ULONG = uint32_t;
using PULONG = ULONG *;
using DWORD = uint32_t;
using LPDWORD = DWORD *;
using LONGLONG = int64_t;
using NTSTATUS = int32_t;
using LONG = int32_t;
using BOOL = int;
using HANDLE = void *;
using HMODULE = void *;
using LPVOID = void *;
using PVOID = void *;
using HKEY = struct HKEY__ *;
using LPCWSTR = const wchar_t *;
using LPCSTR = const char *;
using FARPROC = intptr_t (*)();
struct LARGE_INTEGER {
    LONGLONG QuadPart;
};
enum PROCESS_INFORMATION_CLASS { ProcessPowerThrottling = 4 };
struct RTL_OSVERSIONINFOW {
    ULONG dwOSVersionInfoSize;
    ULONG dwMajorVersion;
    ULONG dwMinorVersion;
    ULONG dwBuildNumber;
    ULONG dwPlatformId;
    wchar_t szCSDVersion[128];
};
using PRTL_OSVERSIONINFOW = RTL_OSVERSIONINFOW *;

#define TRUE 1
#define STD_OUTPUT_HANDLE (static_cast<DWORD>(-11))
#define NTSYSAPI
#define NTAPI
#define WINAPI
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(0x80000002))
#define RRF_RT_REG_DWORD 0x10
#define ERROR_SUCCESS 0

HANDLE GetCurrentProcess();
HMODULE GetModuleHandleW(LPCWSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
void Sleep(DWORD milliseconds);
BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER *count);
DWORD GetConsoleProcessList(LPDWORD processes, DWORD count);
HANDLE GetStdHandle(DWORD which);
BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
int _getch();
LONG RegGetValueW(HKEY key, LPCWSTR sub_key, LPCWSTR value, DWORD flags, LPDWORD type, PVOID data,
                  LPDWORD size);

#endif
