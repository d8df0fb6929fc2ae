// How a line becomes cells and display rows, and the mapping between its byte positions and
// points of its layout. Everything that lays a line out (measuring, hit testing, painting) drives
// the one RowWalk below, so the rules for tabs, wide characters and wrapping exist once.
#pragma once

class TextLine;
struct CharRule;

struct LayoutPoint {
    int x;
    int y;
};

// Where the system caret is parked, on both axes, when no visible row holds the caret: painting
// and the caret moves share it.
const int CaretParked = -9999;

// Left and top give the walk's origin, right is the window's right edge (the wrap width when
// lines wrap at the window), bottom is the y at which measuring stops.
struct LayoutRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct LineMeasure {
    int extent;
    int rowDelta;
};

// Lays a line out one character at a time under the current WrapMode, TabWidth and CellWidth, the
// document's rule telling the bytes and cells of each character.
// After each successful Step, pos, x and y are the boundary just reached and its point, and the
// fields named char... describe the character just placed: where it starts in the text, how
// many bytes it has, the left edge and row of its cells, and its width in px. startedRow tells
// that it moved to a new row first.
class RowWalk {
public:
    // windowRight is the wrap width under WrapMode 0 (the right side of a layout rectangle, or
    // clientWidth for hit testing).
    RowWalk(const TextLine& line, int originX, int originY, int windowRight);
    // Wraps wrapWidth px right of the origin whatever WrapMode says: a printed page's rows.
    struct WrapAt {
        int wrapWidth;
    };
    RowWalk(const TextLine& line, int originX, int originY, WrapAt wrap);

    // Places the character at pos. False, with nothing changed, at the terminator.
    bool Step();
    bool AtEnd() const;
    // Places, as Step would one by one, every character from pos on that stays on the current
    // row and ends at most at maxX, stopping at the first boundary at or after end. Where the
    // document's rule gives every character one cell per byte, a stretch of bytes between two
    // tabs is placed at once. Unwrapped, a place shortly before where a long run of a line ended is
    // kept (for the one line walked last) until the line's bytes before it change, and the next
    // run of that line that passes there starts there. False when nothing was placed.
    // User-interface thread only.
    bool Run(int end, int maxX);

    int pos;
    int x;
    int y;
    int rows;

    // A place of the walk, as offsets from the origin, with where the stretch without tabs that
    // holds it starts: what is kept of a long line to resume from.
    struct Place {
        int pos;
        int x;
        int charPos;
        int charBytes;
        int charX;
        bool charIsTab;
        int stretchPos;
        int stretchX;
    };

    int charPos;
    int charBytes;
    int charX;
    int charY;
    int charWidth;
    bool charIsTab;
    bool startedRow;

private:
    int NextTab(int from, int before) const;
    bool IsBoundary(int at, int from) const;
    int CharacterEnd(int at, int from) const;
    void PlaceTab(int tabStop);

    Place Here(int stretchPos, int stretchX) const;
    bool Resume(int end, int maxX, int* stretchPos, int* stretchX);
    void Keep(const Place* earlier, int stretchPos, int stretchX) const;
    bool PlaceCharacters(int end, int maxX, Place* newer, Place* older);
    bool PlaceRuns(int end, int maxX, Place* newer, Place* older);

    const TextLine* line;
    const CharRule* rule;
    const char* text;
    int length;
    int originX;
    bool wrapping;
    int limit;
};

// Height of one display row in px.
int RowHeight();

// Where lines stand in view coordinates (from the edit view's top-left corner). Every line's
// origin is ViewOriginX from the left edge, the columns scrolled off moving it left; topLine's
// first row is at TopLineY, its rows above topRow lying above the window.
int ViewOriginX();
int TopLineY();
// The view y of line's first row, counted from topLine with the rowCount each line kept from
// its last measuring (painting instead adds up the rows it walks): downwards from topLine until
// the next line would start at or below stopY, then, when searchAbove, upwards. False when line
// was not met.
bool CachedLineTop(const TextLine* line, int stopY, bool searchAbove, int* top);

// Re-counts the line's rows for the rectangle, stores the count in rowCount and returns the
// largest x reached with the change of rowCount.
LineMeasure MeasureLine(TextLine& line, const LayoutRect& rect);

// Point of the boundary pos in the line's own coordinates; (0, 0) when pos is no boundary.
LayoutPoint PosToPoint(const TextLine& line, int pos);

// The position shown at (x, y) of the line's layout, the start of the character covering it,
// or the last boundary of row y when x lies beyond it; -1 when the point is not on the line.
int PointToPos(const TextLine& line, int x, int y);

// The boundary nearest to (x, y) on row y, where the mouse puts the caret: as PointToPos, but a
// point in the right half of a character's cells gives the boundary after it.
int PointToBoundary(const TextLine& line, int x, int y);

// Start of the character ending at the boundary pos; -1 at the start of the line.
int PrevCharPos(const TextLine& line, int pos);

// Boundary after the character starting at pos; -1 at the end of the line.
int NextCharPos(const TextLine& line, int pos);

// How many rows the line really takes at the window's width, with no height limit. Unlike
// rowCount it cannot be stale, so the caret moves use it to check a row they take from rowCount.
int LineRows(const TextLine& line);
