// The keys that edit and select in the real edit view: Backspace, Ctrl+Backspace, Ctrl+Delete,
// Shift with the moves, Ctrl+Home and Ctrl+End, and what an edit does to the view's scroll bars.
#include "view/edit_view.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "view/caret_moves.h"
#include "view/editing.h"
#include "view/selection.h"
#include "view/viewport.h"
#include "tests/test_support.h"
#include "tests/view/edit_view_fixture.h"

#include <gtest/gtest.h>
#include "tests/window_support.h"
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class EditingKeys : public EditViewTest {
protected:
    void TearDown() override
    {
        Modifiers(false, false);
        EditViewTest::TearDown();
    }

    // The thread's keyboard state is what the view reads for Shift and Ctrl.
    void Modifiers(bool shift, bool control)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    void Key(WPARAM key, bool shift = false, bool control = false)
    {
        Modifiers(shift, control);
        SendMessageA(View.hwnd, WM_KEYDOWN, key, 0);
        Modifiers(false, false);
    }

    void Type(const std::string& bytes)
    {
        for (char b : bytes)
            SendMessageA(View.hwnd, WM_CHAR, static_cast<unsigned char>(b), 0);
    }

    std::string Selected()
    {
        std::string bytes;
        SelectedBytes("\r\n", &bytes);
        return bytes;
    }

    int BarMax(int bar) { return ScrollBarMax(View.hwnd, bar); }
};

TEST_F(EditingKeys, BackspaceTakesWholeCharactersAndJoinsLinesAtTheirStart)
{
    Document({"a\x95\x5c" "b", "cd"});
    Key(VK_END);
    Type("\x08\x08");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a", "cd"}));
    Key(VK_DOWN);
    Key(VK_HOME);
    Type("\x08");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"acd"}));
    EXPECT_EQ(View.caret.pos, 1);
    EXPECT_EQ(View.caret.lineIndex, 0);
    // Ctrl+Backspace (DEL) takes the word before the caret, and Ctrl+Delete the one after it.
    Document({"one two three"});
    Key(VK_END);
    Type("\x7f");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"one two "}));
    Key(VK_HOME);
    Key(VK_DELETE, false, true);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"two "}));
}

TEST_F(EditingKeys, ShiftWithAMoveSelectsAndTypingReplacesTheSelection)
{
    Document({"abc", "\x82\xa0\x82\xa2"});
    Key(VK_RIGHT);
    // Down lands before the double-byte character whose cells hold the caret's column.
    Key(VK_DOWN, true);
    EXPECT_EQ(Selected(), "bc\r\n");
    Key(VK_RIGHT, true);
    EXPECT_EQ(Selected(), "bc\r\n\x82\xa0");
    Type("X");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"aX\x82\xa2"}));
    EXPECT_FALSE(HasSelection());
    // A move without Shift ends a selection: Left at its start.
    Key(VK_HOME, true);
    Key(VK_LEFT);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(View.caret.pos, 0);
    // Backspace takes a selection as a whole.
    Key(VK_END, true);
    Type("\x08");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{""}));
}

TEST_F(EditingKeys, CtrlHomeAndCtrlEndGoToTheEndsOfTheDocument)
{
    Lines lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back("line " + std::to_string(i));
    Document(lines);
    Key(VK_END, false, true);
    EXPECT_EQ(View.caret.lineIndex, 99);
    EXPECT_EQ(View.caret.pos, 7);
    EXPECT_GT(View.vScroll, 80) << "the end is scrolled into view";
    Key(VK_HOME, true, true);
    EXPECT_EQ(View.caret.lineIndex, 0);
    EXPECT_EQ(View.caret.pos, 0);
    EXPECT_EQ(View.vScroll, 0);
    std::string all;
    for (const std::string& line : lines)
        all += (all.empty() ? "" : "\r\n") + line;
    EXPECT_EQ(Selected(), all);
}

TEST_F(EditingKeys, TypingPastTheRightEdgeScrollsAndWidensTheBar)
{
    Document({""});
    Type(std::string(60, 'x'));
    // 300 px hold 42 cells: the caret after 60 must have scrolled into view.
    LayoutPoint point = CaretViewPoint();
    EXPECT_GE(point.x, 0);
    EXPECT_LE(point.x, View.clientWidth);
    EXPECT_GT(View.hScroll, 0);
    EXPECT_GE(BarMax(SB_HORZ), 59);
    // Breaking lines below the window scrolls down to the caret and grows the vertical bar.
    Type(std::string(30, '\r'));
    EXPECT_EQ(View.hScroll, 0);
    EXPECT_EQ(View.totalRows, 31);
    EXPECT_EQ(BarMax(SB_VERT), 31 + 14 - 2);
    EXPECT_GT(View.vScroll, 0);
    point = CaretViewPoint();
    EXPECT_GE(point.y, 0);
    EXPECT_LT(point.y, View.clientHeight);
}

TEST_F(EditingKeys, DeletingTheTopLineKeepsTheViewOnALineThatExists)
{
    Lines lines;
    for (int i = 0; i < 60; ++i)
        lines.push_back("line " + std::to_string(i));
    Document(lines);
    Key(VK_END, false, true);
    ASSERT_NE(View.topLine, View.firstLine);
    int top = View.topLineIndex;
    // Select from the middle of the top line up to the first line, and cut it out.
    SetSelection(CaretPlace(), TextPlace{View.firstLine, 0, 2});
    unsigned long error = 0;
    ASSERT_TRUE(ReplaceSelection("", 0, EditOther, &error));
    EXPECT_EQ(View.topLine, View.firstLine);
    EXPECT_EQ(View.topLineIndex, 0);
    EXPECT_EQ(View.vScroll, 0);
    EXPECT_EQ(View.totalRows, 1);
    EXPECT_GT(top, 0);
    // Undo brings every line back, measured.
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_EQ(View.totalRows, 60);
    // The selection comes back as it was, the caret at its start.
    EXPECT_EQ(View.caret.lineIndex, 0);
    EXPECT_EQ(View.anchor.lineIndex, 59);
    LayoutPoint point = CaretViewPoint();
    EXPECT_GE(point.y, 0);
    EXPECT_LT(point.y, View.clientHeight);
}

}
