/* Host test double of the Windows platform: the types and the operations that
 * timerhold uses, under their Windows names. The operations write a record of
 * each call to file descriptor 3 and answer as the environment tells them:
 *
 *   DOUBLE_QUERIES     one word per NtQueryTimerResolution call, in order: a
 *                      current resolution to report (bounds 156250 and 5000),
 *                      or !XXXXXXXX to fail with that status and write nothing
 *   DOUBLE_SET_STATUS  hex status for NtSetTimerResolution (default success)
 *   DOUBLE_WINDOWS_7   when set, kernel32.dll has no SetProcessInformation
 *
 * SetProcessInformation always refuses, as Wine's does for power throttling.
 *
 * The third Sleep ends the process, so that the hold can be observed and end. */
#ifndef TIMERHOLD_PLATFORM_DOUBLE_H
#define TIMERHOLD_PLATFORM_DOUBLE_H

#include <stdint.h>
#include <wchar.h>

typedef uint8_t BOOLEAN;
typedef uint32_t ULONG, *PULONG, DWORD;
typedef int32_t NTSTATUS;
typedef int BOOL;
typedef void *HANDLE, *HMODULE, *LPVOID;
typedef const wchar_t *LPCWSTR;
typedef const char *LPCSTR;
typedef intptr_t (*FARPROC)(void);
typedef enum { ProcessPowerThrottling = 4 } PROCESS_INFORMATION_CLASS;

#define TRUE 1
#define NTSYSAPI
#define NTAPI
#define WINAPI

HANDLE GetCurrentProcess(void);
HMODULE GetModuleHandleW(LPCWSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
void Sleep(DWORD milliseconds);

#endif
