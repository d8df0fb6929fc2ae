// Converting the document to another code: its bytes, the caret, what is lost, and Undo and Redo
// bringing back text and code together.
#include "view/code_change.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/document/code_samples.h"
#include "tests/test_support.h"
#include "view/editing.h"
#include "view/selection.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class CodeChange : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        View.clientWidth = 300;
        View.clientHeight = 200;
    }
    void TearDown() override { ResetEditor(); }

    void Document(TextCode code, const Lines& texts, int line, int pos)
    {
        SetDocumentCode(code);
        DestroyLines(View.firstLine);
        View.firstLine = View.topLine = MakeLines(texts);
        View.topRow = 1;
        View.undo.Clear();
        PlaceCaretAt(TextPlace{::LineAt(View.firstLine, line), line, pos});
        CollapseSelection();
        View.modified = false;
    }
    std::string Caret() { return std::to_string(View.caret.lineIndex) + ":" + std::to_string(View.caret.pos); }
};

// The prose's first line in each code, without its CR LF.
std::string FirstLine(const std::string& prose)
{
    return prose.substr(0, prose.find('\r'));
}

}

TEST_F(CodeChange, ShiftJisBecomesUtf8AndUndoBringsBackBoth)
{
    const std::string sjis = FirstLine(ProseShiftJis);
    const std::string utf8 = FirstLine(ProseUtf8);
    // The caret after the third character (吾輩は), which is 6 bytes in and 9 bytes in UTF-8.
    Document(CodeShiftJis, {"abc", sjis, "", "x\x82\xa0"}, 1, 6);
    EXPECT_EQ(ConversionLosses(CodeUtf8), 0);
    unsigned long error = 0;
    ASSERT_TRUE(ConvertDocument(CodeUtf8, &error));
    EXPECT_EQ(View.code, CodeUtf8);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"abc", utf8, "", "x\xe3\x81\x82"}));
    EXPECT_EQ(Caret(), "1:9");
    EXPECT_TRUE(View.modified);

    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(View.code, CodeShiftJis);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"abc", sjis, "", "x\x82\xa0"}));
    EXPECT_EQ(Caret(), "1:6");
    EXPECT_FALSE(View.modified);
    EXPECT_FALSE(View.undo.CanUndo());

    ASSERT_TRUE(RedoEdit(&error));
    EXPECT_EQ(View.code, CodeUtf8);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"abc", utf8, "", "x\xe3\x81\x82"}));
    EXPECT_EQ(Caret(), "1:9");
}

TEST_F(CodeChange, LossesAreCountedAndBecomeMarks)
{
    // 𠮷 and 😀 have no place in EUC-JP; a stray byte is no character of UTF-8.
    Document(CodeUtf8, {"\xf0\xa0\xae\xb7\xe3\x81\x82", "caf\xf0\x9f\x98\x80\xff"}, 0, 0);
    EXPECT_EQ(ConversionLosses(CodeEucJp), 3);
    EXPECT_EQ(ConversionLosses(CodeUtf16Le), 0);
    unsigned long error = 0;
    ASSERT_TRUE(ConvertDocument(CodeEucJp, &error));
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"?\xa4\xa2", "caf??"}));
    EXPECT_EQ(DocumentRule().codePage, 20932u);
}

TEST_F(CodeChange, CodesHeldAlikeChangeNoByteButAreUndoneToo)
{
    Document(CodeUtf8, {"a\xff\xe3\x81\x82"}, 0, 2);
    unsigned long error = 0;
    ASSERT_TRUE(ConvertDocument(CodeUtf16Be, &error));
    EXPECT_EQ(View.code, CodeUtf16Be);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"a\xff\xe3\x81\x82"}));
    EXPECT_TRUE(View.modified);
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(View.code, CodeUtf8);
    EXPECT_FALSE(View.modified);
}

TEST_F(CodeChange, AConversionIsOneStepAfterTheEditsBeforeIt)
{
    Document(CodeEucJp, {"\xa4\xa2"}, 0, 2);
    unsigned long error = 0;
    ASSERT_TRUE(ReplaceSelection("\xa4\xa4", 2, EditOther, &error));
    ASSERT_TRUE(ConvertDocument(CodeShiftJis, &error));
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"\x82\xa0\x82\xa2"}));
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(View.code, CodeEucJp);
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"\xa4\xa2\xa4\xa4"}));
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), (Lines{"\xa4\xa2"}));
}
