#include "document/jis_convert.h"

#include <cstring>

namespace {

typedef JisDecoder::Set Set;

const unsigned char Esc = 0x1B;
const unsigned char Marker = 0xA0;  // starts the held form of a byte that is no character

const struct {
    unsigned char bytes[4];
    size_t length;
    Set set;
} Designations[] = {
    {{Esc, 0x28, 0x42}, 3, JisDecoder::Ascii},      // ESC ( B
    {{Esc, 0x28, 0x4A}, 3, JisDecoder::Roman},      // ESC ( J
    {{Esc, 0x28, 0x49}, 3, JisDecoder::HalfKana},   // ESC ( I
    {{Esc, 0x24, 0x40}, 3, JisDecoder::OldKanji},   // ESC $ @
    {{Esc, 0x24, 0x42}, 3, JisDecoder::Kanji},      // ESC $ B
    {{Esc, 0x24, 0x28, 0x44}, 4, JisDecoder::Supplement},  // ESC $ ( D
};

// The sequences the encoder writes to enter a set, by Set; none for Roman and OldKanji.
const unsigned char* const Switches[] = {
    Designations[0].bytes, nullptr, Designations[4].bytes, nullptr, Designations[5].bytes, Designations[2].bytes,
};

// The length of the designation that starts at p (whose first byte is ESC) and its set; 0 when
// p starts none; -1 when the bytes end before telling and more may come.
int Designation(const unsigned char* p, size_t n, bool last, Set* set)
{
    bool partial = false;
    for (const auto& d : Designations) {
        size_t k = n < d.length ? n : d.length;
        if (std::memcmp(p, d.bytes, k) != 0)
            continue;
        if (k == d.length) {
            *set = d.set;
            return static_cast<int>(d.length);
        }
        partial = true;
    }
    return partial && !last ? -1 : 0;
}

bool IsPrintable(unsigned char b)
{
    return b >= 0x21 && b <= 0x7E;
}

bool IsEucByte(unsigned char b)
{
    return b >= 0xA1 && b <= 0xFE;
}

// The bytes whose held form can be the marker and the byte.
bool IsMarked(unsigned char b)
{
    return IsPrintable(b) || b == Esc || b == 0x8E || b == 0x8F || (b >= Marker && b != 0xFF);
}

bool IsSingleByteSet(Set set)
{
    return set == JisDecoder::Ascii || set == JisDecoder::Roman;
}

// Whether characters of wanted can be written in set without a switch.
bool Fits(Set set, Set wanted)
{
    if (wanted == JisDecoder::Ascii)
        return IsSingleByteSet(set);
    if (wanted == JisDecoder::Kanji)
        return set == JisDecoder::Kanji || set == JisDecoder::OldKanji;
    return set == wanted;
}

// Whether the encoder returns to ASCII before this held byte under 7F: before a printable
// character in any other set, and before a control character too in a set it entered itself.
bool LeavesFor(Set set, bool own, unsigned char b)
{
    return !IsSingleByteSet(set) && (own || IsPrintable(b));
}

}

JisDecoder::JisDecoder() : set(Ascii), own(true), carryCount(0)
{
}

// 1 when the encoder would write the designation of set that ends at at, 0 when not, -1 when
// the bytes end before telling. A switch into a set of several-byte characters is the encoder's
// only if a character of the set follows and the set is left by another designation before any
// control character and before the end: the encoder leaves a set it entered itself there.
int JisDecoder::EncoderSwitch(const unsigned char* in, size_t n, size_t at, Set wanted, bool last) const
{
    if (Switches[wanted] == nullptr)
        return 0;
    if (wanted == Ascii) {
        if (at == n)
            return last ? own && !IsSingleByteSet(set) : -1;
        unsigned char c = in[at];
        return c != Esc && c < 0x80 && LeavesFor(set, own, c);
    }
    if (Fits(set, wanted))
        return 0;
    bool first = true;
    for (size_t j = at;;) {
        if (j - at > RunLimit)
            return 0;
        if (j == n)
            return last ? 0 : -1;
        unsigned char c = in[j];
        if (c == Esc) {
            Set next;
            int d = Designation(in + j, n - j, last, &next);
            if (d < 0)
                return -1;
            if (d > 0 || first)
                return d > 0 && !first;
            ++j;
        } else if (c >= 0x80) {
            if (first)
                return 0;
            ++j;
        } else if (!IsPrintable(c)) {
            return 0;
        } else if (wanted == HalfKana) {
            if (c > 0x5F && first)
                return 0;
            first = false;
            ++j;
        } else {
            if (j + 1 == n)
                return last ? 0 : -1;
            if (IsPrintable(in[j + 1])) {
                first = false;
                j += 2;
            } else {
                if (first)
                    return 0;
                ++j;
            }
        }
    }
}

