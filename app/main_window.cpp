#include "app/main_window.h"
#include "app/bars.h"
#include "app/caret_status.h"
#include "app/clipboard.h"
#include "app/command_states.h"
#include "app/dialogs.h"
#include "app/edit_commands.h"
#include "app/find_commands.h"
#include "app/goto_line.h"
#include "app/load_status.h"
#include "app/open_document.h"
#include "app/print_document.h"
#include "app/registry_settings.h"
#include "app/document_commands.h"
#include "document/editor_record.h"
#include "layout/paint_view.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "view/char_input.h"
#include "view/editing.h"
#include "view/viewport.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

// Older MinGW headers lack the message of a DPI change.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

const char ClassName[] = "Tessary Application";

void OnDestroy(HWND window)
{
    RememberWindowPlacement(window);
    PostQuitMessage(0);
}

// The window moved to a monitor of another DPI: the font is made for the new DPI (the message's
// vertical one, which a font's height follows), then the window takes the rectangle the system
// suggests. A new width measures the document in the new cells where rows follow it; otherwise
// it is measured here. Measuring a large document twice would double what the change costs.
void OnDpiChanged(HWND window, int dpi, const RECT& suggested)
{
    if (View.hwnd == nullptr) {
        SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    MakeDisplayFont(dpi > 0 ? dpi : WindowDpi(View.hwnd));
    int width = View.clientWidth;
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!RowsFollowWidth(width, View.clientWidth))
        Relayout();
}

void OnActivate(WORD state)
{
    if (state != WA_INACTIVE)
        SetFocus(View.hwnd);
}

LRESULT OnNotify(HWND window, WPARAM wParam, NMHDR* header)
{
    if (header->code != TTN_NEEDTEXTA)
        return DefWindowProcA(window, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(header));
    const char* tip = ToolTipText(static_cast<unsigned>(header->idFrom));
    if (tip != nullptr)
        reinterpret_cast<TOOLTIPTEXTA*>(header)->lpszText = const_cast<char*>(tip);
    return 0;
}

LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (wParam != SC_CLOSE && wParam != SC_DEFAULT)
        return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
    CloseMainWindow();
    return 0;
}

// A name the buffer cannot hold whole is refused rather than cut, since the cut name may well be
// another file; the rest is judged as any name given to open.
void OpenDroppedFile(HDROP drop, UINT index)
{
    static char name[GivenNameSize];
    if (DragQueryFileA(drop, index, nullptr, 0) >= sizeof name) {
        ShowSystemError(NameTooLongError);
        return;
    }
    DragQueryFileA(drop, index, name, sizeof name);
    OpenDocument(name);
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (RunCommand(LOWORD(wParam)))
        return 0;
    return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

}

bool CreateMainWindow()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = AppInstance;
    windowClass.hIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_TESSARY));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    windowClass.lpszClassName = ClassName;
    windowClass.hIconSm = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_TESSARY_SMALL));
    RegisterClassExA(&windowClass);

    MainWindow = CreateWindowExA(WS_EX_ACCEPTFILES, ClassName, "Tessary", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, AppInstance, nullptr);
    if (MainWindow == nullptr)
        return false;
    MainMenu = GetMenu(MainWindow);
    DocumentShown = ShowDocumentState;
    DocumentChanged = ShowDocumentState;
    EditStateChanged = UpdateEditCommandStates;
    TypedCharactersReplaced = ShowTypedReplacedCount;
    // Paste's state follows the clipboard as other programs change it.
    AddClipboardFormatListener(MainWindow);
    ConnectLoader();
    ConnectCaretStatus();
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LoadEndedMessage()) {
        EndLoad(wParam != 0, static_cast<unsigned long>(lParam));
        return 0;
    }
    if (message == FindDialogMessage()) {
        RunFindRequest(reinterpret_cast<const FINDREPLACEW*>(lParam));
        return 0;
    }
    switch (message) {
    case WM_CREATE: CreateBars(window); return 0;
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_DPICHANGED: OnDpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_SIZE: LayoutBars(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wParam)); return 0;
    case WM_NOTIFY: return OnNotify(window, wParam, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
    case WM_DROPFILES: OpenDroppedFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CLOSE: CloseMainWindow(); return 0;
    case WM_QUERYENDSESSION: return MayEndSession() ? TRUE : FALSE;
    case WM_CLIPBOARDUPDATE: ClipboardChanged(); return 0;
    case WM_INITMENUPOPUP: ClipboardChanged(); return 0;
    case WM_RENDERFORMAT: RenderClipboardFormat(static_cast<UINT>(wParam)); return 0;
    case WM_RENDERALLFORMATS: RenderAllClipboardFormats(window); return 0;
    case WM_DESTROYCLIPBOARD: ForgetClipboardText(); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RunCommand(int id)
{
    switch (id) {
    case CMD_NEW: NewDocument(); return true;
    case CMD_OPEN: OpenDocument(nullptr); return true;
    case CMD_CLOSE_AND_OPEN: OpenInPlace(nullptr); return true;
    case CMD_SAVE: SaveDocument(); return true;
    case CMD_SAVE_AS: SaveDocumentAs(); return true;
    case CMD_PAGE_SETUP: ShowPageSetup(); return true;
    case CMD_PRINT: PrintCommand(); return true;
    case CMD_EXIT: CloseMainWindow(); return true;
    case CMD_UNDO: UndoCommand(); return true;
    case CMD_REDO: RedoCommand(); return true;
    case CMD_CUT: CutCommand(); return true;
    case CMD_COPY: CopyCommand(); return true;
    case CMD_PASTE: PasteCommand(); return true;
    case CMD_DELETE: DeleteCommand(); return true;
    case CMD_SELECT_ALL: SelectAllCommand(); return true;
    case CMD_NO_WRAP:
    case CMD_WRAP_AT_WINDOW:
    case CMD_WRAP_AT_COLUMNS: SetWrapMode(id); return true;
    case CMD_DOCUMENT_INFO: ShowDocumentInfo(); return true;
    case CMD_COMMON_SETTINGS: ShowCommonSettings(); return true;
    case CMD_VERSION: ShowVersionBox(); return true;
    case CMD_FIND: ShowFindDialog(); return true;
    case CMD_FIND_NEXT: FindAgain(true); return true;
    case CMD_FIND_PREVIOUS: FindAgain(false); return true;
    case CMD_REPLACE: ShowReplaceDialog(); return true;
    case CMD_GO_TO_LINE: ShowGoToLine(); return true;
    }
    return false;
}

void SetWrapMode(int id)
{
    if (id == CMD_NO_WRAP)
        WrapMode = -1;
    else if (id == CMD_WRAP_AT_WINDOW)
        WrapMode = 0;
    else if (id == CMD_WRAP_AT_COLUMNS)
        WrapMode = View.wrapColumns;
    UpdateCommandStates();
    Relayout();
}

void CloseMainWindow()
{
    if (QuerySave())
        DestroyWindow(MainWindow);
}

void OpenDroppedFiles(HDROP drop)
{
    SetForegroundWindow(MainWindow);
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i)
        OpenDroppedFile(drop, i);
    DragFinish(drop);
}
