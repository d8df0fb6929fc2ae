#include "app/dialogs.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/win32_hooks.h"
#include "view/edit_view.h"
#include "view/viewport.h"
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
    EXPECT_EQ(seen.codes, Texts({"Shift-JIS", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE", "EUC-JP", "JIS"}));
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

namespace {

// What the settings dialog showed when it opened.
struct SettingsSeen {
    Texts endings;
    Texts codes;
    int ending = -2;
    int code = -2;
    std::vector<LRESULT> radios;
    std::string wrapColumns;
    std::string tabWidth;
    std::string sample;
};

SettingsSeen ReadSettingsDialog(HWND dialog)
{
    SettingsSeen seen;
    seen.endings = ListItems(dialog, IDC_DEFAULT_LINE_ENDING);
    seen.codes = ListItems(dialog, IDC_DEFAULT_CHARACTER_CODE);
    seen.ending = Selection(dialog, IDC_DEFAULT_LINE_ENDING);
    seen.code = Selection(dialog, IDC_DEFAULT_CHARACTER_CODE);
    for (int id : {IDC_NO_WRAP, IDC_WRAP_AT_WINDOW, IDC_WRAP_AT_COLUMNS})
        seen.radios.push_back(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
    seen.wrapColumns = ControlText(dialog, IDC_WRAP_COLUMNS);
    seen.tabWidth = ControlText(dialog, IDC_TAB_WIDTH);
    seen.sample = ControlText(dialog, IDC_FONT_SAMPLE);
    return seen;
}

// A user who changes every field: the last terminator and code, wrapping after 40 columns,
// tabs of 8.
void ChangeEverything(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_DEFAULT_LINE_ENDING, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageA(dialog, IDC_DEFAULT_CHARACTER_CODE, CB_SETCURSEL, CodeJis, 0);
    SendDlgItemMessageA(dialog, IDC_WRAP_AT_COLUMNS, BM_CLICK, 0, 0);
    SetDlgItemTextA(dialog, IDC_WRAP_COLUMNS, "40");
    SetDlgItemTextA(dialog, IDC_TAB_WIDTH, "8");
}

// Stands in for the system's choosers: the font dialog picks the face and size given, the colour
// dialog the colour given, each counting its calls.
struct Chosen {
    const char* face = "VL Gothic";
    int tenths = 160;
    COLORREF color = RGB(200, 10, 20);
    int fonts = 0;
    int colors = 0;
    DWORD fontFlags = 0;
};
Chosen Choice;

BOOL WINAPI PickFont(LPCHOOSEFONTA choice)
{
    ++Choice.fonts;
    Choice.fontFlags = choice->Flags;
    std::strcpy(choice->lpLogFont->lfFaceName, Choice.face);
    choice->iPointSize = Choice.tenths;
    return TRUE;
}

BOOL WINAPI PickColor(LPCHOOSECOLORA choice)
{
    ++Choice.colors;
    choice->rgbResult = Choice.color;
    return TRUE;
}

}

TEST_F(DialogsTest, CommonSettingsShowTheSettingsInForce)
{
    const struct {
        int lineEnding;
        TextCode code;
        int wrapMode;
        std::vector<LRESULT> radios;
    } cases[] = {
        {0, CodeShiftJis, -1, {BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED}},
        {2, CodeEucJp, 0, {BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED}},
        {3, CodeJis, 72, {BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED}},
    };
    Texts codeNames;
    for (int code = 0; code < TextCodeCount; ++code)
        codeNames.push_back(TextCodeName(static_cast<TextCode>(code)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wrapMode);
        LineEndingSetting = c.lineEnding;
        DefaultCode = c.code;
        WrapMode = c.wrapMode;
        View.wrapColumns = 72;
        TabWidth = 3;
        SettingsSeen seen;
        BoxAnswerer answer([&seen](HWND dialog) {
            seen = ReadSettingsDialog(dialog);
            Press(dialog, IDCANCEL);
        });
        ShowCommonSettings();
        answer.Seen();
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(seen.endings, Texts({"自動", "CR+LF", "CR", "LF"}));
        EXPECT_EQ(seen.codes, codeNames);
        EXPECT_EQ(seen.ending, c.lineEnding);
        EXPECT_EQ(seen.code, c.code);
        EXPECT_EQ(seen.radios, c.radios);
        EXPECT_EQ(seen.wrapColumns, "72");
        EXPECT_EQ(seen.tabWidth, "3");
        EXPECT_EQ(seen.sample, "Aaあ阿Ａａ");
    }
}

TEST_F(DialogsTest, CancelKeepsEverySettingAndOkTakesThem)
{
    ChooseFontCall = PickFont;
    ChooseColorCall = PickColor;
    Choice = Chosen();
    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button);
        BoxAnswerer answer([button](HWND dialog) {
            ChangeEverything(dialog);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CHANGE_FONT, BN_CLICKED), 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BACK_COLOR, BN_CLICKED), 0);
            Press(dialog, button);
        });
        ShowCommonSettings();
        answer.Seen();
        ASSERT_TRUE(answer.Answered());
        if (button == IDCANCEL) {
            EXPECT_EQ(LineEndingSetting, 0);
            EXPECT_EQ(DefaultCode, CodeShiftJis);
            EXPECT_EQ(WrapMode, -1);
            EXPECT_EQ(View.wrapColumns, 80);
            EXPECT_EQ(TabWidth, 4);
            EXPECT_STREQ(FontFace, "FixedSys");
            EXPECT_EQ(FontPoints, 10);
            EXPECT_EQ(View.backColor, RGB(240, 240, 255));
        } else {
            EXPECT_EQ(LineEndingSetting, 3);
            EXPECT_EQ(DefaultCode, CodeJis);
            EXPECT_EQ(WrapMode, 40);
            EXPECT_EQ(View.wrapColumns, 40);
            EXPECT_EQ(TabWidth, 8);
            EXPECT_STREQ(FontFace, "VL Gothic");
            EXPECT_EQ(FontPoints, 16);
            EXPECT_EQ(View.backColor, RGB(200, 10, 20));
            EXPECT_EQ(View.textColor, RGB(0, 40, 0)) << "only the colour chosen changes";
        }
    }
    EXPECT_EQ(Choice.fonts, 2);
    EXPECT_EQ(Choice.colors, 2);
    EXPECT_NE(Choice.fontFlags & CF_FIXEDPITCHONLY, 0u);
}

