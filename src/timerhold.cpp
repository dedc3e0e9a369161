// timerhold: asks Windows for a 1 ms system timer resolution, reports the
// resolution before and after, and holds the request until it is terminated.
#include <stdio.h>

#include "figure.h"
#include "platform.h"

namespace {

constexpr ULONG requested_resolution = 10000; // 100 ns units: 1 ms
constexpr DWORD hold_interval_ms = 100000;

// Completes a report line begun by its label: the resolution, or why it could not be read.
void print_resolution(NTSTATUS status, ULONG resolution)
{
    if (status < 0)
        print_unavailable(status);
    else
        print_figure(resolution);
    putchar('\n');
}

// Windows 11 may ignore the timer requests of a process that the user cannot see
// (power throttling) unless the process opts out. SetProcessInformation came with
// Windows 8, so it is looked up in the already-loaded kernel32.dll rather than
// imported, which would keep Windows 7 from loading the program. Where it is absent
// or refuses, the request is made all the same.
void keep_timer_requests_honoured()
{
    PROCESS_POWER_THROTTLING_STATE state = {
        .Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION,
        .ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION,
        .StateMask = 0, // controlled and clear: never ignore them
    };
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    auto SetProcessInformation = reinterpret_cast<SET_PROCESS_INFORMATION>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetProcessInformation")));
    if (SetProcessInformation)
        SetProcessInformation(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}

} // namespace

int main()
{
    ULONG coarsest = 0, finest = 0, current = 0;

    keep_timer_requests_honoured();

    NTSTATUS status = NtQueryTimerResolution(&coarsest, &finest, &current);
    printf("previous: ");
    print_resolution(status, current);

    // The request stays in force until this process ends; it is never withdrawn.
    NtSetTimerResolution(requested_resolution, TRUE, &current);

    status = NtQueryTimerResolution(&coarsest, &finest, &current);
    printf("now its:  ");
    print_resolution(status, current);

    // Without a console there is no key to read: termination from outside ends the hold.
    puts("\npress any key to stop");
    fflush(stdout); // a file or pipe gets the report now; the process never exits

    for (;;)
        Sleep(hold_interval_ms);
}
