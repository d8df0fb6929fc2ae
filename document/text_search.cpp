#include "document/text_search.h"
#include "document/byte_search.h"
#include "document/char_classes.h"
#include "document/text_line.h"
#include "platform/characters.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsAsciiLetter(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

unsigned char Folded(unsigned char b)
{
    return IsAsciiLetter(b) ? static_cast<unsigned char>(b | 0x20) : b;
}

const uint64_t Ones = 0x0101010101010101ull;
const uint64_t Highs = 0x8080808080808080ull;

// Whether one of the eight bytes of word is a or b (the test is exact).
bool HoldsEither(uint64_t word, uint64_t a, uint64_t b)
{
    uint64_t x = word ^ a;
    uint64_t y = word ^ b;
    return (((x - Ones) & ~x) | ((y - Ones) & ~y)) & Highs;
}

// The first byte in [from, end) that is a or b, or end; eight bytes at a time, as FindByte.
const char* FindEither(const char* from, const char* end, char a, char b)
{
    if (a == b)
        return FindByte(from, end, a);
    uint64_t pa = Ones * static_cast<unsigned char>(a);
    uint64_t pb = Ones * static_cast<unsigned char>(b);
    while (end - from >= 8) {
        uint64_t word;
        std::memcpy(&word, from, sizeof word);
        if (HoldsEither(word, pa, pb))
            break;
        from += 8;
    }
    while (from < end && *from != a && *from != b)
        ++from;
    return from;
}

// The last byte in [begin, end) that is a or b, or null.
const char* FindLastEither(const char* begin, const char* end, char a, char b)
{
    uint64_t pa = Ones * static_cast<unsigned char>(a);
    uint64_t pb = Ones * static_cast<unsigned char>(b);
    while (end - begin >= 8) {
        uint64_t word;
        std::memcpy(&word, end - 8, sizeof word);
        if (HoldsEither(word, pa, pb))
            break;
        end -= 8;
    }
    while (end > begin) {
        --end;
        if (*end == a || *end == b)
            return end;
    }
    return nullptr;
}

// Counts the lead bytes that stand just before a place of one line, keeping the run it walked
// last: [runStart, runEnd) are lead bytes and the byte before runStart, if any, is not. A search
// asks at places in order, forwards or backwards, so each run is walked about once, even in a
// line of nothing but characters whose both bytes are lead bytes.
class LeadRuns {
public:
    explicit LeadRuns(const char* text) : text(text), runStart(0), runEnd(0) {}

    int Before(int at)
    {
        if (at <= 0 || !IsLeadByte(static_cast<unsigned char>(text[at - 1])))
            return 0;
        while (runStart < runEnd && runEnd < at && IsLeadByte(static_cast<unsigned char>(text[runEnd])))
            ++runEnd;
        if (runStart < at && at <= runEnd)
            return at - runStart;
        int count = LeadRunBefore(text, 0, at);
        runStart = at - count;
        runEnd = at;
        return count;
    }

    bool IsBoundary(int at) { return Before(at) % 2 == 0; }


    // The start of the character that ends at at (at > 0).
    int CharacterStart(int at) { return Before(at - 1) % 2 == 1 ? at - 2 : at - 1; }

private:
    const char* text;
    int runStart;
    int runEnd;
};

// Character boundaries of one line as the document's rule has them: Shift-JIS through the lead
// runs above, every other code through its rule, which looks back no further than it needs. That
// can be far: in EUC-JP only the start of a run of paired bytes tells where characters start, and
// a line of kanji is one run. So the last character start found is kept, and a place a little
// after it is reached by stepping forwards: a search asks at places in order, and Replace All in
// such a line then walks it about once instead of once a match.
class Boundaries {
public:
    Boundaries(const CharRule& rule, bool shiftJis, const char* text, int length)
        : rule(rule), shiftJis(shiftJis), text(text), length(length), leads(text), known(-1)
    {
    }

    bool IsBoundary(int at)
    {
        if (shiftJis)
            return leads.IsBoundary(at);
        if (at <= 0 || at >= length)
            return true;
        if (known < 0 || at < known || at - known > StepAhead)
            known = rule.stepBack(text, at + 1);
        while (known < at) {
            int cells;
            known += rule.Step(text + known, &cells);
        }
        return known == at;
    }

    int CharacterStart(int at) { return shiftJis ? leads.CharacterStart(at) : rule.stepBack(text, at); }

private:
    // How far past the last start known a place is reached by stepping rather than looked up.
    static const int StepAhead = 4096;

