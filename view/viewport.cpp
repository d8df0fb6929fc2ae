#include <windows.h>
#include "view/viewport.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_edit.h"
#include "document/text_line.h"
#include "layout/paint_view.h"
#include "platform/platform.h"
#include "platform/win32_hooks.h"
#include "view/caret_moves.h"
#include "view/document_layout.h"
#include "view/edit_view.h"
#include "view/input_method.h"
#include "view/editing.h"
#include "view/selection.h"

#include <climits>
#include <cstring>
#include <new>

void (*DocumentShown)() = nullptr;
void (*CaretMoved)() = nullptr;

namespace {

// The first reset runs while the window is being created and has no handle yet; the calls
// below must not reach every window on the desktop then (InvalidateRect of null does).
bool HasWindow()
{
    return View.hwnd != nullptr;
}

// What each bar was last given and how it was last drawn, for the window it belongs to. Under
// Wine drawing a scroll bar is a round trip to the display that costs milliseconds, while an edit
// rarely changes a bar and more rarely still moves its thumb by a pixel: a bar is given new
// values only when they change, without drawing, and drawn only when the system's own geometry
// of it (its thumb, its arrows' and its own state) differs from what is on the screen.
struct BarShown {
    HWND window;
    int max;
    int page;
    int pos;
    SCROLLBARINFO drawn;
};
BarShown Shown[2] = {};

BarShown& ShownFor(int bar)
{
    return Shown[bar == SB_VERT ? 1 : 0];
}

bool SameLook(const SCROLLBARINFO& a, const SCROLLBARINFO& b)
{
    return EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.dxyLineButton == b.dxyLineButton &&
           a.xyThumbTop == b.xyThumbTop && a.xyThumbBottom == b.xyThumbBottom &&
           memcmp(a.rgstate, b.rgstate, sizeof a.rgstate) == 0;
}

void ApplyBar(int bar, const SCROLLINFO& info)
{
    BarShown& shown = ShownFor(bar);
    bool known = shown.window == View.hwnd;
    SetScrollInfoCall(View.hwnd, bar, &info, FALSE);
    SCROLLBARINFO look;
    memset(&look, 0, sizeof look);
    look.cbSize = sizeof look;
    bool measured = GetScrollBarInfo(View.hwnd, bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &look) != FALSE;
    if (!known || !measured || !SameLook(look, shown.drawn))
        SetScrollInfoCall(View.hwnd, bar, &info, TRUE);
    shown.window = View.hwnd;
    shown.drawn = look;
}

bool BarNeedsSetting(int bar, int max, int page, int pos)
{
    const BarShown& shown = ShownFor(bar);
    return shown.window != View.hwnd || shown.max != max || shown.page != page || shown.pos != pos;
}

void SetBar(int bar, int max, int page, int pos)
{
    SCROLLINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    // A bar that is not needed stays visible, disabled.
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = max;
    info.nPage = static_cast<UINT>(page);
    info.nPos = pos;
    ApplyBar(bar, info);
    BarShown& shown = ShownFor(bar);
    shown.max = max;
    shown.page = page;
    shown.pos = pos;
}

void InvalidateAll()
{
    if (HasWindow())
        InvalidateRect(View.hwnd, nullptr, TRUE);
}

void SetScrollBars()
{
    if (!HasWindow())
        return;
    int pageRows = PageRows();
    int rows[3] = {View.totalRows + pageRows - 2, pageRows, View.vScroll};
    int columns[3] = {View.maxLineWidth / CellWidth - 1, View.clientWidth / CellWidth, View.hScroll};
    bool vertical = BarNeedsSetting(SB_VERT, rows[0], rows[1], rows[2]);
    bool horizontal = BarNeedsSetting(SB_HORZ, columns[0], columns[1], columns[2]);
    // The bars lie outside the client area and never appear or go (a bar not needed stays,
    // disabled), so the caret need not be hidden: under Wine hiding and showing it draws it twice.
    if (vertical)
        SetBar(SB_VERT, rows[0], rows[1], rows[2]);
    if (horizontal)
        SetBar(SB_HORZ, columns[0], columns[1], columns[2]);
}

// Moves the window's pixels and repaints only the strip that scrolled in; the bar that moved
// follows.
void MoveContents(int dx, int dy)
{
    if (!HasWindow())
        return;
    HideCaret(View.hwnd);
    SetScrollBars();
    RECT update;
    SetRectEmpty(&update);
    ScrollWindowEx(View.hwnd, dx, dy, nullptr, nullptr, nullptr, &update, 0);
    InvalidateRect(View.hwnd, &update, TRUE);
    ShowCaret(View.hwnd);
    FollowCaretWhileComposing();
}

}

void ShowEmptyDocument()
{
    View.firstLine = new (std::nothrow) TextLine;
    View.path[0] = 0;
    ResetView();
    if (View.firstLine == nullptr)
        ShowSystemError(OutOfMemoryError);
}

