#include "view/mouse_select.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "layout/row_layout.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/editing.h"
#include "view/selection.h"
#include "view/viewport.h"

namespace {

const UINT_PTR DragTimer = 1;
const UINT DragInterval = 50;

bool Dragging = false;
bool Scrolling = false;
POINT DragPoint = {0, 0};

// How near the top or bottom edge the pointer starts the scrolling while still inside the view.
int EdgeMargin()
{
    return CellWidth / 2 > 1 ? CellWidth / 2 : 1;
}

// How far the drag scrolls in one tick: one row or cell at the edge, one more for every row or
// cell the pointer is beyond it, never more than a page.
int StepsPast(int distance, int unit, int page)
{
    int steps = 1 + distance / unit;
    int most = page > 1 ? page : 1;
    return steps < most ? steps : most;
}

int RowsToScroll(int y)
{
    if (y < EdgeMargin())
        return -StepsPast(y < 0 ? -y : 0, RowHeight(), PageRows());
    if (y >= View.clientHeight - EdgeMargin())
        return StepsPast(y > View.clientHeight ? y - View.clientHeight : 0, RowHeight(), PageRows());
    return 0;
}

int ColumnsToScroll(int x)
{
    int page = View.clientWidth / CellWidth;
    if (x < 0)
        return -StepsPast(-x, CellWidth, page);
    if (x > View.clientWidth)
        return StepsPast(x - View.clientWidth, CellWidth, page);
    return 0;
}

// The view y of the top of the row that shows place, kept within the view: above it for a line
// above topLine, its bottom for one below the last visible line.
int RowTopOf(const TextPlace& place)
{
    if (place.lineIndex < View.topLineIndex)
        return 0;
    int lineTop = 0;
    if (!CachedLineTop(place.line, View.clientHeight, false, &lineTop))
        return View.clientHeight;
    int top = lineTop + PosToPoint(*place.line, place.pos).y;
    return top < 0 ? 0 : top > View.clientHeight ? View.clientHeight : top;
}

// Repaints the rows from a's to b's, and the row after, where a place at the end of a wrapped
// row decides whether the first character of the next row is selected.
void InvalidateBetween(const TextPlace& a, const TextPlace& b)
{
    int top = RowTopOf(a);
    int bottom = RowTopOf(b);
    if (bottom < top) {
        int lower = top;
        top = bottom;
        bottom = lower;
    }
    RECT rows = {0, top, View.clientWidth, bottom + 2 * RowHeight()};
    InvalidateRect(View.hwnd, &rows, TRUE);
}

// After the caret or the anchor moved: places the system caret, repaints only what the selection
// gained or lost, and tells the commands when a selection came or went.
void ShowSelectionChange(const TextPlace& oldAnchor, const TextPlace& oldCaret, bool wasSelected)
{
    PlaceCaret();
    bool selected = HasSelection();
    if (View.anchor == oldAnchor && (wasSelected || selected)) {
        InvalidateBetween(oldCaret, CaretPlace());
    } else if (View.anchor != oldAnchor) {
        if (wasSelected)
            InvalidateBetween(oldAnchor, oldCaret);
        if (selected)
            InvalidateBetween(View.anchor, CaretPlace());
    }
    if (selected != wasSelected && EditStateChanged != nullptr)
        EditStateChanged();
}

// Moves the caret to the place under the pointer, the anchor staying. A pointer still over the
// caret's place changes nothing and repaints nothing.
void SelectToPoint(int x, int y)
{
    TextPlace place = PlaceAtPoint(x, y);
    TextPlace oldCaret = CaretPlace();
    if (place == oldCaret)
        return;
    TextPlace oldAnchor = View.anchor;
    bool wasSelected = HasSelection();
    PlaceCaretAt(place);
    ShowSelectionChange(oldAnchor, oldCaret, wasSelected);
}

void StopScrolling()
{
    if (Scrolling)
        KillTimer(View.hwnd, DragTimer);
    Scrolling = false;
}

}

bool MouseSelecting()
{
    return Dragging;
}

void MouseDown(int x, int y, bool extend)
{
    if (GetFocus() != View.hwnd)
        SetFocus(View.hwnd);
    // A drag whose end never came (its window went away) leaves nothing behind.
    DragEnded();
    DocumentGuard guard;
    if (View.caret.line == nullptr)
        return;
    TextPlace oldAnchor = View.anchor;
    TextPlace oldCaret = CaretPlace();
    bool wasSelected = HasSelection();
    PlaceCaretAt(PlaceAtPoint(x, y));
    if (!extend)
        CollapseSelection();
    EndTypingRun();
    DropPendingLeadByte();
    ShowSelectionChange(oldAnchor, oldCaret, wasSelected);
    EnsureCaretVisible();
    SetCapture(View.hwnd);
    Dragging = true;
    DragPoint.x = x;
    DragPoint.y = y;
}

void MouseDrag(int x, int y)
{
    if (!Dragging)
        return;
    DocumentGuard guard;
    DragPoint.x = x;
    DragPoint.y = y;
    SelectToPoint(x, y);
    // The timer runs only while there is somewhere to scroll towards.
    bool outside = RowsToScroll(y) != 0 || ColumnsToScroll(x) != 0;
    if (outside && !Scrolling)
        Scrolling = SetTimer(View.hwnd, DragTimer, DragInterval, nullptr) != 0;
    else if (!outside)
        StopScrolling();
}

void DragTimerTick(UINT_PTR timer)
{
    if (timer != DragTimer)
        return;
    if (!Dragging) {
        StopScrolling();
        return;
    }
    DocumentGuard guard;
    int columns = ColumnsToScroll(DragPoint.x);
    if (columns != 0)
        ScrollColumns(columns);
    int rows = RowsToScroll(DragPoint.y);
    if (rows != 0)
        ScrollRows(rows);
    SelectToPoint(DragPoint.x, DragPoint.y);
}

void MouseUp()
{
    if (Dragging && GetCapture() == View.hwnd)
        ReleaseCapture();
    DragEnded();
}

void DragEnded()
{
    Dragging = false;
    StopScrolling();
}

void MouseDoubleClick(int x, int y)
{
    DocumentGuard guard;
    if (View.caret.line == nullptr)
        return;
    TextPlace oldAnchor = View.anchor;
    TextPlace oldCaret = CaretPlace();
    bool wasSelected = HasSelection();
    SelectWordAt(CharacterAtPoint(x, y));
    EndTypingRun();
    DropPendingLeadByte();
    ShowSelectionChange(oldAnchor, oldCaret, wasSelected);
    EnsureCaretVisible();
}
