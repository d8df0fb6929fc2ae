#include "layout/row_layout.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Ints = std::vector<int>;

class RowLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        View.clientWidth = 200;
    }

    void TearDown() override
    {
        DestroyLines(line);
        ResetEditor();
    }

    void Line(int wrapMode, const std::string& bytes)
    {
        WrapMode = wrapMode;
        DestroyLines(line);
        line = MakeLines({bytes});
    }

    // "x,y" of each position, as the caret's pos.
    std::vector<std::string> Points(const Ints& positions)
    {
        std::vector<std::string> points;
        for (int pos : positions) {
            View.caret.pos = pos;
            LayoutPoint point = PosToPoint(*line, View.caret.pos);
            points.push_back(std::to_string(point.x) + "," + std::to_string(point.y));
        }
        return points;
    }

    Ints Hits(const std::vector<std::pair<int, int>>& points)
    {
        Ints positions;
        for (const auto& point : points)
            positions.push_back(PointToPos(*line, point.first, point.second));
        return positions;
    }

    Ints Measure(int bottom = 1000, int right = 200)
    {
        LayoutRect rect = {0, 0, right, bottom};
        LineMeasure measure = MeasureLine(*line, rect);
        return {measure.extent, measure.rowDelta, line->rowCount};
    }

    TextLine* line = nullptr;
};

using Strings = std::vector<std::string>;

}

TEST_F(RowLayout, ALineWrapsAfterTheCharacterThatEndsExactlyAtTheLimit)
{
    Line(10, "abc\tdefghijk");
    EXPECT_EQ(Measure(), (Ints{70, 2, 2}));
    EXPECT_EQ(Measure(), (Ints{70, 0, 2}));
    EXPECT_EQ(Points({3, 4, 10, 11, 12, 0}), (Strings{"21,0", "28,0", "70,0", "7,14", "14,14", "0,0"}));
    EXPECT_EQ(Hits({{28, 0}, {24, 0}, {70, 0}, {77, 0}, {100, 0}, {0, 14}, {7, 14}, {14, 14}, {21, 14}}),
              (Ints{4, 3, 10, 10, 10, 10, 11, 12, 12}));
    EXPECT_EQ(Hits({{0, 28}, {-7, 0}, {0, -14}}), (Ints{-1, -1, -1}));

    Line(-1, "abc\tdefghijk");
    EXPECT_EQ(Measure(), (Ints{84, 1, 1}));
    EXPECT_EQ(Hits({{84, 0}, {200, 0}, {0, 14}}), (Ints{12, 12, -1}));
}

TEST_F(RowLayout, ADoubleByteCharacterIsTwoCellsAndMovesToTheNextRowWhole)
{
    Line(10, "abcdefghi\x82\xa0z");
    EXPECT_EQ(Measure(), (Ints{63, 2, 2}));
    EXPECT_EQ(Points({9, 11, 10}), (Strings{"63,0", "14,14", "0,0"}));
    EXPECT_EQ(Hits({{70, 0}, {0, 14}, {7, 14}, {14, 14}}), (Ints{9, 9, 9, 11}));

    // With nothing after it on the lower row, the end of the upper row is still its start.
    Line(10, "abcdefghi\x95\x5c");
    EXPECT_EQ(Hits({{70, 0}, {14, 14}, {28, 14}}), (Ints{9, 11, 11}));

    Line(-1, "a\x95\x5c" "b");
    EXPECT_EQ(Hits({{7, 0}, {14, 0}, {21, 0}, {28, 0}, {35, 0}}), (Ints{1, 1, 3, 4, 4}));
}

