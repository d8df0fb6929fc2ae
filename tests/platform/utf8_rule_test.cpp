#include "platform/char_rule.h"
#include "tests/platform/run_reference.h"

#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;

const CharRule& Utf8 = RuleFor(CodeUtf8);

// The characters of text as the rule steps over them, each with its cells: "bytes:cells".
std::vector<std::string> Characters(const std::string& text)
{
    std::vector<std::string> found;
    for (size_t pos = 0; pos < text.size();) {
        int cells;
        int bytes = Utf8.Step(text.c_str() + pos, &cells);
        found.push_back(std::to_string(bytes) + ":" + std::to_string(cells));
        pos += static_cast<size_t>(bytes);
    }
    return found;
}

int CellsOf(unsigned long code)
{
    char text[5] = {};
    EncodeUtf8(code, text);
    int cells;
    Utf8.Step(text, &cells);
    return cells;
}

std::string Encoded(unsigned long code)
{
    char bytes[4];
    return std::string(bytes, static_cast<size_t>(EncodeUtf8(code, bytes)));
}

TEST(Utf8Rule, CharactersTakeTheCellsTheyTakeInShiftJis)
{
    EXPECT_EQ(CellsOf('A'), 1);
    EXPECT_EQ(CellsOf(0xFF71), 1) << "ｱ, half-width in Shift-JIS";
    EXPECT_EQ(CellsOf(0x3042), 2) << "あ";
    EXPECT_EQ(CellsOf(0x00A7), 2) << "§, two bytes in code page 932";
    EXPECT_EQ(CellsOf(0x0414), 2) << "Д, two bytes in code page 932";
    EXPECT_EQ(CellsOf(0x2460), 2) << "①, an NEC extension";
    EXPECT_EQ(CellsOf(0x7E8A), 2) << "a kanji only the IBM extensions have";
    EXPECT_EQ(CellsOf(0xFF5E), 2) << "～, code page 932's full-width tilde";
}

TEST(Utf8Rule, CharactersShiftJisLacksTakeTheirEastAsianWidth)
{
    EXPECT_EQ(CellsOf(0x20BB7), 2) << "U+20BB7 (a kanji beyond the BMP), W";
    EXPECT_EQ(CellsOf(0x1F600), 2) << "U+1F600 (a face), W";
    EXPECT_EQ(CellsOf(0xAC00), 2) << "U+AC00 (Hangul), W";
    EXPECT_EQ(CellsOf(0x00E9), 2) << "U+00E9 (e acute), A";
    EXPECT_EQ(CellsOf(0x2016), 2) << "U+2016 (double vertical line), A: code page 932 has U+2225 instead";
    EXPECT_EQ(CellsOf(0x00A5), 1) << "U+00A5 (yen sign), Na: code page 932's 0x5C is the backslash";
    EXPECT_EQ(CellsOf(0x00A2), 1) << "U+00A2 (cent sign), Na: code page 932 has only the full-width one";
    EXPECT_EQ(CellsOf(0x0E01), 1) << "a Thai letter, N";
    EXPECT_EQ(CellsOf(0x2FFF0), 2) << "unassigned in plane 2, W by default";
    EXPECT_EQ(CellsOf(0x0085), 1) << "a C1 control";
}

