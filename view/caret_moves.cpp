#include "view/caret_moves.h"
#include "document/editor_record.h"
#include "document/text_line.h"

namespace {

// The caret's row within its line, from its real layout.
int CaretRow()
{
    return PosToPoint(*View.caret.line).y / RowHeight();
}

// Puts the caret at its desired x on the given row of line. Rows come from rowCount, which typing
// leaves stale (0 for a line made by a break, too large for a line that was split); a row the
// line does not have is replaced by its real last row, so pos always lands inside the line.
void MoveToRow(TextLine* line, int row)
{
    int lastRow = LineRows(*line) - 1;
    if (row < 0 || row > lastRow)
        row = lastRow;
    int pos = PointToPos(*line, View.caret.x, row * RowHeight());
    View.caret.line = line;
    View.caret.pos = pos >= 0 ? pos : 0;
}

void SetDesiredX()
{
    View.caret.x = PosToPoint(*View.caret.line).x;
}

}

int PageRows()
{
    return View.clientHeight / RowHeight();
}

void MoveHome()
{
    View.caret.pos = 0;
    View.caret.x = 0;
}

void MoveEnd()
{
    View.caret.pos = View.caret.line->length;
    SetDesiredX();
}

void MoveLeft()
{
    TextLine* line = View.caret.line;
    int p = PrevCharPos(*line, View.caret.pos);
    if (p >= 0) {
        View.caret.pos = p;
    } else if (line->prev != nullptr) {
        View.caret.line = line->prev;
        View.caret.pos = line->prev->length;
    }
    SetDesiredX();
}

void MoveRight()
{
    TextLine* line = View.caret.line;
    int p = NextCharPos(*line, View.caret.pos);
    if (p >= 0) {
        View.caret.pos = p;
    } else if (line->next != nullptr) {
        View.caret.line = line->next;
        View.caret.pos = 0;
    }
    SetDesiredX();
}

void MoveUp()
{
    TextLine* line = View.caret.line;
    int p = PointToPos(*line, View.caret.x, PosToPoint(*line).y - RowHeight());
    if (p >= 0)
        View.caret.pos = p;
    else if (line->prev != nullptr)
        MoveToRow(line->prev, line->prev->rowCount - 1);
}

void MoveDown()
{
    TextLine* line = View.caret.line;
    int p = PointToPos(*line, View.caret.x, PosToPoint(*line).y + RowHeight());
    if (p >= 0)
        View.caret.pos = p;
    else if (line->next != nullptr)
        MoveToRow(line->next, 0);
}

// Counts display rows up from the caret's own row: the rows of its line above it first, then the
// cached rows of each earlier line, landing pageRows rows up or on the first row of the document.
void PageUp()
{
    TextLine* line = View.caret.line;
    int remaining = PageRows();
    int row = CaretRow();
    if (remaining <= row) {
        MoveToRow(line, row - remaining);
        return;
    }
    remaining -= row;
    while (line->prev != nullptr) {
        line = line->prev;
        if (remaining <= line->rowCount) {
            MoveToRow(line, line->rowCount - remaining);
            return;
        }
        remaining -= line->rowCount;
    }
    MoveToRow(line, 0);
}

// rowsAbove is the distance from the caret's row to the first row of the line being looked at;
// the first line that reaches further than a page holds the target, pageRows rows down.
void PageDown()
{
    TextLine* line = View.caret.line;
    int pageRows = PageRows();
    int rowsAbove = -CaretRow();
    for (;;) {
        if (rowsAbove + line->rowCount > pageRows) {
            MoveToRow(line, pageRows - rowsAbove);
            return;
        }
        if (line->next == nullptr)
            break;
        rowsAbove += line->rowCount;
        line = line->next;
    }
    MoveToRow(line, line->rowCount - 1);
}

LayoutPoint CaretViewPoint()
{
    int lineTop = 0;
    if (View.caret.line == nullptr || !CachedLineTop(View.caret.line, View.clientHeight, false, &lineTop)) {
        LayoutPoint parked = {CaretParked, CaretParked};
        return parked;
    }
    LayoutPoint point = PosToPoint(*View.caret.line);
    point.x += ViewOriginX();
    point.y += lineTop;
    return point;
}
