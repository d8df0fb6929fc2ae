#include "document/char_classes.h"

namespace {

bool Within(unsigned long code, unsigned long first, unsigned long last)
{
    return code >= first && code <= last;
}

CharClass ClassOfCodePoint(unsigned long code)
{
    if (code == ' ' || code == '\t' || code == 0x3000)
        return ClassBlank;
    if (Within(code, 'A', 'Z') || Within(code, 'a', 'z') || Within(code, '0', '9') || code == '_')
        return ClassWord;
    // Latin letters with accents join the ASCII ones, so "café" is one word; × and ÷ do not.
    if (Within(code, 0xC0, 0x24F) && code != 0xD7 && code != 0xF7)
        return ClassWord;
    if (Within(code, 0xFF10, 0xFF19) || Within(code, 0xFF21, 0xFF3A) || Within(code, 0xFF41, 0xFF5A) ||
        Within(code, 0x391, 0x3C9) || Within(code, 0x400, 0x45F))
        return ClassWideWord;
    if (Within(code, 0x3041, 0x3096) || Within(code, 0x309D, 0x309F))
        return ClassHiragana;
    if (Within(code, 0x30A1, 0x30FA) || Within(code, 0x30FC, 0x30FF))
        return ClassKatakana;
    // 々 〆 〇 and the unified and compatibility ideographs.
    if (Within(code, 0x3005, 0x3007) || Within(code, 0x3400, 0x4DBF) || Within(code, 0x4E00, 0x9FFF) ||
        Within(code, 0xF900, 0xFAFF) || Within(code, 0x20000, 0x3FFFF))
        return ClassKanji;
    // U+FF61 to U+FF65 are the half-width full stop, brackets, comma and middle dot.
    if (Within(code, 0xFF66, 0xFF9F))
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

CharClass ClassOfCharacter(const CharRule& rule, const char* text)
{
    if (unsigned pair = rule.shiftJisCode(text))
        return ClassOfPair(pair);
    int bytes;
    long code = rule.decode(text, &bytes);
    return code >= 0 ? ClassOfCodePoint(static_cast<unsigned long>(code)) : ClassSymbol;
}

CharClass ClassOfCharacter(const char* text)
{
    return ClassOfCharacter(RuleFor(CodeShiftJis), text);
}

int WordEnd(const CharRule& rule, const char* text, int length, int pos)
{
    if (pos >= length)
        return pos;
    CharClass kind = ClassOfCharacter(rule, text + pos);
    int cells;
    while (pos < length && ClassOfCharacter(rule, text + pos) == kind)
        pos += rule.Step(text + pos, &cells);
    return pos;
}

int WordStart(const CharRule& rule, const char* text, int pos)
{
    if (pos <= 0)
        return pos;
    CharClass kind = ClassOfCharacter(rule, text + rule.stepBack(text, pos));
    while (pos > 0) {
        int start = rule.stepBack(text, pos);
        if (ClassOfCharacter(rule, text + start) != kind)
            break;
        pos = start;
    }
    return pos;
}
