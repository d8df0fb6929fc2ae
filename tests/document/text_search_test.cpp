#include "document/text_search.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/document/text_search_reference.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Lines;

const char A[] = "\x83\x41";      // katakana a: its trail byte is "A"
const char Hyou[] = "\x95\x5c";   // its trail byte is a backslash
const char Ai[] = "\x88\x9f";     // a kanji whose both bytes are lead bytes
const char Kanji[] = "\x8a\xbf\x8e\x9a";  // "kanji", two kanji
const char Wo[] = "\x82\xf0";     // hiragana wo
const char Hen[] = "\x95\xcf";    // a kanji

SearchPattern Pattern(const std::string& bytes, bool matchCase = true, bool wholeWord = false)
{
    SearchPattern pattern = {bytes.data(), static_cast<int>(bytes.size()), matchCase, wholeWord};
    return pattern;
}

// Every start of a match in the line, found forwards from each one after the last.
std::vector<int> Starts(const std::string& line, const std::string& pattern, bool matchCase = true,
                        bool wholeWord = false)
{
    std::vector<int> starts;
    SearchPattern p = Pattern(pattern, matchCase, wholeWord);
    int length = static_cast<int>(line.size());
    for (int at = FindInLine(p, line.c_str(), length, 0, length, true); at >= 0;
         at = FindInLine(p, line.c_str(), length, at + 1, length, true))
        starts.push_back(at);
    return starts;
}

std::vector<int> BackwardStarts(const std::string& line, const std::string& pattern, bool matchCase = true)
{
    std::vector<int> starts;
    SearchPattern p = Pattern(pattern, matchCase);
    int length = static_cast<int>(line.size());
    for (int at = FindInLine(p, line.c_str(), length, 0, length, false); at >= 0;
         at = FindInLine(p, line.c_str(), length, 0, at - 1, false))
        starts.insert(starts.begin(), at);
    return starts;
}

class TextSearch : public ::testing::Test {
protected:
    void SetUp() override { ResetEditor(); }
    void TearDown() override { ResetEditor(); }

    void Document(const Lines& lines)
    {
        DestroyLines(View.firstLine);
        View.firstLine = View.caret.line = View.topLine = MakeLines(lines);
    }

    TextPlace Place(int line, int pos)
    {
        TextPlace place = {LineAt(View.firstLine, line), line, pos};
        return place;
    }

    // "line:start-end", with a "+" when the search went round, or "none".
    std::string Found(const std::string& pattern, int line, int pos, bool forward, bool wrap = true,
                      bool matchCase = true, bool wholeWord = false)
    {
        TextMatch match;
        if (!FindMatch(Pattern(pattern, matchCase, wholeWord), Place(line, pos), forward, wrap, &match))
            return "none";
        EXPECT_EQ(match.start.line, match.end.line);
        EXPECT_EQ(match.start.line, LineAt(View.firstLine, match.start.lineIndex));
        return std::to_string(match.start.lineIndex) + ":" + std::to_string(match.start.pos) + "-" +
               std::to_string(match.end.pos) + (match.wrapped ? "+" : "");
    }
};

}

TEST(TextSearchLine, NoByteOfThePatternIsMatchedAgainstHalfACharacter)
{
    // "A" and a backslash are the second bytes of these characters, not characters of the line.
    EXPECT_EQ(Starts(std::string(A) + "A", "A"), std::vector<int>({2}));
    EXPECT_EQ(Starts(std::string(Hyou) + "\\" + Hyou, "\\"), std::vector<int>({2}));
    EXPECT_EQ(BackwardStarts(std::string(Hyou) + "\\" + Hyou, "\\"), std::vector<int>({2}));
    // A pattern that straddles two characters is found nowhere, nor one that starts on a trail.
    EXPECT_TRUE(Starts(std::string(A) + A, "\x41\x83").empty());
    EXPECT_TRUE(Starts(std::string(A) + "x", "Ax").empty());
    // Characters of two lead bytes: only every other byte starts one, however long the run.
    std::string run;
    for (int i = 0; i < 5; ++i)
        run += Ai;
    EXPECT_EQ(Starts(run, std::string(Ai) + Ai), std::vector<int>({0, 2, 4, 6}));
    EXPECT_EQ(BackwardStarts(run, std::string(Ai) + Ai), std::vector<int>({0, 2, 4, 6}));
    EXPECT_TRUE(Starts(run, "\x9f\x88").empty());
    EXPECT_TRUE(BackwardStarts("x" + run, "\x9f\x88").empty());
}

