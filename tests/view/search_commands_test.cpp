#include "view/search_commands.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"
#include "view/editing.h"
#include "view/selection.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Lines;

const char A[] = "\x83\x41";  // katakana a, whose trail byte is "A"

int Shown = 0;
int StateChanges = 0;

void CountShown()
{
    ++Shown;
}

void CountStateChange()
{
    ++StateChanges;
}

class SearchCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        Shown = StateChanges = 0;
        EditShown = CountShown;
        EditStateChanged = CountStateChange;
    }

    void TearDown() override
    {
        EditShown = nullptr;
        EditStateChanged = nullptr;
        ResetEditor();
    }

    void Document(const Lines& lines, int line = 0, int pos = 0)
    {
        DestroyLines(View.firstLine);
        View.firstLine = View.topLine = MakeLines(lines);
        View.topLineIndex = 0;
        TextPlace caret = {LineAt(View.firstLine, line), line, pos};
        SetSelection(caret, caret);
        View.undo.Clear();
        View.modified = false;
    }

    SearchPattern Pattern(const std::string& bytes, bool matchCase = true, bool wholeWord = false)
    {
        pattern = bytes;
        SearchPattern p = {pattern.data(), static_cast<int>(pattern.size()), matchCase, wholeWord};
        return p;
    }

    // "anchor line:pos - caret line:pos"; each place's line must agree with its number.
    std::string Selection()
    {
        EXPECT_EQ(View.caret.line, LineAt(View.firstLine, View.caret.lineIndex));
        EXPECT_EQ(View.anchor.line, LineAt(View.firstLine, View.anchor.lineIndex));
        return std::to_string(View.anchor.lineIndex) + ":" + std::to_string(View.anchor.pos) + "-" +
               std::to_string(View.caret.lineIndex) + ":" + std::to_string(View.caret.pos);
    }

    std::string Next(const std::string& bytes, bool forward = true, bool matchCase = true)
    {
        bool wrapped = false;
        if (!SelectNextMatch(Pattern(bytes, matchCase), forward, &wrapped))
            return "none";
        return Selection() + (wrapped ? "+" : "");
    }

    int ReplaceAll(const std::string& what, const std::string& with, bool matchCase = true, bool wholeWord = false)
    {
        int replaced = -1;
        unsigned long error = 0;
        EXPECT_TRUE(ReplaceAllMatches(Pattern(what, matchCase, wholeWord), with.data(), static_cast<int>(with.size()),
                                      &replaced, &error));
        return replaced;
    }

    std::string pattern;
};

}

TEST_F(SearchCommands, FindSelectsEachMatchInTurnAndGoesRoundOnce)
{
    Document({"cat dog", "hot dog", "dogma"}, 0, 0);
    EXPECT_EQ(Next("dog"), "0:4-0:7");
    EXPECT_EQ(Next("dog"), "1:4-1:7");
    EXPECT_EQ(Next("dog"), "2:0-2:3");
    EXPECT_EQ(Next("dog"), "0:4-0:7+");
    // Backwards from the selected match: the one before it, not itself.
    EXPECT_EQ(Next("dog", false), "2:0-2:3+");
    EXPECT_EQ(Next("dog", false), "1:4-1:7");
    EXPECT_EQ(Next("DOG", false, false), "0:4-0:7");
    // Nowhere to be found: the selection stays as it was.
    EXPECT_EQ(Next("cow"), "none");
    EXPECT_EQ(Selection(), "0:4-0:7");
    // Half of a character is no match, not even after going round.
    Document({std::string(A) + "x"}, 0, 0);
    EXPECT_EQ(Next("A"), "none");
    EXPECT_EQ(Next("a", true, false), "none");
    EXPECT_EQ(Next(A, false), "0:0-0:2+");
}

