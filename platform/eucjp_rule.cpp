// EUC-JP: ASCII is one byte; two bytes from A1 to FE are a JIS X 0208 character of two cells;
// 8E and a byte from A1 to DF a half-width katakana of one cell; 8F and two bytes from A1 to FE a
// JIS X 0212 character of two cells. Any other byte is a character of its own.
//
// Only bytes from A1 to FE ever follow the first byte of a character, so every other byte starts
// one. Inside a run of A1..FE bytes nothing tells a first byte from a second, so stepping back
// looks back over the run to the byte before it, which fixes how the run pairs up. Japanese text
// without ASCII or half-width katakana makes such runs as long as its lines.
#include "platform/char_rule.h"

namespace {

bool InPairRange(unsigned char b)
{
    return b >= 0xA1 && b <= 0xFE;
}

bool IsHalfWidthKana(unsigned char b)
{
    return b >= 0xA1 && b <= 0xDF;
}

const unsigned char SingleShift2 = 0x8E;
const unsigned char SingleShift3 = 0x8F;

// Bytes of the character at s, 1 for a byte that starts none.
int Length(const unsigned char* s)
{
    unsigned char b = s[0];
    if (b == SingleShift2)
        return IsHalfWidthKana(s[1]) ? 2 : 1;
    if (b == SingleShift3)
        return InPairRange(s[1]) && InPairRange(s[2]) ? 3 : 1;
    return InPairRange(b) && InPairRange(s[1]) ? 2 : 1;
}

int Step(const char* text, int* cells)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    int bytes = Length(s);
    *cells = bytes == 2 && s[0] == SingleShift2 ? 1 : bytes == 1 ? 1 : 2;
    return bytes;
}

int StepBack(const char* text, int pos)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    int last = pos - 1;
    if (!InPairRange(s[last]))
        return last;
    int run = last;
    while (run > 0 && InPairRange(s[run - 1]))
        --run;
    // Where pairs start within the run: after what a single shift before it takes of it.
    int pairs = run;
    if (run > 0) {
        int before = Length(s + run - 1);
        if (last < run - 1 + before)
            return run - 1;
        pairs = run - 1 + before;
    }
    return (last - pairs) % 2 == 0 ? last : last - 1;
}

bool IsBoundary(const char* text, int length, int pos)
{
    return pos <= 0 || pos >= length || StepBack(text, pos + 1) == pos;
}

bool IsValid(const char* text, int count)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    int bytes = Length(s);
    return bytes == count && (bytes > 1 || s[0] < 0x80);
}

long Decode(const char* text, int* bytes)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    *bytes = Length(s);
    if (!IsValid(text, *bytes))
        return NoCodePoint;
    if (*bytes == 1)
        return s[0];
    if (s[0] == SingleShift2)
        return 0xFF61 + (s[1] - 0xA1);
    return SystemCodePoint;
}

int Encode(unsigned long codePoint, char* out)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint >= 0xFF61 && codePoint <= 0xFF9F) {
        out[0] = static_cast<char>(SingleShift2);
        out[1] = static_cast<char>(0xA1 + (codePoint - 0xFF61));
        return 2;
    }
    return 0;
}

// JIS X 0208's row and cell are the two bytes less 0x80; Shift-JIS packs two rows into one first
// byte, an odd row's cells taking second bytes 40..9E (skipping 7F) and an even row's 9F..FC.
unsigned ShiftJisCode(const char* text)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    if (!InPairRange(s[0]) || !InPairRange(s[1]))
        return 0;
    unsigned row = s[0] - 0x80u;
    unsigned cell = s[1] - 0x80u;
    unsigned first = ((row + 1) >> 1) + (row <= 0x5E ? 0x70 : 0xB0);
    unsigned second = cell + ((row & 1) != 0 ? (cell < 0x60 ? 0x1F : 0x20) : 0x7E);
    return first << 8 | second;
}

} // namespace

extern const CharRule EucJpRule = {Step, StepBack, IsBoundary, IsValid, Decode, Encode, 0x100, false, 20932, ShiftJisCode, nullptr};
