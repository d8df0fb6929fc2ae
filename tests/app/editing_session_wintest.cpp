#include "tests/app/main_window_fixture.h"

namespace {

typedef std::vector<std::string> Lines;

const char Hyou[] = "\x95\x5c";  // a double-byte character whose second byte is a backslash
const char Ji[] = "\x8e\xa6";

std::string Joined(const Lines& lines, const std::string& separator)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i)
        bytes += (i == 0 ? "" : separator) + lines[i];
    return bytes;
}

POINT CaretAfterPaint()
{
    UpdateWindow(View.hwnd);
    POINT point = {-1, -1};
    GetCaretPos(&point);
    return point;
}

int ScrollPosition(int bar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(View.hwnd, bar, &info);
    return info.nPos;
}

class EditingSessionTest : public MainWindowTest {
protected:
    Lines FileLines()
    {
        Lines lines = {std::string(Hyou) + Ji + "\tend", "abc", std::string(200, 'w')};
        for (int i = 3; i < 63; ++i)
            lines.push_back("line " + std::to_string(i));
        return lines;
    }
};

TEST_F(EditingSessionTest, AShiftJisFileIsOpenedMovedInTypedIntoWrappedScrolledAndSaved)
{
    std::string path = Path("session.txt");
    Lines lines = FileLines();
    ASSERT_TRUE(WriteFileBytes(path, Joined(lines, "\r\n")));

    OpenDocument(path.c_str());
    EXPECT_EQ(Title(), "Tessary [session.txt]");
    EXPECT_FALSE(SaveAvailable());
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_EQ(View.totalRows, 63);
    EXPECT_EQ(GetFocus(), View.hwnd);

    // Right steps over whole double-byte characters, and the caret is drawn in their cells.
    Key(VK_RIGHT);
    EXPECT_EQ(View.caret.pos, 2);
    Key(VK_RIGHT);
    EXPECT_EQ(View.caret.pos, 4);
    POINT caret = CaretAfterPaint();
    EXPECT_EQ(caret.x, 4 * 7);
    EXPECT_EQ(caret.y, 0);

    Type("X");
    EXPECT_EQ(Title(), "Tessary [session.txt *]");
    EXPECT_TRUE(SaveAvailable());
    Key(VK_RIGHT);
    EXPECT_EQ(View.caret.pos, 6);
    caret = CaretAfterPaint();
    EXPECT_EQ(caret.x, 8 * 7) << "after the tab, at the next stop";

    // Down keeps the column as far as the shorter line allows; Enter breaks the line there.
    Key(VK_DOWN);
    EXPECT_EQ(View.caret.pos, 3);
    Type("\r");
    Type("new");
    caret = CaretAfterPaint();
    EXPECT_EQ(caret.x, 3 * 7);
    EXPECT_EQ(caret.y, 2 * 14);

    // The wrap commands move the check mark and measure every line again.
    Command(CMD_WRAP_AT_COLUMNS);
    EXPECT_TRUE(MenuChecked(CMD_WRAP_AT_COLUMNS));
    EXPECT_FALSE(MenuChecked(CMD_NO_WRAP));
    EXPECT_EQ(WrapMode, 80);
    EXPECT_EQ(View.totalRows, 64 + 2);
    Command(CMD_WRAP_AT_WINDOW);
    EXPECT_TRUE(MenuChecked(CMD_WRAP_AT_WINDOW));
    EXPECT_FALSE(MenuChecked(CMD_WRAP_AT_COLUMNS));
    int cellsPerRow = View.clientWidth / 7;
    ASSERT_GT(cellsPerRow, 10);
    EXPECT_EQ(View.totalRows, 63 + (200 + cellsPerRow - 1) / cellsPerRow);
    Command(CMD_NO_WRAP);
    EXPECT_TRUE(MenuChecked(CMD_NO_WRAP));
    EXPECT_EQ(View.totalRows, 64);
    EXPECT_TRUE(SaveAvailable()) << "a wrap change keeps the document's changes";

    // Bars and wheel scroll the view; the bars show where it is.
    SendMessageA(View.hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    int paged = View.vScroll;
    EXPECT_GT(paged, 0);
    EXPECT_EQ(ScrollPosition(SB_VERT), paged);
    SendMessageA(View.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(View.vScroll, paged + 2);
    SendMessageA(View.hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(View.hScroll, 1);
    EXPECT_EQ(ScrollPosition(SB_HORZ), 1);
    // A move brings the caret, at the start of the third row, back into view.
    Key(VK_HOME);
    EXPECT_LE(View.vScroll, 2);
    EXPECT_EQ(View.hScroll, 0);

    Command(CMD_SAVE);
    Lines saved = lines;
    saved[0] = std::string(Hyou) + Ji + "X\tend";
    saved.insert(saved.begin() + 2, "new");
    EXPECT_EQ(LinesOf(View.firstLine), saved);
    EXPECT_EQ(ReadFileBytes(path), Joined(saved, "\r\n"));
    EXPECT_EQ(Title(), "Tessary [session.txt]");
    EXPECT_FALSE(SaveAvailable());
}

TEST_F(EditingSessionTest, SavingAnUntitledDocumentAsksForANameAndWritesThere)
{
    std::string path = Path("chosen.txt");
    Type("hello\rworld");
    EXPECT_EQ(Title(), "Tessary [Untitled *]");
    BoxAnswerer answer([&](HWND dialog) { ChooseFileName(dialog, path.c_str()); });
    Command(CMD_SAVE);
    answer.Seen();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(ReadFileBytes(path), "hello\r\nworld");
    EXPECT_STREQ(View.path, path.c_str());
    EXPECT_EQ(Title(), "Tessary [chosen.txt]");
    EXPECT_FALSE(SaveAvailable());
}

TEST_F(EditingSessionTest, AFailedSaveAsKeepsTheChosenNameAndTheChanges)
{
    std::string path = Path("held.txt");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Type("new");
    std::vector<BoxSeen> boxes;
    BoxAnswerer answer([&](HWND dialog) {
        ChooseFileName(dialog, path.c_str());
        // The file exists: first the question whether to replace it, then the failure.
        for (int reply : {IDYES, IDOK}) {
            HWND box = WaitForDialog(dialog);
            if (box == nullptr)
                return;
            boxes.push_back(DescribeDialog(box));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(reply, BN_CLICKED), 0);
            WaitUntilGone(box);
        }
    });
    Command(CMD_SAVE_AS);
    answer.Seen();
    CloseHandle(held);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Failed To Save The File.");
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_STREQ(View.path, path.c_str());
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(Title(), "Tessary [held.txt *]");
    EXPECT_TRUE(SaveAvailable());
}

TEST_F(EditingSessionTest, CloseAndOpenAsksForTheFileFirstAndThenAboutTheChanges)
{
    std::string path = Path("other.txt");
    ASSERT_TRUE(WriteFileBytes(path, "other\nfile"));
    Type("unsaved");
    std::vector<bool> wasFileDialog;
    BoxSeen question;
    BoxAnswerer answer([&](HWND dialog) {
        wasFileDialog.push_back(FileNameEdit(dialog) != nullptr);
        ChooseFileName(dialog, path.c_str());
        HWND box = WaitForDialog(dialog);
        if (box == nullptr)
            return;
        wasFileDialog.push_back(FileNameEdit(box) != nullptr);
        question = DescribeDialog(box);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    });
    Command(CMD_CLOSE_AND_OPEN);
    answer.Seen();
    EXPECT_EQ(wasFileDialog, std::vector<bool>({true, false}));
    EXPECT_EQ(question.text, "ファイルを保存しますか？");
    EXPECT_EQ(question.caption, "保存");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"other", "file"}));
    EXPECT_EQ(Title(), "Tessary [other.txt]");
    EXPECT_FALSE(View.modified);
}

TEST_F(EditingSessionTest, CancellingTheOpenDialogAsksNothingAndKeepsTheDocument)
{
    Type("kept");
    int dialogs = 0;
    BoxAnswerer answer([&](HWND dialog) {
        ++dialogs;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        WaitUntilGone(dialog);
        if (WaitForDialog(dialog, 500) != nullptr)
            ++dialogs;
    });
    Command(CMD_CLOSE_AND_OPEN);
    answer.Seen();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"kept"}));
    EXPECT_EQ(Title(), "Tessary [Untitled *]");
}

}
