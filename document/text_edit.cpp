#include "document/text_edit.h"
#include "document/byte_search.h"
#include "document/line_arena.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Where the next line break of bytes starts from at on, how long it is (CR LF is one) and the
// terminator it gives the line before it; count when there is none.
int NextBreak(const char* bytes, int at, int count, BreakForm form, int* breakLength, unsigned* ending)
{
    const char* end = bytes + count;
    const char* lf = FindByte(bytes + at, end, '\n');
    const char* cr = FindByte(bytes + at, lf, '\r');
    *breakLength = 1;
    if (form == BreaksLogged) {
        const char* crLf = FindByte(bytes + at, cr, 0);
        *ending = crLf != cr ? EndingCrLf : cr != lf ? EndingCr : EndingLf;
        return static_cast<int>((crLf != cr ? crLf : cr) - bytes);
    }
    *ending = View.lineEnd;
    if (cr != lf) {
        *breakLength = cr + 1 < end && cr[1] == '\n' ? 2 : 1;
        return static_cast<int>(cr - bytes);
    }
    return static_cast<int>(lf - bytes);
}

// Below this many bytes the lines an edit makes come from the heap, one each: an arena's first
// chunk is 64 KB, too much for the line of an Enter.
const int ArenaEditBytes = 64 * 1024;

// A line of bytes, and tail after them, for MakeLines.
TextLine* MakeLine(LineArena* arena, const char* bytes, int count, const char* tail, int tailLength)
{
    TextLine* line = arena != nullptr ? arena->NewLine() : new (std::nothrow) TextLine;
    if (line == nullptr) {
        SetSystemError(OutOfMemoryError);
        return nullptr;
    }
    bool filled = arena != nullptr && tailLength == 0
                      ? arena->GiveBytes(*line, bytes, count)
                      : line->Reserve(count + tailLength) && line->AppendBytes(bytes, count) &&
                            line->AppendBytes(tail, tailLength);
    if (filled)
        return line;
    unsigned long error = LastSystemError();
    delete line;
    SetSystemError(error);
    return nullptr;
}

// The lines that the bytes after the first break make, the last followed by tail; the first of
// them comes back, and *last is the last. Null, with nothing left behind, when memory runs out.
// Many lines come from an arena, as the lines of a file do: a large paste or undo costs what
// reading them would, not an allocation and 200 spare bytes a line.
TextLine* MakeLines(const char* bytes, int at, int count, BreakForm form, const char* tail, int tailLength,
                    unsigned tailEnding, TextLine** last, int* made)
{
    LineArena arena;
    LineArena* from = count - at >= ArenaEditBytes ? &arena : nullptr;
    TextLine* first = nullptr;
    TextLine* previous = nullptr;
    *made = 0;
    while (at <= count) {
        int breakLength = 0;
        unsigned ending = EndingNone;
        int stop = NextBreak(bytes, at, count, form, &breakLength, &ending);
        TextLine* line = MakeLine(from, bytes + at, stop - at, tail, stop == count ? tailLength : 0);
        if (line == nullptr) {
            unsigned long error = LastSystemError();
            DestroyLines(first);
            SetSystemError(error);
            return nullptr;
        }
        line->ending = (stop == count ? tailEnding : ending) & 3;
        if (previous == nullptr)
            first = line;
        else
            previous->InsertAfter(line);
        previous = line;
        ++*made;
        at = stop + breakLength;
        if (stop == count)
            break;
    }
    *last = previous;
    return first;
}

}

