#include "view/editing.h"
#include "document/background_load.h"
#include "document/text_edit.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "platform/characters.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/document_layout.h"
#include "view/selection.h"

#include <cstring>
#include <new>

void (*EditShown)() = nullptr;
void (*EditStateChanged)() = nullptr;

namespace {

LogPlace ToLog(const TextPlace& place)
{
    LogPlace logged = {place.lineIndex, place.pos};
    return logged;
}

TextPlace FromLog(const LogPlace& logged)
{
    TextPlace place = {LineAtIndex(logged.line), logged.line, logged.pos};
    return place;
}

// Where bytes of the log inserted at start end, their breaks one byte each (BreaksLogged).
LogPlace EndOf(const LogPlace& start, const std::string& bytes)
{
    static const std::string Breaks("\n\r\0", 3);
    LogPlace end = start;
    size_t lastBreak = std::string::npos;
    for (size_t at = bytes.find_first_of(Breaks); at != std::string::npos; at = bytes.find_first_of(Breaks, at + 1)) {
        ++end.line;
        lastBreak = at;
    }
    if (lastBreak == std::string::npos)
        end.pos += static_cast<int>(bytes.size());
    else
        end.pos = static_cast<int>(bytes.size() - lastBreak - 1);
    return end;
}

EditSpan Pending = {-1, -1, false, false, 0};

// A second edit before the window catches up is taken to move everything below the first line
// either touched: exact enough, and Replace All repaints once.
void AddToSpan(const EditChange& change, bool rowsChanged, int rowsMoved)
{
    int last = change.firstIndex + change.linesAdded;
    bool shifted = rowsChanged || change.linesAdded != change.linesRemoved;
    if (Pending.firstIndex < 0) {
        EditSpan span = {change.firstIndex, last, shifted, true, rowsMoved};
        Pending = span;
        return;
    }
    if (change.firstIndex < Pending.firstIndex)
        Pending.firstIndex = change.firstIndex;
    Pending.lastIndex = last > Pending.lastIndex ? last : Pending.lastIndex;
    Pending.shifted = true;
    Pending.movedKnown = false;
}

// Measures the lines an edit left and brings the totals and the top of the view in step: rows
// of the lines that went are taken off, and a top line that went gives way to the first line.
void MeasureChange(const EditChange& change)
{
    LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
    int rows = 0;
    TextLine* line = change.first;
    for (int i = 0; i <= change.linesAdded; ++i, line = line->next) {
        LineMeasure measure = MeasureLine(*line, rect);
        rows += line->rowCount;
        if (measure.extent > View.maxLineWidth)
            View.maxLineWidth = measure.extent;
    }
    int rowDelta = rows - change.rowsRemoved;
    View.totalRows += rowDelta;
    int scrolledFrom = View.vScroll;

    if (change.topRemoved) {
        View.vScroll -= change.rowsBeforeTop;
        View.topRow = 1;
        View.topLineIndex = change.firstIndex;
    } else if (View.topLineIndex > change.firstIndex + change.linesRemoved) {
        View.vScroll += rowDelta;
        View.topLineIndex += change.linesAdded - change.linesRemoved;
    } else if (View.topLineIndex == change.firstIndex && View.topRow > change.first->rowCount) {
        View.vScroll -= View.topRow - change.first->rowCount;
        View.topRow = change.first->rowCount;
    }
    AddToSpan(change, rowDelta != 0, rowDelta - (View.vScroll - scrolledFrom));
}

// The change of the lines alone, with the layout brought up to date.
bool Apply(const TextPlace& from, const TextPlace& to, const char* bytes, int count, BreakForm form, TextPlace* end,
           unsigned long* error)
{
    if (from.line == nullptr || to.line == nullptr)
        return false;
    if (LoadInProgress() && from.line != to.line)
        return false;
    EditChange change;
    if (!ReplaceBytes(from, to, bytes, count, end, &change, form)) {
        *error = LastSystemError();
        return false;
    }
    // Nothing may point at a line that went, not even until the caller places the caret.
    View.caret.line = end->line;
    View.caret.lineIndex = end->lineIndex;
    View.caret.pos = end->pos;
    View.anchor = *end;
    MeasureChange(change);
    return true;
}

// Edits inside a group are shown once, when the group ends: a Replace All of many thousand
// matches must not set the scroll bars and the title thousands of times.
int GroupDepth = 0;
bool ShowPending = false;

void ShowChange()
{
    if (GroupDepth > 0) {
        ShowPending = true;
        return;
    }
    bool modified = !View.undo.AtSaved();
    if (modified != View.modified) {
        View.modified = modified;
        if (DocumentChanged != nullptr)
            DocumentChanged();
    }
    if (EditShown != nullptr)
        EditShown();
    Pending.firstIndex = -1;
    if (EditStateChanged != nullptr)
        EditStateChanged();
}

// The caret and the anchor where a step of the log had them.
void Restore(const LogPlace& caret, const LogPlace& anchor)
{
    PlaceCaretAt(FromLog(caret));
    View.anchor = FromLog(anchor);
}

// The document's code as a step of the log left it: its lines are measured again under the new
// rule, and the window repaints all of them.
void Recode(TextCode code)
{
    SetDocumentCode(code);
    MeasureDocument();
    EditSpan all = {0, 0, true, false, 0};
    Pending = all;
}

bool DeleteRange(const TextPlace& from, const TextPlace& to, EditKind kind, unsigned long* error)
{
    if (from == to)
        return true;
    return ReplaceRange(from, to, "", 0, kind, error);
}

}

