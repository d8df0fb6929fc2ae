#include "document/stored_settings.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Dword(uint32_t n)
{
    return {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n >> 16),
            static_cast<unsigned char>(n >> 24)};
}

Bytes Text(const std::string& text, bool terminated = true)
{
    Bytes bytes(text.begin(), text.end());
    if (terminated)
        bytes.push_back(0);
    return bytes;
}

// Reads one value into fresh defaults, as start-up would with only that value stored.
StoredSettings After(const char* name, unsigned long kind, const Bytes& bytes)
{
    StoredSettings settings = DefaultSettings();
    StoredValue value = {true, kind, bytes.data(), bytes.size()};
    ReadStoredValue(settings, name, value);
    return settings;
}

StoredSettings AfterMissing(const char* name)
{
    StoredSettings settings = DefaultSettings();
    settings.tabWidth = 9;
    settings.fontPoints = 20;
    StoredValue value = {false, 0, nullptr, 0};
    ReadStoredValue(settings, name, value);
    return settings;
}

}

TEST(StoredSettings, GoodValuesAreTaken)
{
    EXPECT_EQ(After(TabWidthName, StoredDword, Dword(8)).tabWidth, 8);
    EXPECT_EQ(After(TabWidthName, StoredDword, Dword(1)).tabWidth, 1);
    EXPECT_EQ(After(TabWidthName, StoredDword, Dword(16)).tabWidth, 16);
    EXPECT_EQ(After(WrapColumnsName, StoredDword, Dword(10)).wrapColumns, 10);
    EXPECT_EQ(After(WrapColumnsName, StoredDword, Dword(1000)).wrapColumns, 1000);
    EXPECT_STREQ(After(FontFaceName, StoredString, Text("ＭＳ ゴシック")).fontFace, "ＭＳ ゴシック");
    EXPECT_STREQ(After(FontFaceName, StoredString, Text("Courier", false)).fontFace, "Courier")
        << "a string stored without its terminator";
    EXPECT_STREQ(After(FontFaceName, StoredString, Text(std::string(31, 'F'))).fontFace, std::string(31, 'F').c_str());
    EXPECT_EQ(After(FontSizeName, StoredDword, Dword(12)).fontPoints, 12);
    EXPECT_EQ(After(TextColorName, StoredDword, Dword(0x00123456)).textColor, 0x00123456u);
    EXPECT_EQ(After(BackColorName, StoredDword, Dword(0x00FFFFFF)).backColor, 0x00FFFFFFu);
    EXPECT_EQ(After(CommentColorName, StoredDword, Dword(0)).commentColor, 0u);
    EXPECT_EQ(After(KeywordColorName, StoredDword, Dword(0x0000FF00)).keywordColor, 0x0000FF00u);
    EXPECT_EQ(After(LineEndingName, StoredDword, Dword(3)).lineEnding, 3);
    EXPECT_EQ(After(CharacterCodeName, StoredDword, Dword(CodeJis)).code, CodeJis);
}

TEST(StoredSettings, TheWrapModeTakesTheColumnsReadBeforeIt)
{
    StoredSettings settings = DefaultSettings();
    Bytes columns = Dword(120);
    Bytes mode = Dword(StoredWrapAtColumns);
    ReadStoredValue(settings, WrapColumnsName, {true, StoredDword, columns.data(), columns.size()});
    ReadStoredValue(settings, WrapModeName, {true, StoredDword, mode.data(), mode.size()});
    EXPECT_EQ(settings.wrapColumns, 120);
    EXPECT_EQ(settings.wrapMode, 120);

    EXPECT_EQ(After(WrapModeName, StoredDword, Dword(StoredWrapAtWindow)).wrapMode, 0);
    EXPECT_EQ(After(WrapModeName, StoredDword, Dword(StoredNoWrap)).wrapMode, -1);
    EXPECT_EQ(After(WrapModeName, StoredDword, Dword(StoredWrapAtColumns)).wrapMode, 80)
        << "without a stored column count, the default one";

    EXPECT_EQ(StoredWrapOf(-1), static_cast<uint32_t>(StoredNoWrap));
    EXPECT_EQ(StoredWrapOf(0), static_cast<uint32_t>(StoredWrapAtWindow));
    EXPECT_EQ(StoredWrapOf(57), static_cast<uint32_t>(StoredWrapAtColumns));
}

