#include "view/char_input.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/platform.h"

void (*DocumentChanged)() = nullptr;

namespace {

bool BreakLine()
{
    TextLine* line = View.caret.line;
    if (!line->SplitAt(View.caret.pos))
        return false;
    View.caret.line = line->next;
    View.caret.pos = 0;
    return true;
}

bool InsertByte(char b)
{
    if (!View.caret.line->InsertByte(View.caret.pos, b))
        return false;
    ++View.caret.pos;
    return true;
}

}

bool InsertText(const char* bytes, int count, unsigned long* error)
{
    // A document that could not get its first line has nothing to type into; the user was told
    // when it was made.
    if (View.caret.line == nullptr)
        return true;
    bool inserted = true;
    for (int i = 0; i < count && inserted; ++i) {
        char b = bytes[i];
        if (b == '\r' && i + 1 < count && bytes[i + 1] == '\n')
            ++i;
        inserted = b == '\r' || b == '\n' ? BreakLine() : InsertByte(b);
    }
    // Taken before anything else can change the thread's last error.
    if (!inserted && error != nullptr)
        *error = LastSystemError();
    if (!View.modified) {
        View.modified = true;
        if (DocumentChanged != nullptr)
            DocumentChanged();
    }
    return inserted;
}
