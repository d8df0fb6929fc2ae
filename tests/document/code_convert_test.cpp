#include "document/code_convert.h"
#include "tests/document/code_samples.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

// The input cut at these places (those past its end left out), each piece fed on its own.
typedef std::vector<size_t> Cuts;

struct Decoded {
    std::string held;
    bool bom;
};

template <class Coder>
std::string Run(Coder& coder, const std::string& in, const Cuts& cuts)
{
    std::string out;
    size_t from = 0;
    std::vector<char> buffer;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        size_t to = i < cuts.size() && cuts[i] < in.size() ? cuts[i] : in.size();
        to = to < from ? from : to;
        buffer.resize(coder.MaxOutput(to - from));
        out.append(buffer.data(), coder.Feed(in.data() + from, to - from, buffer.data()));
        from = to;
    }
    buffer.resize(coder.MaxOutput(0));
    out.append(buffer.data(), coder.Finish(buffer.data()));
    return out;
}

Decoded Decode(TextCode code, const std::string& file, const Cuts& cuts = Cuts())
{
    TextDecoder decoder(code);
    std::string held = Run(decoder, file, cuts);
    return {held, decoder.HadBom()};
}

std::string Encode(TextCode code, const std::string& held, bool bom = true, const Cuts& cuts = Cuts())
{
    TextEncoder encoder(code, bom);
    return Run(encoder, held, cuts);
}

// Decoding and encoding again, with the byte order mark as it was.
std::string RoundTrip(TextCode code, const std::string& file, const Cuts& cuts = Cuts())
{
    Decoded d = Decode(code, file, cuts);
    return Encode(code, d.held, d.bom, cuts);
}

const std::string Utf16LeBom("\xff\xfe", 2);
const std::string Utf16BeBom("\xfe\xff", 2);

std::string Le(std::initializer_list<unsigned> units)
{
    std::string s;
    for (unsigned u : units)
        s += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return s;
}

TEST(CodeConvertTest, ProseConvertsToAndFromTheHeldCode)
{
    Decoded le = Decode(CodeUtf16Le, Utf16LeBom + ProseUtf16Le);
    EXPECT_EQ(ProseUtf8, le.held);
    EXPECT_TRUE(le.bom);
    EXPECT_EQ(Utf16LeBom + ProseUtf16Le, Encode(CodeUtf16Le, ProseUtf8));
    EXPECT_EQ(ProseUtf8, Decode(CodeUtf16Be, Utf16BeBom + ProseUtf16Be).held);
    EXPECT_EQ(Utf16BeBom + ProseUtf16Be, Encode(CodeUtf16Be, ProseUtf8));

    // What any other program writes for JIS comes out the same from the held EUC-JP.
    EXPECT_EQ(ProseEucJp, Decode(CodeJis, ProseJis).held);
    EXPECT_EQ(ProseJis, Encode(CodeJis, ProseEucJp));
    EXPECT_EQ(KanaSupplementEucJp, Decode(CodeJis, KanaSupplementJis).held);
    EXPECT_EQ(KanaSupplementJis, Encode(CodeJis, KanaSupplementEucJp));

    Decoded bom = Decode(CodeUtf8Bom, "\xef\xbb\xbf" + ProseUtf8);
    EXPECT_EQ(ProseUtf8, bom.held);
    EXPECT_TRUE(bom.bom);
    EXPECT_EQ("\xef\xbb\xbf" + ProseUtf8, Encode(CodeUtf8Bom, ProseUtf8));
    for (TextCode code : {CodeShiftJis, CodeUtf8, CodeEucJp})
        EXPECT_EQ(ProseShiftJis, Decode(code, ProseShiftJis).held);
}

