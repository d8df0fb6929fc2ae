#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/text_edit.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "tests/document/code_samples.h"
#include "tests/test_support.h"
#include "view/editing.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

void Finished(bool, unsigned long)
{
    FinishLoad();
}

// The lines bytes split into, their terminators dropped.
Lines Split(const std::string& bytes)
{
    Lines lines(1);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += bytes[i];
        }
    }
    return lines;
}

std::vector<unsigned> Endings()
{
    std::vector<unsigned> endings;
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next)
        endings.push_back(line->ending);
    return endings;
}

const std::string Bom8("\xEF\xBB\xBF");
const std::string BomLe("\xFF\xFE");
const std::string BomBe("\xFE\xFF");

class TextCodes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        LoadEnded = Finished;
        folder = NewTempFolder();
        path = folder + "\\codes.txt";
    }

    void TearDown() override
    {
        WaitForLoad();
        ResetEditor();
    }

    void WaitForLoad()
    {
        for (int waited = 0; waited < 60000 && LoadInProgress(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // Opens bytes as the file's, read in code (TextCodeCount: the code its bytes show), and
    // waits for a loader to finish.
    void Open(const std::string& bytes, TextCode code = TextCodeCount)
    {
        DiscardLines(View);
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        std::strcpy(View.path, path.c_str());
        unsigned long error = 0;
        ASSERT_TRUE(ReadDocument(View, &error, code));
        WaitForLoad();
        ASSERT_EQ(error, 0u);
        View.caret.line = View.topLine = View.firstLine;
        View.anchor = TextPlace{View.firstLine, 0, 0};
    }

    std::string SaveBack()
    {
        char kept[PathSize];
        EXPECT_TRUE(WriteDocument(View, kept));
        return ReadFileBytes(path);
    }

    TextPlace Place(int index, int pos) { return TextPlace{::LineAt(View.firstLine, index), index, pos}; }

    bool Edit(int fromLine, int fromPos, int toLine, int toPos, const std::string& bytes)
    {
        return ReplaceRange(Place(fromLine, fromPos), Place(toLine, toPos), bytes.data(),
                            static_cast<int>(bytes.size()), EditOther, nullptr);
    }

    std::string folder;
    std::string path;
};

struct Sample {
    const char* name;
    std::string file;
    TextCode code;
    std::string held;  // what the document holds, terminators included
};

std::vector<Sample> Samples()
{
    return {
        {"Shift-JIS", ProseShiftJis, CodeShiftJis, ProseShiftJis},
        {"EUC-JP", ProseEucJp, CodeEucJp, ProseEucJp},
        {"UTF-8", ProseUtf8, CodeUtf8, ProseUtf8},
        {"UTF-8 (BOM)", Bom8 + ProseUtf8, CodeUtf8Bom, ProseUtf8},
        {"UTF-16LE", BomLe + ProseUtf16Le, CodeUtf16Le, ProseUtf8},
        {"UTF-16BE", BomBe + ProseUtf16Be, CodeUtf16Be, ProseUtf8},
        {"JIS", ProseJis, CodeJis, ProseEucJp},
        // Too short to weigh kana: valid UTF-8 wins over the Shift-JIS it also reads as.
        {"ちわ\\", "\xE3\x81\xA1\xE3\x82\x8F\x5C", CodeUtf8, "\xE3\x81\xA1\xE3\x82\x8F\x5C"},
        {"UTF-16LE without a mark", std::string("a\0b\0\r\0\n\0c\0", 10), CodeUtf16Le, "ab\r\nc"},
        {"UTF-8 with a stray byte", ProseUtf8 + ProseUtf8 + ProseUtf8 + ProseUtf8 + ProseUtf8 + ProseUtf8 + "\x80", CodeUtf8,
         ProseUtf8 + ProseUtf8 + ProseUtf8 + ProseUtf8 + ProseUtf8 + ProseUtf8 + "\x80"},
    };
}

TEST_F(TextCodes, EachFileOpensInTheCodeItsBytesShowAndSavesBackByteForByte)
{
    for (const Sample& s : Samples()) {
        SCOPED_TRACE(s.name);
        Open(s.file);
        EXPECT_EQ(View.code, s.code);
        EXPECT_EQ(LinesOf(View.firstLine), Split(s.held));
        EXPECT_EQ(SaveBack(), s.file);
    }
}

TEST_F(TextCodes, AFileOfAsciiAloneTakesTheDefaultCodeAndAGivenCodeOverridesDetection)
{
    DefaultCode = CodeEucJp;
    Open("plain\r\ntext");
    EXPECT_EQ(View.code, CodeEucJp);
    Open(ProseUtf8, CodeShiftJis);
    EXPECT_EQ(View.code, CodeShiftJis);
    EXPECT_EQ(LinesOf(View.firstLine), Split(ProseUtf8)) << "the bytes are kept as they are";
    EXPECT_EQ(SaveBack(), ProseUtf8);
    // A UTF-8 mark read as UTF-8 stays in the first line; one asked for but missing is not added.
    Open(Bom8 + "a", CodeUtf8);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({Bom8 + "a"}));
    EXPECT_EQ(SaveBack(), Bom8 + "a");
    Open("a", CodeUtf8Bom);
    EXPECT_FALSE(View.bom);
    EXPECT_EQ(SaveBack(), "a");
    Open(std::string("a\0b\0", 4), CodeUtf16Le);
    EXPECT_FALSE(View.bom);
    EXPECT_EQ(SaveBack(), std::string("a\0b\0", 4));
}

TEST_F(TextCodes, EditingOneLineRewritesThatLineAloneInTheFilesCode)
{
    const struct {
        const char* name;
        std::string file;
        std::string edited;
    } rows[] = {
        {"Shift-JIS", ProseShiftJis, "x" + ProseShiftJis},
        {"EUC-JP", ProseEucJp, "x" + ProseEucJp},
        {"UTF-8", ProseUtf8, "x" + ProseUtf8},
        {"UTF-8 (BOM)", Bom8 + ProseUtf8, Bom8 + "x" + ProseUtf8},
        {"UTF-16LE", BomLe + ProseUtf16Le, BomLe + std::string("x\0", 2) + ProseUtf16Le},
        {"UTF-16BE", BomBe + ProseUtf16Be, BomBe + std::string("\0x", 2) + ProseUtf16Be},
        {"JIS", ProseJis, "x" + ProseJis},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Open(row.file);
        ASSERT_TRUE(Edit(0, 0, 0, 0, "x"));
        EXPECT_EQ(SaveBack(), row.edited);
    }
}

TEST_F(TextCodes, ALargeFileIsDetectedWholeByTheLoaderBeforeItsFirstLine)
{
    std::string ascii;
    while (ascii.size() < 400 * 1024)
        ascii += "The quick brown fox jumps over the lazy dog.\n";
    // The loader reads lines as they are while the code is found; those of a file with a mark or
    // in UTF-16 or JIS have to be read again, and are held as the last line's held bytes show.
    const struct {
        const char* name;
        std::string mark;
        std::string last;
        TextCode code;
        std::string held;
    } rows[] = {
        {"UTF-8", "", ProseUtf8, CodeUtf8, ProseUtf8},
        {"Shift-JIS", "", ProseShiftJis, CodeShiftJis, ProseShiftJis},
        {"EUC-JP", "", ProseEucJp, CodeEucJp, ProseEucJp},
        {"UTF-8 (BOM)", "\xef\xbb\xbf", ProseUtf8, CodeUtf8Bom, ProseUtf8},
        {"JIS", "", ProseJis, CodeJis, ProseEucJp},
        {"UTF-16LE", "", "", CodeUtf16Le, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string file = row.mark + ascii + row.last;
        if (row.code == CodeUtf16Le) {
            file = BomLe;
            for (char b : ascii + "end")
                file += std::string(1, b) + '\0';
        }
        unsigned loads = LoadsStarted();
        Open(file);
        EXPECT_EQ(LoadsStarted(), loads + 1) << "read by the loader";
        EXPECT_EQ(View.code, row.code);
        EXPECT_EQ(View.lineEnd, unsigned(EndingLf));
        EXPECT_EQ(LinesOf(View.firstLine), Split(row.code == CodeUtf16Le ? ascii + "end" : ascii + row.held));
        EXPECT_EQ(SaveBack(), file);
    }
}

TEST_F(TextCodes, EveryLineKeepsItsOwnTerminatorAndTheFirstIsTheDocuments)
{
    const std::string mixed = "a\r\nb\nc\rd\r\n\ne\r";
    Open(mixed);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(Endings(), std::vector<unsigned>({EndingCrLf, EndingLf, EndingCr, EndingCrLf, EndingLf, EndingCr}));
    EXPECT_EQ(View.lineEnd, unsigned(EndingCrLf));
    EXPECT_EQ(SaveBack(), mixed) << "a lone CR at the end stays too";
    Open("no terminator");
    EXPECT_EQ(View.lineEnd, unsigned(EndingCrLf));
    Open("x\ry\r\n");
    EXPECT_EQ(View.lineEnd, unsigned(EndingCr));
}

TEST_F(TextCodes, BreakingAndJoiningLinesMoveTerminatorsAndUndoPutsThemBack)
{
    const std::string mixed = "ab\ncd\r\nef\rgh";
    Open(mixed);
    ASSERT_EQ(View.lineEnd, unsigned(EndingLf));
    // Enter in "cd": the new break is the document's, the tail keeps the line's own CR LF.
    ASSERT_TRUE(Edit(1, 1, 1, 1, "\r\n"));
    EXPECT_EQ(SaveBack(), "ab\nc\nd\r\nef\rgh");
    // Joining "d" and "ef" keeps the second line's CR.
    ASSERT_TRUE(Edit(2, 1, 3, 0, ""));
    EXPECT_EQ(SaveBack(), "ab\nc\ndef\rgh");
    // A paste of breaks of every kind gives each the document's terminator.
    ASSERT_TRUE(Edit(3, 2, 3, 2, "1\r2\r\n3\n4"));
    EXPECT_EQ(SaveBack(), "ab\nc\ndef\rgh1\n2\n3\n4");
    unsigned long error = 0;
    while (UndoEdit(&error)) {
    }
    EXPECT_EQ(SaveBack(), mixed);
    while (RedoEdit(&error)) {
    }
    EXPECT_EQ(SaveBack(), "ab\nc\ndef\rgh1\n2\n3\n4");
    // Removing a run of lines of every terminator and undoing it.
    Open("1\r\n2\r3\n\r\n4\r\r\n5");
    ASSERT_TRUE(Edit(0, 1, 6, 0, "-"));
    EXPECT_EQ(SaveBack(), "1-5");
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(SaveBack(), "1\r\n2\r3\n\r\n4\r\r\n5");
}

TEST_F(TextCodes, AChosenTerminatorOrTheSettingRewritesEveryLineWhenSaved)
{
    Open("a\r\nb\nc\rd\r");
    View.lineEnd = EndingLf;
    View.unifyEndings = true;
    EXPECT_EQ(SaveBack(), "a\nb\nc\nd\n");
    EXPECT_FALSE(View.unifyEndings);
    EXPECT_EQ(Endings(), std::vector<unsigned>({EndingLf, EndingLf, EndingLf, EndingLf}));
    EXPECT_EQ(SaveBack(), "a\nb\nc\nd\n");

    LineEndingSetting = 2;
    Open("a\r\nb\nc");
    EXPECT_EQ(View.lineEnd, unsigned(EndingCr));
    EXPECT_EQ(SaveBack(), "a\rb\rc");
    SetNewDocumentFormat(View);
    EXPECT_EQ(View.lineEnd, unsigned(EndingCr));
    LineEndingSetting = 0;
    DefaultCode = CodeUtf16Be;
    SetNewDocumentFormat(View);
    EXPECT_EQ(View.lineEnd, unsigned(EndingCrLf));
    EXPECT_EQ(View.code, CodeUtf16Be);
    EXPECT_TRUE(View.bom);
}

TEST_F(TextCodes, BrokenFilesOpenAndSaveBackExactly)
{
    const struct {
        const char* name;
        std::string file;
        TextCode code;
    } rows[] = {
        {"empty", "", CodeShiftJis},
        {"Shift-JIS cut after a lead byte", "\x82\xa0\x82", CodeShiftJis},
        {"UTF-8 cut mid-character", ProseUtf8.substr(0, 20), CodeUtf8},
        {"EUC-JP cut mid-character", ProseEucJp.substr(0, 11), CodeEucJp},
        {"UTF-16LE of odd length", BomLe + ProseUtf16Le.substr(0, 9), CodeUtf16Le},
        {"UTF-16BE of odd length", BomBe + ProseUtf16Be.substr(0, 11), CodeUtf16Be},
        {"UTF-16 with an unpaired surrogate", BomLe + std::string("a\0\x00\xd8\r\0\n\0\x00\xdc", 10), CodeUtf16Le},
        {"JIS left open at the end", "ab\x1b$B$\"", CodeJis},
        {"JIS escape cut short", "ab\x1b$", CodeJis},
        {"UTF-8 mark alone", Bom8, CodeUtf8Bom},
        {"UTF-16LE mark alone", BomLe, CodeUtf16Le},
        {"UTF-16BE mark alone", BomBe, CodeUtf16Be},
        {"a UTF-8 mark cut short", "\xEF\xBB", CodeUtf8Bom},
        {"stray bytes", "\x80\xff\xfe\xa0", CodeShiftJis},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Open(row.file, row.code);
        EXPECT_EQ(SaveBack(), row.file);
        Open(row.file);
        EXPECT_EQ(SaveBack(), row.file) << TextCodeName(View.code);
    }
}

}
