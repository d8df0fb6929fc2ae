#include "document/char_classes.h"
#include "platform/characters.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;

const CharRule& ShiftJis = RuleFor(CodeShiftJis);

// Every boundary of the text, found from its start as the row walk finds them.
Ints BoundariesOf(const std::string& text)
{
    Ints boundaries;
    int pos = 0;
    while (pos < static_cast<int>(text.size())) {
        boundaries.push_back(pos);
        pos += CharacterBytes(text.c_str() + pos);
    }
    boundaries.push_back(pos);
    return boundaries;
}

// Words found by stepping WordEnd from the start: where each run ends.
Ints WordEnds(const std::string& text, const CharRule& rule = ShiftJis)
{
    Ints ends;
    int length = static_cast<int>(text.size());
    for (int pos = 0; pos < length;) {
        pos = WordEnd(rule, text.c_str(), length, pos);
        ends.push_back(pos);
    }
    return ends;
}

TEST(CharClasses, ScriptsMakeWordsOfTheirOwn)
{
    // "abc_1" full-width "ＡＢ" hiragana "かな" katakana "カナー" kanji "漢字々" half-width "ｶﾅ"
    // a blank, a full-width blank, symbols "。！".
    const std::string text = "abc_1\x82\x60\x82\x61\x82\xa9\x82\xc8\x83\x4a\x83\x69\x81\x5b\x8a\xbf\x8e\x9a\x81\x58"
                             "\xb6\xc5 \x81\x40\x81\x42\x81\x49";
    EXPECT_EQ(WordEnds(text), (Ints{5, 9, 13, 19, 25, 27, 30, 34}));
}

TEST(CharClasses, TrailBytesNeverCountAsLettersOrBlanks)
{
    // ア is 83 41 and 表 is 95 5C: their second bytes are 'A' and '\\', but they are katakana and
    // kanji, so "xア" and "表x" each make two words.
    EXPECT_EQ(WordEnds("x\x83\x41"), (Ints{1, 3}));
    EXPECT_EQ(WordEnds("\x95\x5cx"), (Ints{2, 3}));
    EXPECT_EQ(ClassOfCharacter("\x83\x41"), ClassKatakana);
    // A lead byte before the end of the line stands alone and is a symbol.
    EXPECT_EQ(ClassOfCharacter("\x88"), ClassSymbol);
}

TEST(CharClasses, WordStartMirrorsWordEnd)
{
    const std::string text = "ab \x8a\xbf\x8e\x9a\x82\xa9 \x95\x5c\x95\x5c" "cd";
    int length = static_cast<int>(text.size());
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), length), 14);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 14), 10);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 10), 9);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 9), 7);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 7), 3);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 3), 2);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 2), 0);
    EXPECT_EQ(WordStart(ShiftJis, text.c_str(), 0), 0);
}

// The same scripts make the same words in every code a document is held in.
TEST(CharClasses, Utf8AndEucJpTextsMakeTheWordsShiftJisMakes)
{
    // "abc_1" "ＡＢ" "かな" "カナー" "漢字々" "ｶﾅ", a blank and a full-width blank, "。！".
    const std::string utf8 = "abc_1\xef\xbc\xa1\xef\xbc\xa2\xe3\x81\x8b\xe3\x81\xaa\xe3\x82\xab\xe3\x83\x8a"
                             "\xe3\x83\xbc\xe6\xbc\xa2\xe5\xad\x97\xe3\x80\x85\xef\xbd\xb6\xef\xbe\x85 \xe3\x80\x80"
                             "\xe3\x80\x82\xef\xbc\x81";
    EXPECT_EQ(WordEnds(utf8, RuleFor(CodeUtf8)), (Ints{5, 11, 17, 26, 35, 41, 45, 51}));
    const std::string euc = "abc_1\xa3\xc1\xa3\xc2\xa4\xab\xa4\xca\xa5\xab\xa5\xca\xa1\xbc\xb4\xc1\xbb\xfa\xa1\xb9"
                            "\x8e\xb6\x8e\xc5 \xa1\xa1\xa1\xa3\xa1\xaa";
    EXPECT_EQ(WordEnds(euc, RuleFor(CodeEucJp)), (Ints{5, 9, 13, 19, 25, 29, 32, 36}));
}

TEST(CharClasses, Utf8WordsTakeAccentedLettersMarksAndCharactersBeyondTheBmp)
{
    const CharRule& utf8 = RuleFor(CodeUtf8);
    // "café", then "e" with a combining acute accent and "x": one word each, the mark inside it.
    EXPECT_EQ(WordEnds("caf\xc3\xa9 e\xcc\x81x", utf8), (Ints{5, 6, 10}));
    // 𠮷 (U+20BB7) is a kanji beside 野, and a byte that is no character is a symbol.
    EXPECT_EQ(WordEnds("\xf0\xa0\xae\xb7\xe9\x87\x8e\xff" "a", utf8), (Ints{7, 8, 9}));
    EXPECT_EQ(ClassOfCharacter(utf8, "\xff"), ClassSymbol);
    // A JIS X 0212 kanji of EUC-JP is not in Shift-JIS: a symbol, but one character.
    EXPECT_EQ(WordEnds("\x8f\xb0\xa1" "a", RuleFor(CodeEucJp)), (Ints{3, 4}));
    EXPECT_EQ(WordStart(utf8, "ab\xe3\x81\x82\xe3\x81\x84", 8), 2);
}

// Random bytes from the ranges that matter: lead bytes that are also valid trail bytes, ASCII
// letters and '\\' in trail positions, half-width katakana.
TEST(CharClasses, LookingBackFindsTheBoundariesAWalkFromTheStartFinds)
{
    const unsigned char pool[] = {'a', 'A', '\\', ' ', 0x40, 0x5c, 0x7e, 0x80, 0x81, 0x88, 0x9f, 0xa0, 0xa1,
                                  0xb6, 0xdf, 0xe0, 0xea, 0xfc, 0xfd};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        int length = 1 + static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(pool[random() % sizeof pool]);
        Ints boundaries = BoundariesOf(text);
        for (size_t i = 1; i < boundaries.size(); ++i)
            ASSERT_EQ(CharacterStartBefore(text.c_str(), boundaries[i]), boundaries[i - 1]) << round;
        for (int pos = 0; pos <= length; ++pos) {
            bool boundary = false;
            for (int b : boundaries)
                boundary = boundary || b == pos;
            ASSERT_EQ(IsCharacterBoundary(text.c_str(), length, pos), boundary) << round << " at " << pos;
        }
    }
}

}
