#include "platform/char_rule.h"
#include "platform/characters.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;

// Boundaries found by stepping from the start, the text's length last.
Ints StepForward(const CharRule& rule, const std::string& text)
{
    Ints boundaries;
    int length = static_cast<int>(text.size());
    int pos = 0;
    while (pos < length) {
        boundaries.push_back(pos);
        int cells;
        pos += rule.Step(text.c_str() + pos, &cells);
    }
    boundaries.push_back(pos);
    return boundaries;
}

// Every way of asking where characters are must agree with stepping forward from the start:
// stepping back from each position, the boundary test, the inline and the called step, and
// decoding the code points of each character one by one.
void ExpectConsistent(const CharRule& rule, const std::string& text)
{
    const char* s = text.c_str();
    int length = static_cast<int>(text.size());
    Ints forward = StepForward(rule, text);
    ASSERT_EQ(forward.back(), length) << "a step ran past the end";
    size_t next = 0;
    for (int pos = 0; pos <= length; ++pos) {
        bool boundary = next < forward.size() && forward[next] == pos;
        ASSERT_EQ(rule.isBoundary(s, length, pos), boundary) << "at " << pos;
        if (pos > 0) {
            ASSERT_EQ(rule.stepBack(s, pos), forward[next - 1]) << "back from " << pos;
        }
        if (boundary)
            ++next;
    }
    for (size_t i = 0; i + 1 < forward.size(); ++i) {
        int at = forward[i];
        int bytes = forward[i + 1] - at;
        int inlineCells;
        int calledCells;
        ASSERT_EQ(rule.Step(s + at, &inlineCells), rule.step(s + at, &calledCells));
        ASSERT_EQ(inlineCells, calledCells);
        ASSERT_GE(calledCells, 1);
        ASSERT_LE(calledCells, 2);
        if (rule.cellsAreBytes) {
            ASSERT_EQ(calledCells, bytes) << "at " << at;
        }
        int decoded = 0;
        while (decoded < bytes) {
            int taken;
            rule.decode(s + at + decoded, &taken);
            ASSERT_GE(taken, 1);
            decoded += taken;
        }
        ASSERT_EQ(decoded, bytes) << "decoding the character at " << at << " left its bounds";
    }
}

