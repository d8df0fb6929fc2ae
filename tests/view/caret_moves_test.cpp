#include "view/caret_moves.h"
#include "view/char_input.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;

class CaretMoves : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        View.clientWidth = 200;
        View.clientHeight = 300;
        View.topRow = 1;
        View.modified = true;
    }

    void TearDown() override { ResetEditor(); }

    // A document measured as the view would, with the caret at pos of the line index.
    void Document(int wrapMode, const std::vector<std::string>& texts, int index, int pos, int x)
    {
        WrapMode = wrapMode;
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        View.topLine = View.firstLine;
        View.topLineIndex = 0;
        View.topRow = 1;
        LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
        for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
            MeasureLine(*line, rect);
        Put(index, pos, x);
    }

    void Put(int index, int pos, int x)
    {
        View.caret.line = LineAt(index);
        View.caret.lineIndex = index;
        View.caret.pos = pos;
        View.caret.x = x;
        View.anchor = {View.caret.line, index, pos};
    }

    TextLine* LineAt(int index) { return ::LineAt(View.firstLine, index); }

    // The caret as {line index, pos, x} after the move.
    Ints After(void (*move)())
    {
        move();
        int index = 0;
        for (TextLine* line = View.firstLine; line != View.caret.line; line = line->next)
            ++index;
        // The caret's own count of its line must follow every move.
        EXPECT_EQ(View.caret.lineIndex, index);
        return {index, View.caret.pos, View.caret.x};
    }
};

}

TEST_F(CaretMoves, VerticalMovesKeepTheColumnThatHorizontalMovesSet)
{
    Document(-1, {"abc", "d", "efghij"}, 0, 1, 0);
    EXPECT_EQ(After(MoveEnd), (Ints{0, 3, 21}));
    EXPECT_EQ(After(MoveDown), (Ints{1, 1, 21}));
    EXPECT_EQ(After(MoveDown), (Ints{2, 3, 21}));
    EXPECT_EQ(After(MoveDown), (Ints{2, 3, 21}));
    EXPECT_EQ(After(MoveUp), (Ints{1, 1, 21}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 3, 21}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 3, 21}));

    Document(-1, {"a\tb"}, 0, 3, 35);
    EXPECT_EQ(After(MoveHome), (Ints{0, 0, 0}));
    EXPECT_EQ(After(MoveEnd), (Ints{0, 3, 35}));
}

TEST_F(CaretMoves, LeftAndRightStepOverDoubleByteCharactersAndLineEnds)
{
    Document(-1, {"\x82\xa0z", "\x95\x5c"}, 0, 0, 0);
    EXPECT_EQ(After(MoveRight), (Ints{0, 2, 14}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 3, 21}));
    EXPECT_EQ(After(MoveRight), (Ints{1, 0, 0}));
    EXPECT_EQ(After(MoveRight), (Ints{1, 2, 14}));
    EXPECT_EQ(After(MoveRight), (Ints{1, 2, 14}));
    EXPECT_EQ(After(MoveLeft), (Ints{1, 0, 0}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 3, 21}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 2, 14}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 0, 0}));
    View.caret.x = 14;
    EXPECT_EQ(After(MoveLeft), (Ints{0, 0, 0}));
}

TEST_F(CaretMoves, LeftAndRightStepOverWholeCharactersOfTheDocumentsCode)
{
    SetDocumentCode(CodeUtf8);
    // a, あ, 𠮷, e with a combining acute, a byte that is no character.
    Document(-1, {"a\xe3\x81\x82\xf0\xa0\xae\xb7" "e\xcc\x81\xff", "x"}, 0, 0, 0);
    EXPECT_EQ(After(MoveRight), (Ints{0, 1, 7}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 4, 21}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 8, 35}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 11, 42}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 12, 49}));
    EXPECT_EQ(After(MoveRight), (Ints{1, 0, 0}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 12, 49}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 11, 42}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 8, 35}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 4, 21}));
    // Down keeps the column, at the end of a shorter line.
    EXPECT_EQ(After(MoveDown), (Ints{1, 1, 21}));

    SetDocumentCode(CodeEucJp);
    // a, あ, half-width ｱ, a JIS X 0212 kanji.
    Document(-1, {"a\xa4\xa2\x8e\xb1\x8f\xb0\xa1"}, 0, 0, 0);
    EXPECT_EQ(After(MoveRight), (Ints{0, 1, 7}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 3, 21}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 5, 28}));
    EXPECT_EQ(After(MoveRight), (Ints{0, 8, 42}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 5, 28}));
    EXPECT_EQ(After(MoveLeft), (Ints{0, 3, 21}));
}

