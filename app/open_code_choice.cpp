#include "app/open_code_choice.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"

namespace {

// The hook is the procedure of the template's dialog, a child of the file dialog. The list is
// read when the dialog confirms a name, the one moment the windows and the caller's structure
// are both still there.
UINT_PTR CALLBACK CodeChoiceHook(HWND child, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("自動選択"));
        for (int code = 0; code < TextCodeCount; ++code)
            SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(TextCodeName(static_cast<TextCode>(code))));
        SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_SETCURSEL, 0, 0);
        // The focus stays in the name field, where the dialog put it.
        return FALSE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_FILEOK) {
        const OFNOTIFYA* note = reinterpret_cast<const OFNOTIFYA*>(lParam);
        LRESULT index = SendDlgItemMessageA(child, IDC_OPEN_CODE, CB_GETCURSEL, 0, 0);
        *reinterpret_cast<TextCode*>(note->lpOFN->lCustData) =
            index >= 1 && index <= TextCodeCount ? static_cast<TextCode>(index - 1) : TextCodeCount;
    }
    return 0;
}

}

void AddCodeChoice(OPENFILENAMEA& dialog, TextCode* chosen)
{
    *chosen = TextCodeCount;
    dialog.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    dialog.hInstance = AppInstance;
    dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_OPEN_CODE);
    dialog.lpfnHook = CodeChoiceHook;
    dialog.lCustData = reinterpret_cast<LPARAM>(chosen);
}
