// The undo log on its own: a step that joins the one before it when memory runs out part way.
#include "document/undo_log.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>

#ifndef _WIN32
namespace {

// An overwriting keystroke's step: it removed one byte and inserted another at line 0, pos.
UndoStep Overwrite(int pos, char removed, char inserted)
{
    UndoStep step;
    step.start = LogPlace{0, pos};
    step.removed = std::string(1, removed);
    step.inserted = std::string(1, inserted);
    step.caretBefore = step.anchorBefore = LogPlace{0, pos};
    step.caretAfter = step.anchorAfter = LogPlace{0, pos + 1};
    step.kind = EditTyping;
    step.withPrevious = false;
    return step;
}

}

// Joining grows both byte strings of the last step; whichever allocation fails, the step holds
// each byte once, so that Undo puts back exactly what was overwritten. The run is made as long as
// its strings' room, so that joining one more keystroke has to allocate, twice at most.
TEST(UndoLogTest, AJoinThatRunsOutOfMemoryJoinsWholeOrNotAtAll)
{
    for (int failing = 1; failing <= 4; ++failing) {
        ResetTestHooks();
        UndoLog log;
        // Two steps before the run, so that making room drops an older one and keeps the run.
        UndoStep first = Overwrite(100, 'p', 'q');
        log.Record(first);
        log.Seal();
        UndoStep second = Overwrite(200, 'r', 's');
        log.Record(second);
        log.Seal();
        std::string removed;
        std::string inserted;
        int pos = 0;
        do {
            UndoStep step = Overwrite(pos, static_cast<char>('a' + pos % 26), static_cast<char>('A' + pos % 26));
            log.Record(step);
            removed += static_cast<char>('a' + pos % 26);
            inserted += static_cast<char>('A' + pos % 26);
            ++pos;
        } while (log.NextUndo().removed.size() < log.NextUndo().removed.capacity() ||
                 log.NextUndo().inserted.size() < log.NextUndo().inserted.capacity());
        ASSERT_EQ(log.NextUndo().removed, removed);
        UndoStep last = Overwrite(pos, '!', '?');
        removed += '!';
        inserted += '?';
        FailHeapAllocations(true);
        FailAllocationNumber(failing);
        log.Record(last);
        ResetTestHooks();
        // The run whole, or (had it to go to make room) the last keystroke alone.
        ASSERT_TRUE(log.CanUndo());
        const UndoStep& run = log.NextUndo();
        size_t start = static_cast<size_t>(run.start.pos);
        ASSERT_LE(start, static_cast<size_t>(pos));
        EXPECT_EQ(run.removed, removed.substr(start)) << "allocation " << failing;
        EXPECT_EQ(run.inserted, inserted.substr(start)) << "allocation " << failing;
        EXPECT_EQ(run.caretAfter.pos, pos + 1);
    }
}
#endif