TEST_F(SearchCommands, ReplaceTakesTheSelectedMatchOnlyAndFindsTheNext)
{
    Document({"one two one", "one"}, 0, 0);
    bool found = false;
    bool wrapped = false;
    unsigned long error = 1;
    // Nothing selected: Replace only finds.
    ASSERT_TRUE(ReplaceAndFindNext(Pattern("ONE", false), "1", 1, &found, &wrapped, &error));
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(found);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"one two one", "one"}));
    EXPECT_EQ(Selection(), "0:0-0:3");
    ASSERT_TRUE(ReplaceAndFindNext(Pattern("ONE", false), "1", 1, &found, &wrapped, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"1 two one", "one"}));
    EXPECT_EQ(Selection(), "0:6-0:9");
    EXPECT_TRUE(View.modified);
    // A selection that is not a match where it stands is left alone.
    TextPlace start = {View.firstLine, 0, 2};
    TextPlace end = {View.firstLine, 0, 5};
    SetSelection(start, end);
    ASSERT_TRUE(ReplaceAndFindNext(Pattern("ONE", false), "1", 1, &found, &wrapped, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"1 two one", "one"}));
    EXPECT_EQ(Selection(), "0:6-0:9");
    ASSERT_TRUE(ReplaceAndFindNext(Pattern("ONE", false), "1", 1, &found, &wrapped, &error));
    ASSERT_TRUE(ReplaceAndFindNext(Pattern("ONE", false), "1", 1, &found, &wrapped, &error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"1 two 1", "1"}));
    EXPECT_FALSE(found);
    unsigned long undoError = 0;
    EXPECT_TRUE(UndoEdit(&undoError));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"1 two 1", "one"}));
}

TEST_F(SearchCommands, ReplaceAllIsOneStepThatNeverSearchesItsOwnText)
{
    Lines lines = {"a-a", "", std::string("b") + A + "a", "aaa"};
    Document(lines, 1, 0);
    EXPECT_EQ(ReplaceAll("a", "aa"), 6);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"aa-aa", "", std::string("b") + A + "aa", "aaaaaa"}));
    EXPECT_EQ(Shown, 1) << "the window catches up once";
    EXPECT_EQ(StateChanges, 1);
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(Selection(), "3:6-3:6");

    unsigned long error = 0;
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_FALSE(View.modified);
    EXPECT_EQ(Selection(), "1:0-1:0");
    EXPECT_FALSE(View.undo.CanUndo());
    EXPECT_TRUE(RedoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"aa-aa", "", std::string("b") + A + "aa", "aaaaaa"}));

    // Removing, with case folded and whole words, and nothing to replace at all.
    Document({"Cat cat catalog", "CAT"});
    EXPECT_EQ(ReplaceAll("cat", "", false, true), 3);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"  catalog", ""}));
    Shown = 0;
    EXPECT_EQ(ReplaceAll("dog", "x"), 0);
    EXPECT_EQ(Shown, 0);
    EXPECT_FALSE(View.undo.CanRedo());
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"Cat cat catalog", "CAT"}));
}

