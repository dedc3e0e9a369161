// The platform operations that timerhold and timercheck call, under their Windows
// names: the real Windows declarations, or on other systems the test double that
// records them.
#ifndef TIMERHOLD_PLATFORM_H
#define TIMERHOLD_PLATFORM_H

#ifdef _WIN32
#include <conio.h>
#include <windows.h>
#else
#include "platform_double.h"
#endif

// ntdll.dll calls that the user-mode SDK headers lack; C names, as ntdll exports them.
// The timer service: all times are counts of 100 ns; 10000 is 1 ms.
extern "C" {
NTSYSAPI NTSTATUS NTAPI NtQueryTimerResolution(PULONG MaximumTime, PULONG MinimumTime,
                                               PULONG CurrentTime);
NTSYSAPI NTSTATUS NTAPI NtSetTimerResolution(ULONG DesiredTime, BOOLEAN SetResolution,
                                             PULONG ActualTime);
// The Windows version as it is, whatever the program's manifest declares.
NTSYSAPI NTSTATUS NTAPI RtlGetVersion(PRTL_OSVERSIONINFOW VersionInformation);
}

// SetProcessInformation and its power throttling class, from Windows 8 on; older SDK
// headers, or ones targeting Windows 7, lack them.
using SET_PROCESS_INFORMATION = BOOL(WINAPI *)(HANDLE Process,
                                               PROCESS_INFORMATION_CLASS InformationClass,
                                               LPVOID Information, DWORD InformationSize);
#ifndef PROCESS_POWER_THROTTLING_CURRENT_VERSION
#define PROCESS_POWER_THROTTLING_CURRENT_VERSION 1
#define PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION 0x4
struct PROCESS_POWER_THROTTLING_STATE {
    ULONG Version;
    ULONG ControlMask;
    ULONG StateMask;
};
#endif

#endif
