// Finding a byte in a stretch of bytes eight at a time: reading splits files at LF and CR,
// lines turn zero bytes into '*', and measuring looks for tabs. The runtime's memchr would do,
// but Wine's looks at one byte at a time, and that was a fifth of reading a file there.
#pragma once
#include <cstdint>
#include <cstring>

// The first byte b in [from, end), or end.
inline const char* FindByte(const char* from, const char* end, char b)
{
    const uint64_t ones = 0x0101010101010101ull;
    const uint64_t highs = 0x8080808080808080ull;
    const uint64_t pattern = ones * static_cast<unsigned char>(b);
    // A word holds b where the word xor the pattern has a zero byte.
    while (end - from >= 8) {
        uint64_t word;
        std::memcpy(&word, from, sizeof word);
        word ^= pattern;
        if (((word - ones) & ~word & highs) != 0)
            break;
        from += 8;
    }
    while (from < end && *from != b)
        ++from;
    return from;
}

inline char* FindByte(char* from, char* end, char b)
{
    return const_cast<char*>(FindByte(static_cast<const char*>(from), end, b));
}
