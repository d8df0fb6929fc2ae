#include "document/char_convert.h"
#include "tests/document/code_samples.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Convert(TextCode from, TextCode to, const std::string& in, int* lost)
{
    std::string out;
    *lost = ConvertHeldBytes(from, to, in.data(), static_cast<int>(in.size()), &out);
    return out;
}

const std::string Tsuchiyoshi("\xf0\xa0\xae\xb7");  // 𠮷, outside every Japanese code page
const std::string Smile("\xf0\x9f\x98\x80");        // 😀

}

TEST(CharConvert, ProseGoesBetweenEveryHeldCodeWithoutLoss)
{
    const struct {
        TextCode code;
        const std::string& text;
    } samples[] = {{CodeShiftJis, ProseShiftJis}, {CodeUtf8, ProseUtf8}, {CodeEucJp, ProseEucJp}};
    for (const auto& from : samples) {
        for (const auto& to : samples) {
            int lost = -1;
            EXPECT_EQ(Convert(from.code, to.code, from.text, &lost), to.text) << from.code << " to " << to.code;
            EXPECT_EQ(lost, 0);
        }
    }
}

TEST(CharConvert, HalfWidthKanaAndTheSupplementKeepTheirCharacterWhereTheTargetHasIt)
{
    int lost = -1;
    // ﾃｽﾄ丂: the supplement kanji is in EUC-JP and UTF-8 but not in Shift-JIS.
    EXPECT_EQ(Convert(CodeEucJp, CodeUtf8, KanaSupplementEucJp, &lost), "\xef\xbe\x83\xef\xbd\xbd\xef\xbe\x84\xe4\xb8\x82");
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(Convert(CodeEucJp, CodeShiftJis, KanaSupplementEucJp, &lost), "\xc3\xbd\xc4?");
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(Convert(CodeUtf8, CodeEucJp, "\xef\xbe\x83\xe4\xb8\x82", &lost), "\x8e\xc3\x8f\xb0\xa1");
    EXPECT_EQ(lost, 0);
}

TEST(CharConvert, WhatTheTargetCannotHoldBecomesOneMarkACharacter)
{
    int lost = -1;
    // 𠮷, 😀 and the combining acute after "e" have no place in Shift-JIS or EUC-JP; the "?"
    // that was there is no loss.
    std::string text = "a" + Tsuchiyoshi + "\xe3\x81\x82" + Smile + "e\xcc\x81" + "?";
    EXPECT_EQ(Convert(CodeUtf8, CodeShiftJis, text, &lost), "a?\x82\xa0?e??");
    EXPECT_EQ(lost, 3);
    EXPECT_EQ(Convert(CodeUtf8, CodeEucJp, text, &lost), "a?\xa4\xa2?e??");
    EXPECT_EQ(lost, 3);
}

TEST(CharConvert, BytesThatAreNoCharacterAreLostUnlessHeldAlike)
{
    int lost = -1;
    // A lone Shift-JIS lead byte at the end, and 0x80, which starts nothing.
    EXPECT_EQ(Convert(CodeShiftJis, CodeUtf8, std::string("A\x80\x82\xa0\x82"), &lost), "A?\xe3\x81\x82?");
    EXPECT_EQ(lost, 2);
    EXPECT_EQ(Convert(CodeUtf8, CodeEucJp, std::string("\xff\xe3\x81"), &lost), "???");
    EXPECT_EQ(lost, 3);
    // UTF-8, UTF-8 (BOM) and UTF-16 hold the same bytes: nothing changes, stray bytes included.
    std::string stray = "x\xff\xed\xa0\x80" + Smile;
    for (TextCode to : {CodeUtf8, CodeUtf8Bom, CodeUtf16Le, CodeUtf16Be}) {
        EXPECT_EQ(Convert(CodeUtf16Be, to, stray, &lost), stray);
        EXPECT_EQ(lost, 0);
    }
    EXPECT_EQ(Convert(CodeJis, CodeEucJp, std::string("\xa0\x21"), &lost), std::string("\xa0\x21"));
    EXPECT_EQ(lost, 0);
}

TEST(CharConvert, Utf16InAndOut)
{
    const wchar_t units[] = {L'a', 0xD842, 0xDFB7, 0x3042, 0xDC00, 0xFF71};
    std::string out;
    EXPECT_EQ(HeldFromUtf16(CodeUtf8, units, 6, &out), 1);  // the lone low surrogate
    EXPECT_EQ(out, "a" + Tsuchiyoshi + "\xe3\x81\x82?\xef\xbd\xb1");
    out.clear();
    EXPECT_EQ(HeldFromUtf16(CodeShiftJis, units, 6, &out), 2);
    EXPECT_EQ(out, "a?\x82\xa0?\xb1");
    out.clear();
    EXPECT_EQ(HeldFromUtf16(CodeEucJp, units, 6, &out), 2);
    EXPECT_EQ(out, "a?\xa4\xa2?\x8e\xb1");

    std::wstring wide;
    Utf16FromHeld(CodeUtf8, ("a" + Tsuchiyoshi + "\xff").data(), 6, &wide);
    EXPECT_EQ(wide, std::wstring(L"a\xD842\xDFB7\xFFFD"));
    wide.clear();
    Utf16FromHeld(CodeEucJp, KanaSupplementEucJp.data(), KanaSupplementEucJp.size(), &wide);
    EXPECT_EQ(wide, std::wstring(L"\xFF83\xFF7D\xFF84\x4E02"));
    wide.clear();
    Utf16FromHeld(CodeShiftJis, "\x8a\xbf\x8e\x9a", 4, &wide);
    EXPECT_EQ(wide, std::wstring(L"\x6F22\x5B57"));
}
