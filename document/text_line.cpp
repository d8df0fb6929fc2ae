#include "document/text_line.h"
#include "platform/platform.h"
#include <cstring>
#include <new>

namespace {

const int GrowthStep = 200;

// Where a line points while it has no block of its own: its very first allocation failed. It
// reads as a valid empty line (capacity 1 holds just the terminator) and every write into it
// first asks for a real block, so nothing ever writes here.
char NoBlock[1] = {0};

bool HasBlock(const TextLine& line)
{
    return line.text != nullptr && line.text != NoBlock;
}

}

TextLine::TextLine() : text(nullptr), length(0), capacity(0), rowCount(0), prev(nullptr), next(nullptr)
{
    Grow(GrowthStep);
    if (!HasBlock(*this)) {
        text = NoBlock;
        capacity = 1;
        return;
    }
    text[0] = 0;
}

TextLine::~TextLine()
{
    if (HasBlock(*this))
        FreeBlock(text);
}

void TextLine::Grow(int size)
{
    char* block = AllocBlock(size);
    if (block == nullptr) {
        ShowSystemError();
        return;
    }
    if (text != nullptr)
        std::memcpy(block, text, static_cast<size_t>(length) + 1);
    if (HasBlock(*this))
        FreeBlock(text);
    text = block;
    capacity = BlockSize(block);
}

void TextLine::InsertByte(int pos, char b)
{
    if (b == 0)
        b = '*';
    if (length + 1 >= capacity)
        Grow(capacity + GrowthStep);
    if (length + 1 >= capacity)
        return;
    std::memmove(text + pos + 1, text + pos, static_cast<size_t>(length - pos) + 1);
    text[pos] = b;
    ++length;
}

void TextLine::AppendByte(char b)
{
    InsertByte(length, b);
}

void TextLine::SetText(const char* src, int len)
{
    if (len > capacity - 1)
        Grow(len + GrowthStep);
    if (len > capacity - 1)
        return;
    length = len;
    std::memcpy(text, src, static_cast<size_t>(len));
    if (HasBlock(*this))
        std::memset(text + len, 0, static_cast<size_t>(capacity - len));
}

// The tail is filled before it is linked and before this line is cut, so that a tail which
// cannot get room leaves the line whole instead of losing its bytes.
void TextLine::SplitAt(int pos)
{
    TextLine* tail = new (std::nothrow) TextLine;
    if (tail == nullptr)
        return;
    tail->SetText(text + pos, length - pos);
    if (tail->length != length - pos) {
        delete tail;
        return;
    }
    InsertAfter(tail);
    if (HasBlock(*this))
        text[pos] = 0;
    length = pos;
}

void TextLine::InsertAfter(TextLine* line)
{
    line->prev = this;
    line->next = next;
    if (next != nullptr)
        next->prev = line;
    next = line;
}

void DestroyLines(TextLine* first)
{
    while (first != nullptr) {
        TextLine* next = first->next;
        delete first;
        first = next;
    }
}
