#include "platform/unicode_tables.h"

#include <gtest/gtest.h>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

#ifdef _WIN32
// Whether the system's code page 932 writes code as two bytes that read back as code.
bool SystemWritesInTwoBytes(unsigned long code)
{
    WCHAR wide[1] = {static_cast<WCHAR>(code)};
    char bytes[8];
    BOOL defaulted = FALSE;
    int count = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, 1, bytes, sizeof(bytes), nullptr, &defaulted);
    if (count != 2 || defaulted)
        return false;
    WCHAR back[2];
    return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 2, back, 2) == 1 && back[0] == wide[0];
}
#else
class Converter {
public:
    Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (handle != reinterpret_cast<iconv_t>(-1))
            iconv_close(handle);
    }
    bool Usable() const { return handle != reinterpret_cast<iconv_t>(-1); }
    std::string Convert(const std::string& from)
    {
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        std::string source = from;
        char target[16];
        char* in = &source[0];
        size_t inLeft = source.size();
        char* out = target;
        size_t outLeft = sizeof(target);
        if (iconv(handle, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return std::string();
        return std::string(target, sizeof(target) - outLeft);
    }

private:
    iconv_t handle;
};

std::string Utf32(unsigned long code)
{
    char bytes[4] = {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8 & 0xFF),
                     static_cast<char>(code >> 16 & 0xFF), 0};
    return std::string(bytes, 4);
}

// Whether glibc's CP932 writes code as two bytes that read back as code.
bool SystemWritesInTwoBytes(unsigned long code)
{
    static Converter encoder("CP932", "UTF-32LE");
    static Converter decoder("UTF-32LE", "CP932");
    if (!encoder.Usable() || !decoder.Usable())
        ADD_FAILURE() << "no CP932 converter";
    std::string bytes = encoder.Convert(Utf32(code));
    return bytes.size() == 2 && decoder.Convert(bytes) == Utf32(code);
}
#endif

TEST(UnicodeTables, TheCodePage932TableAgreesWithTheSystem)
{
    int found = 0;
    for (unsigned long code = 0x80; code < 0x10000; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        bool writes = SystemWritesInTwoBytes(code);
        ASSERT_EQ(IsCp932DoubleByte(code), writes) << std::hex << code;
        found += writes;
    }
    EXPECT_GT(found, 9000);
    EXPECT_FALSE(IsCp932DoubleByte('\\'));
    EXPECT_FALSE(IsCp932DoubleByte(0xFF71)) << "half-width katakana take one byte";
    EXPECT_FALSE(IsCp932DoubleByte(0x20BB7));
}

TEST(UnicodeTables, EastAsianWidthAndMarksAreKnownForSomeCharacters)
{
    EXPECT_TRUE(IsEastAsianWide(0x3042));
    EXPECT_TRUE(IsEastAsianWide(0xFF21)) << "F";
    EXPECT_TRUE(IsEastAsianWide(0x00E9)) << "A";
    EXPECT_TRUE(IsEastAsianWide(0x1F600));
    EXPECT_FALSE(IsEastAsianWide('A'));
    EXPECT_FALSE(IsEastAsianWide(0xFF71)) << "H";
    EXPECT_FALSE(IsEastAsianWide(0x0E01)) << "N";
    EXPECT_TRUE(IsCombiningMark(0x0301));
    EXPECT_TRUE(IsCombiningMark(0x20DD)) << "Me";
    EXPECT_TRUE(IsCombiningMark(0x3099));
    EXPECT_TRUE(IsCombiningMark(0xFE0F));
    EXPECT_TRUE(IsCombiningMark(0xE0100));
    EXPECT_TRUE(IsCombiningMark(0x200D));
    EXPECT_FALSE(IsCombiningMark(0x309B)) << "the spacing voiced sound mark";
    EXPECT_FALSE(IsCombiningMark(0x0903)) << "Mc";
    EXPECT_GE(MarkRanges[0].first, 0x300u) << "FirstMarkLead relies on it";
}

TEST(UnicodeTables, TheBitsOfTheMarksAgreeWithTheirRanges)
{
    int marks = 0;
    for (unsigned long code = 0; code < 0x10000; ++code) {
        ASSERT_EQ(IsCombiningMark(code), InRanges(MarkRanges, MarkRangeCount, code)) << std::hex << code;
        marks += IsCombiningMark(code);
    }
    EXPECT_GT(marks, 1000);
}

// The tables the row walk reads at speed are the other tables again: the cells by the rule
// (ASCII and half-width katakana one, what code page 932 writes in two bytes two, else two when
// East Asian Width says so, a surrogate one), and a block holds a mark when any code point does.
TEST(UnicodeTables, TheTablesForTheRowWalkAgreeWithTheRulesTheyWereMadeBy)
{
    int wide = 0;
    for (unsigned long code = 0; code < 0x10000; ++code) {
        bool two = code >= 0x80 && !(code >= 0xFF61 && code <= 0xFF9F) &&
                   (IsCp932DoubleByte(code) || (!(code >= 0xD800 && code <= 0xDFFF) && IsEastAsianWide(code)));
        ASSERT_EQ((TwoCellBits[code >> 5] >> (code & 31) & 1) != 0, two) << std::hex << code;
        wide += two;
    }
    EXPECT_GT(wide, 40000);
    for (unsigned long block = 0; block < 1024; ++block) {
        bool any = false;
        for (unsigned long code = block << 6; code < (block + 1) << 6; ++code)
            any = any || IsCombiningMark(code);
        ASSERT_EQ(MarkBlocks64[block] != 0, any) << std::hex << (block << 6);
    }
    EXPECT_EQ(MarkBlocks64[0x3040 >> 6], 0) << "hiragana before the voiced sound marks";
    EXPECT_EQ(MarkBlocks64[0x3099 >> 6], 1);
}

} // namespace
