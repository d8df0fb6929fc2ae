#include "app/dialogs.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "resources/resource_ids.h"
#include "tests/test_support.h"
#include "tests/window_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

std::string ControlText(HWND dialog, int id)
{
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

Texts ListItems(HWND dialog, int id)
{
    Texts items;
    LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[128] = "";
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

int Selection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

void Press(HWND dialog, int button)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

// What the document information dialog showed when it opened.
struct DocInfoSeen {
    std::string name;
    std::string size;
    Texts endings;
    Texts codes;
    Texts types;
    int ending = -2;
    int code = -2;
    int type = -2;
    bool focusOnOk = false;
    bool ownedByMainWindow = false;
};

const int KeepSelection = -1;

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        AppInstance = GetModuleHandleA(nullptr);
        MainWindow = CreateWindowA(PlainWindowClass("DialogsTestOwner"), "owner", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                   300, nullptr, nullptr, AppInstance, nullptr);
        View.firstLine = MakeLines({""});
    }

    void TearDown() override
    {
        DestroyWindow(MainWindow);
        ResetEditor();
    }

    void SetLines(const Texts& lines)
    {
        DiscardLines(View);
        View.firstLine = MakeLines(lines);
    }

    // Opens the dialog as the menu command does, reads it, picks a terminator unless told to
    // keep the selection, and closes it with the given button.
    DocInfoSeen OpenDocumentInfo(int pick, int button)
    {
        DocInfoSeen seen;
        BoxAnswerer answer([&seen, pick, button](HWND dialog) {
            seen.name = ControlText(dialog, IDC_FILE_NAME);
            seen.size = ControlText(dialog, IDC_FILE_SIZE);
            seen.endings = ListItems(dialog, IDC_LINE_ENDING);
            seen.codes = ListItems(dialog, IDC_CHARACTER_CODE);
            seen.types = ListItems(dialog, IDC_DISPLAY_TYPE);
            seen.ending = Selection(dialog, IDC_LINE_ENDING);
            seen.code = Selection(dialog, IDC_CHARACTER_CODE);
            seen.type = Selection(dialog, IDC_DISPLAY_TYPE);
            seen.focusOnOk = FocusOf(dialog) == GetDlgItem(dialog, IDOK);
            seen.ownedByMainWindow = GetWindow(dialog, GW_OWNER) == MainWindow;
            if (pick != KeepSelection)
                SendDlgItemMessageA(dialog, IDC_LINE_ENDING, CB_SETCURSEL, static_cast<WPARAM>(pick), 0);
            Press(dialog, button);
        });
        ShowDocumentInfo();
        answer.Seen();
        EXPECT_TRUE(answer.Answered());
        return seen;
    }
};

}

TEST_F(DialogsTest, DocumentInfoOfANewDocumentShowsNoNameAndZeroBytes)
{
    DocInfoSeen seen = OpenDocumentInfo(KeepSelection, IDCANCEL);
    EXPECT_EQ(seen.name, "");
    EXPECT_EQ(seen.size, "0 bytes");
    EXPECT_EQ(seen.endings, Texts({"CR+LF", "CR", "LF"}));
    EXPECT_EQ(seen.ending, 0);
    EXPECT_EQ(seen.codes, Texts({"Shift-JIS"}));
    EXPECT_EQ(seen.code, 0);
    EXPECT_EQ(seen.types, Texts({"標準"}));
    EXPECT_EQ(seen.type, 0);
    EXPECT_TRUE(seen.focusOnOk);
    EXPECT_TRUE(seen.ownedByMainWindow);
}

TEST_F(DialogsTest, DocumentInfoShowsThePathAndCountsTextBytesWithoutTerminators)
{
    std::strcpy(View.path, "C:\\文書\\memo.txt");
    SetLines({"ab", "漢c"});
    DocInfoSeen seen = OpenDocumentInfo(KeepSelection, IDCANCEL);
    EXPECT_EQ(seen.name, "C:\\文書\\memo.txt");
    EXPECT_EQ(seen.size, "5 bytes");
}

// Each line may hold up to INT_MAX bytes; their sum must not wrap round to a negative size.
TEST_F(DialogsTest, DocumentInfoCountsPastTwoGibibytes)
{
    SetLines({"a", "b"});
    LineAt(View.firstLine, 0)->length = INT_MAX;
    LineAt(View.firstLine, 1)->length = INT_MAX;
    DocInfoSeen seen = OpenDocumentInfo(KeepSelection, IDCANCEL);
    LineAt(View.firstLine, 0)->length = 1;
    LineAt(View.firstLine, 1)->length = 1;
    EXPECT_EQ(seen.size, "4294967294 bytes");
}

