#include "platform/platform.h"

#include <gtest/gtest.h>
#include <windows.h>

// Every double-byte test would silently pass as single-byte under any other code page, so a
// wrongly prepared environment must fail here first and loudly.
TEST(Environment, TheAnsiCodePageIsShiftJis)
{
    ASSERT_EQ(GetACP(), 932u) << "run the tests with LANG=ja_JP.UTF-8 under Wine";
    EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0x82));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 'A'));
}

TEST(Environment, TheLeadByteTableAgreesWithTheSystem)
{
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(IsLeadByte(static_cast<unsigned char>(b)), IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE) << b;
    EXPECT_TRUE(IsLeadByte(0x95));
    EXPECT_FALSE(IsLeadByte(0xA0)) << "half-width katakana are single bytes";
}

TEST(Environment, FixedBlocksReportTheirSize)
{
    char* block = AllocBlock(200);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(BlockSize(block), 200);
    FreeBlock(block);
}
