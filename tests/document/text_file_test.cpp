#include "document/text_file.h"
#include "platform/characters.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>

#ifndef _WIN32
#include "platform/test_hooks.h"
#include <unistd.h>
#endif

namespace {

typedef std::vector<std::string> Lines;

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = NewTempFolder();
        ASSERT_FALSE(folder.empty());
        ResetEditor();
    }

    void TearDown() override
    {
        DestroyLines(view.firstLine);
        view.firstLine = nullptr;
        ResetEditor();
    }

    std::string PathOf(const std::string& name) const { return folder + "\\" + name; }

    void UsePath(const std::string& path)
    {
        ASSERT_LT(path.size(), static_cast<size_t>(PathSize));
        std::strcpy(view.path, path.c_str());
    }

    Lines Read(const std::string& bytes)
    {
        std::string path = PathOf("read.txt");
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        UsePath(path);
        DestroyLines(view.firstLine);
        view.firstLine = nullptr;
        EXPECT_TRUE(ReadDocument(view, &readError, CodeShiftJis));
        EXPECT_EQ(readError, 0u);
        return LinesOf(view.firstLine);
    }

    // Every line saved with ending, as after a choice in the document information dialog.
    std::string Save(const Lines& lines, const char* ending)
    {
        view.lineEnd = std::strcmp(ending, "\r\n") == 0 ? EndingCrLf : std::strcmp(ending, "\r") == 0 ? EndingCr : EndingLf;
        view.unifyEndings = true;
        DestroyLines(view.firstLine);
        view.firstLine = MakeLines(lines);
        std::string path = PathOf("saved.txt");
        UsePath(path);
        EXPECT_TRUE(WriteDocument(view, kept));
        return ReadFileBytes(path);
    }

    std::string folder;
    EditView view;
    char kept[PathSize];
    unsigned long readError = 0;
};

}

TEST_F(TextFileTest, ReadingSplitsOnLfCrAndCrLf)
{
    for (const ReadingRow& row : ReadingTable())
        EXPECT_EQ(Read(row.bytes), row.lines) << "file bytes: " << row.bytes;
}

TEST_F(TextFileTest, ReadingKeepsEveryOtherByteAndStoresZeroAsStar)
{
    EXPECT_EQ(Read(std::string("a\0b", 3)), Lines({"a*b"}));
    EXPECT_EQ(Read("\xff\x1a\x95\x5c\r\x82\xa0"), Lines({"\xff\x1a\x95\x5c", "\x82\xa0"}));
}

TEST_F(TextFileTest, EveryLineReadHoldsExactlyItsBytesAndTheTerminator)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += std::string(static_cast<size_t>(i % 70), static_cast<char>('a' + i % 26)) + (i % 2 ? "\r\n" : "\n");
    bytes += "\x82\xa0last";
    Lines lines = Read(bytes);
    ASSERT_EQ(lines.size(), 3001u);
    for (const TextLine* line = view.firstLine; line != nullptr; line = line->next)
        ASSERT_EQ(line->Capacity(), line->length + 1) << "line of " << line->length << " bytes";
    // Each still takes what an edit brings.
    ASSERT_TRUE(view.firstLine->AppendBytes("more", 4));
    ASSERT_TRUE(view.firstLine->next->InsertByte(0, 'x'));
    EXPECT_EQ(LinesOf(view.firstLine)[0], "more");
    EXPECT_EQ(LinesOf(view.firstLine)[1], "xb");
}

