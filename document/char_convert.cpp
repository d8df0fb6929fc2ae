#include "document/char_convert.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstring>

namespace {

const unsigned ShiftJisPage = 932;

// What the system said of each character, filled as characters come: 0 not asked yet. A decoded
// entry holds the code point plus one (or Unknown); an encoded one the bytes, first byte lowest,
// with their count in the top byte (or Unknown).
const uint32_t Unknown = 0xFFFFFFFFu;
uint32_t ShiftJisDecoded[0x10000];
uint32_t EucSupplementDecoded[0x10000];
uint32_t ShiftJisEncoded[0x10000];
uint32_t EucEncoded[0x10000];

unsigned CodePageOf(TextCode held)
{
    unsigned page = RuleFor(held).codePage;
    return page != 0 ? page : ShiftJisPage;
}

long Remembered(uint32_t* table, unsigned index, unsigned codePage, const char* bytes, int count)
{
    if (table[index] == 0) {
        long code = SystemDecodeCharacter(codePage, bytes, count);
        table[index] = code < 0 ? Unknown : static_cast<uint32_t>(code) + 1;
    }
    return table[index] == Unknown ? NoCodePoint : static_cast<long>(table[index] - 1);
}

int EncodeRemembered(uint32_t* table, unsigned codePage, unsigned long codePoint, char* out)
{
    uint32_t& entry = table[codePoint];
    if (entry == 0) {
        char made[4];
        int count = SystemEncodeCharacter(codePage, codePoint, made);
        entry = Unknown;
        if (count > 0 && count < 4) {
            entry = static_cast<uint32_t>(count) << 24;
            for (int i = 0; i < count; ++i)
                entry |= static_cast<uint32_t>(static_cast<unsigned char>(made[i])) << (8 * i);
        }
    }
    if (entry == Unknown)
        return 0;
    int count = static_cast<int>(entry >> 24);
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<char>(entry >> (8 * i) & 0xFF);
    return count;
}

void AppendUtf16(unsigned long code, std::wstring* out)
{
    if (code >= 0x10000) {
        out->push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
        out->push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
        out->push_back(static_cast<wchar_t>(code));
    }
}

}

long DecodeHeld(TextCode held, const char* text, int* bytes)
{
    const CharRule& rule = RuleFor(held);
    long code = rule.decode(text, bytes);
    if (code != SystemCodePoint)
        return code;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    // A JIS X 0208 character is the same in both codes; its Shift-JIS form is what is kept.
    unsigned shiftJis = rule.shiftJisCode(text);
    if (shiftJis != 0) {
        char pair[2] = {static_cast<char>(shiftJis >> 8), static_cast<char>(shiftJis & 0xFF)};
        return Remembered(ShiftJisDecoded, shiftJis, ShiftJisPage, pair, 2);
    }
    if (HeldCode(held) == CodeEucJp && *bytes == 3)
        return Remembered(EucSupplementDecoded, static_cast<unsigned>(s[1]) << 8 | s[2], CodePageOf(held), text, 3);
    long system = SystemDecodeCharacter(CodePageOf(held), text, *bytes);
    return system >= 0 ? system : NoCodePoint;
}

int EncodeHeld(TextCode held, unsigned long codePoint, char* out)
{
    // A lone surrogate is no character, though UTF-8 could write its form.
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
        return 0;
    const CharRule& rule = RuleFor(held);
    int count = rule.encode(codePoint, out);
    if (count > 0 || codePoint >= 0x110000)
        return count;
    switch (HeldCode(held)) {
    case CodeShiftJis:
        return codePoint < 0x10000 ? EncodeRemembered(ShiftJisEncoded, ShiftJisPage, codePoint, out) : 0;
    case CodeEucJp:
        return codePoint < 0x10000 ? EncodeRemembered(EucEncoded, CodePageOf(held), codePoint, out) : 0;
    default:
        return 0;
    }
}

int ConvertHeldBytes(TextCode from, TextCode to, const char* in, int count, std::string* out)
{
    if (HeldCode(from) == HeldCode(to)) {
        out->append(in, static_cast<size_t>(count));
        return 0;
    }
    // Held text is terminated; a piece of it may not be, so it is copied to be.
    std::string text(in, static_cast<size_t>(count));
    int lost = 0;
    for (int at = 0; at < count;) {
        unsigned char b = static_cast<unsigned char>(text[static_cast<size_t>(at)]);
        if (b < 0x80) {
            out->push_back(static_cast<char>(b));
            ++at;
            continue;
        }
        int bytes = 1;
        long code = DecodeHeld(from, text.c_str() + at, &bytes);
        if (bytes < 1 || at + bytes > count)
            bytes = 1;
        char made[4];
        int written = code >= 0 ? EncodeHeld(to, static_cast<unsigned long>(code), made) : 0;
        if (written == 0) {
            out->push_back('?');
            ++lost;
        } else {
            out->append(made, static_cast<size_t>(written));
        }
        at += bytes;
    }
    return lost;
}

int HeldFromUtf16(TextCode held, const wchar_t* units, size_t count, std::string* out)
{
    int lost = 0;
    for (size_t i = 0; i < count; ++i) {
        unsigned long code = static_cast<unsigned short>(units[i]);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned short>(units[i + 1]) - 0xDC00);
            ++i;
        }
        char made[4];
        int written = code < 0x80 ? (made[0] = static_cast<char>(code), 1) : EncodeHeld(held, code, made);
        if (written == 0) {
            out->push_back('?');
            ++lost;
        } else {
            out->append(made, static_cast<size_t>(written));
        }
    }
    return lost;
}

void Utf16FromHeld(TextCode held, const char* bytes, size_t count, std::wstring* out)
{
    std::string text(bytes, count);
    for (size_t at = 0; at < count;) {
        int used = 1;
        long code = DecodeHeld(held, text.c_str() + at, &used);
        if (used < 1 || at + static_cast<size_t>(used) > count)
            used = 1;
        AppendUtf16(code >= 0 ? static_cast<unsigned long>(code) : 0xFFFD, out);
        at += static_cast<size_t>(used);
    }
}
