#include "document/code_detect.h"

#include <cstring>

namespace {

const uint64_t Ones = 0x0101010101010101ull;
const uint64_t Highs = 0x8080808080808080ull;

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

// A table holds, for each state's row and byte, one word: up to four counts of 12 bits that the
// byte adds, and in the top 16 bits the offset of the next state's row. A run adds whole words for
// up to PieceBytes bytes before the counts are taken apart: what the offsets add runs off the top,
// and no count can overflow its field, as no byte adds more than 3 to one.
const int Fields = 4;
const int FieldBits = 12;
const uint64_t FieldMask = (1u << FieldBits) - 1;
const size_t PieceBytes = 1024;
const unsigned RowBytes = 256;
// How far into a file of a known size Shift-JIS and EUC-JP are scored alongside UTF-8 (and a
// 256th of the size more), which is where Japanese text has shown UTF-8 the door, so that it is
// read once.
const uint64_t AlongsideBytes = 1024 * 1024;
const int RowShift = 48;
// A byte after which a machine is in the same state whatever state it was in, so that the bytes
// after it can be read without knowing what came before: every byte under 80 is one for each
// machine here, and most UTF-8 lead bytes are.
const uint32_t NoSync = 0xFFFFFFFF;

uint64_t Pack(int next, const int (&counts)[Fields])
{
    uint64_t word = static_cast<uint64_t>(next) * RowBytes << RowShift;
    for (int f = 0; f < Fields; ++f)
        word |= static_cast<uint64_t>(counts[f]) << (FieldBits * f);
    return word;
}

const int JapaneseStates = ShiftJisStates * EucStates;

struct Tables {
    // UTF-8 counts errors and characters; the Japanese table reads Shift-JIS and EUC-JP together
    // (state sjis * EucStates + euc) and counts Shift-JIS errors, EUC-JP errors and each one's
    // look, the looks raised by one a byte so that no field goes below zero.
    uint64_t utf8[Utf8States * RowBytes];
    uint64_t japanese[JapaneseStates * RowBytes];
    uint32_t utf8Sync[RowBytes];
    uint32_t japaneseSync[RowBytes];

    Tables()
    {
        for (unsigned b = 0; b < RowBytes; ++b) {
            unsigned char byte = static_cast<unsigned char>(b);
            for (int s = 0; s < Utf8States; ++s) {
                Step u = Utf8Rule(s, byte);
                const int counts[Fields] = {u.errors, u.complete, 0, 0};
                utf8[s * RowBytes + b] = Pack(u.next, counts);
            }
            for (int s = 0; s < ShiftJisStates; ++s) {
                for (int e = 0; e < EucStates; ++e) {
                    Step sj = ShiftJisRule(s, byte);
                    Step eu = EucRule(e, byte);
                    const int counts[Fields] = {sj.errors, eu.errors, sj.look + 1, eu.look + 1};
                    japanese[(s * EucStates + e) * RowBytes + b] = Pack(sj.next * EucStates + eu.next, counts);
                }
            }
            utf8Sync[b] = SyncRow(utf8, Utf8States, b);
            japaneseSync[b] = SyncRow(japanese, JapaneseStates, b);
        }
    }

