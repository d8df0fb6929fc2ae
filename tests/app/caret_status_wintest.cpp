#include "tests/app/main_window_fixture.h"
#include "document/document_lock.h"
#include "view/caret_moves.h"
#include "view/editing.h"

namespace {

typedef std::vector<std::string> Lines;

class CaretStatusTest : public MainWindowTest {
protected:
    void Open(const Lines& lines)
    {
        std::string bytes;
        for (size_t i = 0; i < lines.size(); ++i)
            bytes += (i == 0 ? "" : "\r\n") + lines[i];
        std::string path = Path("status.txt");
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        OpenDocument(path.c_str());
    }

    std::string Position() { return StatusPart(1); }
};

}

TEST_F(CaretStatusTest, TheStatusBarShowsTheCaretsLineAndCellColumnAfterMovesEditsAndWrapChanges)
{
    EXPECT_EQ(Position(), "1 行, 1 桁") << "the empty document at start";
    Open({"\tab" + std::string(120, 'x'), "\x95\x5c\x8e\xa6", ""});
    EXPECT_EQ(Position(), "1 行, 1 桁");
    Key(VK_RIGHT);
    EXPECT_EQ(Position(), "1 行, 5 桁") << "a tab takes the cells to the next stop";
    Key(VK_END);
    EXPECT_EQ(Position(), "1 行, 127 桁");
    // Wrapped at 80 cells, the column is counted in the caret's row.
    Command(CMD_WRAP_AT_COLUMNS);
    EXPECT_EQ(Position(), "1 行, 47 桁");
    Command(CMD_NO_WRAP);
    EXPECT_EQ(Position(), "1 行, 127 桁");
    // Double-byte characters take two cells each.
    Key(VK_DOWN);
    EXPECT_EQ(Position(), "2 行, 5 桁");
    Type("x");
    EXPECT_EQ(Position(), "2 行, 6 桁");
    Type("\r");
    EXPECT_EQ(Position(), "3 行, 1 桁");
    Type("\b");
    EXPECT_EQ(Position(), "2 行, 6 桁");
    EXPECT_TRUE(EditAndReport(UndoEdit));
    EXPECT_EQ(Position(), "3 行, 1 桁");
    Key(VK_UP);
    Key(VK_HOME);
    EXPECT_EQ(Position(), "2 行, 1 桁");
    // Nothing here touches the notes part, where the loader and the searches speak.
    EXPECT_EQ(StatusPart(0), "");
}

TEST_F(CaretStatusTest, TheNumberIsTheCaretsOwnFarDownALongDocument)
{
    Lines lines;
    for (int i = 0; i < 5000; ++i)
        lines.push_back("line " + std::to_string(i));
    Open(lines);
    Key(VK_NEXT);
    int page = PageRows();
    EXPECT_EQ(Position(), std::to_string(page + 1) + " 行, 1 桁");
    Key(VK_DOWN);
    Key(VK_END);
    EXPECT_EQ(Position(), std::to_string(page + 2) + " 行, " + std::to_string(lines[page + 1].size() + 1) + " 桁");
    {
        DocumentGuard guard;
        EXPECT_EQ(View.caret.lineIndex, page + 1);
    }
}

// The caret's place is drawn as soon as it changes, not left for the bar's next paint, and the
// bar's own paint of it shows the very same pixels: same font, same borders, same place.
TEST_F(CaretStatusTest, ThePlaceIsDrawnAtOnceAsTheBarItselfDrawsIt)
{
    Open({"one line of text", "two"});
    Pump();
    UpdateWindow(MainWindow);
    RECT part;
    ASSERT_TRUE(SendMessageA(StatusBar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part)));
    std::vector<COLORREF> before = WindowPixels(StatusBar, part);
    for (WPARAM key : {VK_END, VK_DOWN, VK_HOME}) {
        Key(key);
        EXPECT_FALSE(GetUpdateRect(StatusBar, nullptr, FALSE)) << "nothing is left for a later paint";
        std::vector<COLORREF> drawn = WindowPixels(StatusBar, part);
        EXPECT_NE(drawn, before) << "the new place shows";
        RedrawWindow(StatusBar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_EQ(drawn, WindowPixels(StatusBar, part)) << "after key " << key << ", at " << Position();
        before = drawn;
    }
    EXPECT_EQ(Position(), "2 行, 1 桁");
}

// A key handled before the bar's own paint (input comes before WM_PAINT) leaves the rest of the
// bar to that paint: uncovered, say, by a window that went away.
TEST_F(CaretStatusTest, DrawingThePlaceLeavesTheRestOfTheBarToBePainted)
{
    Open({"one line of text", "two"});
    Pump();
    UpdateWindow(MainWindow);
    RECT note;
    RECT place;
    ASSERT_TRUE(SendMessageA(StatusBar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&note)));
    ASSERT_TRUE(SendMessageA(StatusBar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&place)));
    InvalidateRect(StatusBar, nullptr, TRUE);
    Key(VK_END);
    EXPECT_EQ(Position(), "1 行, 17 桁");
    HRGN waiting = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetUpdateRgn(StatusBar, waiting, FALSE), NULLREGION) << "the bar was validated whole";
    EXPECT_TRUE(PtInRegion(waiting, (note.left + note.right) / 2, (note.top + note.bottom) / 2));
    EXPECT_FALSE(PtInRegion(waiting, (place.left + place.right) / 2, (place.top + place.bottom) / 2));
    DeleteObject(waiting);
    UpdateWindow(StatusBar);
    EXPECT_FALSE(GetUpdateRect(StatusBar, nullptr, FALSE));
}
