#include "view/char_input.h"
#include "document/editor_record.h"
#include "view/editing.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

using Lines = std::vector<std::string>;

int ChangeNotices = 0;

void CountChange()
{
    ++ChangeNotices;
}

class CharInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        ChangeNotices = 0;
        DocumentChanged = CountChange;
    }

    void TearDown() override { ResetEditor(); }

    void Document(const std::string& text, int pos)
    {
        DestroyLines(View.firstLine);
        View.firstLine = View.caret.line = View.topLine = MakeLines({text});
        View.caret.pos = pos;
        View.anchor = {View.caret.line, 0, pos};
        View.modified = false;
    }

    // Each string is one call; the result is the lines with the caret marked by '|'.
    Lines Typed(const std::string& text, int pos, const std::vector<std::string>& calls)
    {
        Document(text, pos);
        for (const std::string& bytes : calls)
            InsertText(bytes.data(), static_cast<int>(bytes.size()));
        Lines lines = LinesOf(View.firstLine);
        int index = 0;
        for (TextLine* line = View.firstLine; line != View.caret.line; line = line->next)
            ++index;
        lines[index].insert(static_cast<size_t>(View.caret.pos), "|");
        return lines;
    }
};

}

TEST_F(CharInput, TheFirstChangeMarksTheDocumentAndNotifiesOnce)
{
    EXPECT_EQ(Typed("", 0, {"a"}), Lines{"a|"});
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ChangeNotices, 1);
    InsertText("b\r", 2);
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ChangeNotices, 1);
}

TEST_F(CharInput, EnterSplitsTheLineAtTheCaret)
{
    EXPECT_EQ(Typed("abcdef", 6, {"\r"}), (Lines{"abcdef", "|"}));
    EXPECT_EQ(Typed("abcdef", 0, {"\r"}), (Lines{"", "|abcdef"}));
    EXPECT_EQ(Typed("abcdef", 2, {"\n"}), (Lines{"ab", "|cdef"}));
}

TEST_F(CharInput, CrLfInOneCallIsOneBreakAndEveryOtherCrOrLfIsABreak)
{
    EXPECT_EQ(Typed("ab", 1, {"\r\n"}), (Lines{"a", "|b"}));
    EXPECT_EQ(Typed("ab", 1, {"\r\r"}), (Lines{"a", "", "|b"}));
    EXPECT_EQ(Typed("ab", 1, {"\n\r"}), (Lines{"a", "", "|b"}));
    EXPECT_EQ(Typed("ab", 1, {"\r", "\n"}), (Lines{"a", "", "|b"}));
}

TEST_F(CharInput, OtherBytesAreStoredAsTheyComeExceptZero)
{
    EXPECT_EQ(Typed("ab", 1, {std::string("\t\x1b\0", 3)}), Lines{"a\t\x1b*|b"});
    EXPECT_EQ(Typed("ab", 1, {"\x95\x5c"}), Lines{"a\x95\x5c|b"});
}

TEST_F(CharInput, TypingMeasuresTheLinesItMakesAndPutsTheDesiredColumnAtTheCaret)
{
    Document("abcdef", 3);
    View.firstLine->rowCount = 1;
    View.totalRows = 1;
    View.caret.x = 42;
    InsertText("x\r\ry", 4);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"abcx", "", "ydef"}));
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
        EXPECT_EQ(line->rowCount, 1);
    EXPECT_EQ(View.totalRows, 3);
    EXPECT_EQ(View.caret.lineIndex, 2);
    EXPECT_EQ(View.caret.x, 7);
}

TEST_F(CharInput, ControlBytesFromCtrlKeysAreNotTypedAndALeadByteWaitsForItsTrail)
{
    Document("ab", 1);
    unsigned long error = 0;
    for (unsigned char b : {0x06, 0x07, 0x1b, 0x7f, 0x00})
        EXPECT_TRUE(TypeByte(b, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"ab"});
    EXPECT_FALSE(View.modified);
    TypeByte('\t', &error);
    TypeByte(0x95, &error);
    // Between the two messages the document holds no half of the character.
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\tb"});
    TypeByte(0x5c, &error);
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\t\x95\x5c" "b"});
    EXPECT_EQ(View.caret.pos, 4);
}

