#include "layout/paint_view.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/char_rule.h"
#include "platform/platform.h"
#include "platform/win32_hooks.h"

#include <climits>
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

// The UTF-16 units of one valid character of a document whose bytes the ANSI functions do not
// take, at most room of them: each code point as decode gives it, or converted through the
// rule's code page where decode leaves it to the system; U+FFFD for what the system rejects.
int WideCharacter(const CharRule& rule, const char* text, int bytes, WCHAR* out, int room)
{
    int count = 0;
    for (int at = 0; at < bytes && count < room;) {
        int used;
        long code = rule.decode(text + at, &used);
        if (code == SystemCodePoint) {
            int made = MultiByteToWideChar(rule.codePage, MB_ERR_INVALID_CHARS, text + at, used, out + count,
                                           room - count);
            if (made > 0)
                count += made;
            else
                out[count++] = 0xFFFD;
        } else if (code >= 0x10000) {
            if (count + 2 > room)
                break;
            out[count++] = static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10));
            out[count++] = static_cast<WCHAR>(0xDC00 + (code & 0x3FF));
        } else {
            out[count++] = static_cast<WCHAR>(code >= 0 ? code : 0xFFFD);
        }
        at += used;
    }
    return count;
}

// The characters of one row, drawn with one call per run of one colour that places each in its
// own cell: the distance array gives a character its cells' width (a double-byte character's on
// its first byte and 0 on its second), and the cells of a tab are added to the character before
// it. A selected run is drawn on the highlight, which the same call fills behind all its cells,
// those of tabs and of the line's end included. A document in the ANSI code page is drawn as its
// bytes; one in another code as UTF-16, each character's first unit taking its cells' width,
// and a character the code does not define as a small box in its cells.
class RowText {
public:
    RowText(HDC dc, COLORREF textColor)
        : dc(dc), rule(DocumentRule()), wide(rule.codePage != 0), textColor(textColor), color(textColor),
          highlightText(0), highlightReady(false), open(false), selected(false), count(0), left(0), right(0),
          y(0), textX(0), textEnd(0), last(0)
    {
        if (!wide)
            Characters.Use(dc);
    }

    // One character of bytes, or with no bytes the cells of a tab or of the line's end (only
    // selected ones need drawing), from charX to charX + width on the row at charY.
    void Add(const char* text, int bytes, int charX, int charY, int width, bool isSelected)
    {
        int units = bytes;
        if (bytes > 0 && wide) {
            if (!rule.isValid(text, bytes)) {
                Add(nullptr, 0, charX, charY, width, isSelected);
                Draw();
                DrawMark(charX, charY, width, isSelected);
                return;
            }
            units = WideCharacter(rule, text, bytes, converted, Capacity);
        } else if (bytes > 0 && !Characters.Shareable(text, bytes)) {
            Draw();
            DrawAlone(text, bytes, charX, charY, width, isSelected);
            return;
        }
        if (open && (charY != y || isSelected != selected || count + units > Capacity))
            Draw();
        if (!open) {
            open = true;
            selected = isSelected;
            left = charX;
            y = charY;
        }
        right = charX + width;
        if (bytes == 0)
            return;
        if (count == 0)
            textX = charX;
        else
            distances[last] += charX - textEnd;
        last = count;
        for (int i = 0; i < units; ++i) {
            if (wide)
                wideText[count] = converted[i];
            else
                this->text[count] = text[i];
            distances[count++] = i == 0 ? width : 0;
        }
        textEnd = charX + width;
    }

    void Draw()
    {
        if (!open)
            return;
        if (selected) {
            UseHighlight();
            RECT cells = {left, y, right, y + RowHeight()};
            DrawRun(count > 0 ? textX : left, ETO_OPAQUE, &cells);
        } else if (count > 0) {
            UseColor(textColor);
            DrawRun(textX, 0, nullptr);
        }
        open = false;
        count = 0;
    }

private:
    void DrawRun(int x, UINT options, const RECT* cells)
    {
        const INT* dx = count > 0 ? distances : nullptr;
        if (wide)
            ExtTextOutW(dc, x, y, options, cells, wideText, static_cast<UINT>(count), dx);
        else
            ExtTextOutA(dc, x, y, options, cells, text, static_cast<UINT>(count), dx);
    }

