#include "view/viewport.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "view/caret_moves.h"
#include "view/edit_view.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include "tests/window_support.h"
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

int ShownCount = 0;

void CountShown()
{
    ++ShownCount;
}

// A real window with both scroll bars and a client area of 100 x 100 px, shown so that
// ScrollWindowEx moves its contents and reports the strip that scrolled in.
class Viewport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        const char* className = PlainWindowClass("Tessary viewport test");
        DWORD style = WS_POPUP | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE;
        RECT frame = {0, 0, 100, 100};
        AdjustWindowRectEx(&frame, style, FALSE, 0);
        int width = frame.right - frame.left + GetSystemMetrics(SM_CXVSCROLL);
        int height = frame.bottom - frame.top + GetSystemMetrics(SM_CYHSCROLL);
        window = CreateWindowExA(0, className, "", style, 0, 0, width, height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        RECT client;
        GetClientRect(window, &client);
        ASSERT_EQ(client.right, 100);
        ASSERT_EQ(client.bottom, 100);
        CreateCaret(window, nullptr, 1, 14);
        ShowCaret(window);

        View.hwnd = window;
        View.clientWidth = 100;
        View.clientHeight = 100;
        UseCellsOf7By14();
        ShownCount = 0;
        DocumentShown = CountShown;
    }

    void TearDown() override
    {
        DestroyCaret();
        DestroyWindow(window);
        ResetEditor();
    }

    // A fresh document shown as the document commands show one, with nothing left to repaint.
    void Document(int wrapMode, const std::vector<std::string>& texts)
    {
        WrapMode = wrapMode;
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        ResetView();
        ValidateRect(window, nullptr);
    }

    TextLine* LineAt(int index) { return ::LineAt(View.firstLine, index); }

    // Shows the view from the first row of the line index, as scrolling there would.
    void Top(int index)
    {
        View.topLine = LineAt(index);
        View.topRow = 1;
        View.vScroll = index;
    }

    void Caret(int index, int pos)
    {
        View.caret.line = LineAt(index);
        View.caret.pos = pos;
    }

    SCROLLINFO Bar(int bar)
    {
        SCROLLINFO info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(window, bar, &info);
        return info;
    }

    // The part left to repaint, as "left,top,right,bottom"; "" when nothing is.
    std::string Update()
    {
        RECT rect;
        if (!GetUpdateRect(window, &rect, FALSE))
            return "";
        return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
               std::to_string(rect.right) + "," + std::to_string(rect.bottom);
    }

    HWND window = nullptr;
};

}

TEST_F(Viewport, ResettingShowsTheStartOfTheNewDocumentAndSetsBothBars)
{
    View.caret.x = 35;
    View.modified = true;
    View.hScroll = 4;
    View.vScroll = 9;
    View.wrapColumns = 5;
    Document(-1, {"abc", "0123456789", ""});
    EXPECT_EQ(ShownCount, 1);
    EXPECT_EQ(CellWidth, 7);
    EXPECT_EQ(View.topLine, View.firstLine);
    EXPECT_EQ(View.caret.line, View.firstLine);
    EXPECT_EQ(View.caret.pos, 0);
    EXPECT_EQ(View.caret.x, 35) << "the desired column survives a reset";
    EXPECT_FALSE(View.modified);
    EXPECT_EQ(View.wrapColumns, 5) << "the wrap column is the settings', not the document's";
    EXPECT_EQ(View.topRow, 1);
    EXPECT_EQ(View.hScroll, 0);
    EXPECT_EQ(View.vScroll, 0);
    EXPECT_EQ(View.totalRows, 3);
    EXPECT_EQ(View.maxLineWidth, 70);

    SCROLLINFO vertical = Bar(SB_VERT);
    EXPECT_EQ(vertical.nMin, 0);
    EXPECT_EQ(vertical.nMax, 8);
    EXPECT_EQ(vertical.nPage, 7u);
    SCROLLINFO horizontal = Bar(SB_HORZ);
    EXPECT_EQ(horizontal.nMax, 9);
    EXPECT_EQ(horizontal.nPage, 10u) << "the bar keeps its page within its range";

    ScrollColumns(1);
    EXPECT_EQ(View.hScroll, 0) << "the widest line fits, so there is nothing to the right";
    EXPECT_EQ(Update(), "");
}

TEST_F(Viewport, AnEmptyDocumentHasOneRowAndNoWidth)
{
    Document(-1, {""});
    EXPECT_EQ(View.totalRows, 1);
    EXPECT_EQ(View.maxLineWidth, 0);
    EXPECT_EQ(Bar(SB_VERT).nMax, 6);
}