const EditSpan& PendingEditSpan()
{
    return Pending;
}

bool ReplaceRange(const TextPlace& from, const TextPlace& to, const char* bytes, int count, EditKind kind,
                 unsigned long* error)
{
    unsigned long ignored = 0;
    if (error == nullptr)
        error = &ignored;
    *error = 0;
    // A document that could not get its first line has nothing to edit.
    if (from.line == nullptr || to.line == nullptr)
        return false;
    UndoStep step;
    step.start = ToLog(from);
    step.caretBefore = ToLog(CaretPlace());
    step.anchorBefore = ToLog(View.anchor.line != nullptr ? View.anchor : CaretPlace());
    step.kind = kind;
    step.withPrevious = false;
    bool logged = CopyBytes(from, to, nullptr, &step.removed);
    TextPlace end;
    if (!Apply(from, to, bytes, count, BreaksOfText, &end, error))
        return false;
    // The bytes as the document now holds them, with each break's terminator and zero bytes as
    // '*', which is what Undo must take away again.
    TextPlace start = {from.line, from.lineIndex, from.pos};
    logged = logged && CopyBytes(start, end, nullptr, &step.inserted);
    // A lone lead byte at a line's end pairs with whatever is joined or typed after it; the
    // caret then goes after the character it made.
    TextPlace caret = end;
    if (!DocumentRule().isBoundary(caret.line->text, caret.line->length, caret.pos))
        ++caret.pos;
    step.caretAfter = step.anchorAfter = ToLog(caret);
    if (logged)
        View.undo.Record(step);
    else
        View.undo.Abandon();
    PlaceCaretAt(caret);
    View.anchor = caret;
    ShowChange();
    return true;
}

bool ReplaceSelection(const char* bytes, int count, EditKind kind, unsigned long* error)
{
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    return ReplaceRange(start, end, bytes, count, kind, error);
}

bool DeleteBackward(bool word, unsigned long* error)
{
    if (View.caret.line == nullptr)
        return true;
    if (HasSelection())
        return ReplaceSelection("", 0, EditOther, error);
    TextPlace to = CaretPlace();
    TextPlace from = to;
    if (to.pos == 0) {
        if (to.line->prev == nullptr)
            return true;
        from.line = to.line->prev;
        --from.lineIndex;
        from.pos = from.line->length;
    } else {
        from.pos = word ? WordLeftOf(*to.line, to.pos) : PrevCharPos(*to.line, to.pos);
    }
    return DeleteRange(from, to, EditBackspace, error);
}

