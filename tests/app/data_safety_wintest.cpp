// The paths on which a user's text used to be lost or misplaced, driven through the real main
// window: boxes that let other commands and typing run under them, the session's end, the
// loader's private message and names that cannot be documents.
#include "app/document_commands.h"
#include "app/load_status.h"
#include "tests/app/main_window_fixture.h"

namespace {

typedef std::vector<std::string> Lines;

class DataSafetyTest : public MainWindowTest {
protected:
    // Puts lines into the window as a named, changed document with the caret on its last line.
    void Changed(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(WriteFileBytes(Path(name.c_str()), bytes));
        ASSERT_TRUE(OpenInPlace(Path(name.c_str()).c_str()));
        Key(VK_NEXT);
        Key(VK_END);
        Type("+");
        ASSERT_TRUE(View.modified);
    }
};

}

TEST_F(DataSafetyTest, TypingUnderTheWarningOfAnUnreadableFileGoesIntoTheNewDocument)
{
    std::string locked = Path("locked.txt");
    ASSERT_TRUE(WriteFileBytes(locked, "precious"));
    Changed("old.txt", "one\r\ntwo\r\nthree");
    View.modified = false;
    HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // While the warning is up the window repaints and takes keys; the old lines are gone by then.
    BoxAnswerer answer([](HWND box) {
        SendMessageA(View.hwnd, WM_CHAR, 'z', 0);
        SendMessageA(View.hwnd, WM_KEYDOWN, VK_END, 0);
        RedrawWindow(View.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_TRUE(OpenInPlace(locked.c_str()));
    BoxSeen seen = answer.Seen();
    CloseHandle(held);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"z"}));
    EXPECT_EQ(View.topLine, View.firstLine);
    EXPECT_EQ(View.caret.line, View.firstLine);
    EXPECT_EQ(ReadFileBytes(locked), "precious");
}

TEST_F(DataSafetyTest, NoDocumentCommandRunsWhileTheSaveQuestionIsUp)
{
    Changed("doc.txt", "text");
    std::atomic<int> extraBoxes{0};
    // Under the question the user clicks the close box, New, Save and Close-and-open; any box or
    // dialog they open is counted and cancelled.
    BoxAnswerer answer([&extraBoxes](HWND box) {
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            while (!done) {
                HWND other = WaitForDialog(box, 100);
                if (other == nullptr)
                    continue;
                ++extraBoxes;
                PostMessageA(other, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                WaitUntilGone(other);
            }
        });
        SendMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(CMD_NEW, 0), 0);
        SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(CMD_SAVE, 0), 0);
        SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(CMD_CLOSE_AND_OPEN, 0), 0);
        Sleep(300);
        done = true;
        watcher.join();
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    Command(CMD_NEW);
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.text, "ファイルを保存しますか？");
    EXPECT_EQ(extraBoxes, 0) << "a second command asked or showed a dialog inside the first";
    EXPECT_TRUE(IsWindow(MainWindow));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"text+"}));
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ReadFileBytes(Path("doc.txt")), "text");
    // Once the question is gone the commands work again.
    BoxAnswerer again(IDNO);
    Command(CMD_NEW);
    again.Seen();
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
}

TEST_F(DataSafetyTest, TheSessionEndsOnlyWhenTheUserLetsTheChangesGo)
{
    Changed("doc.txt", "text");
    {
        BoxAnswerer answer(IDCANCEL);
        EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), FALSE);
        EXPECT_EQ(answer.Seen().text, "ファイルを保存しますか？");
    }
    {
        // No lets the session end, but another program may still cancel it: nothing is thrown away.
        BoxAnswerer answer(IDNO);
        EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), TRUE);
        answer.Seen();
        EXPECT_EQ(LinesOf(View.firstLine), Lines({"text+"}));
        EXPECT_TRUE(View.modified);
        EXPECT_TRUE(IsWindow(MainWindow));
    }
    {
        BoxAnswerer answer(IDYES);
        EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), TRUE);
        answer.Seen();
        EXPECT_EQ(ReadFileBytes(Path("doc.txt")), "text+");
        EXPECT_FALSE(View.modified);
    }
    BoxAnswerer none(IDOK);
    EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), TRUE) << "nothing to save, nothing to ask";
    none.Seen();
    EXPECT_FALSE(none.Answered());
}

TEST_F(DataSafetyTest, AnotherProgramsEndOfLoadMessageChangesNothing)
{
    ASSERT_TRUE(WriteFileBytes(Path("doc.txt"), "text"));
    ASSERT_TRUE(OpenInPlace(Path("doc.txt").c_str()));
    BoxAnswerer answer(IDOK);
    PostMessageA(MainWindow, WM_APP + 1, 0, ERROR_NOT_ENOUGH_MEMORY);
    PostMessageA(MainWindow, LoadEndedMessage(), 0, ERROR_NOT_ENOUGH_MEMORY);
    PumpUntilLoaded();
    answer.Seen();
    EXPECT_FALSE(answer.Answered());
    EXPECT_STREQ(View.path, Path("doc.txt").c_str());
    EXPECT_FALSE(LoadInProgress());
}

TEST_F(DataSafetyTest, ANameWithADoubleQuoteIsRefusedBeforeAnyInstanceStarts)
{
    Changed("doc.txt", "text");
    BoxAnswerer answer(IDOK);
    OpenDocument((Path("a") + "\" \"b.txt").c_str());
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_FALSE(seen.text.empty());
    EXPECT_TRUE(Starts().empty());
    EXPECT_STREQ(View.path, Path("doc.txt").c_str());
}

TEST_F(DataSafetyTest, RelativeNamesAreMadeFullBeforeTheyAreKeptOrHandedOn)
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    OpenDocument("here.txt");
    EXPECT_STREQ(View.path, Path("here.txt").c_str());
    Type("x");
    OpenDocument("next.txt");
    // The directory moves, as the file dialogs move it on Windows.
    std::string elsewhere = NewTempFolder();
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
    Command(CMD_SAVE);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(ReadFileBytes(Path("here.txt")), "x");
    EXPECT_TRUE(FolderEntries(elsewhere).empty());
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_NE(Starts()[0].find("\"" + Path("next.txt") + "\""), std::string::npos) << Starts()[0];
}

TEST_F(DataSafetyTest, TheLimitOfAPathAppliesToTheFullName)
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    std::string deep = folder + "\\" + std::string(200, 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    BoxAnswerer answer(IDOK);
    OpenDocument((std::string(60, 'n') + ".txt").c_str());
    BoxSeen seen = answer.Seen();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_STREQ(View.path, "");
    EXPECT_TRUE(Starts().empty());
}

TEST_F(DataSafetyTest, ADocumentWithoutLinesTakesKeysPaintsAndCommands)
{
    // What is left when not even the first line of a document could be had.
    DiscardLines(View);
    ResetView();
    for (WPARAM key : {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_NEXT, VK_PRIOR})
        Key(key);
    Type("abc\r");
    SendMessageA(View.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(View.hwnd, WM_HSCROLL, SB_PAGERIGHT, 0);
    RedrawWindow(View.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Command(CMD_WRAP_AT_WINDOW);
    EXPECT_EQ(View.firstLine, nullptr);
    EXPECT_FALSE(View.modified);
    Command(CMD_NEW);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
}
