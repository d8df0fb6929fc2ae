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

    static Lines Numbered(int count)
    {
        Lines lines;
        for (int i = 0; i < count; ++i)
            lines.push_back("line " + std::to_string(i));
        return lines;
    }

    // The bands of rows left for painting since the last call, top and bottom of each, in order;
    // empty for nothing.
    static std::vector<long> Repainted()
    {
        std::vector<long> bands;
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        if (GetUpdateRgn(View.hwnd, region, FALSE) > NULLREGION) {
            std::vector<char> data(GetRegionData(region, 0, nullptr));
            RGNDATA* rects = reinterpret_cast<RGNDATA*>(data.data());
            if (!data.empty() && GetRegionData(region, static_cast<DWORD>(data.size()), rects) != 0) {
                const RECT* r = reinterpret_cast<const RECT*>(rects->Buffer);
                for (DWORD i = 0; i < rects->rdh.nCount; ++i) {
                    if (!bands.empty() && bands.back() == r[i].top)
                        bands.back() = r[i].bottom;
                    else if (bands.empty() || bands.back() < r[i].top)
                        bands.insert(bands.end(), {r[i].top, r[i].bottom});
                }
            }
        }
        DeleteObject(region);
        ValidateRect(View.hwnd, nullptr);
        return bands;
    }
};

// Every SetScrollInfo the view makes, by bar, and whether it asked for the bar to be drawn.
struct BarCalls {
    int vertical = 0;
    int horizontal = 0;
    int drawn = 0;
};
BarCalls Calls;

int WINAPI CountingSetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    ++(bar == SB_VERT ? Calls.vertical : Calls.horizontal);
    if (redraw)
        ++Calls.drawn;
    return SetScrollInfo(window, bar, info, redraw);
}

