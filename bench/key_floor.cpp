// The least a program can do for a key, for key_timer to time beside Tessary.exe: a window of the
// same classes and size whose keys only move a caret, set the status bar's line and column, and
// for a key that edits repaint the caret's row (Enter also the row below it, Page Down the
// view). It reads no file and keeps no text. What key_timer measures for this program is what
// the system's input path, the caret, the status bar, one row's paint and the timer's own
// polling cost on the machine: the floor under any editor's keys there.
//
// Usage: key_floor [FILE]   (FILE is ignored; key_timer passes one)
// With KEY_FLOOR_BARE set in the environment the status bar keeps its text: a key then only moves
// the caret (and paints rows), which key_timer sees by the caret's rectangle.
#include "document/background_load.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

const int CellWidth = 7;
const int CellHeight = 17;
const int Lines = 1000000;

HWND MainWindow = nullptr;
HWND View = nullptr;
HWND StatusBar = nullptr;
int Line = 1;
int Column = 1;
bool Bare = false;

int VisibleRows()
{
    RECT client;
    GetClientRect(View, &client);
    return client.bottom / CellHeight > 0 ? client.bottom / CellHeight : 1;
}

// The caret's row in the view: the lines scroll a page at a time.
int Row()
{
    return (Line - 1) % VisibleRows();
}

void ShowPlace()
{
    char text[64];
    std::snprintf(text, sizeof text, "%d 行, %d 桁", Line, Column);
    if (!Bare)
        SendMessageA(StatusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    SetCaretPos((Column - 1) % 150 * CellWidth, Row() * CellHeight);
}

void InvalidateRows(int first, int count)
{
    RECT client;
    GetClientRect(View, &client);
    RECT rows = {0, first * CellHeight, client.right, (first + count) * CellHeight};
    InvalidateRect(View, &rows, FALSE);
}

void OnChar(WPARAM code)
{
    if (code == '\b') {
        Column = Column > 1 ? Column - 1 : 1;
    } else if (code == '\r') {
        ++Line;
        Column = 1;
        InvalidateRows(Row(), 2);
    } else if (code >= ' ') {
        ++Column;
    } else if (code == 0x1A) {
        Column = Column > 10 ? Column - 10 : 1;
    } else {
        return;
    }
    InvalidateRows(Row(), 1);
    ShowPlace();
}

void OnKey(WPARAM key)
{
    bool control = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_DOWN) {
        Line = Line < Lines ? Line + 1 : Line;
    } else if (key == VK_NEXT) {
        Line = Line + VisibleRows() < Lines ? Line + VisibleRows() : Lines;
        InvalidateRect(View, nullptr, FALSE);
    } else if (key == VK_HOME && control) {
        Line = Column = 1;
        InvalidateRect(View, nullptr, FALSE);
    } else if (key == VK_END && control) {
        Line = Lines;
        InvalidateRect(View, nullptr, FALSE);
    } else if (key == VK_RIGHT) {
        ++Column;
        if (GetKeyState(VK_SHIFT) < 0)
            InvalidateRows(Row(), 1);
    } else if (key == VK_LEFT) {
        Column = Column > 1 ? Column - 1 : 1;
    } else {
        return;
    }
    ShowPlace();
}

void Paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(View, &paint);
    HGDIOBJ font = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    static const char text[] = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。";
    for (int row = paint.rcPaint.top / CellHeight; row * CellHeight < paint.rcPaint.bottom; ++row) {
        RECT line = {paint.rcPaint.left, row * CellHeight, paint.rcPaint.right, (row + 1) * CellHeight};
        ExtTextOutA(dc, 0, row * CellHeight, ETO_OPAQUE | ETO_CLIPPED, &line, text, sizeof text - 1, nullptr);
    }
    SelectObject(dc, font);
    EndPaint(View, &paint);
}

LRESULT CALLBACK ViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFOCUS:
        CreateCaret(window, nullptr, 2, CellHeight);
        ShowPlace();
        ShowCaret(window);
        return 0;
    case WM_KILLFOCUS:
        DestroyCaret();
        return 0;
    case WM_CHAR:
        OnChar(wParam);
        return 0;
    case WM_KEYDOWN:
        OnKey(wParam);
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Arrange()
{
    SendMessageA(StatusBar, WM_SIZE, 0, 0);
    RECT client, bar;
    GetClientRect(MainWindow, &client);
    GetWindowRect(StatusBar, &bar);
    int edges[3] = {client.right / 2, client.right * 3 / 4, -1};
    SendMessageA(StatusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    MoveWindow(View, 0, 0, client.right, client.bottom - (bar.bottom - bar.top), TRUE);
}

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (View != nullptr)
            Arrange();
        return 0;
    case WM_SETFOCUS:
        SetFocus(View);
        return 0;
    case WM_COMMAND:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    InitCommonControls();
    Bare = GetEnvironmentVariableA("KEY_FLOOR_BARE", nullptr, 0) > 0;
    WNDCLASSA main = {};
    main.lpfnWndProc = MainProcedure;
    main.hInstance = instance;
    main.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    main.lpszClassName = "Tessary Application";
    WNDCLASSA view = {};
    view.lpfnWndProc = ViewProcedure;
    view.hInstance = instance;
    view.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    view.lpszClassName = "Tessary EditCtrl";
    if (!RegisterClassA(&main) || !RegisterClassA(&view))
        return 1;
    MainWindow = CreateWindowExA(0, main.lpszClassName, "key floor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    StatusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                MainWindow, nullptr, instance, nullptr);
    View = CreateWindowExA(0, view.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, MainWindow, nullptr,
                           instance, nullptr);
    if (MainWindow == nullptr || StatusBar == nullptr || View == nullptr)
        return 1;
    Arrange();
    SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(LoadDoneText));
    ShowWindow(MainWindow, show);
    SetFocus(View);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
