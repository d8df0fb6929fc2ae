// How bytes of the ANSI code page make characters: the one rule for stepping over a character,
// and the search for a path's last separator that is built on it.
#pragma once
#include "platform/platform.h"

// Bytes of the character that starts at text: a lead byte not followed by the terminator starts
// a two-byte character; every other byte is one, the terminator included.
inline int CharacterBytes(const char* text)
{
    return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != 0 ? 2 : 1;
}

// Length of the run of lead bytes that ends just before end and starts no earlier than begin.
inline int LeadRunBefore(const char* text, int begin, int end)
{
    int count = 0;
    while (end - count > begin && IsLeadByte(static_cast<unsigned char>(text[end - count - 1])))
        ++count;
    return count;
}

// Start of the character that ends at pos (0 < pos <= the text's length), found by looking back
// only over the lead bytes before it: the byte before such a run ends a character, so the run
// pairs up from its start. For a pos inside a character, the start of that character.
inline int CharacterStartBefore(const char* text, int pos)
{
    return LeadRunBefore(text, 0, pos - 1) % 2 == 1 ? pos - 2 : pos - 1;
}

// Whether pos lies between two characters of a text of length bytes; its ends always do, a last
// lead byte standing alone.
inline bool IsCharacterBoundary(const char* text, int length, int pos)
{
    return pos <= 0 || pos >= length || LeadRunBefore(text, 0, pos) % 2 == 0;
}

inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Offset of the last directory separator ('\\' or '/') of path, or -1. A trail byte 0x5C is not
// a separator.
int LastSeparator(const char* path);
