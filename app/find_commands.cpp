#include "app/find_commands.h"
#include "app/caret_status.h"
#include "app/load_status.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/platform.h"
#include "view/search_commands.h"
#include "view/selection.h"
#include "view/viewport.h"

#include <dlgs.h>
#include <cstdio>
#include <cstring>

namespace {

const char WrappedForwardText[] = "文書の末尾まで検索したので、先頭から続けて検索しました。";
const char WrappedBackwardText[] = "文書の先頭まで検索したので、末尾から続けて検索しました。";

// The dialogs write the pattern and its replacement here; both stay for the next dialog and F3.
const int PatternSize = 256;
// A selection longer than this is not taken as the pattern.
const int TakenSelectionSize = 128;
char FindWhat[PatternSize];
char ReplaceWith[PatternSize];
// The struct must live as long as its dialog.
FINDREPLACEA Request;
HWND Dialog = nullptr;
bool DialogReplaces = false;
// The options last chosen: FR_DOWN, FR_MATCHCASE, FR_WHOLEWORD.
DWORD Options = FR_DOWN;
// A note of the search's own stands in the status bar.
bool NoteShown = false;

SearchPattern CurrentPattern()
{
    SearchPattern pattern = {FindWhat, static_cast<int>(std::strlen(FindWhat)), (Options & FR_MATCHCASE) != 0,
                             (Options & FR_WHOLEWORD) != 0};
    return pattern;
}

HWND BoxOwner()
{
    return SearchDialog() != nullptr ? Dialog : MainWindow;
}

void SayNotFound()
{
    char text[PatternSize + 64];
    std::snprintf(text, sizeof text, "「%s」が見つかりません。", FindWhat);
    MessageBoxA(BoxOwner(), text, "Tessary", MB_OK | MB_ICONINFORMATION);
}

void SayReplaced(int count)
{
    char text[PatternSize + 64];
    std::snprintf(text, sizeof text, "「%s」を %d か所置換しました。", FindWhat, count);
    MessageBoxA(BoxOwner(), text, "Tessary", MB_OK | MB_ICONINFORMATION);
}

void ReportFailedEdit(unsigned long error)
{
    if (error != 0)
        ShowSystemError(error);
    else
        MessageBeep(MB_OK);
}

// While a load runs, its progress texts keep the left part of the bar.
void NoteWrap(bool wrapped, bool forward)
{
    if (LoadInProgress() || (!wrapped && !NoteShown))
        return;
    ShowStatusNote(!wrapped ? "" : forward ? WrappedForwardText : WrappedBackwardText);
    NoteShown = wrapped;
}

// The selection as the pattern, when it is on one line and short.
bool TakeSelection()
{
    DocumentGuard guard;
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    if (start.line == nullptr || start.line != end.line || start == end || end.pos - start.pos > TakenSelectionSize)
        return false;
    std::memcpy(FindWhat, start.line->text + start.pos, static_cast<size_t>(end.pos - start.pos));
    FindWhat[end.pos - start.pos] = 0;
    return true;
}

void CloseSearchDialog()
{
    // Cancel makes the dialog say its end (FR_DIALOGTERM) and destroy itself.
    if (SearchDialog() != nullptr)
        SendMessageA(Dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (Dialog != nullptr && IsWindow(Dialog))
        DestroyWindow(Dialog);
    Dialog = nullptr;
}

void OpenSearchDialog(bool replaces)
{
    if (SearchDialog() != nullptr && DialogReplaces != replaces)
        CloseSearchDialog();
    bool taken = TakeSelection();
    if (Dialog != nullptr) {
        if (taken)
            SetDlgItemTextA(Dialog, edt1, FindWhat);
        SetActiveWindow(Dialog);
        return;
    }
    std::memset(&Request, 0, sizeof Request);
    Request.lStructSize = sizeof Request;
    Request.hwndOwner = MainWindow;
    Request.hInstance = AppInstance;
    Request.Flags = Options;
    Request.lpstrFindWhat = FindWhat;
    Request.wFindWhatLen = sizeof FindWhat;
    Request.lpstrReplaceWith = ReplaceWith;
    Request.wReplaceWithLen = sizeof ReplaceWith;
    Dialog = replaces ? ReplaceTextA(&Request) : FindTextA(&Request);
    DialogReplaces = replaces;
}

void FindAndShow(bool forward)
{
    if (FindWhat[0] == 0)
        return;
    bool found = false;
    bool wrapped = false;
    {
        DocumentGuard guard;
        found = View.caret.line != nullptr && SelectNextMatch(CurrentPattern(), forward, &wrapped);
        if (found)
            RevealCaret();
    }
    if (!found)
        SayNotFound();
    else
        NoteWrap(wrapped, forward);
}

void ReplaceAndShow()
{
    if (FindWhat[0] == 0 || RefusedWhileLoading())
        return;
    bool found = false;
    bool wrapped = false;
    unsigned long error = 0;
    bool done;
    {
        DocumentGuard guard;
        done = View.caret.line != nullptr && ReplaceAndFindNext(CurrentPattern(), ReplaceWith,
                                                                 static_cast<int>(std::strlen(ReplaceWith)), &found,
                                                                 &wrapped, &error);
        if (found)
            RevealCaret();
    }
    if (!done)
        ReportFailedEdit(error);
    else if (!found)
        SayNotFound();
    else
        NoteWrap(wrapped, true);
}

void ReplaceAllAndSay()
{
    if (FindWhat[0] == 0 || RefusedWhileLoading())
        return;
    int replaced = 0;
    unsigned long error = 0;
    bool done;
    {
        DocumentGuard guard;
        done = ReplaceAllMatches(CurrentPattern(), ReplaceWith, static_cast<int>(std::strlen(ReplaceWith)), &replaced,
                                 &error);
    }
    if (!done)
        ReportFailedEdit(error);
    else if (replaced == 0)
        SayNotFound();
    else
        SayReplaced(replaced);
}

}

UINT FindDialogMessage()
{
    static const UINT message = RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

void RunFindRequest(const FINDREPLACEA* given)
{
    if (given != &Request)
        return;
    const FINDREPLACEA& request = *given;
    if (request.Flags & FR_DIALOGTERM) {
        Dialog = nullptr;
        return;
    }
    // The Replace dialog has no direction to report; the one last chosen stays.
    DWORD direction = DialogReplaces ? Options & FR_DOWN : request.Flags & FR_DOWN;
    Options = (request.Flags & (FR_MATCHCASE | FR_WHOLEWORD)) | direction;
    if (request.Flags & FR_FINDNEXT)
        FindAndShow(DialogReplaces || (request.Flags & FR_DOWN) != 0);
    else if (request.Flags & FR_REPLACE)
        ReplaceAndShow();
    else if (request.Flags & FR_REPLACEALL)
        ReplaceAllAndSay();
}

void ShowFindDialog()
{
    OpenSearchDialog(false);
}

void ShowReplaceDialog()
{
    OpenSearchDialog(true);
}

void FindAgain(bool forward)
{
    if (FindWhat[0] == 0)
        ShowFindDialog();
    else
        FindAndShow(forward);
}

HWND SearchDialog()
{
    // Destroying the main window takes the dialog it owns along without a word.
    if (Dialog != nullptr && !IsWindow(Dialog))
        Dialog = nullptr;
    return Dialog;
}
