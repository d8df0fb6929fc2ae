#include "view/caret_moves.h"
#include "document/editor_record.h"
#include "document/char_classes.h"
#include "document/text_line.h"

namespace {

// The place for the caret on the row at y from PointToPos's pos. A break of a wrapped line is shown
// at the end of the upper row, so the start of a continuation row (what x 0 gives there) would
// put the caret back on the row above, where the next Down would find it again: the caret goes
// after the row's first character instead.
int ShownOnRow(const TextLine& line, int pos, int y)
{
    if (pos <= 0 || y <= 0 || PosToPoint(line, pos).y >= y)
        return pos;
    int next = NextCharPos(line, pos);
    return next >= 0 ? next : pos;
}

// The caret's row within its line, from its real layout.
int CaretRow()
{
    return PosToPoint(*View.caret.line, View.caret.pos).y / RowHeight();
}

// Puts the caret at its desired x on the given row of line. Rows come from rowCount, which typing
// leaves stale (0 for a line made by a break, too large for a line that was split); a row the
// line does not have is replaced by its real last row, so pos always lands inside the line.
void MoveToRow(TextLine* line, int lineIndex, int row)
{
    int lastRow = LineRows(*line) - 1;
    if (row < 0 || row > lastRow)
        row = lastRow;
    int y = row * RowHeight();
    int pos = ShownOnRow(*line, PointToPos(*line, View.caret.x, y), y);
    View.caret.line = line;
    View.caret.lineIndex = lineIndex;
    View.caret.pos = pos >= 0 ? pos : 0;
}

void SetDesiredX()
{
    View.caret.x = PosToPoint(*View.caret.line, View.caret.pos).x;
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
        --View.caret.lineIndex;
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
        ++View.caret.lineIndex;
        View.caret.pos = 0;
    }
    SetDesiredX();
}

void MoveUp()
{
    TextLine* line = View.caret.line;
    int y = PosToPoint(*line, View.caret.pos).y - RowHeight();
    int p = PointToPos(*line, View.caret.x, y);
    if (p >= 0)
        View.caret.pos = ShownOnRow(*line, p, y);
    else if (line->prev != nullptr)
        MoveToRow(line->prev, View.caret.lineIndex - 1, line->prev->rowCount - 1);
}

void MoveDown()
{
    TextLine* line = View.caret.line;
    int y = PosToPoint(*line, View.caret.pos).y + RowHeight();
    int p = PointToPos(*line, View.caret.x, y);
    if (p >= 0)
        View.caret.pos = ShownOnRow(*line, p, y);
    else if (line->next != nullptr)
        MoveToRow(line->next, View.caret.lineIndex + 1, 0);
}

// Counts display rows up from the caret's own row: the rows of its line above it first, then the
// cached rows of each earlier line, landing pageRows rows up or on the first row of the document.
void PageUp()
{
    TextLine* line = View.caret.line;
    int index = View.caret.lineIndex;
    int remaining = PageRows();
    int row = CaretRow();
    if (remaining <= row) {
        MoveToRow(line, index, row - remaining);
        return;
    }
    remaining -= row;
    while (line->prev != nullptr) {
        line = line->prev;
        --index;
        if (remaining <= line->rowCount) {
            MoveToRow(line, index, line->rowCount - remaining);
            return;
        }
        remaining -= line->rowCount;
    }
    MoveToRow(line, index, 0);
}

// rowsAbove is the distance from the caret's row to the first row of the line being looked at;
// the first line that reaches further than a page holds the target, pageRows rows down.
void PageDown()
{
    TextLine* line = View.caret.line;
    int index = View.caret.lineIndex;
    int pageRows = PageRows();
    int rowsAbove = -CaretRow();
    for (;;) {
        if (rowsAbove + line->rowCount > pageRows) {
            MoveToRow(line, index, pageRows - rowsAbove);
            return;
        }
        if (line->next == nullptr)
            break;
        rowsAbove += line->rowCount;
        line = line->next;
        ++index;
    }
    MoveToRow(line, index, line->rowCount - 1);
}

void MoveDocumentStart()
{
    View.caret.line = View.firstLine;
    View.caret.lineIndex = 0;
    MoveHome();
}

void MoveDocumentEnd()
{
    while (View.caret.line->next != nullptr) {
        View.caret.line = View.caret.line->next;
        ++View.caret.lineIndex;
    }
    MoveEnd();
}

int WordLeftOf(const TextLine& line, int pos)
{
    if (pos <= 0)
        return 0;
    const CharRule& rule = DocumentRule();
    bool blanks = ClassOfCharacter(rule, line.text + rule.stepBack(line.text, pos)) == ClassBlank;
    pos = WordStart(rule, line.text, pos);
    if (blanks && pos > 0)
        pos = WordStart(rule, line.text, pos);
    return pos;
}

int WordRightOf(const TextLine& line, int pos)
{
    if (pos >= line.length)
        return line.length;
    const CharRule& rule = DocumentRule();
    pos = WordEnd(rule, line.text, line.length, pos);
    if (pos < line.length && ClassOfCharacter(rule, line.text + pos) == ClassBlank)
        pos = WordEnd(rule, line.text, line.length, pos);
    return pos;
}

void MoveWordLeft()
{
    if (View.caret.pos == 0) {
        MoveLeft();
        return;
    }
    View.caret.pos = WordLeftOf(*View.caret.line, View.caret.pos);
    SetDesiredX();
}

void MoveWordRight()
{
    if (View.caret.pos == View.caret.line->length) {
        MoveRight();
        return;
    }
    View.caret.pos = WordRightOf(*View.caret.line, View.caret.pos);
    SetDesiredX();
}

LayoutPoint CaretViewPoint()
{
    int lineTop = 0;
    if (View.caret.line == nullptr || !CachedLineTop(View.caret.line, View.clientHeight, false, &lineTop)) {
        LayoutPoint parked = {CaretParked, CaretParked};
        return parked;
    }
    LayoutPoint point = PosToPoint(*View.caret.line, View.caret.pos);
    point.x += ViewOriginX();
    point.y += lineTop;
    return point;
}

namespace {

TextPlace HitPlace(int x, int y, int (*hit)(const TextLine&, int, int))
{
    TextPlace place = {View.topLine, View.topLineIndex, 0};
    if (place.line == nullptr)
        return place;
    // Only what is shown can be pointed at: a point outside the view is taken at its edge.
    x = x < 0 ? 0 : x > View.clientWidth ? View.clientWidth : x;
    y = y >= View.clientHeight ? View.clientHeight - 1 : y;
    y = y < 0 ? 0 : y;
    // A line a load has appended is not measured until the load ends; painting shows it, one
    // row high unless it wraps.
    int lineTop = TopLineY();
    int rows = place.line->rowCount > 0 ? place.line->rowCount : 1;
    while (place.line->next != nullptr && lineTop + rows * RowHeight() <= y) {
        lineTop += rows * RowHeight();
        place.line = place.line->next;
        ++place.lineIndex;
        rows = place.line->rowCount > 0 ? place.line->rowCount : 1;
    }
    // Below the last line the point is taken on its last row.
    int row = (y - lineTop) / RowHeight();
    if (row >= rows)
        row = rows - 1;
    place.pos = hit(*place.line, x - ViewOriginX(), row * RowHeight());
    // A stale rowCount may promise a row the line lacks.
    if (place.pos < 0)
        place.pos = place.line->length;
    return place;
}

}

TextPlace PlaceAtPoint(int x, int y)
{
    return HitPlace(x, y, PointToBoundary);
}

TextPlace CharacterAtPoint(int x, int y)
{
    return HitPlace(x, y, PointToPos);
}
