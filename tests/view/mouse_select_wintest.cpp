#include "tests/view/edit_view_fixture.h"
#include "view/editing.h"

namespace {

using Ints = std::vector<int>;

int StateChanges = 0;

void CountStateChange()
{
    ++StateChanges;
}

class MouseSelect : public EditViewTest {
protected:
    void SetUp() override
    {
        EditViewTest::SetUp();
        StateChanges = 0;
        EditStateChanged = CountStateChange;
    }

    void TearDown() override
    {
        EditStateChanged = nullptr;
        EditViewTest::TearDown();
    }
};

// Cells: a b c at 0, 7, 14; the double-byte characters at 21 and 35, each 14 px wide; d e f.
const std::string Kanji = "abc\x93\xfa\x96\x7b" "def";

}

TEST_F(MouseSelect, AClickPutsTheCaretAtTheNearestBoundaryAndShiftClickExtends)
{
    Document({Kanji, "ghi"});
    Click(27, 5);
    EXPECT_EQ(Ends(), (Ints{0, 3, 0, 3})) << "the left half of a double-byte character: before it";
    Click(28, 13);
    EXPECT_EQ(Ends(), (Ints{0, 5, 0, 5})) << "its right half: after it";
    EXPECT_EQ(View.caret.x, 35);
    EXPECT_EQ(StateChanges, 0);

    Click(10, 20, MK_SHIFT);
    EXPECT_EQ(Ends(), (Ints{0, 5, 1, 1}));
    EXPECT_EQ(StateChanges, 1) << "a selection appeared";
    Click(200, 5, MK_SHIFT);
    EXPECT_EQ(Ends(), (Ints{0, 5, 0, 10})) << "beyond the line's end: its end";
    EXPECT_EQ(StateChanges, 1);
    Click(0, 150);
    EXPECT_EQ(Ends(), (Ints{1, 0, 1, 0})) << "below the last line: its row";
    EXPECT_EQ(StateChanges, 2) << "the selection went";
    POINT caret;
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, 0);
    EXPECT_EQ(caret.y, 14);
}

TEST_F(MouseSelect, AClickEndsTheTypingRunAndDropsAWaitingHalfCharacter)
{
    Document({"abc"});
    Click(21, 0);
    SendMessageW(View.hwnd, WM_CHAR, 'x', 0);
    // The first half of a surrogate pair, whose second half would come after the click.
    SendMessageW(View.hwnd, WM_CHAR, 0xD842, 0);
    Click(0, 0);
    SendMessageW(View.hwnd, WM_CHAR, 0xDFB7, 0);
    SendMessageW(View.hwnd, WM_CHAR, 'y', 0);
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>{"yabcx"});
    unsigned long error = 0;
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>{"abcx"}) << "y is a step of its own";
}

TEST_F(MouseSelect, DraggingSelectsUntilTheButtonIsReleasedOrTheCaptureGoes)
{
    Document({Kanji, "ghi", "jkl"});
    Mouse(WM_LBUTTONDOWN, 8, 3, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), View.hwnd);
    Mouse(WM_MOUSEMOVE, 30, 3, MK_LBUTTON);
    EXPECT_EQ(Ends(), (Ints{0, 1, 0, 5}));
    Mouse(WM_MOUSEMOVE, 4, 30, MK_LBUTTON);
    EXPECT_EQ(Ends(), (Ints{0, 1, 2, 1}));
    EXPECT_EQ(StateChanges, 1);
    Mouse(WM_MOUSEMOVE, 7, 3, MK_LBUTTON);
    EXPECT_EQ(Ends(), (Ints{0, 1, 0, 1})) << "back at the anchor: nothing selected";
    EXPECT_EQ(StateChanges, 2);
    Mouse(WM_MOUSEMOVE, 14, 14, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 14, 14);
    EXPECT_EQ(GetCapture(), nullptr);
    Mouse(WM_MOUSEMOVE, 0, 28);
    EXPECT_EQ(Ends(), (Ints{0, 1, 1, 2})) << "moves after the release select nothing";

    Mouse(WM_LBUTTONDOWN, 0, 0, MK_LBUTTON);
    ReleaseCapture();
    Mouse(WM_MOUSEMOVE, 0, 28, MK_LBUTTON);
    EXPECT_EQ(Ends(), (Ints{0, 0, 0, 0})) << "nor after the capture went";
}

