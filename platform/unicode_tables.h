// What the UTF-8 character rule needs to know of Unicode: which characters code page 932 writes
// as two bytes, which are wide by East Asian Width (W, F or A) and which are combining marks that
// join the character before them. The data is made by scripts/make-unicode-tables.
#pragma once

struct CodeRange {
    unsigned int first;
    unsigned int last;
};

// One bit per BMP code point, low bits first.
extern const unsigned int Cp932DoubleByteBits[2048];
// Sorted, disjoint, not touching.
extern const CodeRange WideRanges[];
extern const int WideRangeCount;
extern const CodeRange MarkRanges[];
extern const int MarkRangeCount;
// The BMP marks as bits, one block of 256 code points by the index of its bits.
extern const unsigned char MarkBlockIndex[256];
extern const unsigned int MarkBlockBits[][8];

// One bit per BMP code point: the characters that take two cells (see platform/utf8_rule.cpp).
extern const unsigned int TwoCellBits[2048];
// One byte per block of 64 BMP code points: 1 when the block holds a mark.
extern const unsigned char MarkBlocks64[1024];

// No mark lies below U+0300, so a UTF-8 byte below this one never starts a mark.
const unsigned char FirstMarkLead = 0xCC;

inline bool InRanges(const CodeRange* ranges, int count, unsigned long code)
{
    int low = 0;
    int high = count;
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (ranges[middle].last < code)
            low = middle + 1;
        else
            high = middle;
    }
    return low < count && ranges[low].first <= code;
}

inline bool IsCp932DoubleByte(unsigned long code)
{
    return code < 0x10000 && (Cp932DoubleByteBits[code >> 5] >> (code & 31) & 1) != 0;
}

inline bool IsEastAsianWide(unsigned long code)
{
    return InRanges(WideRanges, WideRangeCount, code);
}

inline bool IsCombiningMark(unsigned long code)
{
    if (code < 0x10000)
        return (MarkBlockBits[MarkBlockIndex[code >> 8]][(code & 0xFF) >> 5] >> (code & 31) & 1) != 0;
    return InRanges(MarkRanges, MarkRangeCount, code);
}
