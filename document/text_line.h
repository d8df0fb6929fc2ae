// One line of the document: a growable, NUL-terminated byte block with its length, the
// display-row count cached by the last measurement, and the links of the line list.
//
// Nothing here shows an error box, since lines are changed while the document lock is held: an
// operation that needs a bigger block and cannot get one returns false, leaves the line as it
// was and leaves the system's error code for the failure (LastSystemError), and its outermost
// caller reports it once the lock is released.
#pragma once

class TextLine {
public:
    TextLine();
    virtual ~TextLine();

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
    // False, with the line whole and unlinked to anything new, when the tail cannot be made.
    bool SplitAt(int pos);
    void InsertAfter(TextLine* line);

    char* text;
    int length;
    int capacity;
    int rowCount;
    TextLine* prev;
    TextLine* next;

private:
    TextLine(const TextLine&);
    TextLine& operator=(const TextLine&);
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
