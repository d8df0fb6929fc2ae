// Helpers for tests that need real windows: a plain window class, and a user stand-in that
// answers the modal boxes and dialogs the code under test opens.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

// Registers (once per name) a class whose windows do only default processing; returns the name.
inline const char* PlainWindowClass(const char* name)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    return name;
}

struct BoxSeen {
    std::string caption;
    std::string text;  // the message box's text; empty for a dialog without one
};

inline BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found)
{
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::strcmp(className, "#32770") == 0 && process == GetCurrentProcessId() && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Waits on a thread of its own for the next visible dialog of this process (a message box, a
// file dialog or one of ours), records its caption and text, and then acts on it as a user
// would: presses a button, or runs the given action. The code under test runs the dialog's
// modal loop meanwhile on the test's own thread.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button)
        : BoxAnswerer([button](HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); })
    {
    }
    explicit BoxAnswerer(std::function<void(HWND)> act) : action(act), worker([this] { Answer(); }) {}
    ~BoxAnswerer()
    {
        stop = true;
        if (worker.joinable())
            worker.join();
    }
    // Called once the command under test has returned, so its box has come and gone.
    BoxSeen Seen()
    {
        stop = true;
        worker.join();
        return seen;
    }
    bool Answered() const { return answered; }

private:
    void Answer()
    {
        for (int tries = 0; tries < 1500 && !stop; ++tries) {
            HWND box = nullptr;
            EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&box));
            if (box != nullptr) {
                char text[512] = "";
                GetWindowTextA(box, text, sizeof text);
                seen.caption = text;
                text[0] = 0;
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                seen.text = text;
                action(box);
                answered = true;
                return;
            }
            Sleep(10);
        }
    }

    BoxSeen seen;
    std::function<void(HWND)> action;
    std::atomic<bool> stop{false};
    std::atomic<bool> answered{false};
    std::thread worker;
};
