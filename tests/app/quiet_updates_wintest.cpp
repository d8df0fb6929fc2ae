// What a key costs beyond the edit itself is mostly the window talking to the display: each new
// status text, title, menu or button state is drawn at once. Keys and edits that change none of
// these must not set them again.
#include "tests/app/main_window_fixture.h"

namespace {

struct Sent {
    int statusTexts = 0;
    int buttonStates = 0;
    int titles = 0;
};
Sent Counted;
WNDPROC StatusProc = nullptr;
WNDPROC ToolProc = nullptr;
WNDPROC MainProc = nullptr;

LRESULT CALLBACK CountStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SB_SETTEXTA || message == SB_SETTEXTW)
        ++Counted.statusTexts;
    return CallWindowProcA(StatusProc, window, message, wParam, lParam);
}

LRESULT CALLBACK CountButtons(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TB_ENABLEBUTTON || message == TB_SETSTATE)
        ++Counted.buttonStates;
    return CallWindowProcA(ToolProc, window, message, wParam, lParam);
}

LRESULT CALLBACK CountTitles(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        ++Counted.titles;
    return CallWindowProcA(MainProc, window, message, wParam, lParam);
}

WNDPROC Subclass(HWND window, WNDPROC counter)
{
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counter)));
}

class QuietUpdates : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        std::string path = Path("quiet.txt");
        ASSERT_TRUE(WriteFileBytes(path, "abc\r\n\x82\xa0\x82\xa2\x82\xa4\r\nlast"));
        OpenDocument(path.c_str());
        ASSERT_TRUE(PumpUntilLoaded());
        StatusProc = Subclass(StatusBar, CountStatus);
        ToolProc = Subclass(ToolBar, CountButtons);
        MainProc = Subclass(MainWindow, CountTitles);
        Counted = Sent();
    }
    void TearDown() override
    {
        Subclass(StatusBar, StatusProc);
        Subclass(ToolBar, ToolProc);
        Subclass(MainWindow, MainProc);
        MainWindowTest::TearDown();
    }
};

}

TEST_F(QuietUpdates, TheStatusBarGetsANewTextOnlyWhenTheCaretsPlaceChanges)
{
    Key(VK_LEFT);
    Key(VK_UP);
    EXPECT_EQ(Counted.statusTexts, 0) << "the caret could not move";
    Command(CMD_DELETE);
    EXPECT_EQ(StatusPart(1), "1 行, 1 桁");
    EXPECT_EQ(Counted.statusTexts, 0) << "Delete leaves the caret where it was";
    Key(VK_DOWN);
    Key(VK_RIGHT);
    EXPECT_EQ(StatusPart(1), "2 行, 3 桁");
    EXPECT_EQ(Counted.statusTexts, 2);
    Type("x");
    Type("\b");
    EXPECT_EQ(Counted.statusTexts, 4) << "each key moved the caret once";
}

TEST_F(QuietUpdates, EditsAfterTheFirstLeaveTheTitleAndTheCommandStatesAlone)
{
    Type("x");
    EXPECT_EQ(Title(), "Tessary [quiet.txt *]");
    EXPECT_GT(Counted.titles, 0);
    EXPECT_GT(Counted.buttonStates, 0) << "Save and Undo became possible";
    Counted = Sent();
    Type("yz");
    Type("\b");
    Key(VK_END);
    Key(VK_DOWN);
    Command(CMD_DELETE);
    EXPECT_EQ(Counted.titles, 0);
    EXPECT_EQ(Counted.buttonStates, 0);
    EXPECT_TRUE(ButtonEnabled(CMD_UNDO));
    EXPECT_FALSE(ButtonEnabled(CMD_CUT));
    // A selection appearing is a change of state; growing it is not.
    Key(VK_LEFT);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_HOME, 0);
    Counted = Sent();
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Key(VK_RIGHT);
    int selecting = Counted.buttonStates;
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_GT(selecting, 0);
    EXPECT_EQ(Counted.buttonStates, selecting);
    EXPECT_TRUE(ButtonEnabled(CMD_CUT));
}

TEST_F(QuietUpdates, KeysThatQueueUpGiveTheStatusBarOneTextOnceTheyAreHandled)
{
    SetForegroundWindow(MainWindow);
    SetFocus(View.hwnd);
    Pump();
    Counted = Sent();
    std::vector<INPUT> keys;
    for (int i = 0; i < 3; ++i) {
        for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
            INPUT key = {};
            key.type = INPUT_KEYBOARD;
            key.ki.wVk = VK_RIGHT;
            key.ki.dwFlags = KEYEVENTF_EXTENDEDKEY | up;
            keys.push_back(key);
        }
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
    // Until the status bar has a text, and a while longer to see that no other follows.
    for (int waited = 0; waited < 2000 && Counted.statusTexts == 0; ++waited) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    for (int waited = 0; waited < 50; ++waited) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    Pump();
    EXPECT_EQ(View.caret.pos, 3);
    EXPECT_EQ(StatusPart(1), "1 行, 4 桁");
    EXPECT_EQ(Counted.statusTexts, 1);
}
