// The clipboard as the Edit commands use it. Text goes out as CF_UNICODETEXT converted from the
// code the document holds its bytes in and as CF_TEXT (code page 932: a Shift-JIS document's own
// bytes, what it cannot hold as '?'), lines joined by CR LF, with CF_LOCALE Japanese, so that
// every program reads the right characters whatever its own code page or keyboard layout. Text
// comes in preferably as CF_UNICODETEXT, else as CF_TEXT, converted to the document's code.
//
// The two text formats are rendered only when a program asks for them: the owner window keeps
// the copied bytes meanwhile, so Copy itself costs one copy of the selection however large (Wine
// moves every byte put on the clipboard through its server, 100 MB in several seconds). The owner
// passes WM_RENDERFORMAT, WM_RENDERALLFORMATS and WM_DESTROYCLIPBOARD here.
//
// Another program may hold the clipboard open: opening it is tried a few times within a tenth of
// a second, and then given up, so that nothing ever waits on that program.
#pragma once
#include "platform/text_code.h"

#include <windows.h>
#include <string>

// Text taken from the clipboard, as bytes of the code asked for with its line breaks as they came.
class ClipboardText {
public:
    ClipboardText() : bytes(nullptr), count(0), replaced(0) {}
    ~ClipboardText() { delete[] bytes; }

    char* bytes;
    int count;
    // Characters that the code cannot hold, each of which became one '?'.
    int replaced;

private:
    ClipboardText(const ClipboardText&);
    ClipboardText& operator=(const ClipboardText&);
};

// Puts the bytes, held in the code held, on the clipboard as owner's, taking them over (*bytes is
// left empty). False, with the clipboard as it was, when another program holds it.
bool PutClipboardText(HWND owner, std::string* bytes, TextCode held = CodeShiftJis);
// The clipboard's text in the held bytes of the code held. False when another program holds the
// clipboard, when it holds no text, or when there is no memory for the text (the system's code is
// then in *error, else 0).
bool TakeClipboardText(HWND owner, ClipboardText* text, unsigned long* error, TextCode held = CodeShiftJis);
// Whether the clipboard holds text in a format Paste takes.
bool ClipboardHasText();

// WM_RENDERFORMAT: a program asks for one of the formats copied.
void RenderClipboardFormat(UINT format);
// WM_RENDERALLFORMATS: the owner is going away and the clipboard must keep the text without it.
void RenderAllClipboardFormats(HWND owner);
// WM_DESTROYCLIPBOARD: the clipboard was emptied, the kept bytes are no longer needed.
void ForgetClipboardText();

// The conversions, each made straight into the block the clipboard takes. A movable block with
// the count bytes and a zero; the same converted to UTF-16 with a zero; null without memory.
HGLOBAL TextBlock(const char* bytes, size_t count);
HGLOBAL UnicodeBlock(const char* bytes, size_t count);
// UTF-16 text as code page 932 bytes into text. A character the code page cannot hold (one
// outside it, or one with only a look-alike there) becomes one '?' and is counted in replaced.
// False when memory ran out.
bool BytesFromUnicode(const wchar_t* units, size_t count, ClipboardText* text);
// The same into the held bytes of any code.
bool HeldFromUnicode(TextCode held, const wchar_t* units, size_t count, ClipboardText* text);
