#include "tests/app/main_window_fixture.h"
#include "document/document_lock.h"
#include "view/caret_moves.h"

namespace {

class GoToLineTest : public MainWindowTest {
protected:
    void Open(int count)
    {
        std::string bytes;
        for (int i = 0; i < count; ++i)
            bytes += (i == 0 ? "" : "\r\n") + std::string("line ") + std::to_string(i + 1);
        std::string path = Path("lines.txt");
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        OpenDocument(path.c_str());
    }
};

// Whether the first row of the line numbered index has its top in the client area (the view
// scrolls just far enough for that).
bool RowShown(int index)
{
    int top = (index - View.topLineIndex) * RowHeight();
    return top >= 0 && top < View.clientHeight;
}

std::string Text(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// What the dialog showed after each number was typed and OK pressed: its message, or "closed".
struct Attempts {
    std::string range;
    std::string initial;
    std::vector<std::string> outcomes;
};

}

TEST_F(GoToLineTest, ANumberOfALineTakesTheCaretThereAndAnythingElseKeepsTheDialogOpen)
{
    Open(300);
    Key(VK_DOWN);
    Key(VK_END);
    Attempts seen;
    BoxAnswerer answer([&seen](HWND dialog) {
        seen.range = Text(dialog, IDC_LINE_RANGE);
        seen.initial = Text(dialog, IDC_LINE_NUMBER);
        // Full-width digits with an ideographic space count as a number.
        for (const char* typed : {"abc", "0", "301", "-5", " 12 3", "\x81\x40\x82\x52\x82\x4f\x82\x4f"}) {
            SetDlgItemTextA(dialog, IDC_LINE_NUMBER, typed);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            seen.outcomes.push_back(IsWindowVisible(dialog) ? Text(dialog, IDC_LINE_MESSAGE) : "closed");
        }
    });
    Command(CMD_GO_TO_LINE);
    answer.Seen();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(seen.range, "行番号（1 から 300 まで）：");
    EXPECT_EQ(seen.initial, "2");
    const std::string message = "1 から 300 までの行番号を入力してください。";
    EXPECT_EQ(seen.outcomes, std::vector<std::string>({message, message, message, message, message, "closed"}));
    {
        DocumentGuard guard;
        EXPECT_EQ(View.caret.lineIndex, 299);
        EXPECT_EQ(View.caret.line->text, std::string("line 300"));
        EXPECT_EQ(View.caret.pos, 0);
        EXPECT_EQ(View.anchor.line, View.caret.line) << "nothing is selected";
        EXPECT_EQ(View.anchor.pos, 0);
        EXPECT_TRUE(RowShown(299)) << "the line is scrolled into view";
    }
    EXPECT_EQ(StatusPart(1), "300 行, 1 桁");

    // Cancel leaves the caret where it was.
    BoxAnswerer cancel(IDCANCEL);
    Command(CMD_GO_TO_LINE);
    cancel.Seen();
    EXPECT_TRUE(cancel.Answered());
    EXPECT_EQ(View.caret.lineIndex, 299);
    BoxAnswerer first([](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_LINE_NUMBER, "1");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(CMD_GO_TO_LINE);
    first.Seen();
    EXPECT_EQ(View.caret.lineIndex, 0);
    EXPECT_EQ(View.topLineIndex, 0);
    EXPECT_EQ(StatusPart(1), "1 行, 1 桁");
}
