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
constexpr int sleeps_before_exit = 3;

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

char kernel32; // stands for the loaded kernel32.dll

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
    char narrow[64] = "";
    for (size_t i = 0; name[i] && i + 1 < sizeof narrow; i++)
        narrow[i] = static_cast<char>(name[i]);
    dprintf(log_fd, "GetModuleHandleW(%s)\n", narrow);
    return strcasecmp(narrow, "kernel32.dll") == 0 ? &kernel32 : nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    dprintf(log_fd, "GetProcAddress(%s, %s)\n", module == &kernel32 ? "kernel32" : "other", name);
    if (module == &kernel32 && strcmp(name, "SetProcessInformation") == 0 &&
        !getenv("DOUBLE_WINDOWS_7"))
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(SetProcessInformation));
    return nullptr;
}

// Records how much of the output had reached standard output when the hold began.
void Sleep(DWORD milliseconds)
{
    static int sleeps;
    off_t written = lseek(STDOUT_FILENO, 0, SEEK_CUR);
    if (written < 0 && errno == EBADF)
        dprintf(log_fd, "Sleep(%u) with no output\n", milliseconds);
    else if (written < 0)
        dprintf(log_fd, "Sleep(%u) with output of unknown length\n", milliseconds);
    else
        dprintf(log_fd, "Sleep(%u) with %lld bytes out\n", milliseconds,
                static_cast<long long>(written));
    if (++sleeps == sleeps_before_exit)
        _exit(0);
}
