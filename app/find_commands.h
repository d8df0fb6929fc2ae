// The Find and Replace commands: the system's modeless Find and Replace dialogs, Unicode so that a
// pattern may hold any character (Wine's pass theirs through code page 932 even so) (one open at a
// time, sharing the pattern and its options), F3 and Shift+F3 without a dialog, and what tells the
// user the outcome: the match selected and scrolled into view, a status note when the search went
// round the document's end, a box when there is no match, and one that counts a Replace All.
#pragma once
#include <windows.h>

// The message the dialogs send the main window (FINDMSGSTRING, registered).
UINT FindDialogMessage();
// What a dialog asks for with that message: find the next match, replace, replace all, or its own
// end. Ignored unless request is the program's own: any program can send the message.
void RunFindRequest(const FINDREPLACEW* request);

// Ctrl+F and Ctrl+H: opens the dialog (or brings it forward), the pattern taken from the selection
// when it is short and on one line.
void ShowFindDialog();
void ShowReplaceDialog();
// F3 and Shift+F3: the next or previous match of the last pattern; the Find dialog when there is
// none yet.
void FindAgain(bool forward);

// The open Find or Replace dialog, or null; the message loop gives it its keyboard messages.
HWND SearchDialog();
