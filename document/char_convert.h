// Characters between the codes a document is held in (Shift-JIS, UTF-8, EUC-JP) and Unicode:
// what typing, the clipboard, search patterns and changing a document's code go through. Where
// a code's rule cannot say it by arithmetic, the system's tables do, and what they say is kept,
// so each character asks them once.
#pragma once
#include "platform/char_rule.h"

#include <string>

// The code point of the character of the held code whose bytes start at text, with the bytes
// it takes in *bytes (in UTF-8 one code point: a combining mark comes on its own); NoCodePoint,
// with *bytes 1, for a byte that is no character.
long DecodeHeld(TextCode held, const char* text, int* bytes);
// codePoint in the held code into out (room for 4 bytes): the bytes written, 0 when the code has
// no such character.
int EncodeHeld(TextCode held, unsigned long codePoint, char* out);

// Appends count bytes held in from as the held bytes of to to *out and returns how many
// characters became '?': those to cannot hold and the bytes of from that are no character.
// Codes held alike (UTF-8, UTF-8 (BOM) and UTF-16) pass every byte as it is.
int ConvertHeldBytes(TextCode from, TextCode to, const char* in, int count, std::string* out);

// UTF-16 text into held bytes appended to *out: a surrogate pair is one character, a lone
// surrogate or a character the code cannot hold is one '?'. Returns the count of '?' made so.
int HeldFromUtf16(TextCode held, const wchar_t* units, size_t count, std::string* out);
// Held bytes into UTF-16 appended to *out; a byte that is no character becomes U+FFFD.
void Utf16FromHeld(TextCode held, const char* bytes, size_t count, std::wstring* out);
