// Typing: bytes go into the caret's line at the caret, and CR, LF or CR LF break the line.
#pragma once

// Called once when typing first marks an unchanged document as modified, so that the title and
// the command states can show it. Null until the application sets it.
extern void (*DocumentChanged)();

// Inserts count bytes at the caret and marks the document modified. It does not repaint: the
// edit view invalidates its whole client area after every call, and the repaint places the
// caret. Lines are not re-measured, so rowCount stays as it was until the next relayout.
// When a line has no room for a byte, or a break cannot get a new line, the rest of the bytes
// are dropped with it, the caret stays where the last inserted byte left it, and the result is
// false with the system's code in *error (when error is not null). Nothing is shown here: the
// caller reports it once it has released the document lock.
bool InsertText(const char* bytes, int count, unsigned long* error = nullptr);
