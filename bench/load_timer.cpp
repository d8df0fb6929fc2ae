// Times the program itself opening a file, as a user sees it: starts Tessary.exe on the file,
// waits for its main window to show, then polls the status bar until it says the load is finished.
// Prints how long the window took to appear, how long the load took after that, and the
// program's peak memory; then ends the program. Windows only.
//
// Usage: load_timer PROGRAM FILE
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "document/background_load.h"

namespace {

typedef std::chrono::steady_clock Clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The main window once it shows; null when it has not within the time given.
HWND WaitForWindow(Clock::time_point start, double limit)
{
    while (Seconds(start) < limit) {
        HWND window = FindWindowA("Tessary Application", nullptr);
        if (window != nullptr && IsWindowVisible(window))
            return window;
        Sleep(1);
    }
    return nullptr;
}

// Seconds until the status bar shows the text, or -1.
double WaitForStatus(HWND window, const char* text, double limit)
{
    HWND status = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
    Clock::time_point start = Clock::now();
    while (status != nullptr && Seconds(start) < limit) {
        char shown[256] = "";
        DWORD_PTR copied = 0;
        SendMessageTimeoutA(status, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown), SMTO_ABORTIFHUNG, 5000,
                            &copied);
        if (std::strcmp(shown, text) == 0)
            return Seconds(start);
        Sleep(5);
    }
    return -1;
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: load_timer PROGRAM FILE\n");
        return 2;
    }
    char command[2 * MAX_PATH + 8];
    std::snprintf(command, sizeof command, "\"%s\" \"%s\"", argv[1], argv[2]);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    Clock::time_point start = Clock::now();
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("%s could not be started\n", argv[1]);
        return 1;
    }
    HWND window = WaitForWindow(start, 60);
    double shown = Seconds(start);
    double loaded = window != nullptr ? WaitForStatus(window, LoadDoneText, 600) : -1;
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
    std::printf("window after %.2f s, loaded %.2f s after the window, peak %.0f MB private (%.0f MB working set)\n",
                shown, loaded, counters.PeakPagefileUsage / 1048576.0, counters.PeakWorkingSetSize / 1048576.0);
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return loaded >= 0 ? 0 : 1;
}