// Many matches in one line: the line holds exactly the replaced text, the caret stands after the
// last new text, and one Undo takes all of it back as one Redo makes it again.
TEST_F(SearchCommands, ReplaceAllInALineOfManyMatchesIsOneStepWithEveryMatchReplaced)
{
    const struct {
        std::string unit;  // repeated to make the line
        std::string what;
        std::string with;
        bool matchCase;
        bool wholeWord;
        std::string replacedUnit;
    } cases[] = {
        {"foo bar ", "foo", "x", true, false, "x bar "},
        // A double-byte pattern whose replacement holds it; "A" is also the trail byte of A.
        {std::string(A) + "A" + A + "a", A, std::string("<") + A + ">", true, false,
         std::string("<") + A + ">A<" + A + ">a"},
        // Folded case, never on a trail byte, with the pattern in its replacement.
        {std::string(A) + "A" + A + "a", "a", "aa", false, false, std::string(A) + "aa" + A + "aa"},
        {"cat catalog cat. ", "cat", "dog", true, true, "dog catalog dog. "},
        {"aaa", "a", "aa", true, false, "aaaaaa"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string line;
        std::string replacedLine;
        for (int i = 0; i < 500; ++i) {
            line += c.unit;
            replacedLine += c.replacedUnit;
        }
        Lines before = {"first", "< " + line + "!", "end"};
        Document(before, 2, 1);
        Shown = 0;
        int matches = 0;
        for (size_t at = 0; (at = replacedLine.find(c.with, at)) != std::string::npos; at += c.with.size())
            ++matches;
        EXPECT_EQ(ReplaceAll(c.what, c.with, c.matchCase, c.wholeWord), matches);
        Lines after = {"first", "< " + replacedLine + "!", "end"};
        EXPECT_EQ(LinesOf(View.firstLine), after);
        // After the last new text: the replaced line less what follows its last match.
        size_t tail = c.replacedUnit.size() - c.replacedUnit.rfind(c.with) - c.with.size();
        std::string caret = "1:" + std::to_string(2 + replacedLine.size() - tail);
        EXPECT_EQ(Selection(), caret + "-" + caret);
        EXPECT_TRUE(View.modified);
        EXPECT_EQ(Shown, 1);

        unsigned long error = 0;
        EXPECT_TRUE(UndoEdit(&error));
        EXPECT_EQ(LinesOf(View.firstLine), before);
        EXPECT_EQ(Selection(), "2:1-2:1");
        EXPECT_FALSE(View.modified);
        EXPECT_FALSE(View.undo.CanUndo());
        EXPECT_TRUE(RedoEdit(&error));
        EXPECT_EQ(LinesOf(View.firstLine), after);
        EXPECT_TRUE(View.modified);
        EXPECT_FALSE(View.undo.CanRedo());
    }
}

// A replacement with line breaks: every match of the line still goes, and the search goes on in
// the lines after the new ones.
TEST_F(SearchCommands, ReplaceAllWithLineBreaksSplitsTheLineAtEveryMatch)
{
    Lines before = {"a,b,,c", "d,e"};
    Document(before);
    EXPECT_EQ(ReplaceAll(",", "\r\n"), 4);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"a", "b", "", "c", "d", "e"}));
    EXPECT_EQ(Selection(), "5:0-5:0");
    EXPECT_EQ(LineCount(), 6);
    unsigned long error = 0;
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), before);
    EXPECT_EQ(Selection(), "0:0-0:0");
    EXPECT_TRUE(RedoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"a", "b", "", "c", "d", "e"}));
}

#ifndef _WIN32
// Memory runs out at each allocation in turn, the standard library's too: from there on, or at
// that one alone. Each line is replaced whole or not at all, and the lines before a failure are.
// The log holds what it could keep of the Replace All as one step, which Undo takes back and Redo
// makes again, and the modified mark and the window agree with the text.
TEST_F(SearchCommands, ReplaceAllFailingAtAnyAllocationLeavesTextAndLogInStep)
{
    const Lines before = {"one x two x", std::string(200, 'x'), "none", "x" + std::string(100, '.') + "x"};
    Lines replaced;
    for (const std::string& line : before) {
        std::string changed;
        for (char b : line)
            changed += b == 'x' ? std::string("yy") : std::string(1, b);
        replaced.push_back(changed);
    }
    // The allocations a whole Replace All makes, found by the first pass.
    int allocations = 0;
    for (bool once : {false, true}) {
        bool done = false;
        for (int n = 0; once ? n <= allocations : !done && n < 200; ++n) {
            Document(before, 2, 0);
            Shown = 0;
            int count = -1;
            unsigned long error = 0;
            FailHeapAllocations(true);
            if (once)
                FailAllocationNumber(n + 1);
            else
                FailAllocationsAfter(n);
            done = ReplaceAllMatches(Pattern("x"), "yy", 2, &count, &error);
            ResetTestHooks();
            if (done && !once)
                allocations = n;
            SCOPED_TRACE(once ? "allocation " + std::to_string(n + 1) : std::to_string(n) + " allocations");
            Lines text = LinesOf(View.firstLine);
            // The lines before the failure replaced, the rest as they were.
            size_t changed = 0;
            int matches = 0;
            while (changed < text.size() && text[changed] == replaced[changed]) {
                matches += static_cast<int>(std::count(before[changed].begin(), before[changed].end(), 'x'));
                ++changed;
            }
            for (size_t i = changed; i < text.size(); ++i)
                EXPECT_EQ(text[i], before[i]) << "line " << i;
            if (done) {
                EXPECT_EQ(text, replaced);
            } else {
                EXPECT_EQ(error, OutOfMemoryError);
                EXPECT_EQ(count, matches);
            }
            EXPECT_EQ(View.modified, !View.undo.AtSaved());
            EXPECT_EQ(Shown, text != before ? 1 : 0);
            if (!View.undo.CanUndo())
                continue;
            EXPECT_TRUE(UndoEdit(&error));
            EXPECT_FALSE(View.undo.CanUndo());
            // Back to the start, unless the log had to let go of what came first.
            EXPECT_EQ(View.modified, LinesOf(View.firstLine) != before);
            EXPECT_TRUE(RedoEdit(&error));
            EXPECT_EQ(LinesOf(View.firstLine), text);
        }
        EXPECT_TRUE(done);
    }
    EXPECT_GT(allocations, 0);
}

