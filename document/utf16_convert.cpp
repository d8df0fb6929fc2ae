#include "document/utf16_convert.h"

#include <cstring>

namespace {

// The held UTF-8 as the encoder reads it, written once for both directions: the decoder must
// know exactly which bare bytes the encoder would join into a character. Beyond UTF-8 proper it
// takes ED A0..BF (a surrogate's three-byte form) and E0 80..83 (an odd last byte).
int SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool IsContinuation(unsigned char b)
{
    return b >= 0x80 && b <= 0xBF;
}

bool SecondFits(unsigned char lead, unsigned char b)
{
    switch (lead) {
    case 0xE0: return (b >= 0x80 && b <= 0x83) || (b >= 0xA0 && b <= 0xBF);
    case 0xF0: return b >= 0x90 && b <= 0xBF;
    case 0xF4: return b >= 0x80 && b <= 0x8F;
    default: return IsContinuation(b);
    }
}

bool IsOddByteForm(const unsigned char* p)
{
    return p[0] == 0xE0 && p[1] < 0xA0;
}

size_t PutUtf8(unsigned cp, unsigned char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | cp >> 6);
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | cp >> 12);
        out[1] = static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | cp >> 18);
    out[1] = static_cast<unsigned char>(0x80 | (cp >> 12 & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 4;
}

const unsigned StrayBase = 0xDC00;

}

Utf16Decoder::Utf16Decoder(bool bigEndian)
    : bigEndian(bigEndian), started(false), bom(false), haveOdd(false), odd(0), high(0), rawCount(0)
{
}

size_t Utf16Decoder::Feed(const char* in, size_t n, char* outBytes)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(in);
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t w = 0;
    if (haveOdd && n > 0) {
        unsigned char pair[2] = {odd, p[0]};
        w += Unit(bigEndian ? pair[0] << 8 | pair[1] : pair[1] << 8 | pair[0], out);
        haveOdd = false;
        ++p;
        --n;
    }
    const int hi = bigEndian ? 0 : 1;
    for (; n >= 2; p += 2, n -= 2) {
        unsigned unit = static_cast<unsigned>(p[hi]) << 8 | p[1 - hi];
        if (high == 0 && started && (unit < 0xD800 || unit > 0xDFFF)) {
            w += PutUtf8(unit, out + w);
            rawCount = 0;
        } else {
            w += Unit(unit, out + w);
        }
    }
    if (n == 1) {
        haveOdd = true;
        odd = p[0];
    }
    return w;
}

size_t Utf16Decoder::Unit(unsigned unit, unsigned char* out)
{
    if (!started) {
        started = true;
        if (unit == 0xFEFF) {
            bom = true;
            return 0;
        }
    }
    size_t w = 0;
    if (high != 0) {
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            unsigned cp = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
            high = 0;
            return PutUtf8(cp, out);
        }
        w = PutUtf8(high, out);
        high = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        high = unit;
        rawCount = 0;
        return w;
    }
    if (unit >= StrayBase + 0x80 && unit <= StrayBase + 0xFF)
        return w + StrayByte(static_cast<unsigned char>(unit - StrayBase), out + w);
    rawCount = 0;
    return w + PutUtf8(unit, out + w);
}

// A stray byte goes bare unless it would complete, with the bare bytes before it, a sequence
// the encoder reads as one character; then its three-byte surrogate form goes instead, which
// the encoder turns into the same unit.
size_t Utf16Decoder::StrayByte(unsigned char b, unsigned char* out)
{
    if (rawCount > 0) {
        bool fits = rawCount == 1 ? SecondFits(raw[0], b) : IsContinuation(b);
        if (fits) {
            if (rawCount + 1 == SequenceLength(raw[0])) {
                rawCount = 0;
                return PutUtf8(StrayBase + b, out);
            }
            raw[rawCount++] = b;
            out[0] = b;
            return 1;
        }
    }
    rawCount = 0;
    if (SequenceLength(b) > 0)
        raw[rawCount++] = b;
    out[0] = b;
    return 1;
}

size_t Utf16Decoder::Finish(char* outBytes)
{
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t w = 0;
    if (high != 0) {
        w += PutUtf8(high, out);
        high = 0;
    }
    if (haveOdd) {
        out[w++] = 0xE0;
        out[w++] = static_cast<unsigned char>(0x80 | odd >> 6);
        out[w++] = static_cast<unsigned char>(0x80 | (odd & 0x3F));
        haveOdd = false;
    }
    rawCount = 0;
    return w;
}