    // What stands for bytes that are no character: the outline of a box inside their cells, in
    // the colour the text there has.
    void DrawMark(int charX, int charY, int width, bool isSelected)
    {
        if (isSelected)
            UseHighlight();
        else
            UseColor(textColor);
        int inset = RowHeight() / 4;
        RECT box = {charX + 1, charY + inset, charX + width - 1, charY + RowHeight() - inset};
        SetDCBrushColor(dc, color);
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }

    void DrawAlone(const char* text, int bytes, int charX, int charY, int width, bool isSelected)
    {
        if (isSelected) {
            UseHighlight();
            RECT cells = {charX, charY, charX + width, charY + RowHeight()};
            ExtTextOutA(dc, charX, charY, ETO_OPAQUE, &cells, text, static_cast<UINT>(bytes), nullptr);
        } else {
            UseColor(textColor);
            TextOutA(dc, charX, charY, text, bytes);
        }
    }

    void UseColor(COLORREF wanted)
    {
        if (wanted != color)
            SetTextColor(dc, wanted);
        color = wanted;
    }

    // The system's colours are asked for only by a row that shows a selection.
    void UseHighlight()
    {
        if (!highlightReady) {
            SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
            highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
            highlightReady = true;
        }
        UseColor(highlightText);
    }

    static const int Capacity = 512;
    HDC dc;
    const CharRule& rule;
    bool wide;       // drawn as UTF-16
    COLORREF textColor;
    COLORREF color;  // the device context's text colour now
    COLORREF highlightText;
    bool highlightReady;
    bool open;       // a run has cells
    bool selected;
    char text[Capacity];
    WCHAR wideText[Capacity];
    WCHAR converted[Capacity];  // the character being added
    INT distances[Capacity];
    int count;
    int left;        // the run's cells, from its first cell to the end of its last
    int right;
    int y;
    int textX;       // where its first character starts
    int textEnd;     // the right edge of its last character's cells
    int last;        // where the last character's bytes start
};

// The selection's ends in document order: from the anchor to the caret, or both at the caret
// when nothing is selected.
void SelectedRange(TextPlace* start, TextPlace* end)
{
    TextPlace caret = {View.caret.line, View.caret.lineIndex, View.caret.pos};
    TextPlace anchor = View.anchor.line != nullptr ? View.anchor : caret;
    *start = anchor < caret ? anchor : caret;
    *end = anchor < caret ? caret : anchor;
}

// What of the line numbered index lies between start and end.
LineSelection SelectedPart(const TextLine& line, int index, const TextPlace& start, const TextPlace& end)
{
    LineSelection part = {0, 0, false};
    if (index < start.lineIndex || index > end.lineIndex)
        return part;
    part.from = index == start.lineIndex ? start.pos : 0;
    part.to = index == end.lineIndex ? end.pos : line.length;
    part.lineBreak = index < end.lineIndex;
    return part;
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
    // A cell height in pixels asks for characters half as wide as the cell is high; a size in
    // points takes the font's own width.
    font.lfWidth = height > 0 ? height / 2 : 0;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);

    if (View.font != nullptr)
        DeleteObject(View.font);
    View.font = CreateFontIndirectA(&font);

    TEXTMETRICA metrics;
    memset(&metrics, 0, sizeof metrics);
    HGDIOBJ previous = SelectObject(dc, View.font);
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    // A single-byte character is drawn in one cell and a double-byte one in two, whatever the
    // font's own advance: the cell is the font's average width, the row its line height. A font
    // whose metrics could not be had must still give cells a size: every position is divided by
    // them.
    CellWidth = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 1;
    CellHeight = metrics.tmHeight + metrics.tmExternalLeading;
    if (CellHeight < 1)
        CellHeight = 1;
    SetViewColors(textColor, backColor, commentColor, keywordColor);
}

void SetViewColors(COLORREF textColor, COLORREF backColor, COLORREF commentColor, COLORREF keywordColor)
{
    ReplaceBrush(View.textBrush, textColor);
    View.textColor = textColor;
    ReplaceBrush(View.backBrush, backColor);
    View.backColor = backColor;
    View.commentColor = commentColor;
    View.keywordColor = keywordColor;
}

int FontHeightAt(int points, int dpi)
{
    return -MulDiv(points, dpi, 72);
}

int WindowDpi(HWND window)
{
    UINT dpi = DpiForWindowCall(window);
    return dpi > 0 ? static_cast<int>(dpi) : 96;
}

void MakeSettingsFont(HDC dc, int dpi)
{
    MakeFont(dc, FontHeightAt(FontPoints, dpi), FontFace, View.textColor, View.backColor, View.commentColor,
             View.keywordColor);
}

