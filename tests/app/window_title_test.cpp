#include "app/window_title.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Title(const char* path, bool modified)
{
    char title[TitleSize];
    BuildTitle(path, modified, title);
    return title;
}

}

TEST(WindowTitle, NamesTheDocumentByItsFileNameAndMarksChanges)
{
    EXPECT_EQ(Title("", false), "Tessary [Untitled]");
    EXPECT_EQ(Title("", true), "Tessary [Untitled *]");
    EXPECT_EQ(Title("C:\\dir\\a.txt", false), "Tessary [a.txt]");
    EXPECT_EQ(Title("C:\\dir\\a.txt", true), "Tessary [a.txt *]");
    EXPECT_EQ(Title("a.txt", false), "Tessary [a.txt]");
    EXPECT_EQ(Title("C:\\dir\\", false), "Tessary []");
}

TEST(WindowTitle, ADoubleByteCharacterEndingInBackslashStaysInTheName)
{
    EXPECT_EQ(Title("C:\\\x95\x5c\\\x95\x5c.txt", false), "Tessary [\x95\x5c.txt]");
    EXPECT_EQ(Title("\x83\x5c\x83\x74\x83\x67", true), "Tessary [\x83\x5c\x83\x74\x83\x67 *]");
}

TEST(WindowTitle, TheLongestPathFits)
{
    std::string path(259, 'n');
    EXPECT_EQ(Title(path.c_str(), true), "Tessary [" + path + " *]");
}
