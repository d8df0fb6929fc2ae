#include "tests/app/main_window_fixture.h"
#include "app/document_commands.h"
#include "document/document_lock.h"

#include <cstdio>
#include <random>

namespace {

typedef std::vector<std::string> Lines;

const char RefusalText[] = "ファイルを読み込み中です。読み込みが終わってから、もう一度お試しください。";

std::string Joined(const Lines& lines)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i)
        bytes += (i == 0 ? "" : "\r\n") + lines[i];
    return bytes;
}

Lines NumberedLines(int count, int width)
{
    Lines lines;
    for (int i = 0; i < count; ++i) {
        std::string line = "line " + std::to_string(i) + " ";
        line += std::string(static_cast<size_t>(width + i % 13) - line.size() % 8, static_cast<char>('a' + i % 26));
        lines.push_back(line);
    }
    return lines;
}

// The texts of the status bar's first part, where the loader sets them, recorded on their way
// in; the caret's place has a part of its own.
std::vector<std::string> StatusTexts;
WNDPROC StatusBarProc = nullptr;

LRESULT CALLBACK RecordStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SB_SETTEXTA && LOBYTE(wParam) == 0)
        StatusTexts.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(StatusBarProc, window, message, wParam, lParam);
}

class BackgroundLoadWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        StatusTexts.clear();
        StatusBarProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(StatusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordStatus)));
    }

    std::string StatusText()
    {
        char text[256] = "";
        SendMessageA(StatusBar, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }

    // The totals the last layout left, against those of a fresh one. The widest extent only grows
    // with edits (a break typed into the widest line leaves it until the next full measuring), so
    // after edits it may be larger than a fresh one, never smaller: the bar must reach every end.
    void ExpectLayoutCurrent(bool edited = false)
    {
        int rows = View.totalRows, width = View.maxLineWidth;
        Relayout();
        EXPECT_EQ(View.totalRows, rows);
        if (edited)
            EXPECT_GE(width, View.maxLineWidth);
        else
            EXPECT_EQ(width, View.maxLineWidth);
    }
};

TEST_F(BackgroundLoadWindowTest, OneByteOverTheThresholdLoadsInTheBackgroundWithProgress)
{
    Lines lines = NumberedLines(1000, 300);
    std::string bytes = Joined(lines);
    std::string path = Path("large.txt");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    OpenDocument(path.c_str());
    EXPECT_TRUE(LoadInProgress());
    EXPECT_EQ(Title(), "Tessary [large.txt]");
    ASSERT_TRUE(PumpUntilLoaded());
    EXPECT_EQ(StatusTexts, Lines({"読み込み中...(256行)", "読み込み中...(512行)", "読み込み中...(768行)", "読み込み完了"}));
    EXPECT_EQ(StatusText(), "読み込み完了");
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_EQ(View.totalRows, 1000);
    ExpectLayoutCurrent();
    EXPECT_FALSE(SaveAvailable());
}

TEST_F(BackgroundLoadWindowTest, TheThresholdItselfIsReadAtOnceWithoutAnyStatusText)
{
    std::string bytes(LoadThreshold - 1, 'x');
    bytes += "\n";
    std::string path = Path("limit.txt");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    OpenDocument(path.c_str());
    EXPECT_FALSE(LoadInProgress());
    Pump();
    EXPECT_TRUE(StatusTexts.empty());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string(LoadThreshold - 1, 'x'), ""}));

    // One byte more, without any terminator: one line, and only the final text.
    std::string over = Path("over.txt");
    ASSERT_TRUE(WriteFileBytes(over, std::string(LoadThreshold + 1, 'y')));
    View.path[0] = 0;
    OpenDocument(over.c_str());
    ASSERT_TRUE(PumpUntilLoaded());
    EXPECT_EQ(StatusTexts, Lines({"読み込み完了"}));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string(LoadThreshold + 1, 'y')}));
    ExpectLayoutCurrent();
}

// One edit the stress test made: the byte typed at a place of the document.
struct Edit {
    int line;
    int pos;
    char byte;
};

// The lines a document of these lines becomes by the edits, made as typing makes them.
Lines Apply(Lines lines, const std::vector<Edit>& edits)
{
    for (const Edit& edit : edits) {
        std::string& line = lines[static_cast<size_t>(edit.line)];
        if (edit.byte == '\r') {
            std::string tail = line.substr(static_cast<size_t>(edit.pos));
            line.resize(static_cast<size_t>(edit.pos));
            lines.insert(lines.begin() + edit.line + 1, tail);
        } else {
            line.insert(line.begin() + edit.pos, edit.byte);
        }
    }
    return lines;
}

// The status texts of a load of the given number of lines: progress counts that only grow, in
// steps of 256, the last of them the last whole 256, then the end. Texts the window thread had
// no time to show may be left out.
void ExpectProgressOf(int lines)
{
    ASSERT_GE(StatusTexts.size(), 2u);
    EXPECT_EQ(StatusTexts.back(), "読み込み完了");
    int previous = 0;
    for (size_t i = 0; i + 1 < StatusTexts.size(); ++i) {
        int count = 0;
        ASSERT_EQ(std::sscanf(StatusTexts[i].c_str(), "読み込み中...(%d行)", &count), 1) << StatusTexts[i];
        EXPECT_EQ(count % 256, 0);
        EXPECT_GT(count, previous);
        previous = count;
    }
    EXPECT_EQ(previous, (lines - 1) / 256 * 256);
}

// The window's own progress hook, and one that passes each text on and then pauses: a load of
// this size is over too soon for a user to do much while it runs.
void (*PassProgress)(const char* text) = nullptr;

