#include "document/code_convert.h"

#include <cstring>

namespace {

const unsigned char Utf8Bom[3] = {0xEF, 0xBB, 0xBF};

}

TextDecoder::TextDecoder(TextCode code)
    : code(code), startCount(0), bom(false), utf16(code == CodeUtf16Be)
{
}

bool TextDecoder::HadBom() const
{
    return code == CodeUtf8Bom ? bom : utf16.HadBom();
}

size_t TextDecoder::MaxOutput(size_t n) const
{
    switch (code) {
    case CodeUtf16Le:
    case CodeUtf16Be:
        return utf16.MaxOutput(n);
    case CodeJis:
        return jis.MaxOutput(n);
    default:
        return n + sizeof Utf8Bom;
    }
}

size_t TextDecoder::Feed(const char* in, size_t n, char* out)
{
    switch (code) {
    case CodeUtf16Le:
    case CodeUtf16Be:
        return utf16.Feed(in, n, out);
    case CodeJis:
        return jis.Feed(in, n, out);
    case CodeUtf8Bom:
        // The first three bytes are held back until they show whether they are the mark.
        while (startCount < 3 && n > 0) {
            start[startCount++] = static_cast<unsigned char>(*in++);
            --n;
            if (std::memcmp(start, Utf8Bom, static_cast<size_t>(startCount)) != 0) {
                size_t kept = static_cast<size_t>(startCount);
                std::memcpy(out, start, kept);
                std::memcpy(out + kept, in, n);
                startCount = 3;
                return kept + n;
            }
            if (startCount == 3)
                bom = true;
        }
        break;
    default:
        break;
    }
    std::memcpy(out, in, n);
    return n;
}

size_t TextDecoder::Finish(char* out)
{
    switch (code) {
    case CodeUtf16Le:
    case CodeUtf16Be:
        return utf16.Finish(out);
    case CodeJis:
        return jis.Finish(out);
    case CodeUtf8Bom:
        if (startCount < 3) {
            // A file shorter than the mark, which begins like it.
            std::memcpy(out, start, static_cast<size_t>(startCount));
            size_t w = static_cast<size_t>(startCount);
            startCount = 3;
            return w;
        }
        return 0;
    default:
        return 0;
    }
}

TextEncoder::TextEncoder(TextCode code, bool bom)
    : code(code), bomDue(bom && code == CodeUtf8Bom), utf16(code == CodeUtf16Be, bom)
{
}

size_t TextEncoder::MaxOutput(size_t n) const
{
    switch (code) {
    case CodeUtf16Le:
    case CodeUtf16Be:
        return utf16.MaxOutput(n);
    case CodeJis:
        return jis.MaxOutput(n);
    default:
        return n + sizeof Utf8Bom;
    }
}

size_t TextEncoder::Feed(const char* in, size_t n, char* out)
{
    switch (code) {
    case CodeUtf16Le:
    case CodeUtf16Be:
        return utf16.Feed(in, n, out);
    case CodeJis:
        return jis.Feed(in, n, out);
    default:
        break;
    }
    size_t w = 0;
    if (bomDue) {
        std::memcpy(out, Utf8Bom, sizeof Utf8Bom);
        w = sizeof Utf8Bom;
        bomDue = false;
    }
    std::memcpy(out + w, in, n);
    return w + n;
}

size_t TextEncoder::Finish(char* out)
{
    switch (code) {
    case CodeUtf16Le:
    case CodeUtf16Be:
        return utf16.Finish(out);
    case CodeJis:
        return jis.Finish(out);
    default:
        break;
    }
    if (!bomDue)
        return 0;
    bomDue = false;
    std::memcpy(out, Utf8Bom, sizeof Utf8Bom);
    return sizeof Utf8Bom;
}