// A file too large for a long (32 bits on Windows) must still be seen as large, or it would be
// read at once on the window's thread instead of by the loader.
TEST_F(TextFileTest, TheLengthOfAFileBeyondFourGigabytesIsKnown)
{
    const long long length = 5LL * 1024 * 1024 * 1024 + 3;
    std::string path = PathOf("sparse.txt");
    FILE* stream = OpenStream(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
#ifdef _WIN32
    bool placed = _fseeki64(stream, length - 1, SEEK_SET) == 0;
#else
    bool placed = fseek(stream, static_cast<long>(length - 1), SEEK_SET) == 0;
#endif
    bool written = placed && fputc('\n', stream) != EOF;
    fclose(stream);
    ASSERT_TRUE(written);
    stream = OpenStream(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(StreamLength(stream), length);
    EXPECT_EQ(fgetc(stream), 0) << "the stream still reads from its start";
    fclose(stream);
    RemoveFile(path.c_str());
}

TEST_F(TextFileTest, SavingWritesTheChosenTerminatorBetweenLines)
{
    EXPECT_EQ(Save({"a", "b", ""}, "\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(Save({"a", "b", ""}, "\n"), "a\nb\n");
    EXPECT_EQ(Save({"a", "b", ""}, "\r"), "a\rb\r");
    EXPECT_EQ(Save({""}, "\r\n"), "");
}

TEST_F(TextFileTest, AFileReadAndSavedAgainKeepsItsBytes)
{
    std::string bytes = "\x82\xb1\x82\xf1\t\x95\x5c\r\n\r\nend \xff\x1a\r\n";
    Lines lines = Read(bytes);
    EXPECT_EQ(Save(lines, "\r\n"), bytes);
}

TEST_F(TextFileTest, SavingReplacesTheOldFileAndLeavesNoTemporaryFile)
{
    std::string path = PathOf("saved.txt");
    ASSERT_TRUE(WriteFileBytes(path, "old contents that are longer than the new ones"));
    EXPECT_EQ(Save({"new"}, "\r\n"), "new");
    EXPECT_EQ(FolderEntries(folder), Lines({"saved.txt"}));
}

TEST_F(TextFileTest, SavingToARelativeNameReplacesTheFileInTheCurrentFolder)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("relative.txt"), "old"));
    char previous[1024];
#ifdef _WIN32
    ASSERT_NE(GetCurrentDirectoryA(sizeof previous, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
#else
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
#endif
    UsePath("relative.txt");
    view.firstLine = MakeLines({"new", ""});
    bool saved = WriteDocument(view, kept);
#ifdef _WIN32
    SetCurrentDirectoryA(previous);
#else
    ASSERT_EQ(chdir(previous), 0);
#endif
    EXPECT_TRUE(saved);
    EXPECT_EQ(ReadFileBytes(PathOf("relative.txt")), "new\r\n");
    EXPECT_EQ(FolderEntries(folder), Lines({"relative.txt"}));
}

TEST_F(TextFileTest, SavingCreatesTheMissingDirectoriesOfThePath)
{
    std::string path = folder + "\\x\\y\\z.txt";
    UsePath(path);
    view.firstLine = MakeLines({"z"});
    ASSERT_TRUE(WriteDocument(view, kept));
    EXPECT_TRUE(DirectoryExists(folder + "\\x"));
    EXPECT_TRUE(DirectoryExists(folder + "\\x\\y"));
    EXPECT_EQ(ReadFileBytes(path), "z");
}

TEST_F(TextFileTest, ATrailByteBackslashIsNotADirectorySeparator)
{
    // 表 is 0x95 0x5C and ソ is 0x83 0x5C: each must make one directory named after the whole
    // character, never a stray one named after its lead byte.
    std::string path = folder + "\\\x95\x5c\\\x83\x5c.txt";
    EXPECT_EQ(LastSeparator(path.c_str()), static_cast<int>(folder.size()) + 3);
    UsePath(path);
    view.firstLine = MakeLines({"x"});
    ASSERT_TRUE(WriteDocument(view, kept));
    EXPECT_EQ(FolderEntries(folder), Lines({"\x95\x5c"}));
    EXPECT_EQ(ReadFileBytes(path), "x");

    CreateDirectories((folder + "\\a\x83\x5c").c_str());
    std::vector<std::string> entries = FolderEntries(folder);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, Lines({"a\x83\x5c", "\x95\x5c"}));
}

TEST_F(TextFileTest, OpeningWhereTheDirectoriesExistCreatesNothing)
{
    std::string path = PathOf("exists.txt");
    ASSERT_TRUE(WriteFileBytes(path, "e"));
    FILE* stream = OpenWithDirectories(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    fclose(stream);
    EXPECT_EQ(FolderEntries(folder), Lines({"exists.txt"}));
}

TEST_F(TextFileTest, ReadingFromAMissingDirectoryCreatesItAndFails)
{
    std::string path = folder + "\\missing\\file.txt";
    UsePath(path);
    EXPECT_FALSE(ReadDocument(view, &readError));
    EXPECT_EQ(view.firstLine, nullptr);
    EXPECT_TRUE(DirectoryExists(folder + "\\missing"));
}

#ifndef _WIN32
TEST_F(TextFileTest, ASaveThatFailsHalfwayLeavesTheOldFile)
{
    std::string path = PathOf("saved.txt");
    ASSERT_TRUE(WriteFileBytes(path, "the old bytes"));
    std::string longLine(10000, 'n');
    view.firstLine = MakeLines({longLine, longLine});
    UsePath(path);
    FailStreamsAfter(5000);
    EXPECT_FALSE(WriteDocument(view, kept));
    FailStreamsAfter(-1);
    EXPECT_EQ(ReadFileBytes(path), "the old bytes");
    EXPECT_EQ(FolderEntries(folder), Lines({"saved.txt"}));
}

TEST_F(TextFileTest, ASaveThatCannotReplaceTheFileLeavesItAndCleansUp)
{
    std::string path = PathOf("saved.txt");
    ASSERT_TRUE(WriteFileBytes(path, "the old bytes"));
    view.firstLine = MakeLines({"new"});
    UsePath(path);
    FailReplace(true);
    EXPECT_FALSE(WriteDocument(view, kept));
    EXPECT_EQ(ReadFileBytes(path), "the old bytes");
    EXPECT_EQ(FolderEntries(folder), Lines({"saved.txt"}));
}

TEST_F(TextFileTest, AReadErrorKeepsTheLinesSoFarUnderNoNameAndSaysWhy)
{
    std::string path = PathOf("read.txt");
    ASSERT_TRUE(WriteFileBytes(path, "abc\ndefgh\nij"));
    UsePath(path);
    FailStreamsAfter(5);
    EXPECT_TRUE(ReadDocument(view, &readError, CodeShiftJis));
    EXPECT_EQ(LinesOf(view.firstLine), Lines({"abc", "d"}));
    EXPECT_STREQ(view.path, "") << "a save must not put the first part in place of the file";
    EXPECT_NE(readError, 0u);
    EXPECT_EQ(SystemErrorCount(), 0) << "the caller shows the box";
}

TEST_F(TextFileTest, ALineThatCannotGrowEndsTheReadingOnceUnderNoName)
{
    std::string path = PathOf("read.txt");
    // Longer than the reader's block, so it is read into a block of its own piece by piece.
    std::string longLine(260 * 1024, 'w');
    ASSERT_TRUE(WriteFileBytes(path, "first\n" + longLine + "\nlast\n"));
    UsePath(path);
    // The first line's block is granted; the long line's is not.
    FailAllocationsAfter(1);
    EXPECT_TRUE(ReadDocument(view, &readError));
    Lines lines = LinesOf(view.firstLine);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines.size(), 2u) << "nothing after the line that could not grow";
    EXPECT_STREQ(view.path, "");
    EXPECT_EQ(readError, OutOfMemoryError);
    EXPECT_EQ(SystemErrorCount(), 0);
}
TEST_F(TextFileTest, NoMemoryForTheLinesEndsTheReadingOnceUnderNoName)
{
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += "line " + std::to_string(i) + " of the file\r\n";
    std::string path = PathOf("read.txt");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    UsePath(path);
    // The arena's first chunk, and none after it.
    LimitChunkBytes(ChunkBytesInUse() + 64 * 1024);
    EXPECT_TRUE(ReadDocument(view, &readError));
    Lines lines = LinesOf(view.firstLine);
    ASSERT_GT(lines.size(), 100u);
    ASSERT_LT(lines.size(), 5000u);
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        ASSERT_EQ(lines[i], "line " + std::to_string(i) + " of the file");
    EXPECT_STREQ(view.path, "");
    EXPECT_EQ(readError, OutOfMemoryError);
    EXPECT_EQ(SystemErrorCount(), 0);
}
#else
TEST_F(TextFileTest, ASaveOverAFileInUseFailsAndLeavesIt)
{
    std::string path = PathOf("saved.txt");
    ASSERT_TRUE(WriteFileBytes(path, "the old bytes"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    view.firstLine = MakeLines({"new"});
    UsePath(path);
    EXPECT_FALSE(WriteDocument(view, kept));
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(path), "the old bytes");
    // Wine's ReplaceFileA leaves a work file of its own ("rf….tmp") when it fails; ours must go.
    Lines entries;
    for (const std::string& name : FolderEntries(folder))
        if (name.compare(0, 2, "rf") != 0)
            entries.push_back(name);
    EXPECT_EQ(entries, Lines({"saved.txt"}));
}

TEST_F(TextFileTest, OpeningOnTheSystemDriveCreatesBothMissingLevels)
{
    char name[64];
    wsprintfA(name, "C:\\tessary-%lu", GetCurrentProcessId());
    std::string top = name;
    std::string path = top + "\\y\\z.txt";
    ASSERT_FALSE(EntryExists(top));
    FILE* stream = OpenWithDirectories(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    fclose(stream);
    EXPECT_TRUE(DirectoryExists(top));
    EXPECT_TRUE(DirectoryExists(top + "\\y"));
    DeleteFileA(path.c_str());
    RemoveDirectoryA((top + "\\y").c_str());
    RemoveDirectoryA(top.c_str());
}
#endif

TEST_F(TextFileTest, TheNewFileOfASaveIsNamedBesideTheDocumentAndNeverLongerThanItsName)
{
    char name[PathSize];
    ASSERT_TRUE(NameBeside("C:\\dir\\document.txt", 0, name));
    EXPECT_STREQ(name, "C:\\dir\\~tsy0000.tmp");
    ASSERT_TRUE(NameBeside("C:\\dir\\document.txt", 37, name));
    EXPECT_STREQ(name, "C:\\dir\\~tsy0011.tmp");
    // Short names get names of their own length, as many as their bytes allow.
    ASSERT_TRUE(NameBeside("C:\\dir/ab", 36 * 36 - 1, name));
    EXPECT_STREQ(name, "C:\\dir/zz");
    EXPECT_FALSE(NameBeside("C:\\dir/ab", 36 * 36, name));
    ASSERT_TRUE(NameBeside("\x95\x5c", 3, name));
    EXPECT_STREQ(name, "03");
    EXPECT_FALSE(NameBeside("C:\\dir\\", 0, name)) << "a folder has no name to stand beside";
}

TEST_F(TextFileTest, ADocumentWhosePathFillsAPathToItsLastByteSaves)
{
    // The one-byte name that fills the path is also the first name a new file beside it would
    // get: the new file must take another.
    std::string deep = folder + "/" + std::string(257 - folder.size() - 1, 'f');
    CreateDirectories(deep.c_str());
    ASSERT_TRUE(DirectoryExists(deep));
    std::string path = deep + "/0";
    ASSERT_EQ(path.size(), 259u);
    UsePath(path);
    view.firstLine = MakeLines({"one", "two"});
    ASSERT_TRUE(WriteDocument(view, kept));
    EXPECT_EQ(ReadFileBytes(path), "one\r\ntwo");
    ASSERT_TRUE(WriteDocument(view, kept));
    EXPECT_EQ(FolderEntries(deep), Lines({"0"}));
}
