#include "tests/app/main_window_fixture.h"

#include <shlobj.h>

namespace {

typedef std::vector<std::string> Lines;

// A shell drop of the given names, as the shell hands it over: DragFinish releases it.
HDROP MakeDrop(const std::vector<std::string>& names)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& name : names)
        size += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* place = reinterpret_cast<char*>(drop + 1);
    for (const std::string& name : names) {
        std::memcpy(place, name.c_str(), name.size() + 1);
        place += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string ModulePath()
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    return module;
}

std::string InstanceText(const std::string& name)
{
    return "\"" + ModulePath() + "\" \"" + name + "\"";
}

TEST_F(MainWindowTest, StartsWithTheUntitledDocumentAndTheFocusInTheView)
{
    EXPECT_EQ(Title(), "Tessary [Untitled]");
    EXPECT_TRUE(SaveAvailable());
    EXPECT_TRUE(MenuGrayed(CMD_CUT));
    EXPECT_TRUE(MenuGrayed(CMD_COPY));
    EXPECT_FALSE(ButtonEnabled(CMD_CUT));
    EXPECT_TRUE(MenuChecked(CMD_NO_WRAP));
    EXPECT_EQ(GetFocus(), View.hwnd);
    EXPECT_NE(StatusBar, nullptr);
    RECT client, view;
    GetClientRect(MainWindow, &client);
    GetWindowRect(View.hwnd, &view);
    EXPECT_EQ(view.right - view.left, client.right) << "the view spans the frame";
}

TEST_F(MainWindowTest, CommandsThatDoNothingLeaveDocumentAndTitleAlone)
{
    Type("text");
    for (int id : {CMD_FIND, CMD_TYPE_SETTINGS}) {
        EXPECT_EQ(Command(id), 0) << id;
        EXPECT_EQ(LinesOf(View.firstLine), Lines({"text"})) << id;
        EXPECT_EQ(Title(), "Tessary [Untitled *]") << id;
    }
    EXPECT_EQ(View.caret.pos, 4);
    EXPECT_TRUE(SaveAvailable());
}

TEST_F(MainWindowTest, TheDialogCommandsOpenTheirDialogsOverTheMainWindow)
{
    const struct {
        int id;
        const char* caption;
    } dialogs[] = {
        {CMD_DOCUMENT_INFO, "文書の情報"}, {CMD_COMMON_SETTINGS, "共通の設定"}, {CMD_VERSION, "ﾊﾞｰｼﾞｮﾝ情報"},
        {CMD_PRINT, "印刷"}, {CMD_PAGE_SETUP, "ページ設定"}};
    for (const auto& dialog : dialogs) {
        HWND owner = nullptr;
        BoxAnswerer answer([&](HWND box) {
            owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_EQ(Command(dialog.id), 0);
        EXPECT_EQ(answer.Seen().caption, dialog.caption);
        EXPECT_EQ(owner, MainWindow) << dialog.caption;
    }
    EXPECT_EQ(Title(), "Tessary [Untitled]");
}

TEST_F(MainWindowTest, NewAsksAboutChangesAndStartsAnEmptyDocument)
{
    Type("draft");
    BoxAnswerer answer(IDNO);
    Command(CMD_NEW);
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "保存");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
    EXPECT_EQ(Title(), "Tessary [Untitled]");
}

TEST_F(MainWindowTest, TheWrapItemsMoveTheMarkAndMeasureAgain)
{
    DestroyLines(View.firstLine);
    View.firstLine = MakeLines({std::string(170, 'a')});
    ResetView();
    EXPECT_EQ(View.totalRows, 1);
    Command(CMD_WRAP_AT_COLUMNS);
    EXPECT_EQ(View.totalRows, 3);
    EXPECT_TRUE(MenuChecked(CMD_WRAP_AT_COLUMNS));
    EXPECT_FALSE(MenuChecked(CMD_NO_WRAP));
    EXPECT_FALSE(MenuChecked(CMD_WRAP_AT_WINDOW));
    // The line changes behind the layout's back; choosing the checked item again re-measures.
    View.firstLine->SetText(std::string(250, 'b').c_str(), 250);
    Command(CMD_WRAP_AT_COLUMNS);
    EXPECT_EQ(View.totalRows, 4);
    Command(CMD_NO_WRAP);
    EXPECT_EQ(WrapMode, -1);
    EXPECT_EQ(View.totalRows, 1);
}

TEST_F(MainWindowTest, TheCloseBoxAsksAboutChangesAndCancelKeepsTheWindow)
{
    Type("keep me");
    {
        BoxAnswerer answer(IDCANCEL);
        SendMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(answer.Seen().text, "ファイルを保存しますか？");
    }
    ASSERT_TRUE(IsWindow(MainWindow));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"keep me"}));
    BoxAnswerer answer(IDNO);
    SendMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    answer.Seen();
    EXPECT_FALSE(IsWindow(MainWindow));
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(MainWindowTest, ExitOnAnUnchangedDocumentClosesWithoutAsking)
{
    BoxAnswerer answer(IDCANCEL);
    Command(CMD_EXIT);
    answer.Seen();
    EXPECT_FALSE(answer.Answered());
    EXPECT_FALSE(IsWindow(MainWindow));
}

