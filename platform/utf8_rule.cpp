// UTF-8. A character is one well-formed sequence with the combining marks after it, so the caret
// steps over a letter and its marks at once. Three-byte sequences for the UTF-16 surrogates
// (ED A0..BF xx) are accepted as one character: text from UTF-16 with a lone surrogate is held
// that way and written back unchanged. Such a character takes one cell and is not valid, so it
// is shown as a mark; nothing joins it. Every byte of anything else that is not well formed is
// a character of its own.
//
// Cells follow Shift-JIS, so that a file looks the same in every code: ASCII and half-width
// katakana one, every other character code page 932 has two; a character it lacks two when its
// East Asian Width is W, F or A (é is one of these), one otherwise.
#include "platform/char_rule.h"
#include "platform/unicode_tables.h"

namespace {

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

bool IsSurrogate(unsigned long code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

// A base that marks can join: anything but a control character or a surrogate.
bool TakesMarks(unsigned long code)
{
    return code >= 0x20 && (code < 0x7F || code > 0x9F) && !IsSurrogate(code);
}

// Length of the well-formed sequence at s, with its code point in *code; 0 when s starts none.
// Reads no further than the first byte that cannot continue it, so never past the terminator.
int Sequence(const unsigned char* s, unsigned long* code)
{
    unsigned char b = s[0];
    if (b < 0x80) {
        *code = b;
        return 1;
    }
    if (b < 0xC2 || b > 0xF4 || !IsContinuation(s[1]))
        return 0;
    if (b < 0xE0) {
        *code = (b & 0x1Fu) << 6 | (s[1] & 0x3Fu);
        return 2;
    }
    // The second byte's range rules out overlong forms and code points past U+10FFFF.
    if ((b == 0xE0 && s[1] < 0xA0) || (b == 0xF0 && s[1] < 0x90) || (b == 0xF4 && s[1] > 0x8F))
        return 0;
    if (!IsContinuation(s[2]))
        return 0;
    if (b < 0xF0) {
        *code = (b & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu);
        return 3;
    }
    if (!IsContinuation(s[3]))
        return 0;
    *code = (b & 0x07u) << 18 | (s[1] & 0x3Fu) << 12 | (s[2] & 0x3Fu) << 6 | (s[3] & 0x3Fu);
    return 4;
}

// A combining mark starting at s: its length, or 0.
int MarkAt(const unsigned char* s)
{
    if (s[0] < FirstMarkLead)
        return 0;
    // The first two bytes of a three-byte sequence name its block of 256 code points, and most
    // blocks hold no mark: the ideographs, the bulk of a Japanese text, need no decoding here.
    if (s[0] >= 0xE0 && s[0] < 0xF0 && IsContinuation(s[1])) {
        if (MarkBlocks64[(s[0] & 0x0Fu) << 6 | (s[1] & 0x3Fu)] == 0)
            return 0;
        // Kana share their block with the voiced sound marks: decoded in place, as Step does.
        if (s[0] != 0xE0 && s[0] != 0xED && IsContinuation(s[2]))
            return IsCombiningMark((s[0] & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu)) ? 3 : 0;
    }
    unsigned long code;
    int bytes = Sequence(s, &code);
    return bytes > 0 && IsCombiningMark(code) ? bytes : 0;
}

// The BMP's answers are tabled from these rules.
int Cells(unsigned long code)
{
    if (code < 0x10000)
        return 1 + static_cast<int>(TwoCellBits[code >> 5] >> (code & 31) & 1);
    return IsEastAsianWide(code) ? 2 : 1;
}

int Step(const char* text, int* cells)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    unsigned long code;
    int bytes;
    // Most of a Japanese text: three bytes whose lead takes any continuation byte after it (E0
    // rules out overlong forms and ED the surrogates by their second byte).
    if (s[0] >= 0xE1 && s[0] <= 0xEF && s[0] != 0xED && IsContinuation(s[1]) && IsContinuation(s[2])) {
        code = (s[0] & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu);
        bytes = 3;
    } else {
        bytes = Sequence(s, &code);
    }
    if (bytes == 0) {
        *cells = 1;
        return 1;
    }
    *cells = Cells(code);
    if (!TakesMarks(code))
        return bytes;
    while (int mark = MarkAt(s + bytes))
        bytes += mark;
    return bytes;
}

// The sequence, or the lone byte, that holds the byte at pos - 1: its start, and whether it is a
// well-formed sequence, with its code point. A byte that is not a continuation byte always starts
// one, and a sequence is at most four bytes, so three bytes back are enough.
int SequenceStart(const unsigned char* s, int pos, bool* formed, unsigned long* code)
{
    int last = pos - 1;
    int start = last;
    while (start > 0 && last - start < 3 && IsContinuation(s[start]))
        --start;
    int bytes = Sequence(s + start, code);
    *formed = bytes > last - start;
    return *formed ? start : last;
}

// Back over the marks before pos to the character they belong to: the base before them when it
// takes marks, else the first of them, which then stands as a base.
int StepBack(const char* text, int pos)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    bool formed;
    unsigned long code;
    int start = SequenceStart(s, pos, &formed, &code);
    if (!formed || !IsCombiningMark(code))
        return start;
    while (start > 0) {
        int before = SequenceStart(s, start, &formed, &code);
        if (formed && IsCombiningMark(code)) {
            start = before;
            continue;
        }
        return formed && TakesMarks(code) ? before : start;
    }
    return start;
}