void PausingProgress(const char* text)
{
    PassProgress(text);
    Sleep(1);
}

int LineIndex(const TextLine* target)
{
    int index = 0;
    for (const TextLine* line = View.firstLine; line != target; line = line->next)
        ++index;
    return index;
}

TEST_F(BackgroundLoadWindowTest, EverythingAUserCanDoDuringALargeLoadKeepsTheDocumentWhole)
{
    // About 20 MB in lines of mixed width.
    Lines lines = NumberedLines(420000, 40);
    std::string path = Path("huge.txt");
    ASSERT_TRUE(WriteFileBytes(path, Joined(lines)));
    const int keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
    const int wraps[] = {CMD_NO_WRAP, CMD_WRAP_AT_WINDOW, CMD_WRAP_AT_COLUMNS};
    const int refused[] = {CMD_NEW, CMD_CLOSE_AND_OPEN, CMD_SAVE, CMD_SAVE_AS, CMD_EXIT};
    PassProgress = LoadProgress;
    LoadProgress = PausingProgress;

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::mt19937 random(static_cast<unsigned>(round * 7919 + 1));
        View.modified = false;
        View.path[0] = 0;
        StatusTexts.clear();
        NewDocument();
        OpenDocument(path.c_str());
        ASSERT_TRUE(LoadInProgress());
        DWORD started = GetTickCount();
        std::vector<Edit> edits;
        int refusals = 0, actions = 0, relayouts = 0;
        while (LoadInProgress()) {
            ++actions;
            // Keys, typing and scrolling come often. A resize or a wrap change re-measures every
            // line read so far, and a command opens a box: those come now and then.
            int dice = static_cast<int>(random() % 100);
            int action = dice < 40 ? 0 : dice < 60 ? 2 : dice < 75 ? 3 : dice < 85 ? 4 : dice < 90 ? 5 : dice < 95 ? 6 : 7;
            if ((action == 5 || action == 6) && ++relayouts > 15)
                action = 0;
            if (action == 7 && refusals >= 10)
                action = 3;
            switch (action) {
            case 0:
            case 1: Key(keys[random() % 8]); break;
            case 2: {
                char byte = random() % 4 == 0 ? '\r' : static_cast<char>('A' + random() % 26);
                DocumentGuard guard;
                // The line the worker is filling takes the file's next bytes after the typed
                // ones; typing goes only into lines it has finished.
                if (View.caret.line->next == nullptr)
                    break;
                edits.push_back({LineIndex(View.caret.line), View.caret.pos, byte});
                Type(std::string(1, byte));
                break;
            }
            case 3: SendMessageA(View.hwnd, WM_VSCROLL, random() % 4, 0); break;
            case 4:
                SendMessageA(View.hwnd, random() % 2 ? WM_HSCROLL : WM_MOUSEWHEEL,
                             random() % 2 ? MAKEWPARAM(0, WHEEL_DELTA) : MAKEWPARAM(SB_LINERIGHT, 0), 0);
                break;
            case 5:
                SetWindowPos(MainWindow, nullptr, 0, 0, 300 + static_cast<int>(random() % 500),
                             200 + static_cast<int>(random() % 400), SWP_NOZORDER | SWP_NOMOVE);
                break;
            case 6: Command(wraps[random() % 3]); break;
            case 7: {
                // A load stays in progress until this thread has handled its end, so a
                // command issued now is certain to meet the load.
                BoxAnswerer answer(IDOK);
                if (random() % 5 == 4)
                    SendMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
                else
                    Command(refused[random() % 5]);
                BoxSeen seen = answer.Seen();
                EXPECT_EQ(seen.text, RefusalText);
                EXPECT_TRUE(IsWindow(MainWindow));
                ++refusals;
                break;
            }
            }
            Pump();
            Sleep(random() % 3);
        }
        ASSERT_TRUE(PumpUntilLoaded());
        EXPECT_GT(actions, 10);
        EXPECT_EQ(LinesOf(View.firstLine), Apply(lines, edits)) << edits.size() << " edits";
        EXPECT_EQ(StatusText(), "読み込み完了");
        ExpectProgressOf(static_cast<int>(lines.size()));
        ExpectLayoutCurrent(!edits.empty());
        EXPECT_STREQ(View.path, path.c_str());
        EXPECT_EQ(ReadFileBytes(path), Joined(lines)) << "nothing saved over the file";
        std::printf("round %d: %d actions, %zu edits, %d refused commands, %lu ms\n", round, actions, edits.size(),
                    refusals, GetTickCount() - started);
        View.modified = false;
    }
    LoadProgress = PassProgress;
}

}

TEST_F(BackgroundLoadWindowTest, TheSessionWaitsForALoadOnlyWhenThereAreChangesToLose)
{
    std::string path = Path("large.txt");
    ASSERT_TRUE(WriteFileBytes(path, Joined(NumberedLines(2000, 300))));
    // Holding the document keeps the worker from finishing while the system asks.
    LockDocument();
    OpenDocument(path.c_str());
    ASSERT_TRUE(LoadInProgress());
    {
        BoxAnswerer none(IDOK);
        EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), TRUE);
        none.Seen();
        EXPECT_FALSE(none.Answered());
    }
    Type("typed");
    BoxAnswerer answer(IDOK);
    EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(answer.Seen().text, RefusalText);
    UnlockDocument();
    ASSERT_TRUE(PumpUntilLoaded());
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ReadFileBytes(path), Joined(NumberedLines(2000, 300)));
}