size_t JisDecoder::Decode(const unsigned char* in, size_t n, bool last, unsigned char* out, size_t* used)
{
    size_t w = 0;
    size_t i = 0;
    while (i < n) {
        unsigned char b = in[i];
        if (b == Esc) {
            Set next = Ascii;
            int d = Designation(in + i, n - i, last, &next);
            if (d < 0)
                break;
            if (d == 0) {
                // Bare, it could make a designation with the characters after a switch that
                // follows it and goes out of the held text.
                if (i + 1 < n && in[i + 1] == Esc)
                    out[w++] = Marker;
                out[w++] = Esc;
                ++i;
                continue;
            }
            int mine = EncoderSwitch(in, n, i + static_cast<size_t>(d), next, last);
            if (mine < 0)
                break;
            if (mine == 0) {
                std::memcpy(out + w, in + i, static_cast<size_t>(d));
                w += static_cast<size_t>(d);
            }
            set = next;
            own = mine == 1;
            i += static_cast<size_t>(d);
        } else if (b >= 0x80) {
            if (b == 0x8E || b == 0x8F || (b >= Marker && b != 0xFF))
                out[w++] = Marker;
            out[w++] = b;
            ++i;
        } else if (IsSingleByteSet(set)) {
            size_t end = i + 1;
            while (end < n && in[end] < 0x80 && in[end] != Esc)
                ++end;
            std::memcpy(out + w, in + i, end - i);
            w += end - i;
            i = end;
        } else if (!IsPrintable(b)) {
            out[w++] = b;
            ++i;
        } else if (set == HalfKana) {
            if (b <= 0x5F) {
                out[w++] = 0x8E;
                out[w++] = static_cast<unsigned char>(b | 0x80);
            } else {
                out[w++] = Marker;
                out[w++] = b;
            }
            ++i;
        } else {
            if (i + 1 == n && !last)
                break;
            if (i + 1 < n && IsPrintable(in[i + 1])) {
                if (set == Supplement)
                    out[w++] = 0x8F;
                out[w++] = static_cast<unsigned char>(b | 0x80);
                out[w++] = static_cast<unsigned char>(in[i + 1] | 0x80);
                i += 2;
            } else {
                out[w++] = Marker;
                out[w++] = b;
                ++i;
            }
        }
    }
    *used = i;
    return w;
}

size_t JisDecoder::Feed(const char* inBytes, size_t n, char* outBytes)
{
    const unsigned char* in = reinterpret_cast<const unsigned char*>(inBytes);
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t w = 0;
    while (n > 0) {
        size_t used = 0;
        if (carryCount == 0) {
            w += Decode(in, n, false, out + w, &used);
            carryCount = n - used;
            std::memcpy(carry, in + used, carryCount);
            return w;
        }
        // A full carry always decides its first bytes, so this never stalls.
        size_t take = n < CarryLimit - carryCount ? n : CarryLimit - carryCount;
        std::memcpy(carry + carryCount, in, take);
        carryCount += take;
        in += take;
        n -= take;
        w += Decode(carry, carryCount, false, out + w, &used);
        carryCount -= used;
        std::memmove(carry, carry + used, carryCount);
    }
    return w;
}

size_t JisDecoder::Finish(char* outBytes)
{
    size_t used = 0;
    size_t w = Decode(carry, carryCount, true, reinterpret_cast<unsigned char*>(outBytes), &used);
    carryCount = 0;
    return w;
}

