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

namespace {

// Each reading is a small machine over bytes, run from tables made once from the rules below:
// for a state and a byte, the next state and what the byte adds to the reading's counts. A byte
// that breaks off a character counts as the error and is then read anew between characters.
struct Step {
    unsigned char next;
    signed char errors;
    signed char look;        // Shift-JIS and EUC-JP: Japanese-looking characters
    unsigned char complete;  // UTF-8: a character was completed
};

// UTF-8 proper: no overlong forms, no surrogates, nothing past U+10FFFF. An error is a byte
// that starts nothing, or a character cut short. States: 0 between characters; 1..3 the
// continuation bytes still due, of 80..BF; 4 (E0) and 5 (ED) two due, the next A0..BF or 80..9F;
// 6 (F0) and 7 (F4) three due, the next 90..BF or 80..8F.
const int Utf8States = 8;

Step Utf8Start(unsigned char b)
{
    Step step = {0, 0, 0, 0};
    if (b < 0x80)
        return step;
    if (InRange(b, 0xC2, 0xDF))
        step.next = 1;
    else if (b == 0xE0)
        step.next = 4;
    else if (b == 0xED)
        step.next = 5;
    else if (InRange(b, 0xE1, 0xEF))
        step.next = 2;
    else if (b == 0xF0)
        step.next = 6;
    else if (b == 0xF4)
        step.next = 7;
    else if (InRange(b, 0xF1, 0xF3))
        step.next = 3;
    else
        step.errors = 1;
    return step;
}

Step Utf8Rule(int state, unsigned char b)
{
    static const unsigned char low[Utf8States] = {0, 0x80, 0x80, 0x80, 0xA0, 0x80, 0x90, 0x80};
    static const unsigned char high[Utf8States] = {0, 0xBF, 0xBF, 0xBF, 0xBF, 0x9F, 0xBF, 0x8F};
    static const unsigned char after[Utf8States] = {0, 0, 1, 2, 1, 1, 2, 2};
    if (state == 0)
        return Utf8Start(b);
    if (InRange(b, low[state], high[state])) {
        Step step = {after[state], 0, 0, 0};
        step.complete = after[state] == 0;
        return step;
    }
    Step step = Utf8Start(b);
    ++step.errors;
    return step;
}

// Code page 932: lead bytes 81..9F and E0..FC take a second byte of 40..7E or 80..FC. Hiragana
// (82 9F..F1) and katakana (83 40..96) look Japanese; half-width katakana (A1..DF) count against.
// States: 0 between characters, 1 after the lead 82, 2 after 83, 3 after another lead.
const int ShiftJisStates = 4;

Step ShiftJisStart(unsigned char b)
{
    Step step = {0, 0, 0, 0};
    if (b < 0x80)
        return step;
    if (InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC))
        step.next = b == 0x82 ? 1 : b == 0x83 ? 2 : 3;
    else if (InRange(b, 0xA1, 0xDF))
        step.look = -1;
    else
        step.errors = 1;
    return step;
}

Step ShiftJisRule(int state, unsigned char b)
{
    if (state == 0)
        return ShiftJisStart(b);
    if (InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xFC)) {
        Step step = {0, 0, 0, 0};
        if ((state == 1 && InRange(b, 0x9F, 0xF1)) || (state == 2 && InRange(b, 0x40, 0x96)))
            step.look = 2;
        return step;
    }
    Step step = ShiftJisStart(b);
    ++step.errors;
    return step;
}

// EUC-JP: two bytes of A1..FE, 8E and a half-width katakana A1..DF, or 8F and two of A1..FE.
// Hiragana (A4 A1..F3) and katakana (A5 A1..F6) look Japanese, half-width katakana count
// against. States: 0 between characters; after 8E; after 8F; after 8F and one more; after A4;
// after A5; after another first byte.
const int EucStates = 7;

