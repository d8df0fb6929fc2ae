#include "layout/page_layout.h"
#include "document/text_line.h"
#include "layout/row_layout.h"

#include <climits>

namespace {

// The rows of line that hold its characters from `from` up to `to`, as [*first, *end): the row
// of the first such character and the row after that of the last. A line with no characters
// there has none, unless it is empty and whole, when it keeps its one row.
void RowsHolding(const TextLine& line, int width, int from, int to, int* first, int* end)
{
    *first = 0;
    *end = 0;
    if (line.length == 0) {
        *end = from == 0 && to == 0 ? 1 : 0;
        return;
    }
    if (from >= to)
        return;
    RowWalk walk(line, 0, 0, RowWalk::WrapAt{width});
    // Whole lines, the common case, need only their row count: runs pass the rows at once.
    if (from == 0 && to >= line.length) {
        do
            walk.Run(line.length, INT_MAX);
        while (walk.Step());
        *end = walk.rows;
        return;
    }
    walk.Run(from, INT_MAX);
    while (walk.pos < from && walk.Step()) {
        walk.Run(from, INT_MAX);
    }
    // The first character from `from` on starts a new row when it does not fit on this one.
    int firstRow = walk.rows - 1;
    if (walk.Step()) {
        firstRow = walk.rows - 1;
        while (walk.pos < to) {
            walk.Run(to, INT_MAX);
            if (walk.pos >= to || !walk.Step())
                break;
        }
    }
    *first = firstRow;
    *end = walk.rows;
}

}

PrintSpan WholeDocument(TextLine* first)
{
    TextLine* last = first;
    int index = 0;
    while (last != nullptr && last->next != nullptr) {
        last = last->next;
        ++index;
    }
    PrintSpan span = {{first, 0, 0}, {last, index, last != nullptr ? last->length : 0}};
    return span;
}

int PageWrapWidth(int width)
{
    int cells = width / CellWidth;
    return (cells < 2 ? 2 : cells) * CellWidth;
}

PageWalk::PageWalk(const PageFrame& frame, const PrintSpan& span)
    : number(0), frame(frame), span(span), line(nullptr), lineIndex(0), row(0), endRow(0), used(0), done(false)
{
    if (this->frame.rows < 1)
        this->frame.rows = 1;
    this->frame.width = PageWrapWidth(frame.width);
    EnterLine(span.from.line, span.from.lineIndex);
}

// Makes line the one printed next, from its first row in the span; past the span's last line
// nothing is left.
void PageWalk::EnterLine(TextLine* entered, int index)
{
    line = entered;
    lineIndex = index;
    row = 0;
    endRow = 0;
    if (line == nullptr || lineIndex > span.to.lineIndex) {
        line = nullptr;
        return;
    }
    int from = lineIndex == span.from.lineIndex ? span.from.pos : 0;
    int to = lineIndex == span.to.lineIndex ? span.to.pos : line->length;
    // A line the span only enters at its start holds nothing of it.
    if (lineIndex == span.to.lineIndex && lineIndex != span.from.lineIndex && to == 0) {
        line = nullptr;
        return;
    }
    if (lineIndex == span.from.lineIndex && from == line->length && line->length > 0 &&
        lineIndex != span.to.lineIndex) {
        EnterLine(line->next, lineIndex + 1);
        return;
    }
    RowsHolding(*line, frame.width, from, to, &row, &endRow);
}

bool PageWalk::NextPage()
{
    // Lines that hold nothing of the span take no room.
    while (line != nullptr && row >= endRow)
        EnterLine(line->next, lineIndex + 1);
    if (done || (number > 0 && line == nullptr)) {
        done = true;
        return false;
    }
    ++number;
    used = 0;
    return true;
}

bool PageWalk::NextPiece(PagePiece* piece)
{
    while (line != nullptr && row >= endRow)
        EnterLine(line->next, lineIndex + 1);
    if (number == 0 || line == nullptr || used >= frame.rows)
        return false;
    int rows = endRow - row;
    if (rows > frame.rows - used)
        rows = frame.rows - used;
    piece->line = line;
    piece->firstRow = row;
    piece->endRow = row + rows;
    piece->top = used;
    piece->from = lineIndex == span.from.lineIndex ? span.from.pos : 0;
    piece->to = lineIndex == span.to.lineIndex ? span.to.pos : line->length;
    row += rows;
    used += rows;
    return true;
}

int CountPages(const PageFrame& frame, const PrintSpan& span)
{
    PageWalk walk(frame, span);
    PagePiece piece;
    while (walk.NextPage()) {
        while (walk.NextPiece(&piece)) {
        }
    }
    return walk.number;
}

bool ChoosePages(int pages, int from, int to, PageRange* range)
{
    if (from == 0 && to == 0) {
        from = 1;
        to = pages;
    }
    if (from < 1)
        from = 1;
    if (to > pages)
        to = pages;
    if (from > to)
        return false;
    range->first = from;
    range->last = to;
    return true;
}
