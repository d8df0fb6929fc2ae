#include "layout/row_layout.h"
#include "document/byte_search.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/char_rule.h"

#include <climits>

RowWalk::RowWalk(const TextLine& line, int originX, int originY, int windowRight)
    : pos(0), x(originX), y(originY), rows(1), charPos(0), charBytes(0), charX(originX),
      charY(originY), charWidth(0), charIsTab(false), startedRow(false), line(&line), rule(&DocumentRule()),
      text(line.text), length(line.length), originX(originX), wrapping(WrapMode >= 0), limit(originX)
{
    if (WrapMode == 0)
        limit += windowRight;
    else if (WrapMode > 0)
        limit += WrapMode * CellWidth;
}

RowWalk::RowWalk(const TextLine& line, int originX, int originY, WrapAt wrap)
    : RowWalk(line, originX, originY, 0)
{
    wrapping = true;
    limit = originX + wrap.wrapWidth;
}

namespace {

// A place shortly before where a long unwrapped run of a line ended. Without wrapping a
// position's x depends only on the bytes before it, so this holds until those change. It spares
// painting a view scrolled to the end of a long line, finding the caret there, and measuring
// the line after an edit near its end, a walk of the whole line for every key.
struct Checkpoint {
    const TextLine* line;
    const CharRule* rule;
    unsigned edits;
    int cellWidth;
    int tabWidth;
    RowWalk::Place place;
};

Checkpoint Kept = {nullptr, nullptr, 0, 0, 0, {0, 0, 0, 0, 0, false, 0, 0}};

// Shorter runs cost less than keeping them.
const int KeptFrom = 65536;
// How far before a long run's end its place is kept, on a stretch without tabs; a line with
// tabs keeps the start of a stretch instead, the last of those met at least Spacing apart that
// lies at least KeptBehind before the end.
const int KeptBefore = 16384;
const int Spacing = 8192;
const int KeptBehind = 4096;
// Where a character ends can depend on the bytes up to three after where it starts (a UTF-8
// sequence or mark, an EUC-JP character of three bytes): an edit that close after the kept place
// could move a boundary onto or off it.
const int LookAhead = 4;

}

RowWalk::Place RowWalk::Here(int stretchPos, int stretchX) const
{
    Place place = {pos, x - originX, charPos, charBytes, charX - originX, charIsTab, stretchPos, stretchX - originX};
    return place;
}

bool RowWalk::Resume(int end, int maxX, int* stretchPos, int* stretchX)
{
    const Checkpoint& kept = Kept;
    const Place& place = kept.place;
    if (kept.line != line || kept.rule != rule || kept.edits != LineEdits() || kept.cellWidth != CellWidth ||
        kept.tabWidth != TabWidth || place.pos <= pos || place.pos > end || place.pos > length ||
        originX + place.x > maxX)
        return false;
    pos = place.pos;
    x = originX + place.x;
    charPos = place.charPos;
    charBytes = place.charBytes;
    charX = originX + place.charX;
    charIsTab = place.charIsTab;
    *stretchPos = place.stretchPos;
    *stretchX = originX + place.stretchX;
    return true;
}