void ResetView()
{
    DocumentGuard guard;
    // The font belongs to the settings, not to the document: it is made for the first document
    // and then only when the settings or the DPI change.
    if (View.font == nullptr) {
        HDC dc = GetDC(View.hwnd);
        MakeSettingsFont(dc, WindowDpi(View.hwnd));
        ReleaseDC(View.hwnd, dc);
    }

    View.topLine = View.firstLine;
    View.topLineIndex = 0;
    View.caret.line = View.firstLine;
    View.caret.lineIndex = 0;
    View.caret.pos = 0;
    View.anchor = CaretPlace();
    View.undo.Clear();
    View.modified = false;
    if (DocumentShown != nullptr)
        DocumentShown();

    View.totalRows = 0;
    View.maxLineWidth = 0;
    View.vScroll = 0;
    View.hScroll = 0;
    View.topRow = 1;
    Relayout();
}

namespace {

void LayOut(bool measure)
{
    DocumentGuard guard;
    if (HasWindow())
        HideCaret(View.hwnd);
    if (measure)
        MeasureDocument();
    SetScrollBars();
    if (HasWindow())
        ShowCaret(View.hwnd);
    InvalidateAll();
    if (CaretMoved != nullptr)
        CaretMoved();
}

}

void Relayout()
{
    LayOut(true);
}

void RefitView()
{
    LayOut(false);
}

bool RowsFollowWidth(int before, int after)
{
    return WrapMode == 0 && before != after;
}

void MakeDisplayFont(int dpi)
{
    DocumentGuard guard;
    HDC dc = GetDC(View.hwnd);
    MakeSettingsFont(dc, dpi);
    ReleaseDC(View.hwnd, dc);
    // The caret's size follows the cell's; the view makes it only while it has the focus.
    if (HasWindow() && GetFocus() == View.hwnd) {
        DestroyCaret();
        CaretCreate();
    }
}

void ApplyDisplayFont(int dpi)
{
    MakeDisplayFont(dpi);
    Relayout();
}

void LayoutArrivedLines()
{
    // Drawing the bars costs a round trip to the display and work in the system's heap; a few
    // times a second show the document growing well enough.
    static DWORD lastBars = 0;
    bool ended = LoadReadToEnd();
    if (!MeasureArrivedLines() && !ended)
        return;
    DWORD now = GetTickCount();
    if (!ended && now - lastBars < 250)
        return;
    lastBars = now;
    // The totals are this thread's own; the loader need not wait while the bars are drawn.
    SetScrollBars();
    if (!ended)
        return;
    DocumentGuard guard;
    InvalidateAll();
    if (CaretMoved != nullptr)
        CaretMoved();
}

void RevealCaret()
{
    DocumentGuard guard;
    PlaceCaret();
    EnsureCaretVisible();
    InvalidateAll();
    if (EditStateChanged != nullptr)
        EditStateChanged();
}

namespace {

// Moves the top of the view by up to n display rows, stopping at the document's ends, and
// returns how many it moved. The window's pixels and its bar are the caller's.
int ShiftRows(int n)
{
    int moved = 0;
    TextLine* line = View.topLine;
    if (line == nullptr)
        return 0;
    for (; moved < n; ++moved) {
        if (View.topRow < line->rowCount) {
            ++View.topRow;
        } else if (line->next != nullptr) {
            line = line->next;
            ++View.topLineIndex;
            View.topRow = 1;
        } else {
            break;
        }
    }
    for (; moved > n; --moved) {
        if (View.topRow > 1) {
            --View.topRow;
        } else if (line->prev != nullptr) {
            line = line->prev;
            --View.topLineIndex;
            View.topRow = line->rowCount;
        } else {
            break;
        }
    }
    View.topLine = line;
    View.vScroll += moved;
    return moved;
}

// The largest first column the horizontal bar allows: the system keeps the page within the
// range, so a view whose widest line fits has limit 0.
int ColumnLimit()
{
    int max = View.maxLineWidth / CellWidth - 1;
    int page = View.clientWidth / CellWidth;
    if (page <= 0)
        return max > 0 ? max : 0;
    return max + 1 - page > 0 ? max + 1 - page : 0;
}

// Moves the first column shown by up to n cells within the bar's range and returns how many.
int ShiftColumns(int n)
{
    int target = View.hScroll + n;
    int limit = ColumnLimit();
    if (target > limit)
        target = limit;
    if (target < 0)
        target = 0;
    int delta = target - View.hScroll;
    View.hScroll = target;
    return delta;
}

}

void ScrollRows(int n)
{
    DocumentGuard guard;
    int moved = ShiftRows(n);
    if (moved != 0)
        MoveContents(0, -moved * RowHeight());
}

void ScrollColumns(int n)
{
    DocumentGuard guard;
    int delta = ShiftColumns(n);
    if (delta != 0)
        MoveContents(-delta * CellWidth, 0);
}

