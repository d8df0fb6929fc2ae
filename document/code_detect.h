// Which code a file is written in, decided by every one of its bytes, given in pieces as they
// are read. In order:
//   - a byte order mark: EF BB BF is UTF-8 (BOM), FF FE UTF-16LE, FE FF UTF-16BE;
//   - without one, UTF-16 only when zero bytes fill one side of the units (mostly-ASCII text),
//     at least a quarter of them, and hardly any of the other;
//   - JIS when no byte is over 7F and a JIS escape sequence (ESC $ @, ESC $ B, ESC $ ( D, ESC ( I,
//     ESC ( J) occurs;
//   - the caller's code when no byte is over 7F;
//   - UTF-8 when the bytes are UTF-8, or are but for stray bytes fewer than one in a thousand of
//     all and a quarter of the UTF-8 characters; the same bytes may read as Shift-JIS too;
//   - else Shift-JIS or EUC-JP, whichever reads with fewer errors, an error outweighing
//     ErrorWeight characters that look Japanese (hiragana and katakana count for, half-width
//     katakana against); on a tie, the caller's code if it is EUC-JP, else Shift-JIS.
#pragma once
#include "platform/text_code.h"

#include <cstddef>
#include <cstdint>

class CodeDetector {
public:
    CodeDetector();

    static const long ErrorWeight = 256;
    void Feed(const char* in, size_t n);
    // The code of all the bytes fed so far; fallback for text without a byte over 7F.
    TextCode Result(TextCode fallback) const;

private:
    void Scan(const unsigned char* p, size_t n);
    bool Idle() const { return escape == 0 && utf8State == 0 && sjisState == 0 && eucState == 0; }

    uint64_t total;
    unsigned char first[3];
    bool high;
    long jisEscapes;
    uint64_t zeros[2];   // zero bytes at even and odd offsets
    int escape;          // how far into an escape sequence
    // Where each reading is inside a character, 0 between characters (code_detect.cpp has the
    // tables that move them on).
    unsigned char utf8State;
    unsigned char sjisState;
    unsigned char eucState;
    uint64_t utf8Errors, utf8Characters;
    uint64_t sjisErrors;
    long long sjisLook;  // Japanese-looking characters less half-width katakana
    uint64_t eucErrors;
    long long eucLook;
};

// The code of text as a whole.
TextCode DetectCode(const char* text, size_t n, TextCode fallback);