    static uint32_t SyncRow(const uint64_t* table, int states, unsigned b)
    {
        uint32_t row = static_cast<uint32_t>(table[b] >> RowShift);
        for (int s = 1; s < states; ++s) {
            if ((table[s * RowBytes + b] >> RowShift) != row)
                return NoSync;
        }
        return row;
    }
};

const Tables& Readings()
{
    static const Tables tables;
    return tables;
}

void AddFields(uint64_t sum, uint64_t* counts)
{
    for (int f = 0; f < Fields; ++f)
        counts[f] += (sum >> (FieldBits * f)) & FieldMask;
}

// Runs a machine over at most PieceBytes bytes from the state whose row starts at state, adding
// what they count to counts. A machine's next state hangs on its last, so one run would wait on
// each byte's table word before it could look up the next; the bytes are cut instead at bytes
// after which the state is known into lanes run side by side, each from its own state. Six lanes
// read Japanese text fastest here (a sixth faster than four, eight spill registers); bytes
// without a place to cut run in one.
void Run(const uint64_t* table, const uint32_t* sync, const unsigned char* p, size_t n, unsigned* state,
         uint64_t* counts)
{
    const int Lanes = 6;
    size_t begin[Lanes + 1];
    size_t row[Lanes];
    begin[0] = 0;
    row[0] = *state;
    int lanes = 1;
    for (; lanes < Lanes; ++lanes) {
        size_t k = n * static_cast<size_t>(lanes) / Lanes;
        if (k < begin[lanes - 1])
            k = begin[lanes - 1];
        while (k < n && sync[p[k]] == NoSync)
            ++k;
        if (k == n)
            break;
        begin[lanes] = k + 1;
        row[lanes] = sync[p[k]];
    }
    begin[lanes] = n;
    uint64_t sum[Lanes] = {};
    size_t i = 0;
    if (lanes == Lanes) {
        size_t shortest = n;
        for (int j = 0; j < Lanes; ++j)
            shortest = begin[j + 1] - begin[j] < shortest ? begin[j + 1] - begin[j] : shortest;
        const unsigned char* at[Lanes];
        for (int j = 0; j < Lanes; ++j)
            at[j] = p + begin[j];
        for (; i < shortest; ++i) {
            for (int j = 0; j < Lanes; ++j) {
                uint64_t w = table[row[j] + at[j][i]];
                row[j] = w >> RowShift;
                sum[j] += w;
            }
        }
    }
    for (int j = 0; j < lanes; ++j) {
        size_t s = row[j];
        uint64_t a = sum[j];
        for (size_t at = begin[j] + i; at < begin[j + 1]; ++at) {
            uint64_t w = table[s + p[at]];
            s = w >> RowShift;
            a += w;
        }
        row[j] = s;
        AddFields(a, counts);
    }
    *state = static_cast<unsigned>(row[lanes - 1]);
}

// One byte through a machine, for the first byte of a piece without bytes over 7F, which ends any
// character the piece before left open.
void RunOne(const uint64_t* table, unsigned char b, unsigned* state, uint64_t* counts)
{
    uint64_t w = table[*state + b];
    *state = static_cast<unsigned>(w >> RowShift);
    AddFields(w, counts);
}

bool HasZero(uint64_t v)
{
    return ((v - Ones) & ~v & Highs) != 0;
}

}

CodeDetector::CodeDetector() : CodeDetector(0) {}

CodeDetector::CodeDetector(uint64_t size)
    : size(size), pass(size > 0 ? 1 : 0), japaneseFromStart(true), stopped(false), total(0), first(), high(false), jisEscapes(0), zeros(),
      escape(0), utf8State(0), japaneseState(0), utf8Errors(0), utf8Characters(0), sjisErrors(0), sjisLook(0),
      eucErrors(0), eucLook(0)
{
}

bool CodeDetector::Feed(const char* in, size_t n)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
    for (uint64_t i = total; i < 3 && i < total + n; ++i)
        first[i] = p[i - total];
    uint64_t seen = total + n;
    bool marked = (seen >= 3 && std::memcmp(first, "\xEF\xBB\xBF", 3) == 0) ||
                  (seen >= 2 && ((first[0] == 0xFF && first[1] == 0xFE) || (first[0] == 0xFE && first[1] == 0xFF)));
    // Nothing after a byte order mark can change what it says.
    if (marked)
        stopped = true;
    if (!stopped)
        Scan(p, n);
    total = seen;
    return !stopped;
}

void CodeDetector::ScanEscapes(const unsigned char* p, size_t n)
{
    size_t i = 0;
    while (i < n) {
        if (escape == 0) {
            const void* found = std::memchr(p + i, 0x1B, n - i);
            if (found == nullptr)
                return;
            i = static_cast<size_t>(static_cast<const unsigned char*>(found) - p);
        }
        unsigned char b = p[i++];
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
}

// Piece by piece: the zero bytes are counted and the bytes over 7F looked for a word at a time; a
// piece without any goes to the machines only for its first byte (JIS escapes matter only in such
// text), one with some is run through the machines of this pass.
void CodeDetector::Scan(const unsigned char* p, size_t n)
{
    const Tables& tables = Readings();
    for (size_t at = 0; at < n; at += PieceBytes) {
        const unsigned char* piece = p + at;
        size_t count = n - at < PieceBytes ? n - at : PieceBytes;
        // Beyond its first stretch a file that UTF-8 still reads is most likely UTF-8: the second
        // pass is then cheaper than scoring Shift-JIS against EUC-JP on and on for nothing.
        if (pass == 1 && japaneseFromStart && total + at >= size / 256 + AlongsideBytes)
            japaneseFromStart = false;
        bool utf8 = pass != 2;
        bool japanese = pass != 1 || japaneseFromStart;
        uint64_t highs = 0;
        size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            uint64_t word;
            std::memcpy(&word, piece + i, 8);
            highs |= word;
            if (HasZero(word)) {
                for (size_t k = i; k < i + 8; ++k)
                    zeros[(total + at + k) & 1] += piece[k] == 0;
            }
        }
        for (; i < count; ++i) {
            highs |= piece[i];
            zeros[(total + at + i) & 1] += piece[i] == 0;
        }
        uint64_t utf8Counts[Fields] = {0, 0, 0, 0};
        uint64_t japaneseCounts[Fields] = {0, 0, 0, 0};
        // The looks were counted one a byte high.
        long long japaneseSteps = 0;
        if ((highs & Highs) == 0) {
            if (!high)
                ScanEscapes(piece, count);
            if (utf8 && utf8State != 0)
                RunOne(tables.utf8, piece[0], &utf8State, utf8Counts);
            if (japanese && japaneseState != 0) {
                RunOne(tables.japanese, piece[0], &japaneseState, japaneseCounts);
                japaneseSteps = 1;
            }
        } else {
            high = true;
            if (utf8)
                Run(tables.utf8, tables.utf8Sync, piece, count, &utf8State, utf8Counts);
            if (japanese) {
                Run(tables.japanese, tables.japaneseSync, piece, count, &japaneseState, japaneseCounts);
                japaneseSteps = static_cast<long long>(count);
            }
        }
        utf8Errors += utf8Counts[0];
        utf8Characters += utf8Counts[1];
        sjisErrors += japaneseCounts[0];
        eucErrors += japaneseCounts[1];
        sjisLook += static_cast<long long>(japaneseCounts[2]) - japaneseSteps;
        eucLook += static_cast<long long>(japaneseCounts[3]) - japaneseSteps;
        if (pass == 1 && Utf8Lost()) {
            // With the Japanese scores kept from the first byte the pass goes on as the second.
            if (japaneseFromStart) {
                pass = 2;
                continue;
            }
            stopped = true;
            return;
        }
    }
}

