// Starting the release Tessary.exe and watching its main window from another process, for the
// benchmarks that time the program from outside (load_timer.cpp, key_timer.cpp). Windows only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>

typedef std::chrono::steady_clock Clock;

inline double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Starts program on file (null: on no file); false when it could not be started.
inline bool StartProgram(const char* program, const char* file, PROCESS_INFORMATION* process)
{
    char command[2 * MAX_PATH + 8];
    if (file != nullptr)
        std::snprintf(command, sizeof command, "\"%s\" \"%s\"", program, file);
    else
        std::snprintf(command, sizeof command, "\"%s\"", program);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process) != 0;
}

// The main window once it shows; null when it has not within the time given.
inline HWND WaitForWindow(Clock::time_point start, double limit)
{
    while (Seconds(start) < limit) {
        HWND window = FindWindowA("Tessary Application", nullptr);
        if (window != nullptr && IsWindowVisible(window))
            return window;
        Sleep(1);
    }
    return nullptr;
}

// The status bar's note (its first part, which WM_GETTEXT answers with across processes).
inline void StatusNote(HWND window, char* text, size_t size)
{
    text[0] = 0;
    HWND status = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
    DWORD_PTR copied = 0;
    if (status != nullptr)
        SendMessageTimeoutA(status, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
}

// Seconds until the status bar's note is the text, or -1.
inline double WaitForStatus(HWND window, const char* text, double limit)
{
    Clock::time_point start = Clock::now();
    while (Seconds(start) < limit) {
        char shown[256];
        StatusNote(window, shown, sizeof shown);
        if (std::strcmp(shown, text) == 0)
            return Seconds(start);
        Sleep(5);
    }
    return -1;
}
