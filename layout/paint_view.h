// Drawing the document into the edit view, and the display font and colours it is drawn with.
#pragma once
#include <windows.h>
#include "layout/row_layout.h"

class TextLine;

// Makes View's font and both brushes anew (deleting the old ones), stores the four colours and
// sets CellWidth and CellHeight from the font's metrics. height is a LOGFONT's: positive for the
// cell, negative for the character. The face name is cut to what a LOGFONT holds.
void MakeFont(HDC dc, int height, const char* face, COLORREF textColor, COLORREF backColor,
              COLORREF commentColor, COLORREF keywordColor);
// MakeFont with the settings' face and size at the given DPI, and View's colours.
void MakeSettingsFont(HDC dc, int dpi);
// The four colours stored and both brushes made anew; nothing is measured.
void SetViewColors(COLORREF textColor, COLORREF backColor, COLORREF commentColor, COLORREF keywordColor);
// A LOGFONT height for a size in points at a DPI.
int FontHeightAt(int points, int dpi);
// The window's DPI where the system tells it per window, else the screen's (DpiForWindowCall);
// 96 when neither is known.
int WindowDpi(HWND window);

// Draws the visible lines from topLine on, between BeginPaint and EndPaint, the selection (from
// View.anchor to the caret) highlighted, and moves the system caret to where its position is
// drawn (parked when no painted row holds it). This walks the line list; it leaves the device
// context's mode, colours and font as they were.
void PaintView(const PAINTSTRUCT& paint);

// What of one line is selected: the characters starting from `from` up to `to`, and with
// lineBreak the line's end, shown as one cell after its last character.
struct LineSelection {
    int from;
    int to;
    bool lineBreak;
};

const LineSelection NothingSelected = {0, 0, false};

// Draws one line with the row walk from the rectangle's top-left corner, placing the caret when
// this is its line, and returns the rows it used. Without wrapping it stops at the right edge;
// in every mode it stops once a row reaches the bottom. Selected characters are drawn in the
// system's highlight colours.
int PaintLine(const TextLine& line, HDC dc, COLORREF textColor, const LayoutRect& rect,
              const LineSelection& selected = NothingSelected);

// Draws rows firstRow up to endRow of the line as a printed page lays it out, wrapped at wrapWidth
// whatever WrapMode says, row firstRow at top, from the left edge: only the characters from `from`
// up to `to`, in the device context's text colour, with nothing of the caret or the selection.
void PrintLineRows(const TextLine& line, HDC dc, int top, int wrapWidth, int firstRow, int endRow, int from, int to);
