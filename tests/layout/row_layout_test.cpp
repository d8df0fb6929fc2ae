#include "layout/row_layout.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class RowLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        CellWidth = 7;
        TabWidth = 4;
        WrapMode = -1;
        View.clientWidth = 200;
        View.caret.pos = 0;
    }

    void TearDown() override
    {
        DestroyLines(line);
        WrapMode = -1;
        View.clientWidth = 0;
        View.caret.pos = 0;
        View.caret.line = nullptr;
    }

    TextLine& Line(const std::string& bytes)
    {
        DestroyLines(line);
        line = MakeLines({bytes});
        return *line;
    }

    LayoutPoint PointAt(int pos)
    {
        View.caret.pos = pos;
        return PosToPoint(*line);
    }

    LineMeasure Measure(int bottom = 1000, int right = 200)
    {
        LayoutRect rect = {0, 0, right, bottom};
        return MeasureLine(*line, rect);
    }

    TextLine* line = nullptr;
};

#define EXPECT_POINT(point, px, py)       \
    do {                                  \
        LayoutPoint p_ = (point);         \
        EXPECT_EQ(p_.x, px);              \
        EXPECT_EQ(p_.y, py);              \
    } while (0)

}

TEST_F(RowLayout, AWrappedLineBreaksAfterTheCharacterThatEndsExactlyAtTheLimit)
{
    WrapMode = 10;
    Line("abc\tdefghijk");

    LineMeasure first = Measure();
    EXPECT_EQ(first.extent, 70);
    EXPECT_EQ(first.rowDelta, 2);
    EXPECT_EQ(line->rowCount, 2);
    EXPECT_EQ(Measure().rowDelta, 0);

    EXPECT_POINT(PointAt(0), 0, 0);
    EXPECT_POINT(PointAt(3), 21, 0);
    EXPECT_POINT(PointAt(4), 28, 0);
    EXPECT_POINT(PointAt(10), 70, 0);
    EXPECT_POINT(PointAt(11), 7, 14);
    EXPECT_POINT(PointAt(12), 14, 14);
}

TEST_F(RowLayout, HitTestingFindsBoundariesCoveringCharactersAndRowEnds)
{
    WrapMode = 10;
    Line("abc\tdefghijk");
    EXPECT_EQ(PointToPos(*line, 28, 0), 4);
    EXPECT_EQ(PointToPos(*line, 24, 0), 3);
    EXPECT_EQ(PointToPos(*line, 70, 0), 10);
    EXPECT_EQ(PointToPos(*line, 77, 0), 10);
    EXPECT_EQ(PointToPos(*line, 100, 0), 10);
    EXPECT_EQ(PointToPos(*line, 0, 14), 10);
    EXPECT_EQ(PointToPos(*line, 7, 14), 11);
    EXPECT_EQ(PointToPos(*line, 14, 14), 12);
    EXPECT_EQ(PointToPos(*line, 21, 14), 12);
    EXPECT_EQ(PointToPos(*line, 0, 28), -1);
    EXPECT_EQ(PointToPos(*line, -7, 0), -1);
    EXPECT_EQ(PointToPos(*line, 0, -14), -1);

    WrapMode = -1;
    LineMeasure unwrapped = Measure();
    EXPECT_EQ(unwrapped.extent, 84);
    EXPECT_EQ(line->rowCount, 1);
    EXPECT_EQ(PointToPos(*line, 84, 0), 12);
    EXPECT_EQ(PointToPos(*line, 200, 0), 12);
    EXPECT_EQ(PointToPos(*line, 0, 14), -1);
}

TEST_F(RowLayout, ADoubleByteCharacterThatWouldPassTheLimitMovesWhole)
{
    WrapMode = 10;
    Line("abcdefghi\x82\xa0z");
    LineMeasure measure = Measure();
    EXPECT_EQ(measure.extent, 63);
    EXPECT_EQ(line->rowCount, 2);
    EXPECT_POINT(PointAt(9), 63, 0);
    EXPECT_POINT(PointAt(11), 14, 14);
    EXPECT_POINT(PointAt(10), 0, 0);
    EXPECT_EQ(PointToPos(*line, 70, 0), 9);
    EXPECT_EQ(PointToPos(*line, 0, 14), 9);
    EXPECT_EQ(PointToPos(*line, 7, 14), 9);
    EXPECT_EQ(PointToPos(*line, 14, 14), 11);
}

TEST_F(RowLayout, BeyondARowWhoseNextRowHoldsOnlyTheLastCharacterIsThatCharactersStart)
{
    WrapMode = 10;
    Line("abcdefghi\x95\x5c");
    EXPECT_EQ(PointToPos(*line, 70, 0), 9);
    EXPECT_EQ(PointToPos(*line, 14, 14), 11);
    EXPECT_EQ(PointToPos(*line, 28, 14), 11);
}