    const CharRule& rule;
    bool shiftJis;
    const char* text;
    int length;
    LeadRuns leads;
    int known;  // a character start, or -1
};

// The pattern, split into characters by its own bytes, with what the scan needs to know.
class Matcher {
public:
    explicit Matcher(const SearchPattern& pattern);
    int Find(const char* text, int length, int first, int last, bool forward) const;
    // The same with the line's boundaries kept from an earlier search of the line.
    int Find(const char* text, int length, int first, int last, bool forward, Boundaries& bounds) const;
    Boundaries LineBoundaries(const char* text, int length) const { return Boundaries(rule, shiftJis, text, length); }

private:
    bool BytesMatch(const char* at) const;
    bool IsMatch(const char* text, int length, int start, Boundaries& bounds) const;
    bool IsWholeWord(const char* text, int length, int start, Boundaries& bounds) const;

    const SearchPattern& pattern;
    const CharRule& rule;
    // Shift-JIS splits the pattern by its lead bytes; in the other codes an ASCII byte is always
    // a character of its own, and a match must be seen to end on a boundary.
    bool shiftJis;
    // Some letter of the pattern may be matched in the other case.
    bool folding;
    // Letters that a combining mark joins: no whole letters, so matched only as they are.
    std::vector<int> markedLetters;
    // The last byte is a lead byte with nothing after it: in a line it would pair with the next
    // byte, so it matches only at the line's end.
    bool endsInLoneLead;
    int lastCharacter;
    // The byte the lines are scanned for, its offset in the pattern, and its other case.
    int key;
    char keyByte;
    char keyOther;
    // A second byte, never folded, looked at before anything else where the key is found; -1 for
    // none.
    int filter;
};

// How often a byte comes in Japanese text of the held code, roughly, from 1 (seldom) to 5: the
// scan looks for the rarest byte of the pattern. A folded letter is searched in both cases,
// which costs more.
int Commonness(unsigned char b, bool folded, TextCode held)
{
    if (folded)
        return 5;
    if (b == ' ' || b == '\t')
        return 4;
    if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9'))
        return 3;
    switch (held) {
    case CodeUtf8:
        // Kana and punctuation start with E3 and go on with 80..83; kanji start with E4..E9.
        if (b == 0xE3 || (b >= 0x80 && b <= 0x83))
            return 3;
        if ((b >= 0xE4 && b <= 0xE9) || (b >= 0x84 && b <= 0xBF))
            return 2;
        return 1;
    case CodeEucJp:
        // Symbols, hiragana and katakana, then the first bytes of the common kanji.
        if (b >= 0xA1 && b <= 0xA5)
            return 3;
        if (b >= 0xB0 && b <= 0xF4)
            return 2;
        return 1;
    default:
        if (b >= 0x81 && b <= 0x83)
            return 3;
        // The lead bytes of the common kanji.
        if ((b >= 0x88 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEA))
            return 2;
        return 1;
    }
}

Matcher::Matcher(const SearchPattern& pattern)
    : pattern(pattern), rule(DocumentRule()), shiftJis(HeldCode(View.code) == CodeShiftJis), folding(false),
      endsInLoneLead(false), lastCharacter(0), key(0), filter(-1)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(pattern.bytes);
    TextCode held = HeldCode(View.code);
    // Only a pattern with bytes past ASCII can have a letter that a mark joins; the rule is asked
    // of a terminated copy.
    std::string terminated;
    if (!shiftJis && !pattern.matchCase)
        terminated.assign(pattern.bytes, static_cast<size_t>(pattern.length));
    int best = 6;
    int second = 6;
    for (int i = 0; i < pattern.length;) {
        lastCharacter = i;
        bool pair = shiftJis && IsLeadByte(bytes[i]) && i + 1 < pattern.length;
        bool folded = !pattern.matchCase && !pair && IsAsciiLetter(bytes[i]);
        if (folded && !shiftJis && i + 1 < pattern.length && bytes[i + 1] >= 0x80) {
            int cells;
            folded = rule.Step(terminated.c_str() + i, &cells) == 1;
            if (!folded)
                markedLetters.push_back(i);
        }
        folding = folding || folded;
        endsInLoneLead = shiftJis && !pair && IsLeadByte(bytes[i]);
        for (int j = i; j < i + (pair ? 2 : 1); ++j) {
            int commonness = Commonness(bytes[j], folded && j == i, held);
            if (commonness < best) {
                if (best < 5) {
                    second = best;
                    filter = key;
                }
                best = commonness;
                key = j;
            } else if (commonness < second && commonness < 5) {
                second = commonness;
                filter = j;
            }
        }
        i += pair ? 2 : 1;
    }
    // The last character of a pattern in another code, as its rule splits it.
    if (!shiftJis && pattern.length > 0 && bytes[pattern.length - 1] >= 0x80) {
        std::string text(pattern.bytes, static_cast<size_t>(pattern.length));
        lastCharacter = rule.stepBack(text.c_str(), pattern.length);
    }
    keyByte = keyOther = pattern.length > 0 ? pattern.bytes[key] : 0;
    if (best == 5)
        keyOther = static_cast<char>(bytes[key] ^ 0x20);
}

