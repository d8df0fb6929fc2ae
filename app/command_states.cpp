#include "app/command_states.h"
#include "app/clipboard.h"
#include "app/window_title.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"
#include "view/selection.h"

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

struct EditStates {
    bool undo;
    bool redo;
    bool selected;
    bool paste;
};

EditStates Shown = {false, false, false, false};
bool ClipboardHoldsText = false;

void ShowEditStates(bool all)
{
    EditStates now = {View.undo.CanUndo(), View.undo.CanRedo(), HasSelection(), ClipboardHoldsText};
    if (all || now.undo != Shown.undo)
        EnableCommand(CMD_UNDO, now.undo);
    if (all || now.redo != Shown.redo)
        EnableCommand(CMD_REDO, now.redo);
    if (all || now.selected != Shown.selected) {
        EnableCommand(CMD_CUT, now.selected);
        EnableCommand(CMD_COPY, now.selected);
    }
    if (all || now.paste != Shown.paste)
        EnableCommand(CMD_PASTE, now.paste);
    Shown = now;
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
    ClipboardHoldsText = ClipboardHasText();
    ShowEditStates(true);
}

void UpdateEditCommandStates()
{
    ShowEditStates(false);
}

void ClipboardChanged()
{
    ClipboardHoldsText = ClipboardHasText();
    ShowEditStates(false);
}

void ShowDocumentState()
{
    UpdateTitle();
    UpdateCommandStates();
}