TEST_F(SearchCommands, ReplaceAllThatRunsOutOfMemoryKeepsWhatItDidAsOneStep)
{
    Lines lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("x" + std::string(static_cast<size_t>(i), '.'));
    Document(lines);
    // Each replacement grows its line; memory runs out before the last line's turn.
    FailAllocationsAfter(30);
    int replaced = 0;
    unsigned long error = 0;
    std::string with(300, 'y');
    EXPECT_FALSE(ReplaceAllMatches(Pattern("x"), with.data(), static_cast<int>(with.size()), &replaced, &error));
    FailAllocationsAfter(-1);
    EXPECT_NE(error, 0u);
    ASSERT_GT(replaced, 0);
    ASSERT_LT(replaced, 40);
    Lines expected = lines;
    for (int i = 0; i < replaced; ++i)
        expected[i] = with + expected[i].substr(1);
    EXPECT_EQ(LinesOf(View.firstLine), expected);
    EXPECT_EQ(Shown, 1);
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), lines);
}
#endif

TEST_F(SearchCommands, GoingToALineKeepsItsNumberAndSelectsNothing)
{
    Document({"zero", "one", "two", "three"}, 0, 2);
    TextPlace last = {LineAt(View.firstLine, 3), 3, 5};
    SetSelection(CaretPlace(), last);
    EXPECT_EQ(LineCount(), 4);
    ASSERT_TRUE(GoToLine(3));
    EXPECT_EQ(Selection(), "2:0-2:0");
    EXPECT_EQ(View.caret.x, 0);
    ASSERT_TRUE(GoToLine(4));
    EXPECT_EQ(Selection(), "3:0-3:0");
    EXPECT_EQ(LineCount(), 4);
    EXPECT_FALSE(GoToLine(5));
    EXPECT_FALSE(GoToLine(0));
    EXPECT_FALSE(GoToLine(-1));
    EXPECT_EQ(Selection(), "3:0-3:0");
    ASSERT_TRUE(GoToLine(1));
    EXPECT_EQ(Selection(), "0:0-0:0");
}

TEST(LineNumbers, DigitsOfEitherWidthWithBlanksAroundThem)
{
    const struct {
        const char* text;
        int number;  // -1: not a line number
    } cases[] = {
        {"12", 12},
        {"  7\t", 7},
        {"\x82\x50\x82\x4f", 10},           // full-width "10"
        {"\x81\x40" "3\x81\x40", 3},         // ideographic spaces around
        {"007", 7},
        {"999999999", 999999999},
        {"1000000000", -1},
        {"", -1},
        {"  ", -1},
        {"1 2", -1},
        {"-3", -1},
        {"+3", -1},
        {"3a", -1},
        {"\x82\x59", -1},                   // the full-width character after the digits
        {"\x82", -1},
    };
    for (const auto& c : cases) {
        int number = -1;
        bool parsed = ParseLineNumber(c.text, &number);
        EXPECT_EQ(parsed, c.number >= 0) << c.text;
        if (parsed) {
            EXPECT_EQ(number, c.number) << c.text;
        }
    }
}
