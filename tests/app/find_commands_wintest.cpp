#include "tests/app/main_window_fixture.h"
#include "app/find_commands.h"
#include "document/document_lock.h"
#include "view/caret_moves.h"
#include "document/text_edit.h"
#include "view/editing.h"
#include "view/selection.h"

#include <dlgs.h>

namespace {

typedef std::vector<std::string> Lines;

const char A[] = "\x83\x41";     // katakana a, whose trail byte is "A"
const char Hyou[] = "\x95\x5c";  // its trail byte is a backslash
const char LoadingText[] = "ファイルを読み込み中です。読み込みが終わってから、もう一度お試しください。";
const char WrappedForward[] = "文書の末尾まで検索したので、先頭から続けて検索しました。";
const char WrappedBackward[] = "文書の先頭まで検索したので、末尾から続けて検索しました。";

// Whether the first row of the line numbered index has its top in the client area (the view
// scrolls just far enough for that).
bool RowShown(int index)
{
    int top = (index - View.topLineIndex) * RowHeight();
    return top >= 0 && top < View.clientHeight;
}

std::string Joined(const Lines& lines)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i)
        bytes += (i == 0 ? "" : "\r\n") + lines[i];
    return bytes;
}

class FindCommandsTest : public MainWindowTest {
protected:
    void Open(const Lines& lines, const char* name = "find.txt")
    {
        std::string path = Path(name);
        ASSERT_TRUE(WriteFileBytes(path, Joined(lines)));
        OpenDocument(path.c_str());
    }

    void Select(int anchorLine, int anchorPos, int caretLine, int caretPos)
    {
        DocumentGuard guard;
        TextPlace anchor = {LineAtIndex(anchorLine), anchorLine, anchorPos};
        TextPlace caret = {LineAtIndex(caretLine), caretLine, caretPos};
        SetSelection(anchor, caret);
    }

    // "anchor line:pos-caret line:pos".
    std::string Selection()
    {
        DocumentGuard guard;
        EXPECT_EQ(View.caret.line, LineAtIndex(View.caret.lineIndex));
        return std::to_string(View.anchor.lineIndex) + ":" + std::to_string(View.anchor.pos) + "-" +
               std::to_string(View.caret.lineIndex) + ":" + std::to_string(View.caret.pos);
    }

    std::string Note() { return StatusPart(0); }

    std::string Field(HWND dialog, int id)
    {
        char text[256] = "";
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }

    // Presses a button of the Find or Replace dialog, as a click does.
    void Press(HWND dialog, int button)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }

    // Presses the button expecting a box, which is answered with OK; returns its text.
    std::string PressForBox(HWND dialog, int button)
    {
        BoxAnswerer answer(IDOK, dialog);
        Press(dialog, button);
        BoxSeen seen = answer.Seen();
        EXPECT_TRUE(answer.Answered());
        return seen.text;
    }

    // The command expecting a box, answered with OK; returns its text.
    std::string CommandForBox(int id)
    {
        BoxAnswerer answer(IDOK, SearchDialog());
        Command(id);
        BoxSeen seen = answer.Seen();
        EXPECT_TRUE(answer.Answered());
        return seen.text;
    }

    HWND OpenDialog(int command, const char* pattern, bool matchCase = false, bool wholeWord = false)
    {
        Command(command);
        HWND dialog = SearchDialog();
        EXPECT_NE(dialog, nullptr);
        if (dialog == nullptr)
            return nullptr;
        EXPECT_TRUE(IsWindowVisible(dialog));
        if (pattern != nullptr)
            SetDlgItemTextA(dialog, edt1, pattern);
        CheckDlgButton(dialog, chx2, matchCase ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, chx1, wholeWord ? BST_CHECKED : BST_UNCHECKED);
        // The direction chosen last stays for the next dialog.
        CheckDlgButton(dialog, rad1, BST_UNCHECKED);
        CheckDlgButton(dialog, rad2, BST_CHECKED);
        return dialog;
    }

    void CloseDialog(HWND dialog)
    {
        Press(dialog, IDCANCEL);
        EXPECT_EQ(SearchDialog(), nullptr);
    }
};

}