TEST(Utf8Rule, CombiningMarksJoinTheCharacterBeforeThem)
{
    // か and the combining voiced sound mark: が in two code points, one step of two cells.
    EXPECT_EQ(Characters("\xe3\x81\x8b\xe3\x82\x99"), (std::vector<std::string>{"6:2"}));
    // An ideograph and a combining enclosing circle (U+20DD), then an ideograph, which no mark is.
    EXPECT_EQ(Characters("\xe6\xbc\xa2\xe2\x83\x9d\xe5\xad\x97"), (std::vector<std::string>{"6:2", "3:2"}));
    // e, a combining acute and a combining dot below, then x.
    EXPECT_EQ(Characters("e\xcc\x81\xcc\xa3x"), (std::vector<std::string>{"5:1", "1:1"}));
    // A heart with variation selector 16 keeps the heart's cells; a zero width joiner joins too,
    // but not what follows it.
    EXPECT_EQ(Characters("\xe2\x9d\xa4\xef\xb8\x8f"), (std::vector<std::string>{"6:1"}));
    EXPECT_EQ(Characters("\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9"), (std::vector<std::string>{"7:2", "4:2"}));
    // A mark at the start, after a tab or after a byte of no character stands as a base, and
    // the marks after it join it.
    EXPECT_EQ(Characters("\xcc\x81\xcc\x81"), (std::vector<std::string>{"4:2"}));
    EXPECT_EQ(Characters("\t\xcc\x81"), (std::vector<std::string>{"1:1", "2:2"}));
    EXPECT_EQ(Characters("\xff\xcc\x81"), (std::vector<std::string>{"1:1", "2:2"}));
    const char* ga = "\xe3\x81\x8b\xe3\x82\x99";
    EXPECT_EQ(Utf8.stepBack(ga, 6), 0);
    EXPECT_FALSE(Utf8.isBoundary(ga, 6, 3));
    EXPECT_TRUE(Utf8.isValid(ga, 6));
    EXPECT_FALSE(Utf8.isValid("\t\xcc\x81", 3)) << "marks do not join a tab";
}

TEST(Utf8Rule, EveryByteOfAMalformedSequenceIsACharacterOfItsOwn)
{
    EXPECT_EQ(Characters("\xc0\x80"), (std::vector<std::string>{"1:1", "1:1"})) << "overlong";
    EXPECT_EQ(Characters("\xe0\x9f\xbf"), (std::vector<std::string>{"1:1", "1:1", "1:1"})) << "overlong";
    EXPECT_EQ(Characters("\xf0\x8f\xbf\xbf"), (std::vector<std::string>{"1:1", "1:1", "1:1", "1:1"})) << "overlong";
    EXPECT_EQ(Characters("\xe3\x81"), (std::vector<std::string>{"1:1", "1:1"})) << "cut short";
    EXPECT_EQ(Characters("\xf4\x90\x80\x80"), (std::vector<std::string>{"1:1", "1:1", "1:1", "1:1"}))
        << "past U+10FFFF";
    EXPECT_EQ(Characters("\xe3\x81\x8b\x81"), (std::vector<std::string>{"3:2", "1:1"}));
    EXPECT_FALSE(Utf8.isValid("\x80", 1));
    int bytes;
    EXPECT_EQ(Utf8.decode("\xc0\x80", &bytes), NoCodePoint);
    EXPECT_EQ(bytes, 1);
}

TEST(Utf8Rule, ALoneSurrogateIsOneCharacterOfOneCellShownAsAMark)
{
    EXPECT_EQ(Characters("\xed\xa0\x80\xcc\x81"), (std::vector<std::string>{"3:1", "2:2"}));
    EXPECT_FALSE(Utf8.isValid("\xed\xa0\x80", 3));
    int bytes;
    EXPECT_EQ(Utf8.decode("\xed\xb0\x80", &bytes), 0xDC00);
    EXPECT_EQ(bytes, 3);
    EXPECT_EQ(Encoded(0xDC00), "\xed\xb0\x80");
}

TEST(Utf8Rule, EncodingAndDecodingRoundTripEveryCodePoint)
{
    for (unsigned long code = 0; code < 0x110000; ++code) {
        std::string bytes = Encoded(code);
        int taken;
        ASSERT_EQ(Utf8.decode(bytes.c_str(), &taken), static_cast<long>(code));
        ASSERT_EQ(taken, static_cast<int>(bytes.size()));
    }
    char out[4];
    EXPECT_EQ(EncodeUtf8(0x110000, out), 0);
    EXPECT_EQ(Encoded(0x10FFFF), "\xf4\x8f\xbf\xbf");
}

// A well-formed sequence of count bytes at at: the encoding of the code point its bits spell.
bool IsWellFormed(const std::string& text, size_t at, size_t count)
{
    static const unsigned char leadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    static const unsigned char leadMasks[] = {0, 0, 0xE0, 0xF0, 0xF8};
    if (at + count > text.size())
        return false;
    unsigned char lead = static_cast<unsigned char>(text[at]);
    if ((lead & leadMasks[count]) != leadMarks[count])
        return false;
    unsigned long code = lead & static_cast<unsigned char>(~leadMasks[count]);
    for (size_t i = 1; i < count; ++i)
        code = code << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return Encoded(code) == text.substr(at, count);
}

