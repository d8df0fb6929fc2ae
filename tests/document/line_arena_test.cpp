#include "document/line_arena.h"
#include "document/text_edit.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

typedef std::vector<std::string> Lines;

// Lines as reading a file makes them: records and bytes in the arena.
TextLine* ArenaLines(LineArena& arena, const Lines& texts)
{
    TextLine* first = nullptr;
    TextLine* last = nullptr;
    for (const std::string& text : texts) {
        TextLine* line = arena.NewLine();
        if (line == nullptr || !arena.GiveBytes(*line, text.data(), static_cast<int>(text.size())))
            ADD_FAILURE() << "no room in the arena";
        if (line == nullptr)
            break;
        if (last == nullptr)
            first = line;
        else
            last->InsertAfter(line);
        last = line;
    }
    return first;
}

bool Whole(const TextLine* first)
{
    const TextLine* previous = nullptr;
    for (const TextLine* line = first; line != nullptr; line = line->next) {
        if (line->prev != previous || line->text[line->length] != 0 || line->length >= line->Capacity())
            return false;
        previous = line;
    }
    return true;
}

TextPlace At(TextLine* first, int index, int pos)
{
    TextPlace place = {LineAt(first, index), index, pos};
    return place;
}

// Replaces from (index, pos) to (toIndex, toPos) with bytes, as the editing does.
bool Edit(TextLine* first, int index, int pos, int toIndex, int toPos, const std::string& bytes)
{
    TextPlace end;
    EditChange change;
    return ReplaceBytes(At(first, index, pos), At(first, toIndex, toPos), bytes.data(), static_cast<int>(bytes.size()),
                        &end, &change);
}

class LineArenaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
#ifndef _WIN32
        chunksBefore = ChunkBytesInUse();
#endif
    }

    void TearDown() override
    {
#ifndef _WIN32
        EXPECT_EQ(ChunkBytesInUse(), chunksBefore) << "every chunk goes with its last line";
#endif
        ResetEditor();
    }

    long chunksBefore = 0;
};

}

TEST_F(LineArenaTest, ALineReadHoldsExactlyItsBytesUntilAWriteNeedsMore)
{
    LineArena arena;
    TextLine* first = ArenaLines(arena, {"abcdef", "", std::string("x\0y", 3)});
    TextLine* empty = first->next;
    TextLine* starred = empty->next;
    EXPECT_EQ(LinesOf(first), (Lines{"abcdef", "", "x*y"}));
    EXPECT_EQ(first->Capacity(), 7);
    EXPECT_EQ(empty->Capacity(), 1);
    EXPECT_EQ(starred->Capacity(), 4);
    EXPECT_TRUE(Whole(first));

    // Writes that fit are made where the bytes are.
    const char* inArena = first->text;
    ASSERT_TRUE(InArena(inArena));
    ASSERT_TRUE(first->Replace(1, 2, "Z", 1));
    ASSERT_TRUE(first->SetText("Zde", 3));
    EXPECT_EQ(first->text, inArena);
    EXPECT_EQ(LinesOf(first)[0], "Zde");

    // The first write that needs more moves the line to a block of exactly that, the next grows
    // it by the usual 200 bytes over its room.
    ASSERT_TRUE(first->InsertByte(3, 'f'));
    EXPECT_NE(first->text, inArena);
    EXPECT_FALSE(InArena(first->text));
    const int moved = first->Capacity();
    EXPECT_GE(moved, 5);
    EXPECT_LT(moved, 200);
    ASSERT_TRUE(first->AppendBytes("gh", 2));
    EXPECT_GE(first->Capacity(), moved + 200);
    ASSERT_TRUE(empty->AppendByte('e'));
    ASSERT_TRUE(starred->InsertByte(0, 0));
    EXPECT_EQ(LinesOf(first), (Lines{"Zdefgh", "e", "*x*y"}));
    EXPECT_TRUE(Whole(first));
    DestroyLines(first);
}

