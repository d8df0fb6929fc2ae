// Reads the bytes before the first "~~~" as a file and runs the rest as a script of edits and
// moves: caret moves with and without Shift, typing, overwrite, breaks, Backspace and Delete by
// character and by word, select all, cut, paste, undo, redo, scrolling, wrap and window changes.
// The file is read by the block reader and byte by byte, which must give the same lines, and
// once more with a read error at a place the input chooses, which must keep every line before it
// and drop the document's name. After every action the document and the caret must still be
// consistent, the text must be what a plain model of it says, the rows the view keeps must be
// those a fresh measuring gives, and the caret's place must survive the trip to a point and
// back; at the end, undoing everything must give the file's lines and redoing everything the
// edited ones. Otherwise the run aborts.
//
// What one input may grow is bounded, so that a long run keeps its memory: an action that could
// take the document past MaxDocumentBytes is skipped (the clipboard, a copy of part of it, stays
// within that too), and the texts the document has had are kept as hashes, not copies.
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/line_arena.h"
#include "document/line_reader.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "document/text_edit.h"
#include "platform/characters.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/editing.h"
#include "view/selection.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

const char Separator[] = "~~~";
const int SeparatorLength = 3;
// Every action checks the whole document, and pasting a selection of all of it doubles it: past
// this size the checks would take most of the time and the copies most of the memory.
const size_t MaxDocumentBytes = 16 * 1024;

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
    LayoutPoint point = PosToPoint(line, pos);
    Check(PointToPos(line, point.x, point.y) == pos);
    int next = NextCharPos(line, pos);
    Check(next == -1 || PrevCharPos(line, next) == pos);
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

// What a fresh layout of the whole document gives, as a resize or a wrap change makes it.
void MeasureAll()
{
    LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
    int total = 0;
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next) {
        MeasureLine(*line, rect);
        total += line->rowCount;
    }
    View.totalRows = total;
    View.topLine = View.firstLine;
    View.topLineIndex = 0;
    View.topRow = 1;
    View.vScroll = 0;
    CaretViewPoint();
}

// The text as plain strings, changed by the script's edits by its own simple rules; the
// document must always hold the same.
struct Model {
    std::vector<std::string> lines;
    int caretLine;
    int caretPos;
};

Model Expected;
// The file's lines, which undoing everything must give back.
std::vector<std::string> FileLines;
// The terminator of each line as read, which Undo must bring back exactly.
std::vector<unsigned> FileEndings;

std::vector<unsigned> EndingsOf(const TextLine* first)
{
    std::vector<unsigned> endings;
    for (const TextLine* line = first; line != nullptr; line = line->next)
        endings.push_back(line->ending);
    return endings;
}
// A hash of every text the document has had, to check that undo and redo only ever go back to
// one: eight bytes an action where a copy of the text would be the whole document.
std::unordered_set<uint64_t> History;
// Whether the model's text changed in the current action, so that only such actions are hashed.
bool TextChanged;

uint64_t Mix(uint64_t h)
{
    h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ULL;
    h = (h ^ (h >> 27)) * 0x94d049bb133111ebULL;
    return h ^ (h >> 31);
}

// Each line's hash goes in after the ones before, so that lines joined, split or in another
// order hash differently.
uint64_t TextHash(const std::vector<std::string>& lines)
{
    uint64_t h = Mix(lines.size());
    for (const std::string& line : lines)
        h = Mix(h ^ std::hash<std::string>()(line));
    return h;
}

// The document's bytes as the model holds them, a break counted for every line.
size_t ExpectedBytes()
{
    size_t bytes = 0;
    for (const std::string& line : Expected.lines)
        bytes += line.size() + 1;
    return bytes;
}

// Whether an action that adds this many bytes at most keeps the document within its bound.
bool MayGrow(size_t bytes)
{
    return ExpectedBytes() + bytes <= MaxDocumentBytes;
}

std::vector<std::string> TextsOf(const TextLine* first);

int ModelBoundaryAfter(const std::string& line, int pos)
{
    int i = 0;
    while (i < pos)
        i += CharacterBytes(line.c_str() + i);
    return i;
}

