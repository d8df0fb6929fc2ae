#include "app/command_line.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Arguments;

// Parses text, checks the list's shape (null exactly when empty, each string as long as its
// bytes) and releases it.
Arguments Parse(const std::string& text)
{
    int count = -1;
    char** list = ParseCommandLine(text.c_str(), &count);
    Arguments arguments;
    EXPECT_EQ(list == nullptr, count == 0);
    for (int i = 0; i < count; ++i)
        arguments.push_back(list[i]);
    FreeArguments(count, list);
    return arguments;
}

std::string Rest(const char* commandLine)
{
    return ArgumentText(commandLine);
}

}

TEST(ParseCommandLine, SpacesSeparateAndQuotesKeepSpacesInside)
{
    EXPECT_EQ(Parse("a.txt  \"my file.txt\" b.txt"), Arguments({"a.txt", "my file.txt", "b.txt"}));
    EXPECT_EQ(Parse("   one    two   "), Arguments({"one", "two"}));
    EXPECT_EQ(Parse("\"  padded  \""), Arguments({"  padded  "}));
}

TEST(ParseCommandLine, AClosingQuoteEndsTheArgumentEvenWithoutASpace)
{
    EXPECT_EQ(Parse("\"abc\"def"), Arguments({"abc", "def"}));
    EXPECT_EQ(Parse("\"abc\"\"def\""), Arguments({"abc", "def"}));
    EXPECT_EQ(Parse("\"a\"\"\"b"), Arguments({"a", "", "b"}));
}

TEST(ParseCommandLine, AQuoteInsideAnUnquotedArgumentIsAnOrdinaryByte)
{
    EXPECT_EQ(Parse("ab\"cd"), Arguments({"ab\"cd"}));
    EXPECT_EQ(Parse("ab\"c d\""), Arguments({"ab\"c", "d\""}));
}

TEST(ParseCommandLine, AnUnclosedQuoteRunsToTheEnd)
{
    EXPECT_EQ(Parse("\"a b"), Arguments({"a b"}));
    EXPECT_EQ(Parse("x \"a b  "), Arguments({"x", "a b  "}));
}

TEST(ParseCommandLine, QuotesWithNothingBetweenGiveAnEmptyArgument)
{
    EXPECT_EQ(Parse("\"\""), Arguments({""}));
    EXPECT_EQ(Parse("a \"\" b"), Arguments({"a", "", "b"}));
    EXPECT_EQ(Parse("a.txt \""), Arguments({"a.txt", ""}));
    EXPECT_EQ(Parse("\""), Arguments({""}));
}

TEST(ParseCommandLine, OnlySpacesSeparate)
{
    EXPECT_EQ(Parse("a.txt\tb.txt"), Arguments({"a.txt\tb.txt"}));
    EXPECT_EQ(Parse("\ta\t \t"), Arguments({"\ta\t", "\t"}));
    EXPECT_EQ(Parse("a\r\nb"), Arguments({"a\r\nb"}));
}

TEST(ParseCommandLine, OptionsAreKeptForTheCallerToSkip)
{
    EXPECT_EQ(Parse("-n file.txt"), Arguments({"-n", "file.txt"}));
    EXPECT_EQ(Parse("/x"), Arguments({"/x"}));
}

TEST(ParseCommandLine, NoArgumentsGiveZeroAndNoArray)
{
    for (const char* text : {"", " ", "      "}) {
        int count = -1;
        char** list = ParseCommandLine(text, &count);
        EXPECT_EQ(count, 0) << '[' << text << ']';
        EXPECT_EQ(list, nullptr) << '[' << text << ']';
        FreeArguments(count, list);
    }
}

TEST(ParseCommandLine, DoubleByteNamesStayWhole)
{
    // 表示.txt, ソフト.txt: 表 and ソ end in 0x5C, 示 in 0xA6.
    const std::string hyouji = "\x95\x5c\x8e\xa6.txt";
    const std::string sofuto = "\x83\x5c\x83\x74\x83\x67.txt";
    EXPECT_EQ(Parse(hyouji), Arguments({hyouji}));
    EXPECT_EQ(Parse("\"C:\\\x95\x5c\\" + hyouji + "\" " + sofuto),
              Arguments({"C:\\\x95\x5c\\" + hyouji, sofuto}));
    // A full-width space (0x81 0x40) is a character, not a separator.
    EXPECT_EQ(Parse("a\x81\x40" "b"), Arguments({"a\x81\x40" "b"}));
}

TEST(ArgumentText, SkipsAQuotedProgramPathWithSpaces)
{
    EXPECT_EQ(Rest("\"C:\\Program Files\\Tessary\\Tessary.exe\" a.txt b.txt"), "a.txt b.txt");
    EXPECT_EQ(Rest("\"C:\\My Apps\\t.exe\"   \"my file.txt\""), "\"my file.txt\"");
    EXPECT_EQ(Rest("\"C:\\a b\\t.exe\"a.txt"), "a.txt");
    EXPECT_EQ(Rest("\"C:\\a b\\t.exe\""), "");
    EXPECT_EQ(Rest("\"C:\\unclosed name a.txt"), "");
}

TEST(ArgumentText, SkipsAnUnquotedProgramNameToTheFirstBlank)
{
    EXPECT_EQ(Rest("Tessary.exe a.txt"), "a.txt");
    EXPECT_EQ(Rest("C:\\dir\\Tessary.exe\ta.txt"), "a.txt");
    EXPECT_EQ(Rest("Tessary.exe"), "");
    EXPECT_EQ(Rest(""), "");
}

TEST(ArgumentText, SkipsSpacesAndTabsAfterTheNameButKeepsTrailingOnes)
{
    EXPECT_EQ(Rest("t.exe \t \t a.txt \t"), "a.txt \t");
    EXPECT_EQ(Rest("t.exe  \t  "), "");
}

TEST(ArgumentText, KeepsADoubleByteFirstArgument)
{
    // 初期.txt: the start-up code's own argument text loses these leading bytes.
    const std::string shoki = "\x8f\x89\x8a\xfa.txt";
    EXPECT_EQ(Rest(("\"Z:\\work\\Tessary.exe\" " + shoki + " b.txt").c_str()), shoki + " b.txt");
    EXPECT_EQ(Parse(ArgumentText(("Tessary.exe " + shoki + " b.txt").c_str())),
              Arguments({shoki, "b.txt"}));
}
