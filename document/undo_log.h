// The steps that Undo takes back and Redo makes again. A step says where a change started, which
// bytes it removed and which it inserted (lines joined by one byte that names each terminator,
// the BreaksLogged form of text_edit.h), and where the caret and the selection's anchor stood
// before and after it. Places are kept as line numbers and bytes, since the lines themselves
// come and go.
//
// Typing, Backspace and Delete each make one step of a run until something else comes between;
// a step may also go with the one before it (Replace All), so that both are undone together.
// The log remembers which state was last opened or saved, to tell when the document is back to
// it. It is bounded only by memory: when it cannot grow it drops its oldest steps.
#pragma once
#include "platform/text_code.h"

#include <string>
#include <vector>

// How an edit joins the step before it.
enum EditKind {
    EditTyping,     // a run of typed characters, each inserted where the last one ended
    EditBackspace,  // a run of characters removed before the place where the last one went
    EditDelete,     // a run of characters removed after a place that stays
    EditOther,      // a step of its own: a break, a paste, a cut, a deleted selection, a command
    EditCode        // the document's code became codeAfter, its bytes untouched by this step
};

struct LogPlace {
    int line;
    int pos;
};

struct UndoStep {
    LogPlace start;
    std::string removed;
    std::string inserted;
    LogPlace caretBefore;
    LogPlace anchorBefore;
    LogPlace caretAfter;
    LogPlace anchorAfter;
    EditKind kind;
    // Undone and redone with the step before it.
    bool withPrevious;
    // EditCode: the document's code before and after the step.
    TextCode codeBefore = CodeShiftJis;
    TextCode codeAfter = CodeShiftJis;
};

class UndoLog {
public:
    UndoLog();

    // Puts the log back to empty, with the state it is at as the saved one.
    void Clear();
    // Empties the log for an edit that could not be recorded: no state before it can be reached
    // again, the saved one included. Inside a group, the edits after it make a group of their own.
    void Abandon();
    // Records a change that has been made: it clears what could be redone and joins the last
    // step when its kind continues a run there. Dropping the oldest steps when memory runs out,
    // and dropping everything when even the one step does not fit, it never fails.
    // The step's bytes are taken over, not copied: a step may hold a whole document.
    void Record(UndoStep& step);
    // The next edit starts a step of its own (the caret was moved, the document was saved).
    void Seal();
    // Makes every following Record go with the step before it until EndGroup, the first
    // excepted: many edits that are one step for the user.
    void BeginGroup();
    void EndGroup();

    bool CanUndo() const;
    bool CanRedo() const;
    // The step that Undo takes back next, and then moving past it; likewise for Redo.
    const UndoStep& NextUndo() const;
    void StepBack();
    const UndoStep& NextRedo() const;
    void StepForward();

    // The document is now as it is on disk.
    void MarkSaved();
    // Whether the steps taken back and made again have brought the document back to it.
    bool AtSaved() const;

    // Bytes held by the steps, for measuring.
    size_t Bytes() const;

private:
    bool Joins(const UndoStep& last, const UndoStep& step) const;
    void Join(UndoStep& last, const UndoStep& step);
    void DropOldest(size_t count);

    std::vector<UndoStep> steps;
    // Steps before this one are done; those from it on are undone and can be redone.
    size_t current;
    // The count of done steps at which the document is as saved; -1 when no state is.
    long saved;
    bool sealed;
    int groupDepth;
    bool groupStarted;
};