bool ReplaceBytes(const TextPlace& from, const TextPlace& to, const char* bytes, int count, TextPlace* end,
                  EditChange* change, BreakForm form)
{
    TextLine* first = from.line;
    TextLine* last = to.line;
    int breakLength = 0;
    unsigned firstEnding = EndingNone;
    int firstBreak = NextBreak(bytes, 0, count, form, &breakLength, &firstEnding);
    const char* tail = last->text + to.pos;
    int tailLength = last->length - to.pos;
    const int lastTailLength = tailLength;
    const unsigned lastEnding = last->ending;

    TextLine* added = nullptr;
    TextLine* addedLast = nullptr;
    int addedCount = 0;
    if (firstBreak < count) {
        added = MakeLines(bytes, firstBreak + breakLength, count, form, tail, tailLength, lastEnding, &addedLast,
                          &addedCount);
        if (added == nullptr)
            return false;
        tailLength = 0;
    }
    // The first line keeps its bytes before from, then the new bytes up to the first break, then
    // (without a break) the rest of the last line.
    if (!first->Reserve(from.pos + firstBreak + tailLength)) {
        unsigned long error = LastSystemError();
        DestroyLines(added);
        SetSystemError(error);
        return false;
    }

    change->first = first;
    change->firstIndex = from.lineIndex;
    change->linesRemoved = 0;
    change->linesAdded = addedCount;
    change->rowsRemoved = first->rowCount;
    change->topRemoved = false;
    change->rowsBeforeTop = first->rowCount;

    if (last == first) {
        first->Replace(from.pos, (added != nullptr ? first->length : to.pos) - from.pos, bytes, firstBreak);
    } else {
        first->Replace(from.pos, first->length - from.pos, bytes, firstBreak);
        if (added == nullptr)
            first->AppendBytes(tail, tailLength);
        // The lines from first's successor to last go.
        TextLine* after = last->next;
        TextLine* line = first->next;
        while (line != after) {
            TextLine* next = line->next;
            if (line == View.topLine) {
                change->topRemoved = true;
                change->rowsBeforeTop += View.topRow - 1;
                View.topLine = first;
            } else if (!change->topRemoved) {
                change->rowsBeforeTop += line->rowCount;
            }
            change->rowsRemoved += line->rowCount;
            ++change->linesRemoved;
            delete line;
            line = next;
        }
        first->next = after;
        if (after != nullptr)
            after->prev = first;
    }
    first->ending = (added != nullptr ? firstEnding : lastEnding) & 3;
    if (added != nullptr) {
        addedLast->next = first->next;
        if (first->next != nullptr)
            first->next->prev = addedLast;
        added->prev = first;
        first->next = added;
    }

    TextPlace place = {first, from.lineIndex, from.pos + count};
    if (added != nullptr) {
        place.line = addedLast;
        place.lineIndex = from.lineIndex + addedCount;
        place.pos = addedLast->length - lastTailLength;
    }
    *end = place;
    return true;
}

char LoggedBreak(unsigned ending)
{
    return ending == EndingCrLf ? '\0' : ending == EndingCr ? '\r' : '\n';
}

bool CopyBytes(const TextPlace& from, const TextPlace& to, const char* lineBreak, std::string* out)
{
    try {
        // The room for exactly the range: a step of the undo log that holds a few bytes of a long
        // line must not keep room for the whole line.
        size_t breakLength = lineBreak != nullptr ? std::strlen(lineBreak) : 1;
        size_t size = out->size();
        for (const TextLine* line = from.line;; line = line->next) {
            int start = line == from.line ? from.pos : 0;
            int stop = line == to.line ? to.pos : line->length;
            size += static_cast<size_t>(stop - start);
            if (line == to.line)
                break;
            size += breakLength;
        }
        out->reserve(size);
        for (const TextLine* line = from.line;; line = line->next) {
            int start = line == from.line ? from.pos : 0;
            int stop = line == to.line ? to.pos : line->length;
            out->append(line->text + start, static_cast<size_t>(stop - start));
            if (line == to.line)
                break;
            if (lineBreak != nullptr)
                out->append(lineBreak, breakLength);
            else
                out->push_back(LoggedBreak(line->ending));
        }
        return true;
    } catch (const std::bad_alloc&) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
}

TextLine* LineAtIndex(int index)
{
    TextLine* line = View.firstLine;
    int at = 0;
    if (View.caret.line != nullptr && std::abs(View.caret.lineIndex - index) < std::abs(at - index)) {
        line = View.caret.line;
        at = View.caret.lineIndex;
    }
    if (View.topLine != nullptr && std::abs(View.topLineIndex - index) < std::abs(at - index)) {
        line = View.topLine;
        at = View.topLineIndex;
    }
    for (; line != nullptr && at < index; ++at)
        line = line->next;
    for (; line != nullptr && at > index; --at)
        line = line->prev;
    return line;
}
