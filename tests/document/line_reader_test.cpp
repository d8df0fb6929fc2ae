#include "document/line_arena.h"
#include "document/line_reader.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

typedef std::vector<std::string> Lines;

// The reader's blocks are this large; lines and terminators that straddle them need testing.
const int Block = 256 * 1024;

class LineReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = NewTempFolder();
        ASSERT_FALSE(folder.empty());
        path = folder + "\\lines.txt";
    }

    void TearDown() override
    {
#ifndef _WIN32
        ResetTestHooks();
#endif
        RemoveFile(path.c_str());
    }

    // Every line of the file as the block reader splits it into the lines of an arena, as
    // documents are read, and whether it stopped early.
    Lines ReadBlocks(bool* failed = nullptr)
    {
        Lines lines;
        FILE* stream = OpenStream(path.c_str(), "rb");
        if (stream == nullptr)
            return {"<unopened>"};
        LineArena arena;
        LineReader reader(stream, arena);
        bool more = true;
        while (more) {
            TextLine* line = arena.NewLine();
            if (line == nullptr)
                return {"<no line>"};
            more = reader.ReadLine(*line);
            lines.push_back(std::string(line->text, static_cast<size_t>(line->length)));
            if (line->Capacity() != line->length + 1 && line->length < Block)
                lines.push_back("<more room than the line's bytes>");
            delete line;
        }
        if (failed != nullptr)
            *failed = reader.Failed();
        fclose(stream);
        return lines;
    }

    // The same with ReadLine, byte by byte.
    Lines ReadBytes()
    {
        Lines lines;
        FILE* stream = OpenStream(path.c_str(), "rb");
        if (stream == nullptr)
            return {"<unopened>"};
        bool more = true;
        while (more) {
            TextLine line;
            more = ReadLine(&line, stream);
            lines.push_back(std::string(line.text, static_cast<size_t>(line.length)));
        }
        fclose(stream);
        return lines;
    }

    Lines Read(const std::string& bytes)
    {
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        Lines lines = ReadBlocks();
        EXPECT_EQ(lines, ReadBytes()) << "the block reader must split as ReadLine does";
        return lines;
    }

    std::string folder;
    std::string path;
};

}

TEST_F(LineReaderTest, EveryRowOfTheReadingTable)
{
    for (const ReadingRow& row : ReadingTable())
        EXPECT_EQ(Read(row.bytes), row.lines) << "file bytes: " << row.bytes;
}

TEST_F(LineReaderTest, TerminatorsAndLinesAcrossTheEdgesOfBlocks)
{
    for (int before : {Block - 2, Block - 1, Block, Block + 1}) {
        std::string start(static_cast<size_t>(before), 'x');
        start[100] = 0;
        for (const char* rest : {"\r\nb", "\r", "\rb", "\n\r", "\r\r\n", "\n"}) {
            Lines lines = Read(start + rest + std::string(Block, 'y'));
            ASSERT_GE(lines.size(), 1u);
            EXPECT_EQ(lines[0].size(), start.size()) << before << " then " << static_cast<int>(rest[0]);
        }
    }
}

TEST_F(LineReaderTest, RandomFilesSplitAsByteByByte)
{
    std::mt19937 random(2);
    const char alphabet[] = {'a', '\r', '\n', '\0', '\x82', '\xa0', '\t', '\x1a', '\xff'};
    for (int round = 0; round < 300; ++round) {
        size_t size = round % 10 == 0 ? random() % (3 * Block) : random() % 200;
        std::string bytes(size, 'a');
        // Long stretches of one byte now and then, so lines of every length come up.
        char run = alphabet[random() % sizeof alphabet];
        for (char& b : bytes)
            b = random() % 8 == 0 ? (run = alphabet[random() % sizeof alphabet]) : (random() % 2 ? run : 'a');
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        ASSERT_EQ(ReadBlocks(), ReadBytes()) << "round " << round << " size " << size;
    }
}

#ifndef _WIN32
TEST_F(LineReaderTest, AReadErrorStopsTheReadingAfterEveryByteBeforeIt)
{
    std::mt19937 random(4);
    std::string bytes;
    for (int i = 0; i < 40000; ++i)
        bytes += "line " + std::to_string(random() % 1000) + (i % 3 ? "\r\n" : i % 2 ? "\r" : "\n");
    for (long cut : {0L, 1L, 7L, 65536L, static_cast<long>(Block) - 1, static_cast<long>(Block),
                     static_cast<long>(bytes.size()) - 1, static_cast<long>(bytes.size())}) {
        ASSERT_TRUE(WriteFileBytes(path, bytes.substr(0, static_cast<size_t>(cut))));
        Lines prefix = ReadBytes();
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        FailStreamsAfter(cut);
        bool failed = false;
        EXPECT_EQ(ReadBlocks(&failed), prefix) << "cut at " << cut;
        EXPECT_TRUE(failed) << "cut at " << cut;
        FailStreamsAfter(-1);
    }
}

TEST_F(LineReaderTest, ALineWithoutRoomStopsTheReadingKeepingWhatItHad)
{
    ASSERT_TRUE(WriteFileBytes(path, std::string(2 * Block, 'z') + "\nmore"));
    FILE* stream = OpenStream(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    LineArena arena;
    LineReader reader(stream, arena);
    TextLine line;
    // The line's first growth is granted, the next is not.
    FailAllocationsAfter(1);
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Error(), OutOfMemoryError);
    EXPECT_EQ(line.length, Block) << "the first block's bytes stay";
    EXPECT_FALSE(reader.ReadLine(line)) << "nothing more once it stopped";
    fclose(stream);
}
#endif
