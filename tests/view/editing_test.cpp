// Undo and redo as the user meets them: which edits make one step, the saved state, groups, and
// the caret and selection they bring back.
#include "view/editing.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/selection.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

int ModifiedNotices = 0;

void CountNotice()
{
    ++ModifiedNotices;
}

class Editing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        View.clientWidth = 300;
        View.clientHeight = 200;
        ModifiedNotices = 0;
        DocumentChanged = CountNotice;
    }
    void TearDown() override { ResetEditor(); }

    void Document(const Lines& texts, int line, int pos)
    {
        DestroyLines(View.firstLine);
        View.firstLine = View.topLine = MakeLines(texts);
        View.topRow = 1;
        View.totalRows = static_cast<int>(texts.size());
        for (TextLine* l = View.firstLine; l != nullptr; l = l->next)
            l->rowCount = 1;
        View.undo.Clear();
        PlaceCaretAt(TextPlace{::LineAt(View.firstLine, line), line, pos});
        CollapseSelection();
        View.modified = false;
    }

    void Type(const std::string& bytes)
    {
        unsigned long error = 0;
        for (char b : bytes)
            TypeByte(static_cast<unsigned char>(b), &error);
    }

    void Move(void (*move)())
    {
        move();
        CollapseSelection();
        EndTypingRun();
    }

    int Undos()
    {
        int count = 0;
        unsigned long error = 0;
        while (UndoEdit(&error))
            ++count;
        return count;
    }

    Lines Text() { return LinesOf(View.firstLine); }
};

TEST_F(Editing, TypedCharactersAreOneStepUntilTheCaretMovesOrALineBreaks)
{
    Document({""}, 0, 0);
    Type("abc");
    Type("\r");
    Type("de");
    Move(MoveLeft);
    Type("X");
    EXPECT_EQ(Text(), (Lines{"abc", "dXe"}));
    unsigned long error = 0;
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"abc", "de"}));
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"abc", ""}));
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"abc"}));
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{""}));
    EXPECT_FALSE(UndoEdit(&error));
    EXPECT_EQ(error, 0u);
}

TEST_F(Editing, BackspaceAndDeleteRunsAreOneStepEachAndBringTheCaretBack)
{
    Document({"abcdef"}, 0, 4);
    unsigned long error = 0;
    DeleteBackward(false, &error);
    DeleteBackward(false, &error);
    DeleteForward(false, &error);
    DeleteForward(false, &error);
    EXPECT_EQ(Text(), (Lines{"ab"}));
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"abef"}));
    EXPECT_EQ(View.caret.pos, 2);
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"abcdef"}));
    EXPECT_EQ(View.caret.pos, 4);
    ASSERT_TRUE(RedoEdit(&error));
    ASSERT_TRUE(RedoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"ab"}));
    EXPECT_FALSE(RedoEdit(&error));
}

TEST_F(Editing, UndoBackToTheSavedStateClearsTheModifiedMarkUntilAnEditLeavesIt)
{
    Document({"abc"}, 0, 3);
    Type("d");
    EXPECT_TRUE(View.modified);
    unsigned long error = 0;
    UndoEdit(&error);
    EXPECT_FALSE(View.modified);
    RedoEdit(&error);
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(ModifiedNotices, 3);

    // Saved after the edit: undoing it leaves the saved state, redoing comes back.
    View.modified = false;
    MarkDocumentSaved();
    UndoEdit(&error);
    EXPECT_TRUE(View.modified);
    RedoEdit(&error);
    EXPECT_FALSE(View.modified);

    // An edit made after undoing past the saved state: no state is the saved one any more.
    UndoEdit(&error);
    Type("x");
    EXPECT_TRUE(View.modified);
    Undos();
    EXPECT_EQ(Text(), (Lines{"abc"}));
    EXPECT_TRUE(View.modified);
}

TEST_F(Editing, AGroupOfEditsIsUndoneAndRedoneAsOne)
{
    Document({"a-b-c", "d-e"}, 0, 0);
    unsigned long error = 0;
    BeginEditGroup();
    ReplaceRange(TextPlace{View.firstLine, 0, 1}, TextPlace{View.firstLine, 0, 2}, "+", 1, EditOther, &error);
    ReplaceRange(TextPlace{View.firstLine, 0, 3}, TextPlace{View.firstLine, 0, 4}, "+", 1, EditOther, &error);
    ReplaceRange(TextPlace{View.firstLine->next, 1, 1}, TextPlace{View.firstLine->next, 1, 2}, "+", 1, EditOther,
                &error);
    EndEditGroup();
    Type("!");
    EXPECT_EQ(Text(), (Lines{"a+b+c", "d+!e"}));
    EXPECT_EQ(Undos(), 2);
    EXPECT_EQ(Text(), (Lines{"a-b-c", "d-e"}));
    ASSERT_TRUE(RedoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"a+b+c", "d+e"}));
}