TEST_F(CaretMoves, WordMovesInUtf8StopWhereTheScriptChanges)
{
    SetDocumentCode(CodeUtf8);
    // "abc あい漢x": a word, a blank, hiragana, a kanji, a word.
    Document(-1, {"abc \xe3\x81\x82\xe3\x81\x84\xe6\xbc\xa2x"}, 0, 0, 0);
    EXPECT_EQ(After(MoveWordRight), (Ints{0, 4, 28}));
    EXPECT_EQ(After(MoveWordRight), (Ints{0, 10, 56}));
    EXPECT_EQ(After(MoveWordRight), (Ints{0, 13, 70}));
    EXPECT_EQ(After(MoveWordRight), (Ints{0, 14, 77}));
    EXPECT_EQ(After(MoveWordLeft), (Ints{0, 13, 70}));
    EXPECT_EQ(After(MoveWordLeft), (Ints{0, 10, 56}));
    EXPECT_EQ(After(MoveWordLeft), (Ints{0, 4, 28}));
    EXPECT_EQ(After(MoveWordLeft), (Ints{0, 0, 0}));
}

TEST_F(CaretMoves, PageMovesGoPageRowsLinesInAnUnwrappedDocument)
{
    std::vector<std::string> texts(100, "0123456789");
    texts[31] = "ab";
    Document(-1, texts, 10, 5, 35);
    ASSERT_EQ(PageRows(), 21);
    EXPECT_EQ(After(PageDown), (Ints{31, 2, 35}));
    Put(90, 5, 35);
    EXPECT_EQ(After(PageDown), (Ints{99, 5, 35}));
    Put(30, 5, 35);
    EXPECT_EQ(After(PageUp), (Ints{9, 5, 35}));
    Put(10, 5, 35);
    EXPECT_EQ(After(PageUp), (Ints{0, 5, 35}));

    View.clientHeight = 10;
    Put(1, 8, 21);
    EXPECT_EQ(After(PageDown), (Ints{1, 3, 21}));
    Put(1, 8, 21);
    EXPECT_EQ(After(PageUp), (Ints{1, 3, 21}));
}

TEST_F(CaretMoves, PageMovesCountTheDisplayRowsOfWrappedLines)
{
    View.clientHeight = 42;
    Document(10, {std::string(25, 'a'), "bbbbb", std::string(35, 'c')}, 0, 12, 14);
    ASSERT_EQ(LineAt(2)->rowCount, 4);
    EXPECT_EQ(After(PageDown), (Ints{2, 2, 14}));
    EXPECT_EQ(After(PageDown), (Ints{2, 32, 14}));
    EXPECT_EQ(After(PageDown), (Ints{2, 32, 14}));
    EXPECT_EQ(After(PageUp), (Ints{2, 2, 14}));
    EXPECT_EQ(After(PageUp), (Ints{0, 12, 14}));
    EXPECT_EQ(After(PageUp), (Ints{0, 2, 14}));
}

// The break of a wrapped line is shown at the end of the upper row, so at column 0 a vertical move
// takes the first place that is shown on the row it moves to, and never stays where it was.
TEST_F(CaretMoves, UpAndDownAtColumnZeroMoveThroughEveryRowOfAWrappedLine)
{
    Document(10, {std::string(25, 'a'), "b"}, 0, 0, 0);
    EXPECT_EQ(After(MoveDown), (Ints{0, 11, 0}));
    EXPECT_EQ(After(MoveDown), (Ints{0, 21, 0}));
    EXPECT_EQ(After(MoveDown), (Ints{1, 0, 0}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 21, 0}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 11, 0}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 0, 0}));

    EXPECT_EQ(After(MoveRight), (Ints{0, 1, 7}));
    EXPECT_EQ(After(MoveDown), (Ints{0, 11, 7}));
}

TEST_F(CaretMoves, TypingMeasuresTheLinesItChangesSoMovesLandOnRealRows)
{
    Document(-1, {"abc"}, 0, 3, 21);
    InsertText("\r\r", 2);
    // After typing the caret's desired x is where it now stands.
    EXPECT_EQ(After(MoveUp), (Ints{1, 0, 0}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 0, 0}));
    Put(2, 0, 21);
    EXPECT_EQ(After(PageUp), (Ints{0, 3, 21}));
    EXPECT_EQ(After(PageDown), (Ints{2, 0, 21}));

    // The split line had three rows; its two parts have one and two.
    Document(10, {std::string(25, 'a')}, 0, 5, 35);
    View.totalRows = 3;
    InsertText("\n", 1);
    EXPECT_EQ(LineAt(0)->rowCount, 1);
    EXPECT_EQ(LineAt(1)->rowCount, 2);
    EXPECT_EQ(View.totalRows, 3);
    Put(1, 15, 35);
    EXPECT_EQ(After(MoveUp), (Ints{1, 5, 35}));
    EXPECT_EQ(After(MoveUp), (Ints{0, 5, 35}));
    EXPECT_EQ(After(PageDown), (Ints{1, 15, 35}));
}

