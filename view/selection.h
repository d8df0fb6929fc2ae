// The selection: the text between View.anchor and the caret. Nothing is selected while the anchor
// stands where the caret does. A caret move with Shift leaves the anchor where it is; any other
// move, and every edit, brings it to the caret.
#pragma once
#include "document/editor_record.h"
#include <string>

TextPlace CaretPlace();
// Puts the caret at place, its desired x where place is shown. The anchor stays.
void PlaceCaretAt(const TextPlace& place);

bool HasSelection();
// The selection's ends in document order; both the caret's place when nothing is selected.
void SelectionBounds(TextPlace* start, TextPlace* end);
void CollapseSelection();
// Selects from anchor to caret, the caret at caret.
void SetSelection(const TextPlace& anchor, const TextPlace& caret);
void SelectAll();
// Selects the word around place: the run of characters of one class that holds the character at
// place, or the one before it at a line's end.
void SelectWordAt(const TextPlace& place);
// Appends the selected bytes to out, lines joined by lineBreak. False when memory ran out.
bool SelectedBytes(const char* lineBreak, std::string* out);
