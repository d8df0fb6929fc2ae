#include "app/clipboard.h"
#include "document/char_convert.h"
#include "platform/platform.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

const UINT ShiftJis = 932;
const LCID Japanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);

// The bytes last copied, while this program owns the clipboard, and the formats rendered from
// them so far.
std::string Kept;
TextCode KeptCode = CodeShiftJis;
bool Holding = false;
bool TextRendered = false;
bool UnicodeRendered = false;

bool OpenClipboardPatiently(HWND owner)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(20);
    }
    return false;
}

HGLOBAL LocaleBlock()
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID));
    if (block == nullptr)
        return nullptr;
    *static_cast<LCID*>(GlobalLock(block)) = Japanese;
    GlobalUnlock(block);
    return block;
}

void PutBlock(UINT format, HGLOBAL block)
{
    if (block != nullptr && SetClipboardData(format, block) == nullptr)
        GlobalFree(block);
}

int CountUnits(const wchar_t* units, int count, wchar_t unit)
{
    int found = 0;
    for (int i = 0; i < count; ++i)
        found += units[i] == unit;
    return found;
}

bool IsPair(const wchar_t* units, int at, int count)
{
    return units[at] >= 0xD800 && units[at] < 0xDC00 && at + 1 < count && units[at + 1] >= 0xDC00 &&
           units[at + 1] < 0xE000;
}

// The conversion turns each half of a character outside the 16-bit range into a '?' of its own;
// the user sees one character, so each pair first becomes one unit that the code page lacks too
// (U+FFFD, the replacement character).
int CollapsePairs(const wchar_t* units, int count, wchar_t* collapsed)
{
    int made = 0;
    for (int i = 0; i < count; ++i) {
        bool pair = IsPair(units, i, count);
        collapsed[made++] = pair ? 0xFFFD : units[i];
        i += pair;
    }
    return made;
}

int ToShiftJis(const wchar_t* units, int count, char* bytes, BOOL* defaulted)
{
    if (count == 0)
        return 0;
    return WideCharToMultiByte(ShiftJis, WC_NO_BEST_FIT_CHARS, units, count, bytes, count * 2, "?", defaulted);
}

// Only a text that needed '?' comes here, so the common paste never looks at a unit twice.
bool CountReplaced(const wchar_t* units, int count, ClipboardText* text)
{
    wchar_t* collapsed = new (std::nothrow) wchar_t[count];
    if (collapsed == nullptr) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    int collapsedCount = CollapsePairs(units, count, collapsed);
    BOOL defaulted = FALSE;
    if (collapsedCount < count)
        text->count = ToShiftJis(collapsed, collapsedCount, text->bytes, &defaulted);
    // '?' is never the second byte of a double-byte character.
    int marks = 0;
    for (int i = 0; i < text->count; ++i)
        marks += text->bytes[i] == '?';
    text->replaced = marks - CountUnits(collapsed, collapsedCount, L'?');
    delete[] collapsed;
    return true;
}

// Held bytes of a code other than Shift-JIS as UTF-16 text, and as code page 932 bytes, what it
// cannot hold as '?'.
HGLOBAL UnitsBlock(const std::wstring& units)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (units.size() + 1) * sizeof(wchar_t));
    if (block == nullptr)
        return nullptr;
    wchar_t* made = static_cast<wchar_t*>(GlobalLock(block));
    std::memcpy(made, units.c_str(), (units.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    return block;
}

HGLOBAL HeldUnicodeBlock(TextCode held, const std::string& bytes)
{
    std::wstring units;
    Utf16FromHeld(held, bytes.data(), bytes.size(), &units);
    return UnitsBlock(units);
}

HGLOBAL HeldTextBlock(TextCode held, const std::string& bytes)
{
    std::string text;
    ConvertHeldBytes(held, CodeShiftJis, bytes.data(), static_cast<int>(bytes.size()), &text);
    return TextBlock(text.data(), text.size());
}

// Bytes of one code as the held bytes of another into text, what it cannot hold counted.
bool TakeConverted(TextCode from, TextCode to, const char* bytes, size_t count, ClipboardText* text)
{
    std::string converted;
    int replaced = ConvertHeldBytes(from, to, bytes, static_cast<int>(count), &converted);
    delete[] text->bytes;
    text->bytes = new (std::nothrow) char[converted.size() + 1];
    if (text->bytes == nullptr)
        return false;
    std::memcpy(text->bytes, converted.data(), converted.size());
    text->count = static_cast<int>(converted.size());
    text->replaced = replaced;
    return true;
}

}

HGLOBAL TextBlock(const char* bytes, size_t count)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, count + 1);
    if (block == nullptr)
        return nullptr;
    char* text = static_cast<char*>(GlobalLock(block));
    std::memcpy(text, bytes, count);
    text[count] = 0;
    GlobalUnlock(block);
    return block;
}

HGLOBAL UnicodeBlock(const char* bytes, size_t count)
{
    // A byte never makes more than one unit, so the block is taken at its largest and then cut to
    // what the conversion made.
    if (count >= INT_MAX)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(wchar_t));
    if (block == nullptr)
        return nullptr;
    wchar_t* units = static_cast<wchar_t*>(GlobalLock(block));
    int made = 0;
    if (count > 0)
        made = MultiByteToWideChar(ShiftJis, 0, bytes, static_cast<int>(count), units, static_cast<int>(count));
    units[made] = 0;
    GlobalUnlock(block);
    if (static_cast<size_t>(made) < count) {
        HGLOBAL smaller = GlobalReAlloc(block, (static_cast<size_t>(made) + 1) * sizeof(wchar_t), GMEM_MOVEABLE);
        if (smaller != nullptr)
            block = smaller;
    }
    return block;
}

