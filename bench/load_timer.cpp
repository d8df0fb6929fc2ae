// Times the program itself opening a file, as a user sees it: starts Tessary.exe on the file,
// waits for its main window to show, then polls the status bar until it says the load is finished.
// Prints how long the window took to appear, how long the load took after that, and the
// program's peak memory; then ends the program. Without a file it times the start alone: until
// the window shows and until its thread answers a message sent to it, its settings read and its
// empty document laid out. Windows only.
//
// Usage: load_timer PROGRAM [FILE]
#include "bench/program_window.h"
#include "document/background_load.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: load_timer PROGRAM [FILE]\n");
        return 2;
    }
    PROCESS_INFORMATION process;
    Clock::time_point start = Clock::now();
    if (!StartProgram(argv[1], argc > 2 ? argv[2] : nullptr, &process)) {
        std::printf("%s could not be started\n", argv[1]);
        return 1;
    }
    HWND window = WaitForWindow(start, 60);
    double shown = Seconds(start);
    if (argc == 2) {
        DWORD_PTR answer = 0;
        bool idle = window != nullptr &&
                    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 60000, &answer) != 0;
        double ready = Seconds(start);
        std::printf("window after %.3f s, answering after %.3f s\n", shown, ready);
        TerminateProcess(process.hProcess, 0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return idle ? 0 : 1;
    }
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