TEST_F(CaretMoves, TheViewPointFollowsTheVisibleLinesOrIsParked)
{
    Document(10, {std::string(25, 'a'), "0123456789", "0123456789"}, 1, 5, 35);
    View.hScroll = 3;
    LayoutPoint point = CaretViewPoint();
    EXPECT_EQ(point.x, 14);
    EXPECT_EQ(point.y, 42);
    View.topRow = 3;
    EXPECT_EQ(CaretViewPoint().y, 14);

    View.topLine = LineAt(1);
    View.topRow = 1;
    EXPECT_EQ(CaretViewPoint().y, 0);
    View.caret.line = LineAt(0);
    EXPECT_EQ(CaretViewPoint().x, CaretParked);

    View.caret.line = LineAt(2);
    View.clientHeight = 14;
    EXPECT_EQ(CaretViewPoint().y, CaretParked);
    View.clientHeight = 15;
    EXPECT_EQ(CaretViewPoint().y, 14);
}

namespace {

// {line index, pos} of a place, checking that its line is the one its index names.
Ints Where(const TextPlace& place)
{
    EXPECT_EQ(place.line, LineAt(View.firstLine, place.lineIndex));
    return {place.lineIndex, place.pos};
}

}

TEST_F(CaretMoves, APointOfTheViewShowsTheNearestBoundaryOnTheVisibleRowUnderIt)
{
    // Line 0 wraps after j (two rows); in line 1 the double-byte character spans x 7 to 21.
    Document(10, {"abcdefghijkl", "x\x82\xa0y", ""}, 0, 0, 0);
    EXPECT_EQ(Where(PlaceAtPoint(10, 3)), (Ints{0, 1}));
    EXPECT_EQ(Where(PlaceAtPoint(11, 13)), (Ints{0, 2}));
    EXPECT_EQ(Where(PlaceAtPoint(8, 20)), (Ints{0, 11}));
    EXPECT_EQ(Where(PlaceAtPoint(150, 5)), (Ints{0, 10})) << "beyond a wrapped row: its end";
    EXPECT_EQ(Where(PlaceAtPoint(150, 20)), (Ints{0, 12}));
    EXPECT_EQ(Where(PlaceAtPoint(13, 30)), (Ints{1, 1}));
    EXPECT_EQ(Where(PlaceAtPoint(15, 30)), (Ints{1, 3}));
    EXPECT_EQ(Where(CharacterAtPoint(15, 30)), (Ints{1, 1})) << "the character under the point";
    EXPECT_EQ(Where(PlaceAtPoint(5, 290)), (Ints{2, 0})) << "below the document: its last row";
    EXPECT_EQ(Where(PlaceAtPoint(30, -50)), (Ints{0, 4})) << "above the view: its first row";
    EXPECT_EQ(Where(PlaceAtPoint(-20, 30)), (Ints{1, 0}));
    EXPECT_EQ(Where(PlaceAtPoint(5000, 30)), (Ints{1, 4}));

    // Rows above topRow are above the view; the point's rows are counted from the visible ones.
    View.topRow = 2;
    EXPECT_EQ(Where(PlaceAtPoint(8, -20)), (Ints{0, 11}));
    EXPECT_EQ(Where(PlaceAtPoint(8, 16)), (Ints{1, 1}));
    View.clientHeight = 20;
    EXPECT_EQ(Where(PlaceAtPoint(8, 500)), (Ints{1, 1})) << "below the view: its last row, partly shown";
    View.clientHeight = 300;
    View.topRow = 1;
    View.topLine = LineAt(1);
    View.topLineIndex = 1;
    EXPECT_EQ(Where(PlaceAtPoint(0, 0)), (Ints{1, 0}));
    EXPECT_EQ(Where(PlaceAtPoint(0, 14)), (Ints{2, 0}));

    // Scrolled columns lie left of the view, which is as far left as a point can reach.
    Document(-1, {"abcdefgh"}, 0, 0, 0);
    View.hScroll = 2;
    EXPECT_EQ(Where(PlaceAtPoint(0, 0)), (Ints{0, 2}));
    EXPECT_EQ(Where(PlaceAtPoint(-30, 0)), (Ints{0, 2}));
    EXPECT_EQ(Where(PlaceAtPoint(4, 0)), (Ints{0, 3}));

    // Lines a load has appended are shown before they are measured, one row each.
    Document(-1, {"a", "b", "c"}, 0, 0, 0);
    View.hScroll = 0;
    LineAt(1)->rowCount = 0;
    LineAt(2)->rowCount = 0;
    EXPECT_EQ(Where(PlaceAtPoint(0, 14)), (Ints{1, 0}));
    EXPECT_EQ(Where(PlaceAtPoint(7, 28)), (Ints{2, 1}));

    View.topLine = nullptr;
    EXPECT_EQ(PlaceAtPoint(0, 0).line, nullptr);
}
