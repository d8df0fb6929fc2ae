// Changing the text: the one primitive that every edit of the document goes through, copying a
// range out, and finding a line by its number. Lines only; undo, the caret and the layout are
// the callers' (view/editing.h).
#pragma once
#include "document/editor_record.h"
#include <string>

// What an edit changed, for the layout to catch up on without measuring anything else.
struct EditChange {
    TextLine* first;   // the first line touched; it stays in the document
    int firstIndex;
    int linesRemoved;  // lines after first that went
    int linesAdded;    // lines after first that came in their place
    int rowsRemoved;   // the rows that first and the lines that went took, by their rowCount
    // topLine was one of the lines that went: it is first now, and this many rows lay from
    // first's first row down to the old top row.
    bool topRemoved;
    int rowsBeforeTop;
};

// How the line breaks in the bytes of an edit are written, and which terminator each gives the
// line before it.
enum BreakForm {
    // CR, LF and CR LF each break the line, which takes the document's terminator (View.lineEnd),
    // and a zero byte becomes '*': text typed or pasted.
    BreaksOfText,
    // One byte a break, naming the terminator: LF and CR their own, a zero byte CR LF. What
    // CopyBytes gives without a lineBreak: the undo log's text, which puts lines back exactly.
    BreaksLogged
};

// Replaces the bytes from from to to (to not before from) with count bytes, whose breaks are in
// form. The line before each break takes the break's terminator; the last line keeps that of
// to's line, so that breaking a line leaves its own terminator to its tail and joining lines
// gives them the second's. *end is where the new bytes end. All memory is had before the document
// is touched: false, with the system's error set and nothing changed, when some cannot be had.
// Lines that go are destroyed; topLine never points to one.
bool ReplaceBytes(const TextPlace& from, const TextPlace& to, const char* bytes, int count, TextPlace* end,
                  EditChange* change, BreakForm form = BreaksOfText);

// Appends the bytes from from to to to out, lines joined by lineBreak, or with a null lineBreak
// by each line's own terminator in the BreaksLogged form. False when out cannot hold them.
bool CopyBytes(const TextPlace& from, const TextPlace& to, const char* lineBreak, std::string* out);
// The BreaksLogged byte of a terminator.
char LoggedBreak(unsigned ending);

// The line numbered index (from 0), walked to from whichever of the first line, the caret's line
// and topLine is nearest; null past the last line.
TextLine* LineAtIndex(int index);