// Replaces the model's text between two places as the editor must: CR LF, CR and LF each break,
// zero becomes '*'; the caret goes after the new text, past a character it completed.
void ModelReplace(int fromLine, int fromPos, int toLine, int toPos, const std::string& bytes)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char b = bytes[i];
        if (b == '\r' || b == '\n') {
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            parts.push_back("");
        } else {
            parts.back() += b == 0 ? '*' : b;
        }
    }
    std::vector<std::string>& lines = Expected.lines;
    std::string head = lines[fromLine].substr(0, static_cast<size_t>(fromPos));
    std::string tail = lines[toLine].substr(static_cast<size_t>(toPos));
    parts.front() = head + parts.front();
    int endPos = static_cast<int>(parts.back().size());
    parts.back() += tail;
    lines.erase(lines.begin() + fromLine, lines.begin() + toLine + 1);
    lines.insert(lines.begin() + fromLine, parts.begin(), parts.end());
    Expected.caretLine = fromLine + static_cast<int>(parts.size()) - 1;
    Expected.caretPos = ModelBoundaryAfter(lines[Expected.caretLine], endPos);
    TextChanged = true;
}

void ModelFollowCaret()
{
    Expected.caretLine = View.caret.lineIndex;
    Expected.caretPos = View.caret.pos;
}

// After every action: the list is whole, the caret and the anchor are on boundaries of lines of
// it, their line numbers are right, the text is the model's, every line's rows are what measuring
// it again gives and add up to the total, the top of the view is where its numbers say, and the
// caret's place and the line's end go to a point and back. Linear in the document.
void CheckDocument()
{
    Check(View.firstLine != nullptr && View.firstLine->prev == nullptr);
    LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
    bool caretLineFound = false;
    bool anchorLineFound = false;
    bool topFound = false;
    long count = 0;
    int rows = 0;
    int rowsAboveTop = 0;
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next, ++count) {
        Check(count < 1000000);
        Check(line->next == nullptr || line->next->prev == line);
        Check(line->prev == nullptr || line->prev->next == line);
        Check(line->text != nullptr && line->length >= 0 && line->length < line->Capacity());
        Check(line->text[line->length] == 0);
        Check(std::strlen(line->text) == static_cast<size_t>(line->length));
        if (line == View.caret.line) {
            caretLineFound = true;
            Check(View.caret.lineIndex == count);
        }
        if (line == View.anchor.line) {
            anchorLineFound = true;
            Check(View.anchor.lineIndex == count);
            Check(View.anchor.pos >= 0 && View.anchor.pos <= line->length && IsBoundary(*line, View.anchor.pos));
        }
        if (line == View.topLine) {
            topFound = true;
            Check(View.topLineIndex == count);
            rowsAboveTop = rows;
        }
        Check(count < static_cast<long>(Expected.lines.size()));
        const std::string& expected = Expected.lines[static_cast<size_t>(count)];
        Check(expected.size() == static_cast<size_t>(line->length) &&
              std::memcmp(expected.data(), line->text, expected.size()) == 0);
        int cached = line->rowCount;
        Check(MeasureLine(*line, rect).rowDelta == 0 && line->rowCount == cached);
        rows += cached;
    }
    Check(count == static_cast<long>(Expected.lines.size()));
    Check(caretLineFound && anchorLineFound && topFound);
    Check(rows == View.totalRows);
    Check(View.topRow >= 1 && View.topRow <= View.topLine->rowCount);
    Check(View.vScroll == rowsAboveTop + View.topRow - 1);
    Check(View.caret.lineIndex == Expected.caretLine && View.caret.pos == Expected.caretPos);

    TextLine& line = *View.caret.line;
    int caretPos = View.caret.pos;
    Check(caretPos >= 0 && caretPos <= line.length);
    Check(IsBoundary(line, caretPos));
    Check(View.caret.x >= 0);

    CheckRoundTrip(line, caretPos);
    CheckRoundTrip(line, line.length);
}

void Move(void (*move)(), bool extend)
{
    move();
    if (!extend)
        CollapseSelection();
    EndTypingRun();
    DropPendingLeadByte();
    ModelFollowCaret();
}

// The model's place of the selection's ends, from the document's own (the moves are the code's).
void SelectionInModel(int* fromLine, int* fromPos, int* toLine, int* toPos)
{
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    *fromLine = start.lineIndex;
    *fromPos = start.pos;
    *toLine = end.lineIndex;
    *toPos = end.pos;
}

