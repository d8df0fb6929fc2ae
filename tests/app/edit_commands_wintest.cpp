#include "app/command_states.h"
#include "app/edit_commands.h"
#include "tests/app/main_window_fixture.h"
#include "view/selection.h"
#include "view/editing.h"

namespace {

typedef std::vector<std::string> Lines;

const int EditCommands[] = {CMD_UNDO, CMD_REDO, CMD_CUT, CMD_COPY, CMD_PASTE};

void PutText(HWND owner, const char* text)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (text != nullptr) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
        std::strcpy(static_cast<char*>(GlobalLock(block)), text);
        GlobalUnlock(block);
        SetClipboardData(CF_TEXT, block);
    }
    CloseClipboard();
}

// Holds Shift down for this thread's key messages, as the keyboard would.
class ShiftHeld {
public:
    ShiftHeld() { Set(0x80); }
    ~ShiftHeld() { Set(0); }

private:
    static void Set(BYTE state)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = state;
        SetKeyboardState(keys);
    }
};

class EditCommandsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        other = CreateWindowExA(0, PlainWindowClass("Tessary test other program"), "", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(other);
        MainWindowTest::TearDown();
    }

    // The menu's and the toolbar's states of the Edit commands, in the order of EditCommands, as
    // a string of 1 (enabled) and 0 (grayed); a disagreement between the two fails the test.
    std::string States()
    {
        std::string states;
        for (int id : EditCommands) {
            bool menu = !MenuGrayed(id);
            EXPECT_EQ(menu, ButtonEnabled(id)) << "menu and toolbar disagree about " << id;
            states += menu ? '1' : '0';
        }
        return states;
    }
    // A clipboard change reaches the window as a posted notification.
    void ClipboardNews()
    {
        for (int i = 0; i < 20; ++i) {
            Pump();
            Sleep(5);
        }
    }
    bool Accelerated(WPARAM key)
    {
        HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
        MSG message = {};
        message.hwnd = View.hwnd;
        message.message = WM_KEYDOWN;
        message.wParam = key;
        message.lParam = 1 | (MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC) << 16) | (1 << 24);
        return TranslateAcceleratorA(MainWindow, table, &message) != 0;
    }

    HWND other = nullptr;
};

TEST_F(EditCommandsTest, TheStatesFollowTheUndoLogTheSelectionAndTheClipboard)
{
    PutText(other, nullptr);
    ClipboardNews();
    EXPECT_EQ(States(), "00000");
    EXPECT_FALSE(MenuGrayed(CMD_DELETE));
    EXPECT_FALSE(MenuGrayed(CMD_SELECT_ALL));

    Type("abc");
    EXPECT_EQ(States(), "10000");
    {
        ShiftHeld shift;
        Key(VK_LEFT);
    }
    EXPECT_EQ(States(), "10110");
    Key(VK_END);
    EXPECT_EQ(States(), "10000");

    PutText(other, "text");
    ClipboardNews();
    EXPECT_EQ(States(), "10001");
    Command(CMD_UNDO);
    EXPECT_EQ(States(), "01001");
    Command(CMD_REDO);
    EXPECT_EQ(States(), "10001");
    Command(CMD_SELECT_ALL);
    EXPECT_EQ(States(), "10111");
    Command(CMD_CUT);
    EXPECT_EQ(States(), "10001");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));

    PutText(other, nullptr);
    ClipboardNews();
    EXPECT_EQ(States(), "10000");
    EXPECT_FALSE(MenuGrayed(CMD_DELETE)) << "the Delete key's item is never grayed";
}

TEST_F(EditCommandsTest, OpeningTheMenuLooksAtTheClipboardEvenWithoutItsNews)
{
    PutText(other, "text");
    ClipboardNews();
    ASSERT_FALSE(MenuGrayed(CMD_PASTE));
    // Emptied behind the window's back: the notification is taken away before it is handled.
    PutText(other, nullptr);
    MSG message;
    while (PeekMessageA(&message, MainWindow, WM_CLIPBOARDUPDATE, WM_CLIPBOARDUPDATE, PM_REMOVE)) {
    }
    EXPECT_FALSE(MenuGrayed(CMD_PASTE));
    SendMessageA(MainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(MainMenu, 1)), 1);
    EXPECT_TRUE(MenuGrayed(CMD_PASTE));
    EXPECT_FALSE(ButtonEnabled(CMD_PASTE));
}

TEST_F(EditCommandsTest, TheDeleteKeyDeletesThroughItsAccelerator)
{
    Type("ab\x95\x5c" "c\rd");
    Key(VK_UP);
    Key(VK_HOME);
    ASSERT_TRUE(Accelerated(VK_DELETE));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"b\x95\x5c" "c", "d"}));
    Key(VK_RIGHT);
    ASSERT_TRUE(Accelerated(VK_DELETE));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"bc", "d"})) << "both bytes of the character go";
    Key(VK_END);
    ASSERT_TRUE(Accelerated(VK_DELETE));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"bcd"})) << "at the line's end the next line joins";
    Key(VK_END);
    ASSERT_TRUE(Accelerated(VK_DELETE)) << "nothing after the caret: the key is still the command's";
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"bcd"}));

    Key(VK_HOME);
    {
        ShiftHeld shift;
        Key(VK_RIGHT);
        Key(VK_RIGHT);
    }
    ASSERT_TRUE(Accelerated(VK_DELETE));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"d"})) << "a selection goes as a whole";
    Command(CMD_UNDO);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"bcd"}));
    EXPECT_TRUE(HasSelection());
}

TEST_F(EditCommandsTest, UndoBackToTheSavedStateClearsTheStarAndRedoSetsItAgain)
{
    std::string path = Path("saved.txt");
    ASSERT_TRUE(WriteFileBytes(path, "saved"));
    OpenDocument(path.c_str());
    ASSERT_EQ(Title(), "Tessary [saved.txt]");
    Key(VK_END);
    Type("!");
    EXPECT_EQ(Title(), "Tessary [saved.txt *]");
    Command(CMD_UNDO);
    EXPECT_EQ(Title(), "Tessary [saved.txt]");
    EXPECT_FALSE(SaveAvailable());
    Command(CMD_REDO);
    EXPECT_EQ(Title(), "Tessary [saved.txt *]");
    EXPECT_TRUE(SaveAvailable());

    // Saved with the change, the state before it is the changed one now.
    Command(CMD_SAVE);
    EXPECT_EQ(Title(), "Tessary [saved.txt]");
    Command(CMD_UNDO);
    EXPECT_EQ(Title(), "Tessary [saved.txt *]");
    Command(CMD_REDO);
    EXPECT_EQ(Title(), "Tessary [saved.txt]");
    EXPECT_EQ(ReadFileBytes(path), "saved!");
}

}
