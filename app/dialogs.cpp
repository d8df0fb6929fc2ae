#include "app/dialogs.h"
#include "app/registry_settings.h"
#include "app/view_settings.h"
#include "app/caret_status.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/paint_view.h"
#include "platform/win32_hooks.h"
#include "resources/resource_ids.h"
#include "view/code_change.h"
#include "view/edit_view.h"
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

// Every code in the order of TextCode, so an item's index is its code; the document's own chosen.
void AddCodeList(HWND dialog)
{
    for (int code = 0; code < TextCodeCount; ++code)
        AddString(dialog, IDC_CHARACTER_CODE, TextCodeName(static_cast<TextCode>(code)));
    TextCode current;
    {
        DocumentGuard guard;
        current = View.code;
    }
    SelectItem(dialog, IDC_CHARACTER_CODE, current);
}

// Another code chosen converts the document at once, after asking when characters would be lost;
// false when the user took that back (the dialog stays open with the code as it was).
bool AcceptCodeList(HWND dialog)
{
    LRESULT chosen = SendDlgItemMessageA(dialog, IDC_CHARACTER_CODE, CB_GETCURSEL, 0, 0);
    if (chosen < 0 || chosen >= TextCodeCount)
        return true;
    TextCode code = static_cast<TextCode>(chosen);
    int losses;
    {
        DocumentGuard guard;
        if (code == View.code)
            return true;
        losses = ConversionLosses(code);
    }
    if (losses > 0) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "%d 文字は %s にないため「?」になります。\n文字コードを変換しますか？", losses,
                      TextCodeName(code));
        if (MessageBoxA(dialog, text, "Tessary", MB_OKCANCEL | MB_ICONWARNING) != IDOK) {
            SelectItem(dialog, IDC_CHARACTER_CODE, View.code);
            return false;
        }
    }
    unsigned long error = 0;
    bool done;
    {
        DocumentGuard guard;
        done = ConvertDocument(code, &error);
    }
    ReportEdit(done, error);
    return true;
}

void InitDocumentInfo(HWND dialog, HWND focus)
{
    SendDlgItemMessageA(dialog, IDC_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(View.path));
    char size[32];
    std::snprintf(size, sizeof size, "%lld bytes", DocumentTextBytes());
    SetDlgItemTextA(dialog, IDC_FILE_SIZE, size);
    AddString(dialog, IDC_DISPLAY_TYPE, "標準");
    SelectItem(dialog, IDC_DISPLAY_TYPE, 0);
    AddCodeList(dialog);
    for (const char* name : LineEndingNames)
        AddString(dialog, IDC_LINE_ENDING, name);
    SelectItem(dialog, IDC_LINE_ENDING, static_cast<int>(View.lineEnd) - EndingCrLf);
    SetFocus(focus);
}