TEST_F(FindCommandsTest, TheFindDialogSelectsEachMatchInTurnAndSaysWhenItWentRound)
{
    Open({std::string(Hyou) + "\x8e\xa6 Apple", "apple pie", std::string(A) + " apple"});
    // The selection, short and on one line, fills the dialog's field.
    Select(1, 0, 1, 5);
    HWND dialog = OpenDialog(CMD_FIND, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, edt1), "apple");
    EXPECT_TRUE(IsDlgButtonChecked(dialog, rad2)) << "the search goes down at first";

    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "2:3-2:8");
    EXPECT_EQ(Note(), "");
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "0:5-0:10") << "case is not matched";
    EXPECT_EQ(Note(), WrappedForward);
    CheckDlgButton(dialog, chx2, BST_CHECKED);
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "1:0-1:5");
    EXPECT_EQ(Note(), "");
    // Upwards, matching case, "Apple" is passed over and the search goes round the start.
    CheckDlgButton(dialog, rad2, BST_UNCHECKED);
    CheckDlgButton(dialog, rad1, BST_CHECKED);
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "2:3-2:8");
    EXPECT_EQ(Note(), WrappedBackward);

    // A selection over two lines leaves the field as it was; a new one replaces it.
    Select(0, 2, 1, 3);
    Command(CMD_FIND);
    EXPECT_EQ(SearchDialog(), dialog);
    EXPECT_EQ(Field(dialog, edt1), "apple");
    Select(1, 6, 1, 9);
    Command(CMD_FIND);
    EXPECT_EQ(Field(dialog, edt1), "pie");
    CloseDialog(dialog);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(FindCommandsTest, NoMatchAnywhereSaysSoInABoxAndMovesNothing)
{
    Open({std::string(A) + Hyou, "x"});
    Select(1, 0, 1, 1);
    HWND dialog = OpenDialog(CMD_FIND, "A");
    ASSERT_NE(dialog, nullptr);
    // The trail bytes "A" and the backslash are halves of characters, not characters.
    EXPECT_EQ(PressForBox(dialog, IDOK), "「A」が見つかりません。");
    EXPECT_EQ(Selection(), "1:0-1:1");
    SetDlgItemTextA(dialog, edt1, "\\");
    EXPECT_EQ(PressForBox(dialog, IDOK), "「\\」が見つかりません。");
    EXPECT_EQ(Selection(), "1:0-1:1");
    // The dialog hands over code page 932: the character itself is found.
    SetDlgItemTextA(dialog, edt1, Hyou);
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "0:2-0:4");
    Select(1, 0, 1, 1);
    SetDlgItemTextA(dialog, edt1, "\\");
    EXPECT_EQ(PressForBox(dialog, IDOK), "「\\」が見つかりません。");
    CloseDialog(dialog);
    // F3 without the dialog says it too, and the box belongs to the main window.
    BoxAnswerer answer(IDOK);
    Command(CMD_FIND_NEXT);
    EXPECT_EQ(answer.Seen().text, "「\\」が見つかりません。");
    EXPECT_EQ(Selection(), "1:0-1:1");
}

TEST_F(FindCommandsTest, F3AndShiftF3FindWithoutTheDialogAndBringTheMatchIntoView)
{
    Lines lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back(i % 100 == 50 ? "the needle " + std::to_string(i) : "hay " + std::to_string(i));
    Open(lines);
    HWND dialog = OpenDialog(CMD_FIND, "NEEDLE");
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "50:4-50:10");
    CloseDialog(dialog);

    Command(CMD_FIND_NEXT);
    EXPECT_EQ(Selection(), "150:4-150:10");
    EXPECT_TRUE(RowShown(150)) << "the match is scrolled into view";
    Command(CMD_FIND_NEXT);
    EXPECT_EQ(Selection(), "250:4-250:10");
    Command(CMD_FIND_PREVIOUS);
    EXPECT_EQ(Selection(), "150:4-150:10");
    Command(CMD_FIND_PREVIOUS);
    Command(CMD_FIND_PREVIOUS);
    EXPECT_EQ(Selection(), "250:4-250:10");
    EXPECT_EQ(Note(), WrappedBackward);
    EXPECT_TRUE(RowShown(250));
    // Typing then goes where the match was: a move by search starts a new typing step.
    Type("x");
    EXPECT_EQ(LinesOf(View.firstLine)[250], "the x 250");
}

