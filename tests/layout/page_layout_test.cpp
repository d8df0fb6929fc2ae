#include "layout/page_layout.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Page = std::vector<std::string>;
using Pages = std::vector<Page>;

class PageLayout : public ::testing::Test {
protected:
    void SetUp() override { ResetEditor(); }

    void TearDown() override
    {
        DestroyLines(lines);
        ResetEditor();
    }

    void Document(const std::vector<std::string>& texts)
    {
        DestroyLines(lines);
        lines = MakeLines(texts);
    }

    TextPlace At(int index, int pos) { return TextPlace{LineAt(lines, index), index, pos}; }

    // Each page as the text of its rows, top to bottom, each row's printed characters found by
    // walking the piece's line at the page's width as printing draws it. A row the page leaves
    // empty between pieces would show as a missing row number.
    Pages Print(int width, int rows, const PrintSpan& span)
    {
        PageFrame frame = {width, rows};
        PageWalk walk(frame, span);
        Pages pages;
        while (walk.NextPage()) {
            EXPECT_EQ(static_cast<int>(pages.size()) + 1, walk.number);
            Page page;
            PagePiece piece;
            while (walk.NextPiece(&piece)) {
                EXPECT_EQ(static_cast<int>(page.size()), piece.top);
                std::vector<std::string> texts(piece.endRow);
                RowWalk row(*piece.line, 0, 0, RowWalk::WrapAt{PageWrapWidth(width)});
                while (row.Step()) {
                    if (row.charPos >= piece.from && row.charPos < piece.to && !row.charIsTab &&
                        row.charY / RowHeight() < piece.endRow)
                        texts[row.charY / RowHeight()] += std::string(piece.line->text + row.charPos, row.charBytes);
                }
                for (int r = piece.firstRow; r < piece.endRow; ++r)
                    page.push_back(texts[r]);
            }
            EXPECT_LE(static_cast<int>(page.size()), rows);
            pages.push_back(page);
        }
        EXPECT_EQ(static_cast<int>(pages.size()), CountPages(frame, span));
        return pages;
    }

    Pages PrintAll(int width, int rows) { return Print(width, rows, WholeDocument(lines)); }

    TextLine* lines = nullptr;
};

}

TEST_F(PageLayout, RowsFillEachPageFromTheTopAndTheLastPageTakesWhatIsLeft)
{
    Document({"one", "two", "three", "four", "five", "six", "seven"});
    EXPECT_EQ(PrintAll(700, 3), (Pages{{"one", "two", "three"}, {"four", "five", "six"}, {"seven"}}));
    EXPECT_EQ(PrintAll(700, 7), (Pages{{"one", "two", "three", "four", "five", "six", "seven"}}));
    EXPECT_EQ(PrintAll(700, 1).size(), 7u);
}

TEST_F(PageLayout, AnEmptyDocumentPrintsOneEmptyPageAndEmptyLinesKeepTheirRows)
{
    Document({""});
    EXPECT_EQ(PrintAll(700, 3), (Pages{{""}}));
    Document({"a", "", "", "b"});
    EXPECT_EQ(PrintAll(700, 3), (Pages{{"a", "", ""}, {"b"}}));
}

TEST_F(PageLayout, LinesWrapAtThePrintableWidthWhateverTheWindowDoes)
{
    // 38 px hold five whole cells of 7 px; the screen leaves lines unwrapped.
    WrapMode = -1;
    Document({"abcdefghijkl", "xy"});
    EXPECT_EQ(PrintAll(38, 10), (Pages{{"abcde", "fghij", "kl", "xy"}}));
    WrapMode = 80;
    EXPECT_EQ(PrintAll(38, 10), (Pages{{"abcde", "fghij", "kl", "xy"}}));
    // A page narrower than two cells still puts a character on every row.
    EXPECT_EQ(PageWrapWidth(3), 14);
    EXPECT_EQ(PrintAll(3, 10).front().front(), "ab");
}

TEST_F(PageLayout, TabsAndDoubleByteCharactersWrapAsOnTheScreen)
{
    // "ア" (0x83 0x41) takes two cells and does not fit in the fifth; a tab past the edge starts a
    // row of its own, and its stop is counted there.
    Document({"abcd\x83\x41xy", "abcd\tX", "a\tb"});
    EXPECT_EQ(PrintAll(35, 10), (Pages{{"abcd", "\x83\x41xy", "abcd", "X", "ab"}}));
    SetDocumentCode(CodeUtf8);
    Document({"\xe3\x81\x82\xe3\x81\x84\xe3\x81\x86"});
    EXPECT_EQ(PrintAll(35, 10), (Pages{{"\xe3\x81\x82\xe3\x81\x84", "\xe3\x81\x86"}}));
}

TEST_F(PageLayout, ALineLongerThanWhatIsLeftOfAPageGoesOnOnTheNext)
{
    Document({"top", "abcdefghijklmnopq", "end"});
    EXPECT_EQ(PrintAll(35, 2), (Pages{{"top", "abcde"}, {"fghij", "klmno"}, {"pq", "end"}}));
    EXPECT_EQ(PrintAll(35, 3), (Pages{{"top", "abcde", "fghij"}, {"klmno", "pq", "end"}}));
}

TEST_F(PageLayout, ASelectionPrintsTheRowsOfItsCharactersAndNothingElse)
{
    Document({"abcdefghijkl", "", "xyz", "after"});
    EXPECT_EQ(Print(35, 10, PrintSpan{At(0, 6), At(2, 2)}), (Pages{{"ghij", "kl", "", "xy"}}));
    // Ending at the start of a line leaves that line out; starting at the end of one too.
    EXPECT_EQ(Print(35, 10, PrintSpan{At(0, 12), At(3, 0)}), (Pages{{"", "xyz"}}));
    EXPECT_EQ(Print(35, 2, PrintSpan{At(0, 1), At(0, 11)}), (Pages{{"bcde", "fghij"}, {"k"}}));
    EXPECT_EQ(Print(35, 10, PrintSpan{At(2, 1), At(2, 2)}), (Pages{{"y"}}));
}

TEST_F(PageLayout, APageRangeIsClampedToThePagesThereAre)
{
    PageRange range;
    EXPECT_TRUE(ChoosePages(10, 3, 5, &range));
    EXPECT_EQ(range.first, 3);
    EXPECT_EQ(range.last, 5);
    EXPECT_TRUE(ChoosePages(10, 8, 50, &range));
    EXPECT_EQ(range.last, 10);
    EXPECT_TRUE(ChoosePages(10, 0, 0, &range));
    EXPECT_EQ(range.first, 1);
    EXPECT_EQ(range.last, 10);
    EXPECT_FALSE(ChoosePages(10, 11, 12, &range));
    EXPECT_FALSE(ChoosePages(10, 6, 4, &range));
}

TEST_F(PageLayout, AThousandPagesAreCountedLineByLine)
{
    std::vector<std::string> texts(30000, "\x93\xfa\x96\x7b\x8c\xea\tabcdefghijklmnopqrstuvwxyz0123456789");
    Document(texts);
    PageFrame frame = {280, 60};
    // 40 cells: each line takes two rows.
    EXPECT_EQ(CountPages(frame, WholeDocument(lines)), 1000);
}
