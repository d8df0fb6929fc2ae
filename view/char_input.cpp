#include "view/char_input.h"
#include "document/editor_record.h"
#include "document/text_line.h"

void (*DocumentChanged)() = nullptr;

namespace {

void BreakLine()
{
    TextLine* line = View.caret.line;
    TextLine* oldNext = line->next;
    line->SplitAt(View.caret.pos);
    if (line->next == oldNext)
        return;
    View.caret.line = line->next;
    View.caret.pos = 0;
}

void InsertByte(char b)
{
    TextLine* line = View.caret.line;
    int oldLength = line->length;
    line->InsertByte(View.caret.pos, b);
    if (line->length > oldLength)
        ++View.caret.pos;
}

}

void InsertText(const char* bytes, int count)
{
    // A document that could not get its first line has nothing to type into.
    if (View.caret.line == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        char b = bytes[i];
        if (b == '\r' && i + 1 < count && bytes[i + 1] == '\n')
            ++i;
        if (b == '\r' || b == '\n')
            BreakLine();
        else
            InsertByte(b);
    }
    if (!View.modified) {
        View.modified = true;
        if (DocumentChanged != nullptr)
            DocumentChanged();
    }
}