// Every string of up to maxPieces pieces from pieces, as a number in base pieces.size().
void ForEachString(const std::vector<std::string>& pieces, int maxPieces, void (*check)(const std::string&))
{
    for (int count = 1; count <= maxPieces; ++count) {
        int combinations = 1;
        for (int i = 0; i < count; ++i)
            combinations *= static_cast<int>(pieces.size());
        for (int n = 0; n < combinations; ++n) {
            std::string text;
            for (int i = 0, rest = n; i < count; ++i, rest /= static_cast<int>(pieces.size()))
                text += pieces[rest % pieces.size()];
            check(text);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
}

std::string RandomText(std::mt19937& random, const std::vector<std::string>& pieces, int count)
{
    std::string text;
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    for (int i = 0; i < count; ++i)
        text += pieces[pick(random)];
    return text;
}

// Bytes that make and break characters in each code: their leads, their other bytes, bytes that
// belong to nothing, and the ASCII bytes that are trail bytes too in Shift-JIS.
const std::vector<std::string> ShiftJisBytes = {"A", "@", "\\", "\t", "\x81", "\x9f", "\xe0", "\xfc",
                                                "\xa1", "\xdf", "\x80", "\xa0", "\xfd", "\xff"};
const std::vector<std::string> EucJpBytes = {"A", "\t", "\xa1", "\xa4", "\xdf", "\xe0", "\xfe",
                                             "\x8e", "\x8f", "\x80", "\xa0", "\xff"};
const std::vector<std::string> Utf8Bytes = {"a", "\x01", "\x80", "\xbf", "\xa0", "\x99", "\xc2", "\xcc",
                                            "\xe3", "\xed", "\xf0", "\xf4", "\x90", "\xc0", "\xff"};
// Whole characters too, so that combining marks meet every kind of base.
const std::vector<std::string> Utf8Pieces = {
    "a", "\t", "\x80", "\xe3", "\xe3\x81",
    "\xe3\x81\x8b",     // か
    "\xcc\x81",         // combining acute accent
    "\xe3\x82\x99",     // combining voiced sound mark
    "\xe2\x80\x8d",     // zero width joiner
    "\xef\xb8\x8f",     // variation selector 16
    "\xed\xa0\x80",     // a lone high surrogate
    "\xf0\x9f\x98\x80", // 😀
    "\xc2\x85",         // a C1 control
};

void ExpectShiftJisConsistent(const std::string& text)
{
    ExpectConsistent(RuleFor(CodeShiftJis), text);
}

void ExpectEucJpConsistent(const std::string& text)
{
    ExpectConsistent(RuleFor(CodeEucJp), text);
}

void ExpectUtf8Consistent(const std::string& text)
{
    ExpectConsistent(RuleFor(CodeUtf8), text);
}

TEST(CharRule, SteppingBackAgreesWithSteppingForwardForEveryShortText)
{
    ForEachString(ShiftJisBytes, 4, ExpectShiftJisConsistent);
    ForEachString(EucJpBytes, 4, ExpectEucJpConsistent);
    ForEachString(Utf8Bytes, 4, ExpectUtf8Consistent);
    ForEachString(Utf8Pieces, 4, ExpectUtf8Consistent);
}

TEST(CharRule, SteppingBackAgreesWithSteppingForwardForLongRandomTexts)
{
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        ExpectShiftJisConsistent(RandomText(random, ShiftJisBytes, 300));
        ExpectEucJpConsistent(RandomText(random, EucJpBytes, 300));
        ExpectUtf8Consistent(RandomText(random, Utf8Bytes, 300));
        ExpectUtf8Consistent(RandomText(random, Utf8Pieces, 150));
        if (HasFatalFailure())
            return;
    }
}

// Word classes read a double-byte character of EUC-JP as the Shift-JIS character of the same
// JIS X 0208 row and cell.
TEST(CharRule, EucJpDoubleByteCharactersHaveTheShiftJisCodeOfTheirRowAndCell)
{
    const CharRule& euc = RuleFor(CodeEucJp);
    // 、 (row 1, odd), あ (row 4), 亜 (row 16), 熙 (row 84, past Shift-JIS's first-byte gap).
    EXPECT_EQ(euc.shiftJisCode("\xa1\xa2"), 0x8141u);
    EXPECT_EQ(euc.shiftJisCode("\xa4\xa2"), 0x82A0u);
    EXPECT_EQ(euc.shiftJisCode("\xb0\xa1"), 0x889Fu);
    EXPECT_EQ(euc.shiftJisCode("\xf4\xa6"), 0xEAA4u);
    EXPECT_EQ(euc.shiftJisCode("\xa1\xe0"), 0x8180u) << "an odd row's cells after 7E skip 7F";
    EXPECT_EQ(euc.shiftJisCode("\x8e\xb1"), 0u);
    EXPECT_EQ(euc.shiftJisCode("\x8f\xb0\xa1"), 0u);
    EXPECT_EQ(euc.shiftJisCode("a"), 0u);
    EXPECT_EQ(RuleFor(CodeShiftJis).shiftJisCode("\x82\xa0"), 0x82A0u);
    EXPECT_EQ(RuleFor(CodeShiftJis).shiftJisCode("\xb1"), 0u);
    EXPECT_EQ(RuleFor(CodeUtf8).shiftJisCode("\xe3\x81\x82"), 0u);
}

TEST(CharRule, TheHeldCodeChoosesTheRule)
{
    EXPECT_EQ(&RuleFor(CodeUtf8Bom), &RuleFor(CodeUtf8));
    EXPECT_EQ(&RuleFor(CodeUtf16Le), &RuleFor(CodeUtf8));
    EXPECT_EQ(&RuleFor(CodeUtf16Be), &RuleFor(CodeUtf8));
    EXPECT_EQ(&RuleFor(CodeJis), &RuleFor(CodeEucJp));
    EXPECT_NE(&RuleFor(CodeShiftJis), &RuleFor(CodeUtf8));
    EXPECT_NE(&RuleFor(CodeShiftJis), &RuleFor(CodeEucJp));
    for (int code = 0; code < TextCodeCount; ++code)
        EXPECT_EQ(&RuleFor(static_cast<TextCode>(code)), &RuleFor(HeldCode(static_cast<TextCode>(code)))) << code;
    EXPECT_EQ(&RuleFor(TextCodeCount), &RuleFor(CodeShiftJis)) << "a code out of range is read as Shift-JIS";
}

// The Shift-JIS rule replaces platform/characters.h and must split every text as it does.
TEST(ShiftJisRule, SplitsEveryTextAsTheCharacterFunctionsDo)
{
    const CharRule& rule = RuleFor(CodeShiftJis);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> lengths(0, 40);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = lengths(random); n > 0; --n) {
            int b = byte(random);
            text += static_cast<char>(b == 0 ? 0x82 : b);
        }
        const char* s = text.c_str();
        int length = static_cast<int>(text.size());
        for (int pos = 0; pos <= length; ++pos) {
            int cells;
            ASSERT_EQ(rule.Step(s + pos, &cells), CharacterBytes(s + pos)) << text << " at " << pos;
            ASSERT_EQ(cells, CharacterBytes(s + pos));
            ASSERT_EQ(rule.isBoundary(s, length, pos), IsCharacterBoundary(s, length, pos));
            if (pos > 0) {
                ASSERT_EQ(rule.stepBack(s, pos), CharacterStartBefore(s, pos));
            }
        }
    }
}

