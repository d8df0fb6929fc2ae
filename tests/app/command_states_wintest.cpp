#include "app/command_states.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <string>

namespace {

// A frame with the program's menu and a toolbar holding the buttons whose states change.
class CommandStatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        InitCommonControls();
        frame = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame, nullptr);
        menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
        ASSERT_NE(menu, nullptr);
        SetMenu(frame, menu);
        TBBUTTON buttons[3] = {};
        const int ids[3] = {CMD_SAVE, CMD_CUT, CMD_COPY};
        for (int i = 0; i < 3; ++i) {
            buttons[i].iBitmap = i;
            buttons[i].idCommand = ids[i];
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = TBSTYLE_BUTTON;
        }
        toolbar = CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE, 1, 0, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, buttons, 3,
                                  0, 0, 0, 0, sizeof(TBBUTTON));
        ASSERT_NE(toolbar, nullptr);
        MainWindow = frame;
        MainMenu = menu;
        ToolBar = toolbar;
    }

    void TearDown() override
    {
        DestroyWindow(frame);
        ResetEditor();
    }

    void Update()
    {
        UpdateTitle();
        UpdateCommandStates();
    }

    std::string Title()
    {
        char text[300] = "";
        GetWindowTextA(frame, text, sizeof text);
        return text;
    }

    bool MenuEnabled(UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) == 0; }
    bool MenuChecked(UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    bool ButtonEnabled(UINT id) { return SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) != 0; }

    HWND frame = nullptr;
    HMENU menu = nullptr;
    HWND toolbar = nullptr;
};

}

TEST_F(CommandStatesTest, AnUntitledDocumentCanBeSavedButNeverCutOrCopied)
{
    WrapMode = -1;
    Update();
    EXPECT_EQ(Title(), "Tessary [Untitled]");
    EXPECT_TRUE(MenuEnabled(CMD_SAVE));
    EXPECT_TRUE(ButtonEnabled(CMD_SAVE));
    EXPECT_FALSE(MenuEnabled(CMD_CUT));
    EXPECT_FALSE(MenuEnabled(CMD_COPY));
    EXPECT_FALSE(ButtonEnabled(CMD_CUT));
    EXPECT_FALSE(ButtonEnabled(CMD_COPY));
    EXPECT_TRUE(MenuChecked(CMD_NO_WRAP));
    EXPECT_FALSE(MenuChecked(CMD_WRAP_AT_WINDOW));
    EXPECT_FALSE(MenuChecked(CMD_WRAP_AT_COLUMNS));
}

TEST_F(CommandStatesTest, SaveFollowsChangesOfANamedDocument)
{
    std::strcpy(View.path, "C:\\dir\\a.txt");
    Update();
    EXPECT_EQ(Title(), "Tessary [a.txt]");
    EXPECT_FALSE(MenuEnabled(CMD_SAVE));
    EXPECT_FALSE(ButtonEnabled(CMD_SAVE));

    View.modified = true;
    Update();
    EXPECT_EQ(Title(), "Tessary [a.txt *]");
    EXPECT_TRUE(MenuEnabled(CMD_SAVE));
    EXPECT_TRUE(ButtonEnabled(CMD_SAVE));

    View.modified = false;
    Update();
    EXPECT_EQ(Title(), "Tessary [a.txt]");
    EXPECT_FALSE(MenuEnabled(CMD_SAVE));
}

TEST_F(CommandStatesTest, ExactlyOneWrapItemCarriesTheMark)
{
    const int modes[3] = {0, 80, -1};
    const UINT marked[3] = {CMD_WRAP_AT_WINDOW, CMD_WRAP_AT_COLUMNS, CMD_NO_WRAP};
    for (int i = 0; i < 3; ++i) {
        WrapMode = modes[i];
        UpdateCommandStates();
        for (UINT id : {CMD_NO_WRAP, CMD_WRAP_AT_WINDOW, CMD_WRAP_AT_COLUMNS}) {
            EXPECT_EQ(MenuChecked(id), id == marked[i]) << "mode " << modes[i] << " item " << id;
            EXPECT_TRUE(MenuEnabled(id));
        }
    }
}

TEST_F(CommandStatesTest, TheTitleShowsADoubleByteFileNameWhole)
{
    std::strcpy(View.path, "C:\\\x83\x5c\\\x95\x5c.txt");
    UpdateTitle();
    EXPECT_EQ(Title(), "Tessary [\x95\x5c.txt]");
}
