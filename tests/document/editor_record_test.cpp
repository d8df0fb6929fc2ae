#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "tests/test_support.h"
#include "view/caret_moves.h"
#include "view/char_input.h"

#include <gtest/gtest.h>

// Under AddressSanitizer, any use of a line after the list was destroyed stops the test.
TEST(EditorRecordTest, DiscardedLinesCannotBeReachedFromTheRecord)
{
    EditView view;
    view.firstLine = MakeLines({"one", "two", "three"});
    view.topLine = LineAt(view.firstLine, 1);
    view.caret.line = LineAt(view.firstLine, 2);
    view.caret.pos = 3;
    DiscardLines(view);
    EXPECT_EQ(view.firstLine, nullptr);
    EXPECT_EQ(view.topLine, nullptr);
    EXPECT_EQ(view.caret.line, nullptr);
    EXPECT_EQ(view.caret.pos, 0);
}

TEST(EditorRecordTest, TypingIntoADocumentWithoutLinesChangesNothing)
{
    ResetEditor();
    View.firstLine = MakeLines({"text"});
    View.topLine = View.caret.line = View.firstLine;
    DiscardLines(View);
    InsertText("ab\r\ncd", 6);
    EXPECT_EQ(View.firstLine, nullptr);
    EXPECT_FALSE(View.modified);
    LayoutPoint point = CaretViewPoint();
    EXPECT_EQ(point.x, CaretParked);
    ResetEditor();
}
