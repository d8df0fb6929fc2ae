#include "view/caret_moves.h"
#include "view/char_input.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class CaretMoves : public ::testing::Test {
protected:
    void SetUp() override
    {
        CellWidth = 7;
        TabWidth = 4;
        WrapMode = -1;
        View.clientWidth = 200;
        View.clientHeight = 300;
        View.hScroll = 0;
        View.topRow = 1;
        View.modified = true;
    }

    void TearDown() override
    {
        DestroyLines(View.firstLine);
        View.firstLine = nullptr;
        View.topLine = nullptr;
        View.caret.line = nullptr;
        View.caret.pos = 0;
        View.caret.x = 0;
        View.modified = false;
        WrapMode = -1;
    }

    // A measured document with the caret at pos of line index.
    void Document(const std::vector<std::string>& texts, int index = 0, int pos = 0, int x = 0)
    {
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        View.topLine = View.firstLine;
        Remeasure();
        View.caret.line = LineAt(index);
        View.caret.pos = pos;
        View.caret.x = x;
    }

    void Remeasure()
    {
        LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
        for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
            MeasureLine(*line, rect);
    }

    TextLine* LineAt(int index)
    {
        TextLine* line = View.firstLine;
        while (index-- > 0)
            line = line->next;
        return line;
    }

    int CaretLineIndex()
    {
        int index = 0;
        for (TextLine* line = View.firstLine; line != View.caret.line; line = line->next)
            ++index;
        return index;
    }

    void ExpectCaret(int index, int pos, int x)
    {
        EXPECT_EQ(CaretLineIndex(), index);
        EXPECT_EQ(View.caret.pos, pos);
        EXPECT_EQ(View.caret.x, x);
    }
};

std::vector<std::string> NumberedLines(int count)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(i == 31 ? "ab" : "0123456789");
    return texts;
}

}

TEST_F(CaretMoves, VerticalMovesKeepTheDesiredColumnThroughShortLines)
{
    Document({"abc", "d", "efghij"}, 0, 1);
    MoveEnd();
    ExpectCaret(0, 3, 21);
    MoveDown();
    ExpectCaret(1, 1, 21);
    MoveDown();
    ExpectCaret(2, 3, 21);
    MoveUp();
    MoveUp();
    ExpectCaret(0, 3, 21);
}

TEST_F(CaretMoves, HomeAndEndSetTheColumnFromTheLayout)
{
    Document({"a\tb"}, 0, 3, 35);
    MoveHome();
    ExpectCaret(0, 0, 0);
    MoveEnd();
    ExpectCaret(0, 3, 35);
}

TEST_F(CaretMoves, TheCaretNeverStopsInsideADoubleByteCharacter)
{
    Document({"\x82\xa0z"});
    MoveRight();
    ExpectCaret(0, 2, 14);
    MoveRight();
    ExpectCaret(0, 3, 21);
    MoveLeft();
    ExpectCaret(0, 2, 14);
    MoveLeft();
    ExpectCaret(0, 0, 0);

    Document({"\x95\x5c\x95\x5c"});
    MoveEnd();
    MoveLeft();
    ExpectCaret(0, 2, 14);
}

TEST_F(CaretMoves, LeftAndRightCrossLineEndsButStopAtTheDocumentEnds)
{
    Document({"l0", "l1", "l2", "l3", "line4", "l5"}, 5, 0, 0);
    MoveLeft();
    ExpectCaret(4, 5, 35);
    MoveRight();
    ExpectCaret(5, 0, 0);

    View.caret.line = LineAt(0);
    View.caret.pos = 0;
    View.caret.x = 14;
    MoveLeft();
    ExpectCaret(0, 0, 0);

    View.caret.line = LineAt(5);
    View.caret.pos = 2;
    View.caret.x = 0;
    MoveRight();
    ExpectCaret(5, 2, 14);
}

TEST_F(CaretMoves, UpOnTheFirstLineAndDownOnTheLastChangeNothing)
{
    Document({"abc", "def"}, 0, 2, 14);
    MoveUp();
    ExpectCaret(0, 2, 14);
    View.caret.line = LineAt(1);
    MoveDown();
    ExpectCaret(1, 2, 14);
}