JisEncoder::JisEncoder() : set(JisDecoder::Ascii), own(true), carryCount(0)
{
}

size_t JisEncoder::Enter(Set wanted, unsigned char* out)
{
    if (Fits(set, wanted))
        return 0;
    set = wanted;
    own = true;
    size_t length = wanted == JisDecoder::Supplement ? 4 : 3;
    std::memcpy(out, Switches[wanted], length);
    return length;
}

// Writes the held bytes' characters, stopping before a tail (at most three bytes) that what
// comes next decides.
size_t JisEncoder::Encode(const unsigned char* in, size_t n, bool last, unsigned char* out, size_t* used)
{
    size_t w = 0;
    size_t i = 0;
    while (i < n) {
        unsigned char b = in[i];
        bool more = i + 1 < n;
        if (b == Esc) {
            Set next = JisDecoder::Ascii;
            int d = Designation(in + i, n - i, last, &next);
            if (d < 0)
                break;
            size_t length = d > 0 ? static_cast<size_t>(d) : 1;
            std::memcpy(out + w, in + i, length);
            w += length;
            i += length;
            if (d > 0) {
                set = next;
                own = false;
            }
        } else if (b < 0x80) {
            if (LeavesFor(set, own, b))
                w += Enter(JisDecoder::Ascii, out + w);
            out[w++] = b;
            ++i;
        } else if (!more && !last && (b == 0x8E || b == 0x8F || b >= Marker)) {
            break;
        } else if (b == 0x8E && more && in[i + 1] >= 0xA1 && in[i + 1] <= 0xDF) {
            w += Enter(JisDecoder::HalfKana, out + w);
            out[w++] = static_cast<unsigned char>(in[i + 1] & 0x7F);
            i += 2;
        } else if (b == 0x8F && more && IsEucByte(in[i + 1])) {
            if (i + 2 == n && !last)
                break;
            if (i + 2 < n && IsEucByte(in[i + 2])) {
                w += Enter(JisDecoder::Supplement, out + w);
                out[w++] = static_cast<unsigned char>(in[i + 1] & 0x7F);
                out[w++] = static_cast<unsigned char>(in[i + 2] & 0x7F);
                i += 3;
            } else {
                out[w++] = b;
                ++i;
            }
        } else if (b == Marker && more && IsMarked(in[i + 1])) {
            out[w++] = in[i + 1];
            i += 2;
        } else if (IsEucByte(b) && more && IsEucByte(in[i + 1])) {
            w += Enter(JisDecoder::Kanji, out + w);
            out[w++] = static_cast<unsigned char>(b & 0x7F);
            out[w++] = static_cast<unsigned char>(in[i + 1] & 0x7F);
            i += 2;
        } else {
            out[w++] = b;
            ++i;
        }
    }
    *used = i;
    return w;
}

size_t JisEncoder::Feed(const char* inBytes, size_t n, char* outBytes)
{
    const unsigned char* in = reinterpret_cast<const unsigned char*>(inBytes);
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t w = 0;
    size_t used = 0;
    if (carryCount > 0 && n > 0) {
        // The kept bytes and enough new ones to decide them: a tail is never longer than three.
        unsigned char joined[sizeof carry + 4];
        size_t take = n < 4 ? n : 4;
        std::memcpy(joined, carry, carryCount);
        std::memcpy(joined + carryCount, in, take);
        size_t length = carryCount + take;
        w += Encode(joined, length, false, out, &used);
        if (used < carryCount) {
            carryCount = length - used;
            std::memmove(carry, joined + used, carryCount);
            return w;
        }
        in += used - carryCount;
        n -= used - carryCount;
        carryCount = 0;
    }
    if (n == 0)
        return w;
    w += Encode(in, n, false, out + w, &used);
    carryCount = n - used;
    std::memcpy(carry, in + used, carryCount);
    return w;
}

size_t JisEncoder::Finish(char* outBytes)
{
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t used = 0;
    size_t w = Encode(carry, carryCount, true, out, &used);
    carryCount = 0;
    if (own && !IsSingleByteSet(set))
        w += Enter(JisDecoder::Ascii, out + w);
    return w;
}
