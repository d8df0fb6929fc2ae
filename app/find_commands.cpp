#include "app/find_commands.h"
#include "app/caret_status.h"
#include "app/load_status.h"
#include "document/background_load.h"
#include "document/char_convert.h"
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
#include <cwchar>
#include <string>

namespace {

const char WrappedForwardText[] = "文書の末尾まで検索したので、先頭から続けて検索しました。";
const char WrappedBackwardText[] = "文書の先頭まで検索したので、末尾から続けて検索しました。";

// The dialogs write the pattern and its replacement here, in UTF-16 so that they may hold any
// character; both stay for the next dialog and F3, and are converted to the document's code
// when used.
const int PatternSize = 256;
// A selection longer than this is not taken as the pattern.
const int TakenSelectionSize = 128;
wchar_t FindWhat[PatternSize];
wchar_t ReplaceWith[PatternSize];
// The struct must live as long as its dialog.
FINDREPLACEW Request;
HWND Dialog = nullptr;
bool DialogReplaces = false;
// The options last chosen: FR_DOWN, FR_MATCHCASE, FR_WHOLEWORD.
DWORD Options = FR_DOWN;
// A note of the search's own stands in the status bar.
bool NoteShown = false;

// The pattern and the replacement in the document's code: a character the code lacks becomes
// '?', which then matches only a '?'. Callers hold the document lock.
std::string HeldPattern;
std::string HeldReplacement;

SearchPattern CurrentPattern()
{
    HeldPattern.clear();
    HeldFromUtf16(View.code, FindWhat, std::wcslen(FindWhat), &HeldPattern);
    SearchPattern pattern = {HeldPattern.c_str(), static_cast<int>(HeldPattern.size()),
                             (Options & FR_MATCHCASE) != 0, (Options & FR_WHOLEWORD) != 0};
    return pattern;
}

const std::string& CurrentReplacement()
{
    HeldReplacement.clear();
    HeldFromUtf16(View.code, ReplaceWith, std::wcslen(ReplaceWith), &HeldReplacement);
    return HeldReplacement;
}

HWND BoxOwner()
{
    return SearchDialog() != nullptr ? Dialog : MainWindow;
}

// A box with the pattern in its text, which may hold any character.
void SayAboutPattern(const wchar_t* format, int count)
{
    wchar_t text[PatternSize + 64];
    std::swprintf(text, sizeof text / sizeof text[0], format, FindWhat, count);
    MessageBoxW(BoxOwner(), text, L"Tessary", MB_OK | MB_ICONINFORMATION);
}

void SayNotFound()
{
    SayAboutPattern(L"「%ls」が見つかりません。", 0);
}

void SayReplaced(int count)
{
    SayAboutPattern(L"「%ls」を %d か所置換しました。", count);
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
    std::wstring units;
    Utf16FromHeld(View.code, start.line->text + start.pos, static_cast<size_t>(end.pos - start.pos), &units);
    if (units.size() >= PatternSize)
        return false;
    std::wmemcpy(FindWhat, units.c_str(), units.size() + 1);
    return true;
}

void CloseSearchDialog()
{
    // Cancel makes the dialog say its end (FR_DIALOGTERM) and destroy itself.
    if (SearchDialog() != nullptr)
        SendMessageW(Dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
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
            SetDlgItemTextW(Dialog, edt1, FindWhat);
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
    Dialog = replaces ? ReplaceTextW(&Request) : FindTextW(&Request);
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
        const std::string& replacement = CurrentReplacement();
        done = View.caret.line != nullptr && ReplaceAndFindNext(CurrentPattern(), replacement.data(),
                                                                 static_cast<int>(replacement.size()), &found,
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
        const std::string& replacement = CurrentReplacement();
        done = ReplaceAllMatches(CurrentPattern(), replacement.data(), static_cast<int>(replacement.size()), &replaced,
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
    static const UINT message = RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

void RunFindRequest(const FINDREPLACEW* given)
{
    if (given != &Request)
        return;
    const FINDREPLACEW& request = *given;
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
