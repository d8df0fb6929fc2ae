#include "document/code_detect.h"
#include "tests/document/code_samples.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The code found when the bytes come whole, and when they come in pieces of every size from one
// byte up: the pieces never change the answer.
TextCode Detect(const std::string& text, TextCode fallback = CodeShiftJis)
{
    TextCode whole = DetectCode(text.data(), text.size(), fallback);
    for (size_t piece = 1; piece <= 17 && piece < text.size(); piece += 4) {
        CodeDetector detector;
        for (size_t at = 0; at < text.size(); at += piece)
            detector.Feed(text.data() + at, std::min(piece, text.size() - at));
        EXPECT_EQ(whole, detector.Result(fallback)) << "in pieces of " << piece;
    }
    return whole;
}

std::string Repeat(const std::string& s, size_t bytes)
{
    std::string out;
    while (out.size() < bytes)
        out += s;
    return out;
}

// Lines of ASCII to about size bytes, ended by CR LF.
std::string AsciiLines(size_t size)
{
    return Repeat("The quick brown fox jumps over the lazy dog, 0123456789.\r\n", size);
}

// A detector told the size, fed as a file is read: in pieces, each pass from the first byte, until
// a pass wants no more. passes says how many there were.
TextCode DetectInPasses(const std::string& text, size_t piece, int* passes, TextCode fallback = CodeShiftJis)
{
    CodeDetector detector(text.size());
    *passes = 0;
    do {
        ++*passes;
        for (size_t at = 0; at < text.size(); at += piece) {
            if (!detector.Feed(text.data() + at, std::min(piece, text.size() - at)))
                break;
        }
    } while (detector.Again());
    return detector.Result(fallback);
}

TEST(CodeDetectTest, AMarkEndsTheReadingAtOnce)
{
    std::string rest = Repeat(ProseShiftJis + std::string(7, '\0'), 20000);
    const struct {
        std::string mark;
        TextCode code;
    } marks[] = {{"\xef\xbb\xbf", CodeUtf8Bom}, {"\xff\xfe", CodeUtf16Le}, {"\xfe\xff", CodeUtf16Be}};
    for (const auto& m : marks) {
        std::string text = m.mark + rest;
        CodeDetector detector(text.size());
        EXPECT_FALSE(detector.Feed(text.data(), m.mark.size())) << TextCodeName(m.code);
        EXPECT_FALSE(detector.Again());
        EXPECT_EQ(m.code, detector.Result(CodeShiftJis));
        EXPECT_EQ(m.code, Detect(text));
    }
    // Two bytes of a UTF-8 mark decide nothing yet.
    std::string text = "\xef\xbb" + rest;
    CodeDetector detector(text.size());
    EXPECT_TRUE(detector.Feed(text.data(), 2));
}

// The code the detector finds without a size, in one pass over everything.
TextCode DetectInOnePass(const std::string& text)
{
    CodeDetector detector;
    detector.Feed(text.data(), text.size());
    return detector.Result(CodeShiftJis);
}

// The stray bytes and a megabyte and a half of ASCII before them, so that the first pass no longer
// scores Shift-JIS and EUC-JP when it meets them; then UTF-8 prose to size bytes.
std::string StraysAfterAscii(size_t strays, size_t size)
{
    std::string text = AsciiLines(1536 * 1024) + std::string(strays, '\x82') + Repeat(ProseUtf8, 64 * 1024);
    return text + std::string(size - text.size(), 'a');
}