// UTF-8 cannot win any more: its stray bytes are a thousandth of the whole already.
bool CodeDetector::Utf8Lost() const
{
    return size > 0 && utf8Errors * 1000 >= size;
}

bool CodeDetector::Utf8Wins() const
{
    // A character cut short by the end is one more error.
    uint64_t utf8Bad = utf8Errors + (utf8State != 0);
    return utf8Bad == 0 || (utf8Bad * 1000 < total && utf8Bad * 4 <= utf8Characters);
}

bool CodeDetector::Again()
{
    TextCode code;
    if (pass != 1 || (!(stopped && Utf8Lost()) && Settled(CodeShiftJis, &code)))
        return false;
    if (japaneseFromStart && !stopped) {
        pass = 2;
        return false;
    }
    pass = 2;
    stopped = false;
    total = 0;
    zeros[0] = zeros[1] = 0;
    japaneseState = 0;
    sjisErrors = eucErrors = 0;
    sjisLook = eucLook = 0;
    return true;
}

// The code when the rules before Shift-JIS against EUC-JP decide it.
bool CodeDetector::Settled(TextCode fallback, TextCode* code) const
{
    if (total >= 3 && std::memcmp(first, "\xEF\xBB\xBF", 3) == 0)
        *code = CodeUtf8Bom;
    else if (total >= 2 && first[0] == 0xFF && first[1] == 0xFE)
        *code = CodeUtf16Le;
    else if (total >= 2 && first[0] == 0xFE && first[1] == 0xFF)
        *code = CodeUtf16Be;
    else if (Utf16(0) || Utf16(1))
        *code = Utf16(0) ? CodeUtf16Be : CodeUtf16Le;
    else if (!high)
        *code = jisEscapes > 0 ? CodeJis : fallback;
    else if (Utf8Wins())
        *code = CodeUtf8;
    else
        return false;
    return true;
}

// Zero bytes fill this side of the units (0 even, 1 odd offsets), and hardly any the other.
bool CodeDetector::Utf16(int side) const
{
    uint64_t units = total / 2;
    return zeros[side] * 4 >= units && zeros[side] > 0 && zeros[1 - side] * 16 <= zeros[side];
}

TextCode CodeDetector::Result(TextCode fallback) const
{
    TextCode code;
    if (Settled(fallback, &code))
        return code;
    unsigned sjisState = japaneseState / RowBytes / EucStates;
    unsigned eucState = japaneseState / RowBytes % EucStates;
    long long sjisCost = static_cast<long long>(sjisErrors + (sjisState != 0)) * ErrorWeight - sjisLook;
    long long eucCost = static_cast<long long>(eucErrors + (eucState != 0)) * ErrorWeight - eucLook;
    if (eucCost < sjisCost || (eucCost == sjisCost && fallback == CodeEucJp))
        return CodeEucJp;
    return CodeShiftJis;
}

TextCode DetectCode(const char* text, size_t n, TextCode fallback)
{
    CodeDetector detector(n);
    do
        detector.Feed(text, n);
    while (detector.Again());
    return detector.Result(fallback);
}
