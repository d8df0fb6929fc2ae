// The Edit menu's commands: Undo, Redo, Cut, Copy, Paste, Delete and Select all. Each change of
// the text runs under the document lock; a beep or a box comes only once the lock is free. Each
// returns true when it did what it says.
#pragma once

bool UndoCommand();
bool RedoCommand();
// Cut and Copy put the selection on the clipboard (app/clipboard.h); nothing selected, nothing
// done. A clipboard held by another program is a beep, and Cut then removes nothing.
bool CutCommand();
bool CopyCommand();
// Replaces the selection with the clipboard's text as one step for Undo. When characters had
// to become '?', the status bar says how many.
bool PasteCommand();
// The Delete key's command: the selection, or else the character after the caret.
bool DeleteCommand();
bool SelectAllCommand();

// The status bar's note after a paste (or with typed, typing) that turned count characters into
// '?'.
void ShowReplacedCount(int count, bool typed = false);
// The same for typing, as the edit view reports it.
void ShowTypedReplacedCount(int count);
