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
//
// A detector told the size of what it will be fed reads in up to two passes: the first for UTF-8
// and what comes before it, ended as soon as a mark has decided or UTF-8 has more stray bytes than
// the whole can keep; the second, only when UTF-8 has lost, for Shift-JIS against EUC-JP. Through
// the first megabyte or so the first pass scores those as well, and goes on as the second when
// UTF-8 loses there, as it does in Japanese text, so such a file is read once. The caller feeds
// the bytes again from the first while Again() says so. Without a size everything is scored in
// one pass.
#pragma once
#include "platform/text_code.h"

#include <cstddef>
#include <cstdint>

class CodeDetector {
public:
    CodeDetector();
    explicit CodeDetector(uint64_t size);

    static const long ErrorWeight = 256;
    // The next bytes of this pass. False once the pass needs no more of them (what follows is
    // then ignored): call Again().
    bool Feed(const char* in, size_t n);
    // At the end of a pass (the last bytes fed, or Feed said false): true when the bytes are to be
    // fed once more from the first, for the second pass that has now begun.
    bool Again();
    // The code of all the bytes fed; fallback for text without a byte over 7F.
    TextCode Result(TextCode fallback) const;

private:
    void Scan(const unsigned char* p, size_t n);
    void ScanEscapes(const unsigned char* p, size_t n);
    bool Utf8Lost() const;
    bool Utf8Wins() const;
    bool Utf16(int side) const;
    bool Settled(TextCode fallback, TextCode* code) const;

    uint64_t size;  // 0 when not known
    int pass;       // 0: the only one; 1: UTF-8; 2: Shift-JIS against EUC-JP
    bool japaneseFromStart;  // the first pass has scored Shift-JIS and EUC-JP from the first byte
    bool stopped;   // the pass needs no more bytes
    uint64_t total;
    unsigned char first[3];
    bool high;
    long jisEscapes;
    uint64_t zeros[2];  // zero bytes at even and odd offsets
    int escape;         // how far into an escape sequence
    // Where each reading is inside a character, as the offset of its row in its table (0 between
    // characters; code_detect.cpp has the tables).
    unsigned utf8State;
    unsigned japaneseState;  // Shift-JIS and EUC-JP together
    uint64_t utf8Errors, utf8Characters;
    uint64_t sjisErrors;
    long long sjisLook;  // Japanese-looking characters less half-width katakana
    uint64_t eucErrors;
    long long eucLook;
};

// The code of text as a whole.
TextCode DetectCode(const char* text, size_t n, TextCode fallback);
