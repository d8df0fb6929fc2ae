#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "tests/test_support.h"
#include "view/char_input.h"

#include "view/caret_moves.h"
#include "view/editing.h"
#include "view/selection.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

typedef std::vector<std::string> Lines;

// What the loader reported, in order. The hooks run on the worker thread.
struct Reports {
    std::mutex mutex;
    Lines progress;
    std::vector<int> repaintLineCounts;
    int ended = 0;
    bool complete = false;
    unsigned long error = 0;
};
Reports* Seen = nullptr;

int CountLines(const TextLine* line)
{
    int count = 0;
    for (; line != nullptr; line = line->next)
        ++count;
    return count;
}

void OnRepaint()
{
    int count;
    {
        DocumentGuard guard;
        count = CountLines(View.firstLine);
    }
    std::lock_guard<std::mutex> lock(Seen->mutex);
    Seen->repaintLineCounts.push_back(count);
}

void OnProgress(const char* text)
{
    std::lock_guard<std::mutex> lock(Seen->mutex);
    Seen->progress.push_back(text);
}

// There is no window here to lay the document out, so the end of the load is its finish.
void OnEnded(bool complete, unsigned long error)
{
    {
        std::lock_guard<std::mutex> lock(Seen->mutex);
        ++Seen->ended;
        Seen->complete = complete;
        Seen->error = error;
    }
    FinishLoad();
}

std::string Progress(int lines)
{
    char text[64];
    std::snprintf(text, sizeof text, "読み込み中...(%d行)", lines);
    return text;
}

// Lines of the given widths cycling, to make a file of the given line count.
Lines MakeFileLines(int count, int width)
{
    Lines lines;
    for (int i = 0; i < count; ++i) {
        std::string line = std::to_string(i) + ":";
        line += std::string(static_cast<size_t>(width - static_cast<int>(line.size()) - i % 7), 'a' + i % 26);
        lines.push_back(line);
    }
    return lines;
}

std::string Joined(const Lines& lines, const char* ending)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i)
        bytes += (i == 0 ? "" : ending) + lines[i];
    return bytes;
}

// Every link agrees with its neighbour and every line is terminated where its length says.
bool ListIsWhole(const TextLine* first)
{
    const TextLine* previous = nullptr;
    for (const TextLine* line = first; line != nullptr; line = line->next) {
        if (line->prev != previous || line->text == nullptr || line->text[line->length] != 0)
            return false;
        previous = line;
    }
    return true;
}

class BackgroundLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        Seen = &reports;
        LoadRepaint = OnRepaint;
        LoadProgress = OnProgress;
        LoadEnded = OnEnded;
        folder = NewTempFolder();
    }

    void TearDown() override
    {
        WaitForLoad();
        Seen = nullptr;
        ResetEditor();
    }

    // Starts reading path into View, as opening the file does.
    bool Open(const std::string& bytes)
    {
        Prepare(bytes);
        unsigned long error = 0;
        return ReadDocument(View, &error) && error == 0;
    }
    void Prepare(const std::string& bytes)
    {
        std::string path = folder + "\\load.txt";
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        std::strcpy(View.path, path.c_str());
    }

    bool WaitForLoad()
    {
        for (int waited = 0; waited < 60000 && LoadInProgress(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return !LoadInProgress();
    }

#ifndef _WIN32
    // The load of lines has ended once, incomplete for want of memory, keeping more than atLeast
    // of the file's first lines whole and the start of the next.
    void ExpectCutShortForMemory(const Lines& lines, size_t atLeast)
    {
        EXPECT_EQ(SystemErrorCount(), 0) << "the window shows the box once, after the load";
        EXPECT_EQ(reports.ended, 1);
        EXPECT_FALSE(reports.complete);
        EXPECT_EQ(reports.error, OutOfMemoryError);
        Lines loaded = LinesOf(View.firstLine);
        ASSERT_GT(loaded.size(), atLeast);
        ASSERT_LT(loaded.size(), lines.size());
        for (size_t i = 0; i + 1 < loaded.size(); ++i)
            ASSERT_EQ(loaded[i], lines[i]) << "line " << i;
        EXPECT_EQ(lines[loaded.size() - 1].compare(0, loaded.back().size(), loaded.back()), 0)
            << "the last line holds the start of the file's line";
        EXPECT_TRUE(ListIsWhole(View.firstLine));
    }

    // The same with the arena's chunks limited to room bytes more than now; every chunk must go
    // with the document.
    void ExpectChunkLimitCutsShort(const Lines& lines, const char* ending, long room, size_t atLeast)
    {
        const long before = ChunkBytesInUse();
        LimitChunkBytes(before + room);
        ASSERT_TRUE(Open(Joined(lines, ending)));
        ASSERT_TRUE(WaitForLoad());
        ExpectCutShortForMemory(lines, atLeast);
        DiscardLines(View);
        EXPECT_EQ(ChunkBytesInUse(), before);
    }
#endif

    Reports reports;
    std::string folder;
};

TEST_F(BackgroundLoadTest, AThousandLinesReportEvery256AndRepaintOnceAfterThe101st)
{
    Lines lines = MakeFileLines(1000, 400);
    std::string bytes = Joined(lines, "\r\n");
    ASSERT_GT(bytes.size(), static_cast<size_t>(LoadThreshold));
    ASSERT_TRUE(Open(bytes));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(reports.progress, Lines({Progress(256), Progress(512), Progress(768)}));
    // Once, when at least 101 completed lines and the one being filled are in the list.
    ASSERT_EQ(reports.repaintLineCounts.size(), 1u);
    EXPECT_GE(reports.repaintLineCounts[0], 102);
    EXPECT_EQ(reports.ended, 1);
    EXPECT_TRUE(reports.complete);
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_TRUE(ListIsWhole(View.firstLine));
}

TEST_F(BackgroundLoadTest, TheThresholdItselfIsReadAtOnceAndOneByteMoreIsNot)
{
    std::string bytes(LoadThreshold - 2, 'x');
    bytes += "\r\n";
    ASSERT_TRUE(Open(bytes));
    EXPECT_FALSE(LoadInProgress());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string(LoadThreshold - 2, 'x'), ""}));
    EXPECT_EQ(reports.ended, 0);

    DestroyLines(View.firstLine);
    ASSERT_TRUE(Open(bytes + "y"));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(reports.ended, 1);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string(LoadThreshold - 2, 'x'), "y"}));
}

TEST_F(BackgroundLoadTest, AFileWithoutTerminatorsBecomesOneLineWithoutProgress)
{
    std::string bytes(LoadThreshold + 5000, 'z');
    bytes[1000] = 0;
    ASSERT_TRUE(Open(bytes));
    ASSERT_TRUE(WaitForLoad());
    bytes[1000] = '*';
    EXPECT_EQ(LinesOf(View.firstLine), Lines({bytes}));
    EXPECT_TRUE(reports.progress.empty());
    EXPECT_TRUE(reports.repaintLineCounts.empty());
    EXPECT_TRUE(reports.complete);
}

TEST_F(BackgroundLoadTest, EveryTerminatorEndsALineAsInASynchronousRead)
{
    std::string bytes;
    for (int i = 0; bytes.size() <= static_cast<size_t>(LoadThreshold); ++i)
        bytes += std::string(static_cast<size_t>(i % 50), 'q') + (i % 3 == 0 ? "\n" : i % 3 == 1 ? "\r" : "\r\n");
    bytes += "\r\rlast";
    ASSERT_TRUE(Open(bytes));
    ASSERT_TRUE(WaitForLoad());
    Lines loaded = LinesOf(View.firstLine);
    // The same bytes read at once: a file below the threshold is never handed to the worker,
    // so the expected lines come from splitting the text here.
    Lines expected(1);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            expected.push_back("");
        } else {
            expected.back() += bytes[i];
        }
    }
    EXPECT_EQ(loaded, expected);
}