// Each bad value gives its own setting's default, whatever the setting held before.
TEST(StoredSettings, EveryBadValueGivesTheDefault)
{
    const StoredSettings defaults = DefaultSettings();
    struct Case {
        const char* name;
        unsigned long kind;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {TabWidthName, StoredString, Text("abc")},
        {TabWidthName, StoredDword, Dword(0)},
        {TabWidthName, StoredDword, Dword(17)},
        {TabWidthName, StoredDword, Dword(0xFFFFFFFF)},
        {TabWidthName, StoredDword, Bytes{8, 0}},
        {TabWidthName, StoredDword, Bytes{8, 0, 0, 0, 0, 0, 0, 0}},
        {TabWidthName, StoredBinary, Dword(8)},
        {WrapColumnsName, StoredDword, Dword(0)},
        {WrapColumnsName, StoredDword, Dword(9)},
        {WrapColumnsName, StoredDword, Dword(1001)},
        {WrapModeName, StoredDword, Dword(3)},
        {WrapModeName, StoredString, Text("1")},
        {FontFaceName, StoredString, Text(std::string(300, 'F'))},
        {FontFaceName, StoredString, Text(std::string(32, 'F'))},
        {FontFaceName, StoredString, Text("")},
        {FontFaceName, StoredString, Bytes{}},
        {FontFaceName, StoredString, Bytes{'A', 0, 'B', 0}},
        {FontFaceName, StoredDword, Dword(0x41414141)},
        {FontSizeName, StoredDword, Dword(100000)},
        {FontSizeName, StoredDword, Dword(0)},
        {FontSizeName, StoredDword, Dword(73)},
        {FontSizeName, StoredDword, Dword(5)},
        {TextColorName, StoredDword, Dword(0x01000000)},
        {BackColorName, StoredBinary, Dword(0)},
        {CommentColorName, StoredDword, Bytes{1, 2, 3}},
        {KeywordColorName, StoredString, Text("red")},
        {LineEndingName, StoredDword, Dword(4)},
        {CharacterCodeName, StoredDword, Dword(TextCodeCount)},
        {CharacterCodeName, StoredDword, Dword(0x80000000)},
    };
    for (const Case& c : cases) {
        StoredSettings settings = DefaultSettings();
        settings.tabWidth = 9;
        settings.wrapColumns = 50;
        settings.wrapMode = 0;
        std::strcpy(settings.fontFace, "Other");
        settings.fontPoints = 20;
        settings.textColor = settings.backColor = settings.commentColor = settings.keywordColor = 0x111111;
        settings.lineEnding = 2;
        settings.code = CodeUtf8;
        StoredSettings expected = settings;
        const std::string name = c.name;
        if (name == TabWidthName)
            expected.tabWidth = defaults.tabWidth;
        else if (name == WrapColumnsName)
            expected.wrapColumns = defaults.wrapColumns;
        else if (name == WrapModeName)
            expected.wrapMode = defaults.wrapMode;
        else if (name == FontFaceName)
            std::strcpy(expected.fontFace, defaults.fontFace);
        else if (name == FontSizeName)
            expected.fontPoints = defaults.fontPoints;
        else if (name == TextColorName)
            expected.textColor = defaults.textColor;
        else if (name == BackColorName)
            expected.backColor = defaults.backColor;
        else if (name == CommentColorName)
            expected.commentColor = defaults.commentColor;
        else if (name == KeywordColorName)
            expected.keywordColor = defaults.keywordColor;
        else if (name == LineEndingName)
            expected.lineEnding = defaults.lineEnding;
        else if (name == CharacterCodeName)
            expected.code = defaults.code;
        // The value's bytes are read from a buffer of exactly its size, so the sanitizers see a
        // read past it.
        Bytes exact(c.bytes);
        ReadStoredValue(settings, c.name, {true, c.kind, exact.empty() ? nullptr : exact.data(), exact.size()});
        SCOPED_TRACE(name + " of " + std::to_string(c.bytes.size()) + " bytes");
        EXPECT_EQ(settings.textColor, expected.textColor);
        EXPECT_EQ(settings.backColor, expected.backColor);
        EXPECT_EQ(settings.commentColor, expected.commentColor);
        EXPECT_EQ(settings.keywordColor, expected.keywordColor);
        EXPECT_EQ(settings.tabWidth, expected.tabWidth);
        EXPECT_EQ(settings.wrapMode, expected.wrapMode);
        EXPECT_EQ(settings.wrapColumns, expected.wrapColumns);
        EXPECT_STREQ(settings.fontFace, expected.fontFace);
        EXPECT_EQ(settings.fontPoints, expected.fontPoints);
        EXPECT_EQ(settings.lineEnding, expected.lineEnding);
        EXPECT_EQ(settings.code, expected.code);
    }
}

TEST(StoredSettings, AMissingValueGivesTheDefault)
{
    const StoredSettings defaults = DefaultSettings();
    EXPECT_EQ(AfterMissing(TabWidthName).tabWidth, defaults.tabWidth);
    EXPECT_EQ(AfterMissing(FontSizeName).fontPoints, defaults.fontPoints);
    EXPECT_EQ(AfterMissing("Unknown").tabWidth, 9) << "an unknown name changes nothing";
}

TEST(StoredSettings, ABlockIsTakenOnlyAtItsExactSize)
{
    struct Place {
        uint32_t length;
        int32_t numbers[10];
    } place = {};
    Bytes whole(sizeof place, 7);
    EXPECT_TRUE(ReadStoredBlock({true, StoredBinary, whole.data(), whole.size()}, &place, sizeof place));
    EXPECT_EQ(place.numbers[9], 0x07070707);
    Bytes three = {1, 2, 3};
    Place untouched = {};
    EXPECT_FALSE(ReadStoredBlock({true, StoredBinary, three.data(), three.size()}, &untouched, sizeof untouched));
    Bytes longer(sizeof place + 1, 1);
    EXPECT_FALSE(ReadStoredBlock({true, StoredBinary, longer.data(), longer.size()}, &untouched, sizeof untouched));
    EXPECT_FALSE(ReadStoredBlock({true, StoredDword, whole.data(), whole.size()}, &untouched, sizeof untouched));
    EXPECT_FALSE(ReadStoredBlock({false, StoredBinary, nullptr, 0}, &untouched, sizeof untouched));
    EXPECT_EQ(untouched.length, 0u);
}

TEST(StoredSettings, TheDialogsLimitsIncludeBothEnds)
{
    EXPECT_FALSE(ValidTabWidth(0));
    EXPECT_TRUE(ValidTabWidth(1));
    EXPECT_TRUE(ValidTabWidth(16));
    EXPECT_FALSE(ValidTabWidth(17));
    EXPECT_FALSE(ValidWrapColumns(9));
    EXPECT_TRUE(ValidWrapColumns(10));
    EXPECT_TRUE(ValidWrapColumns(1000));
    EXPECT_FALSE(ValidWrapColumns(1001));
    EXPECT_FALSE(ValidFontPoints(MinFontPoints - 1));
    EXPECT_TRUE(ValidFontPoints(MaxFontPoints));
}
