#include "layout/paint_view.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <cstring>

namespace {

// The caret stays shown while it is out of sight, so parking it never unbalances the
// HideCaret/ShowCaret pairs of scrolling.
void ParkCaret()
{
    SetCaretPos(CaretParked, CaretParked);
}

// Which characters of the font's code page can share one drawing call. GDI converts the bytes
// of a call with that code page, so a byte it takes for a lead byte, or a pair it does not turn
// into exactly one character, would be split otherwise than the row walk splits the line: such
// characters are drawn alone, as they always were.
class FontCharacters {
public:
    void Use(HDC dc)
    {
        CHARSETINFO info;
        UINT font = CP_ACP;
        int charset = GetTextCharsetInfo(dc, nullptr, 0);
        if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(charset)), &info, TCI_SRCCHARSET))
            font = info.ciACP;
        if (font == codePage)
            return;
        codePage = font;
        for (int b = 0; b < 256; ++b)
            lead[b] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b)) != FALSE;
        memset(pairs, 0, sizeof pairs);
    }

    bool Shareable(const char* bytes, int count)
    {
        unsigned char first = static_cast<unsigned char>(bytes[0]);
        if (count == 1)
            return !lead[first] && !IsLeadByte(first);
        if (!lead[first])
            return false;
        signed char& known = pairs[first][static_cast<unsigned char>(bytes[1])];
        if (known == 0) {
            WCHAR wide[2];
            known = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, 2, wide, 2) == 1 ? 1 : -1;
        }
        return known > 0;
    }

private:
    UINT codePage = 0xFFFFFFFF;
    bool lead[256];
    signed char pairs[256][256];  // 1 one character, -1 not, 0 not yet asked
};

FontCharacters Characters;

// The characters of one row, drawn with one call that places each in its own cell: the distance
// array gives a character its cells' width (a double-byte character's on its first byte and 0
// on its second), and the cells of a tab are added to the character before it.
class RowText {
public:
    explicit RowText(HDC dc) : dc(dc), count(0), x(0), y(0), last(0), end(0) { Characters.Use(dc); }

    void Add(const char* text, int bytes, int charX, int charY, int width)
    {
        if (!Characters.Shareable(text, bytes)) {
            Draw();
            TextOutA(dc, charX, charY, text, bytes);
            return;
        }
        if (count > 0 && (charY != y || count + bytes > Capacity))
            Draw();
        if (count == 0) {
            x = charX;
            y = charY;
        } else {
            distances[last] += charX - end;
        }
        last = count;
        for (int i = 0; i < bytes; ++i) {
            this->text[count] = text[i];
            distances[count++] = i == 0 ? width : 0;
        }
        end = charX + width;
    }

    void Draw()
    {
        if (count > 0)
            ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), distances);
        count = 0;
    }

private:
    static const int Capacity = 512;
    HDC dc;
    char text[Capacity];
    INT distances[Capacity];
    int count;
    int x;
    int y;
    int last;  // where the last character's bytes start
    int end;   // the right edge of its cells
};

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
        RowText row(dc);
        for (;;) {
            // Tested before the terminator too, so a caret at the end of the line is placed
            // after its last character.
            if (caretLine && walk.pos == View.caret.pos) {
                SetCaretPos(walk.x, walk.y);
                caretPlaced = true;
            }
            // What ends a cell or more left of the window is never drawn: it is passed a run at
            // a time, up to the caret, so a view scrolled far right costs no step per character.
            int stop = caretLine && View.caret.pos > walk.pos ? View.caret.pos : line.length;
            if (walk.x < 0 && walk.Run(stop, -CellWidth))
                continue;
            if (!walk.Step())
                break;
            // Unwrapped, the walk's new x is the right edge of the character or the tab stop
            // just reached: what crosses the window's edge is not drawn and ends the line.
            if (WrapMode < 0 && walk.x > rect.right)
                break;
            // Two cells for every character, so a single-byte one just left of the window is
            // still drawn, invisibly.
            if (!walk.charIsTab && walk.charX + 2 * CellWidth > 0)
                row.Add(line.text + walk.charPos, walk.charBytes, walk.charX, walk.charY, walk.charWidth);
            if (walk.y >= rect.bottom)
                break;
        }
        row.Draw();
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

    // Each line's top is where the rows walked for the lines above it end, so what is drawn and
    // where the caret goes agree even where a line's cached rowCount is stale.
    LayoutRect rect = {ViewOriginX(), TopLineY(), View.clientWidth, View.clientHeight};
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