// Each field out of its range is refused with a box naming the range; the dialog stays open with
// everything as it was until a good value is given.
TEST_F(DialogsTest, ATabWidthOrWrapColumnOutOfRangeIsRefused)
{
    const struct {
        int field;
        const char* typed;
        const char* message;
    } cases[] = {
        {IDC_TAB_WIDTH, "0", "タブ幅は 1 から 16 の間で指定してください。"},
        {IDC_TAB_WIDTH, "17", "タブ幅は 1 から 16 の間で指定してください。"},
        {IDC_TAB_WIDTH, "abc", "タブ幅は 1 から 16 の間で指定してください。"},
        {IDC_WRAP_COLUMNS, "9", "折り返し文字数は 10 から 1000 の間で指定してください。"},
        {IDC_WRAP_COLUMNS, "1001", "折り返し文字数は 10 から 1000 の間で指定してください。"},
        {IDC_WRAP_COLUMNS, "", "折り返し文字数は 10 から 1000 の間で指定してください。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        BoxSeen refusal;
        bool stayedOpen = false;
        BoxAnswerer answer([&](HWND dialog) {
            ChangeEverything(dialog);
            SetDlgItemTextA(dialog, c.field, c.typed);
            BoxAnswerer box(IDOK, dialog);
            Press(dialog, IDOK);
            for (int wait = 0; wait < 1500 && !box.Answered(); ++wait)
                Sleep(10);
            refusal = box.Seen();
            stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
            SetDlgItemTextA(dialog, c.field, c.field == IDC_TAB_WIDTH ? "16" : "1000");
            Press(dialog, IDOK);
        });
        ShowCommonSettings();
        answer.Seen();
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(refusal.text, c.message);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(TabWidth, c.field == IDC_TAB_WIDTH ? 16 : 8);
        EXPECT_EQ(View.wrapColumns, c.field == IDC_WRAP_COLUMNS ? 1000 : 40);
        TabWidth = 4;
        View.wrapColumns = 80;
    }
}

// With the edit view and the menu in place, OK measures the document again at once and the wrap
// command's mark follows.
TEST_F(DialogsTest, OkMeasuresAgainAndMovesTheWrapMark)
{
    MainMenu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_MAINMENU));
    SetMenu(MainWindow, MainMenu);
    CreateEditWindow(MainWindow);
    ASSERT_NE(View.hwnd, nullptr);
    MoveWindow(View.hwnd, 0, 0, 300, 200, TRUE);
    SetLines({std::string(100, 'a') + "\tb"});
    ResetView();
    ASSERT_EQ(View.firstLine->rowCount, 1);
    int cell = CellWidth;
    BoxAnswerer answer([](HWND dialog) {
        ChangeEverything(dialog);
        Press(dialog, IDOK);
    });
    ShowCommonSettings();
    answer.Seen();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(View.firstLine->rowCount, 3) << "100 letters after 40 columns, the tab and b";
    EXPECT_EQ(View.maxLineWidth, 40 * cell);
    EXPECT_NE(GetMenuState(MainMenu, CMD_WRAP_AT_COLUMNS, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(MainMenu, CMD_NO_WRAP, MF_BYCOMMAND) & MF_CHECKED, 0u);
    DestroyWindow(View.hwnd);
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
