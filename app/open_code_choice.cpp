#include "app/open_code_choice.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"

namespace {

TextCode Chosen = TextCodeCount;

void TakeChoice(HWND child)
{
    LRESULT index = SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_GETCURSEL, 0, 0);
    Chosen = index >= 1 && index < CodeChoiceCount ? static_cast<TextCode>(index - 1) : TextCodeCount;
}

UINT_PTR CALLBACK CodeChoiceHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        for (int i = 0; i < CodeChoiceCount; ++i)
            SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CodeChoiceText(i)));
        SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_SETCURSEL, 0, 0);
        Chosen = TextCodeCount;
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_OPEN_CODE && HIWORD(wParam) == CBN_SELCHANGE)
            TakeChoice(child);
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == CDN_FILEOK)
            TakeChoice(child);
        return 0;
    default:
        return 0;
    }
}

}

const char* CodeChoiceText(int index)
{
    return index <= 0 ? "自動選択" : TextCodeName(static_cast<TextCode>(index - 1));
}

void AddCodeChoice(OPENFILENAMEA& dialog)
{
    Chosen = TextCodeCount;
    dialog.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    dialog.hInstance = AppInstance;
    dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_OPEN_CODE);
    dialog.lpfnHook = CodeChoiceHook;
}

TextCode ChosenOpenCode()
{
    return Chosen;
}
