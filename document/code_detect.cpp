#include "document/code_detect.h"

#include <cstring>

namespace {

const uint64_t Ones = 0x0101010101010101ull;
const uint64_t Highs = 0x8080808080808080ull;

uint64_t ZeroBytes(uint64_t v)
{
    return (v - Ones) & ~v & Highs;
}

bool InRange(unsigned char b, unsigned char low, unsigned char high)
{
    return b >= low && b <= high;
}

}

CodeDetector::CodeDetector()
    : total(0), first(), high(false), jisEscapes(0), zeros(), escape(0), utf8Need(0), utf8Low(0), utf8High(0),
      utf8Errors(0), utf8Characters(0), sjisLead(0), sjisErrors(0), sjisLook(0), eucHeld(0), eucFirst(0),
      eucErrors(0), eucLook(0)
{
}

void CodeDetector::Feed(const char* in, size_t n)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
    for (uint64_t i = total; i < 3 && i < total + n; ++i)
        first[i] = p[i - total];
    Scan(p, n);
    total += n;
}

// Runs every reading over the bytes. Sixteen bytes at a time pass untouched while no reading is
// inside a character and none of them is over 7F, ESC or zero, which is most of any text.
void CodeDetector::Scan(const unsigned char* p, size_t n)
{
    const uint64_t escapes = 0x1B * Ones;
    size_t i = 0;
    while (i < n) {
        if (Idle()) {
            for (; i + 16 <= n; i += 16) {
                uint64_t a, b;
                std::memcpy(&a, p + i, 8);
                std::memcpy(&b, p + i + 8, 8);
                if (((a | b) & Highs) | ZeroBytes(a ^ escapes) | ZeroBytes(b ^ escapes) | ZeroBytes(a) | ZeroBytes(b))
                    break;
            }
            if (i == n)
                break;
        }
        unsigned char b = p[i];
        if (b == 0)
            ++zeros[(total + i) & 1];
        switch (escape) {
        case 1: escape = b == '$' ? 2 : b == '(' ? 3 : 0; break;
        case 2:
            jisEscapes += b == '@' || b == 'B';
            escape = b == '(' ? 4 : 0;
            break;
        case 3: jisEscapes += b == 'J' || b == 'I'; escape = 0; break;
        case 4: jisEscapes += b == 'D'; escape = 0; break;
        default: break;
        }
        if (b == 0x1B)
            escape = 1;
        high = high || b >= 0x80;
        Utf8Byte(b);
        ShiftJisByte(b);
        EucByte(b);
        ++i;
    }
}

// UTF-8 proper: no overlong forms, no surrogates, nothing past U+10FFFF. An error is a byte
// that starts nothing, or a character cut short.
void CodeDetector::Utf8Byte(unsigned char b)
{
    if (utf8Need > 0) {
        if (InRange(b, utf8Low, utf8High)) {
            utf8Low = 0x80;
            utf8High = 0xBF;
            if (--utf8Need == 0)
                ++utf8Characters;
            return;
        }
        ++utf8Errors;
        utf8Need = 0;
    }
    if (b < 0x80)
        return;
    utf8Low = 0x80;
    utf8High = 0xBF;
    if (InRange(b, 0xC2, 0xDF))
        utf8Need = 1;
    else if (InRange(b, 0xE0, 0xEF))
        utf8Need = 2;
    else if (InRange(b, 0xF0, 0xF4))
        utf8Need = 3;
    else
        ++utf8Errors;
    if (b == 0xE0)
        utf8Low = 0xA0;
    else if (b == 0xED)
        utf8High = 0x9F;
    else if (b == 0xF0)
        utf8Low = 0x90;
    else if (b == 0xF4)
        utf8High = 0x8F;
}

// Code page 932: lead bytes 81..9F and E0..FC take a second byte of 40..7E or 80..FC.
void CodeDetector::ShiftJisByte(unsigned char b)
{
    if (sjisLead != 0) {
        unsigned char lead = sjisLead;
        sjisLead = 0;
        if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xFC)) {
            if ((lead == 0x82 && InRange(b, 0x9F, 0xF1)) || (lead == 0x83 && InRange(b, 0x40, 0x96)))
                sjisLook += 2;
            return;
        }
        ++sjisErrors;
    }
    if (b < 0x80)
        return;
    if (InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC))
        sjisLead = b;
    else if (InRange(b, 0xA1, 0xDF))
        --sjisLook;
    else
        ++sjisErrors;
}

// EUC-JP: two bytes of A1..FE, 8E and a half-width katakana A1..DF, or 8F and two of A1..FE.
void CodeDetector::EucByte(unsigned char b)
{
    if (eucHeld > 0) {
        bool fits = eucFirst == 0x8E && eucHeld == 1 ? InRange(b, 0xA1, 0xDF) : InRange(b, 0xA1, 0xFE);
        if (fits) {
            if (eucFirst == 0x8F && eucHeld == 1) {
                eucHeld = 2;
                return;
            }
            if (eucFirst == 0x8E)
                --eucLook;
            else if ((eucFirst == 0xA4 && b <= 0xF3) || (eucFirst == 0xA5 && b <= 0xF6))
                eucLook += 2;
            eucHeld = 0;
            return;
        }
        ++eucErrors;
        eucHeld = 0;
    }
    if (b < 0x80)
        return;
    if (b == 0x8E || b == 0x8F || InRange(b, 0xA1, 0xFE)) {
        eucFirst = b;
        eucHeld = 1;
    } else {
        ++eucErrors;
    }
}

TextCode CodeDetector::Result(TextCode fallback) const
{
    if (total >= 3 && std::memcmp(first, "\xEF\xBB\xBF", 3) == 0)
        return CodeUtf8Bom;
    if (total >= 2 && first[0] == 0xFF && first[1] == 0xFE)
        return CodeUtf16Le;
    if (total >= 2 && first[0] == 0xFE && first[1] == 0xFF)
        return CodeUtf16Be;
    uint64_t units = total / 2;
    for (int side = 0; side < 2; ++side) {
        if (zeros[side] * 4 >= units && zeros[side] > 0 && zeros[1 - side] * 16 <= zeros[side])
            return side == 1 ? CodeUtf16Le : CodeUtf16Be;
    }
    if (!high)
        return jisEscapes > 0 ? CodeJis : fallback;

    // A character cut short by the end is one more error.
    uint64_t utf8Bad = utf8Errors + (utf8Need > 0);
    if (utf8Bad == 0 || (utf8Bad * 1000 < total && utf8Bad * 4 <= utf8Characters))
        return CodeUtf8;
    long long sjisCost = static_cast<long long>(sjisErrors + (sjisLead != 0)) * ErrorWeight - sjisLook;
    long long eucCost = static_cast<long long>(eucErrors + (eucHeld != 0)) * ErrorWeight - eucLook;
    if (eucCost < sjisCost || (eucCost == sjisCost && fallback == CodeEucJp))
        return CodeEucJp;
    return CodeShiftJis;
}

TextCode DetectCode(const char* text, size_t n, TextCode fallback)
{
    CodeDetector detector;
    detector.Feed(text, n);
    return detector.Result(fallback);
}