Utf16Encoder::Utf16Encoder(bool bigEndian, bool bom) : bigEndian(bigEndian), bomDue(bom), carryCount(0)
{
}

size_t Utf16Encoder::PutUnit(unsigned unit, unsigned char* out) const
{
    out[bigEndian ? 0 : 1] = static_cast<unsigned char>(unit >> 8);
    out[bigEndian ? 1 : 0] = static_cast<unsigned char>(unit);
    return 2;
}

// Converts whole characters of in, stopping before a tail (at most three bytes) that what comes
// next may complete, or that is an odd byte's form the end of the text would make one byte.
size_t Utf16Encoder::Convert(const unsigned char* in, size_t n, bool last, unsigned char* out, size_t* used)
{
    size_t w = 0;
    size_t i = 0;
    while (i < n) {
        unsigned char b = in[i];
        if (b < 0x80) {
            w += PutUnit(b, out + w);
            ++i;
            continue;
        }
        int length = SequenceLength(b);
        if (length == 0) {
            w += PutUnit(StrayBase + b, out + w);
            ++i;
            continue;
        }
        int k = 1;
        while (k < length && i + k < n && (k == 1 ? SecondFits(b, in[i + 1]) : IsContinuation(in[i + k])))
            ++k;
        if (k < length) {
            if (i + k == n && !last)
                break;
            w += PutUnit(StrayBase + b, out + w);
            ++i;
            continue;
        }
        if (IsOddByteForm(in + i)) {
            if (i + 3 < n) {
                w += PutUnit(StrayBase + b, out + w);
                ++i;
                continue;
            }
            if (!last)
                break;
            out[w++] = static_cast<unsigned char>((in[i + 1] & 0x03) << 6 | (in[i + 2] & 0x3F));
            i += 3;
            continue;
        }
        unsigned cp;
        if (length == 2)
            cp = (b & 0x1Fu) << 6 | (in[i + 1] & 0x3Fu);
        else if (length == 3)
            cp = (b & 0x0Fu) << 12 | (in[i + 1] & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu);
        else
            cp = (b & 0x07u) << 18 | (in[i + 1] & 0x3Fu) << 12 | (in[i + 2] & 0x3Fu) << 6 | (in[i + 3] & 0x3Fu);
        if (cp >= 0x10000) {
            w += PutUnit(0xD800 + ((cp - 0x10000) >> 10), out + w);
            w += PutUnit(0xDC00 + ((cp - 0x10000) & 0x3FF), out + w);
        } else {
            w += PutUnit(cp, out + w);
        }
        i += static_cast<size_t>(length);
    }
    *used = i;
    return w;
}

size_t Utf16Encoder::Feed(const char* inBytes, size_t n, char* outBytes)
{
    if (n == 0)
        return 0;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(inBytes);
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t w = 0;
    if (bomDue) {
        w += PutUnit(0xFEFF, out);
        bomDue = false;
    }
    size_t used = 0;
    if (carryCount > 0) {
        // The kept bytes and enough new ones to decide them: a tail is never longer than three.
        unsigned char joined[8];
        size_t take = n < 4 ? n : 4;
        std::memcpy(joined, carry, static_cast<size_t>(carryCount));
        std::memcpy(joined + carryCount, in, take);
        size_t length = static_cast<size_t>(carryCount) + take;
        w += Convert(joined, length, false, out + w, &used);
        if (used < static_cast<size_t>(carryCount)) {
            carryCount = static_cast<int>(length - used);
            std::memmove(carry, joined + used, static_cast<size_t>(carryCount));
            return w;
        }
        in += used - static_cast<size_t>(carryCount);
        n -= used - static_cast<size_t>(carryCount);
        carryCount = 0;
    }
    w += Convert(in, n, false, out + w, &used);
    carryCount = static_cast<int>(n - used);
    std::memcpy(carry, in + used, static_cast<size_t>(carryCount));
    return w;
}

size_t Utf16Encoder::Finish(char* outBytes)
{
    unsigned char* out = reinterpret_cast<unsigned char*>(outBytes);
    size_t w = 0;
    if (bomDue) {
        w += PutUnit(0xFEFF, out);
        bomDue = false;
    }
    size_t used = 0;
    w += Convert(carry, static_cast<size_t>(carryCount), true, out + w, &used);
    carryCount = 0;
    return w;
}
