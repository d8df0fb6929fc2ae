// How a document's bytes make characters, one rule for each code a document is held in
// (Shift-JIS, UTF-8, EUC-JP; platform/text_code.h): where a character starts and ends, the
// cells it takes, whether the code defines it, and the Unicode character it is where the code
// says so without tables. Layout, caret moves, search and the clipboard ask the document's rule
// and never look at the code. Texts are NUL-terminated; positions are byte offsets into them.
#pragma once
#include "platform/text_code.h"

// What decode gives for bytes that are no character of the code, and for a character that only
// the system's tables convert (Shift-JIS and EUC-JP beyond ASCII and half-width katakana).
const long NoCodePoint = -1;
const long SystemCodePoint = -2;

struct CharRule {
    // Bytes of the character that starts at text and, in *cells, the cells it takes. A byte that
    // belongs to no character of the code is a character of its own, one cell wide (it is shown as
    // a mark); so is the terminator. Call Step, which answers the common case inline.
    int (*step)(const char* text, int* cells);
    // Start of the character that holds the byte at pos - 1 (0 < pos <= the text's length), so
    // the start of the character before pos when pos is a boundary. It looks back no further
    // than the code needs, not to the start of the text.
    int (*stepBack)(const char* text, int pos);
    // Whether pos lies between two characters of a text of length bytes; its ends always do.
    bool (*isBoundary)(const char* text, int length, int pos);
    // Whether the count bytes at text are one character as step splits it, and one the code
    // defines: false for a byte that belongs to no character, and for a lone UTF-16 surrogate.
    bool (*isValid)(const char* text, int count);
    // The code point that starts at text, with the bytes it takes in *bytes: a character, or in
    // UTF-8 one code point of it (a combining mark is decoded on its own). NoCodePoint for a byte
    // that belongs to no character, SystemCodePoint for one only the system's tables convert.
    long (*decode)(const char* text, int* bytes);
    // Writes codePoint in the code into out (room for 4 bytes) and returns the bytes written; 0
    // when the rule cannot: past U+10FFFF, or a character only the system's tables convert.
    int (*encode)(unsigned long codePoint, char* out);
    // An ASCII byte followed by a byte below this is a character of one byte and one cell: any
    // byte where nothing joins the character before it; in UTF-8 a byte that starts no mark.
    int joinFloor;
    // Whether every character takes one cell per byte, so that a stretch of text without tabs
    // is as many cells wide as it has bytes: true for Shift-JIS alone (EUC-JP's half-width
    // katakana are two bytes in one cell).
    bool cellsAreBytes;
    // The system's code page for these bytes, which converts what decode leaves to the system;
    // 0, the ANSI code page, for the code the system's ANSI functions take as they are.
    unsigned codePage;
    // The Shift-JIS code (first byte times 256 plus second) of a double-byte JIS X 0208 character
    // starting at text, by arithmetic; 0 when the character at text is none, or is Unicode that
    // decode gives.
    unsigned (*shiftJisCode)(const char* text);
    // Where characters differ in cells per byte, whole characters from text as step splits
    // them while each starts before byte limit and all of them fit in room cells, up to a tab
    // or the terminator: returns their bytes, with their cells in *cells and the bytes and cells
    // of the last in *lastBytes and *lastCells (0 when none was taken). Null where step is
    // cheap enough to be called a character at a time.
    int (*stepRun)(const char* text, int limit, long long room, int* cells, int* lastBytes, int* lastCells);

    int Step(const char* text, int* cells) const
    {
        unsigned char first = static_cast<unsigned char>(text[0]);
        // Nothing is read past the terminator.
        if (first < 0x80 && (first == 0 || static_cast<unsigned char>(text[1]) < joinFloor)) {
            *cells = 1;
            return 1;
        }
        return step(text, cells);
    }
};

// The rule of each code's held bytes, by TextCode.
extern const CharRule* const HeldRules[TextCodeCount];

// The rule of the bytes a document of this code holds (HeldCode). Inline: the row walk asks for
// it once for every line it lays out.
inline const CharRule& RuleFor(TextCode code)
{
    return *HeldRules[code >= 0 && code < TextCodeCount ? code : CodeShiftJis];
}

// Writes codePoint as UTF-8 into out (room for 4 bytes) and returns the bytes written, 0 past
// U+10FFFF. A lone surrogate is written as the three bytes it would take were it a character,
// which is how text from UTF-16 with such a surrogate is held.
int EncodeUtf8(unsigned long codePoint, char* out);
