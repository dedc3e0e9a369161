// timercheck: measures what the sleeps of an ordinary program get, one that makes no
// timer request of its own, and tells whether a fine timer resolution reaches it and
// what this Windows does with timer requests. It never makes a request itself, since its
// own would change what it measures.
#include <stdio.h>
#include <stdlib.h>

#include "figure.h"
#include "platform.h"

namespace {

constexpr int sleep_count = 200;
// Nearest-rank figures of the sorted durations, as indices: ranks 1, 100, 198 and 200.
constexpr int shortest = 0, median = 99, percentile_99 = 197, longest = 199;
constexpr LONGLONG units_per_second = 10000000; // 100 ns units
constexpr LONGLONG largest_figure = 0xFFFFFFFF; // 429496.7295ms
constexpr ULONG fine_limit = 40000;             // 4 ms: a median sleep this long is coarse
// From Windows 10 version 2004 on, a fine timer resolution reaches only the programs that
// ask for one; from Windows Server 2022 and Windows 11 on, GlobalTimerResolutionRequests
// set to 1 gives it to every program again, once Windows has restarted.
constexpr ULONG confining_build = 19041, global_setting_build = 20348;

// The verdicts, by their exit status.
enum Verdict { fine = 0, confined = 1, coarse = 2 };
constexpr const char *verdict_text[] = {
    "verdict: fine: every program's sleeps get the fine resolution",
    "verdict: confined: the timer runs fine, but Windows gives it only to the programs that ask "
    "for it", // and then the advice that fits this Windows
    "verdict: coarse: no program holds a fine timer resolution; start timerhold",
};

ULONG windows_build()
{
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    RtlGetVersion(&version); // cannot fail
    return version.dwBuildNumber;
}

// Whether GlobalTimerResolutionRequests is 1; absent, unreadable or any other value is not set.
bool global_requests_set()
{
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE,
                        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\kernel",
                        L"GlobalTimerResolutionRequests", RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS &&
           value == 1;
}

// Which programs this Windows gives a fine timer resolution to.
const char *windows_text(ULONG build, bool global_set)
{
    if (build < confining_build)
        return "a fine timer resolution reaches every program";
    if (build < global_setting_build)
        return global_set ? "a fine timer resolution reaches only the programs that ask for it; "
                            "GlobalTimerResolutionRequests is set but needs build 20348 or later"
                          : "a fine timer resolution reaches only the programs that ask for it; "
                            "no setting changes that";
    return global_set ? "GlobalTimerResolutionRequests is set: a fine timer resolution reaches "
                        "every program once Windows has restarted"
                      : "a fine timer resolution reaches only the programs that ask for it, "
                        "unless GlobalTimerResolutionRequests is set";
}

// What a user of this Windows can do when the verdict is confined.
const char *confined_advice(ULONG build, bool global_set)
{
    if (build < global_setting_build)
        return ", and this Windows has no setting that changes that";
    return global_set ? "; GlobalTimerResolutionRequests is set: restart Windows for it to take "
                        "effect"
                      : "; set GlobalTimerResolutionRequests (see the README) and restart Windows "
                        "to give it to every program";
}

// Times sleep_count calls of Sleep(1), in 100 ns units, truncated.
void measure_sleeps(ULONG (&durations)[sleep_count])
{
    LARGE_INTEGER rate = {}, before = {}, after = {};
    QueryPerformanceFrequency(&rate);
    Sleep(1); // ends on a timer tick, where the first timed sleep then starts
    for (ULONG &duration : durations) {
        QueryPerformanceCounter(&before);
        Sleep(1);
        QueryPerformanceCounter(&after);
        // In two steps, so that nothing overflows even at a counter rate of some GHz.
        LONGLONG ticks = after.QuadPart - before.QuadPart;
        LONGLONG units = ticks / rate.QuadPart * units_per_second +
                         ticks % rate.QuadPart * units_per_second / rate.QuadPart;
        duration = ULONG(units < largest_figure ? units : largest_figure);
    }
}

int shorter_first(const void *a, const void *b)
{
    ULONG x = *static_cast<const ULONG *>(a), y = *static_cast<const ULONG *>(b);
    return (x > y) - (x < y);
}

// What the median sleep says of the timer resolution that reaches a program asking for none.
Verdict judge(ULONG median_sleep, NTSTATUS status, ULONG current)
{
    if (median_sleep < fine_limit)
        return fine;
    if (status >= 0 && current < fine_limit)
        return confined; // the timer ticks fine, yet this program's sleeps stay coarse
    return coarse;
}

// A figure followed by what it is, such as "1.0000ms now, ".
void print_figure_then(ULONG figure, const char *text)
{
    print_figure(figure);
    fputs(text, stdout);
}

// Started from Explorer, the program has a console window of its own that closes as it
// ends: it is the only process on that console, and its output goes there.
bool has_own_console_window()
{
    DWORD processes[1] = {};
    DWORD mode = 0;
    return GetConsoleProcessList(processes, 1) == 1 &&
           GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
}

} // namespace

int main()
{
    ULONG coarsest = 0, finest = 0, current = 0;
    NTSTATUS status = NtQueryTimerResolution(&coarsest, &finest, &current);
    printf("timer resolution: ");
    if (status < 0) {
        print_unavailable(status);
    } else {
        print_figure_then(current, " now, ");
        print_figure_then(finest, " finest, ");
        print_figure_then(coarsest, " coarsest");
    }
    ULONG build = windows_build();
    bool global_set = global_requests_set();
    printf("\nWindows build %lu: %s\n", static_cast<unsigned long>(build),
           windows_text(build, global_set)); // on a console, shown while the sleeps are measured

    ULONG durations[sleep_count] = {};
    measure_sleeps(durations);
    qsort(durations, sleep_count, sizeof durations[0], shorter_first);
    printf("Sleep(1), %d times: ", sleep_count);
    print_figure_then(durations[shortest], " shortest, ");
    print_figure_then(durations[median], " median, ");
    print_figure_then(durations[percentile_99], " 99th percentile, ");
    print_figure_then(durations[longest], " longest\n");

    Verdict verdict = judge(durations[median], status, current);
    fputs(verdict_text[verdict], stdout);
    puts(verdict == confined ? confined_advice(build, global_set) : "");

    if (has_own_console_window()) { // so that the window does not vanish unread
        puts("\npress any key to close");
        fflush(stdout);
        _getch();
    }
    return verdict;
}
