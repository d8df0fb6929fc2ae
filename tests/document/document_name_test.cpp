#include "document/document_name.h"
#include "document/editor_record.h"
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <string>

TEST(DocumentNameTest, ANameBecomesItsFullPathWhereverTheCurrentDirectoryMovesLater)
{
    char full[PathSize];
    unsigned long error = 1;
    char expected[PathSize];
    ASSERT_TRUE(FullPath("notes.txt", expected));
    ASSERT_TRUE(DocumentName("notes.txt", full, &error));
    EXPECT_EQ(error, 0u);
    EXPECT_STREQ(full, expected);
    EXPECT_NE(std::string(full), "notes.txt");
}

TEST(DocumentNameTest, NamesThatCannotBeADocumentsAreRefusedWithTheirReason)
{
    char full[PathSize];
    unsigned long error = 0;
    EXPECT_FALSE(DocumentName("a\" \"b.txt", full, &error));
    EXPECT_EQ(error, BadNameError);
    // The limit holds for the full name, however short the given one is.
    std::string longName(PathSize, 'x');
    EXPECT_FALSE(DocumentName(longName.c_str(), full, &error));
    EXPECT_EQ(error, NameTooLongError);
}
