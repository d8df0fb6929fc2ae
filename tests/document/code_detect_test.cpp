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
