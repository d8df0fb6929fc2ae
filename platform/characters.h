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

inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Offset of the last directory separator ('\\' or '/') of path, or -1. A trail byte 0x5C is not
// a separator.
int LastSeparator(const char* path);