// The display type list offers a single choice. Another code converts the document at once;
// another terminator becomes the document's, and every line's at the next save.
void AcceptDocumentInfo(HWND dialog)
{
    if (!AcceptCodeList(dialog))
        return;
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

// What the settings dialog holds while it is open: the settings as the user has set them so far,
// and the sample's font. The dialog is modal, so there is one at a time.
StoredSettings Pending;
HFONT SampleFont = nullptr;

const char* const SettingsLineEndingNames[] = {"自動", "CR+LF", "CR", "LF"};
COLORREF CustomColors[16];

void MakeSampleFont(HWND dialog)
{
    if (SampleFont != nullptr)
        DeleteObject(SampleFont);
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    font.lfHeight = FontHeightAt(Pending.fontPoints, WindowDpi(dialog));
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", Pending.fontFace);
    SampleFont = CreateFontIndirectA(&font);
    InvalidateRect(GetDlgItem(dialog, IDC_FONT_SAMPLE), nullptr, TRUE);
}

void CheckWrapButton(HWND dialog, int wrapMode)
{
    int checked = wrapMode < 0 ? IDC_NO_WRAP : wrapMode == 0 ? IDC_WRAP_AT_WINDOW : IDC_WRAP_AT_COLUMNS;
    CheckRadioButton(dialog, IDC_NO_WRAP, IDC_WRAP_AT_COLUMNS, checked);
}

void InitCommonSettings(HWND dialog, HWND focus)
{
    Pending = CurrentSettings();
    for (const char* name : SettingsLineEndingNames)
        AddString(dialog, IDC_DEFAULT_LINE_ENDING, name);
    SelectItem(dialog, IDC_DEFAULT_LINE_ENDING, Pending.lineEnding);
    for (int code = 0; code < TextCodeCount; ++code)
        AddString(dialog, IDC_DEFAULT_CHARACTER_CODE, TextCodeName(static_cast<TextCode>(code)));
    SelectItem(dialog, IDC_DEFAULT_CHARACTER_CODE, Pending.code);
    CheckWrapButton(dialog, Pending.wrapMode);
    SetDlgItemInt(dialog, IDC_WRAP_COLUMNS, static_cast<UINT>(Pending.wrapColumns), FALSE);
    SetDlgItemInt(dialog, IDC_TAB_WIDTH, static_cast<UINT>(Pending.tabWidth), FALSE);
    MakeSampleFont(dialog);
    SetFocus(focus);
}

// The sample text in the chosen font and colours, on the chosen background.
void DrawSample(const DRAWITEMSTRUCT& item)
{
    HBRUSH back = CreateSolidBrush(Pending.backColor);
    FillRect(item.hDC, &item.rcItem, back);
    DeleteObject(back);
    char text[64] = "";
    GetWindowTextA(item.hwndItem, text, sizeof text);
    HGDIOBJ previous = SelectObject(item.hDC, SampleFont);
    SetTextColor(item.hDC, Pending.textColor);
    SetBkMode(item.hDC, TRANSPARENT);
    RECT rect = item.rcItem;
    DrawTextA(item.hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, previous);
}

uint32_t* ColorOf(int id)
{
    switch (id) {
    case IDC_TEXT_COLOR: return &Pending.textColor;
    case IDC_BACK_COLOR: return &Pending.backColor;
    case IDC_COMMENT_COLOR: return &Pending.commentColor;
    case IDC_KEYWORD_COLOR: return &Pending.keywordColor;
    }
    return nullptr;
}

// A colour button: a push button's frame, a swatch of its colour at the left and its label.
void DrawColorButton(const DRAWITEMSTRUCT& item, COLORREF color)
{
    RECT rect = item.rcItem;
    UINT state = DFCS_BUTTONPUSH | ((item.itemState & ODS_SELECTED) != 0 ? DFCS_PUSHED : 0);
    DrawFrameControl(item.hDC, &rect, DFC_BUTTON, state);
    int inset = (rect.bottom - rect.top) / 4;
    RECT swatch = {rect.left + inset, rect.top + inset, rect.left + inset + 2 * (rect.bottom - rect.top - 2 * inset),
                   rect.bottom - inset};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(item.hDC, &swatch, brush);
    DeleteObject(brush);
    FrameRect(item.hDC, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    char text[64] = "";
    GetWindowTextA(item.hwndItem, text, sizeof text);
    RECT label = {swatch.right + inset, rect.top, rect.right - inset, rect.bottom};
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(item.hDC, text, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = {rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
        DrawFocusRect(item.hDC, &focus);
    }
}

void DrawSettingsItem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlID == IDC_FONT_SAMPLE)
        DrawSample(item);
    else if (uint32_t* color = ColorOf(static_cast<int>(item.CtlID)))
        DrawColorButton(item, *color);
}

void ChooseSettingsFont(HWND dialog)
{
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    font.lfHeight = FontHeightAt(Pending.fontPoints, WindowDpi(dialog));
    font.lfCharSet = SHIFTJIS_CHARSET;
    std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", Pending.fontFace);
    CHOOSEFONTA choice;
    std::memset(&choice, 0, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.lpLogFont = &font;
    choice.Flags = CF_SCREENFONTS | CF_FIXEDPITCHONLY | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE | CF_NOVERTFONTS;
    choice.nSizeMin = MinFontPoints;
    choice.nSizeMax = MaxFontPoints;
    if (!ChooseFontCall(&choice) || font.lfFaceName[0] == 0)
        return;
    font.lfFaceName[sizeof font.lfFaceName - 1] = 0;
    std::strncpy(Pending.fontFace, font.lfFaceName, sizeof Pending.fontFace - 1);
    Pending.fontFace[sizeof Pending.fontFace - 1] = 0;
    // The chooser gives tenths of a point.
    int points = (choice.iPointSize + 5) / 10;
    Pending.fontPoints = points < MinFontPoints ? MinFontPoints : points > MaxFontPoints ? MaxFontPoints : points;
    MakeSampleFont(dialog);
}

void ChooseSettingsColor(HWND dialog, int id)
{
    uint32_t* color = ColorOf(id);
    CHOOSECOLORA choice;
    std::memset(&choice, 0, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog;
    choice.rgbResult = *color;
    choice.lpCustColors = CustomColors;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorCall(&choice))
        return;
    *color = choice.rgbResult & 0xFFFFFF;
    InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
    InvalidateRect(GetDlgItem(dialog, IDC_FONT_SAMPLE), nullptr, TRUE);
}

// A number field within [min, max]; otherwise the user is told the range, and the field gets the
// focus with its text selected.
bool ReadField(HWND dialog, int id, int min, int max, const char* what, int* value)
{
    BOOL translated = FALSE;
    int number = static_cast<int>(GetDlgItemInt(dialog, id, &translated, TRUE));
    if (translated && number >= min && number <= max) {
        *value = number;
        return true;
    }
    char message[128];
    std::snprintf(message, sizeof message, "%sは %d から %d の間で指定してください。", what, min, max);
    MessageBoxA(dialog, message, "Tessary", MB_OK | MB_ICONEXCLAMATION);
    HWND field = GetDlgItem(dialog, id);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    return false;
}

void AcceptCommonSettings(HWND dialog)
{
    int tabWidth = 0;
    int wrapColumns = 0;
    if (!ReadField(dialog, IDC_TAB_WIDTH, MinTabWidth, MaxTabWidth, "タブ幅", &tabWidth) ||
        !ReadField(dialog, IDC_WRAP_COLUMNS, MinWrapColumns, MaxWrapColumns, "折り返し文字数", &wrapColumns))
        return;
    Pending.tabWidth = tabWidth;
    Pending.wrapColumns = wrapColumns;
    if (IsDlgButtonChecked(dialog, IDC_WRAP_AT_COLUMNS) == BST_CHECKED)
        Pending.wrapMode = wrapColumns;
    else if (IsDlgButtonChecked(dialog, IDC_WRAP_AT_WINDOW) == BST_CHECKED)
        Pending.wrapMode = 0;
    else
        Pending.wrapMode = -1;
    LRESULT ending = SendDlgItemMessageA(dialog, IDC_DEFAULT_LINE_ENDING, CB_GETCURSEL, 0, 0);
    if (ending >= 0 && ending <= 3)
        Pending.lineEnding = static_cast<int>(ending);
    LRESULT code = SendDlgItemMessageA(dialog, IDC_DEFAULT_CHARACTER_CODE, CB_GETCURSEL, 0, 0);
    if (code >= 0 && code < TextCodeCount)
        Pending.code = static_cast<TextCode>(code);
    ApplySettings(Pending);
    StoreSettingsNow();
    EndDialog(dialog, 1);
}

void CommonSettingsCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK: AcceptCommonSettings(dialog); break;
    case IDCANCEL: EndDialog(dialog, 2); break;
    case IDC_CHANGE_FONT: ChooseSettingsFont(dialog); break;
    case IDC_TEXT_COLOR:
    case IDC_BACK_COLOR:
    case IDC_COMMENT_COLOR:
    case IDC_KEYWORD_COLOR: ChooseSettingsColor(dialog, id); break;
    }
}

void EndCommonSettings()
{
    if (SampleFont != nullptr)
        DeleteObject(SampleFont);
    SampleFont = nullptr;
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

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitCommonSettings(dialog, reinterpret_cast<HWND>(wParam));
        return TRUE;
    case WM_COMMAND:
        CommonSettingsCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawSettingsItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        EndCommonSettings();
        return FALSE;
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