Step EucStart(unsigned char b)
{
    Step step = {0, 0, 0, 0};
    if (b < 0x80)
        return step;
    if (b == 0x8E)
        step.next = 1;
    else if (b == 0x8F)
        step.next = 2;
    else if (b == 0xA4)
        step.next = 4;
    else if (b == 0xA5)
        step.next = 5;
    else if (InRange(b, 0xA1, 0xFE))
        step.next = 6;
    else
        step.errors = 1;
    return step;
}

Step EucRule(int state, unsigned char b)
{
    if (state == 0)
        return EucStart(b);
    bool fits = state == 1 ? InRange(b, 0xA1, 0xDF) : InRange(b, 0xA1, 0xFE);
    if (fits) {
        Step step = {0, 0, 0, 0};
        if (state == 2)
            step.next = 3;
        else if (state == 1)
            step.look = -1;
        else if ((state == 4 && b <= 0xF3) || (state == 5 && b <= 0xF6))
            step.look = 2;
        return step;
    }
    Step step = EucStart(b);
    ++step.errors;
    return step;
}

struct Tables {
    Step utf8[Utf8States][256];
    Step sjis[ShiftJisStates][256];
    Step euc[EucStates][256];

    Tables()
    {
        for (int b = 0; b < 256; ++b) {
            unsigned char byte = static_cast<unsigned char>(b);
            for (int s = 0; s < Utf8States; ++s)
                utf8[s][b] = Utf8Rule(s, byte);
            for (int s = 0; s < ShiftJisStates; ++s)
                sjis[s][b] = ShiftJisRule(s, byte);
            for (int s = 0; s < EucStates; ++s)
                euc[s][b] = EucRule(s, byte);
        }
    }
};

const Tables& Readings()
{
    static const Tables tables;
    return tables;
}

}

CodeDetector::CodeDetector()
    : total(0), first(), high(false), jisEscapes(0), zeros(), escape(0), utf8State(0), sjisState(0), eucState(0),
      utf8Errors(0), utf8Characters(0), sjisErrors(0), sjisLook(0), eucErrors(0), eucLook(0)
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
    const Tables& tables = Readings();
    size_t i = 0;
    // The counts are kept in locals through the loop, where the compiler can hold them.
    unsigned u = utf8State, sj = sjisState, eu = eucState;
    uint64_t uErrors = utf8Errors, uCharacters = utf8Characters, sErrors = sjisErrors, eErrors = eucErrors;
    long long sLook = sjisLook, eLook = eucLook;
    while (i < n) {
        if (escape == 0 && u == 0 && sj == 0 && eu == 0) {
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
        if (b < 0x20 || escape != 0) {
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
        }
        high = high || b >= 0x80;
        const Step& a = tables.utf8[u][b];
        u = a.next;
        uErrors += static_cast<uint64_t>(a.errors);
        uCharacters += a.complete;
        const Step& c = tables.sjis[sj][b];
        sj = c.next;
        sErrors += static_cast<uint64_t>(c.errors);
        sLook += c.look;
        const Step& d = tables.euc[eu][b];
        eu = d.next;
        eErrors += static_cast<uint64_t>(d.errors);
        eLook += d.look;
        ++i;
    }
    utf8State = static_cast<unsigned char>(u);
    sjisState = static_cast<unsigned char>(sj);
    eucState = static_cast<unsigned char>(eu);
    utf8Errors = uErrors;
    utf8Characters = uCharacters;
    sjisErrors = sErrors;
    sjisLook = sLook;
    eucErrors = eErrors;
    eucLook = eLook;
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
    uint64_t utf8Bad = utf8Errors + (utf8State != 0);
    if (utf8Bad == 0 || (utf8Bad * 1000 < total && utf8Bad * 4 <= utf8Characters))
        return CodeUtf8;
    long long sjisCost = static_cast<long long>(sjisErrors + (sjisState != 0)) * ErrorWeight - sjisLook;
    long long eucCost = static_cast<long long>(eucErrors + (eucState != 0)) * ErrorWeight - eucLook;
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