bool HeldFromUnicode(TextCode held, const wchar_t* units, size_t count, ClipboardText* text)
{
    if (HeldCode(held) == CodeShiftJis)
        return BytesFromUnicode(units, count, text);
    std::string bytes;
    int replaced = HeldFromUtf16(held, units, count, &bytes);
    delete[] text->bytes;
    text->bytes = bytes.size() < INT_MAX ? new (std::nothrow) char[bytes.size() + 1] : nullptr;
    text->count = 0;
    text->replaced = 0;
    if (text->bytes == nullptr) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    std::memcpy(text->bytes, bytes.data(), bytes.size());
    text->count = static_cast<int>(bytes.size());
    text->replaced = replaced;
    return true;
}

bool BytesFromUnicode(const wchar_t* units, size_t count, ClipboardText* text)
{
    delete[] text->bytes;
    text->bytes = nullptr;
    text->count = 0;
    text->replaced = 0;
    if (count > INT_MAX / 2) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    text->bytes = new (std::nothrow) char[count * 2 + 1];
    if (text->bytes == nullptr) {
        SetSystemError(OutOfMemoryError);
        return false;
    }
    int unitCount = static_cast<int>(count);
    BOOL defaulted = FALSE;
    text->count = ToShiftJis(units, unitCount, text->bytes, &defaulted);
    return !defaulted || CountReplaced(units, unitCount, text);
}

bool PutClipboardText(HWND owner, std::string* bytes, TextCode held)
{
    if (!OpenClipboardPatiently(owner))
        return false;
    // Emptying tells the owner so far, which may be this window: what it kept goes now.
    if (!EmptyClipboard()) {
        CloseClipboard();
        return false;
    }
    Kept.swap(*bytes);
    bytes->clear();
    KeptCode = HeldCode(held);
    Holding = true;
    TextRendered = UnicodeRendered = false;
    SetClipboardData(CF_UNICODETEXT, nullptr);
    SetClipboardData(CF_TEXT, nullptr);
    PutBlock(CF_LOCALE, LocaleBlock());
    CloseClipboard();
    return true;
}

bool TakeClipboardText(HWND owner, ClipboardText* text, unsigned long* error, TextCode held)
{
    *error = 0;
    held = HeldCode(held);
    // Text this window copied is taken as it was kept: the conversions there and back would
    // only cost time, and would turn bytes that make no character into '?'. Copied from a
    // document held in another code, it is converted once, straight.
    if (Holding && GetClipboardOwner() == owner && KeptCode != held) {
        if (!TakeConverted(KeptCode, held, Kept.data(), Kept.size(), text)) {
            *error = OutOfMemoryError;
            return false;
        }
        return true;
    }
    if (Holding && GetClipboardOwner() == owner) {
        delete[] text->bytes;
        text->bytes = new (std::nothrow) char[Kept.size() + 1];
        if (text->bytes == nullptr) {
            *error = OutOfMemoryError;
            return false;
        }
        std::memcpy(text->bytes, Kept.data(), Kept.size());
        text->count = static_cast<int>(Kept.size());
        text->replaced = 0;
        return true;
    }
    if (!OpenClipboardPatiently(owner))
        return false;
    bool taken = false;
    HGLOBAL block = GetClipboardData(CF_UNICODETEXT);
    if (block != nullptr) {
        const wchar_t* units = static_cast<const wchar_t*>(GlobalLock(block));
        if (units != nullptr) {
            taken = HeldFromUnicode(held, units, wcsnlen(units, GlobalSize(block) / sizeof(wchar_t)), text);
            if (!taken)
                *error = LastSystemError();
            GlobalUnlock(block);
        }
    } else if ((block = GetClipboardData(CF_TEXT)) != nullptr) {
        const char* bytes = static_cast<const char*>(GlobalLock(block));
        if (bytes != nullptr) {
            size_t count = strnlen(bytes, GlobalSize(block));
            if (held != CodeShiftJis && count < INT_MAX) {
                taken = TakeConverted(CodeShiftJis, held, bytes, count, text);
                if (!taken)
                    *error = OutOfMemoryError;
                GlobalUnlock(block);
                CloseClipboard();
                return taken;
            }
            delete[] text->bytes;
            text->bytes = count < INT_MAX ? new (std::nothrow) char[count + 1] : nullptr;
            taken = text->bytes != nullptr;
            if (taken) {
                std::memcpy(text->bytes, bytes, count);
                text->count = static_cast<int>(count);
                text->replaced = 0;
            } else {
                *error = OutOfMemoryError;
            }
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return taken;
}

bool ClipboardHasText()
{
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

void RenderClipboardFormat(UINT format)
{
    if (!Holding)
        return;
    if (format == CF_TEXT) {
        PutBlock(CF_TEXT, KeptCode == CodeShiftJis ? TextBlock(Kept.data(), Kept.size()) : HeldTextBlock(KeptCode, Kept));
        TextRendered = true;
    } else if (format == CF_UNICODETEXT) {
        PutBlock(CF_UNICODETEXT,
                 KeptCode == CodeShiftJis ? UnicodeBlock(Kept.data(), Kept.size()) : HeldUnicodeBlock(KeptCode, Kept));
        UnicodeRendered = true;
    }
}

void RenderAllClipboardFormats(HWND owner)
{
    if (!Holding || !OpenClipboardPatiently(owner))
        return;
    if (GetClipboardOwner() == owner) {
        if (!UnicodeRendered)
            RenderClipboardFormat(CF_UNICODETEXT);
        if (!TextRendered)
            RenderClipboardFormat(CF_TEXT);
    }
    CloseClipboard();
    ForgetClipboardText();
}

void ForgetClipboardText()
{
    std::string().swap(Kept);
    Holding = false;
}