TEST(Utf8Rule, SteppingNeverStopsInsideAWellFormedSequence)
{
    const std::string bytes = "a\x80\x81\xbf\xa0\x8f\x90\xc2\xc3\xcc\xdf\xe0\xe3\xed\xef\xf0\xf4\xf5\xff";
    std::mt19937 random(3);
    std::uniform_int_distribution<size_t> pick(0, bytes.size() - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int i = 0; i < 60; ++i)
            text += bytes[pick(random)];
        for (size_t pos = 0; pos < text.size();) {
            int cells;
            pos += static_cast<size_t>(Utf8.Step(text.c_str() + pos, &cells));
            for (size_t count = 2; count <= 4; ++count) {
                for (size_t start = pos >= count ? pos - count + 1 : 0; start < pos; ++start)
                    ASSERT_FALSE(IsWellFormed(text, start, count)) << "stopped at " << pos;
            }
        }
    }
}

} // namespace

// A run of characters is what stepping one at a time gives: the same characters, stopped by the
// same byte limit, room, tab or terminator, whatever the bytes.
TEST(Utf8Rule, ARunTakesTheCharactersThatSteppingWouldTake)
{
    const std::vector<std::string> pieces = {"a", "\t", "\xe6\xbc\xa2", "\xe3\x81\x8b", "\xe3\x82\x99", "\xcc\x81",
                                             "\xe2\x83\x9d", "\xed\xa0\x80", "\xe0\x80", "\xff", "\xf0\x9f\x98\x80",
                                             "\xef\xbd\xb1", "\xc3\xa9", "\x80", "\xe3\x82\x8a", "\xe3\x83\x8b",
                                             "\xe3\x80\x82", "\xef\xb8\x8f", "\xe3"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % pieces.size()];
        int limit = static_cast<int>(random() % (text.size() + 2));
        long long room = static_cast<long long>(random() % 40) - 1;
        ASSERT_EQ(RunOfRule(Utf8, text.c_str(), limit, room), RunBySteps(Utf8, text.c_str(), limit, room))
            << "round " << round << ", limit " << limit << ", room " << room;
    }
}

// Every three-byte character, before each kind of character that may follow it, runs as it
// steps: the cells of the whole plane, and a mark found or passed over by its block.
TEST(Utf8Rule, EveryThreeByteCharacterRunsAsItSteps)
{
    const std::vector<std::string> followers = {"", "a", "\xcc\x81", "\xe3\x82\x99", "\xe3\x82\x8a", "\xe6\xbc\xa2",
                                                "\xe0\x80\x80", "\xed\xa0\x80", "\xe3\x82", "\xf0\x9f\x98\x80"};
    for (unsigned long code = 0x800; code < 0x10000; ++code) {
        std::string character = Encoded(code);
        for (const std::string& follower : followers) {
            std::string text = character + follower + "\t";
            int size = static_cast<int>(text.size());
            ASSERT_EQ(RunOfRule(Utf8, text.c_str(), size, 1000), RunBySteps(Utf8, text.c_str(), size, 1000))
                << std::hex << code << " before " << follower.size() << " bytes";
        }
    }
}

// Whatever three-byte character follows an ASCII letter or a kanji, the run joins it to them
// exactly when stepping does: a mark is found by its own code point, not only by its block.
TEST(Utf8Rule, EveryThreeByteFollowerJoinsInARunAsInAStep)
{
    for (const char* base : {"a", "\xe6\xbc\xa2", "\xe3\x81\x8b"}) {
        for (unsigned long code = 0x800; code < 0x10000; ++code) {
            std::string text = std::string(base) + Encoded(code) + "\t";
            int size = static_cast<int>(text.size());
            ASSERT_EQ(RunOfRule(Utf8, text.c_str(), size, 1000), RunBySteps(Utf8, text.c_str(), size, 1000))
                << std::hex << code << " after " << std::strlen(base) << " bytes";
        }
    }
}