TEST_F(RowLayout, APointGoesToTheNearerEndOfTheCharacterUnderIt)
{
    auto boundaries = [&](const std::vector<std::pair<int, int>>& points) {
        Ints positions;
        for (const auto& point : points)
            positions.push_back(PointToBoundary(*line, point.first, point.second));
        return positions;
    };
    // a at 0, the double-byte character from 7 to 21, b from 21 to 28.
    Line(-1, "a\x95\x5c" "b");
    EXPECT_EQ(boundaries({{3, 0}, {4, 0}, {13, 0}, {14, 0}, {24, 0}, {25, 0}, {100, 0}, {0, 14}, {-1, 0}}),
              (Ints{0, 1, 1, 3, 3, 4, 4, -1, -1}));
    // The tab runs from 7 to 28.
    Line(-1, "a\tb");
    EXPECT_EQ(boundaries({{17, 0}, {18, 0}, {30, 0}, {32, 0}}), (Ints{1, 2, 2, 3}));
    // Past the end of a wrapped row is that row's end; the character that begins the next row is
    // taken by its own halves there.
    Line(10, "abcdefghi\x82\xa0z");
    EXPECT_EQ(boundaries({{66, 0}, {6, 14}, {8, 14}, {20, 14}, {30, 14}}), (Ints{9, 9, 11, 12, 12}));
    Line(5, "abcde\tf");
    EXPECT_EQ(boundaries({{13, 14}, {14, 14}}), (Ints{5, 6}));
}

TEST_F(RowLayout, CharacterStepsNeverLandInsideADoubleByteCharacter)
{
    Line(-1, "a\x95\x5c" "b");
    Ints prev;
    Ints next;
    for (int pos : {0, 1, 3, 4}) {
        prev.push_back(PrevCharPos(*line, pos));
        next.push_back(NextCharPos(*line, pos));
    }
    EXPECT_EQ(prev, (Ints{-1, 0, 1, 3}));
    EXPECT_EQ(next, (Ints{1, 3, 4, -1}));

    // The second byte of a pair may itself be in the lead range; only a walk from the start can tell.
    Line(-1, "\x82\x82" "a");
    EXPECT_EQ(PrevCharPos(*line, 3), 2);

    Line(-1, "ab\x82");
    EXPECT_EQ(Measure()[0], 21);
    EXPECT_EQ(NextCharPos(*line, 2), 3);
    EXPECT_EQ(PrevCharPos(*line, 3), 2);
}

TEST_F(RowLayout, TabsGoToTheNextStopAndWrapToTheFirstStopOfTheNextRow)
{
    Line(5, "abcde\tf");
    EXPECT_EQ(Points({5, 6, 7}), (Strings{"35,0", "28,14", "35,14"}));
    EXPECT_EQ(Measure(), (Ints{35, 2, 2}));
    EXPECT_EQ(Hits({{42, 0}, {14, 14}}), (Ints{5, 5}));

    Line(-1, "abcd\tx");
    EXPECT_EQ(Points({5}), Strings{"56,0"});
    Line(10, "\tabc");
    EXPECT_EQ(Hits({{7, 0}}), Ints{0});
}

TEST_F(RowLayout, RowsAreCountedOnlyDownToTheBottomOfTheRectangle)
{
    Line(0, "ab");
    View.clientWidth = 5;
    EXPECT_EQ(Measure(1000, 5), (Ints{7, 3, 3}));
    EXPECT_EQ(Points({1, 2}), (Strings{"7,14", "7,28"}));

    Line(1, "0123456789");
    EXPECT_EQ(Measure(30)[2], 4);
    EXPECT_EQ(Measure(28)[2], 3);
    EXPECT_EQ(Measure(1000)[2], 10);
    EXPECT_EQ(Measure(0), (Ints{0, -9, 1}));
    EXPECT_EQ(LineRows(*line), 10);

    Line(-1, "");
    line->rowCount = 3;
    EXPECT_EQ(Measure(), (Ints{0, -2, 1}));
    EXPECT_EQ(Hits({{0, 0}, {5, 0}, {0, 14}}), (Ints{0, 0, -1}));
}

TEST_F(RowLayout, TheWalkReportsTheCellsOfEachCharacterForPainting)
{
    Line(10, "ab\t\x82\xa0" "cdefgh");
    RowWalk walk(*line, 100, 50, 0);
    Strings steps;
    while (walk.Step()) {
        steps.push_back(std::to_string(walk.charPos) + ":" + std::to_string(walk.charBytes) + "@" +
                        std::to_string(walk.charX) + "," + std::to_string(walk.charY) + "+" +
                        std::to_string(walk.charWidth) + (walk.startedRow ? "/" : ""));
    }
    EXPECT_EQ(steps, (Strings{"0:1@100,50+7", "1:1@107,50+7", "2:1@114,50+14", "3:2@128,50+14",
                              "5:1@142,50+7", "6:1@149,50+7", "7:1@156,50+7", "8:1@163,50+7",
                              "9:1@100,64+7/", "10:1@107,64+7"}));
}