// Typing and pasting as the model sees them; typing in overwrite mode takes a character for
// each one typed, a paste never does.
void ExpectTyped(const std::string& bytes, bool typed = true)
{
    int fromLine, fromPos, toLine, toPos;
    SelectionInModel(&fromLine, &fromPos, &toLine, &toPos);
    bool breaks = bytes.find_first_of("\r\n") != std::string::npos;
    if (typed && View.overwrite && fromLine == toLine && fromPos == toPos && !breaks) {
        const std::string& line = Expected.lines[toLine];
        int characters = 0;
        for (size_t i = 0; i < bytes.size(); ++characters)
            i += i + 1 < bytes.size() && IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        for (; characters > 0 && toPos < static_cast<int>(line.size()); --characters)
            toPos += CharacterBytes(line.c_str() + toPos);
    }
    ModelReplace(fromLine, fromPos, toLine, toPos, bytes);
}

void Type(const std::string& bytes)
{
    if (!MayGrow(bytes.size()))
        return;
    ExpectTyped(bytes);
    Check(InsertText(bytes.data(), static_cast<int>(bytes.size())));
}

// The keyboard sends a double-byte character as two messages; the lead byte waits for its trail.
void TypeCharacter(Script& script)
{
    unsigned char b = script.Next();
    unsigned long error = 0;
    if (!IsTypedByte(b))
        return;
    bool lead = IsLeadByte(b);
    unsigned char trail = lead ? script.Next() : 0;
    if (!MayGrow(lead ? 2 : 1))
        return;
    if (!lead) {
        ExpectTyped(std::string(1, static_cast<char>(b)));
        Check(TypeByte(b, &error));
        return;
    }
    Check(TypeByte(b, &error));
    ExpectTyped(std::string{static_cast<char>(b), static_cast<char>(trail)});
    Check(TypeByte(trail, &error));
}

// A run of bytes in one call, as a paste would bring them. Its last byte is never a lead byte,
// which would otherwise pair with the text after the caret.
std::string Run(Script& script)
{
    std::string run;
    int count = 1 + script.Next() % 16;
    for (int i = 0; i < count; ++i)
        run += static_cast<char>(script.Next());
    if (IsLeadByte(static_cast<unsigned char>(run.back())))
        run.back() = 'L';
    return run;
}

// Backspace and Delete by character, with the model finding the character by its own walk.
void Delete(bool backward, bool word)
{
    int fromLine, fromPos, toLine, toPos;
    SelectionInModel(&fromLine, &fromPos, &toLine, &toPos);
    if (fromLine == toLine && fromPos == toPos) {
        const std::string& line = Expected.lines[fromLine];
        int length = static_cast<int>(line.size());
        if (backward && fromPos == 0 && fromLine > 0) {
            --fromLine;
            fromPos = static_cast<int>(Expected.lines[fromLine].size());
        } else if (backward && fromPos > 0) {
            int start = 0;
            while (start + CharacterBytes(line.c_str() + start) < fromPos)
                start += CharacterBytes(line.c_str() + start);
            fromPos = word ? WordLeftOf(*View.caret.line, toPos) : start;
        } else if (!backward && toPos == length && toLine + 1 < static_cast<int>(Expected.lines.size())) {
            ++toLine;
            toPos = 0;
        } else if (!backward && toPos < length) {
            toPos = word ? WordRightOf(*View.caret.line, toPos) : toPos + CharacterBytes(line.c_str() + toPos);
        }
    }
    bool changes = fromLine != toLine || fromPos != toPos;
    unsigned long error = 0;
    Check(backward ? DeleteBackward(word, &error) : DeleteForward(word, &error));
    if (changes)
        ModelReplace(fromLine, fromPos, toLine, toPos, "");
}

std::string Clipboard;

void Cut()
{
    Clipboard.clear();
    Check(SelectedBytes("\r\n", &Clipboard));
    int fromLine, fromPos, toLine, toPos;
    SelectionInModel(&fromLine, &fromPos, &toLine, &toPos);
    if (fromLine == toLine && fromPos == toPos)
        return;
    ModelReplace(fromLine, fromPos, toLine, toPos, "");
    unsigned long error = 0;
    Check(ReplaceSelection("", 0, EditOther, &error));
}

void Paste()
{
    if (!MayGrow(Clipboard.size()))
        return;
    ExpectTyped(Clipboard, false);
    unsigned long error = 0;
    Check(ReplaceSelection(Clipboard.data(), static_cast<int>(Clipboard.size()), EditOther, &error));
}

// Undo and redo may only ever bring back a text the document has had.
void UndoOrRedo(bool undo)
{
    unsigned long error = 0;
    if (undo)
        UndoEdit(&error);
    else
        RedoEdit(&error);
    Check(error == 0);
    Expected.lines = TextsOf(View.firstLine);
    Check(History.count(TextHash(Expected.lines)) != 0);
    ModelFollowCaret();
}

