// A document's file read into the bytes the document holds and written back from them, for
// every code (platform/text_code.h): Shift-JIS, UTF-8 and EUC-JP pass as they are, UTF-8 (BOM)
// loses and regains its mark, UTF-16 becomes UTF-8 and JIS becomes EUC-JP (utf16_convert.h,
// jis_convert.h say how, without loss). Both take the file in pieces of any size, as it is read
// or written.
#pragma once
#include "document/jis_convert.h"
#include "document/utf16_convert.h"
#include "platform/text_code.h"

#include <cstddef>

class TextDecoder {
public:
    explicit TextDecoder(TextCode code);

    // The most bytes the next Feed of n bytes, or Finish (n = 0), writes to out.
    size_t MaxOutput(size_t n) const;
    size_t Feed(const char* in, size_t n, char* out);
    size_t Finish(char* out);
    // Whether the file started with the byte order mark of its code (UTF-8 (BOM) and UTF-16),
    // which the held text leaves out.
    bool HadBom() const;

private:
    TextCode code;
    unsigned char start[3];  // UTF-8 (BOM): the first bytes, until they show whether they are the mark
    int startCount;
    bool bom;
    Utf16Decoder utf16;
    JisDecoder jis;
};

class TextEncoder {
public:
    // With bom, a UTF-8 (BOM) or UTF-16 file starts with its byte order mark; a new document
    // has one, a read one as it had (TextDecoder::HadBom).
    explicit TextEncoder(TextCode code, bool bom = true);

    size_t MaxOutput(size_t n) const;
    size_t Feed(const char* in, size_t n, char* out);
    size_t Finish(char* out);

private:
    TextCode code;
    bool bomDue;
    Utf16Encoder utf16;
    JisEncoder jis;
};
