#include "app/load_status.h"
#include "app/caret_status.h"
#include "app/command_states.h"
#include "app/print_document.h"
#include "document/background_load.h"
#include "document/editor_record.h"
#include "platform/platform.h"
#include "view/viewport.h"

#include <commctrl.h>
#include <mutex>
#include <string>
#include <vector>

namespace {

const char LoadingText[] = "ファイルを読み込み中です。読み込みが終わってから、もう一度お試しください。";

void RepaintView()
{
    InvalidateRect(View.hwnd, nullptr, TRUE);
}

void ShowStatus(const char* text)
{
    SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// The worker's progress texts reach the status bar in order, but not one round trip each: a
// text sent cost the worker 0.3 ms under Wine, and a message per text the window thread about
// as much again (three seconds of a 100 MB load). The worker queues each text; the window takes
// the texts queued, and measures the lines that arrived, on a timer while the load runs. A timer
// message is only made when no key, click or paint is waiting: a message posted for each
// progress step would come before them, and a fast load would keep the keys waiting until it
// ends. The worker posts once per load, to start the timer on the window's thread.
//
// Setting one costs the status bar a repaint (0.1 ms under Wine), and a fast load makes a
// hundred and fifty texts in that refresh. When more than a few are queued the window sets only
// the last: the others would have shown for a fraction of a millisecond each. A short load, or a
// slow one, shows every text.
const size_t ShownEach = 8;
const UINT PollInterval = 16;
const UINT_PTR PollTimer = 1;
std::mutex ProgressLock;
std::vector<std::string> PendingTexts;
bool Polling = false;
HWND ProgressWindow = nullptr;
const UINT StartPollingMessage = WM_APP;
const char ProgressClass[] = "Tessary load progress";

void ShowPendingTexts()
{
    std::vector<std::string> texts;
    {
        std::lock_guard<std::mutex> lock(ProgressLock);
        texts.swap(PendingTexts);
    }
    if (texts.size() > ShownEach)
        texts.erase(texts.begin(), texts.end() - 1);
    for (const std::string& text : texts)
        ShowStatus(text.c_str());
}

void ShowProgress()
{
    ShowDocumentFormat();
    ShowPendingTexts();
    LayoutArrivedLines();
}

void StopPolling()
{
    KillTimer(ProgressWindow, PollTimer);
    std::lock_guard<std::mutex> lock(ProgressLock);
    Polling = false;
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case StartPollingMessage:
        SetTimer(window, PollTimer, PollInterval, nullptr);
        ShowProgress();
        return 0;
    case WM_TIMER:
        if (wParam == PollTimer)
            ShowProgress();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// On the worker's thread.
void PostProgress(const char* text)
{
    bool post;
    {
        std::lock_guard<std::mutex> lock(ProgressLock);
        PendingTexts.push_back(text);
        post = !Polling;
        Polling = true;
    }
    // A message that cannot be posted leaves the texts to the next one, or to the end.
    if (post && !PostMessageA(ProgressWindow, StartPollingMessage, 0, 0)) {
        std::lock_guard<std::mutex> lock(ProgressLock);
        Polling = false;
    }
}

// A window of the user-interface thread that only receives the worker's messages.
void MakeProgressWindow()
{
    if (ProgressWindow != nullptr)
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ProgressProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = ProgressClass;
    RegisterClassA(&windowClass);
    ProgressWindow = CreateWindowExA(0, ProgressClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
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
    MakeProgressWindow();
    LoadRepaint = RepaintView;
    LoadProgress = PostProgress;
    LoadEnded = PostLoadEnded;
}

void EndLoad(bool complete, unsigned long error)
{
    if (!LoadReadToEnd())
        return;
    StopPolling();
    ShowPendingTexts();
    LayoutArrivedLines();
    if (complete) {
        RepaintView();
        ShowStatus(LoadDoneText);
        FinishLoad();
        ShowCaretPosition();
        PrintAfterLoad(true);
        return;
    }
    View.path[0] = 0;
    ShowDocumentState();
    FinishLoad();
    ShowCaretPosition();
    PrintAfterLoad(false);
    ShowSystemError(error);
}

bool RefusedWhileLoading()
{
    if (!LoadInProgress())
        return false;
    MessageBoxA(MainWindow, LoadingText, "Tessary", MB_OK | MB_ICONINFORMATION);
    return true;
}
