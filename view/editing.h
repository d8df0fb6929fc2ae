// Every change of the text the user makes comes through here: typing, Enter, Backspace, Delete,
// overwrite, paste, cut, undo and redo, and replacing what a search found. ReplaceRange records
// the undo step, changes the lines (document/text_edit.h), puts the caret after the new text with
// nothing selected, sets the modified mark from the undo log, and keeps the layout true by
// measuring only the lines it touched: their rows, the total, the widest line, topLine, topRow and
// vScroll. The window then catches up in one place, EditShown.
//
// An edit fails as a whole: without memory the document stays exactly as it was and the result is
// false with the system's code in *error. While a large file loads, an edit that would remove a
// line break is refused (false, *error 0): the loader is still appending to the last line.
#pragma once
#include "document/editor_record.h"
#include "document/undo_log.h"

// Called after every change of the text, and after undo and redo, so that the window sets its
// scroll bars, scrolls the caret into view and repaints. Null until the edit view sets it.
extern void (*EditShown)();
// Called when what the Edit commands can do may have changed: after every edit, undo and redo,
// and when a selection appears or goes. Null until the application sets it.
extern void (*EditStateChanged)();

// The lines the edits not yet shown touched, for EditShown to repaint no more than it must:
// from line firstIndex to line lastIndex as the document now stands, and whether anything below
// them moved (lines came or went, or a touched line's rows changed). After a single edit, the
// rows below moved by rowsMoved rows down the window (up when negative), the view's own scroll
// included; movedKnown is false once edits pile up. firstIndex is -1 when no edit is pending;
// the span starts anew once EditShown has been called.
struct EditSpan {
    int firstIndex;
    int lastIndex;
    bool shifted;
    bool movedKnown;
    int rowsMoved;
};
const EditSpan& PendingEditSpan();

// (Not ReplaceText: the system's headers take that name for the Replace dialog.)
bool ReplaceRange(const TextPlace& from, const TextPlace& to, const char* bytes, int count, EditKind kind,
                 unsigned long* error);
// The selection (or the caret's place) replaced with bytes.
bool ReplaceSelection(const char* bytes, int count, EditKind kind, unsigned long* error);
// Backspace and Delete: the selection when there is one, else the character (or with word the
// rest of the word and the blanks before it) before or after the caret, or the line break there.
bool DeleteBackward(bool word, unsigned long* error);
bool DeleteForward(bool word, unsigned long* error);

// Take back or make again one step of the log (a group of steps counts as one). False when there
// is none, or (with *error) when memory ran out. Each step of a group is applied whole or not at
// all, and the log moves past it as it is applied: when memory runs out part way through a group,
// the steps already applied stay applied, the log points just past them, and the window catches
// up with them as after any edit. The next Undo (Redo) goes on with the rest of the group, and
// Redo (Undo) makes the part applied again. Taking the applied steps back instead could itself run
// out of memory; nothing is applied twice this way.
bool UndoEdit(unsigned long* error);
bool RedoEdit(unsigned long* error);

// Makes code the document's code as a step of the log, after the edits that converted its bytes
// (in the same group): the lines are measured again, the caret and the anchor go where given.
bool RecordCodeChange(TextCode code, const TextPlace& caret, const TextPlace& anchor);

// The edits between these two make one step for Undo, and the window (the modified mark,
// EditShown, EditStateChanged) catches up with them once, when the group ends.
void BeginEditGroup();
void EndEditGroup();

// The caret was moved by the user: the next typed character starts a step of its own.
void EndTypingRun();
// The document is now as saved: Undo back to here clears the modified mark.
void MarkDocumentSaved();