bool Matcher::BytesMatch(const char* at) const
{
    if (!folding)
        return std::memcmp(at, pattern.bytes, static_cast<size_t>(pattern.length)) == 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(pattern.bytes);
    const unsigned char* text = reinterpret_cast<const unsigned char*>(at);
    for (int i = 0; i < pattern.length;) {
        if (shiftJis && IsLeadByte(bytes[i]) && i + 1 < pattern.length) {
            if (text[i] != bytes[i] || text[i + 1] != bytes[i + 1])
                return false;
            i += 2;
        } else {
            if (Folded(text[i]) != Folded(bytes[i]))
                return false;
            ++i;
        }
    }
    for (int at : markedLetters)
        if (text[at] != bytes[at])
            return false;
    return true;
}

// In Shift-JIS equal bytes from a boundary split the line as they split the pattern, a letter
// being no lead byte in either case; so the match ends on a boundary too, but for a lone last
// lead byte. In the other codes a combining mark or an unfinished sequence may join the bytes
// after the match, so its end is looked at.
bool Matcher::IsMatch(const char* text, int length, int start, Boundaries& bounds) const
{
    if (!BytesMatch(text + start) || !bounds.IsBoundary(start))
        return false;
    if (endsInLoneLead && start + pattern.length < length)
        return false;
    if (!shiftJis && !bounds.IsBoundary(start + pattern.length))
        return false;
    return !pattern.wholeWord || IsWholeWord(text, length, start, bounds);
}

// A whole word starts where the character before it is of another class, and ends where the
// character after it is.
bool Matcher::IsWholeWord(const char* text, int length, int start, Boundaries& bounds) const
{
    int end = start + pattern.length;
    if (start > 0 &&
        ClassOfCharacter(rule, text + bounds.CharacterStart(start)) == ClassOfCharacter(rule, text + start))
        return false;
    return end >= length ||
           ClassOfCharacter(rule, text + start + lastCharacter) != ClassOfCharacter(rule, text + end);
}

int Matcher::Find(const char* text, int length, int first, int last, bool forward) const
{
    Boundaries bounds = LineBoundaries(text, length);
    return Find(text, length, first, last, forward, bounds);
}

int Matcher::Find(const char* text, int length, int first, int last, bool forward, Boundaries& bounds) const
{
    if (first < 0)
        first = 0;
    if (last > length - pattern.length)
        last = length - pattern.length;
    if (pattern.length <= 0 || first > last)
        return -1;
    const char* begin = text + first + key;
    const char* end = text + last + key + 1;
    const char filterByte = filter >= 0 ? pattern.bytes[filter] : 0;
    if (forward) {
        for (const char* from = begin; from < end; ++from) {
            from = FindEither(from, end, keyByte, keyOther);
            if (from == end)
                break;
            int start = static_cast<int>(from - text) - key;
            if ((filter < 0 || text[start + filter] == filterByte) && IsMatch(text, length, start, bounds))
                return start;
        }
    } else {
        for (const char* to = end; to > begin;) {
            const char* hit = FindLastEither(begin, to, keyByte, keyOther);
            if (hit == nullptr)
                break;
            int start = static_cast<int>(hit - text) - key;
            if ((filter < 0 || text[start + filter] == filterByte) && IsMatch(text, length, start, bounds))
                return start;
            to = hit;
        }
    }
    return -1;
}

