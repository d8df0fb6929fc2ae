// The character codes a document can be written in, in the order the lists and the status bar
// show them, and the code whose bytes the document holds in memory for each: Shift-JIS, UTF-8
// and EUC-JP keep a file's bytes as they are; UTF-16 is held as UTF-8 and JIS as EUC-JP, and
// converted on reading and writing.
#pragma once

enum TextCode {
    CodeShiftJis,
    CodeUtf8,
    CodeUtf8Bom,
    CodeUtf16Le,
    CodeUtf16Be,
    CodeEucJp,
    CodeJis,
    TextCodeCount
};

inline const char* TextCodeName(TextCode code)
{
    static const char* const names[TextCodeCount] = {
        "Shift-JIS", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE", "EUC-JP", "JIS",
    };
    return code >= 0 && code < TextCodeCount ? names[code] : names[CodeShiftJis];
}

// The code of the bytes a document of this code holds in memory.
inline TextCode HeldCode(TextCode code)
{
    switch (code) {
    case CodeUtf8Bom:
    case CodeUtf16Le:
    case CodeUtf16Be:
        return CodeUtf8;
    case CodeJis:
        return CodeEucJp;
    default:
        return code;
    }
}