TEST_F(DialogsTest, TheTerminatorListOpensOnTheCurrentChoice)
{
    const struct {
        unsigned ending;
        int selected;
    } cases[] = {{EndingCrLf, 0}, {EndingCr, 1}, {EndingLf, 2}};
    for (const auto& c : cases) {
        View.lineEnd = c.ending;
        EXPECT_EQ(OpenDocumentInfo(KeepSelection, IDCANCEL).ending, c.selected) << c.selected;
    }
}

TEST_F(DialogsTest, OkMakesTheChosenTerminatorTheDocumentsForEveryLineAndCancelKeepsTheOldOne)
{
    View.lineEnd = EndingCr;
    OpenDocumentInfo(0, IDCANCEL);
    EXPECT_EQ(View.lineEnd, unsigned(EndingCr));
    EXPECT_FALSE(View.unifyEndings);
    OpenDocumentInfo(1, IDOK);
    EXPECT_FALSE(View.unifyEndings) << "the same terminator again changes nothing";
    OpenDocumentInfo(2, IDOK);
    EXPECT_EQ(View.lineEnd, unsigned(EndingLf));
    EXPECT_TRUE(View.unifyEndings);
    OpenDocumentInfo(0, IDOK);
    EXPECT_EQ(View.lineEnd, unsigned(EndingCrLf));
    OpenDocumentInfo(1, IDOK);
    EXPECT_EQ(View.lineEnd, unsigned(EndingCr));
}

TEST_F(DialogsTest, CommonSettingsOpenBlankAndApplyNothing)
{
    View.lineEnd = EndingCr;
    WrapMode = 0;
    TabWidth = 4;
    for (int button : {IDOK, IDCANCEL}) {
        Texts endings, codes, fields;
        int endingSelection = -2, codeSelection = -2;
        std::vector<LRESULT> radios;
        BoxAnswerer answer([&](HWND dialog) {
            endings = ListItems(dialog, IDC_DEFAULT_LINE_ENDING);
            codes = ListItems(dialog, IDC_DEFAULT_CHARACTER_CODE);
            endingSelection = Selection(dialog, IDC_DEFAULT_LINE_ENDING);
            codeSelection = Selection(dialog, IDC_DEFAULT_CHARACTER_CODE);
            for (int id : {IDC_NO_WRAP, IDC_WRAP_AT_WINDOW, IDC_WRAP_AT_COLUMNS})
                radios.push_back(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
            fields = {ControlText(dialog, IDC_WRAP_COLUMNS), ControlText(dialog, IDC_TAB_WIDTH)};
            // A user who changes everything before closing.
            SendDlgItemMessageA(dialog, IDC_DEFAULT_LINE_ENDING, CB_SETCURSEL, 3, 0);
            SendDlgItemMessageA(dialog, IDC_WRAP_AT_COLUMNS, BM_CLICK, 0, 0);
            SetDlgItemTextA(dialog, IDC_WRAP_COLUMNS, "40");
            SetDlgItemTextA(dialog, IDC_TAB_WIDTH, "8");
            Press(dialog, button);
        });
        ShowCommonSettings();
        answer.Seen();
        SCOPED_TRACE(button);
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(endings, Texts({"自動", "CR+LF", "CR", "LF"}));
        EXPECT_EQ(codes, Texts({"Shift-JIS"}));
        EXPECT_EQ(endingSelection, CB_ERR);
        EXPECT_EQ(codeSelection, CB_ERR);
        EXPECT_EQ(radios, std::vector<LRESULT>({BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}));
        EXPECT_EQ(fields, Texts({"", ""}));
        EXPECT_EQ(View.lineEnd, unsigned(EndingCr));
        EXPECT_EQ(WrapMode, 0);
        EXPECT_EQ(TabWidth, 4);
    }
}

TEST_F(DialogsTest, TheVersionBoxNamesTheProgramOverTheMainWindow)
{
    bool owned = false;
    BoxAnswerer answer([&owned](HWND box) {
        owned = GetWindow(box, GW_OWNER) == MainWindow;
        Press(box, IDOK);
    });
    ShowVersionBox();
    BoxSeen seen = answer.Seen();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(seen.caption, "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(seen.text, "Tessary Version β７");
    EXPECT_EQ(seen.caption, "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1");
    EXPECT_EQ(seen.text, "Tessary Version \x83\xC0\x82\x56");
    EXPECT_TRUE(owned);
}