TEST_F(CaretMoves, PageMovesGoPageRowsLinesInAnUnwrappedDocument)
{
    Document(NumberedLines(100), 10, 5, 35);
    ASSERT_EQ(PageRows(), 21);
    PageDown();
    ExpectCaret(31, 2, 35);

    View.caret.line = LineAt(90);
    PageDown();
    ExpectCaret(99, 5, 35);

    View.caret.line = LineAt(30);
    PageUp();
    ExpectCaret(9, 5, 35);

    View.caret.line = LineAt(10);
    PageUp();
    ExpectCaret(0, 5, 35);
}

TEST_F(CaretMoves, APageOfNoRowsKeepsTheCaretOnItsLine)
{
    View.clientHeight = 10;
    Document({"0123456789", "0123456789", "0123456789"}, 1, 8, 21);
    PageDown();
    ExpectCaret(1, 3, 21);
    View.caret.pos = 9;
    PageUp();
    ExpectCaret(1, 3, 21);
}

TEST_F(CaretMoves, PageMovesCountDisplayRowsOfWrappedLines)
{
    WrapMode = 10;
    View.clientHeight = 42;
    Document({std::string(25, 'a'), "bbbbb", std::string(35, 'c')}, 0, 12, 14);
    ASSERT_EQ(LineAt(0)->rowCount, 3);
    ASSERT_EQ(LineAt(2)->rowCount, 4);

    PageDown();
    ExpectCaret(2, 2, 14);
    PageDown();
    ExpectCaret(2, 32, 14);
    PageDown();
    ExpectCaret(2, 32, 14);

    PageUp();
    ExpectCaret(2, 2, 14);
    PageUp();
    ExpectCaret(0, 12, 14);
    PageUp();
    ExpectCaret(0, 2, 14);
}

TEST_F(CaretMoves, UpAndDownAtColumnZeroStopAtTheBreakOfAWrappedLine)
{
    WrapMode = 10;
    Document({std::string(15, 'a'), "b"}, 0, 0, 0);
    MoveDown();
    ExpectCaret(0, 10, 0);
    MoveDown();
    ExpectCaret(0, 10, 0);
    MoveRight();
    MoveDown();
    ExpectCaret(1, 1, 7);
}

TEST_F(CaretMoves, MovesIntoLinesWithStaleRowCountsLandInsideThem)
{
    Document({"abc"}, 0, 3, 21);
    InsertText("\r\r", 2);
    ASSERT_EQ(View.caret.line->rowCount, 0);
    MoveUp();
    ExpectCaret(1, 0, 21);
    MoveUp();
    ExpectCaret(0, 3, 21);

    View.caret.line = LineAt(2);
    View.caret.pos = 0;
    PageUp();
    ExpectCaret(0, 3, 21);
    PageDown();
    ExpectCaret(2, 0, 21);
}

TEST_F(CaretMoves, ALineShortenedByABreakIsEnteredOnItsRealLastRow)
{
    WrapMode = 10;
    Document({std::string(25, 'a')}, 0, 5, 35);
    ASSERT_EQ(LineAt(0)->rowCount, 3);
    InsertText("\n", 1);
    MoveUp();
    ExpectCaret(0, 5, 35);
    PageDown();
    ExpectCaret(1, 15, 35);
    PageUp();
    ExpectCaret(0, 5, 35);
}

TEST_F(CaretMoves, TheViewPointFollowsTheVisibleLinesOrIsParked)
{
    Document({"0123456789", "0123456789", "0123456789"}, 0, 5, 35);
    View.hScroll = 3;
    LayoutPoint onTop = CaretViewPoint();
    EXPECT_EQ(onTop.x, 14);
    EXPECT_EQ(onTop.y, 0);

    View.caret.line = LineAt(1);
    LayoutPoint below = CaretViewPoint();
    EXPECT_EQ(below.x, 14);
    EXPECT_EQ(below.y, 14);

    View.topLine = LineAt(1);
    View.caret.line = LineAt(0);
    EXPECT_EQ(CaretViewPoint().x, CaretParked);

    View.topLine = LineAt(0);
    View.caret.line = LineAt(2);
    View.clientHeight = 28;
    EXPECT_EQ(CaretViewPoint().y, CaretParked);
    View.clientHeight = 29;
    EXPECT_EQ(CaretViewPoint().y, 28);
}

TEST_F(CaretMoves, TheViewPointStartsAboveTheViewForRowsScrolledPast)
{
    WrapMode = 10;
    Document({std::string(25, 'a'), "b"}, 1, 1, 7);
    View.topRow = 2;
    LayoutPoint point = CaretViewPoint();
    EXPECT_EQ(point.x, 7);
    EXPECT_EQ(point.y, 28);
}