// Keeps a place a little before the walk's: on the same stretch without tabs when every byte
// there is a cell, or else the earlier place given. Edits near the end of a long line (typing,
// Backspace, Delete) then leave it standing, and the next walk resumes there.
void RowWalk::Keep(const Place* earlier, int stretchPos, int stretchX) const
{
    Place place = Here(stretchPos, stretchX);
    int before = pos - KeptBefore;
    const char* stretch = text + stretchPos;
    if (rule->cellsAreBytes && before - 2 >= stretchPos) {
        before = stretchPos + rule->stepBack(stretch, before + 1 - stretchPos);
        place.pos = before;
        place.x = stretchX + (before - stretchPos) * CellWidth - originX;
        place.charPos = stretchPos + rule->stepBack(stretch, before - stretchPos);
        place.charBytes = before - place.charPos;
        place.charX = place.x - place.charBytes * CellWidth;
        place.charIsTab = false;
    } else if (earlier != nullptr) {
        place = *earlier;
    }
    WatchLine(line, place.pos + LookAhead);
    Checkpoint kept = {line, rule, LineEdits(), CellWidth, TabWidth, place};
    Kept = kept;
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
        PlaceTab(tabStop);
        // Tested after advancing: a tab that ends exactly at the limit stays on its row.
        if (wrapping && x > limit) {
            startedRow = true;
            ++rows;
            y += RowHeight();
            charX = originX;
            x = originX + tabStop;
        }
    } else {
        int cells;
        charBytes = rule->Step(text + pos, &cells);
        int width = cells * CellWidth;
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

// Whether at, a position from from (a boundary) to the line's end, is a boundary too. The rule
// is handed the text from from on, so it looks back no further: a line of characters whose
// bytes all look alike costs no walk back to its start for every run.
bool RowWalk::IsBoundary(int at, int from) const
{
    return at >= length || rule->isBoundary(text + from, length - from, at - from);
}

// The first tab from from (a boundary) on and before before that is a character of its own
// rather than the second byte of a double-byte character; before when there is none.
int RowWalk::NextTab(int from, int before) const
{
    while (from < before) {
        int tab = static_cast<int>(FindByte(text + from, text + before, '\t') - text);
        if (tab == before)
            break;
        if (IsBoundary(tab, from))
            return tab;
        from = tab + 1;
    }
    return before;
}

void RowWalk::PlaceTab(int tabStop)
{
    charPos = pos;
    charX = x;
    x = originX + ((x - originX) / tabStop + 1) * tabStop;
    charBytes = 1;
    charIsTab = true;
}

// The end of the character that holds the byte at, from being a boundary at or before it.
int RowWalk::CharacterEnd(int at, int from) const
{
    int start = from + rule->stepBack(text + from, at + 1 - from);
    int cells;
    return start + rule->Step(text + start, &cells);
}

// Where characters differ in cells per byte: one character at a time from pos up to the next
// tab, while each starts before end and ends at most at maxX. Every boundary passed can be kept,
// so the newest two at least Spacing apart are noted in *newer and *older.
bool RowWalk::PlaceCharacters(int end, int maxX, Place* newer, Place* older)
{
    if (rule->stepRun != nullptr)
        return PlaceRuns(end, maxX, newer, older);
    bool placed = false;
    while (pos < end && text[pos] != '\t' && text[pos] != 0) {
        int cells;
        int bytes = rule->Step(text + pos, &cells);
        if (static_cast<long long>(x) + cells * CellWidth > maxX)
            break;
        charPos = pos;
        charBytes = bytes;
        charX = x;
        x += cells * CellWidth;
        pos += bytes;
        placed = true;
        if (pos - newer->pos >= Spacing) {
            *older = *newer;
            *newer = Here(pos, x);
        }
    }
    if (placed)
        charIsTab = false;
    return placed;
}

// PlaceCharacters through the rule's runs: each run ends at the first boundary at least Spacing
// after the newest place noted, so the places noted are those a character at a time would note.
bool RowWalk::PlaceRuns(int end, int maxX, Place* newer, Place* older)
{
    bool placed = false;
    while (pos < end) {
        int limit = end - newer->pos > Spacing && newer->pos + Spacing > pos ? newer->pos + Spacing : end;
        long long room = maxX >= x ? (static_cast<long long>(maxX) - x) / CellWidth : -1;
        int cells;
        int lastBytes;
        int lastCells;
        int bytes = rule->stepRun(text + pos, limit - pos, room, &cells, &lastBytes, &lastCells);
        if (bytes == 0)
            break;
        x += cells * CellWidth;
        pos += bytes;
        charPos = pos - lastBytes;
        charBytes = lastBytes;
        charX = x - lastCells * CellWidth;
        placed = true;
        if (pos - newer->pos >= Spacing) {
            *older = *newer;
            *newer = Here(pos, x);
        } else {
            break;
        }
    }
    if (placed)
        charIsTab = false;
    return placed;
}

bool RowWalk::Run(int end, int maxX)
{
    if (wrapping && limit < maxX)
        maxX = limit;
    int tabStop = TabWidth * CellWidth;
    int from = pos;
    // Where the stretch without tabs that ends at pos starts.
    int stretchPos = pos;
    int stretchX = x;
    bool placed = !wrapping && Resume(end, maxX, &stretchPos, &stretchX);
    // Places met, at least Spacing apart, that a later run could resume from: the newest two.
    Place newer = Here(stretchPos, stretchX);
    Place older = newer;
    bool cellsAreBytes = rule->cellsAreBytes;
    while (pos < end && pos < length) {
        if (!cellsAreBytes) {
            placed = PlaceCharacters(end, maxX, &newer, &older) || placed;
        } else {
            // Every byte is a cell: the bytes from pos up to the next tab, or as far as end or
            // maxX allows, are placed at once. The cells left before maxX are counted only when
            // the rest of the line might not fit.
            long long space = static_cast<long long>(maxX) - x;
            int fits = length - pos;
            if (static_cast<long long>(fits) * CellWidth > space)
                fits = space > 0 ? static_cast<int>(space / CellWidth) : 0;
            int tab = NextTab(pos, pos + fits);
            int take = tab - pos;
            if (take > end - pos) {
                // Stop at the first boundary at or after end: a character that starts before it
                // is placed whole, and it fits, since a tab or the room only comes after it.
                take = end - pos;
                if (!IsBoundary(pos + take, pos))
                    take = CharacterEnd(pos + take, pos) - pos;
            } else if (take == fits && !IsBoundary(pos + take, pos)) {
                // Cut by the room inside a character, which then does not fit.
                take = rule->stepBack(text + pos, take);
            }
            if (take > 0) {
                charPos = pos + rule->stepBack(text + pos, take);
                charBytes = pos + take - charPos;
                charX = x + (charPos - pos) * CellWidth;
                charIsTab = false;
                x += take * CellWidth;
                pos += take;
                placed = true;
            }
        }
        if (pos >= end || text[pos] != '\t' || originX + ((x - originX) / tabStop + 1) * tabStop > maxX)
            break;
        PlaceTab(tabStop);
        ++pos;
        stretchPos = pos;
        stretchX = x;
        if (pos - newer.pos >= Spacing) {
            older = newer;
            newer = Here(stretchPos, stretchX);
        }
        placed = true;
    }
    if (placed) {
        charY = y;
        charWidth = x - charX;
        startedRow = false;
    }
    if (!wrapping && pos - from >= KeptFrom)
        Keep(pos - newer.pos >= KeptBehind ? &newer : &older, stretchPos, stretchX);
    return placed;
}

int RowHeight()
{
    return CellHeight;
}

int ViewOriginX()
{
    return -View.hScroll * CellWidth;
}

int TopLineY()
{
    return (1 - View.topRow) * RowHeight();
}

bool CachedLineTop(const TextLine* line, int stopY, bool searchAbove, int* top)
{
    if (View.topLine == nullptr)
        return false;
    int y = TopLineY();
    for (const TextLine* below = View.topLine; below != nullptr; below = below->next) {
        if (below == line) {
            *top = y;
            return true;
        }
        y += below->rowCount * RowHeight();
        if (y >= stopY)
            break;
    }
    if (!searchAbove)
        return false;
    y = TopLineY();
    for (const TextLine* above = View.topLine->prev; above != nullptr; above = above->prev) {
        y -= above->rowCount * RowHeight();
        if (above == line) {
            *top = y;
            return true;
        }
    }
    return false;
}

LineMeasure MeasureLine(TextLine& line, const LayoutRect& rect)
{
    LineMeasure result = {0, 0};
    int rows = 1;
    if (line.length != 0 && rect.top < rect.bottom) {
        RowWalk walk(line, rect.left, rect.top, rect.right);
        // Within a run x only grows and no row starts, so only its end and the characters that
        // start rows need looking at one by one: an unwrapped line is one run.
        for (;;) {
            walk.Run(line.length, INT_MAX);
            if (walk.x > result.extent)
                result.extent = walk.x;
            if (!walk.Step())
                break;
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

LayoutPoint PosToPoint(const TextLine& line, int target)
{
    LayoutPoint origin = {0, 0};
    if (target == 0)
        return origin;
    RowWalk walk(line, 0, 0, View.clientWidth);
    // Runs stop at the first boundary at or after the target; beyond it the walk never meets
    // the target, which lies inside a character then.
    for (;;) {
        walk.Run(target, INT_MAX);
        if (walk.pos < target && !walk.Step())
            return origin;
        if (walk.pos >= target)
            break;
    }
    if (walk.pos != target)
        return origin;
    LayoutPoint point = {walk.x, walk.y};
    return point;
}

namespace {

// PointToPos, and with nearest PointToBoundary: the two differ only for a point inside a
// character on its row.
int HitTest(const TextLine& line, int x, int y, bool nearest)
{
    if (x < 0 || y < 0)
        return -1;
    RowWalk walk(line, 0, 0, View.clientWidth);
    for (;;) {
        // Boundaries on rows above the point, or left of it on its row, cannot answer: runs pass
        // them at once. On the point's row a run ends at x at the most, and x only grows.
        if (walk.y < y)
            walk.Run(line.length, INT_MAX);
        else if (walk.y == y && walk.x < x)
            walk.Run(line.length, x);
        // Past x on row y only by the step just taken, so the character it placed spans x.
        if (nearest && walk.y == y && walk.x > x)
            return 2 * (x - walk.charX) >= walk.x - walk.charX ? walk.pos : walk.charPos;
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

}

int PointToPos(const TextLine& line, int x, int y)
{
    return HitTest(line, x, y, false);
}

int PointToBoundary(const TextLine& line, int x, int y)
{
    return HitTest(line, x, y, true);
}

int PrevCharPos(const TextLine& line, int pos)
{
    if (pos <= 0)
        return -1;
    return DocumentRule().stepBack(line.text, pos);
}

int NextCharPos(const TextLine& line, int pos)
{
    if (pos >= line.length)
        return -1;
    int cells;
    return pos + DocumentRule().Step(line.text + pos, &cells);
}

int LineRows(const TextLine& line)
{
    RowWalk walk(line, 0, 0, View.clientWidth);
    do
        walk.Run(line.length, INT_MAX);
    while (walk.Step());
    return walk.rows;
}
