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

Strings WalkSteps(const TextLine& line)
{
    RowWalk walk(line, 0, 0, View.clientWidth);
    Strings steps;
    while (walk.Step()) {
        steps.push_back(std::to_string(walk.charPos) + ":" + std::to_string(walk.charBytes) + "@" +
                        std::to_string(walk.charX) + "," + std::to_string(walk.charY) + "+" +
                        std::to_string(walk.charWidth) + (walk.startedRow ? "/" : ""));
    }
    return steps;
}

}

TEST_F(RowLayout, Utf8CharactersTakeTheCellsTheyWouldHaveInShiftJis)
{
    SetDocumentCode(CodeUtf8);
    // a, あ, 𠮷 (not in Shift-JIS, wide), é (ambiguous, so wide), half-width ｱ, e with a combining
    // acute, a byte that is no character, a tab, b.
    Line(-1, "a\xe3\x81\x82\xf0\xa0\xae\xb7\xc3\xa9\xef\xbd\xb1" "e\xcc\x81\xff\tb");
    EXPECT_EQ(WalkSteps(*line), (Strings{"0:1@0,0+7", "1:3@7,0+14", "4:4@21,0+14", "8:2@35,0+14", "10:3@49,0+7",
                                        "13:3@56,0+7", "16:1@63,0+7", "17:1@70,0+14", "18:1@84,0+7"}));
    EXPECT_EQ(Points({1, 4, 8, 10, 13, 16, 17, 18, 19}),
              (Strings{"7,0", "21,0", "35,0", "49,0", "56,0", "63,0", "70,0", "84,0", "91,0"}));
    // Inside a character a position has no point, as in a double-byte one.
    EXPECT_EQ(Points({2, 6, 14}), (Strings{"0,0", "0,0", "0,0"}));
    EXPECT_EQ(Hits({{7, 0}, {20, 0}, {21, 0}, {60, 0}, {64, 0}, {75, 0}, {200, 0}}), (Ints{1, 1, 4, 13, 16, 17, 19}));
    EXPECT_EQ(PointToBoundary(*line, 13, 0), 1);
    EXPECT_EQ(PointToBoundary(*line, 14, 0), 4);
    EXPECT_EQ(Measure(), (Ints{91, 1, 1}));
}

TEST_F(RowLayout, EucJpKanaTakeOneCellAndJisX0212CharactersTwo)
{
    SetDocumentCode(CodeEucJp);
    // a, あ, half-width ｱ, a JIS X 0212 kanji, a single shift that starts no character, a tab, b.
    Line(-1, "a\xa4\xa2\x8e\xb1\x8f\xb0\xa1\x8e\tb");
    EXPECT_EQ(WalkSteps(*line), (Strings{"0:1@0,0+7", "1:2@7,0+14", "3:2@21,0+7", "5:3@28,0+14", "8:1@42,0+7",
                                        "9:1@49,0+7", "10:1@56,0+7"}));
    EXPECT_EQ(Hits({{22, 0}, {30, 0}, {43, 0}}), (Ints{3, 5, 8}));
    EXPECT_EQ(Points({4, 6, 7}), (Strings{"0,0", "0,0", "0,0"}));
}

TEST_F(RowLayout, WrappingAtTheWindowNeverSplitsAWideCharacter)
{
    View.clientWidth = 35;
    SetDocumentCode(CodeUtf8);
    Line(0, "abcd\xf0\xa0\xae\xb7" "e\xcc\x81\xcc\x82" "fg");
    EXPECT_EQ(WalkSteps(*line),
              (Strings{"0:1@0,0+7", "1:1@7,0+7", "2:1@14,0+7", "3:1@21,0+7", "4:4@0,14+14/", "8:5@14,14+7",
                       "13:1@21,14+7", "14:1@28,14+7"}));
    EXPECT_EQ(Measure(1000, 35), (Ints{35, 2, 2}));
    // The rest of the first row, right of d, belongs to d's row: the last boundary there is 4.
    EXPECT_EQ(Hits({{30, 0}, {0, 14}, {15, 14}, {35, 14}}), (Ints{4, 4, 8, 15}));
    SetDocumentCode(CodeEucJp);
    Line(0, "abc\x8e\xb1\xa4\xa2\x8f\xb0\xa1");
    EXPECT_EQ(WalkSteps(*line), (Strings{"0:1@0,0+7", "1:1@7,0+7", "2:1@14,0+7", "3:2@21,0+7", "5:2@0,14+14/",
                                        "7:3@14,14+14"}));
}