TEST_F(MouseSelect, ADragOutsideTheViewKeepsScrollingWhileThePointerStaysThere)
{
    Document(std::vector<std::string>(5000, "line"));
    Mouse(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    PostMessageA(View.hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 260));
    Pump(300);
    int first = View.vScroll;
    EXPECT_GT(first, 0);
    Pump(300);
    int second = View.vScroll;
    EXPECT_GT(second, first) << "no further move came, yet the view went on scrolling";
    EXPECT_EQ(View.anchor.lineIndex, 0);
    EXPECT_EQ(View.caret.lineIndex, View.topLineIndex + 14) << "selected down to the last visible row";

    // Back inside, away from the edges, the scrolling stops.
    Mouse(WM_MOUSEMOVE, 5, 100, MK_LBUTTON);
    int inside = View.vScroll;
    Pump(200);
    EXPECT_EQ(View.vScroll, inside);
    EXPECT_EQ(View.caret.lineIndex, View.topLineIndex + 7);

    // Near the top edge, still inside, it scrolls back up; the release stops it.
    PostMessageA(View.hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 1));
    Pump(300);
    EXPECT_LT(View.vScroll, inside);
    EXPECT_EQ(View.caret.lineIndex, View.topLineIndex);
    Mouse(WM_LBUTTONUP, 5, 1);
    int released = View.vScroll;
    Pump(200);
    EXPECT_EQ(View.vScroll, released);
    EXPECT_EQ(View.anchor.lineIndex, 0);
}

TEST_F(MouseSelect, ADragPastTheRightEdgeScrollsAnUnwrappedLine)
{
    Document({std::string(3000, 'w')});
    Mouse(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    PostMessageA(View.hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(320, 5));
    Pump(300);
    EXPECT_GT(View.hScroll, 0);
    // The edge at 300 lies in the right half of the cell from 294.
    EXPECT_EQ(View.caret.pos, View.hScroll + 43) << "selected up to the right edge";
    Mouse(WM_LBUTTONUP, 320, 5);
}

TEST_F(MouseSelect, ADoubleClickSelectsTheWordUnderThePointer)
{
    // Cells: a b c, a blank, three kanji from 28, two hiragana from 70, a blank at 98, d e f.
    Document({"abc \x93\xfa\x96\x7b\x8c\xea\x82\xc5\x82\xb7 def"});
    auto doubleClick = [](int x, int y) {
        Click(x, y);
        Mouse(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x, y);
    };
    doubleClick(53, 5);
    EXPECT_EQ(Ends(), (Ints{0, 4, 0, 10})) << "the right half of a kanji is still that kanji's word";
    EXPECT_EQ(StateChanges, 1);
    doubleClick(75, 5);
    EXPECT_EQ(Ends(), (Ints{0, 10, 0, 14}));
    doubleClick(8, 5);
    EXPECT_EQ(Ends(), (Ints{0, 0, 0, 3}));
    doubleClick(250, 5);
    EXPECT_EQ(Ends(), (Ints{0, 15, 0, 18})) << "beyond the end: the last word";
}

TEST_F(MouseSelect, OnlyTheRowsWhoseSelectionChangedAreRepainted)
{
    Document(std::vector<std::string>(12, "line"));
    Click(0, 28);
    ValidateRect(View.hwnd, nullptr);
    Click(14, 60, MK_SHIFT);
    RECT update = {};
    ASSERT_TRUE(GetUpdateRect(View.hwnd, &update, FALSE));
    // From line 2's row to line 4's, and the row after it.
    EXPECT_EQ(update.top, 28);
    EXPECT_EQ(update.bottom, 84);

    ValidateRect(View.hwnd, nullptr);
    Click(0, 150);
    ASSERT_TRUE(GetUpdateRect(View.hwnd, &update, FALSE));
    EXPECT_EQ(update.top, 28) << "the selection that went";
    EXPECT_EQ(update.bottom, 84);
}
