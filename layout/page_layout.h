// How a document is cut into printed pages. Every line is laid out by the row walk, always
// wrapped at the page's printable width, and its rows fill the pages from the top. Sizes are in
// the display's px (cells of CellWidth, rows of RowHeight); printing scales them to the printer.
// Nothing is kept per page: a page is found by walking the pages before it.
#pragma once
#include "document/editor_record.h"

struct PageFrame {
    // The printable width in px; lines wrap at the last whole cell inside it.
    int width;
    // The rows of text a page holds, one at least.
    int rows;
};

// What is printed: the characters from `from` up to `to`. A line is printed by the rows that hold
// its characters in that range; a line inside the range that has none (an empty line) by its row.
struct PrintSpan {
    TextPlace from;
    TextPlace to;
};

// The whole document, from the start of the first line to the end of the last.
PrintSpan WholeDocument(TextLine* first);

// One line's share of a page: its rows firstRow up to endRow, placed on the page from row top,
// showing the characters from `from` up to `to`.
struct PagePiece {
    const TextLine* line;
    int firstRow;
    int endRow;
    int top;
    int from;
    int to;
};

class PageWalk {
public:
    PageWalk(const PageFrame& frame, const PrintSpan& span);

    // Starts the next page, numbered from 1 in number. There is always a first page, empty when
    // the span holds nothing; false once the span is used up.
    bool NextPage();
    // The next piece of the page started, false when it is full or the span ends.
    bool NextPiece(PagePiece* piece);

    int number;

private:
    void EnterLine(TextLine* line, int index);

    PageFrame frame;
    PrintSpan span;
    TextLine* line;
    int lineIndex;
    int row;      // the next row of line to print
    int endRow;   // where line's rows in the span end
    int used;     // rows of the page filled
    bool done;
};

// The pages the span takes.
int CountPages(const PageFrame& frame, const PrintSpan& span);

// Pages first to last of a print, counted from 1.
struct PageRange {
    int first;
    int last;
};

// The pages from up to to (both 0: all of them) of a print of pages, to cut to its last page;
// false when none of them is there.
bool ChoosePages(int pages, int from, int to, PageRange* range);

// The width a page of width px wraps at: its whole cells, two at least, so that every row holds a
// character.
int PageWrapWidth(int width);
