// JIS (ISO-2022-JP) files and the EUC-JP their documents hold, converted in pieces of any size
// and without loss: any file decodes to held bytes that encode back to exactly that file.
//
// The encoder writes a JIS X 0208 character after ESC $ B, a half-width katakana after ESC ( I,
// a JIS X 0212 character after ESC $ ( D, and returns to ASCII with ESC ( B before an ASCII
// character and at the end, each only when not already in that set. The decoder takes an
// escape sequence as a switch only where the encoder would write exactly that sequence there;
// every other one (ESC $ @, ESC ( J, a repeated or unknown one, one followed by nothing of its
// set, a set left open at a line's end or at the end of the file) stays in the held text as its
// bytes, and the encoder writes it back as it is and goes on in the set it names. In a set
// opened that way the encoder writes a control character (CR, LF, tab, space) as it is,
// without returning to ASCII, since that is what such a file holds.
//
// Held forms of what is not a character of the set in force:
//   a lone byte 21..7E in a two-byte set, or 60..7E in half-width katakana    A0 and the byte
//   a byte 8E, 8F or A0..FE (bytes over 7F have no place in JIS)             A0 and the byte
//   an ESC that starts no designation but is followed by another ESC       A0 and the ESC
//   any other byte over 7F (80..8D, 90..9F, FF)                              the byte itself
// A0 starts no EUC-JP character, so these show as bad bytes. A held byte over 7F that is not a
// character and not one of these forms is written as it is, and reads back as its A0 form.
//
// A switch is known to be the encoder's only when its set is left properly again, so the
// decoder may look ahead of a switch; beyond RunLimit bytes it keeps the switch as its bytes.
#pragma once
#include <cstddef>

class JisDecoder {
public:
    JisDecoder();

    static constexpr size_t RunLimit = 32768;
    // The most bytes the next Feed of n bytes, or Finish (n = 0), writes to out: what it was
    // given before and kept back goes out with it.
    size_t MaxOutput(size_t n) const { return 2 * (n + carryCount); }
    // Converts the next n bytes of the file, keeping back what later bytes decide; returns the
    // bytes written to out.
    size_t Feed(const char* in, size_t n, char* out);
    size_t Finish(char* out);

    enum Set { Ascii, Roman, Kanji, OldKanji, Supplement, HalfKana };

private:
    static constexpr size_t CarryLimit = RunLimit + 16;

    size_t Decode(const unsigned char* in, size_t n, bool last, unsigned char* out, size_t* used);
    int EncoderSwitch(const unsigned char* in, size_t n, size_t at, Set set, bool last) const;

    Set set;
    bool own;  // the set was entered by a switch the encoder writes, not by held bytes
    unsigned char carry[CarryLimit];
    size_t carryCount;
};

class JisEncoder {
public:
    JisEncoder();

    size_t MaxOutput(size_t n) const { return 4 * n + 24; }
    size_t Feed(const char* in, size_t n, char* out);
    size_t Finish(char* out);

private:
    size_t Encode(const unsigned char* in, size_t n, bool last, unsigned char* out, size_t* used);
    size_t Enter(JisDecoder::Set wanted, unsigned char* out);

    JisDecoder::Set set;
    bool own;
    unsigned char carry[8];
    size_t carryCount;
};
