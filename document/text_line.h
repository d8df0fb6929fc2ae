// One line of the document: a growable, NUL-terminated byte block with its length, the
// display-row count cached by the last measurement, and the links of the line list.
#pragma once

class TextLine {
public:
    TextLine();
    virtual ~TextLine();

    void Grow(int size);
    void InsertByte(int pos, char b);
    void AppendByte(char b);
    void SetText(const char* src, int len);
    void SplitAt(int pos);
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