namespace {

// Bytes that exercise every rule of the walk: tabs, lead bytes (which pair with whatever
// follows, a tab or another lead included), trail bytes that look like leads, and 0x5C.
std::string RandomLine(std::mt19937& random, int length)
{
    const char alphabet[] = {'a', 'b', '\t', '\x82', '\xa0', '\x95', '\x5c', '\x81', '\xe0', ' '};
    std::string bytes;
    for (int i = 0; i < length; ++i)
        bytes += alphabet[random() % sizeof alphabet];
    return bytes;
}

// Measuring as the walk defines it, one step at a time.
LineMeasure MeasureStepwise(TextLine& line, const LayoutRect& rect)
{
    LineMeasure result = {0, 0};
    int rows = 1;
    if (line.length != 0 && rect.top < rect.bottom) {
        RowWalk walk(line, rect.left, rect.top, rect.right);
        while (walk.Step()) {
            if (walk.x > result.extent)
                result.extent = walk.x;
            if (walk.y >= rect.bottom)
                break;
        }
        rows = walk.rows;
    }
    result.rowDelta = rows - line.rowCount;
    return result;
}

// Hit testing as the walk defines it, one step at a time.
int PointToPosStepwise(const TextLine& line, int x, int y)
{
    if (x < 0 || y < 0)
        return -1;
    RowWalk walk(line, 0, 0, View.clientWidth);
    for (;;) {
        if (walk.AtEnd()) {
            if (walk.y > y)
                return walk.charPos;
            return y > walk.y ? -1 : line.length;
        }
        if (walk.x == x && walk.y == y)
            return walk.pos;
        if (walk.y > y || (walk.y == y && walk.x > x))
            return walk.charPos;
        walk.Step();
    }
}

// The boundary nearest to a point as the walk defines it: a character placed on row y whose cells
// span x gives its start or its end, by the half x lies in; any other point what PointToPos gives.
int PointToBoundaryStepwise(const TextLine& line, int x, int y)
{
    if (x >= 0 && y >= 0) {
        RowWalk walk(line, 0, 0, View.clientWidth);
        while (walk.Step()) {
            if (walk.charY == y && walk.charX <= x && x < walk.x)
                return 2 * (x - walk.charX) >= walk.x - walk.charX ? walk.pos : walk.charPos;
        }
    }
    return PointToPosStepwise(line, x, y);
}

std::string State(const RowWalk& walk)
{
    char text[160];
    std::snprintf(text, sizeof text, "pos %d x %d y %d rows %d char %d+%d at %d,%d w %d tab %d",
                  walk.pos, walk.x, walk.y, walk.rows, walk.charPos, walk.charBytes, walk.charX,
                  walk.charY, walk.charWidth, walk.charIsTab);
    return text;
}

}

TEST_F(RowLayout, ARunPlacesWhatStepsOneByOneWouldUpToItsLimits)
{
    std::mt19937 random(11);
    const int modes[] = {-1, 0, 3, 10};
    for (int round = 0; round < 3000; ++round) {
        Line(modes[round % 4], RandomLine(random, static_cast<int>(random() % 40)));
        int originX = -static_cast<int>(random() % 50);
        int end = static_cast<int>(random() % (line->length + 2));
        int maxX = static_cast<int>(random() % 300) - 100;
        RowWalk run(*line, originX, 0, 60);
        RowWalk steps(*line, originX, 0, 60);
        // Some characters first, so runs start anywhere in a row.
        int before = static_cast<int>(random() % 4);
        for (int i = 0; i < before; ++i) {
            run.Step();
            steps.Step();
        }
        bool placed = run.Run(end, maxX);
        bool stepped = false;
        for (;;) {
            RowWalk next = steps;
            if (steps.pos >= end || !next.Step() || next.startedRow || next.x > maxX)
                break;
            steps = next;
            stepped = true;
        }
        ASSERT_EQ(placed, stepped) << "round " << round;
        ASSERT_EQ(State(run), State(steps)) << "round " << round << " end " << end << " maxX " << maxX;
    }
}