TEST_F(LineArenaTest, ReadLinesAreSplitJoinedAndDeletedLikeAnyOther)
{
    LineArena arena;
    TextLine* first = ArenaLines(arena, {"first line", "second", "third", "fourth", "fifth"});
    const char* head = first->text;

    ASSERT_TRUE(Edit(first, 0, 5, 0, 5, "\r\n"));
    EXPECT_EQ(LinesOf(first), (Lines{"first", " line", "second", "third", "fourth", "fifth"}));
    EXPECT_EQ(first->text, head) << "the head of a split keeps its bytes where they were";

    // Joining needs more room than either line read: both kinds of record go.
    ASSERT_TRUE(Edit(first, 2, 6, 3, 0, ""));
    ASSERT_TRUE(Edit(first, 0, 5, 1, 0, ""));
    EXPECT_EQ(LinesOf(first), (Lines{"first line", "secondthird", "fourth", "fifth"}));
    EXPECT_FALSE(InArena(first->text));

    // Lines that go whole, and a paste that makes lines among read ones.
    ASSERT_TRUE(Edit(first, 1, 0, 3, 0, ""));
    ASSERT_TRUE(Edit(first, 1, 2, 1, 2, "new\r\nlines\r\n"));
    EXPECT_EQ(LinesOf(first), (Lines{"first line", "finew", "lines", "fth"}));
    EXPECT_TRUE(Whole(first));
    TextLine* last = LineAt(first, 3);
    last->prev->next = nullptr;
    delete last;
    EXPECT_EQ(LinesOf(first), (Lines{"first line", "finew", "lines"}));
    DestroyLines(first);
}

TEST_F(LineArenaTest, LinesMadeBeyondAChunkTakeTheNextOneAndLongLinesTheirOwnRoom)
{
    LineArena arena;
    Lines texts;
    for (int i = 0; i < 20000; ++i)
        texts.push_back(std::string(static_cast<size_t>(i % 90), static_cast<char>('a' + i % 26)));
    texts.push_back(std::string(300 * 1024, 'L'));
    texts.push_back(std::string(MaxArenaLine + 1, 'M'));
    texts.push_back("after");
    TextLine* first = ArenaLines(arena, texts);
    EXPECT_EQ(LinesOf(first), texts);
    EXPECT_TRUE(Whole(first));
    DestroyLines(first);
}

#ifndef _WIN32
TEST_F(LineArenaTest, AChunkGoesOnlyWithTheLastRecordAndBytesInIt)
{
    TextLine* a;
    TextLine* b;
    TextLine* own = new TextLine;
    {
        LineArena arena;
        a = ArenaLines(arena, {"aaa", "bbb"});
        b = a->next;
        a->next = b->prev = nullptr;
        // Bytes read into a line that is not the arena's, as the loader gives them to the
        // document's first line.
        ASSERT_TRUE(arena.GiveBytes(*own, "own", 3));
    }
    const long held = ChunkBytesInUse();
    EXPECT_GT(held, chunksBefore);
    delete a;
    delete b;
    EXPECT_EQ(ChunkBytesInUse(), held) << "the line of another record still holds bytes in it";
    ASSERT_TRUE(own->AppendByte('!'));
    EXPECT_EQ(ChunkBytesInUse(), chunksBefore);
    EXPECT_EQ(std::string(own->text), "own!");
    delete own;
}

TEST_F(LineArenaTest, WithoutAChunkNoLineIsMadeAndNoLineChanges)
{
    LineArena arena;
    TextLine* first = ArenaLines(arena, {"kept"});
    // The first chunk has room for many more records but not for a line of 200 KB.
    LimitChunkBytes(ChunkBytesInUse());
    TextLine* more = arena.NewLine();
    ASSERT_NE(more, nullptr);
    first->InsertAfter(more);
    std::string big(200 * 1024, 'b');
    SetSystemError(0);
    EXPECT_FALSE(arena.GiveBytes(*more, big.data(), static_cast<int>(big.size())));
    EXPECT_EQ(LastSystemError(), OutOfMemoryError);
    EXPECT_EQ(LinesOf(first), (Lines{"kept", ""}));

    TextLine* made = nullptr;
    int count = 0;
    while ((made = arena.NewLine()) != nullptr && count < 100000) {
        more->InsertAfter(made);
        ++count;
    }
    EXPECT_EQ(made, nullptr);
    EXPECT_GT(count, 100);
    EXPECT_EQ(LastSystemError(), OutOfMemoryError);
    EXPECT_TRUE(Whole(first));
    ResetTestHooks();
    DestroyLines(first);
}
#endif