bool DeleteForward(bool word, unsigned long* error)
{
    if (View.caret.line == nullptr)
        return true;
    if (HasSelection())
        return ReplaceSelection("", 0, EditOther, error);
    TextPlace from = CaretPlace();
    TextPlace to = from;
    if (from.pos == from.line->length) {
        if (from.line->next == nullptr)
            return true;
        to.line = from.line->next;
        ++to.lineIndex;
        to.pos = 0;
    } else {
        to.pos = word ? WordRightOf(*from.line, from.pos) : NextCharPos(*from.line, from.pos);
    }
    return DeleteRange(from, to, EditDelete, error);
}

namespace {

// One step of the log put into the text: backwards its removed bytes go back over what it
// inserted, forwards the other way round; a code step takes its code before or after.
bool Replay(const UndoStep& step, bool backwards, unsigned long* error)
{
    if (step.kind == EditCode) {
        Recode(backwards ? step.codeBefore : step.codeAfter);
        return true;
    }
    const std::string& gone = backwards ? step.inserted : step.removed;
    const std::string& put = backwards ? step.removed : step.inserted;
    TextPlace end;
    return Apply(FromLog(step.start), FromLog(EndOf(step.start, gone)), put.data(), static_cast<int>(put.size()),
                 BreaksLogged, &end, error);
}

}

bool UndoEdit(unsigned long* error)
{
    *error = 0;
    if (!View.undo.CanUndo() || View.caret.line == nullptr)
        return false;
    bool done = true;
    bool applied = false;
    for (;;) {
        const UndoStep& step = View.undo.NextUndo();
        if (!Replay(step, true, error)) {
            done = false;
            break;
        }
        applied = true;
        Restore(step.caretBefore, step.anchorBefore);
        bool more = step.withPrevious;
        View.undo.StepBack();
        if (!more || !View.undo.CanUndo())
            break;
    }
    if (applied)
        ShowChange();
    return done;
}

bool RedoEdit(unsigned long* error)
{
    *error = 0;
    if (!View.undo.CanRedo() || View.caret.line == nullptr)
        return false;
    bool done = true;
    bool applied = false;
    for (;;) {
        const UndoStep& step = View.undo.NextRedo();
        if (!Replay(step, false, error)) {
            done = false;
            break;
        }
        applied = true;
        Restore(step.caretAfter, step.anchorAfter);
        View.undo.StepForward();
        if (!View.undo.CanRedo() || !View.undo.NextRedo().withPrevious)
            break;
    }
    if (applied)
        ShowChange();
    return done;
}

bool RecordCodeChange(TextCode code, const TextPlace& caret, const TextPlace& anchor)
{
    UndoStep step;
    step.start.line = 0;
    step.start.pos = 0;
    step.caretBefore = ToLog(CaretPlace());
    step.anchorBefore = ToLog(View.anchor.line != nullptr ? View.anchor : CaretPlace());
    step.caretAfter = ToLog(caret);
    step.anchorAfter = ToLog(anchor);
    step.kind = EditCode;
    step.withPrevious = false;
    step.codeBefore = View.code;
    step.codeAfter = code;
    View.undo.Record(step);
    Recode(code);
    PlaceCaretAt(caret);
    View.anchor = anchor;
    ShowChange();
    return true;
}

void BeginEditGroup()
{
    View.undo.BeginGroup();
    ++GroupDepth;
}

void EndEditGroup()
{
    View.undo.EndGroup();
    if (GroupDepth == 0 || --GroupDepth > 0 || !ShowPending)
        return;
    ShowPending = false;
    ShowChange();
}

void EndTypingRun()
{
    View.undo.Seal();
}

void MarkDocumentSaved()
{
    View.undo.MarkSaved();
}