TEST(TextSearchLine, ALoneLeadByteAtThePatternsEndMatchesOnlyAtTheLinesEnd)
{
    EXPECT_TRUE(Starts(std::string("x") + Ai, "x\x88").empty());
    EXPECT_EQ(Starts("x\x88", "x\x88"), std::vector<int>({0}));
    EXPECT_EQ(Starts(std::string(Ai) + "\x88", "\x88"), std::vector<int>({2}));
}

TEST(TextSearchLine, CaseIsFoldedOnlyForLettersThatAreWholeCharacters)
{
    EXPECT_EQ(Starts("abc ABC aBc", "AbC", false), std::vector<int>({0, 4, 8}));
    EXPECT_EQ(Starts("abc ABC aBc", "AbC", true), std::vector<int>());
    EXPECT_EQ(BackwardStarts("abc ABC aBc", "abc", false), std::vector<int>({0, 4, 8}));
    // The trail byte 0x41 of katakana a is no "A": neither "a" finds it nor is it folded, so the
    // katakana is found as itself and not where its second byte would be 0x61.
    EXPECT_TRUE(Starts(A, "a", false).empty());
    EXPECT_EQ(Starts(std::string(A) + "\x83\x61" + A, A, false), std::vector<int>({0, 4}));
    EXPECT_EQ(Starts(std::string("\x83\x61") + "A", "\x83\x41", false), std::vector<int>());
    // Letters around double-byte characters fold, the characters themselves do not.
    EXPECT_EQ(Starts(std::string("X") + A + "y", std::string("x") + A + "Y", false), std::vector<int>({0}));
}

TEST(TextSearchLine, WholeWordsEndWhereTheWordClassChanges)
{
    EXPECT_EQ(Starts("word words sword word_ (word)", "word", true, true), std::vector<int>({0, 24}));
    EXPECT_EQ(Starts(std::string(Kanji) + Wo + Kanji + Hen, Kanji, true, true), std::vector<int>({0}));
    // Blanks and symbols make words of their own too.
    EXPECT_EQ(Starts("a  b c", " ", true, true), std::vector<int>({4}));
    // A word after a character of two lead bytes is told by that character's class.
    EXPECT_EQ(Starts(std::string(Ai) + Kanji + " " + Kanji, Kanji, true, true), std::vector<int>({7}));
}

TEST_F(TextSearch, FindsForwardsAndBackwardsAcrossLinesAndWrapsOnce)
{
    Document({"one two", "", "two three", "four two"});
    EXPECT_EQ(Found("two", 0, 0, true), "0:4-7");
    EXPECT_EQ(Found("two", 0, 5, true), "2:0-3");
    EXPECT_EQ(Found("two", 2, 0, true), "2:0-3");
    EXPECT_EQ(Found("two", 2, 1, true), "3:5-8");
    EXPECT_EQ(Found("two", 3, 6, true), "0:4-7+");
    EXPECT_EQ(Found("two", 3, 6, true, false), "none");
    // Backwards a match must end at or before the place.
    EXPECT_EQ(Found("two", 3, 8, false), "3:5-8");
    EXPECT_EQ(Found("two", 3, 7, false), "2:0-3");
    EXPECT_EQ(Found("two", 0, 6, false), "3:5-8+");
    EXPECT_EQ(Found("two", 0, 6, false, false), "none");
    // The way round covers a match that the place cuts through.
    Document({"abcdef"});
    EXPECT_EQ(Found("cde", 0, 3, true), "0:2-5+");
    EXPECT_EQ(Found("cde", 0, 3, false), "0:2-5+");
    EXPECT_EQ(Found("xyz", 0, 3, true), "none");
    EXPECT_EQ(Found("", 0, 0, true), "none");
}

