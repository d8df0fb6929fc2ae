#include "layout/row_layout.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/platform.h"

RowWalk::RowWalk(const TextLine& line, int originX, int originY, int windowRight)
    : pos(0), x(originX), y(originY), rows(1), charPos(0), charBytes(0), charX(originX),
      charY(originY), charWidth(0), charIsTab(false), startedRow(false), text(line.text),
      originX(originX), wrapping(WrapMode >= 0), limit(originX)
{
    if (WrapMode == 0)
        limit += windowRight;
    else if (WrapMode > 0)
        limit += WrapMode * CellWidth;
}

bool RowWalk::AtEnd() const
{
    return text[pos] == 0;
}

bool RowWalk::Step()
{
    unsigned char b = static_cast<unsigned char>(text[pos]);
    if (b == 0)
        return false;
    charPos = pos;
    startedRow = false;
    if (b == '\t') {
        int tabStop = TabWidth * CellWidth;
        charX = x;
        x = originX + ((x - originX) / tabStop + 1) * tabStop;
        // Tested after advancing: a tab that ends exactly at the limit stays on its row.
        if (wrapping && x > limit) {
            startedRow = true;
            ++rows;
            y += RowHeight();
            charX = originX;
            x = originX + tabStop;
        }
        charBytes = 1;
        charIsTab = true;
    } else {
        charBytes = IsLeadByte(b) && text[pos + 1] != 0 ? 2 : 1;
        int width = charBytes * CellWidth;
        if (wrapping && x + width > limit) {
            startedRow = true;
            ++rows;
            y += RowHeight();
            x = originX;
        }
        charX = x;
        x += width;
        charIsTab = false;
    }
    charY = y;
    charWidth = x - charX;
    pos += charBytes;
    return true;
}

int RowHeight()
{
    return 2 * CellWidth;
}

LineMeasure MeasureLine(TextLine& line, const LayoutRect& rect)
{
    LineMeasure result = {0, 0};
    int rows = 1;
    if (line.length != 0 && rect.top < rect.bottom) {
        RowWalk walk(line, rect.left, rect.top, rect.right);
        while (walk.Step()) {
            if (walk.x > result.extent)
                result.extent = walk.x;
            // Rows below the window are not counted, which bounds the work for a huge line.
            if (walk.y >= rect.bottom)
                break;
        }
        rows = walk.rows;
    }
    result.rowDelta = rows - line.rowCount;
    line.rowCount = rows;
    return result;
}

LayoutPoint PosToPoint(const TextLine& line)
{
    LayoutPoint origin = {0, 0};
    int target = View.caret.pos;
    if (target == 0)
        return origin;
    RowWalk walk(line, 0, 0, View.clientWidth);
    while (walk.Step()) {
        if (walk.pos == target) {
            LayoutPoint point = {walk.x, walk.y};
            return point;
        }
    }
    return origin;
}

int PointToPos(const TextLine& line, int x, int y)
{
    if (x < 0 || y < 0)
        return -1;
    RowWalk walk(line, 0, 0, View.clientWidth);
    for (;;) {
        if (walk.AtEnd()) {
            // When the last character moved down to a row below y, the last boundary of row y
            // is where that character starts; answering the line's end instead would leave Up
            // stuck on the lower row.
            if (walk.y > y)
                return walk.charPos;
            return y > walk.y ? -1 : line.length;
        }
        if (walk.x == x && walk.y == y)
            return walk.pos;
        if (walk.y > y || (walk.y == y && walk.x > x))
            return walk.charPos;
        walk.Step();
    }
}

int PrevCharPos(const TextLine& line, int pos)
{
    if (pos <= 0)
        return -1;
    if (pos == 1)
        return 0;
    // Character starts can only be found from the front: a trail byte may look like a lead.
    int i = 0;
    for (;;) {
        if (i == pos - 1)
            return pos - 1;
        if (i == pos)
            return pos - 2;
        i += IsLeadByte(static_cast<unsigned char>(line.text[i])) ? 2 : 1;
    }
}

int NextCharPos(const TextLine& line, int pos)
{
    if (pos >= line.length)
        return -1;
    if (IsLeadByte(static_cast<unsigned char>(line.text[pos])) && pos != line.length - 1)
        return pos + 2;
    return pos + 1;
}

int LineRows(const TextLine& line)
{
    RowWalk walk(line, 0, 0, View.clientWidth);
    while (walk.Step()) {
    }
    return walk.rows;
}
