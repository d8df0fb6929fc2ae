#include "layout/paint_view.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"

#include <cstring>

namespace {

// The caret stays shown while it is out of sight, so parking it never unbalances the
// HideCaret/ShowCaret pairs of scrolling.
void ParkCaret()
{
    SetCaretPos(CaretParked, CaretParked);
}

void ReplaceBrush(HBRUSH& brush, COLORREF color)
{
    if (brush != nullptr)
        DeleteObject(brush);
    brush = CreateSolidBrush(color);
}

}

void MakeFont(HDC dc, int height, const char* face, COLORREF textColor, COLORREF backColor,
              COLORREF commentColor, COLORREF keywordColor)
{
    LOGFONTA font;
    memset(&font, 0, sizeof font);
    font.lfHeight = height;
    font.lfWidth = height / 2;
    font.lfCharSet = SHIFTJIS_CHARSET;
    strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);

    if (View.font != nullptr)
        DeleteObject(View.font);
    View.font = CreateFontIndirectA(&font);

    TEXTMETRICA metrics;
    memset(&metrics, 0, sizeof metrics);
    HGDIOBJ previous = SelectObject(dc, View.font);
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    // Rows are two cells high, so an odd font height loses its last pixel row.
    // A font whose metrics could not be had must still give cells a width: every position
    // is divided by it.
    CellWidth = (metrics.tmHeight + metrics.tmExternalLeading) / 2;
    if (CellWidth < 1)
        CellWidth = 1;

    ReplaceBrush(View.textBrush, textColor);
    View.textColor = textColor;
    ReplaceBrush(View.backBrush, backColor);
    View.backColor = backColor;
    View.commentColor = commentColor;
    View.keywordColor = keywordColor;
}

int PaintLine(const TextLine& line, HDC dc, COLORREF textColor, const LayoutRect& rect)
{
    SetTextColor(dc, textColor);
    bool caretLine = &line == View.caret.line;
    bool caretPlaced = false;
    int rows = 1;
    if (rect.top < rect.bottom) {
        RowWalk walk(line, rect.left, rect.top, rect.right);
        for (;;) {
            // Tested before the terminator too, so a caret at the end of the line is placed
            // after its last character.
            if (caretLine && walk.pos == View.caret.pos) {
                SetCaretPos(walk.x, walk.y);
                caretPlaced = true;
            }
            if (!walk.Step())
                break;
            // Unwrapped, the walk's new x is the right edge of the character or the tab stop
            // just reached: what crosses the window's edge is not drawn and ends the line.
            if (WrapMode < 0 && walk.x > rect.right)
                break;
            // Two cells for every character, so a single-byte one just left of the window is
            // still drawn, invisibly.
            if (!walk.charIsTab && walk.charX + 2 * CellWidth > 0)
                TextOutA(dc, walk.charX, walk.charY, line.text + walk.charPos, walk.charBytes);
            if (walk.y >= rect.bottom)
                break;
        }
        rows = walk.rows;
    }
    if (caretLine && !caretPlaced)
        ParkCaret();
    return rows;
}

void PaintView(const PAINTSTRUCT& paint)
{
    DocumentGuard guard;
    HDC dc = paint.hdc;
    int previousMode = SetBkMode(dc, TRANSPARENT);
    COLORREF previousColor = GetTextColor(dc);
    HGDIOBJ previousFont = SelectObject(dc, View.font);

    // The window class has no background brush; this is the only place the background is painted.
    if (paint.fErase)
        FillRect(dc, &paint.rcPaint, View.backBrush);

    // Rows of topLine above topRow lie above the window.
    LayoutRect rect = {-View.hScroll * CellWidth, (1 - View.topRow) * RowHeight(),
                       View.clientWidth, View.clientHeight};
    bool caretLinePainted = false;
    for (const TextLine* line = View.topLine; line != nullptr; line = line->next) {
        if (line == View.caret.line)
            caretLinePainted = true;
        rect.top += PaintLine(*line, dc, View.textColor, rect) * RowHeight();
        if (rect.top >= rect.bottom)
            break;
    }
    if (!caretLinePainted)
        ParkCaret();

    SetTextColor(dc, previousColor);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}