TEST_F(TextSearch, AMatchIsKnownWhereItStands)
{
    Document({std::string("ab") + A + "AB"});
    TextMatch match = {Place(0, 4), Place(0, 6), false};
    EXPECT_TRUE(IsMatchAt(Pattern("ab", false), match.start, match.end));
    EXPECT_FALSE(IsMatchAt(Pattern("ab", true), match.start, match.end));
    EXPECT_FALSE(IsMatchAt(Pattern("AB", true), Place(0, 3), Place(0, 5)));
    EXPECT_FALSE(IsMatchAt(Pattern("AB", true), Place(0, 4), Place(0, 5)));
    EXPECT_TRUE(IsMatchAt(Pattern(A, true), Place(0, 2), Place(0, 4)));
}

// A line made of characters of two lead bytes, the pattern's first byte in every place: each check
// is near the last one, so the search stays linear; the answers must still be right at its ends.
TEST_F(TextSearch, ALongRunOfLeadBytesIsSearchedBothWays)
{
    std::string line;
    for (int i = 0; i < 100000; ++i)
        line += Ai;
    Document({line + "x" + Ai + "y", line});
    EXPECT_EQ(Found(std::string(Ai) + "y", 0, 0, true), "0:200001-200004");
    EXPECT_EQ(Found("\x9f" "x", 0, 0, true), "none");
    EXPECT_EQ(Found(std::string(Ai) + Ai, 1, 200000, false), "1:199996-200000");
    EXPECT_EQ(Found(std::string("x") + Ai, 1, 200000, false), "0:200000-200003");
    // Its bytes are in the line at every odd place, none of which is a boundary.
    EXPECT_EQ(Found("\x9f\x88\x9f", 1, 200000, false), "none");
    EXPECT_EQ(Found("\x9f\x88\x9f", 0, 0, true), "none");
}

namespace {

std::string RandomCharacter(std::mt19937& random)
{
    // Characters that make the hard cases: letters of both cases, the same letters as trail bytes,
    // a backslash trail, kanji whose trail byte is a lead byte, word classes side by side.
    static const char* const chosen[] = {"a", "A", "b", "B", " ", "_", "\\", "\x83\x41", "\x83\x61", "\x95\x5c",
                                         "\x88\x9f", "\x9f\x9f", "\xe0\x81", "\xb1", "\x82\xa0", "\x82\x60",
                                         "\x81\x40", "1", "\t", "\x8a\xbf"};
    const size_t count = sizeof chosen / sizeof chosen[0];
    if (random() % 4 != 0)
        return chosen[random() % count];
    if (random() % 2 == 0) {
        // A single byte of any kind that is neither a lead byte nor a terminator.
        static const unsigned char singles[] = {0x20, 0x41, 0x5a, 0x61, 0x7a, 0x7e, 0x80, 0xa0, 0xa1, 0xdf, 0xfd, 0xff};
        return std::string(1, static_cast<char>(singles[random() % sizeof singles]));
    }
    unsigned lead = random() % 2 == 0 ? 0x81 + random() % 31 : 0xe0 + random() % 29;
    unsigned trail = random() % 2 == 0 ? 0x40 + random() % 63 : 0x80 + random() % 125;
    return std::string({static_cast<char>(lead), static_cast<char>(trail)});
}

std::string RandomLine(std::mt19937& random)
{
    std::string line;
    int characters = static_cast<int>(random() % 24);
    for (int i = 0; i < characters; ++i)
        line += RandomCharacter(random);
    // Now and then a lead byte that ends the line alone.
    if (random() % 8 == 0)
        line += static_cast<char>(0x88);
    return line;
}

std::string RandomPattern(std::mt19937& random, const Lines& lines)
{
    std::string pattern;
    const std::string& source = lines[random() % lines.size()];
    if (random() % 3 != 0 && !source.empty()) {
        // Cut from the text at any byte, so it may start or end inside a character.
        size_t start = random() % source.size();
        pattern = source.substr(start, 1 + random() % 6);
    } else {
        int characters = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < characters; ++i)
            pattern += RandomCharacter(random);
    }
    // Swap the case of ASCII letter bytes, trail bytes among them.
    for (char& b : pattern)
        if (((b | 0x20) >= 'a' && (b | 0x20) <= 'z') && random() % 3 == 0)
            b = static_cast<char>(b ^ 0x20);
    return pattern;
}

}

