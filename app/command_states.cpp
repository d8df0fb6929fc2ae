#include "app/command_states.h"
#include "app/window_title.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"

#include <windows.h>
#include <commctrl.h>

namespace {

void EnableCommand(UINT id, bool enabled)
{
    EnableMenuItem(MainMenu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    SendMessageA(ToolBar, TB_ENABLEBUTTON, id, enabled ? TRUE : FALSE);
}

void CheckCommand(UINT id, bool checked)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = checked ? MFS_CHECKED : 0;
    SetMenuItemInfoA(MainMenu, id, FALSE, &info);
}

}

void UpdateTitle()
{
    char title[TitleSize];
    BuildTitle(View.path, View.modified, title);
    SetWindowTextA(MainWindow, title);
}

void UpdateCommandStates()
{
    // An unnamed document can always be saved: Save then asks for a name.
    EnableCommand(CMD_SAVE, View.modified || View.path[0] == 0);
    CheckCommand(CMD_NO_WRAP, WrapMode == -1);
    CheckCommand(CMD_WRAP_AT_WINDOW, WrapMode == 0);
    CheckCommand(CMD_WRAP_AT_COLUMNS, WrapMode > 0);
    EnableCommand(CMD_CUT, false);
    EnableCommand(CMD_COPY, false);
}

void ShowDocumentState()
{
    UpdateTitle();
    UpdateCommandStates();
}
