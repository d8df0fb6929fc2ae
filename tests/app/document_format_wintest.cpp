#include "tests/app/main_window_fixture.h"
#include "app/caret_status.h"
#include "app/open_document.h"
#include "document/text_line.h"
#include "resources/resource_ids.h"

#include <functional>

namespace {

typedef std::vector<std::string> Lines;

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM data)
{
    ControlSearch* search = reinterpret_cast<ControlSearch*>(data);
    if (GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}

// The control with id anywhere among the window's descendants: the code list lies in the
// template's child dialog, not in the file dialog itself.
HWND FindControl(HWND window, int id)
{
    ControlSearch search = {id, nullptr};
    EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the Open dialog's code list showed before the user touched it.
struct CodeListSeen {
    std::string label;
    Lines entries;
    LRESULT selected = -1;
};

// A user in the Open dialog: notes the code list, picks its entry at index and confirms name, or
// cancels when name is null.
std::function<void(HWND)> PickCode(LRESULT index, const char* name, CodeListSeen* seen)
{
    return [=](HWND dialog) {
        HWND list = FindControl(dialog, IDC_OPEN_CODE);
        if (list == nullptr)
            return;
        char text[64] = "";
        GetWindowTextA(GetWindow(list, GW_HWNDPREV), text, sizeof text);
        seen->label = text;
        LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            seen->entries.push_back(text);
        }
        seen->selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (name != nullptr)
            ChooseFileName(dialog, name);
        else
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
}

const int AutoEntry = 0;
LRESULT EntryOf(TextCode code)
{
    return 1 + code;
}

std::string InstanceText(const std::string& option, const std::string& name)
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    return "\"" + std::string(module) + "\" " + option + "\"" + name + "\"";
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

TEST_F(DocumentFormatTest, TheOpenDialogReadsTheFileInTheCodeChosenThereOrTheOneItsBytesShow)
{
    std::string utf8 = Path("utf8.txt"), sjis = Path("sjis.txt");
    ASSERT_TRUE(WriteFileBytes(utf8, "\xE3\x81\x82" "a\r\n"));
    // あい in Shift-JIS, which is how these bytes are found.
    ASSERT_TRUE(WriteFileBytes(sjis, "\x82\xA0\x82\xA2\n"));
    CodeListSeen seen;
    {
        BoxAnswerer answer(PickCode(AutoEntry, utf8.c_str(), &seen));
        Command(CMD_OPEN);
        answer.Seen();
    }
    EXPECT_EQ(seen.label, "文字コード：");
    EXPECT_EQ(seen.entries, Lines({"自動選択", "Shift-JIS", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE", "EUC-JP", "JIS"}));
    EXPECT_EQ(seen.selected, AutoEntry);
    EXPECT_EQ(Format(), "UTF-8  CRLF") << "自動選択 reads the code the bytes show";
    EXPECT_EQ(Title(), "Tessary [utf8.txt]");

    // Bytes read in a code picked by hand, whatever they show.
    const struct {
        const std::string& path;
        TextCode code;
        const char* format;
    } opens[] = {{sjis, CodeEucJp, "EUC-JP  LF"}, {sjis, CodeUtf8, "UTF-8  LF"}, {utf8, CodeUtf16Le, "UTF-16LE  CRLF"}};
    for (const auto& open : opens) {
        SCOPED_TRACE(open.format);
        CodeListSeen picked;
        BoxAnswerer answer(PickCode(EntryOf(open.code), open.path.c_str(), &picked));
        Command(CMD_CLOSE_AND_OPEN);
        answer.Seen();
        EXPECT_EQ(picked.selected, AutoEntry) << "each dialog starts on 自動選択";
        EXPECT_EQ(View.code, open.code);
        EXPECT_EQ(Format(), open.format);
    }
    // Saved unchanged, bytes that are no character of the chosen code come back as they were, and
    // no byte order mark is added.
    View.modified = true;
    Command(CMD_SAVE);
    EXPECT_EQ(ReadFileBytes(utf8), "\xE3\x81\x82" "a\r\n");
}

TEST_F(DocumentFormatTest, ANewInstanceGetsTheCodeChosenInTheOpenDialog)
{
    std::string path = Path("euc.txt");
    ASSERT_TRUE(WriteFileBytes(path, "\xA4\xA2\n"));
    Type("changes");
    CodeListSeen seen;
    {
        BoxAnswerer answer(PickCode(EntryOf(CodeUtf16Be), path.c_str(), &seen));
        Command(CMD_OPEN);
        answer.Seen();
    }
    EXPECT_EQ(seen.entries.size(), 1u + TextCodeCount) << "the dialog of a new instance has the list too";
    EXPECT_EQ(seen.selected, AutoEntry);
    EXPECT_EQ(Starts(), Lines({InstanceText("/code=4 ", path)}));

    Starts().clear();
    {
        CodeListSeen again;
        BoxAnswerer answer(PickCode(EntryOf(CodeShiftJis), path.c_str(), &again));
        Command(CMD_OPEN);
        answer.Seen();
    }
    EXPECT_EQ(Starts(), Lines({InstanceText("/code=0 ", path)})) << "Shift-JIS is a choice, not detection";
    Starts().clear();
    {
        CodeListSeen again;
        BoxAnswerer answer(PickCode(AutoEntry, path.c_str(), &again));
        Command(CMD_OPEN);
        answer.Seen();
    }
    EXPECT_EQ(Starts(), Lines({InstanceText("", path)}));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"changes"}));
}

TEST_F(DocumentFormatTest, CancellingTheOpenDialogAfterPickingACodeChangesNothing)
{
    std::string path = Path("kept.txt");
    ASSERT_TRUE(WriteFileBytes(path, "\xE3\x81\x82\n"));
    OpenDocument(path.c_str());
    ASSERT_EQ(Format(), "UTF-8  LF");
    for (int command : {CMD_CLOSE_AND_OPEN, CMD_OPEN}) {
        CodeListSeen seen;
        BoxAnswerer answer(PickCode(EntryOf(CodeEucJp), nullptr, &seen));
        Command(command);
        answer.Seen();
        EXPECT_TRUE(answer.Answered()) << command;
    }
    EXPECT_EQ(Format(), "UTF-8  LF");
    EXPECT_EQ(View.code, CodeUtf8);
    EXPECT_EQ(Title(), "Tessary [kept.txt]");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\xE3\x81\x82", ""}));
    EXPECT_TRUE(Starts().empty());
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
