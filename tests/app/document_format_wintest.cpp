#include "tests/app/main_window_fixture.h"
#include "app/caret_status.h"
#include "app/open_document.h"
#include "document/text_line.h"

namespace {

typedef std::vector<std::string> Lines;

class DocumentFormatTest : public MainWindowTest {
protected:
    std::string Format() { return StatusPart(2); }
};

}

TEST_F(DocumentFormatTest, TheStatusBarNamesTheCodeAndTheTerminatorOfEachDocument)
{
    char text[64];
    DocumentFormatText(CodeUtf16Le, EndingCrLf, text, sizeof text);
    EXPECT_STREQ(text, "UTF-16LE  CRLF");
    DocumentFormatText(CodeUtf8Bom, EndingCr, text, sizeof text);
    EXPECT_STREQ(text, "UTF-8 (BOM)  CR");

    EXPECT_EQ(Format(), "Shift-JIS  CRLF") << "the empty document at start";
    std::string path = Path("utf8.txt");
    ASSERT_TRUE(WriteFileBytes(path, "\xE3\x81\x82\n\xE3\x81\x84\r\n"));
    OpenDocument(path.c_str());
    EXPECT_EQ(Format(), "UTF-8  LF");
    EXPECT_EQ(StatusPart(1), "1 行, 1 桁") << "the caret's place keeps its part";
    // Enter makes the document's terminator, and saving writes each line's own.
    Key(VK_END);
    Type("\r");
    Command(CMD_SAVE);
    EXPECT_EQ(ReadFileBytes(path), "\xE3\x81\x82\n\n\xE3\x81\x84\r\n");

    DefaultCode = CodeEucJp;
    LineEndingSetting = 3;
    Command(CMD_NEW);
    EXPECT_EQ(Format(), "EUC-JP  LF") << "a new document takes the settings'";
}

TEST_F(DocumentFormatTest, ANewInstanceIsToldTheChosenCodeOnItsCommandLine)
{
    char text[CommandTextSize];
    ASSERT_TRUE(InstanceCommandText("C:\\T\\Tessary.exe", "D:\\a b.txt", text, CodeJis));
    EXPECT_STREQ(text, "\"C:\\T\\Tessary.exe\" /code=6 \"D:\\a b.txt\"");
    ASSERT_TRUE(InstanceCommandText("C:\\T\\Tessary.exe", "D:\\a b.txt", text));
    EXPECT_STREQ(text, "\"C:\\T\\Tessary.exe\" \"D:\\a b.txt\"") << "detection needs no option";
    TextCode code = TextCodeCount;
    EXPECT_TRUE(CodeOption("/code=3", &code));
    EXPECT_EQ(code, CodeUtf16Le);
    for (const char* other : {"/code=7", "/code=", "/code=44", "-code=1", "/codes=1"})
        EXPECT_FALSE(CodeOption(other, &code)) << other;
    EXPECT_EQ(code, CodeUtf16Le);
}
