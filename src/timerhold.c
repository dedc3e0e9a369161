/* timerhold: asks Windows for a 1 ms system timer resolution, reports the
 * resolution before and after, and holds the request until it is terminated. */
#include <stdio.h>

#include "platform.h"

static const ULONG requested_resolution = 10000; /* 100 ns units: 1 ms */
static const DWORD hold_interval_ms = 100000;

/* Completes a report line begun by its label: the resolution in milliseconds to
 * four decimals (exact, as a unit is 0.0001 ms), or why it could not be read. */
static void print_resolution(NTSTATUS status, ULONG resolution)
{
    if (status < 0)
        printf("unavailable (status 0x%08lX)\n", (unsigned long)(ULONG)status);
    else
        printf("%lu.%04lums\n", (unsigned long)(resolution / 10000),
               (unsigned long)(resolution % 10000));
}

int main(void)
{
    ULONG coarsest = 0, finest = 0, current = 0;

    NTSTATUS status = NtQueryTimerResolution(&coarsest, &finest, &current);
    printf("previous: ");
    print_resolution(status, current);

    /* The request stays in force until this process ends; it is never withdrawn. */
    NtSetTimerResolution(requested_resolution, TRUE, &current);

    status = NtQueryTimerResolution(&coarsest, &finest, &current);
    printf("now its:  ");
    print_resolution(status, current);

    /* Without a console there is no key to read: termination from outside ends the hold. */
    puts("\npress any key to stop");
    fflush(stdout); /* a file or pipe gets the report now; the process never exits */

    for (;;)
        Sleep(hold_interval_ms);
}