TEST_F(Editing, UndoBringsBackTheSelectionADeletionTook)
{
    Document({"one", "two", "three"}, 0, 1);
    SetSelection(CaretPlace(), TextPlace{::LineAt(View.firstLine, 2), 2, 2});
    unsigned long error = 0;
    ASSERT_TRUE(DeleteBackward(false, &error));
    EXPECT_EQ(Text(), (Lines{"oree"}));
    EXPECT_EQ(View.totalRows, 1);
    ASSERT_TRUE(UndoEdit(&error));
    EXPECT_EQ(Text(), (Lines{"one", "two", "three"}));
    EXPECT_EQ(View.totalRows, 3);
    std::string selected;
    SelectedBytes("|", &selected);
    EXPECT_EQ(selected, "ne|two|th");
    EXPECT_EQ(View.caret.lineIndex, 2);
}

#ifndef _WIN32
int Shown = 0;

void CountShown()
{
    ++Shown;
}

// A group of three edits that Undo (Redo) has to make new lines for, each, whichever allocation
// memory runs out at: three joins are undone, three breaks redone. The steps taken back (or made
// again) before the failure stay so, the window catches up with them, and the next Undo (Redo)
// goes on with the rest of the group.
TEST_F(Editing, AGroupThatRunsOutOfMemoryPartWayStopsWhereItGotAndIsShown)
{
    const Lines split = {"one", "two", "three", "four"};
    const Lines joined = {"onetwothreefour"};
    bool (*const turns[])(unsigned long*) = {UndoEdit, RedoEdit};
    for (bool (*turn)(unsigned long*) : turns) {
        bool undoing = turn == UndoEdit;
        // Undo starts from the joined text, Redo from the split text, back where the group began.
        const Lines& before = undoing ? split : joined;
        const Lines& after = undoing ? joined : split;
        bool done = false;
        for (int succeeding = 0; !done && succeeding < 40; ++succeeding) {
            ResetTestHooks();
            Document(before, 0, 0);
            unsigned long error = 0;
            BeginEditGroup();
            for (int i = 0; i < 3; ++i) {
                if (undoing) {
                    TextPlace end = {View.firstLine, 0, View.firstLine->length};
                    TextPlace next = {View.firstLine->next, 1, 0};
                    ASSERT_TRUE(ReplaceRange(end, next, "", 0, EditOther, &error));
                } else {
                    TextLine* line = ::LineAt(View.firstLine, i);
                    TextPlace at = {line, i, static_cast<int>(split[i].size())};
                    ASSERT_TRUE(ReplaceRange(at, at, "\r", 1, EditOther, &error));
                }
            }
            EndEditGroup();
            ASSERT_EQ(Text(), after);
            if (!undoing) {
                ASSERT_TRUE(UndoEdit(&error));
            }
            const Lines& from = undoing ? after : before;
            const Lines& to = undoing ? before : after;
            Shown = 0;
            EditShown = CountShown;
            FailHeapAllocations(true);
            FailAllocationsAfter(succeeding);
            done = turn(&error);
            ResetTestHooks();
            if (done) {
                EXPECT_EQ(Text(), to);
                break;
            }
            SCOPED_TRACE(std::to_string(succeeding) + " allocations" + (undoing ? " for Undo" : " for Redo"));
            EXPECT_EQ(error, OutOfMemoryError);
            EXPECT_EQ(Shown, Text() != from ? 1 : 0);
            EXPECT_EQ(View.modified, Text() != before);
            EXPECT_EQ(View.totalRows, static_cast<int>(Text().size()));
            EXPECT_EQ(View.caret.line, ::LineAt(View.firstLine, View.caret.lineIndex));
            // The rest of the group, and back again as one step.
            ASSERT_TRUE(turn(&error));
            EXPECT_EQ(Text(), to);
            EXPECT_EQ(View.modified, to != before);
            bool (*back)(unsigned long*) = undoing ? RedoEdit : UndoEdit;
            ASSERT_TRUE(back(&error));
            EXPECT_EQ(Text(), from);
            EXPECT_FALSE(back(&error));
        }
        EXPECT_TRUE(done);
    }
    EditShown = nullptr;
}
#endif

TEST_F(Editing, TypedCharactersCostTheLogAFewBytesEach)
{
    Document({""}, 0, 0);
    for (int line = 0; line < 2000; ++line) {
        Type(std::string(60, 'a'));
        Type("\r");
    }
    // 122,000 bytes typed; the log holds them with a few words a step.
    EXPECT_LT(View.undo.Bytes(), 122000u * 16);
}

}
