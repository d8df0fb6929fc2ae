#include "document/text_line.h"
#include "document/byte_search.h"
#include "document/line_arena.h"
#include "platform/platform.h"
#include <atomic>
#include <climits>
#include <cstring>
#include <new>

namespace {

const int GrowthStep = 200;
// Blocks up to this size are exactly what was asked, which keeps ordinary lines at 200 bytes.
const int RoundingFrom = 4096;

// Where a line points while it has no bytes anywhere: an arena's line before its bytes come, an
// empty line read from a file, a line whose very first allocation failed. It reads as a valid
// empty line (capacity 1 holds just the terminator) and every write into it first asks for a real
// block, so nothing ever writes here.
char NoBlock[1] = {0};

// Lines are made and destroyed on the loader's thread too.
std::atomic<unsigned> Edits{0};
// Set on the user-interface thread; the loader's appends read them and never count.
std::atomic<const TextLine*> Watched{nullptr};
std::atomic<int> WatchedBefore{0};

// A change of line's bytes from pos on.
void Changed(const TextLine* line, int pos)
{
    if (line == Watched.load(std::memory_order_relaxed) && pos < WatchedBefore.load(std::memory_order_relaxed))
        ++Edits;
}

static_assert(sizeof(TextLine) == sizeof(char*) + 2 * sizeof(TextLine*) + 2 * sizeof(int),
              "a line record holds its five fields and nothing else");

// The capacity that growing by GrowthStep over capacity reaches once more than needed bytes
// (the terminator included) fit.
int StepsOver(int capacity, int needed)
{
    int steps = (needed - capacity + GrowthStep - 1) / GrowthStep;
    return capacity + steps * GrowthStep;
}

void StarZeros(char* bytes, int count)
{
    char* end = bytes + count;
    for (char* zero = FindByte(bytes, end, 0); zero != end; zero = FindByte(zero + 1, end, 0))
        *zero = '*';
}

}

int LineBlockSize(int size)
{
    if (size <= RoundingFrom)
        return size;
    for (int step = RoundingFrom;; step *= 2) {
        if (size <= step)
            return step;
        if (size <= step + step / 2)
            return step + step / 2;
        if (step > INT_MAX / 2)
            return size;
    }
}

TextLine::TextLine() : text(NoBlock), length(0), rowCount(0), ending(EndingNone), prev(nullptr), next(nullptr)
{
    Grow(GrowthStep);
}

TextLine::TextLine(Bare) : text(NoBlock), length(0), rowCount(0), ending(EndingNone), prev(nullptr), next(nullptr) {}

TextLine::~TextLine()
{
    ++Edits;
    ReleaseBytes();
}

void* TextLine::operator new(std::size_t size)
{
    return ::operator new(size);
}

void* TextLine::operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return ::operator new(size, std::nothrow);
}

void TextLine::operator delete(void* record)
{
    if (InArena(record))
        LeaveArena(record, sizeof(TextLine));
    else
        ::operator delete(record);
}

bool TextLine::OwnsBlock() const
{
    return text != NoBlock && !InArena(text);
}

int TextLine::Capacity() const
{
    return OwnsBlock() ? BlockSize(text) : length + 1;
}

void TextLine::ReleaseBytes()
{
    if (text == NoBlock)
        return;
    if (InArena(text))
        LeaveArena(text, static_cast<size_t>(length) + 1);
    else
        FreeBlock(text);
}

void TextLine::HoldArenaBytes(char* bytes, int count)
{
    ReleaseBytes();
    text = bytes != nullptr ? bytes : NoBlock;
    length = count;
    StarZeros(text, count);
}

// Bytes read from a file fill their room exactly, and most such lines are never edited; the
// room an edit asks for beyond its own need comes with the second growth, so that editing every
// line of a file once costs no more than the bytes it adds.
bool TextLine::Room(int needed, int capacity, int grown)
{
    if (needed <= capacity)
        return true;
    return Grow(OwnsBlock() ? grown : needed);
}