// Scrolls the view's top to a line of the document, as the scroll bar would.
void ScrollTo(int index)
{
    TextLine* line = View.firstLine;
    int rows = 0;
    int at = 0;
    for (; at < index && line->next != nullptr; ++at) {
        rows += line->rowCount;
        line = line->next;
    }
    View.topLine = line;
    View.topLineIndex = at;
    View.topRow = 1;
    View.vScroll = rows;
}

void RunAction(Script& script)
{
    unsigned char action = script.Next();
    TextChanged = false;
    bool extend = action >= 128;
    switch (action % 32) {
    case 0: Move(MoveHome, extend); break;
    case 1: Move(MoveEnd, extend); break;
    case 2: Move(MoveLeft, extend); break;
    case 3: Move(MoveRight, extend); break;
    case 4: Move(MoveUp, extend); break;
    case 5: Move(MoveDown, extend); break;
    case 6: Move(PageUp, extend); break;
    case 7: Move(PageDown, extend); break;
    case 8: Move(MoveWordLeft, extend); break;
    case 9: Move(MoveWordRight, extend); break;
    case 10: Move(MoveDocumentStart, extend); break;
    case 11: Move(MoveDocumentEnd, extend); break;
    case 12:
    case 13: TypeCharacter(script); break;
    case 14: Type(Run(script)); break;
    case 15: {
        const char* breaks[] = {"\r\n", "\r\r", "\n\r", "\r", "\n"};
        Type(breaks[script.Next() % 5]);
        break;
    }
    case 16: Delete(true, extend); break;
    case 17: Delete(false, extend); break;
    case 18: SelectAll(); ModelFollowCaret(); break;
    case 19: Cut(); break;
    case 20: Paste(); break;
    case 21: UndoOrRedo(true); break;
    case 22: UndoOrRedo(false); break;
    case 23: View.overwrite = !View.overwrite; break;
    case 24: ScrollTo(script.Next()); break;
    case 25: {
        unsigned char mode = script.Next();
        WrapMode = mode < 16 ? -1 : mode < 32 ? 0 : mode % 100 + 1;
        MeasureAll();
        break;
    }
    case 26: View.clientWidth = script.Next() * 2; MeasureAll(); break;
    case 27: View.clientHeight = script.Next() * 2; MeasureAll(); break;
    case 28: CellWidth = 1 + script.Next() % 16; MeasureAll(); break;
    case 29: {
        // A copy of a selection, as Copy takes it.
        Clipboard.clear();
        Check(SelectedBytes("\r\n", &Clipboard));
        break;
    }
    default: TypeCharacter(script); break;
    }
    if (TextChanged)
        History.insert(TextHash(Expected.lines));
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
    for (const TextLine *a = first, *b = bytewise; a != nullptr && b != nullptr; a = a->next, b = b->next)
        Check(a->ending == b->ending);
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
    bool read = ReadDocument(view, &error, CodeShiftJis);
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
    Expected.lines = TextsOf(View.firstLine);
    Expected.caretLine = 0;
    Expected.caretPos = 0;
    FileLines = Expected.lines;
    FileEndings = EndingsOf(View.firstLine);
    History.clear();
    History.insert(TextHash(FileLines));
    Clipboard.clear();
}

// Undoing every step must give the file's lines, and redoing as many the edited ones.
void UndoAndRedoEverything()
{
    std::vector<std::string> edited = TextsOf(View.firstLine);
    std::vector<unsigned> editedEndings = EndingsOf(View.firstLine);
    unsigned long error = 0;
    int undone = 0;
    for (; View.undo.CanUndo(); ++undone)
        Check(UndoEdit(&error));
    Expected.lines = TextsOf(View.firstLine);
    Check(Expected.lines == FileLines);
    Check(EndingsOf(View.firstLine) == FileEndings);
    ModelFollowCaret();
    CheckDocument();
    for (; undone > 0; --undone)
        Check(RedoEdit(&error));
    Expected.lines = TextsOf(View.firstLine);
    Check(Expected.lines == edited);
    Check(EndingsOf(View.firstLine) == editedEndings);
    ModelFollowCaret();
    CheckDocument();
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
    UndoAndRedoEverything();
    CheckBoundaries();
    // Freed here rather than by the next input, so libFuzzer sees no input keep memory.
    DestroyLines(View.firstLine);
    View.firstLine = View.caret.line = View.topLine = View.anchor.line = nullptr;
    View.undo.Clear();
    History.clear();
    FileLines.clear();
    return 0;
}