TEST_F(FindCommandsTest, ReplaceTakesTheMatchAndFindsTheNextAndReplaceAllIsOneUndoStep)
{
    Lines lines = {"cat Cat", "concat cat", std::string(A) + "cat"};
    Open(lines);
    HWND dialog = OpenDialog(CMD_REPLACE, "cat", false, true);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, edt2, "dog");
    // Replace with nothing selected only finds.
    Press(dialog, psh1);
    EXPECT_EQ(Selection(), "0:0-0:3");
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    Press(dialog, psh1);
    EXPECT_EQ(LinesOf(View.firstLine)[0], "dog Cat");
    EXPECT_EQ(Selection(), "0:4-0:7");
    Press(dialog, psh1);
    EXPECT_EQ(LinesOf(View.firstLine)[0], "dog dog");
    EXPECT_EQ(Selection(), "1:7-1:10") << "concat is no whole word";
    EXPECT_EQ(Title(), "Tessary [find.txt *]");

    // Replace All: the rest, told by count, and taken back by one Undo.
    EXPECT_EQ(PressForBox(dialog, psh2), "「cat」を 2 か所置換しました。");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"dog dog", "concat dog", std::string(A) + "dog"}));
    EXPECT_TRUE(EditAndReport(UndoEdit));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"dog dog", "concat cat", std::string(A) + "cat"}));
    EXPECT_TRUE(EditAndReport(UndoEdit));
    EXPECT_TRUE(EditAndReport(UndoEdit));
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_EQ(Title(), "Tessary [find.txt]");

    // A replacement that holds the pattern is not searched again.
    SetDlgItemTextA(dialog, edt2, "cat cat");
    CheckDlgButton(dialog, chx1, BST_UNCHECKED);
    EXPECT_EQ(PressForBox(dialog, psh2), "「cat」を 5 か所置換しました。");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"cat cat cat cat", "concat cat cat cat", std::string(A) + "cat cat"}));
    SetDlgItemTextA(dialog, edt1, "bird");
    EXPECT_EQ(PressForBox(dialog, psh2), "「bird」が見つかりません。");
    CloseDialog(dialog);

    // The message is registered for every program; one that is not our dialog's does nothing.
    char what[] = "cat";
    char with[] = "x";
    FINDREPLACEA stranger = {};
    stranger.lStructSize = sizeof stranger;
    stranger.Flags = FR_REPLACEALL;
    stranger.lpstrFindWhat = what;
    stranger.wFindWhatLen = sizeof what;
    stranger.lpstrReplaceWith = with;
    stranger.wReplaceWithLen = sizeof with;
    BoxAnswerer answer(IDOK);
    SendMessageA(MainWindow, RegisterWindowMessageA(FINDMSGSTRINGA), 0, reinterpret_cast<LPARAM>(&stranger));
    answer.Seen();
    EXPECT_FALSE(answer.Answered());
    EXPECT_EQ(LinesOf(View.firstLine)[0], "cat cat cat cat");
}

// Holds the worker's report of its end until the test lets it go, so that the load stays in
// progress however fast the file is read.
void (*WindowLoadEnded)(bool, unsigned long) = nullptr;

