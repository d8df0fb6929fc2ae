// UTF-16 files and the UTF-8 their documents hold, converted in pieces of any size and without
// loss: any file decodes to held bytes that encode back to exactly that file, its byte order
// mark written back when it had one.
//
// What the held text holds for what is not plain Unicode in the file:
//   a unit pair                        the four-byte UTF-8 of its character
//   a surrogate without its partner    its three-byte form, ED A0 80 .. ED BF BF
//   a lone DC80..DCFF                  the byte 80..FF it stands for (see below)
//   an odd last byte b                 E0 80+(b>>6) 80+(b&3F), an overlong three-byte form of
//                                      U+00bb, and only as the held text's last three bytes
// The other way, a held byte that starts no character (a stray byte of a UTF-8 file, something
// pasted) becomes the lone unit DC00+byte, as Python's "surrogateescape" does, and reads back
// as that byte. A lone DC80..DCFF is held as the three-byte form instead where the bare byte
// would join the bytes before it into a character. So held text goes to UTF-16 and back
// unchanged as well, unless it holds the three-byte forms themselves (ED A0..BF xx, or a high
// one followed by a low one or by a stray byte) or E0 80..83 xx before its end.
#pragma once
#include <cstddef>

class Utf16Decoder {
public:
    explicit Utf16Decoder(bool bigEndian);

    // The most bytes the next Feed of n bytes, or Finish (n = 0), writes to out.
    size_t MaxOutput(size_t n) const { return 2 * n + 8; }
    // Converts the next n bytes of the file, keeping what a later piece completes; returns the
    // bytes written to out.
    size_t Feed(const char* in, size_t n, char* out);
    // The end of the file: writes what was kept back.
    size_t Finish(char* out);
    // Whether the file began with a byte order mark (not passed on to the held text).
    bool HadBom() const { return bom; }

private:
    size_t Unit(unsigned unit, unsigned char* out);
    size_t StrayByte(unsigned char b, unsigned char* out);

    bool bigEndian;
    bool started;           // the first unit has been seen
    bool bom;
    bool haveOdd;           // a byte waits for its partner
    unsigned char odd;
    unsigned high;          // a high surrogate waiting for its low one, or 0
    unsigned char raw[3];   // the bare stray bytes written last that a further byte could join
    int rawCount;
};

class Utf16Encoder {
public:
    // With bom, the file starts with a byte order mark.
    Utf16Encoder(bool bigEndian, bool bom);

    size_t MaxOutput(size_t n) const { return 2 * n + 8; }
    size_t Feed(const char* in, size_t n, char* out);
    size_t Finish(char* out);

private:
    size_t Convert(const unsigned char* in, size_t n, bool last, unsigned char* out, size_t* used);
    size_t PutUnit(unsigned unit, unsigned char* out) const;

    bool bigEndian;
    bool bomDue;
    unsigned char carry[4];  // the start of a sequence a later piece may complete
    int carryCount;
};