TEST_F(TextSearch, RandomShiftJisTextIsSearchedAsItsCharactersSay)
{
    std::mt19937 random(16);
    for (int round = 0; round < 3000; ++round) {
        Lines lines;
        int lineCount = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < lineCount; ++i)
            lines.push_back(RandomLine(random));
        Document(lines);
        std::string pattern = RandomPattern(random, lines);
        bool matchCase = random() % 2 == 0;
        bool wholeWord = random() % 3 == 0;
        SearchPattern p = Pattern(pattern, matchCase, wholeWord);
        std::vector<ReferenceMatch> matches = ReferenceMatches(lines, pattern, matchCase, wholeWord);
        int length = static_cast<int>(pattern.size());
        SCOPED_TRACE("round " + std::to_string(round));

        for (int i = 0; i < lineCount; ++i) {
            std::vector<int> expected = ReferenceLineMatches(lines[i], pattern, matchCase, wholeWord);
            ASSERT_EQ(Starts(lines[i], pattern, matchCase, wholeWord), expected) << "line " << i;
            for (int start : expected)
                ASSERT_TRUE(IsMatchAt(p, Place(i, start), Place(i, start + length)));
        }
        for (int tries = 0; tries < 6; ++tries) {
            int line = static_cast<int>(random() % lines.size());
            int pos = static_cast<int>(random() % (lines[line].size() + 1));
            bool forward = random() % 2 == 0;
            bool wrap = random() % 4 != 0;
            bool wrapped = false;
            int index = ReferenceFind(matches, length, line, pos, forward, wrap, &wrapped);
            std::string expected = "none";
            if (index >= 0)
                expected = std::to_string(matches[index].line) + ":" + std::to_string(matches[index].start) + "-" +
                           std::to_string(matches[index].start + length) + (wrapped ? "+" : "");
            ASSERT_EQ(Found(pattern, line, pos, forward, wrap, matchCase, wholeWord), expected)
                << "from " << line << ":" << pos << (forward ? " forwards" : " backwards");
        }
        if (!matches.empty()) {
            ReferenceMatch m = matches[random() % matches.size()];
            ASSERT_FALSE(IsMatchAt(p, Place(m.line, m.start), Place(m.line, m.start + length - 1)));
        }
    }
}

namespace {

// Pieces of UTF-8 and EUC-JP text that make the hard cases: characters whose inner bytes look like
// others (あ E3 81 82 holds 81 82; EUC-JP 漢 B4 C1 and the pair C1 B4 inside "漢漢"), marks that
// join the letter before them, half-width katakana (8E xx) and the supplement (8F xx yy), stray
// bytes.
std::string RandomPiece(std::mt19937& random, TextCode code)
{
    static const char* const utf8[] = {"a", "A", "e", "E", " ", "_", "1", "\xe3\x81\x82", "\xe3\x81\x84",
                                       "\xe6\xbc\xa2", "\xcc\x81", "\xe3\x82\x99", "\xef\xbd\xb1", "\xf0\xa0\xae\xb7",
                                       "\x81", "\x82", "\xe3", "\xff", "\xc3\xa9", "\t"};
    static const char* const euc[] = {"a", "A", "b", "B", " ", "_", "1", "\xa4\xa2", "\xa2\xa4", "\xb4\xc1",
                                      "\xc1\xb4", "\x8e\xb1", "\x8e", "\x8f\xb0\xa1", "\x8f", "\xa1", "\xb1",
                                      "\xa1\xa1", "\x80", "\t"};
    return code == CodeUtf8 ? utf8[random() % 20] : euc[random() % 20];
}

std::string Text(std::mt19937& random, TextCode code, int most)
{
    std::string text;
    int pieces = static_cast<int>(random() % static_cast<unsigned>(most + 1));
    for (int i = 0; i < pieces; ++i)
        text += RandomPiece(random, code);
    return text;
}

}