// Asks for the text of the line some lines ahead of the one being searched. A short line is
// scanned in less time than its text takes to arrive from memory, and a scan that ends with an
// unforeseen branch starts no load of the next line's text; under Wine, whose heap keeps the
// lines' records and their texts apart, a search waited for each line in turn.
class TextAhead {
public:
    TextAhead(const TextLine* line, bool forward) : ahead(line), forward(forward)
    {
        for (int i = 0; i < Distance; ++i)
            Pass();
    }

    // One line more has been searched.
    void Pass()
    {
        if (ahead == nullptr)
            return;
        ahead = forward ? ahead->next : ahead->prev;
        if (ahead != nullptr)
            __builtin_prefetch(ahead->text);
    }

private:
    static const int Distance = 8;
    const TextLine* ahead;
    bool forward;
};

void SetMatch(TextLine* line, int index, int start, int length, bool wrapped, TextMatch* match)
{
    match->start.line = match->end.line = line;
    match->start.lineIndex = match->end.lineIndex = index;
    match->start.pos = start;
    match->end.pos = start + length;
    match->wrapped = wrapped;
}

bool FindForward(const Matcher& matcher, int length, const TextPlace& from, bool wrap, TextMatch* match)
{
    int first = from.pos;
    int index = from.lineIndex;
    TextAhead ahead(from.line, true);
    for (TextLine* line = from.line; line != nullptr; line = line->next, ++index, first = 0, ahead.Pass()) {
        int start = matcher.Find(line->text, line->length, first, line->length, true);
        if (start >= 0) {
            SetMatch(line, index, start, length, false, match);
            return true;
        }
    }
    if (!wrap)
        return false;
    // Round from the first line to from, where only matches that start before it are new.
    index = 0;
    TextAhead round(View.firstLine, true);
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next, ++index, round.Pass()) {
        int last = line == from.line ? from.pos - 1 : line->length;
        int start = matcher.Find(line->text, line->length, 0, last, true);
        if (start >= 0) {
            SetMatch(line, index, start, length, true, match);
            return true;
        }
        if (line == from.line)
            break;
    }
    return false;
}

bool FindBackward(const Matcher& matcher, int length, const TextPlace& from, bool wrap, TextMatch* match)
{
    int last = from.pos - length;
    int index = from.lineIndex;
    TextAhead ahead(from.line, false);
    for (TextLine* line = from.line; line != nullptr; line = line->prev, --index, ahead.Pass()) {
        int start = matcher.Find(line->text, line->length, 0, last, false);
        if (start >= 0) {
            SetMatch(line, index, start, length, false, match);
            return true;
        }
        if (line->prev != nullptr)
            last = line->prev->length;
    }
    if (!wrap)
        return false;
    TextLine* line = from.line;
    index = from.lineIndex;
    while (line->next != nullptr) {
        line = line->next;
        ++index;
    }
    // Round from the last line back to from, where only matches that end after it are new.
    TextAhead round(line, false);
    for (;; line = line->prev, --index, round.Pass()) {
        int first = line == from.line ? from.pos - length + 1 : 0;
        int start = matcher.Find(line->text, line->length, first, line->length, false);
        if (start >= 0) {
            SetMatch(line, index, start, length, true, match);
            return true;
        }
        if (line == from.line)
            return false;
    }
}

}

bool FindMatch(const SearchPattern& pattern, const TextPlace& from, bool forward, bool wrap, TextMatch* match)
{
    if (pattern.length <= 0 || from.line == nullptr)
        return false;
    Matcher matcher(pattern);
    if (forward)
        return FindForward(matcher, pattern.length, from, wrap, match);
    return FindBackward(matcher, pattern.length, from, wrap, match);
}

bool IsMatchAt(const SearchPattern& pattern, const TextPlace& start, const TextPlace& end)
{
    if (start.line == nullptr || start.line != end.line || end.pos - start.pos != pattern.length)
        return false;
    return FindInLine(pattern, start.line->text, start.line->length, start.pos, start.pos, true) == start.pos;
}

int FindInLine(const SearchPattern& pattern, const char* text, int length, int first, int last, bool forward)
{
    Matcher matcher(pattern);
    return matcher.Find(text, length, first, last, forward);
}

void FindAllInLine(const SearchPattern& pattern, const char* text, int length, int first, std::vector<int>* starts)
{
    starts->clear();
    Matcher matcher(pattern);
    Boundaries bounds = matcher.LineBoundaries(text, length);
    for (int at = matcher.Find(text, length, first, length, true, bounds); at >= 0;
         at = matcher.Find(text, length, at + pattern.length, length, true, bounds))
        starts->push_back(at);
}