// Other programs close windows with WM_CLOSE (a task manager's End task, a script): unsaved
// changes must not go without the question.
TEST_F(MainWindowTest, CloseSentByAnotherProgramAsksAsTheCloseBoxDoes)
{
    Type("kept");
    {
        BoxAnswerer answer(IDCANCEL);
        SendMessageA(MainWindow, WM_CLOSE, 0, 0);
        EXPECT_EQ(answer.Seen().text, "ファイルを保存しますか？");
        EXPECT_TRUE(IsWindow(MainWindow));
        EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>({"kept"}));
    }
    BoxAnswerer answer(IDNO);
    SendMessageA(MainWindow, WM_CLOSE, 0, 0);
    answer.Seen();
    EXPECT_FALSE(IsWindow(MainWindow));
}

TEST_F(MainWindowTest, ToolbarTooltipsComeFromTheButtonTable)
{
    TOOLTIPTEXTA tip = {};
    tip.hdr.code = TTN_NEEDTEXTA;
    tip.hdr.idFrom = CMD_SAVE;
    EXPECT_EQ(SendMessageA(MainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip)), 0);
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_STREQ(tip.lpszText, "上書保存");
    TOOLTIPTEXTA other = {};
    other.hdr.code = TTN_NEEDTEXTA;
    other.hdr.idFrom = CMD_FIND;
    char mine[] = "mine";
    other.lpszText = mine;
    SendMessageA(MainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(other.lpszText, mine);
}

TEST_F(MainWindowTest, DroppedFilesOpenTheFirstHereAndTheRestInNewInstances)
{
    std::string first = Path("one.txt"), second = Path("two.txt"), third = Path("three.txt");
    ASSERT_TRUE(WriteFileBytes(first, "first"));
    SendMessageA(MainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({first, second, third})), 0);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"first"}));
    EXPECT_EQ(Title(), "Tessary [one.txt]");
    EXPECT_EQ(Starts(), Lines({InstanceText(second), InstanceText(third)}));

    // Now the window holds a named document, so every file goes elsewhere.
    Starts().clear();
    SendMessageA(MainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({third, first})), 0);
    EXPECT_EQ(Starts(), Lines({InstanceText(third), InstanceText(first)}));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"first"}));
}

TEST_F(MainWindowTest, AnOverlongDroppedNameIsRefusedAndTheOthersStillOpen)
{
    std::string longName = folder + "\\" + std::string(270, 'n') + ".txt";
    std::string named = Path("fine.txt");
    ASSERT_TRUE(WriteFileBytes(named, "fine"));
    BoxAnswerer answer(IDOK);
    SendMessageA(MainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({longName, named})), 0);
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"fine"}));
    EXPECT_TRUE(Starts().empty());
}

TEST_F(MainWindowTest, OpenGoesToANewInstanceOnceTheWindowHoldsChanges)
{
    Type("changes");
    std::string path = Path("elsewhere.txt");
    OpenDocument(path.c_str());
    EXPECT_EQ(Starts(), Lines({InstanceText(path)}));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"changes"}));
    EXPECT_TRUE(View.modified);

    // The Open command asks with a dialog of its own; cancelling it starts nothing.
    Starts().clear();
    BoxAnswerer cancel(IDCANCEL);
    Command(CMD_OPEN);
    cancel.Seen();
    EXPECT_TRUE(cancel.Answered());
    EXPECT_TRUE(Starts().empty());

    // A name that does not exist yet is offered for creation first.
    bool askedToCreate = false;
    BoxAnswerer choose([&](HWND dialog) {
        ChooseFileName(dialog, path.c_str());
        HWND question = WaitForDialog(dialog, 5000);
        if (question == nullptr)
            return;
        askedToCreate = true;
        PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    });
    Command(CMD_OPEN);
    choose.Seen();
    EXPECT_TRUE(askedToCreate);
    EXPECT_EQ(Starts(), Lines({InstanceText(path)}));
}

TEST_F(MainWindowTest, OpenOnAFreeWindowOpensHere)
{
    std::string path = Path("here.txt");
    ASSERT_TRUE(WriteFileBytes(path, "here"));
    BoxAnswerer choose([&](HWND dialog) { ChooseFileName(dialog, path.c_str()); });
    Command(CMD_OPEN);
    choose.Seen();
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"here"}));
    EXPECT_TRUE(Starts().empty());
}

TEST_F(MainWindowTest, AnOverlongNameIsRefusedBeforeAnythingIsStarted)
{
    Type("changes");
    std::string longName = "C:\\" + std::string(300, 'x');
    BoxAnswerer answer(IDOK);
    OpenDocument(longName.c_str());
    EXPECT_EQ(answer.Seen().caption, "Error");
    EXPECT_TRUE(Starts().empty());
}

TEST(InstanceCommandTextTest, QuotesBothPathsAndRefusesWhatCannotFit)
{
    char text[CommandTextSize];
    ASSERT_TRUE(InstanceCommandText("C:\\Program Files\\Tessary\\Tessary.exe", "D:\\my docs\\a b.txt", text));
    EXPECT_STREQ(text, "\"C:\\Program Files\\Tessary\\Tessary.exe\" \"D:\\my docs\\a b.txt\"");
    std::string longest(259, 'p');
    ASSERT_TRUE(InstanceCommandText(longest.c_str(), longest.c_str(), text));
    EXPECT_EQ(std::strlen(text), 2 * 259 + 5u);
    std::string tooLong(260, 'p');
    EXPECT_FALSE(InstanceCommandText(tooLong.c_str(), "a", text));
    EXPECT_FALSE(InstanceCommandText("a", tooLong.c_str(), text));
}

}
