// Recording test double of the Windows platform operations; see platform_double.h.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include "platform.h"

namespace {

constexpr int log_fd = 3;

// Names pointers by the order in which the double first sees them: &1, &2, ...
int pointer_id(const void *pointer)
{
    static const void *seen[16];
    int i = 0;
    while (i < 16 && seen[i] && seen[i] != pointer)
        i++;
    if (i == 16)
        return 0;
    seen[i] = pointer;
    return i + 1;
}

// The next word of DOUBLE_QUERIES, or "" once they are used up.
const char *next_query_answer()
{
    static char words[256];
    static char *rest;
    if (!rest) {
        const char *queries = getenv("DOUBLE_QUERIES");
        snprintf(words, sizeof words, "%s", queries ? queries : "");
        rest = words;
    }
    const char *word = strtok_r(nullptr, " ", &rest);
    return word ? word : "";
}

// How far the next Sleep moves the counter: the next word of DOUBLE_SLEEPS.
LONGLONG next_sleep_ticks()
{
    static const char *next;
    const char *sleeps = getenv("DOUBLE_SLEEPS");
    if (!sleeps)
        return 0;
    if (!next || !*next)
        next = sleeps;
    char *end = nullptr;
    LONGLONG ticks = strtoll(next, &end, 10);
    for (next = end; *next == ' ';)
        next++;
    return ticks;
}

// A wide string of ASCII characters, such as a Windows name, for the record of a call.
const char *narrow(LPCWSTR wide)
{
    static char text[128];
    size_t i = 0;
    for (; wide[i] && i + 1 < sizeof text; i++)
        text[i] = static_cast<char>(wide[i]);
    text[i] = '\0';
    return text;
}

// How much output had reached standard output, for the record of a call.
void log_output_so_far()
{
    off_t written = lseek(STDOUT_FILENO, 0, SEEK_CUR);
    if (written < 0 && errno == EBADF)
        dprintf(log_fd, " with no output\n");
    else if (written < 0)
        dprintf(log_fd, " with output of unknown length\n");
    else
        dprintf(log_fd, " with %lld bytes out\n", static_cast<long long>(written));
}

LONGLONG counter = 123456789; // the performance counter, as a Windows start leaves it
char kernel32;                // stands for the loaded kernel32.dll
char standard_output;         // stands for the standard output handle

BOOL SetProcessInformation(HANDLE process, PROCESS_INFORMATION_CLASS information_class,
                           LPVOID information, DWORD size)
{
    const auto *state = static_cast<const PROCESS_POWER_THROTTLING_STATE *>(information);
    dprintf(log_fd, "SetProcessInformation(%s, %d, {%u, 0x%x, 0x%x}, %u)\n",
            process == GetCurrentProcess() ? "current process" : "other",
            static_cast<int>(information_class), state->Version, state->ControlMask,
            state->StateMask, size);
    return 0;
}

} // namespace

NTSTATUS NtQueryTimerResolution(PULONG maximum, PULONG minimum, PULONG current)
{
    int max_id = pointer_id(maximum), min_id = pointer_id(minimum), cur_id = pointer_id(current);
    dprintf(log_fd, "NtQueryTimerResolution(&%d, &%d, &%d) found %u %u %u\n", max_id, min_id,
            cur_id, *maximum, *minimum, *current);
    const char *answer = next_query_answer();
    if (answer[0] == '!')
        return static_cast<NTSTATUS>(strtoul(answer + 1, nullptr, 16));
    *maximum = 156250;
    *minimum = 5000;
    *current = static_cast<ULONG>(strtoul(answer, nullptr, 10));
    return 0;
}

NTSTATUS NtSetTimerResolution(ULONG desired, BOOLEAN set, PULONG actual)
{
    dprintf(log_fd, "NtSetTimerResolution(%u, %u, &%d)\n", desired, set, pointer_id(actual));
    const char *status = getenv("DOUBLE_SET_STATUS");
    if (status)
        return static_cast<NTSTATUS>(strtoul(status, nullptr, 16));
    *actual = desired;
    return 0;
}

HANDLE GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(-1); // Windows' pseudo handle too
}

