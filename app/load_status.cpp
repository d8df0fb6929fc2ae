#include "app/load_status.h"
#include "app/command_states.h"
#include "document/background_load.h"
#include "document/editor_record.h"
#include "platform/platform.h"
#include "view/viewport.h"

#include <commctrl.h>

namespace {

const char LoadingText[] = "ファイルを読み込み中です。読み込みが終わってから、もう一度お試しください。";

void RepaintView()
{
    InvalidateRect(View.hwnd, nullptr, TRUE);
}

// SendMessageA waits for the user-interface thread, which is why the worker never holds the
// document lock while it reports.
void ShowStatus(const char* text)
{
    SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void PostLoadEnded(bool complete, unsigned long error)
{
    PostMessageA(MainWindow, LoadEndedMessage(), complete ? 1 : 0, static_cast<LPARAM>(error));
}

}

UINT LoadEndedMessage()
{
    static const UINT message = RegisterWindowMessageA("Tessary.LoadEnded");
    return message;
}

void ConnectLoader()
{
    LoadRepaint = RepaintView;
    LoadProgress = ShowStatus;
    LoadEnded = PostLoadEnded;
}

void EndLoad(bool complete, unsigned long error)
{
    if (!LoadReadToEnd())
        return;
    Relayout();
    if (complete) {
        RepaintView();
        ShowStatus(LoadDoneText);
        FinishLoad();
        return;
    }
    View.path[0] = 0;
    ShowDocumentState();
    FinishLoad();
    ShowSystemError(error);
}

bool RefusedWhileLoading()
{
    if (!LoadInProgress())
        return false;
    MessageBoxA(MainWindow, LoadingText, "Tessary", MB_OK | MB_ICONINFORMATION);
    return true;
}
