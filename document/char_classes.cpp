#include "document/char_classes.h"
#include "platform/characters.h"

namespace {

bool Within(unsigned code, unsigned first, unsigned last)
{
    return code >= first && code <= last;
}

CharClass ClassOfSingle(unsigned char b)
{
    if (b == ' ' || b == '\t')
        return ClassBlank;
    if (Within(b, 'A', 'Z') || Within(b, 'a', 'z') || Within(b, '0', '9') || b == '_')
        return ClassWord;
    // 0xA1 to 0xA5 are the half-width full stop, brackets, comma and middle dot.
    if (Within(b, 0xA6, 0xDF))
        return ClassHalfKatakana;
    return ClassSymbol;
}

CharClass ClassOfPair(unsigned code)
{
    if (code == 0x8140)
        return ClassBlank;
    if (Within(code, 0x824F, 0x8258) || Within(code, 0x8260, 0x8279) || Within(code, 0x8281, 0x829A) ||
        Within(code, 0x839F, 0x83D6) || Within(code, 0x8440, 0x8491))
        return ClassWideWord;
    if (Within(code, 0x829F, 0x82F1) || code == 0x8154 || code == 0x8155)
        return ClassHiragana;
    if (Within(code, 0x8340, 0x8396) || code == 0x815B || code == 0x8152 || code == 0x8153)
        return ClassKatakana;
    // Level one and two kanji, the NEC-selected and IBM extensions, and 仝 々 〆 〇.
    if (Within(code, 0x8157, 0x815A) || Within(code, 0x889F, 0x9FFC) || Within(code, 0xE040, 0xEAA4) ||
        Within(code, 0xED40, 0xEEFC) || Within(code, 0xFA5C, 0xFC4B))
        return ClassKanji;
    return ClassSymbol;
}

}

CharClass ClassOfCharacter(const char* text)
{
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (CharacterBytes(text) == 1)
        return IsLeadByte(first) ? ClassSymbol : ClassOfSingle(first);
    return ClassOfPair(first << 8 | static_cast<unsigned char>(text[1]));
}

int WordEnd(const char* text, int length, int pos)
{
    if (pos >= length)
        return pos;
    CharClass kind = ClassOfCharacter(text + pos);
    while (pos < length && ClassOfCharacter(text + pos) == kind)
        pos += CharacterBytes(text + pos);
    return pos;
}

int WordStart(const char* text, int pos)
{
    if (pos <= 0)
        return pos;
    CharClass kind = ClassOfCharacter(text + CharacterStartBefore(text, pos));
    while (pos > 0) {
        int start = CharacterStartBefore(text, pos);
        if (ClassOfCharacter(text + start) != kind)
            break;
        pos = start;
    }
    return pos;
}
