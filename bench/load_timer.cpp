// Times the program itself opening a file, as a user sees it: starts Tessary.exe on the file,
// waits for its main window to show, then polls the status bar until it says the load is finished.
// Prints how long the window took to appear, how long the load took after that, and the
// program's peak memory; then ends the program. Windows only.
//
// Usage: load_timer PROGRAM FILE
#include "bench/program_window.h"
#include "document/background_load.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: load_timer PROGRAM FILE\n");
        return 2;
    }
    PROCESS_INFORMATION process;
    Clock::time_point start = Clock::now();
    if (!StartProgram(argv[1], argv[2], &process)) {
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