TEST_F(RowLayout, CharacterStepsFollowTheDocumentsCode)
{
    SetDocumentCode(CodeUtf8);
    Line(-1, "e\xcc\x81\xff\xed\xa0\x80\xe3\x81\x82");
    Ints forward;
    for (int pos = 0; pos >= 0; pos = NextCharPos(*line, pos))
        forward.push_back(pos);
    EXPECT_EQ(forward, (Ints{0, 3, 4, 7, 10}));
    Ints back;
    for (int pos = line->length; pos >= 0; pos = PrevCharPos(*line, pos))
        back.push_back(pos);
    EXPECT_EQ(back, (Ints{10, 7, 4, 3, 0}));
    // The same bytes as Shift-JIS pair up otherwise.
    SetDocumentCode(CodeShiftJis);
    EXPECT_EQ(NextCharPos(*line, 1), 2);
    EXPECT_EQ(NextCharPos(*line, 4), 6);
}

namespace {

// Bytes that exercise every rule of the walk in the document's code. Shift-JIS: tabs, lead bytes
// (which pair with whatever follows, a tab or another lead included), trail bytes that look like
// leads, and 0x5C. UTF-8 and EUC-JP: characters of one to four bytes and one or two cells,
// combining marks, and bytes that are no character or cut one short.
std::string RandomLine(std::mt19937& random, int length)
{
    static const std::vector<std::string> shiftJis = {"a", "b", "\t", "\x82", "\xa0", "\x95", "\x5c", "\x81", "\xe0", " "};
    static const std::vector<std::string> utf8 = {"a", "\t", " ", "\xe3\x81\x82", "\xf0\xa0\xae\xb7", "\xc3\xa9",
                                                  "\xef\xbd\xb1", "\xcc\x81", "\xff", "\xe3", "\x81", "\xed\xa0\x80"};
    static const std::vector<std::string> eucJp = {"a", "\t", " ", "\xa4\xa2", "\x8e\xb1", "\x8f\xb0\xa1",
                                                   "\x8e", "\x8f", "\xa4", "\xfe", "\x80"};
    const std::vector<std::string>& pieces = View.code == CodeUtf8 ? utf8 : View.code == CodeEucJp ? eucJp : shiftJis;
    std::string bytes;
    while (static_cast<int>(bytes.size()) < length)
        bytes += pieces[random() % pieces.size()];
    return bytes;
}

const TextCode HeldCodes[] = {CodeShiftJis, CodeUtf8, CodeEucJp};

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
    for (int round = 0; round < 6000; ++round) {
        SetDocumentCode(HeldCodes[round % 3]);
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
        ASSERT_EQ(placed, stepped) << "round " << round << " in " << TextCodeName(View.code);
        ASSERT_EQ(State(run), State(steps)) << "round " << round << " end " << end << " maxX " << maxX << " in "
                                            << TextCodeName(View.code);
    }
}

