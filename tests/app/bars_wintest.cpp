#include "app/bars.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <string>

namespace {

class BarsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        InitCommonControls();
        frame = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 500, 400, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame, nullptr);
        CreateBars(frame);
        ASSERT_NE(ToolBar, nullptr);
        ASSERT_NE(StatusBar, nullptr);
    }

    void TearDown() override
    {
        if (View.hwnd != nullptr)
            DestroyWindow(View.hwnd);
        DestroyWindow(frame);
        ResetEditor();
    }

    RECT ChildRect(HWND child)
    {
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    HWND frame = nullptr;
};

}

TEST_F(BarsTest, TheToolbarHoldsTenButtonsAndOnlyNewAndOpenStartEnabledWhileTheClipboardIsEmpty)
{
    const int commands[10] = {CMD_NEW, CMD_OPEN, CMD_SAVE, 0, CMD_CUT, CMD_COPY, CMD_PASTE, 0, CMD_UNDO, CMD_REDO};
    DestroyWindow(ToolBar);
    ASSERT_TRUE(OpenClipboard(frame));
    EmptyClipboard();
    CloseClipboard();
    CreateBars(frame);
    ASSERT_EQ(SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0), 10);
    for (int i = 0; i < 10; ++i) {
        TBBUTTON button = {};
        ASSERT_TRUE(SendMessageA(ToolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ(button.idCommand, commands[i]) << i;
        EXPECT_EQ((button.fsStyle & TBSTYLE_SEP) != 0, commands[i] == 0) << i;
        if (commands[i] != 0) {
            EXPECT_EQ((button.fsState & TBSTATE_ENABLED) != 0, commands[i] == CMD_NEW || commands[i] == CMD_OPEN) << i;
        }
    }
    EXPECT_EQ(GetDlgCtrlID(StatusBar), StatusBarId);
    char text[16] = "x";
    GetWindowTextA(StatusBar, text, sizeof text);
    EXPECT_STREQ(text, "");
}

TEST_F(BarsTest, PasteStartsEnabledWhenTheClipboardHoldsText)
{
    DestroyWindow(ToolBar);
    ASSERT_TRUE(OpenClipboard(frame));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 2);
    std::strcpy(static_cast<char*>(GlobalLock(block)), "x");
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    CreateBars(frame);
    EXPECT_TRUE(SendMessageA(ToolBar, TB_GETSTATE, CMD_PASTE, 0) & TBSTATE_ENABLED);
    EXPECT_FALSE(SendMessageA(ToolBar, TB_GETSTATE, CMD_UNDO, 0) & TBSTATE_ENABLED);
    EXPECT_FALSE(SendMessageA(ToolBar, TB_GETSTATE, CMD_CUT, 0) & TBSTATE_ENABLED);
}

TEST_F(BarsTest, EveryButtonHasItsJapaneseTooltip)
{
    EXPECT_STREQ(ToolTipText(CMD_NEW), "新規作成");
    EXPECT_STREQ(ToolTipText(CMD_OPEN), "開く");
    EXPECT_STREQ(ToolTipText(CMD_SAVE), "上書保存");
    EXPECT_STREQ(ToolTipText(CMD_CUT), "切り取り");
    EXPECT_STREQ(ToolTipText(CMD_COPY), "複写");
    EXPECT_STREQ(ToolTipText(CMD_PASTE), "貼り付け");
    EXPECT_STREQ(ToolTipText(CMD_UNDO), "元に戻す");
    EXPECT_STREQ(ToolTipText(CMD_REDO), "やり直す");
    EXPECT_EQ(ToolTipText(0), nullptr);
    EXPECT_EQ(ToolTipText(CMD_EXIT), nullptr);
}

TEST_F(BarsTest, TheEditViewFillsTheSpaceBetweenTheBars)
{
    View.hwnd = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(View.hwnd, nullptr);
    RECT client = {};
    GetClientRect(frame, &client);
    LayoutBars(client.right, client.bottom);
    RECT tool = ChildRect(ToolBar);
    RECT status = ChildRect(StatusBar);
    RECT view = ChildRect(View.hwnd);
    EXPECT_GT(tool.bottom, 0);
    EXPECT_EQ(view.top, tool.bottom - tool.top);
    EXPECT_EQ(view.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(view.left, 0);
    EXPECT_EQ(view.right, client.right);
}
