// Reads the bytes before the first "~~~" as a file and runs the rest as a script of edits:
// caret moves, typing, wrap and window changes and measuring. The file is read by the block
// reader and byte by byte, which must give the same lines, and once more with a read error at a
// place the input chooses, which must keep every line before it and drop the document's name.
// After every action the document and the caret must still be consistent and the caret's place
// must survive the trip to a point and back, and at the end the boundaries of every line must;
// otherwise the run aborts.
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/line_arena.h"
#include "document/line_reader.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/selection.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

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

// The boundary's point and the position found at that point agree, and the characters before
// and after it lead back to it. Each call walks the line a few times.
void CheckRoundTrip(TextLine& line, int pos)
{
    int caretPos = View.caret.pos;
    View.caret.pos = pos;
    LayoutPoint point = PosToPoint(line, pos);
    Check(PointToPos(line, point.x, point.y) == pos);
    int next = NextCharPos(line, pos);
    Check(next == -1 || PrevCharPos(line, next) == pos);
    View.caret.pos = caretPos;
}

// After every action: the list is whole, the caret is on a boundary of a line of it, and the
// caret's place and the line's end go to a point and back. Linear in the document, so a long
// line costs no more than its length per action.
void CheckDocument()
{
    Check(View.firstLine != nullptr && View.firstLine->prev == nullptr);
    bool caretLineFound = false;
    long count = 0;
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next) {
        Check(++count < 1000000);
        Check(line->next == nullptr || line->next->prev == line);
        Check(line->prev == nullptr || line->prev->next == line);
        Check(line->text != nullptr && line->length >= 0 && line->length < line->Capacity());
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

    CheckRoundTrip(line, caretPos);
    CheckRoundTrip(line, line.length);
}

// Once an input has run: every boundary of every line, or of a long one about a hundred spread
// over it, since each check walks the line.
void CheckBoundaries()
{
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next) {
        int every = line->length / 100 + 1;
        int index = 0;
        for (int p = 0; p >= 0; p = NextCharPos(*line, p))
            if (index++ % every == 0)
                CheckRoundTrip(*line, p);
    }
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

std::vector<std::string> TextsOf(const TextLine* first)
{
    std::vector<std::string> texts;
    for (const TextLine* line = first; line != nullptr; line = line->next)
        texts.push_back(std::string(line->text, static_cast<size_t>(line->length)));
    return texts;
}

// The file's lines, read byte by byte with ReadLine: the definition of a line.
TextLine* ReadBytewise(const uint8_t* data, size_t size)
{
    TextLine* first = new TextLine;
    if (size == 0)
        return first;
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    Check(stream != nullptr);
    TextLine* line = first;
    while (ReadLine(line, stream)) {
        TextLine* next = new TextLine;
        line->InsertAfter(next);
        line = next;
    }
    fclose(stream);
    return first;
}

// The file's lines as documents are read, in blocks into an arena, so that the edits meet lines
// whose bytes are still the arena's; they must be the same lines.
TextLine* ReadLines(const uint8_t* data, size_t size)
{
    LineArena arena;
    TextLine* first = arena.NewLine();
    Check(first != nullptr);
    if (size != 0) {
        FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
        Check(stream != nullptr);
        LineReader reader(stream, arena);
        TextLine* line = first;
        while (reader.ReadLine(*line)) {
            TextLine* next = arena.NewLine();
            Check(next != nullptr);
            line->InsertAfter(next);
            line = next;
        }
        Check(!reader.Failed());
        fclose(stream);
    }
    TextLine* bytewise = ReadBytewise(data, size);
    Check(TextsOf(first) == TextsOf(bytewise));
    DestroyLines(bytewise);
    return first;
}

// The file the reading with an error reads, in memory where there is such a folder (a file
// truncated and closed on disk is flushed each time), removed when the run ends.
struct TempFile {
    std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tessary-edit-fuzz-" +
                       std::to_string(getpid()) + ".txt";
    ~TempFile() { std::remove(path.c_str()); }
};

// Reads the file from disk with a read error after cut bytes: the document keeps exactly the
// lines of the bytes before the error, and never the name, whose file it would replace with
// its first part. A cut beyond the file is no error at all.
void ReadWithError(const uint8_t* data, size_t size, size_t cut)
{
    if (size > static_cast<size_t>(LoadThreshold))
        return;
    static TempFile file;
    const std::string& path = file.path;
    FILE* stream = fopen(path.c_str(), "wb");
    Check(stream != nullptr);
    Check(fwrite(data, 1, size, stream) == size);
    fclose(stream);

    EditView view;
    std::strcpy(view.path, path.c_str());
    FailStreamsAfter(static_cast<long>(cut));
    unsigned long error = 0;
    bool read = ReadDocument(view, &error);
    FailStreamsAfter(-1);
    Check(read);
    TextLine* expected = ReadBytewise(data, cut < size ? cut : size);
    Check(TextsOf(view.firstLine) == TextsOf(expected));
    if (cut <= size)
        Check(view.path[0] == 0 && error != 0);
    else
        Check(path == view.path && error == 0);
    DestroyLines(expected);
    DestroyLines(view.firstLine);
    view.firstLine = nullptr;
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
    View.overwrite = false;
    View.firstLine = ReadLines(data, size);
    View.caret.line = View.firstLine;
    View.caret.lineIndex = 0;
    View.caret.pos = 0;
    View.caret.x = 0;
    View.anchor = CaretPlace();
    View.undo.Clear();
    DropPendingLeadByte();
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
    // The place of the read error comes from the input, anywhere from the first byte to one past
    // the end.
    size_t cut = 0;
    for (size_t i = scriptStart; i < size && i < scriptStart + 4; ++i)
        cut = cut * 256 + data[i];
    ReadWithError(data, fileSize, cut % (fileSize + 2));
    Script script(data + scriptStart, size - scriptStart);
    while (!script.AtEnd()) {
        RunAction(script);
        CheckDocument();
    }
    CheckBoundaries();
    // Freed here rather than by the next input, so libFuzzer sees no input keep memory.
    DestroyLines(View.firstLine);
    View.firstLine = View.caret.line = View.topLine = View.anchor.line = nullptr;
    View.undo.Clear();
    return 0;
}
