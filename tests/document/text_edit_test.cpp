#include "document/text_edit.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class TextEdit : public ::testing::Test {
protected:
    void SetUp() override { ResetEditor(); }
    void TearDown() override { ResetEditor(); }

    void Document(const Lines& texts)
    {
        DestroyLines(View.firstLine);
        View.firstLine = View.topLine = View.caret.line = MakeLines(texts);
        View.topLineIndex = View.caret.lineIndex = 0;
        View.topRow = 1;
        for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
            line->rowCount = 1;
    }

    TextPlace Place(int index, int pos) { return TextPlace{::LineAt(View.firstLine, index), index, pos}; }

    bool Replace(int fromLine, int fromPos, int toLine, int toPos, const std::string& bytes)
    {
        return ReplaceBytes(Place(fromLine, fromPos), Place(toLine, toPos), bytes.data(),
                            static_cast<int>(bytes.size()), &end, &change);
    }

    TextPlace end = {};
    EditChange change = {};
};

TEST_F(TextEdit, ARangeIsReplacedByBytesWhoseBreaksMakeLines)
{
    struct Row {
        Lines before;
        int fromLine, fromPos, toLine, toPos;
        std::string bytes;
        Lines after;
        int endLine, endPos, removed, added;
    };
    const Row rows[] = {
        {{"abcdef"}, 0, 2, 0, 4, "XY", {"abXYef"}, 0, 4, 0, 0},
        {{"abc"}, 0, 3, 0, 3, "", {"abc"}, 0, 3, 0, 0},
        {{"abc", "def", "ghi"}, 0, 1, 2, 2, "", {"ai"}, 0, 1, 2, 0},
        {{"abc", "def"}, 0, 3, 1, 0, "", {"abcdef"}, 0, 3, 1, 0},
        {{"abc"}, 0, 1, 0, 2, "1\r\n2\r3\n4", {"a1", "2", "3", "4c"}, 3, 1, 0, 3},
        {{"abc", "def"}, 0, 1, 1, 1, "X\n", {"aX", "ef"}, 1, 0, 1, 1},
        {{"ab"}, 0, 2, 0, 2, std::string("\0\r\n", 3), {"ab*", ""}, 1, 0, 0, 1},
        {{"a", "b", "c", "d"}, 1, 0, 2, 1, "\n\n", {"a", "", "", "", "d"}, 3, 0, 1, 2},
    };
    for (const Row& row : rows) {
        Document(row.before);
        ASSERT_TRUE(Replace(row.fromLine, row.fromPos, row.toLine, row.toPos, row.bytes));
        EXPECT_EQ(LinesOf(View.firstLine), row.after) << row.bytes;
        EXPECT_EQ(end.line, ::LineAt(View.firstLine, row.endLine));
        EXPECT_EQ(end.lineIndex, row.endLine);
        EXPECT_EQ(end.pos, row.endPos);
        EXPECT_EQ(change.first, ::LineAt(View.firstLine, row.fromLine));
        EXPECT_EQ(change.linesRemoved, row.removed);
        EXPECT_EQ(change.linesAdded, row.added);
        EXPECT_EQ(change.rowsRemoved, row.removed + 1);
    }
}

TEST_F(TextEdit, ATopLineThatGoesGivesWayToTheFirstLineOfTheChange)
{
    Document({"a", "b", "c", "d", "e"});
    View.topLine = ::LineAt(View.firstLine, 3);
    View.topLineIndex = 3;
    View.topRow = 1;
    ASSERT_TRUE(Replace(1, 0, 4, 0, ""));
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a", "e"}));
    EXPECT_EQ(View.topLine, View.firstLine->next);
    EXPECT_TRUE(change.topRemoved);
    // Lines 1 and 2 lay above the old top: their rows are what the view scrolled past.
    EXPECT_EQ(change.rowsBeforeTop, 2);
    EXPECT_EQ(change.rowsRemoved, 4);
}

