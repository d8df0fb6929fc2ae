// Reads the bytes before the first "~~~" as a file and runs the rest as a script of edits:
// caret moves, typing, wrap and window changes and measuring. After every action the document
// and the caret must still be consistent, or the run aborts.
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char Separator[] = "~~~";
const int SeparatorLength = 3;

class Script {
public:
    Script(const uint8_t* data, size_t size) : data(data), size(size), at(0) {}

    bool AtEnd() const { return at >= size; }
    unsigned char Next() { return at < size ? data[at++] : 0; }

private:
    const uint8_t* data;
    size_t size;
    size_t at;
};

void Check(bool condition)
{
    if (!condition)
        abort();
}

bool IsBoundary(const TextLine& line, int pos)
{
    int i = 0;
    while (i < pos) {
        unsigned char b = static_cast<unsigned char>(line.text[i]);
        i += IsLeadByte(b) && line.text[i + 1] != 0 ? 2 : 1;
    }
    return i == pos;
}

void CheckDocument()
{
    Check(View.firstLine != nullptr && View.firstLine->prev == nullptr);
    bool caretLineFound = false;
    long count = 0;
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next) {
        Check(++count < 1000000);
        Check(line->next == nullptr || line->next->prev == line);
        Check(line->prev == nullptr || line->prev->next == line);
        Check(line->text != nullptr && line->length >= 0 && line->length < line->capacity);
        Check(line->text[line->length] == 0);
        Check(std::strlen(line->text) == static_cast<size_t>(line->length));
        if (line == View.caret.line)
            caretLineFound = true;
    }
    Check(caretLineFound);

    TextLine& line = *View.caret.line;
    int caretPos = View.caret.pos;
    Check(caretPos >= 0 && caretPos <= line.length);
    Check(IsBoundary(line, caretPos));
    Check(View.caret.x >= 0);

    for (int p = 0; p >= 0; p = NextCharPos(line, p)) {
        View.caret.pos = p;
        LayoutPoint point = PosToPoint(line);
        Check(PointToPos(line, point.x, point.y) == p);
        int next = NextCharPos(line, p);
        Check(next == -1 || PrevCharPos(line, next) == p);
    }
    View.caret.pos = caretPos;
}

void MeasureAll()
{
    LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
        MeasureLine(*line, rect);
    View.topLine = View.firstLine;
    View.topRow = 1;
    CaretViewPoint();
}

void TypeByte(unsigned char b)
{
    char c = static_cast<char>(b);
    InsertText(&c, 1);
}

// The keyboard sends a double-byte character as two messages; between them the caret may sit
// inside the new pair, so checks wait for the trail byte.
void TypeCharacter(Script& script)
{
    unsigned char b = script.Next();
    bool atLineEnd = View.caret.pos == View.caret.line->length;
    TypeByte(b);
    if (IsLeadByte(b) && !atLineEnd)
        TypeByte(script.Next());
}

// A run of bytes in one call, as a paste would bring them. Its last byte is never a lead byte,
// which would otherwise pair with the text after the caret.
void TypeRun(Script& script)
{
    char run[16];
    int count = 1 + script.Next() % 16;
    for (int i = 0; i < count; ++i)
        run[i] = static_cast<char>(script.Next());
    if (IsLeadByte(static_cast<unsigned char>(run[count - 1])))
        run[count - 1] = 'L';
    InsertText(run, count);
}

void RunAction(Script& script)
{
    unsigned char action = script.Next();
    switch (action % 16) {
    case 0: MoveHome(); break;
    case 1: MoveEnd(); break;
    case 2: MoveLeft(); break;
    case 3: MoveRight(); break;
    case 4: MoveUp(); break;
    case 5: MoveDown(); break;
    case 6: PageUp(); break;
    case 7: PageDown(); break;
    case 8: TypeCharacter(script); break;
    case 9: TypeRun(script); break;
    case 10: {
        unsigned char mode = script.Next();
        WrapMode = mode < 16 ? -1 : mode < 32 ? 0 : mode % 100 + 1;
        break;
    }
    case 11: View.clientWidth = script.Next() * 2; break;
    case 12: View.clientHeight = script.Next() * 2; break;
    case 13: MeasureAll(); break;
    case 14: CellWidth = 1 + script.Next() % 16; break;
    default: {
        const char breaks[][3] = {"\r\n", "\r\r", "\n\r"};
        InsertText(breaks[script.Next() % 3], 2);
        break;
    }
    }
}

TextLine* ReadLines(const uint8_t* data, size_t size)
{
    TextLine* first = new TextLine;
    if (size == 0)
        return first;
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == nullptr)
        return first;
    TextLine* line = first;
    while (ReadLine(line, stream)) {
        TextLine* next = new TextLine;
        line->InsertAfter(next);
        line = next;
    }
    fclose(stream);
    return first;
}

void StartDocument(const uint8_t* data, size_t size)
{
    DestroyLines(View.firstLine);
    CellWidth = 7;
    WrapMode = -1;
    TabWidth = 4;
    View.clientWidth = 200;
    View.clientHeight = 300;
    View.hScroll = 0;
    View.modified = false;
    View.firstLine = ReadLines(data, size);
    View.caret.line = View.firstLine;
    View.caret.pos = 0;
    View.caret.x = 0;
    MeasureAll();
}

size_t FindSeparator(const uint8_t* data, size_t size)
{
    for (size_t i = 0; i + SeparatorLength <= size; ++i) {
        if (std::memcmp(data + i, Separator, SeparatorLength) == 0)
            return i;
    }
    return size;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t fileSize = FindSeparator(data, size);
    StartDocument(data, fileSize);
    CheckDocument();
    size_t scriptStart = fileSize + SeparatorLength < size ? fileSize + SeparatorLength : size;
    Script script(data + scriptStart, size - scriptStart);
    while (!script.AtEnd()) {
        RunAction(script);
        CheckDocument();
    }
    return 0;
}