TEST(CodeDetectTest, Utf8IsGivenUpEarlyOnlyOnceItsStrayBytesAreAThousandthOfTheWhole)
{
    // A hundred stray bytes come first, so a detector that gave up on UTF-8 before they were a
    // thousandth of the whole would miss the UTF-8 after them; at a thousandth, Shift-JIS and
    // EUC-JP scored from the first byte decide in the same pass.
    const size_t Strays = 100;
    std::string utf8 = std::string(Strays, '\x82') + Repeat(ProseUtf8, Strays * 900);
    std::string under = utf8 + std::string(Strays * 1000 + 1 - utf8.size(), 'a');
    std::string at = under.substr(0, under.size() - 1);
    EXPECT_NE(CodeUtf8, DetectInOnePass(at));
    // Later in a large file the first pass scores UTF-8 alone, and only losing it there brings a
    // second pass over the whole.
    const size_t LateStrays = 1700;
    std::string lateUnder = StraysAfterAscii(LateStrays, LateStrays * 1000 + 1);
    std::string lateAt = StraysAfterAscii(LateStrays, LateStrays * 1000);
    EXPECT_NE(CodeUtf8, DetectInOnePass(lateAt));
    for (size_t piece : {size_t(999), size_t(64 * 1024), size_t(1 << 20)}) {
        SCOPED_TRACE(piece);
        int passes = 0;
        EXPECT_EQ(CodeUtf8, DetectInPasses(under, piece, &passes));
        EXPECT_EQ(1, passes);
        EXPECT_EQ(DetectInOnePass(at), DetectInPasses(at, piece, &passes));
        EXPECT_EQ(1, passes);
        EXPECT_EQ(CodeUtf8, DetectInPasses(lateUnder, piece, &passes));
        EXPECT_EQ(1, passes);
        EXPECT_EQ(DetectInOnePass(lateAt), DetectInPasses(lateAt, piece, &passes));
        EXPECT_EQ(2, passes);
    }
    // Japanese text gives UTF-8 up within its first pieces and is read once.
    int passes = 0;
    EXPECT_EQ(CodeShiftJis, DetectInPasses(Repeat(ProseShiftJis, 4 << 20), 64 * 1024, &passes));
    EXPECT_EQ(1, passes);
    EXPECT_EQ(CodeEucJp, DetectInPasses(AsciiLines(400 * 1024) + ProseEucJp, 64 * 1024, &passes));
    EXPECT_EQ(1, passes);
    EXPECT_EQ(CodeEucJp, DetectInPasses(AsciiLines(1536 * 1024) + ProseEucJp, 64 * 1024, &passes));
    EXPECT_EQ(2, passes);
}

TEST(CodeDetectTest, ZeroBytesAreCountedOnceWhenUtf8IsGivenUpInASecondPass)
{
    // Zero bytes at odd offsets first, beyond the stretch where the first pass scores Shift-JIS,
    // then Shift-JIS that gives UTF-8 up: UTF-16LE exactly while the zero bytes are a quarter of
    // the units, which counting them in both passes would change.
    const size_t Zeros = 640 * 1024;
    std::string zeros = Repeat(std::string("a\0", 2), 2 * Zeros);
    std::string japanese = Repeat(ProseShiftJis, 6 * Zeros + 200);
    std::string quarter = zeros + japanese.substr(0, 6 * Zeros);
    std::string under = zeros + japanese.substr(0, 6 * Zeros + 2);
    int passes = 0;
    EXPECT_EQ(CodeUtf16Le, DetectInPasses(quarter, 1 << 20, &passes));
    EXPECT_EQ(CodeShiftJis, DetectInPasses(under, 1 << 20, &passes));
    EXPECT_EQ(2, passes);
    EXPECT_EQ(CodeShiftJis, DetectInOnePass(under));
}

TEST(CodeDetectTest, ProseIsFoundInItsCode)
{
    const struct {
        std::string text;
        TextCode code;
    } cases[] = {
        {ProseShiftJis, CodeShiftJis},
        {ProseEucJp, CodeEucJp},
        {ProseUtf8, CodeUtf8},
        {"\xef\xbb\xbf" + ProseUtf8, CodeUtf8Bom},
        {"\xff\xfe" + ProseUtf16Le, CodeUtf16Le},
        {"\xfe\xff" + ProseUtf16Be, CodeUtf16Be},
        {ProseJis, CodeJis},
        {ProseEucJp + KanaSupplementEucJp, CodeEucJp},
        {KanaSupplementJis, CodeJis},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.code, Detect(c.text, CodeShiftJis)) << TextCodeName(c.code);
        EXPECT_EQ(c.code, Detect(c.text, CodeEucJp)) << TextCodeName(c.code);
    }
}

TEST(CodeDetectTest, ValidUtf8WinsOverValidShiftJis)
{
    // ちわ\ is three Shift-JIS characters as well.
    EXPECT_EQ(CodeUtf8, Detect("\xe3\x81\xa1\xe3\x82\x8f\x5c"));
}

TEST(CodeDetectTest, OneJapaneseLineAtTheEndOfMuchAsciiDecides)
{
    std::string ascii = AsciiLines(400 * 1024);
    EXPECT_EQ(CodeShiftJis, Detect(ascii + ProseShiftJis));
    EXPECT_EQ(CodeEucJp, Detect(ascii + ProseEucJp));
    EXPECT_EQ(CodeUtf8, Detect(ascii + ProseUtf8, CodeEucJp));
    EXPECT_EQ(CodeJis, Detect(ascii + ProseJis));
    // Shift-JIS half-width katakana, which pair up as UTF-8 now and then, are not UTF-8.
    EXPECT_EQ(CodeShiftJis, Detect(ascii + "\xc3\xa9\xb2\xd3\xbc\xde\xac\xb6\xde\xb2\xd3\r\n"));
}

