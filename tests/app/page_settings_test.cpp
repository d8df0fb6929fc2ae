#include "app/page_settings.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Encoded(const PageSettings& settings)
{
    Bytes bytes(StoredPageSettingsSize);
    EncodePageSettings(settings, bytes.data());
    return bytes;
}

bool Same(const PageSettings& a, const PageSettings& b)
{
    return a.paper == b.paper && a.orientation == b.orientation && a.margins[0] == b.margins[0] &&
           a.margins[1] == b.margins[1] && a.margins[2] == b.margins[2] && a.margins[3] == b.margins[3];
}

}

TEST(PageSettingsTest, StoredSettingsReadBackAsTheyWereWithTheLowByteFirst)
{
    PageSettings letter = {1, 2, {0, 1270, 10000, 2540}};
    Bytes bytes = Encoded(letter);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[12], 1270 & 0xFF);
    EXPECT_EQ(bytes[13], 1270 >> 8);
    PageSettings read = DefaultPageSettings;
    ASSERT_TRUE(DecodePageSettings(bytes.data(), static_cast<unsigned long>(bytes.size()), &read));
    EXPECT_TRUE(Same(read, letter));
}

TEST(PageSettingsTest, BytesOfAnotherSizeOrOutOfRangeLeaveTheSettingsAlone)
{
    PageSettings good = {9, 1, {2000, 2000, 2000, 2000}};
    std::vector<Bytes> bad;
    Bytes shorter = Encoded(good);
    shorter.pop_back();
    bad.push_back(shorter);
    Bytes longer = Encoded(good);
    longer.push_back(0);
    bad.push_back(longer);
    PageSettings wrong[] = {
        {0, 1, {2000, 2000, 2000, 2000}},       {9, 0, {2000, 2000, 2000, 2000}},
        {9, 3, {2000, 2000, 2000, 2000}},       {9, 1, {-1, 2000, 2000, 2000}},
        {9, 1, {2000, 2000, 2000, 10001}},      {0x8000, 1, {2000, 2000, 2000, 2000}},
    };
    for (const PageSettings& settings : wrong)
        bad.push_back(Encoded(settings));
    for (const Bytes& bytes : bad) {
        PageSettings read = {70, 2, {1, 2, 3, 4}};
        EXPECT_FALSE(DecodePageSettings(bytes.data(), static_cast<unsigned long>(bytes.size()), &read));
        EXPECT_EQ(read.paper, 70);
        EXPECT_EQ(read.margins[3], 4);
    }
    PageSettings read = good;
    EXPECT_FALSE(DecodePageSettings(nullptr, 0, &read));
}