TEST(CodeConvertTest, UnpairedAndOddUtf16ComesBackAsItWas)
{
    const struct {
        std::string file;  // UTF-16LE, without a byte order mark
        std::string held;
    } cases[] = {
        {Le({0xD83D, 0xDE00}), "\xf0\x9f\x98\x80"},
        {Le({0x41, 0xD800}), "A\xed\xa0\x80"},
        {Le({0xD800, 0x41}), "\xed\xa0\x80" "A"},
        {Le({0xDFFF, 0xD800}), "\xed\xbf\xbf\xed\xa0\x80"},
        // A lone DC80..DCFF stands for a byte of the held text...
        {Le({0xDCFF, 0xDC80}), "\xff\x80"},
        // ... but where the bare bytes would make a character, the last one keeps its form.
        {Le({0xDCC3, 0xDCA9}), "\xc3\xed\xb2\xa9"},
        {Le({0xDCE3, 0xDC81, 0xDC82}), "\xe3\x81\xed\xb2\x82"},
        {Le({0xDCE3, 0xDC81, 0x41}), "\xe3\x81" "A"},
        {Le({0x41}) + "\x42", "A\xe0\x81\x82"},
        {Le({0xD800}) + "\xff", "\xed\xa0\x80\xe0\x83\xbf"},
        {Le({0x0D, 0x0A, 0x0D, 0x61, 0x0A}), "\r\n\ra\n"},
        {Le({0}), std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.held, Decode(CodeUtf16Le, c.file).held);
        EXPECT_EQ(c.file, Encode(CodeUtf16Le, c.held, false));
    }
    Decoded mark = Decode(CodeUtf16Be, Utf16BeBom);
    EXPECT_EQ("", mark.held);
    EXPECT_TRUE(mark.bom);
    EXPECT_EQ(Utf16BeBom, Encode(CodeUtf16Be, ""));
    // The mark only counts first; a second one is a character.
    EXPECT_EQ("\xef\xbb\xbf", Decode(CodeUtf16Le, Utf16LeBom + Utf16LeBom).held);
}

TEST(CodeConvertTest, HeldUtf8WithStrayBytesSurvivesUtf16)
{
    const std::string held[] = {
        "caf\xc3\xa9 \xff\xfe stray", "\xc3", "\xe3\x81", "\xe3\x81" "A", "\xf0\x90\x80", "\xc3\xc3\xa9",
        "\x80\xbf\xc0\xc1\xf5", "\xe0\x80" "A", "\xed\x9f\xbf", "\xe0\x81\x82",
        ProseUtf8.substr(0, 50) + "\x82" + ProseUtf8.substr(51),
    };
    for (const std::string& h : held) {
        std::string file = Encode(CodeUtf16Le, h);
        EXPECT_EQ(h, Decode(CodeUtf16Le, file).held) << "held " << testing::PrintToString(h);
    }
    EXPECT_EQ(Le({0x41, 0xDCFF, 0xDCC3}), Encode(CodeUtf16Le, "A\xff\xc3", false));
}

TEST(CodeConvertTest, JisThatNoEncoderWritesComesBackAsItWas)
{
    const struct {
        const char* file;
        const char* held;
    } cases[] = {
        // The old kanji set, JIS Roman and a repeated switch stay as written.
        {"\x1b$@0!\x1b(B", "\x1b$@\xb0\xa1\x1b(B"},
        {"\x1b(Jabc", "\x1b(Jabc"},
        {"\x1b$B0!\x1b$B0\x22\x1b(B", "\xb0\xa1\x1b$B\xb0\xa2\x1b(B"},
        // A set left open at the end, or at a line's end, keeps the switch that opened it.
        {"a\x1b$B0!", "a\x1b$B\xb0\xa1"},
        {"\x1b$B0!\r\n0\x22\x1b(Bz", "\x1b$B\xb0\xa1\r\n\xb0\xa2z"},
        {"\x1b$B0!\x1b(B\r\n", "\xb0\xa1\r\n"},
        // An unknown escape, a switch followed by nothing of its set, bytes over 7F.
        {"\x1b$A0!\x1b(C", "\x1b$A0!\x1b(C"},
        {"\x1b$B\x1b(B", "\x1b$B\x1b(B"},
        {"a\xa4\xa2\x80\xff", "a\xa0\xa4\xa0\xa2\x80\xff"},
        // A half character, and katakana bytes past the set.
        {"\x1b$B0!1\x1b(B", "\xb0\xa1\xa0" "1"},
        {"\x1b(I1a\x1b(B", "\x8e\xb1\xa0" "a"},
        {"\x1b$(D0!\x1b(B", "\x8f\xb0\xa1"},
        {"\x1b$", "\x1b$"},
        // An ESC before a switch the held text leaves out must not join what follows it.
        {"\x1b$B0!\x1b\x1b(B(I", "\xb0\xa1\xa0\x1b(I"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.held, Decode(CodeJis, c.file).held) << "file " << testing::PrintToString(std::string(c.file));
        EXPECT_EQ(c.file, Encode(CodeJis, c.held));
    }
    // Text typed into a document leaves each set properly, also one a file opened its own way.
    EXPECT_EQ("\x1b$B0!\x1b(B\r\n", Encode(CodeJis, "\xb0\xa1\r\n"));
    EXPECT_EQ("\x1b$@0!\x1b(Ba\x1b$B0!\x1b(B", Encode(CodeJis, "\x1b$@\xb0\xa1" "a\xb0\xa1"));
}