HANDLE EndReleased()
{
    static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void EndWhenReleased(bool complete, unsigned long error)
{
    WaitForSingleObject(EndReleased(), 60000);
    WindowLoadEnded(complete, error);
}

struct HeldLoadEnd {
    HeldLoadEnd()
    {
        ResetEvent(EndReleased());
        WindowLoadEnded = LoadEnded;
        LoadEnded = EndWhenReleased;
    }
    ~HeldLoadEnd() { Release(); }
    void Release()
    {
        SetEvent(EndReleased());
        LoadEnded = WindowLoadEnded;
    }
};

bool LineArrived(int index)
{
    DocumentGuard guard;
    return LineAtIndex(index) != nullptr;
}

TEST_F(FindCommandsTest, DuringALoadFindSearchesTheLinesReadAndReplaceWaits)
{
    Lines lines;
    for (int i = 0; i < 4000; ++i)
        lines.push_back((i == 3 ? "needle " : "hay ") + std::string(200, static_cast<char>('a' + i % 26)));
    std::string path = Path("large.txt");
    ASSERT_TRUE(WriteFileBytes(path, Joined(lines)));
    HWND dialog = OpenDialog(CMD_REPLACE, "needle", true);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, edt2, "pin");
    EXPECT_EQ(PressForBox(dialog, IDOK), "「needle」が見つかりません。");

    HeldLoadEnd held;
    OpenDocument(path.c_str());
    ASSERT_TRUE(LoadInProgress());
    EXPECT_EQ(StatusPart(1), "") << "the position waits for the load's end";
    for (int waited = 0; !LineArrived(10) && waited < 10000; ++waited)
        Sleep(1);
    ASSERT_TRUE(LineArrived(10));
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "3:0-3:6");
    EXPECT_EQ(PressForBox(dialog, psh1), LoadingText);
    EXPECT_EQ(PressForBox(dialog, psh2), LoadingText);
    EXPECT_TRUE(LoadInProgress());
    EXPECT_EQ(LinesOf(View.firstLine)[3].substr(0, 7), "needle ");
    held.Release();
    ASSERT_TRUE(PumpUntilLoaded());
    EXPECT_EQ(Note(), "読み込み完了");
    EXPECT_EQ(StatusPart(1), "4 行, 7 桁");
    EXPECT_EQ(PressForBox(dialog, psh2), "「needle」を 1 か所置換しました。");
    EXPECT_EQ(LinesOf(View.firstLine)[3].substr(0, 4), "pin ");
    CloseDialog(dialog);
}

TEST_F(FindCommandsTest, AUtf8DocumentIsSearchedAndReplacedInItsOwnCode)
{
    // A line with a character of four bytes: the selection's UTF-8 becomes the pattern.
    Open({"\xe3\x81\x82\xe3\x81\x84 Cat", "\xf0\xa0\xae\xb7\xe3\x81\x82"});
    {
        DocumentGuard guard;
        SetDocumentCode(CodeUtf8);
    }
    Select(0, 0, 0, 3);
    HWND dialog = OpenDialog(CMD_REPLACE, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, edt1), "\x82\xa0");
    wchar_t field[16] = L"";
    GetDlgItemTextW(dialog, edt1, field, 16);
    EXPECT_EQ(std::wstring(field), L"\x3042");
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(), "1:4-1:7") << "the next match after the selection, past the four-byte character";
    SetDlgItemTextW(dialog, edt2, L"\x30A2");
    EXPECT_EQ(PressForBox(dialog, psh2), "「\x82\xa0」を 2 か所置換しました。");
    EXPECT_EQ(LinesOf(View.firstLine),
              Lines({"\xe3\x82\xa2\xe3\x81\x84 Cat", "\xf0\xa0\xae\xb7\xe3\x82\xa2"}));
    // Letters fold in any code; the inside of a character is never a match.
    SetDlgItemTextW(dialog, edt1, L"cat");
    EXPECT_EQ(PressForBox(dialog, psh2), "「cat」を 1 か所置換しました。");
    EXPECT_EQ(LinesOf(View.firstLine)[0], "\xe3\x82\xa2\xe3\x81\x84 \xe3\x82\xa2");
    CloseDialog(dialog);
}