TEST_F(Viewport, RowsGainedAboveTheTopLineMoveTheScrollPositionNotTheTopLine)
{
    View.clientWidth = 210;
    Document(0, {std::string(30, 'a'), "b", "c"});
    Top(1);
    EXPECT_EQ(View.totalRows, 3);
    View.clientWidth = 70;
    Relayout();
    EXPECT_EQ(View.topLine, LineAt(1));
    EXPECT_EQ(View.vScroll, 3);
    EXPECT_EQ(View.totalRows, 5);
    EXPECT_EQ(Bar(SB_VERT).nPos, 3);
}

// A line given a wrong count of rows shows whether a resize measured the lines again.
TEST_F(Viewport, AResizeMeasuresTheLinesAgainOnlyWhereTheirRowsFollowTheWidth)
{
    struct Case {
        int wrapMode;
        int width;
        int height;
        bool measured;
    } cases[] = {{-1, 60, 70, false}, {5, 60, 100, false}, {0, 100, 60, false}, {0, 60, 100, true}};
    for (const Case& c : cases) {
        View.clientWidth = 100;
        View.clientHeight = 100;
        Document(c.wrapMode, {std::string(12, 'a'), "b", "c", "d", "e", "f", "g", "h"});
        int rows = View.firstLine->rowCount;
        View.firstLine->rowCount = rows + 5;
        View.totalRows += 5;
        SetViewSize(c.width, c.height);
        EXPECT_EQ(View.firstLine->rowCount == rows + 5, !c.measured) << "wrap " << c.wrapMode << ", " << c.width;
        EXPECT_EQ(View.clientWidth, c.width);
        EXPECT_EQ(static_cast<int>(Bar(SB_VERT).nPage), c.height / 14) << "the bars follow every resize";
        EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "the view is repainted";
    }
}

TEST_F(Viewport, ScrollingByRowsStopsAtTheDocumentsEnds)
{
    Document(-1, {"abc", "0123456789", ""});
    ScrollRows(5);
    EXPECT_EQ(View.topLine, LineAt(2));
    EXPECT_EQ(View.topRow, 1);
    EXPECT_EQ(View.vScroll, 2);
    EXPECT_EQ(GetScrollPos(window, SB_VERT), 2);
    EXPECT_EQ(Update(), "0,72,100,100") << "the contents moved up 28 px";

    Document(-1, {"abc", "0123456789", ""});
    ScrollRows(-1);
    EXPECT_EQ(View.topLine, LineAt(0));
    EXPECT_EQ(View.vScroll, 0);
    EXPECT_EQ(Update(), "");
}

TEST_F(Viewport, ScrollingByRowsStepsThroughTheRowsOfWrappedLines)
{
    Document(5, {"a", std::string(15, 'b'), "c"});
    ScrollRows(2);
    EXPECT_EQ(View.topLine, LineAt(1));
    EXPECT_EQ(View.topRow, 2);
    ScrollRows(-2);
    EXPECT_EQ(View.topLine, LineAt(0));
    EXPECT_EQ(View.topRow, 1);
    ScrollRows(-1);
    ScrollRows(4);
    EXPECT_EQ(View.topLine, LineAt(2));
    EXPECT_EQ(View.vScroll, 4);
    ScrollRows(1);
    EXPECT_EQ(View.vScroll, 4) << "the last row of the last line stays at the top";
}

TEST_F(Viewport, ScrollingByColumnsStopsAtTheBarsLimit)
{
    Document(-1, {std::string(100, 'a')});
    ASSERT_EQ(Bar(SB_HORZ).nMax, 99);
    ASSERT_EQ(Bar(SB_HORZ).nPage, 14u);

    View.hScroll = 80;
    ScrollColumns(10);
    EXPECT_EQ(View.hScroll, 86);
    EXPECT_EQ(GetScrollPos(window, SB_HORZ), 86);
    EXPECT_EQ(Update(), "58,0,100,100") << "the contents moved 42 px left";

    ValidateRect(window, nullptr);
    View.hScroll = 3;
    ScrollColumns(-5);
    EXPECT_EQ(View.hScroll, 0);
    EXPECT_EQ(Update(), "0,0,21,100") << "the contents moved 21 px right";
}

TEST_F(Viewport, TheCaretIsBroughtBackAcrossTheLeftAndRightEdges)
{
    Document(-1, {std::string(40, 'a')});
    Caret(0, 15);
    EnsureCaretVisible();
    EXPECT_EQ(View.hScroll, 1);
    EXPECT_EQ(CaretViewPoint().x, 98);

    View.hScroll = 4;
    Caret(0, 0);
    EnsureCaretVisible();
    EXPECT_EQ(View.hScroll, 0);

    ValidateRect(window, nullptr);
    View.hScroll = 0;
    Caret(0, 14);
    EnsureCaretVisible();
    EXPECT_EQ(View.hScroll, 0) << "a caret exactly at the right edge shows";
    EXPECT_EQ(Update(), "");
}