TEST_F(RowLayout, MeasuringByRunsGivesWhatMeasuringStepByStepGives)
{
    std::mt19937 random(7);
    const int modes[] = {-1, 0, 1, 4, 10};
    for (int round = 0; round < 6000; ++round) {
        SetDocumentCode(HeldCodes[round % 3]);
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
    for (int round = 0; round < 1200; ++round) {
        SetDocumentCode(HeldCodes[round % 3]);
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
    for (TextCode code : HeldCodes) {
        SetDocumentCode(code);
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
            ASSERT_EQ(pointAt(target), stepwiseAt(target)) << "round " << round << " in " << TextCodeName(code);
        }
        LayoutRect rect = {0, 0, 100, 100};
        LineMeasure stepwise = MeasureStepwise(*line, rect);
        EXPECT_EQ(MeasureLine(*line, rect).extent, stepwise.extent);
        line->InsertByte(0, '\t');
        stepwise = MeasureStepwise(*line, rect);
        EXPECT_EQ(MeasureLine(*line, rect).extent, stepwise.extent);
    }
}

namespace {

struct CellSize {
    int width;
    int height;
};

// The rules above again, written in cells and rows, for cells of other sizes than 7 x 14: nothing
// in the walk may assume one, nor that a row is two cells high.
class RowLayoutInCells : public RowLayout, public ::testing::WithParamInterface<CellSize> {
protected:
    void SetUp() override
    {
        RowLayout::SetUp();
        CellWidth = GetParam().width;
        CellHeight = GetParam().height;
        View.clientWidth = 30 * CellWidth;
    }

    // Where pos lies, in whole cells and rows; a point between cells shows as -1.
    std::string Cell(int pos)
    {
        LayoutPoint point = PosToPoint(*line, pos);
        int column = point.x % CellWidth == 0 ? point.x / CellWidth : -1;
        int row = point.y % RowHeight() == 0 ? point.y / RowHeight() : -1;
        return std::to_string(column) + "," + std::to_string(row);
    }

    int Hit(int column, int pixels, int row) { return PointToPos(*line, column * CellWidth + pixels, row * RowHeight()); }
};

}

TEST_P(RowLayoutInCells, CharactersTabsAndWrappingAreCountedInCellsAndRows)
{
    const int c = CellWidth;
    ASSERT_EQ(RowHeight(), CellHeight);

    Line(10, "abc\tdefghijk");
    LayoutRect rect = {0, 0, 30 * c, 1000 * RowHeight()};
    LineMeasure measure = MeasureLine(*line, rect);
    EXPECT_EQ(measure.extent, 10 * c);
    EXPECT_EQ(line->rowCount, 2);
    EXPECT_EQ(Cell(3), "3,0");
    EXPECT_EQ(Cell(4), "4,0") << "the tab runs to the stop after four cells";
    EXPECT_EQ(Cell(11), "1,1");
    EXPECT_EQ(Hit(1, 0, 1), 11);
    EXPECT_EQ(Hit(3, c / 2 - (c % 2 == 0 ? 1 : 0), 0), 3) << "the left half of the tab";

    // A double-byte character takes two cells and goes to the next row whole.
    Line(10, "abcdefghi\x82\xa0z");
    EXPECT_EQ(Cell(9), "9,0");
    EXPECT_EQ(Cell(11), "2,1");
    EXPECT_EQ(Cell(12), "3,1");
    EXPECT_EQ(Hit(0, 1, 1), 9);
    EXPECT_EQ(Hit(2, 0, 1), 11) << "the wide character's far end";

    // Tabs of eight cells.
    TabWidth = 8;
    Line(-1, "ab\tc\x95\x5c\td");
    EXPECT_EQ(Cell(3), "8,0");
    EXPECT_EQ(Cell(6), "11,0");
    EXPECT_EQ(Cell(7), "16,0");
    EXPECT_EQ(Cell(8), "17,0");

    // At the window's edge: a row holds as many whole cells as fit in the width.
    View.clientWidth = 5 * c + c / 2;
    Line(0, "abcdefg\x82\xa0");
    rect.right = View.clientWidth;
    MeasureLine(*line, rect);
    EXPECT_EQ(line->rowCount, 2);
    EXPECT_EQ(Cell(5), "5,0");
    EXPECT_EQ(Cell(6), "1,1");
    EXPECT_EQ(Cell(9), "4,1");

    // Rows are counted down to the bottom of the rectangle given in pixels: one more once a row
    // starts above it.
    Line(1, "0123456789");
    rect.right = 30 * c;
    rect.bottom = 2 * RowHeight() + 1;
    MeasureLine(*line, rect);
    EXPECT_EQ(line->rowCount, 4);
    rect.bottom = 2 * RowHeight();
    MeasureLine(*line, rect);
    EXPECT_EQ(line->rowCount, 3);
}

INSTANTIATE_TEST_SUITE_P(CellSizes, RowLayoutInCells,
                         ::testing::Values(CellSize{7, 14}, CellSize{9, 19}, CellSize{6, 13}, CellSize{12, 16}),
                         [](const ::testing::TestParamInfo<CellSize>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });
