#include "app/goto_line.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"
#include "view/search_commands.h"
#include "view/viewport.h"

#include <cstdio>

namespace {

// A load may still be adding lines: the count is taken each time it is needed.
int Lines()
{
    DocumentGuard guard;
    return LineCount();
}

void SelectField(HWND dialog)
{
    HWND field = GetDlgItem(dialog, IDC_LINE_NUMBER);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

void InitGoToLine(HWND dialog)
{
    char text[64];
    std::snprintf(text, sizeof text, "行番号（1 から %d まで）：", Lines());
    SetDlgItemTextA(dialog, IDC_LINE_RANGE, text);
    int current;
    {
        DocumentGuard guard;
        current = View.caret.lineIndex + 1;
    }
    SetDlgItemInt(dialog, IDC_LINE_NUMBER, static_cast<UINT>(current), FALSE);
    SelectField(dialog);
}

// A number that is no line keeps the dialog open and says which numbers are.
void AcceptLineNumber(HWND dialog)
{
    char text[256] = "";
    int number = 0;
    int count = Lines();
    // A text the buffer would cut could read as another number.
    bool fits = GetWindowTextLengthA(GetDlgItem(dialog, IDC_LINE_NUMBER)) < static_cast<int>(sizeof text);
    if (fits)
        GetDlgItemTextA(dialog, IDC_LINE_NUMBER, text, sizeof text);
    if (fits && ParseLineNumber(text, &number) && number >= 1 && number <= count) {
        EndDialog(dialog, number);
        return;
    }
    char message[96];
    std::snprintf(message, sizeof message, "1 から %d までの行番号を入力してください。", count);
    SetDlgItemTextA(dialog, IDC_LINE_MESSAGE, message);
    MessageBeep(MB_OK);
    SelectField(dialog);
}

void GoToLineCommand(HWND dialog, int id)
{
    if (id == IDOK)
        AcceptLineNumber(dialog);
    else if (id == IDCANCEL)
        EndDialog(dialog, 0);
}

}

INT_PTR CALLBACK GoToLineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitGoToLine(dialog);
        // The focus is set: the field, its number selected.
        return FALSE;
    case WM_COMMAND:
        GoToLineCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void ShowGoToLine()
{
    INT_PTR number =
        DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_GO_TO_LINE), MainWindow, GoToLineDialogProc, 0);
    if (number <= 0)
        return;
    DocumentGuard guard;
    if (GoToLine(static_cast<int>(number)))
        RevealCaret();
}
