#include "document/text_line.h"
#include "platform/platform.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <cstring>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

std::string TextOf(const TextLine& line)
{
    return std::string(line.text, static_cast<size_t>(line.length));
}

void ExpectTerminated(const TextLine& line)
{
    ASSERT_NE(line.text, nullptr);
    EXPECT_LT(line.length, line.capacity);
    EXPECT_EQ(line.text[line.length], 0);
    EXPECT_EQ(std::strlen(line.text), static_cast<size_t>(line.length));
}

}

TEST(TextLine, NewLineIsEmptyUnlinkedAndHasRoom)
{
    TextLine line;
    EXPECT_EQ(line.length, 0);
    EXPECT_STREQ(line.text, "");
    EXPECT_GE(line.capacity, 200);
    EXPECT_EQ(line.rowCount, 0);
    EXPECT_EQ(line.prev, nullptr);
    EXPECT_EQ(line.next, nullptr);
}

TEST(TextLine, InsertingAndAppendingKeepTheTerminatorAndStoreZeroAsStar)
{
    TextLine line;
    for (const char* p = "abcdefghij"; *p; ++p)
        line.AppendByte(*p);
    line.InsertByte(3, 'X');
    EXPECT_EQ(TextOf(line), "abcXdefghij");
    EXPECT_EQ(line.length, 11);
    EXPECT_EQ(line.text[11], 0);

    line.InsertByte(0, 0);
    line.AppendByte(0);
    EXPECT_EQ(TextOf(line), "*abcXdefghij*");

    TextLine appended;
    TextLine inserted;
    for (const char* p = "\x82\xa0z"; *p; ++p) {
        appended.AppendByte(*p);
        inserted.InsertByte(inserted.length, *p);
    }
    EXPECT_EQ(TextOf(appended), TextOf(inserted));
    ExpectTerminated(line);
    ExpectTerminated(appended);
}

TEST(TextLine, GrowsByTwoHundredOverItsCapacityKeepingItsBytes)
{
    // Blocks report exactly what was asked for in the native build, and under Windows when the
    // heap does the same; the rule is checked against whatever the first block reports.
    TextLine line;
    const int first = line.capacity;
    std::string expected;
    for (int i = 0; i < first - 1; ++i) {
        char b = static_cast<char>('a' + i % 26);
        line.AppendByte(b);
        expected += b;
    }
    EXPECT_EQ(line.capacity, first) << "the first block holds capacity - 1 bytes";
    line.AppendByte('!');
    expected += '!';
    EXPECT_GE(line.capacity, first + 200);
    EXPECT_EQ(TextOf(line), expected);
    ExpectTerminated(line);
}

#ifndef _WIN32
TEST(TextLine, GrowthBoundariesWhenBlocksAreExactlyTheSizeAsked)
{
    ResetTestHooks();
    TextLine line;
    EXPECT_EQ(line.capacity, 200);
    for (int i = 0; i < 199; ++i)
        line.AppendByte('a');
    EXPECT_EQ(line.capacity, 200);
    line.AppendByte('b');
    EXPECT_EQ(line.capacity, 400);
    for (int i = 200; i < 399; ++i)
        line.AppendByte('c');
    EXPECT_EQ(line.capacity, 400);
    line.AppendByte('d');
    EXPECT_EQ(line.capacity, 600);
    EXPECT_EQ(line.length, 400);
    EXPECT_EQ(line.text[199], 'b');
    EXPECT_EQ(line.text[399], 'd');
}

TEST(TextLine, CapacityIsWhatTheSystemReportsNotWhatWasAsked)
{
    ResetTestHooks();
    SetBlockSlack(16);
    TextLine line;
    EXPECT_EQ(line.capacity, 216);
    for (int i = 0; i < 215; ++i)
        line.AppendByte('a');
    EXPECT_EQ(line.capacity, 216);
    line.AppendByte('a');
    EXPECT_EQ(line.capacity, 432);
    ResetTestHooks();
}