TEST_F(BackgroundLoadTest, TypingWhileTheWorkerAppendsKeepsBothTheFileAndTheTypedBytes)
{
    Lines lines = MakeFileLines(20000, 40);
    ASSERT_TRUE(Open(Joined(lines, "\n")));
    {
        DocumentGuard guard;
        View.caret.line = View.firstLine;
        View.caret.pos = 0;
    }
    // Typing waits for the first line to be complete, so it lands in a line the worker has left.
    int typed = 0;
    bool whole = true;
    while (LoadInProgress() || typed < 50) {
        {
            DocumentGuard guard;
            if (View.firstLine->next != nullptr) {
                InsertText("T", 1);
                ++typed;
                whole = whole && ListIsWhole(View.firstLine);
            }
        }
        // A typist leaves the worker room between keys; taking the lock back at once, over and
        // over, would only measure how fair the lock is.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(WaitForLoad());
    EXPECT_TRUE(whole);
    Lines expected = lines;
    expected[0] = std::string(static_cast<size_t>(typed), 'T') + expected[0];
    EXPECT_EQ(LinesOf(View.firstLine), expected);
    EXPECT_TRUE(View.modified);
}

// The user breaks the last line and types after the break while the worker fills it; the file
// goes on at the end of the document. Edits that would join lines wait for the end of the load.
TEST_F(BackgroundLoadTest, EditsDuringALoadKeepTheFileInOrderAndNeverJoinTheLinesBeingFilled)
{
    Lines lines = MakeFileLines(20000, 40);
    std::string file = Joined(lines, "\n");
    ASSERT_TRUE(Open(file));
    {
        DocumentGuard guard;
        View.caret.line = View.firstLine;
        View.anchor = CaretPlace();
    }
    int typed = 0;
    int refused = 0;
    bool whole = true;
    while (LoadInProgress() || typed < 20) {
        {
            DocumentGuard guard;
            MoveDocumentEnd();
            CollapseSelection();
            unsigned long error = 0;
            if (InsertText("\nUSER", 5, &error))
                ++typed;
            MoveHome();
            CollapseSelection();
            std::vector<std::string> before = LinesOf(View.firstLine);
            bool joined = DeleteBackward(false, &error);
            if (LoadInProgress()) {
                // Refused without a word of the system's, and nothing changed.
                if (!joined && error == 0 && LinesOf(View.firstLine) == before)
                    ++refused;
            }
            whole = whole && ListIsWhole(View.firstLine);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(WaitForLoad());
    EXPECT_TRUE(whole);
    EXPECT_GT(refused, 0);
    // Lines only ever came after the user's, so the caret's count of its line still holds.
    int index = 0;
    for (TextLine* line = View.firstLine; line != View.caret.line; line = line->next)
        ++index;
    EXPECT_EQ(View.caret.lineIndex, index);
    std::string text = Joined(LinesOf(View.firstLine), "\n");
    // Joins made after the load ended removed some breaks before "USER"; remove both forms.
    for (size_t at = text.find("USER"); at != std::string::npos; at = text.find("USER", at)) {
        size_t from = at > 0 && text[at - 1] == '\n' ? at - 1 : at;
        text.erase(from, at + 4 - from);
        at = from;
    }
    EXPECT_EQ(text, file);
}

#ifndef _WIN32
TEST_F(BackgroundLoadTest, WithoutAThreadTheFileIsReadAtOnce)
{
    FailThreadStarts(true);
    Lines lines = MakeFileLines(1000, 400);
    ASSERT_TRUE(Open(Joined(lines, "\r\n")));
    EXPECT_FALSE(LoadInProgress());
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_EQ(reports.ended, 0);
}

TEST_F(BackgroundLoadTest, AWorkerThatCannotOpenTheFileReadsNothingAndSaysSo)
{
    Prepare(Joined(MakeFileLines(1000, 400), "\r\n"));
    FailOpensAfter(1);
    unsigned long error = 0;
    ASSERT_TRUE(ReadDocument(View, &error));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(reports.ended, 1);
    EXPECT_FALSE(reports.complete);
    EXPECT_NE(reports.error, 0u);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
}

TEST_F(BackgroundLoadTest, ALineThatCannotGrowEndsTheLoadIncompleteWithoutABoxOfItsOwn)
{
    // Lines longer than the reader's block, which grow blocks of their own while they are read:
    // the document's first line gets a block, then each line two as it is read.
    Lines lines = MakeFileLines(8, 300 * 1024);
    FailAllocationsAfter(4);
    ASSERT_TRUE(Open(Joined(lines, "\r\n")));
    ASSERT_TRUE(WaitForLoad());
    ExpectCutShortForMemory(lines, 0);
}

TEST_F(BackgroundLoadTest, NoMemoryForTheLinesMidLoadKeepsWhatWasReadAndEndsItOnce)
{
    // The arena's chunks grow from 64 KB, doubling: the first three fit, the fourth does not.
    ExpectChunkLimitCutsShort(MakeFileLines(3000, 450), "\r\n", 512 * 1024, 500);
}

// Beyond the first megabyte the chunks are made ahead on a thread of their own.
TEST_F(BackgroundLoadTest, AFileOfManyChunksArrivesWholeAndEveryChunkGoesWithTheDocument)
{
    const long before = ChunkBytesInUse();
    Lines lines = MakeFileLines(120000, 60);
    ASSERT_TRUE(Open(Joined(lines, "\r\n")));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_TRUE(reports.complete);
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_TRUE(ListIsWhole(View.firstLine));
    DiscardLines(View);
    EXPECT_EQ(ChunkBytesInUse(), before);
}

TEST_F(BackgroundLoadTest, NoMemoryWhileChunksAreMadeAheadStillKeepsWhatWasReadAndEndsItOnce)
{
    // The chunks up to the largest take 960 KB; then some of a megabyte each, made ahead.
    ExpectChunkLimitCutsShort(MakeFileLines(200000, 60), "\n", 5 * 1024 * 1024, 20000);
}

TEST_F(BackgroundLoadTest, ADocumentDiscardedWhileHalfItsLinesLiveInTheArenaGivesBackEveryChunk)
{
    const long before = ChunkBytesInUse();
    Lines lines = MakeFileLines(20000, 40);
    ASSERT_TRUE(Open(Joined(lines, "\n")));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_GT(ChunkBytesInUse(), before);
    // Every other line moves to a block of its own, every tenth is split, and a few go.
    int index = 0;
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next, ++index) {
        bool edited = index % 2 != 0 || line->AppendBytes(" edited", 7);
        bool split = index % 10 != 1 || line->SplitAt(line->length / 2);
        ASSERT_TRUE(edited && split) << "line " << index;
    }
    for (TextLine* line = View.firstLine->next; line != nullptr && line->next != nullptr; line = line->next) {
        TextLine* gone = line->next;
        line->next = gone->next;
        if (gone->next != nullptr)
            gone->next->prev = line;
        delete gone;
        for (int skip = 0; skip < 97 && line->next != nullptr; ++skip)
            line = line->next;
    }
    EXPECT_TRUE(ListIsWhole(View.firstLine));
    DiscardLines(View);
    EXPECT_EQ(ChunkBytesInUse(), before);
}

TEST_F(BackgroundLoadTest, AReadErrorEndsTheLoadIncompleteKeepingEveryByteBeforeIt)
{
    Lines lines = MakeFileLines(2000, 400);
    std::string bytes = Joined(lines, "\n");
    Prepare(bytes);
    const long cut = 500000;
    FailStreamsAfter(cut);
    unsigned long error = 0;
    ASSERT_TRUE(ReadDocument(View, &error, CodeShiftJis));
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(reports.ended, 1);
    EXPECT_FALSE(reports.complete);
    EXPECT_NE(reports.error, 0u);
    std::string kept = Joined(LinesOf(View.firstLine), "\n");
    EXPECT_EQ(kept, bytes.substr(0, static_cast<size_t>(cut)));
    EXPECT_TRUE(ListIsWhole(View.firstLine));
}
#endif

}

namespace {

std::atomic<bool> EndedWithWorkDone{false};

void RecordEnd(bool, unsigned long)
{
    EndedWithWorkDone = LoadReadToEnd();
}

}

TEST_F(BackgroundLoadTest, TheWindowMayFinishALoadOnlyOnceItsWorkerHasEnded)
{
    LoadEnded = RecordEnd;
    EndedWithWorkDone = false;
    LockDocument();
    ASSERT_TRUE(Open(Joined(MakeFileLines(1000, 400), "\r\n")));
    // The worker waits for the lock: an end of load announced now is not the worker's.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(LoadInProgress());
    EXPECT_FALSE(LoadReadToEnd());
    UnlockDocument();
    for (int waited = 0; !LoadReadToEnd() && waited < 20000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(LoadReadToEnd());
    EXPECT_TRUE(EndedWithWorkDone);
    FinishLoad();
    EXPECT_FALSE(LoadReadToEnd());
    EXPECT_FALSE(LoadInProgress());
}