// Every way of cutting a short file into two pieces, and into single bytes, gives what it gives
// whole, and comes back byte for byte in every code.
TEST(CodeConvertTest, EveryCodeRoundTripsAtEveryCut)
{
    const std::string files[] = {
        ProseShiftJis, ProseEucJp, ProseUtf8, Utf16LeBom + ProseUtf16Le, ProseUtf16Be.substr(0, 41), ProseJis,
        KanaSupplementJis, "\xef\xbb\xbf" "abc", "\xef\xbb", "\x1b$B0!\r\n0\x22\x1b(Bz\x1b$", Le({0xDCE3, 0xDC81, 0xDC82}) + "!",
    };
    for (int c = 0; c < TextCodeCount; ++c) {
        TextCode code = static_cast<TextCode>(c);
        for (const std::string& file : files) {
            std::string whole = Decode(code, file).held;
            ASSERT_EQ(file, RoundTrip(code, file)) << TextCodeName(code);
            Cuts bytes;
            for (size_t cut = 1; cut < file.size(); ++cut) {
                bytes.push_back(cut);
                ASSERT_EQ(whole, Decode(code, file, {cut}).held) << TextCodeName(code) << " cut at " << cut;
                ASSERT_EQ(file, RoundTrip(code, file, {cut})) << TextCodeName(code) << " cut at " << cut;
            }
            ASSERT_EQ(file, RoundTrip(code, file, bytes)) << TextCodeName(code) << " byte by byte";
        }
    }
}

TEST(CodeConvertTest, RandomFilesRoundTripInEveryCode)
{
    std::mt19937 random(7);
    // Bytes that matter to some code more often than the rest.
    const unsigned char common[] = {0x1B, '$', '(', 'B', '@', 'D', 'I', 'J', 0x21, 0x30, 0x7E, 0x0D, 0x0A, 0x00,
                                    0x80, 0x8E, 0x8F, 0xA0, 0xA4, 0xC3, 0xD8, 0xDC, 0xE0, 0xED, 0xEF, 0xFE, 0xFF};
    for (int round = 0; round < 3000; ++round) {
        std::string file(random() % 40, '\0');
        for (char& b : file)
            b = static_cast<char>(random() % 3 ? common[random() % sizeof common] : random() % 256);
        Cuts cuts;
        for (size_t at = 1 + random() % 7; at < file.size(); at += 1 + random() % 7)
            cuts.push_back(at);
        for (int c = 0; c < TextCodeCount; ++c)
            ASSERT_EQ(file, RoundTrip(static_cast<TextCode>(c), file, cuts))
                << TextCodeName(static_cast<TextCode>(c)) << " " << testing::PrintToString(file);
    }
}

// A switch whose set is left only far ahead stays as its bytes, and still comes back.
TEST(CodeConvertTest, AFarAwayEndOfAKanjiRunStillRoundTrips)
{
    std::string run;
    for (size_t i = 0; i <= JisDecoder::RunLimit; i += 2)
        run += "0!";
    std::string file = "\x1b$B" + run + "\x1b(B";
    std::string held = Decode(CodeJis, file).held;
    EXPECT_EQ("\x1b$B", held.substr(0, 3));
    EXPECT_EQ(file, RoundTrip(CodeJis, file, {1000, 20000, 40000}));
    std::string shorter = "\x1b$B" + run.substr(100) + "\x1b(B";
    EXPECT_EQ('\xb0', Decode(CodeJis, shorter, {3, 5000}).held[0]);
}

}