bool TextLine::Grow(int size)
{
    char* block = AllocBlock(LineBlockSize(size));
    // The rounded size is a convenience; the size asked for may still be there.
    if (block == nullptr && LineBlockSize(size) != size)
        block = AllocBlock(size);
    if (block == nullptr)
        return false;
    std::memcpy(block, text, static_cast<size_t>(length) + 1);
    ReleaseBytes();
    text = block;
    return true;
}

bool TextLine::InsertByte(int pos, char b)
{
    if (b == 0)
        b = '*';
    int capacity = Capacity();
    if (!Room(length + 2, capacity, capacity + GrowthStep))
        return false;
    Changed(this, pos);
    std::memmove(text + pos + 1, text + pos, static_cast<size_t>(length - pos) + 1);
    text[pos] = b;
    ++length;
    return true;
}

bool TextLine::AppendByte(char b)
{
    return InsertByte(length, b);
}

bool TextLine::AppendBytes(const char* src, int count)
{
    if (count <= 0)
        return true;
    int capacity = Capacity();
    if (count > INT_MAX - GrowthStep - capacity) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    if (!Room(length + count + 1, capacity, StepsOver(capacity, length + count + 1)))
        return false;
    std::memcpy(text + length, src, static_cast<size_t>(count));
    StarZeros(text + length, count);
    length += count;
    text[length] = 0;
    return true;
}

bool TextLine::SetText(const char* src, int len)
{
    int capacity = Capacity();
    if (!Room(len + 1, capacity, len + GrowthStep))
        return false;
    ++Edits;
    capacity = Capacity();
    length = len;
    std::memcpy(text, src, static_cast<size_t>(len));
    if (text != NoBlock)
        std::memset(text + len, 0, static_cast<size_t>(capacity - len));
    return true;
}

bool TextLine::Replace(int pos, int removed, const char* src, int count)
{
    long long newLength = static_cast<long long>(length) - removed + count;
    if (newLength > INT_MAX - 2 * GrowthStep) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    if (!Reserve(static_cast<int>(newLength)))
        return false;
    Changed(this, pos);
    std::memmove(text + pos + count, text + pos + removed, static_cast<size_t>(length - pos - removed) + 1);
    std::memcpy(text + pos, src, static_cast<size_t>(count));
    StarZeros(text + pos, count);
    length = static_cast<int>(newLength);
    return true;
}

bool TextLine::Reserve(int size)
{
    int capacity = Capacity();
    if (size < capacity)
        return true;
    if (size > INT_MAX - 2 * GrowthStep) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    return Room(size + 1, capacity, StepsOver(capacity, size + 1));
}

// The tail is filled before it is linked and before this line is cut, so that a tail which
// cannot get room leaves the line whole instead of losing its bytes.
bool TextLine::SplitAt(int pos, unsigned lineEnding)
{
    TextLine* tail = new (std::nothrow) TextLine;
    if (tail == nullptr) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    if (!tail->SetText(text + pos, length - pos)) {
        unsigned long error = LastSystemError();
        delete tail;
        SetSystemError(error);
        return false;
    }
    InsertAfter(tail);
    tail->ending = ending;
    ending = lineEnding & 3;
    ++Edits;
    if (text != NoBlock)
        text[pos] = 0;
    length = pos;
    return true;
}

void TextLine::InsertAfter(TextLine* line)
{
    line->prev = this;
    line->next = next;
    if (next != nullptr)
        next->prev = line;
    next = line;
}

unsigned LineEdits()
{
    return Edits;
}

void WatchLine(const TextLine* line, int before)
{
    Watched = line;
    WatchedBefore = before;
}

void DestroyLines(TextLine* first)
{
    while (first != nullptr) {
        TextLine* next = first->next;
        delete first;
        first = next;
    }
}
