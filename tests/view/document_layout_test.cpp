// Measuring while a load adds lines must come to what measuring the whole loaded document gives,
// whatever the worker was doing at each pass.
#include "view/document_layout.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::atomic<int> Ended{0};

// The window finishes a load itself, after measuring what arrived last.
void NoteEnded(bool, unsigned long)
{
    ++Ended;
}

// Lines of many widths, some with tabs, some several rows wide at 300 px.
std::string FileBytes(int lines)
{
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
        bytes += std::to_string(i);
        bytes += std::string(static_cast<size_t>(i * 7919 % 97), i % 5 == 0 ? '\t' : 'x');
        bytes += i % 3 == 0 ? "\r\n" : "\n";
    }
    return bytes;
}

int SumOfRows(const TextLine* from, const TextLine* to)
{
    int rows = 0;
    for (const TextLine* line = from; line != to; line = line->next)
        rows += line->rowCount;
    return rows;
}

class DocumentLayoutTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        NewEditor();
        folder = NewTempFolder();
    }

    void NewEditor()
    {
        ResetEditor();
        WrapMode = GetParam();
        View.clientWidth = 300;
        View.clientHeight = 200;
        Ended = 0;
        LoadEnded = NoteEnded;
    }

    void TearDown() override
    {
        // The worker is done with the hooks once it has reported the end.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (LoadInProgress() && Ended == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        FinishLoad();
        ResetEditor();
    }

    // Starts the load of bytes and measures the one empty line, as opening a file does. Unless
    // a code is given, the lines wait for the code to be found.
    void StartLoad(const std::string& bytes, TextCode code = TextCodeCount)
    {
        std::string path = folder + "\\arriving.txt";
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        std::strcpy(View.path, path.c_str());
        unsigned long error = 0;
        ASSERT_TRUE(ReadDocument(View, &error, code));
        ASSERT_TRUE(LoadInProgress());
        DocumentGuard guard;
        View.topLine = View.firstLine;
        View.topRow = 1;
        MeasureDocument();
    }

    // Measures as the window's progress messages do until the worker is done, then once more.
    int MeasureUntilRead()
    {
        int passes = 0;
        // Windows sleeps for a millisecond at least, or not at all: the wait is by the clock.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (Ended == 0 && std::chrono::steady_clock::now() < deadline) {
            passes += MeasureArrivedLines() ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(LoadReadToEnd());
        EXPECT_TRUE(MeasureArrivedLines());
        return passes;
    }

    // Every line measured with its final bytes, and the totals what they add up to.
    void ExpectMeasuredWhole()
    {
        LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
        int widest = 0;
        int index = 0;
        for (TextLine* line = View.firstLine; line != nullptr; line = line->next, ++index) {
            LineMeasure measure = MeasureLine(*line, rect);
            ASSERT_EQ(measure.rowDelta, 0) << "line " << index << " was measured before it was whole";
            if (measure.extent > widest)
                widest = measure.extent;
        }
        EXPECT_EQ(View.totalRows, SumOfRows(View.firstLine, nullptr));
        EXPECT_EQ(View.maxLineWidth, widest);
    }

    std::string folder;
};

TEST_P(DocumentLayoutTest, LinesMeasuredAsTheyArriveAddUpToTheWholeDocument)
{
    // Whether the measuring gets a turn while the worker reads is the scheduler's choice, and a
    // busy machine may give it none in a whole load: a few loads are tried. The code is given,
    // as when it is chosen in the Open dialog: finding the code of a file without a byte over 7F
    // holds its first half back, and a fast machine may then read the rest within one pass.
    int passes = 0;
    for (int attempt = 0; attempt < 5 && passes <= 1; ++attempt) {
        if (attempt > 0)
            NewEditor();
        StartLoad(FileBytes(150000), CodeShiftJis);
        passes = MeasureUntilRead();
        FinishLoad();
        ExpectMeasuredWhole();
        EXPECT_EQ(View.vScroll, 0);
        EXPECT_EQ(View.topLine, View.firstLine);
    }
    EXPECT_GT(passes, 1) << "the lines were measured while the load ran";
}

// The caret taken to the end while the file still arrives puts the top among lines not measured
// yet; measuring them later must keep vScroll on that same top row.
TEST_P(DocumentLayoutTest, ATopAmongLinesNotYetMeasuredKeepsItsRow)
{
    StartLoad(FileBytes(150000));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        {
            DocumentGuard guard;
            TextLine* loading = LineBeingLoaded();
            if (loading != nullptr && loading != View.firstLine && loading->prev != View.firstLine) {
                View.topLine = loading->prev;
                View.topRow = 1;
                View.vScroll = SumOfRows(View.firstLine, View.topLine);
                break;
            }
        }
        std::this_thread::yield();
    }
    ASSERT_NE(View.topLine, View.firstLine);
    MeasureUntilRead();
    FinishLoad();
    ExpectMeasuredWhole();
    EXPECT_EQ(View.vScroll, SumOfRows(View.firstLine, View.topLine) + View.topRow - 1);
}

TEST_P(DocumentLayoutTest, MeasuringAgainAfterTheEndOnlyMeasuresTheLastLine)
{
    StartLoad(FileBytes(20000));
    MeasureUntilRead();
    int rows = View.totalRows;
    int firstRows = View.firstLine->rowCount;
    // A wrong count shows whether the next pass measures the line again.
    View.firstLine->rowCount = firstRows + 5;
    EXPECT_TRUE(MeasureArrivedLines());
    EXPECT_EQ(View.firstLine->rowCount, firstRows + 5) << "the whole document was measured again";
    EXPECT_EQ(View.totalRows, rows);
    View.firstLine->rowCount = firstRows;
    FinishLoad();
    EXPECT_FALSE(MeasureArrivedLines()) << "no load runs";
}

// Where one load's measuring stopped means nothing to the next, which may begin without the
// document being measured first.
TEST_P(DocumentLayoutTest, ALoadNeverResumesWhereAnEarlierOneStopped)
{
    StartLoad(FileBytes(20000));
    MeasureUntilRead();
    FinishLoad();
    DiscardLines(View);
    View.totalRows = 0;
    View.maxLineWidth = 0;
    Ended = 0;
    std::string path = folder + "\\next.txt";
    ASSERT_TRUE(WriteFileBytes(path, FileBytes(30000)));
    std::strcpy(View.path, path.c_str());
    unsigned long error = 0;
    ASSERT_TRUE(ReadDocument(View, &error));
    View.topLine = View.firstLine;
    View.topRow = 1;
    MeasureUntilRead();
    FinishLoad();
    ExpectMeasuredWhole();
}

INSTANTIATE_TEST_SUITE_P(EachWrapMode, DocumentLayoutTest, ::testing::Values(-1, 0, 80));

}