TEST(CodeDetectTest, Utf8KeepsAFewStrayBytes)
{
    // One stray byte in about 1,500, and three.
    std::string ascii = AsciiLines(1300);
    std::string under = Repeat(ProseUtf8 + "stray \x82 byte" + ascii, 100 * 1024);
    std::string over = Repeat(ProseUtf8 + "stray \x82\xa0 bytes \xff" + ascii, 100 * 1024);
    size_t strays = under.size() / (ProseUtf8.size() + 12 + ascii.size());
    ASSERT_LT(strays * 1000, under.size());
    ASSERT_GT(3 * strays * 1000, over.size());
    EXPECT_EQ(CodeUtf8, Detect(under));
    EXPECT_NE(CodeUtf8, Detect(over));
}

TEST(CodeDetectTest, ShiftJisAgainstEucJpGoesByErrorsThenByKana)
{
    // EUC-JP reads as valid Shift-JIS half-width katakana; its hiragana decide.
    EXPECT_EQ(CodeEucJp, Detect(ProseEucJp, CodeShiftJis));
    // A byte EUC-JP has no place for outweighs a line of kana, but not a file of them.
    std::string line = ProseEucJp.substr(0, 30) + "\x85" + ProseEucJp.substr(30);
    EXPECT_EQ(CodeShiftJis, Detect(line, CodeEucJp));
    EXPECT_EQ(CodeEucJp, Detect(Repeat(ProseEucJp, 20000) + line, CodeShiftJis));
    // Bytes both read alike leave it to the caller's choice.
    EXPECT_EQ(CodeEucJp, Detect("\xe0\xa1\xe0\xa1", CodeEucJp));
    EXPECT_EQ(CodeShiftJis, Detect("\xe0\xa1\xe0\xa1", CodeUtf8));
}

TEST(CodeDetectTest, TextWithoutHighBytesTakesTheCallersCode)
{
    EXPECT_EQ(CodeShiftJis, Detect("", CodeShiftJis));
    EXPECT_EQ(CodeEucJp, Detect("", CodeEucJp));
    EXPECT_EQ(CodeUtf8, Detect(AsciiLines(5000), CodeUtf8));
    EXPECT_EQ(CodeShiftJis, Detect("mixed\rline\nends\r\nhere\n\r"));
    // An ESC that starts no JIS designation does not make JIS.
    EXPECT_EQ(CodeEucJp, Detect("\x1b[1mbold\x1b[0m \x1b(B", CodeEucJp));
    // A JIS designation among bytes over 7F does not either.
    EXPECT_EQ(CodeShiftJis, Detect(ProseShiftJis + "\x1b$B"));
}

TEST(CodeDetectTest, MarksAndOddEndsDecide)
{
    EXPECT_EQ(CodeUtf8Bom, Detect("\xef\xbb\xbf"));
    EXPECT_EQ(CodeUtf16Le, Detect("\xff\xfe"));
    EXPECT_EQ(CodeUtf16Be, Detect("\xfe\xff"));
    EXPECT_EQ(CodeUtf16Le, Detect("\xff\xfe" + ProseUtf16Le.substr(0, 41)));
    EXPECT_EQ(CodeJis, Detect("abc\x1b$B0!"));
    EXPECT_EQ(CodeJis, Detect("\x1b$(D0!"));
    EXPECT_EQ(CodeUtf8, Detect("mixed\rline\n\xe3\x81\x82\r\nends\n\r"));
    EXPECT_EQ(CodeShiftJis, Detect("mixed\rline\n\x82\xa0\r\nends\n\r", CodeUtf8));
}

TEST(CodeDetectTest, Utf16WithoutAMarkOnlyWhenMostlyAscii)
{
    std::string ascii = AsciiLines(2000);
    std::string le, be;
    for (char c : ascii) {
        le += {c, '\0'};
        be += {'\0', c};
    }
    EXPECT_EQ(CodeUtf16Le, Detect(le));
    EXPECT_EQ(CodeUtf16Be, Detect(be));
    // Japanese UTF-16 has too few zero bytes to tell without its mark.
    EXPECT_NE(CodeUtf16Le, Detect(ProseUtf16Le));
    // A zero byte here and there is no UTF-16.
    EXPECT_EQ(CodeShiftJis, Detect(ascii + std::string(3, '\0') + ascii));
}

}