int PaintLine(const TextLine& line, HDC dc, COLORREF textColor, const LayoutRect& rect,
              const LineSelection& selected)
{
    SetTextColor(dc, textColor);
    bool caretLine = &line == View.caret.line;
    bool caretPlaced = false;
    int rows = 1;
    if (rect.top < rect.bottom) {
        RowWalk walk(line, rect.left, rect.top, rect.right);
        RowText row(dc, textColor);
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
            if (!walk.Step()) {
                if (selected.lineBreak)
                    row.Add(nullptr, 0, walk.x, walk.y, CellWidth, true);
                break;
            }
            // Unwrapped, the walk's new x is the right edge of the character or the tab stop
            // just reached: what crosses the window's edge is not drawn and ends the line.
            if (WrapMode < 0 && walk.x > rect.right)
                break;
            bool inSelection = walk.charPos >= selected.from && walk.charPos < selected.to;
            // Two cells for every character, so a single-byte one just left of the window is
            // still drawn, invisibly. A tab shows only as highlight.
            if (walk.charIsTab) {
                if (inSelection && walk.x > 0)
                    row.Add(nullptr, 0, walk.charX, walk.charY, walk.charWidth, true);
            } else if (walk.charX + 2 * CellWidth > 0) {
                row.Add(line.text + walk.charPos, walk.charBytes, walk.charX, walk.charY, walk.charWidth,
                        inSelection);
            }
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
    COLORREF previousBack = GetBkColor(dc);
    HGDIOBJ previousFont = SelectObject(dc, View.font);

    // The window class has no background brush; this is the only place the background is painted.
    if (paint.fErase)
        FillRect(dc, &paint.rcPaint, View.backBrush);

    // Each line's top is where the rows walked for the lines above it end, so what is drawn and
    // where the caret goes agree even where a line's cached rowCount is stale.
    LayoutRect rect = {ViewOriginX(), TopLineY(), View.clientWidth, View.clientHeight};
    TextPlace start;
    TextPlace end;
    SelectedRange(&start, &end);
    bool caretLinePainted = false;
    // An edit repaints only its own rows. The lines outside them are passed by the rows they
    // were measured with, which only a load leaves behind the text; the caret's line is always
    // painted, since painting is what places the caret.
    bool partial = !LoadInProgress() && (paint.rcPaint.top > 0 || paint.rcPaint.bottom < View.clientHeight);
    int index = View.topLineIndex;
    for (const TextLine* line = View.topLine; line != nullptr; line = line->next, ++index) {
        if (line == View.caret.line)
            caretLinePainted = true;
        int rowsBottom = rect.top + line->rowCount * RowHeight();
        bool outside = rowsBottom <= paint.rcPaint.top || rect.top >= paint.rcPaint.bottom;
        if (partial && outside && line != View.caret.line) {
            rect.top = rowsBottom;
        } else {
            LineSelection selected = SelectedPart(*line, index, start, end);
            rect.top += PaintLine(*line, dc, View.textColor, rect, selected) * RowHeight();
        }
        if (rect.top >= rect.bottom)
            break;
    }
    if (!caretLinePainted)
        ParkCaret();

    SetTextColor(dc, previousColor);
    SetBkColor(dc, previousBack);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}

void PrintLineRows(const TextLine& line, HDC dc, int top, int wrapWidth, int firstRow, int endRow, int from, int to)
{
    int origin = top - firstRow * RowHeight();
    int bottom = top + (endRow - firstRow) * RowHeight();
    RowWalk walk(line, 0, origin, RowWalk::WrapAt{wrapWidth});
    RowText row(dc, GetTextColor(dc));
    // Blank cells are left as they are: a printer driver can spend as long on a space as on any
    // glyph (Wine's reads the font's glyph names for each).
    auto add = [&]() {
        if (walk.charY >= top && walk.charY < bottom && !walk.charIsTab && walk.charPos >= from &&
            walk.charPos < to && !(walk.charBytes == 1 && line.text[walk.charPos] == ' '))
            row.Add(line.text + walk.charPos, walk.charBytes, walk.charX, walk.charY, walk.charWidth, false);
    };
    // The rows above the page pass a run at a time; the character that starts the first row on
    // the page is the last one placed.
    while (walk.y < top) {
        walk.Run(line.length, INT_MAX);
        if (!walk.Step())
            break;
    }
    if (walk.pos > 0)
        add();
    while (walk.Step() && walk.charY < bottom)
        add();
    row.Draw();
}
