#include "app/bars.h"
#include "app/caret_status.h"
#include "app/clipboard.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"

#include <windows.h>
#include <commctrl.h>

namespace {

struct Button {
    int image;
    int command;
    BYTE state;
    BYTE style;
    const char* tip;
};

// Save, Undo, Redo, Cut and Copy start disabled, as they are before any document has been
// shown or changed; the command states take them over from the first document on. Paste starts
// as the clipboard allows.
const Button Buttons[] = {
    {STD_FILENEW, CMD_NEW, TBSTATE_ENABLED, TBSTYLE_BUTTON, "新規作成"},
    {STD_FILEOPEN, CMD_OPEN, TBSTATE_ENABLED, TBSTYLE_BUTTON, "開く"},
    {STD_FILESAVE, CMD_SAVE, 0, TBSTYLE_BUTTON, "上書保存"},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, nullptr},
    {STD_CUT, CMD_CUT, 0, TBSTYLE_BUTTON, "切り取り"},
    {STD_COPY, CMD_COPY, 0, TBSTYLE_BUTTON, "複写"},
    {STD_PASTE, CMD_PASTE, 0, TBSTYLE_BUTTON, "貼り付け"},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, nullptr},
    {STD_UNDO, CMD_UNDO, 0, TBSTYLE_BUTTON, "元に戻す"},
    {STD_REDOW, CMD_REDO, 0, TBSTYLE_BUTTON, "やり直す"},
};

const int ButtonCount = sizeof Buttons / sizeof Buttons[0];

int WindowHeight(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

}

void CreateBars(HWND mainWindow)
{
    StatusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, "", mainWindow, StatusBarId);
    TBBUTTON records[ButtonCount] = {};
    for (int i = 0; i < ButtonCount; ++i) {
        records[i].iBitmap = Buttons[i].image;
        records[i].idCommand = Buttons[i].command;
        records[i].fsState = Buttons[i].state;
        records[i].fsStyle = Buttons[i].style;
        if (Buttons[i].command == CMD_PASTE && ClipboardHasText())
            records[i].fsState = TBSTATE_ENABLED;
    }
    ToolBar = CreateToolbarEx(mainWindow, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | CCS_NODIVIDER, ToolBarId, 0,
                              HINST_COMMCTRL, IDB_STD_SMALL_COLOR, records, ButtonCount, 0, 0, 0, 0, sizeof(TBBUTTON));
}

void LayoutBars(int width, int height)
{
    SendMessageA(ToolBar, TB_AUTOSIZE, 0, 0);
    int toolBarHeight = WindowHeight(ToolBar);
    int statusBarHeight = WindowHeight(StatusBar);
    MoveWindow(StatusBar, 0, height - statusBarHeight, width, statusBarHeight, TRUE);
    LayoutStatusParts(width);
    if (View.hwnd != nullptr)
        MoveWindow(View.hwnd, 0, toolBarHeight, width, height - statusBarHeight - toolBarHeight, TRUE);
}

const char* ToolTipText(unsigned id)
{
    for (const Button& button : Buttons)
        if (button.command != 0 && static_cast<unsigned>(button.command) == id)
            return button.tip;
    return nullptr;
}