TEST_F(CharInput, AnInputMethodCharacterIsTypedWholeAsOneStep)
{
    Document("ab", 1);
    unsigned long error = 0;
    EXPECT_TRUE(TypeInputMethodCharacter(0x93fa, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\x93\xfa" "b"});
    EXPECT_EQ(View.caret.pos, 3);
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"ab"}) << "both bytes go in one undo";
    EXPECT_EQ(View.caret.pos, 1);

    // Single bytes are typed as characters are; a lead byte left waiting by a character message
    // pairs with nothing from the input method.
    TypeByte(0x82, &error);
    EXPECT_TRUE(TypeInputMethodCharacter('x', &error));
    EXPECT_TRUE(TypeInputMethodCharacter(0x07, &error));
    TypeByte('y', &error);
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"axyb"});
}

TEST_F(CharInput, OverwriteReplacesWholeCharactersButNeverTheLineEnd)
{
    View.overwrite = true;
    EXPECT_EQ(Typed("a\x95\x5c" "b", 1, {"x"}), Lines{"ax|b"});
    EXPECT_EQ(Typed("ab", 0, {"\x82\xa0"}), Lines{"\x82\xa0|b"});
    EXPECT_EQ(Typed("ab", 1, {"xyz"}), Lines{"axyz|"});
    EXPECT_EQ(Typed("ab", 2, {"x"}), Lines{"abx|"});
    // A break is never an overwrite.
    EXPECT_EQ(Typed("ab", 1, {"\r"}), (Lines{"a", "|b"}));
    // A lead byte and a zero byte make one character, as the line holds them ('*' for the zero).
    EXPECT_EQ(Typed("abcd", 0, {std::string("\x95\0", 2)}), Lines{"\x95*|bcd"});
}

TEST_F(CharInput, AUtf8DocumentTakesTypedCharactersInItsOwnCode)
{
    SetDocumentCode(CodeUtf8);
    View.overwrite = true;
    // Overwriting counts characters as UTF-8 splits them: é is one, and so is e with its mark.
    EXPECT_EQ(Typed("\xc3\xa9" "e\xcc\x81" "z", 0, {"xy"}), Lines{"xy|z"});
    View.overwrite = false;
    // A character message's half-width ｱ (0xB1 in the ANSI code page) arrives as UTF-8; a
    // double-byte one, which only the system's tables convert, is not typed into the document.
    Document("ab", 1);
    unsigned long error = 0;
    EXPECT_TRUE(TypeByte(0xb1, &error));
    EXPECT_TRUE(TypeByte('q', &error));
    EXPECT_TRUE(TypeInputMethodCharacter(0x82a0, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\xef\xbd\xb1qb"});
    SetDocumentCode(CodeEucJp);
    EXPECT_TRUE(TypeInputMethodCharacter(0xb1, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"a\xef\xbd\xb1q\x8e\xb1" "b"});
}

#ifndef _WIN32
TEST_F(CharInput, WhatALineHasNoRoomForIsDroppedWithTheRestAndReportedToTheCaller)
{
    Document(std::string(199, 'a'), 100);
    ASSERT_EQ(View.firstLine->Capacity(), 200);
    FailAllocationsAfter(0);
    unsigned long error = 0;
    EXPECT_FALSE(InsertText("x\r", 2, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{std::string(199, 'a')});
    EXPECT_EQ(View.caret.pos, 100);
    EXPECT_EQ(error, OutOfMemoryError);
    EXPECT_EQ(SystemErrorCount(), 0) << "the caller shows the box, once the lock is released";

    // A break that cannot get its new line stops the bytes after it too.
    ResetTestHooks();
    Document("ab", 1);
    FailAllocationsAfter(0);
    EXPECT_FALSE(InsertText("\ry", 2, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines{"ab"});
    EXPECT_EQ(SystemErrorCount(), 0);
}
#endif
