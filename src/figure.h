// How timerhold and timercheck write what they read off the timer: every figure is a
// count of 100 ns units, written as milliseconds with four decimals.
#ifndef TIMERHOLD_FIGURE_H
#define TIMERHOLD_FIGURE_H

#include <stdio.h>

#include "platform.h"

// "15.6250ms": exact, as a unit is 0.0001 ms.
inline void print_figure(ULONG units)
{
    printf("%lu.%04lums", static_cast<unsigned long>(units / 10000),
           static_cast<unsigned long>(units % 10000));
}

// In place of a figure that could not be read: the status of the failed call.
inline void print_unavailable(NTSTATUS status)
{
    printf("unavailable (status 0x%08lX)", static_cast<unsigned long>(ULONG(status)));
}

#endif