TEST_F(RowLayout, MeasuringByRunsGivesWhatMeasuringStepByStepGives)
{
    std::mt19937 random(7);
    const int modes[] = {-1, 0, 1, 4, 10};
    for (int round = 0; round < 3000; ++round) {
        Line(modes[round % 5], RandomLine(random, static_cast<int>(random() % 120)));
        LayoutRect rect = {0, 0, static_cast<int>(random() % 120), static_cast<int>(random() % 60)};
        LineMeasure expected = MeasureStepwise(*line, rect);
        LineMeasure measured = MeasureLine(*line, rect);
        ASSERT_EQ(measured.extent, expected.extent) << "round " << round;
        ASSERT_EQ(measured.rowDelta, expected.rowDelta) << "round " << round;
    }
}

TEST_F(RowLayout, PointsAndHitsAgreeWithTheStepwiseWalk)
{
    std::mt19937 random(5);
    const int modes[] = {-1, 0, 2, 10};
    for (int round = 0; round < 500; ++round) {
        Line(modes[round % 4], RandomLine(random, static_cast<int>(random() % 60)));
        View.clientWidth = static_cast<int>(random() % 100);
        RowWalk walk(*line, 0, 0, View.clientWidth);
        std::vector<std::pair<int, LayoutPoint>> boundaries;
        while (walk.Step())
            boundaries.push_back({walk.pos, LayoutPoint{walk.x, walk.y}});
        for (int pos = 1; pos <= line->length; ++pos) {
            View.caret.pos = pos;
            LayoutPoint expected = {0, 0};
            for (const auto& boundary : boundaries)
                if (boundary.first == pos)
                    expected = boundary.second;
            LayoutPoint point = PosToPoint(*line, View.caret.pos);
            ASSERT_EQ(point.x, expected.x) << "round " << round << " pos " << pos;
            ASSERT_EQ(point.y, expected.y) << "round " << round << " pos " << pos;
        }
        ASSERT_EQ(LineRows(*line), walk.rows);
        for (int probe = 0; probe < 20; ++probe) {
            int x = static_cast<int>(random() % 120) - 5;
            int y = static_cast<int>(random() % 6) * 14 - (probe == 0 ? 1 : 0);
            ASSERT_EQ(PointToPos(*line, x, y), PointToPosStepwise(*line, x, y))
                << "round " << round << " at " << x << "," << y;
            ASSERT_EQ(PointToBoundary(*line, x, y), PointToBoundaryStepwise(*line, x, y))
                << "round " << round << " at " << x << "," << y;
        }
    }
}

TEST_F(RowLayout, WhereALongLineWasLastWalkedHoldsOnlyUntilItsBytesChange)
{
    // Long enough for the walk to keep where its runs ended.
    std::mt19937 random(3);
    Line(-1, RandomLine(random, 200000));
    auto pointAt = [&](int target) {
        View.caret.pos = target;
        return PosToPoint(*line, View.caret.pos).x;
    };
    auto stepwiseAt = [&](int target) {
        RowWalk walk(*line, 0, 0, 0);
        while (walk.pos < target && walk.Step()) {
        }
        return walk.pos == target ? walk.x : 0;
    };
    for (int round = 0; round < 80; ++round) {
        int kept = line->length - 5000 - static_cast<int>(random() % 1000);
        pointAt(kept);
        // A tab or a letter before the kept place moves everything after it; one after it, or
        // appended, moves nothing before.
        int pos = PrevCharPos(*line, static_cast<int>(random() % line->length) + 1);
        if (round % 4 == 3 && pos >= 0)
            line->Replace(pos, NextCharPos(*line, pos) - pos, "", 0);
        else if (round % 4 == 2)
            line->AppendByte('\t');
        else
            line->InsertByte(pos < 0 ? 0 : pos, round % 4 == 0 ? '\t' : 'q');
        int target = kept + static_cast<int>(random() % 3000);
        ASSERT_EQ(pointAt(target), stepwiseAt(target)) << "round " << round;
    }
    LayoutRect rect = {0, 0, 100, 100};
    LineMeasure stepwise = MeasureStepwise(*line, rect);
    EXPECT_EQ(MeasureLine(*line, rect).extent, stepwise.extent);
    line->InsertByte(0, '\t');
    stepwise = MeasureStepwise(*line, rect);
    EXPECT_EQ(MeasureLine(*line, rect).extent, stepwise.extent);
}