// Drawing a scroll bar is a round trip to the display: edits and moves that leave a bar as it
// was must not set it again, and those that change its values need not draw it when its thumb
// stays where it is on the screen.
class QuietScrollBars : public EditingKeys {
protected:
    void SetUp() override
    {
        EditingKeys::SetUp();
        SetScrollInfoCall = CountingSetScrollInfo;
    }
    void Count() { Calls = BarCalls(); }
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
    Lines lines = Numbered(100);
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
    Lines lines = Numbered(60);
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

TEST_F(QuietScrollBars, TypingDeletingAndMovingWithinTheWindowLeaveBothBarsAlone)
{
    Lines lines(40, std::string(80, 'w'));
    lines[0] = std::string(200, 'w');
    Document(lines);
    int vertical = BarMax(SB_VERT);
    int horizontal = BarMax(SB_HORZ);
    Key(VK_DOWN);
    Count();
    Type("abc\b");
    Key(VK_DELETE, false, true);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    Key(VK_RIGHT, true);
    Type("\x82\xa0");
    ASSERT_TRUE(EditAndReport(UndoEdit));
    EXPECT_EQ(Calls.vertical, 0);
    EXPECT_EQ(Calls.horizontal, 0);
    EXPECT_EQ(BarMax(SB_VERT), vertical);
    EXPECT_EQ(BarMax(SB_HORZ), horizontal);
}

TEST_F(QuietScrollBars, ABreakSetsOnlyTheVerticalBarAndDrawsItOnlyWhenItsThumbMoves)
{
    Lines lines(2000, "short");
    Document(lines);
    Count();
    Type("\r");
    EXPECT_EQ(BarMax(SB_VERT), 2001 + 14 - 2) << "the bar's range follows the new row";
    EXPECT_GE(Calls.vertical, 1);
    EXPECT_EQ(Calls.horizontal, 0);
    // One row more among two thousand moves the thumb by no pixel.
    EXPECT_EQ(Calls.drawn, 0);

    Document({"one"});
    Count();
    Type("\r");
    EXPECT_EQ(BarMax(SB_VERT), 2 + 14 - 2);
    EXPECT_EQ(Calls.horizontal, 0);
    Count();
    // Twenty rows in a window of fourteen: the thumb shrinks and must be drawn.
    Type(std::string(18, '\r'));
    EXPECT_GE(Calls.drawn, 1);
    SCROLLBARINFO look;
    std::memset(&look, 0, sizeof look);
    look.cbSize = sizeof look;
    ASSERT_TRUE(GetScrollBarInfo(View.hwnd, OBJID_VSCROLL, &look));
    EXPECT_EQ(look.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, 0u) << "the bar was enabled";
}

TEST_F(QuietScrollBars, ScrollingSetsOnlyThePositionOfTheBarItMoves)
{
    Lines lines(100, std::string(100, 'x'));
    Document(lines);
    Count();
    SendMessageA(View.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(View.vScroll, 1);
    EXPECT_EQ(Calls.vertical, 1 + Calls.drawn);
    EXPECT_EQ(Calls.horizontal, 0);
    SCROLLINFO info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(View.hwnd, SB_VERT, &info);
    EXPECT_EQ(info.nPos, 1);
    Count();
    // Moving the caret within the window scrolls nothing.
    Key(VK_DOWN);
    Key(VK_RIGHT);
    EXPECT_EQ(Calls.vertical + Calls.horizontal, 0);
}

// The view's pixels as the screen shows them, row by row.
std::vector<COLORREF> ViewPixels()
{
    RECT all = {0, 0, View.clientWidth, View.clientHeight};
    return WindowPixels(View.hwnd, all);
}

// The rows an edit leaves for painting: its own line's when nothing below moved, from there to
// the bottom when lines came or went.
TEST_F(EditingKeys, AnEditRepaintsItsOwnRowsAndWhatMovedBelowThem)
{
    Document(Numbered(20));
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_DOWN);
    ValidateRect(View.hwnd, nullptr);
    Type("x");
    EXPECT_EQ(Repainted(), (std::vector<long>{3 * 14, 4 * 14}));
    Type("\b");
    EXPECT_EQ(Repainted(), (std::vector<long>{3 * 14, 4 * 14}));
    // Rows that moved are moved on the screen, not painted again: a new line leaves its own two
    // rows, and a line joined to the one above its row and the row that opened at the bottom.
    Type("\r");
    EXPECT_EQ(Repainted(), (std::vector<long>{3 * 14, 5 * 14}));
    Type("\b");
    EXPECT_EQ(Repainted(), (std::vector<long>{3 * 14, 4 * 14, View.clientHeight - 14, View.clientHeight}))
        << "the line joined the one above";
    // A line that grows onto a second row moves the rows below it.
    WrapMode = 0;
    Relayout();
    ValidateRect(View.hwnd, nullptr);
    Type(std::string(60, 'w'));
    EXPECT_EQ(Repainted(), (std::vector<long>{3 * 14, 5 * 14}));
    // A region waiting to be painted does not move with the pixels: with one among the rows
    // below, they are painted again rather than moved.
    RECT waiting = {0, 10 * 14, View.clientWidth, 11 * 14};
    InvalidateRect(View.hwnd, &waiting, FALSE);
    Type("\r");
    EXPECT_EQ(Repainted(), (std::vector<long>{3 * 14, View.clientHeight}));
    // What the partial repaints and the moved rows leave on the screen is what a whole repaint
    // paints, key after key.
    InvalidateRect(View.hwnd, nullptr, TRUE);
    UpdateWindow(View.hwnd);
    Key(VK_HOME);
    int round = 0;
    for (const char* keys : {"ab", "\r", "\b", "\r\r", "\b", "x\r"}) {
        Type(keys);
        ++round;
        // The caret blinks; it is kept out of the pictures.
        HideCaret(View.hwnd);
        UpdateWindow(View.hwnd);
        std::vector<COLORREF> part = ViewPixels();
        InvalidateRect(View.hwnd, nullptr, TRUE);
        UpdateWindow(View.hwnd);
        EXPECT_EQ(part, ViewPixels()) << "after the keys of round " << round;
        ShowCaret(View.hwnd);
    }
}

TEST_F(EditingKeys, ASelectionRepaintsOnlyTheRowsWhoseHighlightChanged)
{
    Document(Numbered(20));
    Key(VK_DOWN);
    Key(VK_DOWN);
    ValidateRect(View.hwnd, nullptr);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    EXPECT_EQ(Repainted(), (std::vector<long>{2 * 14, 3 * 14}));
    Key(VK_DOWN, true);
    Key(VK_DOWN, true);
    EXPECT_EQ(Repainted(), (std::vector<long>{2 * 14, 5 * 14}));
    // Ending the selection takes its highlight off every line it held.
    Key(VK_UP);
    EXPECT_EQ(Repainted(), (std::vector<long>{2 * 14, 5 * 14}));
    EXPECT_FALSE(HasSelection());
    Key(VK_DOWN);
    EXPECT_EQ(Repainted(), std::vector<long>()) << "a move without a selection paints nothing";
}
