// One line of the document: a growable, NUL-terminated byte block with its length, the
// display-row count cached by the last measurement, and the links of the line list.
//
// Nothing here shows an error box, since lines are changed while the document lock is held: an
// operation that needs a bigger block and cannot get one returns false, leaves the line as it
// was and leaves the system's error code for the failure (LastSystemError), and its outermost
// caller reports it once the lock is released.
//
// Where a line lives. Lines read from a file are made by a LineArena (line_arena.h): their
// records and their bytes lie in the arena's large chunks, the bytes exactly what was read and
// the terminator. Every other line has a record from the heap and a block of its own
// (AllocBlock). A write that fits is made where the bytes are, in the arena too; a write that
// needs more room moves the bytes to a block of the line's own (Grow), of exactly the room needed
// when they were the arena's, and by the growth rule below after that. `delete` and
// DestroyLines work for every line wherever its record and bytes are: each leaves its chunk, and
// a chunk goes back to the system once the last record and bytes in it have left.
//
// The record is its five fields and nothing else (no virtual table, no capacity field): 32 bytes
// on 64-bit Windows, 20 on 32-bit. The row count and the terminator share one int: rows stay far
// below 2^29.
#pragma once
#include <cstddef>
#include <new>

// How a line ends: the values are those of the line terminator setting (LineEndingSetting).
enum LineEnding { EndingNone, EndingCrLf, EndingCr, EndingLf };

// The bytes of a terminator, "" for EndingNone.
inline const char* EndingBytes(unsigned ending)
{
    static const char* const bytes[4] = {"", "\r\n", "\r", "\n"};
    return bytes[ending & 3];
}

inline int EndingLength(unsigned ending)
{
    return ending == EndingCrLf ? 2 : ending == EndingNone ? 0 : 1;
}

class TextLine {
public:
    TextLine();
    ~TextLine();

    bool Grow(int size);
    bool InsertByte(int pos, char b);
    bool AppendByte(char b);
    // The same line as AppendByte of each byte gives (a zero byte becomes '*'), in one copy.
    bool AppendBytes(const char* src, int count);
    bool SetText(const char* src, int len);
    // Puts count bytes in place of the removed bytes from pos (zero bytes become '*'), with the
    // rest of the line moved once. False, with the line as it was, when it cannot get the room.
    bool Replace(int pos, int removed, const char* src, int count);
    // Room for size bytes and the terminator, so that changes up to that size cannot fail.
    bool Reserve(int size);
    // False, with the line whole and unlinked to anything new, when the tail cannot be made. The
    // tail keeps the line's terminator; the line takes ending.
    bool SplitAt(int pos, unsigned ending = EndingCrLf);
    void InsertAfter(TextLine* line);

    // The bytes the line can hold without moving, its terminator included: the size of its own
    // block as the system reports it, or length + 1 for bytes in the arena and for no bytes.
    int Capacity() const;

    // Records from the heap; delete also takes records made in an arena.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* record);

    char* text;
    int length;
    int rowCount : 30;
    // The terminator that followed the line in its file, or that the edit which broke it gave
    // it (LineEnding). A last line has none, except where its file ended with a lone CR.
    unsigned ending : 2;
    TextLine* prev;
    TextLine* next;

private:
    friend class LineArena;
    struct Bare {};
    // An empty line without any bytes, for the arena's records.
    explicit TextLine(Bare);
    TextLine(const TextLine&);
    TextLine& operator=(const TextLine&);

    bool OwnsBlock() const;
    // Room for needed bytes, the terminator included, in a line that has capacity: a block of
    // its own grows to grown; bytes that are the arena's (or none) move to a block of exactly
    // needed.
    bool Room(int needed, int capacity, int grown);
    // The line lets go of its bytes, wherever they are.
    void ReleaseBytes();
    // The line, empty, takes count bytes that lie in the arena (none when count is 0) and stars
    // their zero bytes.
    void HoldArenaBytes(char* bytes, int count);
};

// Destroys every line from first on along next.
void DestroyLines(TextLine* first);

// The size of the block a line gets when it asks for size bytes. Small blocks are exactly what
// was asked for; large ones are rounded up to the next step of a series that grows by at most
// half, so that a line that keeps growing by a fixed step is copied only O(log n) times.
int LineBlockSize(int size);

// Counts the changes that can alter what is worked out from a line's first bytes (as the row
// walk keeps for one line): destroying a line, replacing or cutting its bytes, and changing the
// bytes of the watched line before the watched place. Appending alters nothing before the end,
// and a change after the watched place nothing before it.
unsigned LineEdits();
// The line whose bytes before the place before are looked after; one at a time. User-interface
// thread only.
void WatchLine(const TextLine* line, int before);