namespace {

// EnsureCaretVisible, telling whether it repainted the whole view.
bool ScrollToCaret()
{
    if (View.caret.line == nullptr) {
        InvalidateAll();
        return true;
    }
    LayoutPoint point = PosToPoint(*View.caret.line, View.caret.pos);
    int cx = point.x + ViewOriginX();
    int lineTop = 0;
    if (!CachedLineTop(View.caret.line, INT_MAX, true, &lineTop)) {
        InvalidateAll();
        return true;
    }
    int cy = lineTop + point.y;

    // A caret exactly at the right edge still shows, so only the columns it lies beyond that edge
    // are scrolled, rounded up. Whatever scrolls here is painted anew as a whole, so the window's
    // pixels are not moved first, and the bars are set once.
    int scrolled = 0;
    if (cx < 0)
        scrolled += ShiftColumns(cx / CellWidth) != 0;
    else if (cx > View.clientWidth)
        scrolled += ShiftColumns((cx - View.clientWidth + CellWidth - 1) / CellWidth) != 0;

    // A row below the bottom edge comes up by as many rows as bring its bottom into view, rounded
    // up, so that it shows whole also when the view is not a whole number of rows high.
    if (cy < 0)
        scrolled += ShiftRows(cy / RowHeight()) != 0;
    else if (cy > View.clientHeight - RowHeight())
        scrolled += ShiftRows((cy + 2 * RowHeight() - View.clientHeight - 1) / RowHeight()) != 0;

    if (scrolled == 0)
        return false;
    SetScrollBars();
    InvalidateAll();
    FollowCaretWhileComposing();
    return true;
}

// The top of line firstIndex in the view and the bottom of line lastIndex's rows, counted no
// further than the view's bottom; false when the first line's place is not known.
bool LinesRows(int firstIndex, int lastIndex, int* top, int* bottom)
{
    TextLine* first = LineAtIndex(firstIndex);
    if (first == nullptr || !CachedLineTop(first, View.clientHeight, true, top))
        return false;
    *bottom = *top;
    TextLine* line = first;
    for (int i = firstIndex; line != nullptr && i <= lastIndex && *bottom < View.clientHeight; ++i) {
        *bottom += line->rowCount * RowHeight();
        line = line->next;
    }
    return true;
}

// Moves the rows below the edited lines on the screen as the edit moved them, and leaves only the
// edited lines' rows and the strip that opened for painting: under Wine moving the pixels costs
// far less than painting rows of text. False when it cannot tell where those rows were, or when
// a repaint waits among them (a region waiting to be painted does not move with the pixels).
bool MoveRowsBelow(const EditSpan& span)
{
    if (!HasWindow() || !span.movedKnown)
        return false;
    int top = 0;
    int bottom = 0;
    if (!LinesRows(span.firstIndex, span.lastIndex, &top, &bottom) || top < 0)
        return false;
    int dy = span.rowsMoved * RowHeight();
    int was = bottom - dy;
    if (bottom < View.clientHeight && dy != 0 && was < View.clientHeight) {
        // Wine answers TRUE for a region that was emptied, so the rectangle decides.
        RECT waiting;
        if (GetUpdateRect(View.hwnd, &waiting, FALSE) && !IsRectEmpty(&waiting) && waiting.bottom > was)
            return false;
        RECT below = {0, was, View.clientWidth, View.clientHeight};
        RECT opened;
        SetRectEmpty(&opened);
        HideCaret(View.hwnd);
        ScrollWindowEx(View.hwnd, 0, dy, &below, nullptr, nullptr, &opened, 0);
        InvalidateRect(View.hwnd, &opened, TRUE);
        ShowCaret(View.hwnd);
    } else if (dy != 0) {
        bottom = View.clientHeight;
    }
    RECT rows = {0, top, View.clientWidth, bottom < View.clientHeight ? bottom : View.clientHeight};
    InvalidateRect(View.hwnd, &rows, TRUE);
    return true;
}

// Repaints the rows of the lines an edit touched, and shows what moved below them. Painting a
// row costs little next to painting the window, whose rows are mostly unchanged.
void InvalidateEdited(const EditSpan& span)
{
    if (span.firstIndex < 0)
        InvalidateAll();
    else if (!span.shifted)
        RepaintLines(span.firstIndex, span.lastIndex);
    else if (!MoveRowsBelow(span))
        RepaintLines(span.firstIndex, INT_MAX);
}

}

void RepaintLines(int firstIndex, int lastIndex)
{
    if (!HasWindow())
        return;
    DocumentGuard guard;
    int top = 0;
    int bottom = 0;
    if (!LinesRows(firstIndex, lastIndex, &top, &bottom)) {
        InvalidateAll();
        return;
    }
    // To the bottom, rows below the document's last line included: they may have held a line
    // that went.
    if (lastIndex == INT_MAX)
        bottom = View.clientHeight;
    RECT rows = {0, top > 0 ? top : 0, View.clientWidth, bottom < View.clientHeight ? bottom : View.clientHeight};
    InvalidateRect(View.hwnd, &rows, TRUE);
}

void EnsureCaretVisible()
{
    DocumentGuard guard;
    ScrollToCaret();
}

void AfterEdit()
{
    DocumentGuard guard;
    bool repainted = ScrollToCaret();
    SetScrollBars();
    if (!repainted)
        InvalidateEdited(PendingEditSpan());
    FollowCaretWhileComposing();
    if (CaretMoved != nullptr)
        CaretMoved();
}
