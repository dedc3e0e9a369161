/* The platform operations timerhold calls, under their Windows names: the real
 * Windows declarations, or on other systems the test double that records them. */
#ifndef TIMERHOLD_PLATFORM_H
#define TIMERHOLD_PLATFORM_H

#ifdef _WIN32
#include <windows.h>
#else
#include "platform_double.h"
#endif

/* ntdll.dll's timer service, documented but absent from the SDK headers.
 * All times are counts of 100 ns; 10000 is 1 ms. */
NTSYSAPI NTSTATUS NTAPI NtQueryTimerResolution(PULONG MaximumTime, PULONG MinimumTime,
                                               PULONG CurrentTime);
NTSYSAPI NTSTATUS NTAPI NtSetTimerResolution(ULONG DesiredTime, BOOLEAN SetResolution,
                                             PULONG ActualTime);

#endif