TEST_F(TextSearch, AUtf8PatternMatchesOnlyWholeCharacters)
{
    SetDocumentCode(CodeUtf8);
    // い is E3 81 84; "\x81\x84" would match inside it, and "\x84\xe3" across two characters.
    EXPECT_EQ(Starts("\xe3\x81\x84\xe3\x81\x84", "\x81\x84"), std::vector<int>());
    EXPECT_EQ(Starts("\xe3\x81\x84\xe3\x81\x84", "\x84\xe3"), std::vector<int>());
    EXPECT_EQ(Starts("\xe3\x81\x84\xe3\x81\x84", "\xe3\x81\x84"), std::vector<int>({0, 3}));
    // A letter with a combining mark is one character: "e" is not in "é" written so, "é" is.
    EXPECT_EQ(Starts("e\xcc\x81" "e", "e"), std::vector<int>({3}));
    EXPECT_EQ(Starts("e\xcc\x81" "e", "e\xcc\x81"), std::vector<int>({0}));
    // Folding stays with letters that are whole characters.
    EXPECT_EQ(Starts("E\xcc\x81" "E", "e\xcc\x81", false), std::vector<int>());
    EXPECT_EQ(Starts("E\xe3\x81\x84" "e", "e", false), std::vector<int>({0, 4}));
    // 𠮷 and a lone lead byte of it.
    EXPECT_EQ(Starts("x\xf0\xa0\xae\xb7\xf0", "\xf0"), std::vector<int>({5}));
    EXPECT_EQ(BackwardStarts("\xf0\xa0\xae\xb7" "a\xf0\xa0\xae\xb7", "\xf0\xa0\xae\xb7"), std::vector<int>({0, 5}));
    // Whole words by the classes of the characters around: kanji, then hiragana.
    EXPECT_EQ(Starts("\xe6\xbc\xa2\xe6\xbc\xa2\xe3\x81\x84", "\xe6\xbc\xa2", true, true), std::vector<int>());
    EXPECT_EQ(Starts("\xe6\xbc\xa2\xe6\xbc\xa2\xe3\x81\x84", "\xe6\xbc\xa2\xe6\xbc\xa2", true, true),
              std::vector<int>({0}));
}

TEST_F(TextSearch, AnEucJpPatternMatchesOnlyWholeCharacters)
{
    SetDocumentCode(CodeEucJp);
    // 漢 B4 C1 twice holds C1 B4 across the two.
    EXPECT_EQ(Starts("\xb4\xc1\xb4\xc1", "\xc1\xb4"), std::vector<int>());
    EXPECT_EQ(BackwardStarts("\xb4\xc1\xb4\xc1", "\xc1\xb4"), std::vector<int>());
    EXPECT_EQ(Starts("\xb4\xc1\xb4\xc1", "\xb4\xc1"), std::vector<int>({0, 2}));
    // After a half-width katakana (8E B1) the run pairs from the byte after it.
    EXPECT_EQ(Starts("\x8e\xb1\xb4\xc1", "\xb1\xb4"), std::vector<int>());
    EXPECT_EQ(Starts("\x8e\xb1\xb4\xc1", "\xb4\xc1"), std::vector<int>({2}));
    // The supplement's three bytes (8F B0 A1) hold a JIS X 0208 pair B0 A1 that is not there.
    EXPECT_EQ(Starts("\x8f\xb0\xa1\xb0\xa1", "\xb0\xa1"), std::vector<int>({3}));
    EXPECT_EQ(BackwardStarts("\x8f\xb0\xa1\xb0\xa1", "\xb0\xa1"), std::vector<int>({3}));
    // A lone single shift at the pattern's end would join what follows it in the line.
    EXPECT_EQ(Starts("a\x8e\xb1" "a\x8e", "a\x8e"), std::vector<int>({3}));
    EXPECT_EQ(Starts("Ab\xa4\xa2" "ab", "aB", false), std::vector<int>({0, 4}));
}