#ifndef _WIN32
// Each allocation in turn fails; whichever it is, the document stays as it was.
TEST_F(TextEdit, AnEditThatCannotGetMemoryChangesNothing)
{
    const Lines before = {"first line", "second", std::string(300, 'x')};
    std::string bytes = "new\r\nlines\r\n" + std::string(500, 'y') + "\nend";
    bool done = false;
    for (int failing = 1; !done && failing < 50; ++failing) {
        ResetTestHooks();
        Document(before);
        FailAllocationNumber(failing);
        done = Replace(0, 5, 2, 100, bytes);
        if (!done) {
            EXPECT_EQ(LinesOf(View.firstLine), before) << "allocation " << failing;
            EXPECT_EQ(LastSystemError(), OutOfMemoryError);
        }
    }
    ResetTestHooks();
    ASSERT_TRUE(done);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"firstnew", "lines", std::string(500, 'y'), "end" + std::string(200, 'x')}));
}

// A large paste or undo makes its lines in an arena, as reading a file does; without its chunks
// the edit fails whole, and what it made goes back.
TEST_F(TextEdit, ManyLinesAtOnceComeFromChunksAndFailWholeWithoutThem)
{
    Lines pasted;
    std::string bytes = "head";
    for (int i = 0; i < 30000; ++i) {
        pasted.push_back(std::to_string(i) + std::string(static_cast<size_t>(i % 41), 'p'));
        bytes += "\r\n" + pasted.back();
    }
    const Lines before = {"ab", "cd"};
    const long chunksBefore = ChunkBytesInUse();
    for (long room : {0L, 64L * 1024, 960L * 1024}) {
        Document(before);
        LimitChunkBytes(chunksBefore + room);
        SetSystemError(0);
        EXPECT_FALSE(Replace(0, 1, 1, 1, bytes)) << room;
        EXPECT_EQ(LastSystemError(), OutOfMemoryError);
        EXPECT_EQ(LinesOf(View.firstLine), before);
        EXPECT_EQ(ChunkBytesInUse(), chunksBefore);
        ResetTestHooks();
    }
    Document(before);
    ASSERT_TRUE(Replace(0, 1, 1, 1, bytes));
    EXPECT_GT(ChunkBytesInUse(), chunksBefore);
    Lines after = {"ahead"};
    after.insert(after.end(), pasted.begin(), pasted.end());
    after.back() += "d";
    EXPECT_EQ(LinesOf(View.firstLine), after);
    EXPECT_EQ(change.linesAdded, 30000);
    EXPECT_EQ(end.lineIndex, 30000);
    // The lines read as a file's do: exactly their bytes until an edit needs more.
    TextLine* second = View.firstLine->next;
    EXPECT_EQ(second->Capacity(), second->length + 1);
    ASSERT_TRUE(second->AppendBytes("grown", 5));
    EXPECT_EQ(std::string(second->text, static_cast<size_t>(second->length)), pasted[0] + "grown");
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    EXPECT_EQ(ChunkBytesInUse(), chunksBefore);
}
#endif

TEST_F(TextEdit, CopiesJoinLinesWithTheBreakAskedFor)
{
    Document({"abc", "", "def"});
    std::string out = ">";
    ASSERT_TRUE(CopyBytes(Place(0, 1), Place(2, 2), "\r\n", &out));
    EXPECT_EQ(out, ">bc\r\n\r\nde");
    out.clear();
    ASSERT_TRUE(CopyBytes(Place(2, 1), Place(2, 1), "\n", &out));
    EXPECT_EQ(out, "");
}

TEST_F(TextEdit, LinesAreFoundByNumberFromTheNearestKnownLine)
{
    Document({"0", "1", "2", "3", "4", "5"});
    EXPECT_EQ(LineAtIndex(4), ::LineAt(View.firstLine, 4));
    View.caret.line = ::LineAt(View.firstLine, 5);
    View.caret.lineIndex = 5;
    EXPECT_EQ(LineAtIndex(3), ::LineAt(View.firstLine, 3));
    EXPECT_EQ(LineAtIndex(0), View.firstLine);
    EXPECT_EQ(LineAtIndex(6), nullptr);
}

}
