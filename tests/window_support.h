// Helpers for tests that need real windows: a plain window class, and a user stand-in that
// answers the modal boxes and dialogs the code under test opens.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

struct DialogSearch {
    HWND skip;
    HWND found;
};

inline BOOL CALLBACK FindOwnDialog(HWND window, LPARAM param)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window != search->skip && std::strcmp(className, "#32770") == 0 && process == GetCurrentProcessId() &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The next visible top-level dialog of this process other than skip, or null after the wait.
inline HWND WaitForDialog(HWND skip = nullptr, int milliseconds = 15000, const std::atomic<bool>* stop = nullptr)
{
    for (int waited = 0; waited < milliseconds && (stop == nullptr || !*stop); waited += 10) {
        DialogSearch search = {skip, nullptr};
        EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        Sleep(10);
    }
    return nullptr;
}

inline void WaitUntilGone(HWND dialog)
{
    for (int waited = 0; waited < 15000 && IsWindow(dialog) && IsWindowVisible(dialog); waited += 10)
        Sleep(10);
}

inline BOOL CALLBACK FindEdit(HWND window, LPARAM found)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, "Edit") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The edit field that takes a file dialog's name, or null when dialog is no file dialog. The
// dialog keeps the name in a ComboBoxEx32 (id 1148); given a template and a hook of the
// program's own, Wine's dialog has a plain Edit (id 1152) instead.
inline HWND FileNameEdit(HWND dialog)
{
    HWND field = GetDlgItem(dialog, 1148);
    HWND edit = nullptr;
    if (field != nullptr)
        EnumChildWindows(field, FindEdit, reinterpret_cast<LPARAM>(&edit));
    else
        edit = GetDlgItem(dialog, 1152);
    return edit;
}

// Types name into a file dialog's name field and presses its Open or Save button.
inline bool ChooseFileName(HWND dialog, const char* name)
{
    HWND edit = FileNameEdit(dialog);
    if (edit == nullptr)
        return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

// The caption and message-box text of a dialog.
inline BoxSeen DescribeDialog(HWND dialog)
{
    BoxSeen seen;
    char text[512] = "";
    GetWindowTextA(dialog, text, sizeof text);
    seen.caption = text;
    text[0] = 0;
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    seen.text = text;
    return seen;
}

// Waits on a thread of its own for the next visible dialog of this process (a message box, a
// file dialog or one of ours) other than skip (a modeless dialog that stays open), records its
// caption and text, and then acts on it as a user would: presses a button, or runs the given
// action. The code under test runs the dialog's modal loop meanwhile on the test's own thread.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button, HWND skip = nullptr)
        : BoxAnswerer([button](HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }, skip)
    {
    }
    explicit BoxAnswerer(std::function<void(HWND)> act, HWND skip = nullptr)
        : action(act), skip(skip), worker([this] { Answer(); })
    {
    }
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
        HWND box = WaitForDialog(skip, 15000, &stop);
        if (box == nullptr)
            return;
        seen = DescribeDialog(box);
        action(box);
        answered = true;
    }

    BoxSeen seen;
    std::function<void(HWND)> action;
    HWND skip;
    std::atomic<bool> stop{false};
    std::atomic<bool> answered{false};
    std::thread worker;
};

// The upper end of a window's scroll bar range.
inline int ScrollBarMax(HWND window, int bar)
{
    SCROLLINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    GetScrollInfo(window, bar, &info);
    return info.nMax;
}

// The description of a 32-bit bitmap whose rows go from the top down, one pixel a COLORREF.
inline BITMAPINFO TopDownBitmap(int width, int height)
{
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A rectangle of a window's client area as the screen shows it, row by row.
inline std::vector<COLORREF> WindowPixels(HWND window, const RECT& area)
{
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return std::vector<COLORREF>();
    BITMAPINFO info = TopDownBitmap(width, height);
    void* bits = nullptr;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const COLORREF* pixels = static_cast<const COLORREF*>(bits);
    std::vector<COLORREF> copy(pixels, pixels + static_cast<size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return copy;
}