TEST_F(TextSearch, RandomUtf8AndEucJpTextIsSearchedAsItsCharactersSay)
{
    std::mt19937 random(62);
    for (TextCode code : {CodeUtf8, CodeEucJp}) {
        SetDocumentCode(code);
        const CharRule& rule = DocumentRule();
        for (int round = 0; round < 1500; ++round) {
            Lines lines;
            int lineCount = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < lineCount; ++i)
                lines.push_back(Text(random, code, 20));
            Document(lines);
            std::string pattern;
            const std::string& source = lines[random() % lines.size()];
            if (random() % 2 == 0 && !source.empty())
                pattern = source.substr(random() % source.size(), 1 + random() % 6);
            else
                pattern = Text(random, code, 3);
            for (char& b : pattern)
                if (((b | 0x20) >= 'a' && (b | 0x20) <= 'z') && random() % 3 == 0)
                    b = static_cast<char>(b ^ 0x20);
            bool matchCase = random() % 2 == 0;
            bool wholeWord = random() % 3 == 0;
            SCOPED_TRACE(std::to_string(code) + " round " + std::to_string(round));
            std::vector<ReferenceMatch> matches = ReferenceMatches(lines, pattern, matchCase, wholeWord, rule);
            for (int i = 0; i < lineCount; ++i)
                ASSERT_EQ(Starts(lines[i], pattern, matchCase, wholeWord),
                          ReferenceLineMatches(lines[i], pattern, matchCase, wholeWord, rule))
                    << "line " << i;
            int line = static_cast<int>(random() % lines.size());
            int pos = static_cast<int>(random() % (lines[line].size() + 1));
            bool forward = random() % 2 == 0;
            bool wrapped = false;
            int length = static_cast<int>(pattern.size());
            int index = ReferenceFind(matches, length, line, pos, forward, true, &wrapped);
            std::string expected = "none";
            if (index >= 0 && length > 0)
                expected = std::to_string(matches[index].line) + ":" + std::to_string(matches[index].start) + "-" +
                           std::to_string(matches[index].start + length) + (wrapped ? "+" : "");
            ASSERT_EQ(Found(pattern, line, pos, forward, true, matchCase, wholeWord), expected);
        }
    }
}

// Replace All's matches of a line, found in one walk along it, are those found one after another
// from the end of each: in every code, in lines of thousands of paired bytes where the matches
// stand near each other and far apart, and the walk must keep where characters start.
TEST_F(TextSearch, AllTheMatchesOfALineAreThoseFoundOneAfterAnother)
{
    std::mt19937 random(24);
    const char* const paired[] = {"\xa4\xa2", "\xb4\xc1", "\xc1\xb4", "\xa1\xa1"};
    for (TextCode code : {CodeShiftJis, CodeUtf8, CodeEucJp}) {
        SetDocumentCode(code);
        const CharRule& rule = DocumentRule();
        for (int round = 0; round < 120; ++round) {
            // Mostly paired bytes, now and then another piece; sparse or dense.
            int others = 2 + static_cast<int>(random() % 400);
            int pieces = static_cast<int>(random() % 4000);
            std::string line;
            for (int i = 0; i < pieces; ++i)
                line += random() % others == 0 ? RandomPiece(random, code) : paired[random() % (round % 2 ? 4 : 1)];
            std::string pattern = round % 3 == 0 ? RandomPiece(random, code) : paired[1 + random() % 3];
            bool matchCase = random() % 2 == 0;
            bool wholeWord = random() % 5 == 0;
            int first = line.empty() ? 0 : static_cast<int>(random() % line.size());
            int length = static_cast<int>(pattern.size());
            std::vector<int> expected;
            int next = first;
            for (int at : ReferenceLineMatches(line, pattern, matchCase, wholeWord, rule)) {
                if (at >= next) {
                    expected.push_back(at);
                    next = at + length;
                }
            }
            SearchPattern search = {pattern.c_str(), length, matchCase, wholeWord};
            std::vector<int> found = {-1};
            FindAllInLine(search, line.c_str(), static_cast<int>(line.size()), first, &found);
            ASSERT_EQ(found, expected) << code << " round " << round << ", " << line.size() << " bytes";
        }
    }
}
