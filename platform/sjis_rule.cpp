// Shift-JIS as the system's lead-byte test splits it: a lead byte and the byte after it are one
// character of two cells unless that byte is the terminator, so a lead byte that ends a text
// stands alone. Any other byte is a character of one byte and one cell.
#include "platform/char_rule.h"
#include "platform/platform.h"

namespace {

// The system's lead bytes, asked once when the program starts: the walks below test a byte at
// every step, and the table spares them a call each time.
struct LeadBytes {
    LeadBytes()
    {
        for (int b = 0; b < 256; ++b)
            lead[b] = IsLeadByte(static_cast<unsigned char>(b));
    }

    bool lead[256];
};

const LeadBytes Leads;

bool IsLead(const char* text, int at)
{
    return Leads.lead[static_cast<unsigned char>(text[at])];
}

// The lead bytes just before end. The byte before them ends a character, whether alone or as a
// second byte, so the run pairs up from its start.
int LeadRunBefore(const char* text, int end)
{
    int start = end;
    while (start > 0 && IsLead(text, start - 1))
        --start;
    return end - start;
}

int Step(const char* text, int* cells)
{
    int bytes = IsLead(text, 0) && text[1] != 0 ? 2 : 1;
    *cells = bytes;
    return bytes;
}

int StepBack(const char* text, int pos)
{
    return LeadRunBefore(text, pos - 1) % 2 == 1 ? pos - 2 : pos - 1;
}

bool IsBoundary(const char* text, int length, int pos)
{
    return pos <= 0 || pos >= length || LeadRunBefore(text, pos) % 2 == 0;
}

// Bytes that code page 932 defines as characters of their own: ASCII and half-width katakana.
// 0x80, 0xA0 and 0xFD to 0xFF are neither lead bytes nor characters.
bool IsSingle(unsigned char b)
{
    return b < 0x80 || (b >= 0xA1 && b <= 0xDF);
}

bool IsTrail(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool IsValid(const char* text, int count)
{
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (count == 1)
        return !IsLead(text, 0) && IsSingle(first);
    return count == 2 && IsLead(text, 0) && IsTrail(static_cast<unsigned char>(text[1]));
}

long Decode(const char* text, int* bytes)
{
    int cells;
    *bytes = Step(text, &cells);
    if (!IsValid(text, *bytes))
        return NoCodePoint;
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (first < 0x80)
        return first;
    if (*bytes == 1)
        return 0xFF61 + (first - 0xA1);
    return SystemCodePoint;
}

int Encode(unsigned long codePoint, char* out)
{
    if (codePoint < 0x80)
        out[0] = static_cast<char>(codePoint);
    else if (codePoint >= 0xFF61 && codePoint <= 0xFF9F)
        out[0] = static_cast<char>(0xA1 + (codePoint - 0xFF61));
    else
        return 0;
    return 1;
}

unsigned ShiftJisCode(const char* text)
{
    int cells;
    if (Step(text, &cells) != 2)
        return 0;
    return static_cast<unsigned char>(text[0]) << 8 | static_cast<unsigned char>(text[1]);
}

} // namespace

extern const CharRule ShiftJisRule = {Step, StepBack, IsBoundary, IsValid, Decode, Encode, 0x100, true, 0, ShiftJisCode, nullptr};
