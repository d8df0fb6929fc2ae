#include "document/text_line.h"
#include "document/byte_search.h"
#include "platform/platform.h"
#include <atomic>
#include <climits>
#include <cstring>
#include <new>

namespace {

const int GrowthStep = 200;
// Blocks up to this size are exactly what was asked, which keeps ordinary lines at 200 bytes.
const int RoundingFrom = 4096;

// Where a line points while it has no block of its own: its very first allocation failed. It
// reads as a valid empty line (capacity 1 holds just the terminator) and every write into it
// first asks for a real block, so nothing ever writes here.
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

bool HasBlock(const TextLine& line)
{
    return line.text != nullptr && line.text != NoBlock;
}

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

TextLine::TextLine() : text(nullptr), length(0), capacity(0), rowCount(0), prev(nullptr), next(nullptr)
{
    if (!Grow(GrowthStep)) {
        text = NoBlock;
        capacity = 1;
        return;
    }
    text[0] = 0;
}

TextLine::~TextLine()
{
    ++Edits;
    if (HasBlock(*this))
        FreeBlock(text);
}

bool TextLine::Grow(int size)
{
    char* block = AllocBlock(LineBlockSize(size));
    // The rounded size is a convenience; the size asked for may still be there.
    if (block == nullptr && LineBlockSize(size) != size)
        block = AllocBlock(size);
    if (block == nullptr)
        return false;
    if (text != nullptr)
        std::memcpy(block, text, static_cast<size_t>(length) + 1);
    if (HasBlock(*this))
        FreeBlock(text);
    text = block;
    capacity = BlockSize(block);
    return true;
}

bool TextLine::InsertByte(int pos, char b)
{
    if (b == 0)
        b = '*';
    if (length + 1 >= capacity && !Grow(capacity + GrowthStep))
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
    if (count > INT_MAX - GrowthStep - capacity) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    if (length + count >= capacity && !Grow(StepsOver(capacity, length + count + 1)))
        return false;
    std::memcpy(text + length, src, static_cast<size_t>(count));
    StarZeros(text + length, count);
    length += count;
    text[length] = 0;
    return true;
}

bool TextLine::SetText(const char* src, int len)
{
    if (len > capacity - 1 && !Grow(len + GrowthStep))
        return false;
    ++Edits;
    length = len;
    std::memcpy(text, src, static_cast<size_t>(len));
    if (HasBlock(*this))
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
    if (size < capacity)
        return true;
    if (size > INT_MAX - 2 * GrowthStep) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    return Grow(StepsOver(capacity, size + 1));
}

// The tail is filled before it is linked and before this line is cut, so that a tail which
// cannot get room leaves the line whole instead of losing its bytes.
bool TextLine::SplitAt(int pos)
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
    ++Edits;
    if (HasBlock(*this))
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
