// Typing: bytes go into the caret's line at the caret, and CR, LF or CR LF break the line.
#pragma once

// Called once when typing first marks an unchanged document as modified, so that the title and
// the command states can show it. Null until the application sets it.
extern void (*DocumentChanged)();

// Inserts count bytes at the caret and marks the document modified. It does not repaint: the
// edit view invalidates its whole client area after every call, and the repaint places the
// caret. Lines are not re-measured, so rowCount stays as it was until the next relayout.
// A byte the line has no room for is dropped (the line has already reported it), and a break
// that cannot get a new line is dropped too; the caret stays where it was in either case.
void InsertText(const char* bytes, int count);
