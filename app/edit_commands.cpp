#include "app/edit_commands.h"
#include "app/clipboard.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/edit_view.h"
#include "view/editing.h"
#include "view/selection.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

char ReplacedNote[128] = "";

bool DeleteSelection(unsigned long* error)
{
    return ReplaceSelection("", 0, EditOther, error);
}

bool DeleteNextCharacter(unsigned long* error)
{
    return DeleteForward(false, error);
}

// The selection's bytes as other programs expect text, lines joined by CR LF. False when nothing
// is selected, or (with *error) without memory for them.
bool TakeSelection(std::string* bytes, unsigned long* error)
{
    DocumentGuard guard;
    *error = 0;
    if (!HasSelection())
        return false;
    if (SelectedBytes("\r\n", bytes))
        return true;
    *error = LastSystemError();
    return false;
}

}

bool UndoCommand()
{
    return EditAndReport(UndoEdit);
}

bool RedoCommand()
{
    return EditAndReport(RedoEdit);
}

bool CutCommand()
{
    return CopyCommand() && EditAndReport(DeleteSelection);
}

bool CopyCommand()
{
    std::string bytes;
    unsigned long error = 0;
    if (!TakeSelection(&bytes, &error)) {
        if (error != 0)
            ShowSystemError(error);
        return false;
    }
    TextCode held;
    {
        DocumentGuard guard;
        held = View.code;
    }
    if (PutClipboardText(MainWindow, &bytes, held))
        return true;
    MessageBeep(MB_OK);
    return false;
}

bool PasteCommand()
{
    ClipboardText text;
    unsigned long error = 0;
    TextCode held;
    {
        DocumentGuard guard;
        held = View.code;
    }
    if (!TakeClipboardText(MainWindow, &text, &error, held))
        return ReportEdit(false, error);
    bool done = false;
    {
        DocumentGuard guard;
        // A document without even its first line (memory ran out) has no place to paste into,
        // and empty text in place of nothing would only leave a step for Undo that does nothing.
        if (View.caret.line == nullptr || (text.count == 0 && !HasSelection()))
            return true;
        done = ReplaceSelection(text.bytes, text.count, EditOther, &error);
    }
    if (!ReportEdit(done, error))
        return false;
    ShowReplacedCount(text.replaced);
    return true;
}

bool DeleteCommand()
{
    return EditAndReport(DeleteNextCharacter);
}

bool SelectAllCommand()
{
    {
        DocumentGuard guard;
        if (View.caret.line == nullptr)
            return false;
        SelectAll();
        EndTypingRun();
        DropPendingLeadByte();
        PlaceCaret();
    }
    InvalidateRect(View.hwnd, nullptr, TRUE);
    if (EditStateChanged != nullptr)
        EditStateChanged();
    return true;
}

// The paste itself went through, so a box that stops the user would be too much; yet the text is
// not what was copied, so the note stays in sight until the next paste, and the next paste
// without such characters takes it away again unless something else has been shown since.
void ShowReplacedCount(int count, bool typed)
{
    char shown[sizeof ReplacedNote] = "";
    if (count == 0) {
        if (ReplacedNote[0] == 0)
            return;
        GetWindowTextA(StatusBar, shown, sizeof shown);
        if (std::strcmp(shown, ReplacedNote) == 0)
            SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
        ReplacedNote[0] = 0;
        return;
    }
    const char* what = typed ? "入力した" : "貼り付けた";
    if (HeldCode(View.code) == CodeShiftJis)
        std::snprintf(ReplacedNote, sizeof ReplacedNote, "%s文字のうち %d 文字はシフトJISにないため「?」にしました",
                      what, count);
    else
        std::snprintf(ReplacedNote, sizeof ReplacedNote, "%s文字のうち %d 文字は %s にないため「?」にしました", what,
                      count, TextCodeName(View.code));
    SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(ReplacedNote));
}

void ShowTypedReplacedCount(int count)
{
    ShowReplacedCount(count, true);
}
