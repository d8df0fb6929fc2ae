#include "view/char_input.h"
#include "document/char_convert.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "platform/char_rule.h"
#include "platform/platform.h"
#include "view/editing.h"
#include "view/selection.h"

#include <algorithm>
#include <string>

void (*DocumentChanged)() = nullptr;
void (*TypedCharactersReplaced)(int count) = nullptr;

namespace {

int PendingLead = -1;
unsigned PendingHigh = 0;

bool HasBreak(const char* bytes, int count)
{
    for (int i = 0; i < count; ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n')
            return true;
    return false;
}

// How many characters the bytes make, as the document's rule splits them on their own.
int CharacterCount(const char* bytes, int count)
{
    const CharRule& rule = DocumentRule();
    // A zero byte becomes '*' in the line, and is counted as the line will hold it.
    std::string text(bytes, static_cast<size_t>(count));
    std::replace(text.begin(), text.end(), '\0', '*');
    int characters = 0;
    int cells;
    for (int i = 0; i < count; ++characters)
        i += rule.Step(text.c_str() + i, &cells);
    return characters;
}

// Types one character of a character message, which carries the ANSI code page. A document held
// in another code takes it as its rule writes it; what that needs the system's tables for (a
// double-byte character) is not typed.
bool TypeAnsiCharacter(const char* bytes, int count, unsigned long* error)
{
    const CharRule& rule = DocumentRule();
    if (rule.codePage == 0)
        return InsertText(bytes, count, error);
    std::string text(bytes, static_cast<size_t>(count));
    int used;
    long code = RuleFor(CodeShiftJis).decode(text.c_str(), &used);
    char held[4];
    int length = code >= 0 ? rule.encode(static_cast<unsigned long>(code), held) : 0;
    return length == 0 || InsertText(held, length, error);
}

}

bool InsertText(const char* bytes, int count, unsigned long* error)
{
    unsigned long ignored = 0;
    if (error == nullptr)
        error = &ignored;
    *error = 0;
    // A document that could not get its first line has nothing to type into; the user was told
    // when it was made.
    if (View.caret.line == nullptr)
        return true;
    bool breaks = HasBreak(bytes, count);
    TextPlace from;
    TextPlace to;
    SelectionBounds(&from, &to);
    // Overwriting takes as many characters as are typed, never the line's end.
    if (View.overwrite && from == to && !breaks) {
        for (int n = CharacterCount(bytes, count); n > 0 && to.pos < to.line->length; --n)
            to.pos = NextCharPos(*to.line, to.pos);
    }
    return ReplaceRange(from, to, bytes, count, breaks ? EditOther : EditTyping, error);
}

bool IsTypedByte(unsigned char b)
{
    return b == '\t' || b == '\r' || b == '\n' || (b >= 0x20 && b != 0x7F);
}

bool TypeByte(unsigned char b, unsigned long* error)
{
    *error = 0;
    if (PendingLead >= 0) {
        char pair[2] = {static_cast<char>(PendingLead), static_cast<char>(b)};
        PendingLead = -1;
        return TypeAnsiCharacter(pair, 2, error);
    }
    if (!IsTypedByte(b))
        return true;
    if (IsLeadByte(b)) {
        PendingLead = b;
        return true;
    }
    char single = static_cast<char>(b);
    return TypeAnsiCharacter(&single, 1, error);
}

bool TypeInputMethodCharacter(unsigned code, unsigned long* error)
{
    DropPendingLeadByte();
    unsigned char lead = static_cast<unsigned char>(code >> 8);
    unsigned char trail = static_cast<unsigned char>(code);
    if (lead == 0)
        return TypeByte(trail, error);
    char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    return TypeAnsiCharacter(pair, 2, error);
}

bool DocumentHolds(unsigned long codePoint)
{
    char held[4];
    return codePoint < 0x80 || EncodeHeld(View.code, codePoint, held) > 0;
}

bool TypeCharacter(unsigned long codePoint, bool* unheld, unsigned long* error)
{
    *error = 0;
    *unheld = false;
    PendingLead = -1;
    if (codePoint < 0x80)
        return TypeByte(static_cast<unsigned char>(codePoint), error);
    char held[4];
    int length = EncodeHeld(View.code, codePoint, held);
    if (length == 0) {
        *unheld = true;
        return true;
    }
    return InsertText(held, length, error);
}

bool CharacterFromUnit(unsigned unit, unsigned long* codePoint)
{
    if (unit >= 0xD800 && unit < 0xDC00) {
        PendingHigh = unit;
        return false;
    }
    unsigned high = PendingHigh;
    PendingHigh = 0;
    if (unit >= 0xDC00 && unit < 0xE000) {
        if (high == 0)
            return false;
        *codePoint = 0x10000 + ((static_cast<unsigned long>(high) - 0xD800) << 10) + (unit - 0xDC00);
        return true;
    }
    *codePoint = unit;
    return true;
}

void DropPendingLeadByte()
{
    PendingLead = -1;
    PendingHigh = 0;
}