TEST_F(RowLayout, DoubleByteCharactersAreSteppedOverWholeInEveryDirection)
{
    Line("a\x95\x5c" "b");
    EXPECT_EQ(PointToPos(*line, 7, 0), 1);
    EXPECT_EQ(PointToPos(*line, 14, 0), 1);
    EXPECT_EQ(PointToPos(*line, 21, 0), 3);
    EXPECT_EQ(PointToPos(*line, 28, 0), 4);
    EXPECT_EQ(PointToPos(*line, 35, 0), 4);

    std::vector<int> prev;
    std::vector<int> next;
    for (int pos : {0, 1, 3, 4}) {
        prev.push_back(PrevCharPos(*line, pos));
        next.push_back(NextCharPos(*line, pos));
    }
    EXPECT_EQ(prev, (std::vector<int>{-1, 0, 1, 3}));
    EXPECT_EQ(next, (std::vector<int>{1, 3, 4, -1}));
}

TEST_F(RowLayout, ATrailByteThatLooksLikeALeadByteDoesNotStartACharacter)
{
    Line("\x82\x82" "a");
    EXPECT_EQ(PrevCharPos(*line, 3), 2);
    EXPECT_EQ(PrevCharPos(*line, 2), 0);
    EXPECT_EQ(NextCharPos(*line, 0), 2);
}

TEST_F(RowLayout, ALeadByteAtTheEndOfTheLineIsOneCell)
{
    Line("ab\x82");
    EXPECT_EQ(Measure().extent, 21);
    EXPECT_EQ(NextCharPos(*line, 2), 3);
    EXPECT_EQ(PrevCharPos(*line, 3), 2);
    EXPECT_POINT(PointAt(3), 21, 0);
}

TEST_F(RowLayout, TabsAdvanceToTheNextStopAndWrapToTheFirstStopOfTheNextRow)
{
    WrapMode = 5;
    Line("abcde\tf");
    EXPECT_POINT(PointAt(5), 35, 0);
    EXPECT_POINT(PointAt(6), 28, 14);
    EXPECT_POINT(PointAt(7), 35, 14);
    LineMeasure measure = Measure();
    EXPECT_EQ(measure.extent, 35);
    EXPECT_EQ(line->rowCount, 2);
    EXPECT_EQ(PointToPos(*line, 42, 0), 5);
    EXPECT_EQ(PointToPos(*line, 14, 14), 5);

    WrapMode = -1;
    Line("abcd\tx");
    EXPECT_POINT(PointAt(5), 56, 0);

    WrapMode = 10;
    Line("\tabc");
    EXPECT_EQ(PointToPos(*line, 7, 0), 0);
}

TEST_F(RowLayout, AWindowNarrowerThanACellPutsEveryCharacterOnItsOwnRow)
{
    WrapMode = 0;
    View.clientWidth = 5;
    Line("ab");
    EXPECT_EQ(Measure(1000, 5).rowDelta, 3);
    EXPECT_POINT(PointAt(1), 7, 14);
    EXPECT_POINT(PointAt(2), 7, 28);
    EXPECT_EQ(PointToPos(*line, 0, 0), 0);
}

TEST_F(RowLayout, MeasuringStopsAtTheBottomOfTheRectangle)
{
    WrapMode = 1;
    Line("0123456789");
    Measure(30);
    EXPECT_EQ(line->rowCount, 4);
    Measure(28);
    EXPECT_EQ(line->rowCount, 3);
    Measure(1000);
    EXPECT_EQ(line->rowCount, 10);
    LineMeasure none = Measure(0);
    EXPECT_EQ(line->rowCount, 1);
    EXPECT_EQ(none.extent, 0);
    EXPECT_EQ(LineRows(*line), 10);
}

TEST_F(RowLayout, AnEmptyLineIsOneRowHoldingOnlyPositionZero)
{
    Line("");
    line->rowCount = 3;
    LineMeasure measure = Measure();
    EXPECT_EQ(measure.extent, 0);
    EXPECT_EQ(measure.rowDelta, -2);
    EXPECT_EQ(line->rowCount, 1);
    EXPECT_EQ(PointToPos(*line, 0, 0), 0);
    EXPECT_EQ(PointToPos(*line, 5, 0), 0);
    EXPECT_EQ(PointToPos(*line, 0, 14), -1);
}

TEST_F(RowLayout, TheWalkReportsEachCharactersCellsForPainting)
{
    WrapMode = 10;
    Line("ab\t\x82\xa0" "cdefgh");
    RowWalk walk(*line, 100, 50, 0);
    std::vector<std::string> steps;
    while (walk.Step()) {
        steps.push_back(std::to_string(walk.charPos) + ":" + std::to_string(walk.charBytes) + "@" +
                        std::to_string(walk.charX) + "," + std::to_string(walk.charY) + "+" +
                        std::to_string(walk.charWidth) + (walk.startedRow ? "/" : ""));
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"0:1@100,50+7", "1:1@107,50+7", "2:1@114,50+14",
                                               "3:2@128,50+14", "5:1@142,50+7", "6:1@149,50+7",
                                               "7:1@156,50+7", "8:1@163,50+7", "9:1@100,64+7/",
                                               "10:1@107,64+7"}));
    EXPECT_EQ(walk.rows, 2);
}