HMODULE GetModuleHandleW(LPCWSTR name)
{
    dprintf(log_fd, "GetModuleHandleW(%s)\n", narrow(name));
    return strcasecmp(narrow(name), "kernel32.dll") == 0 ? &kernel32 : nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    dprintf(log_fd, "GetProcAddress(%s, %s)\n", module == &kernel32 ? "kernel32" : "other", name);
    if (module == &kernel32 && strcmp(name, "SetProcessInformation") == 0 &&
        !getenv("DOUBLE_WINDOWS_7"))
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(SetProcessInformation));
    return nullptr;
}

// Moves the counter on, and records how much output had reached standard output.
void Sleep(DWORD milliseconds)
{
    static long sleeps;
    counter += next_sleep_ticks();
    dprintf(log_fd, "Sleep(%u)", milliseconds);
    log_output_so_far();
    const char *last = getenv("DOUBLE_LAST_SLEEP");
    if (last && ++sleeps == strtol(last, nullptr, 10))
        _exit(0);
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency)
{
    dprintf(log_fd, "QueryPerformanceFrequency()\n");
    const char *rate = getenv("DOUBLE_COUNTER_RATE");
    frequency->QuadPart = rate ? strtoll(rate, nullptr, 10) : 10000000;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER *count)
{
    dprintf(log_fd, "QueryPerformanceCounter()\n");
    count->QuadPart = counter;
    return TRUE;
}

DWORD GetConsoleProcessList(LPDWORD processes, DWORD count)
{
    const char *console = getenv("DOUBLE_CONSOLE");
    DWORD attached = console ? static_cast<DWORD>(strtoul(console, nullptr, 10)) : 0;
    dprintf(log_fd, "GetConsoleProcessList(%u) gives %u\n", count, attached);
    for (DWORD i = 0; i < attached && i < count; i++)
        processes[i] = 1000 + i;
    return attached;
}

HANDLE GetStdHandle(DWORD which)
{
    dprintf(log_fd, "GetStdHandle(%d)\n", static_cast<int>(which));
    return which == STD_OUTPUT_HANDLE ? &standard_output : nullptr;
}

BOOL GetConsoleMode(HANDLE console, LPDWORD mode)
{
    bool is_console = console == &standard_output && getenv("DOUBLE_CONSOLE_OUTPUT");
    dprintf(log_fd, "GetConsoleMode(%s) %s\n", console == &standard_output ? "stdout" : "other",
            is_console ? "succeeds" : "fails");
    if (is_console)
        *mode = 3;
    return is_console;
}

// Records how much output had reached standard output by the time of the wait for a key.
int _getch()
{
    dprintf(log_fd, "_getch()");
    log_output_so_far();
    return 'x';
}

NTSTATUS RtlGetVersion(PRTL_OSVERSIONINFOW version)
{
    dprintf(log_fd, "RtlGetVersion(size %s)\n",
            version->dwOSVersionInfoSize == sizeof *version ? "right" : "wrong");
    const char *build = getenv("DOUBLE_BUILD");
    version->dwMajorVersion = 6;
    version->dwMinorVersion = 1;
    version->dwBuildNumber = build ? static_cast<ULONG>(strtoul(build, nullptr, 10)) : 7601;
    return 0;
}

LONG RegGetValueW(HKEY key, LPCWSTR sub_key, LPCWSTR value, DWORD flags, LPDWORD type, PVOID data,
                  LPDWORD size)
{
    dprintf(log_fd, "RegGetValueW(%s\\", key == HKEY_LOCAL_MACHINE ? "HKLM" : "other");
    dprintf(log_fd, "%s, ", narrow(sub_key));
    dprintf(log_fd, "%s, 0x%x, %s, %u bytes)\n", narrow(value), flags, type ? "type" : "null",
            *size);
    const char *global = getenv("DOUBLE_GLOBAL_REQUESTS");
    if (!global)
        return 2; // ERROR_FILE_NOT_FOUND
    if (global[0] == '!')
        return static_cast<LONG>(strtol(global + 1, nullptr, 10));
    *static_cast<DWORD *>(data) = static_cast<DWORD>(strtoul(global, nullptr, 10));
    *size = sizeof(DWORD);
    return ERROR_SUCCESS;
}
