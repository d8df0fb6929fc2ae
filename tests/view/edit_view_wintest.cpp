#include "view/edit_view.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "view/viewport.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include "tests/window_support.h"
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A visible parent holding the real edit view, whose client area is 300 x 200 px.
class EditViewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        const char* className = PlainWindowClass("Tessary edit view test");
        parent = CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, 400,
                                 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        CreateEditWindow(parent);
        ASSERT_NE(View.hwnd, nullptr);
        MoveWindow(View.hwnd, 0, 0, 300 + GetSystemMetrics(SM_CXVSCROLL),
                   200 + GetSystemMetrics(SM_CYHSCROLL), TRUE);
        ASSERT_EQ(View.clientWidth, 300);
        ASSERT_EQ(View.clientHeight, 200);
        UseCellsOf7By14();
        ASSERT_EQ(CellWidth, 7);
    }

    void TearDown() override
    {
        DestroyWindow(parent);
        ResetEditor();
    }

    void Document(const std::vector<std::string>& texts)
    {
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        ResetView();
    }

    void Type(const std::string& bytes)
    {
        for (char b : bytes)
            SendMessageA(View.hwnd, WM_CHAR, static_cast<unsigned char>(b), 0);
    }

    SIZE CaretSize()
    {
        GUITHREADINFO info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetCurrentThreadId(), &info);
        return {info.rcCaret.right - info.rcCaret.left, info.rcCaret.bottom - info.rcCaret.top};
    }

    int BarMax(int bar) { return ScrollBarMax(View.hwnd, bar); }

    HWND parent = nullptr;
};

TEST_F(EditViewWindow, InsertTogglesTheCaretBetweenBarAndBlock)
{
    SendMessageA(View.hwnd, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(CaretSize().cx, 1);
    EXPECT_EQ(CaretSize().cy, 14);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_EQ(CaretSize().cx, 7);
    EXPECT_EQ(CaretSize().cy, 14);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_EQ(CaretSize().cx, 1);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_INSERT, 0);
    Type("x");
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>({"x"}));
}

TEST_F(EditViewWindow, TypedBytesGoIntoTheDocumentBackspaceDeletesAndControlBytesAreDropped)
{
    // Ctrl+B would type 0x02, an invisible byte that would then be saved.
    Type("a\x82\xa0\x08\t\x02\rb");
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_BACK, 0);
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>({"a\t", "b"}));
    EXPECT_TRUE(View.modified);
}

TEST_F(EditViewWindow, ArrowKeysMoveTheCaretAndThePaintPlacesIt)
{
    Document({"abc", "defg"});
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(View.caret.pos, 2);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(View.caret.line, LineAt(View.firstLine, 1));
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(View.caret.pos, 4);
    SendMessageA(View.hwnd, WM_SETFOCUS, 0, 0);
    InvalidateRect(View.hwnd, nullptr, TRUE);
    UpdateWindow(View.hwnd);
    POINT caret;
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, 28);
    EXPECT_EQ(caret.y, 14);
}

TEST_F(EditViewWindow, ResizingRemeasuresTheDocumentAndItsBars)
{
    Document({std::string(50, 'x'), "y"});
    EXPECT_EQ(BarMax(SB_VERT), 2 + 14 - 2);
    SendMessageA(View.hwnd, WM_SIZE, 0, MAKELPARAM(140, 140));
    EXPECT_EQ(View.clientWidth, 140);
    EXPECT_EQ(View.clientHeight, 140);
    EXPECT_EQ(View.totalRows, 2);
    EXPECT_EQ(BarMax(SB_VERT), 2 + 10 - 2);
    EXPECT_EQ(BarMax(SB_HORZ), 49);
}

TEST_F(EditViewWindow, ScrollBarLinesAndPagesMoveTheView)
{
    Document(std::vector<std::string>(100, "x"));
    SendMessageA(View.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(View.vScroll, 1);
    SendMessageA(View.hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(View.vScroll, 15);
    SendMessageA(View.hwnd, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(View.vScroll, 14);
    SendMessageA(View.hwnd, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(View.vScroll, 0);
    EXPECT_EQ(View.caret.line, View.firstLine);
}

TEST_F(EditViewWindow, TheWheelScrollsTwoRowsUnlessShiftOrCtrlIsHeldAlone)
{
    Document(std::vector<std::string>(100, "x"));
    SendMessageA(View.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(View.vScroll, 2);
    SendMessageA(View.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-120)), 0);
    SendMessageA(View.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(View.vScroll, 2);
    SendMessageA(View.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT | MK_CONTROL, static_cast<WORD>(-240)), 0);
    EXPECT_EQ(View.vScroll, 4);
    SendMessageA(View.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    EXPECT_EQ(View.vScroll, 2);
}

TEST_F(EditViewWindow, TheThumbIsFollowedPastSixteenBitsOfRows)
{
    Document(std::vector<std::string>(70000, "x"));
    SendMessageA(View.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
    EXPECT_EQ(View.vScroll, 10);
    SetScrollPos(View.hwnd, SB_VERT, 69000, FALSE);
    SendMessageA(View.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, LOWORD(69000)), 0);
    EXPECT_EQ(View.vScroll, 69000);
}

}

namespace {

TEST_F(EditViewWindow, HorizontalPagesAndTheThumbMoveByCells)
{
    Document({std::string(200, 'w')});
    SendMessageA(View.hwnd, WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_EQ(View.hScroll, 300 / 7);
    SendMessageA(View.hwnd, WM_HSCROLL, SB_PAGELEFT, 0);
    EXPECT_EQ(View.hScroll, 0);
    SendMessageA(View.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 17), 0);
    EXPECT_EQ(View.hScroll, 17);
    SendMessageA(View.hwnd, WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(View.hScroll, 16);
}

TEST_F(EditViewWindow, LosingTheFocusTakesTheCaretAway)
{
    SendMessageA(View.hwnd, WM_SETFOCUS, 0, 0);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    EXPECT_EQ(info.hwndCaret, View.hwnd);
    SendMessageA(View.hwnd, WM_KILLFOCUS, 0, 0);
    info.hwndCaret = nullptr;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    EXPECT_EQ(info.hwndCaret, nullptr);
}

}