TEST(TextLine, AFailedGrowthDropsTheByteAndReportsOnce)
{
    ResetTestHooks();
    TextLine line;
    for (int i = 0; i < 199; ++i)
        line.AppendByte('a');
    FailAllocationsAfter(0);
    line.AppendByte('b');
    line.InsertByte(5, 'c');
    EXPECT_EQ(line.length, 199);
    EXPECT_EQ(line.capacity, 200);
    EXPECT_EQ(TextOf(line), std::string(199, 'a'));
    EXPECT_EQ(SystemErrorCount(), 2);

    std::string big(300, 'x');
    line.SetText(big.data(), 300);
    EXPECT_EQ(TextOf(line), std::string(199, 'a')) << "a SetText without room changes nothing";
    ExpectTerminated(line);
    ResetTestHooks();
}

TEST(TextLine, ALineWithoutAFirstBlockIsAValidEmptyLine)
{
    ResetTestHooks();
    FailAllocationsAfter(0);
    TextLine line;
    EXPECT_EQ(SystemErrorCount(), 1);
    EXPECT_EQ(line.length, 0);
    EXPECT_STREQ(line.text, "");
    ExpectTerminated(line);
    line.AppendByte('a');
    line.SetText("", 0);
    EXPECT_EQ(line.length, 0);
    line.SplitAt(0);
    ASSERT_NE(line.next, nullptr) << "an empty tail needs no block of its own";
    ExpectTerminated(*line.next);
    DestroyLines(line.next);
    line.next = nullptr;

    // Once memory is back the same line takes bytes again.
    ResetTestHooks();
    line.AppendByte('z');
    EXPECT_EQ(TextOf(line), "z");
    ExpectTerminated(line);
}

TEST(TextLine, ASplitWhoseTailCannotGrowKeepsTheLineWhole)
{
    ResetTestHooks();
    TextLine line;
    std::string long_text(450, 'q');
    line.SetText(long_text.data(), 450);
    // The tail's first block is granted, its growth to hold 300 bytes is not.
    FailAllocationsAfter(1);
    line.SplitAt(150);
    EXPECT_EQ(line.next, nullptr);
    EXPECT_EQ(TextOf(line), long_text);
    ResetTestHooks();
}
#endif

TEST(TextLine, SetTextReplacesTheBytesAndClearsTheRestOfTheBlock)
{
    TextLine line;
    for (int i = 0; i < 50; ++i)
        line.AppendByte('x');
    line.SetText("abc", 3);
    EXPECT_EQ(TextOf(line), "abc");
    for (int i = 3; i < line.capacity; ++i)
        ASSERT_EQ(line.text[i], 0) << "at " << i;

    const int old = line.capacity;
    std::string fill(static_cast<size_t>(old), 'y');
    line.SetText(fill.data(), old);
    EXPECT_GE(line.capacity, old + 200);
    EXPECT_EQ(TextOf(line), fill);
    for (int i = old; i < line.capacity; ++i)
        ASSERT_EQ(line.text[i], 0) << "at " << i;
}

TEST(TextLine, SplitMovesTheTailToANewLineLinkedInBothDirections)
{
    TextLine* a = MakeLines({"abcdef", "S"});
    TextLine* s = a->next;
    a->rowCount = 3;
    a->SplitAt(3);
    TextLine* n = a->next;
    ASSERT_NE(n, s);
    EXPECT_EQ(LinesOf(a), (std::vector<std::string>{"abc", "def", "S"}));
    EXPECT_EQ(n->prev, a);
    EXPECT_EQ(n->next, s);
    EXPECT_EQ(s->prev, n);
    EXPECT_EQ(a->rowCount, 3);
    EXPECT_EQ(n->rowCount, 0);
    ExpectTerminated(*a);
    ExpectTerminated(*n);

    a->SplitAt(0);
    EXPECT_EQ(LinesOf(a), (std::vector<std::string>{"", "abc", "def", "S"}));
    s->SplitAt(s->length);
    EXPECT_EQ(LinesOf(a), (std::vector<std::string>{"", "abc", "def", "S", ""}));

    std::vector<std::string> backwards;
    const TextLine* last = a;
    while (last->next != nullptr)
        last = last->next;
    for (const TextLine* line = last; line != nullptr; line = line->prev)
        backwards.push_back(std::string(line->text, static_cast<size_t>(line->length)));
    EXPECT_EQ(backwards, (std::vector<std::string>{"", "S", "def", "abc", ""}));
    DestroyLines(a);
}
