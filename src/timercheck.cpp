// timercheck: measures what the sleeps of an ordinary program get, one that makes no
// timer request of its own, and tells whether a fine timer resolution reaches it. It
// never makes a request itself, since its own would change what it measures.
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

// The verdicts, by their exit status.
enum Verdict { fine = 0, confined = 1, coarse = 2 };
constexpr const char *verdict_text[] = {
    "verdict: fine: every program's sleeps get the fine resolution",
    "verdict: confined: the timer runs fine, but Windows gives it only to the programs that ask "
    "for it; GlobalTimerResolutionRequests (see the README) gives it to every program",
    "verdict: coarse: no program holds a fine timer resolution; start timerhold",
};

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
    putchar('\n'); // on a console, this line shows while the sleeps are measured

    ULONG durations[sleep_count] = {};
    measure_sleeps(durations);
    qsort(durations, sleep_count, sizeof durations[0], shorter_first);
    printf("Sleep(1), %d times: ", sleep_count);
    print_figure_then(durations[shortest], " shortest, ");
    print_figure_then(durations[median], " median, ");
    print_figure_then(durations[percentile_99], " 99th percentile, ");
    print_figure_then(durations[longest], " longest\n");

    Verdict verdict = judge(durations[median], status, current);
    puts(verdict_text[verdict]);

    if (has_own_console_window()) { // so that the window does not vanish unread
        puts("\npress any key to close");
        fflush(stdout);
        _getch();
    }
    return verdict;
}