TEST_F(Viewport, TheCaretIsBroughtBackAcrossTheBottomEdge)
{
    std::vector<std::string> lines(20, "a");
    Document(-1, lines);
    Caret(7, 0);
    EnsureCaretVisible();
    EXPECT_EQ(View.vScroll, 1);
    EXPECT_EQ(View.topLine, LineAt(1));
    EXPECT_EQ(CaretViewPoint().y, 84);

    Top(0);
    Caret(10, 0);
    EnsureCaretVisible();
    EXPECT_EQ(View.vScroll, 4) << "from further below the row still comes whole into view";
    EXPECT_EQ(CaretViewPoint().y, 84);

    Top(0);
    Caret(6, 0);
    ValidateRect(window, nullptr);
    EnsureCaretVisible();
    EXPECT_EQ(View.vScroll, 0);
    EXPECT_EQ(Update(), "");
}

TEST_F(Viewport, TheCaretIsBroughtBackAcrossTheTopEdge)
{
    std::vector<std::string> lines(20, "a");
    Document(-1, lines);
    Top(5);
    View.hScroll = 2;
    Caret(2, 1);
    EnsureCaretVisible();
    EXPECT_EQ(View.topLine, LineAt(2));
    EXPECT_EQ(View.vScroll, 2);

    Document(5, {"a", std::string(15, 'b'), "c"});
    View.topLine = LineAt(1);
    View.topRow = 2;
    View.vScroll = 2;
    Caret(0, 0);
    EnsureCaretVisible();
    EXPECT_EQ(View.topLine, LineAt(0));
    EXPECT_EQ(View.topRow, 1);
    EXPECT_EQ(View.vScroll, 0);
}

TEST_F(Viewport, ACaretThatCannotBeFoundRepaintsTheWholeView)
{
    Document(-1, {"a", "b"});
    View.topLine = nullptr;
    Caret(1, 0);
    EnsureCaretVisible();
    EXPECT_EQ(Update(), "0,0,100,100");
}

namespace {

// The same view in cells of other sizes: the font FixedSys asked for cells 14, 20 and 26 px high
// (the last gives 25), so that nothing of the bars, the scrolling or the caret's way into view
// leans on 7 x 14. At 20 px the cells are 10 px wide and fit the 100 px width exactly.
class ViewportInCells : public Viewport, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        Viewport::SetUp();
        HDC dc = GetDC(window);
        MakeFont(dc, GetParam(), "FixedSys", View.textColor, View.backColor, View.commentColor, View.keywordColor);
        ReleaseDC(window, dc);
        ASSERT_GE(CellHeight, GetParam() - 1);
        ASSERT_LE(CellHeight, GetParam());
        w = CellWidth;
        h = CellHeight;
    }

    std::string Rect(int left, int top, int right, int bottom)
    {
        return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
               std::to_string(bottom);
    }

    int w = 0;
    int h = 0;
};

}

TEST_P(ViewportInCells, BarsScrollingAndTheCaretsWayIntoViewCountInTheFontsCells)
{
    Document(-1, {"abc", "0123456789", ""});
    EXPECT_EQ(View.maxLineWidth, 10 * w);
    EXPECT_EQ(Bar(SB_VERT).nPage, static_cast<UINT>(100 / h));
    EXPECT_EQ(Bar(SB_HORZ).nPage, static_cast<UINT>(std::min(100 / w, 10)));

    std::vector<std::string> lines(20, std::string(40, 'a'));
    Document(-1, lines);
    ScrollRows(1);
    EXPECT_EQ(View.vScroll, 1);
    EXPECT_EQ(Update(), Rect(0, 100 - h, 100, 100)) << "the contents moved up one row";
    ValidateRect(window, nullptr);
    ScrollColumns(2);
    EXPECT_EQ(View.hScroll, 2);
    EXPECT_EQ(Update(), Rect(100 - 2 * w, 0, 100, 100)) << "the contents moved two cells left";

    // The first place right of the window: one column scrolls it into view, also when that puts
    // it exactly at the right edge.
    Document(-1, lines);
    int beyond = 100 / w + 1;
    Caret(0, beyond);
    EnsureCaretVisible();
    EXPECT_EQ(View.hScroll, 1);
    EXPECT_EQ(CaretViewPoint().x, (beyond - 1) * w);
    // The first line whose row does not fit whole: one row scrolls it into view.
    Document(-1, lines);
    int below = 100 / h;
    Caret(below, 0);
    EnsureCaretVisible();
    EXPECT_EQ(View.vScroll, 1);
    EXPECT_EQ(CaretViewPoint().y, (below - 1) * h);
    EXPECT_LE(CaretViewPoint().y + h, 100);
}

INSTANTIATE_TEST_SUITE_P(CellHeights, ViewportInCells, ::testing::Values(14, 20, 26));