bool IsBoundary(const char* text, int length, int pos)
{
    return pos <= 0 || pos >= length || StepBack(text, pos + 1) == pos;
}

bool IsValid(const char* text, int count)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    unsigned long code;
    int bytes = Sequence(s, &code);
    if (bytes == 0 || bytes > count || IsSurrogate(code))
        return false;
    if (bytes < count && !TakesMarks(code))
        return false;
    while (bytes < count) {
        int mark = MarkAt(s + bytes);
        if (mark == 0 || bytes + mark > count)
            return false;
        bytes += mark;
    }
    return true;
}

long Decode(const char* text, int* bytes)
{
    unsigned long code;
    *bytes = Sequence(reinterpret_cast<const unsigned char*>(text), &code);
    if (*bytes == 0) {
        *bytes = 1;
        return NoCodePoint;
    }
    return static_cast<long>(code);
}

} // namespace

int EncodeUtf8(unsigned long codePoint, char* out)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | codePoint >> 6);
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | codePoint >> 12);
        out[1] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    if (codePoint < 0x110000) {
        out[0] = static_cast<char>(0xF0 | codePoint >> 18);
        out[1] = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 4;
    }
    return 0;
}

namespace {

unsigned NoShiftJisCode(const char*)
{
    return 0;
}

// What the run needs of each block of 64 BMP code points: whether every character takes two
// cells, and which are marks, a bit each, so that a three-byte character is settled by its block
// and its last byte. Made from the tables once, when first asked.
struct BlockKinds {
    unsigned long long marks[1024];
    bool allTwo[1024];
    BlockKinds()
    {
        for (unsigned block = 0; block < 1024; ++block) {
            unsigned long code = block << 6;
            const unsigned int* low = MarkBlockBits[MarkBlockIndex[code >> 8]];
            marks[block] = static_cast<unsigned long long>(low[(code & 0xFF) >> 5]) |
                           static_cast<unsigned long long>(low[((code & 0xFF) >> 5) + 1]) << 32;
            allTwo[block] = TwoCellBits[2 * block] == 0xFFFFFFFFu && TwoCellBits[2 * block + 1] == 0xFFFFFFFFu;
        }
    }
};

const BlockKinds& Kinds()
{
    static const BlockKinds kinds;
    return kinds;
}

// The row walk's run of characters. A call a character through the rule's pointer cost more
// than the step itself. The run walks forward once: a mark is joined to the character before it
// when that one takes marks, instead of looking ahead for marks after every character, and most
// characters of a Japanese text are three bytes settled by their block.
int StepRun(const char* text, int limit, long long room, int* cells, int* lastBytes, int* lastCells)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    const BlockKinds& kinds = Kinds();
    int pos = 0;
    long long taken = 0;
    int last = 0;
    int lastWidth = 0;
    // Whether the character before pos takes the marks that follow it.
    bool joins = false;
    for (;;) {
        if (pos >= limit) {
            // The character before the limit is taken whole, with its marks.
            if (!joins)
                break;
            int mark = MarkAt(s + pos);
            if (mark == 0)
                break;
            pos += mark;
            last += mark;
            continue;
        }
        unsigned char b = s[pos];
        if (b == '\t' || b == 0)
            break;
        int bytes = 1;
        int width = 1;
        bool takes = b >= 0x20 && b < 0x7F;
        if (b >= 0xE1 && b <= 0xEF && b != 0xED && IsContinuation(s[pos + 1]) && IsContinuation(s[pos + 2])) {
            unsigned block = (b & 0x0Fu) << 6 | (s[pos + 1] & 0x3Fu);
            unsigned low = s[pos + 2] & 0x3Fu;
            bytes = 3;
            takes = true;
            if (joins && (kinds.marks[block] >> low & 1) != 0)
                width = -1;
            else
                width = kinds.allTwo[block] ? 2 : Cells(block << 6 | low);
        } else if (b >= 0x80) {
            unsigned long code;
            bytes = Sequence(s + pos, &code);
            if (bytes == 0) {
                bytes = 1;
                takes = false;
            } else if (joins && IsCombiningMark(code)) {
                width = -1;
            } else {
                width = Cells(code);
                takes = TakesMarks(code);
            }
        }
        if (width < 0) {
            // A mark, part of the character before it.
            pos += bytes;
            last += bytes;
            continue;
        }
        if (taken + width > room)
            break;
        taken += width;
        pos += bytes;
        last = bytes;
        lastWidth = width;
        joins = takes;
    }
    *cells = static_cast<int>(taken);
    *lastBytes = last;
    *lastCells = lastWidth;
    return pos;
}

} // namespace

extern const CharRule Utf8Rule = {Step,          StepBack, IsBoundary, IsValid, Decode, EncodeUtf8,
                                  FirstMarkLead, false,    65001,      NoShiftJisCode, StepRun};
