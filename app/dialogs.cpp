#include "app/dialogs.h"
#include "app/caret_status.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "resources/resource_ids.h"
#include "resources/version.h"

#include <cstdio>
#include <cstring>

namespace {

// In the order of LineEnding from EndingCrLf on.
const char* const LineEndingNames[] = {"CR+LF", "CR", "LF"};
const int LineEndingCount = sizeof LineEndingNames / sizeof LineEndingNames[0];

void AddString(HWND dialog, int control, const char* text)
{
    SendDlgItemMessageA(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void SelectItem(HWND dialog, int control, int index)
{
    SendDlgItemMessageA(dialog, control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// The text bytes of the document, terminators excluded. The sum is kept wide: a document
// past 2 GiB would overflow a 32-bit count and show a negative size.
long long DocumentTextBytes()
{
    // A load may still be adding lines: only those already in the list are counted.
    DocumentGuard guard;
    long long total = 0;
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next)
        total += line->length;
    return total;
}

void InitDocumentInfo(HWND dialog, HWND focus)
{
    SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(View.path));
    char size[32];
    std::snprintf(size, sizeof size, "%lld bytes", DocumentTextBytes());
    SetDlgItemTextA(dialog, IDC_FILE_SIZE, size);
    AddString(dialog, IDC_DISPLAY_TYPE, "標準");
    SelectItem(dialog, IDC_DISPLAY_TYPE, 0);
    AddString(dialog, IDC_CHARACTER_CODE, "Shift-JIS");
    SelectItem(dialog, IDC_CHARACTER_CODE, 0);
    for (const char* name : LineEndingNames)
        AddString(dialog, IDC_LINE_ENDING, name);
    SelectItem(dialog, IDC_LINE_ENDING, static_cast<int>(View.lineEnd) - EndingCrLf);
    SetFocus(focus);
}

// Only the line terminator takes effect; the display type and character code lists offer a
// single choice each. Another terminator becomes the document's, and every line's at the next
// save.
void AcceptDocumentInfo(HWND dialog)
{
    LRESULT chosen = SendDlgItemMessageA(dialog, IDC_LINE_ENDING, CB_GETCURSEL, 0, 0);
    if (chosen >= 0 && chosen < LineEndingCount && static_cast<unsigned>(chosen + EndingCrLf) != View.lineEnd) {
        View.lineEnd = static_cast<unsigned>(chosen + EndingCrLf);
        View.unifyEndings = true;
        ShowDocumentFormat();
    }
    EndDialog(dialog, 1);
}

void DocumentInfoCommand(HWND dialog, int id)
{
    if (id == IDOK)
        AcceptDocumentInfo(dialog);
    else if (id == IDCANCEL)
        EndDialog(dialog, 2);
}

// The lists get their choices but no selection, and the fields stay empty: the dialog does not
// show the current settings.
void InitCommonSettings(HWND dialog, HWND focus)
{
    AddString(dialog, IDC_DEFAULT_CHARACTER_CODE, "Shift-JIS");
    AddString(dialog, IDC_DEFAULT_LINE_ENDING, "自動");
    for (const char* name : LineEndingNames)
        AddString(dialog, IDC_DEFAULT_LINE_ENDING, name);
    SetFocus(focus);
}

void CommonSettingsCommand(HWND dialog, int id)
{
    if (id == IDOK)
        EndDialog(dialog, 1);
    else if (id == IDCANCEL)
        EndDialog(dialog, 2);
}

}

INT_PTR CALLBACK DocInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDocumentInfo(dialog, reinterpret_cast<HWND>(wParam));
        return TRUE;
    case WM_COMMAND:
        DocumentInfoCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitCommonSettings(dialog, reinterpret_cast<HWND>(wParam));
        return TRUE;
    case WM_COMMAND:
        CommonSettingsCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void ShowDocumentInfo()
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_DOCUMENT_INFO), MainWindow, DocInfoDialogProc, 0);
}

void ShowCommonSettings()
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_COMMON_SETTINGS), MainWindow, SettingsDialogProc, 0);
}

void ShowVersionBox()
{
    MessageBoxA(MainWindow, "Tessary Version " TESSARY_VERSION, "ﾊﾞｰｼﾞｮﾝ情報", MB_OK);
}