TEST(ShiftJisRule, ALeadByteAtTheEndStandsAlone)
{
    const CharRule& rule = RuleFor(CodeShiftJis);
    EXPECT_EQ(StepForward(rule, "A\x82"), (Ints{0, 1, 2}));
    EXPECT_EQ(StepForward(rule, "\x82\xa0\x82"), (Ints{0, 2, 3}));
    EXPECT_EQ(rule.stepBack("\x82\xa0\x82", 3), 2);
    EXPECT_FALSE(rule.isValid("\x82", 1));
    EXPECT_TRUE(rule.isValid("\x82\xa0", 2));
}

TEST(ShiftJisRule, ValidityAndDecodingLeaveAllButAsciiAndKanaToTheSystem)
{
    const CharRule& rule = RuleFor(CodeShiftJis);
    int bytes;
    EXPECT_EQ(rule.decode("\\", &bytes), 0x5C);
    EXPECT_EQ(rule.decode("\xb1", &bytes), 0xFF71) << "half-width katakana a";
    EXPECT_EQ(bytes, 1);
    EXPECT_EQ(rule.decode("\x82\xa0", &bytes), SystemCodePoint);
    EXPECT_EQ(bytes, 2);
    EXPECT_EQ(rule.decode("\x80", &bytes), NoCodePoint);
    EXPECT_FALSE(rule.isValid("\x82\x20", 2)) << "a space is no trail byte, though the pair steps as one";
    EXPECT_FALSE(rule.isValid("\xa0", 1));
    char out[4];
    EXPECT_EQ(rule.encode(0xFF9F, out), 1);
    EXPECT_EQ(out[0], '\xdf');
    EXPECT_EQ(rule.encode(0x3042, out), 0) << "the system converts hiragana";
}

TEST(EucJpRule, SingleShiftsMakeHalfWidthKanaAndJisX0212Characters)
{
    const CharRule& rule = RuleFor(CodeEucJp);
    int cells;
    EXPECT_EQ(rule.Step("\xa4\xa2", &cells), 2) << "あ";
    EXPECT_EQ(cells, 2);
    EXPECT_EQ(rule.Step("\x8e\xb1", &cells), 2) << "ｱ";
    EXPECT_EQ(cells, 1);
    EXPECT_EQ(rule.Step("\x8f\xb0\xa1", &cells), 3) << "a JIS X 0212 kanji";
    EXPECT_EQ(cells, 2);
    // A single shift without what it needs stands alone, and so does what follows it.
    EXPECT_EQ(StepForward(rule, "\x8e\xe0\xa1"), (Ints{0, 1, 3}));
    EXPECT_EQ(StepForward(rule, "\x8f\xb0" "A"), (Ints{0, 1, 2, 3}));
    EXPECT_EQ(StepForward(rule, "\xa4" "A"), (Ints{0, 1, 2}));
    EXPECT_FALSE(rule.isValid("\x8f", 1));
    EXPECT_TRUE(rule.isValid("\x8f\xb0\xa1", 3));
    int bytes;
    EXPECT_EQ(rule.decode("\x8e\xdf", &bytes), 0xFF9F);
    EXPECT_EQ(rule.decode("\xa4\xa2", &bytes), SystemCodePoint);
    EXPECT_EQ(rule.decode("\xff", &bytes), NoCodePoint);
}

TEST(EucJpRule, SteppingBackOverALongRunOfKanjiPairsItFromWhatComesBefore)
{
    const CharRule& rule = RuleFor(CodeEucJp);
    std::string kanji;
    for (int i = 0; i < 1000; ++i)
        kanji += "\xb4\xc1";
    for (const std::string& before : {std::string("A"), std::string("\x8f\xb0\xa1"), std::string("\x8e\xb1"),
                                      std::string("\x8f"), std::string("\xa4")}) {
        std::string text = before + kanji;
        int length = static_cast<int>(text.size());
        int start = before == "\xa4" ? length - 1 : length - 2;
        EXPECT_EQ(rule.stepBack(text.c_str(), length), start) << "after " << before.size() << " bytes";
        ExpectEucJpConsistent(text);
    }
}

} // namespace
