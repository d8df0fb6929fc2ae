#include "view/char_input.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

int ChangeNotices = 0;

void CountChange()
{
    ++ChangeNotices;
}

class CharInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ChangeNotices = 0;
        DocumentChanged = CountChange;
        View.modified = false;
    }

    void TearDown() override
    {
        DocumentChanged = nullptr;
        DestroyLines(View.firstLine);
        View.firstLine = nullptr;
        View.caret.line = nullptr;
        View.caret.pos = 0;
        View.caret.x = 0;
        View.modified = false;
#ifndef _WIN32
        ResetTestHooks();
#endif
    }

    void Document(const std::vector<std::string>& texts, int pos = 0)
    {
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        View.caret.line = View.firstLine;
        View.caret.pos = pos;
    }

    void Type(const std::string& bytes)
    {
        InsertText(bytes.data(), static_cast<int>(bytes.size()));
    }

    int CaretLineIndex()
    {
        int index = 0;
        for (TextLine* line = View.firstLine; line != View.caret.line; line = line->next)
            ++index;
        return index;
    }
};

using Lines = std::vector<std::string>;

}

TEST_F(CharInput, TheFirstChangeMarksTheDocumentAndNotifiesOnce)
{
    Document({""});
    Type("a");
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a"});
    EXPECT_EQ(View.caret.pos, 1);
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ChangeNotices, 1);

    Type("b");
    Type("\r");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"ab", ""}));
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ChangeNotices, 1);

    DocumentChanged = nullptr;
    View.modified = false;
    Type("c");
    EXPECT_TRUE(View.modified);
}

TEST_F(CharInput, EnterSplitsTheLineAtTheCaret)
{
    Document({"abcdef", "next"}, 6);
    Type("\r");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"abcdef", "", "next"}));
    EXPECT_EQ(CaretLineIndex(), 1);
    EXPECT_EQ(View.caret.pos, 0);
    EXPECT_EQ(View.caret.line->next->prev, View.caret.line);

    Document({"abcdef"}, 0);
    Type("\r");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"", "abcdef"}));

    Document({"abcdef"}, 2);
    Type("\n");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"ab", "cdef"}));
    EXPECT_EQ(CaretLineIndex(), 1);
    EXPECT_EQ(View.caret.pos, 0);
}

TEST_F(CharInput, CrLfInOneCallIsOneBreakWhileCrCrAndLfCrAreTwo)
{
    Document({"ab"}, 1);
    Type("\r\n");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a", "b"}));

    Document({"ab"}, 1);
    Type("\r\r");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a", "", "b"}));

    Document({"ab"}, 1);
    Type("\n\r");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a", "", "b"}));

    Document({"ab"}, 1);
    Type("\r");
    Type("\n");
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a", "", "b"}));
    EXPECT_EQ(CaretLineIndex(), 2);
}

TEST_F(CharInput, ControlBytesAreStoredAndAZeroByteBecomesAStar)
{
    Document({"ab"}, 1);
    Type(std::string("\t\x1b\0", 3));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\t\x1b*b"});
    EXPECT_EQ(View.caret.pos, 4);
}

TEST_F(CharInput, ADoubleByteCharacterTypedAsTwoBytesEndsWithTheCaretAfterIt)
{
    Document({"ab"}, 1);
    Type("\x95");
    Type("\x5c");
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\x95\x5c" "b"});
    EXPECT_EQ(View.caret.pos, 3);
}

TEST_F(CharInput, TypingMeasuresNothingAndKeepsTheDesiredColumn)
{
    Document({"abcdef"}, 3);
    View.firstLine->rowCount = 2;
    View.caret.x = 42;
    Type("x\r\ry");
    EXPECT_EQ(View.firstLine->rowCount, 2);
    EXPECT_EQ(View.firstLine->next->rowCount, 0);
    EXPECT_EQ(View.caret.line->rowCount, 0);
    EXPECT_EQ(View.caret.x, 42);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"abcx", "", "ydef"}));
    EXPECT_EQ(View.caret.pos, 1);
}

#ifndef _WIN32
TEST_F(CharInput, ALineThatCannotGrowDropsTheByteAndKeepsTheCaretInside)
{
    Document({std::string(199, 'a')}, 100);
    ASSERT_EQ(View.firstLine->capacity, 200);
    FailAllocationsAfter(0);
    Type("xy");
    EXPECT_EQ(View.firstLine->length, 199);
    EXPECT_EQ(View.caret.pos, 100);
    EXPECT_GE(SystemErrorCount(), 1);

    Type("\r");
    EXPECT_EQ(View.firstLine->next, nullptr);
    EXPECT_EQ(View.caret.line, View.firstLine);
    EXPECT_EQ(View.caret.pos, 100);
}
#endif
