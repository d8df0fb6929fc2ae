#include "tests/app/main_window_fixture.h"
#include "app/caret_status.h"
#include "app/open_code_choice.h"
#include "app/open_document.h"
#include "document/text_line.h"
#include "resources/resource_ids.h"

namespace {

typedef std::vector<std::string> Lines;

// The control with id anywhere among the window's descendants: the code list lies in the
// template's child dialog, not in the file dialog itself.
HWND FindControl(HWND window, int id)
{
    struct Search {
        int id;
        HWND found;
    } search = {id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            Search* s = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s->id)
                return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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

TEST_F(DocumentFormatTest, TheOpenDialogOpensTheFileInTheCodeChosenThere)
{
    std::string path = Path("chosen.txt");
    // Bytes that read as UTF-8; opened as UTF-16LE they are three units.
    ASSERT_TRUE(WriteFileBytes(path, "\xE3\x81\x82" "a\r\n"));
    Lines entries;
    BoxAnswerer answer([&](HWND dialog) {
        HWND list = nullptr;
        for (int waited = 0; list == nullptr && waited < 5000; waited += 10) {
            list = FindControl(dialog, IDC_OPEN_CODE);
            if (list == nullptr)
                Sleep(10);
        }
        if (list == nullptr)
            return;
        LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char item[64] = "";
            SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            entries.push_back(item);
        }
        entries.push_back(std::to_string(SendMessageA(list, CB_GETCURSEL, 0, 0)));
        SendMessageA(list, CB_SETCURSEL, 1 + CodeUtf16Le, 0);
        SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_OPEN_CODE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        ChooseFileName(dialog, path.c_str());
    });
    Command(CMD_CLOSE_AND_OPEN);
    answer.Seen();
    EXPECT_EQ(entries, Lines({"自動選択", "Shift-JIS", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE", "EUC-JP", "JIS", "0"}));
    EXPECT_EQ(View.code, CodeUtf16Le);
    EXPECT_EQ(Format(), "UTF-16LE  CRLF");
    EXPECT_FALSE(View.bom);
    // Saved without a change, the file is as it was.
    View.modified = true;
    Command(CMD_SAVE);
    EXPECT_EQ(ReadFileBytes(path), "\xE3\x81\x82" "a\r\n");
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
