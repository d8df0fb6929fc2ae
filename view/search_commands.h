// What Find, Replace and Go to line do to the caret, the selection and the text, without any
// window: the commands of the main window add the dialogs, the boxes and the status bar. Every
// change goes through ReplaceRange (view/editing.h). Callers hold the document lock.
#pragma once
#include "document/text_search.h"

// Selects the first match after the selection (forwards) or the last one before it, going round
// the document's other end when there is none: the anchor at the match's start, the caret at its
// end. False, with nothing moved, when the pattern is nowhere; *wrapped tells that it went round.
bool SelectNextMatch(const SearchPattern& pattern, bool forward, bool* wrapped);

// Replace: the selection, when it is a match where it stands, becomes the count bytes; then the
// next match is selected as SelectNextMatch does (*found, *wrapped). False when the edit failed
// (*error set when memory ran out, 0 when it was refused), with nothing searched.
bool ReplaceAndFindNext(const SearchPattern& pattern, const char* bytes, int count, bool* found, bool* wrapped,
                        unsigned long* error);

// Replace All: every match from the document's start replaced with the count bytes, as one step
// for Undo; the matches are those of the text as it was, so new text is never searched itself.
// A line is changed once, all its matches together (one edit and one step of the log a line,
// whatever its matches), so the time goes with the bytes, not with matches times the line's length.
// *replaced counts them. False when an edit failed, with the lines replaced before kept, as one
// step; the line it failed on is as it was.
bool ReplaceAllMatches(const SearchPattern& pattern, const char* bytes, int count, int* replaced,
                       unsigned long* error);

// The number of lines, counted on from the caret's line, whose number is known; 0 without lines.
int LineCount();
// Puts the caret at the start of line number (counted from 1) with nothing selected; false, with
// nothing moved, when there is no such line.
bool GoToLine(int number);
// A line number as the user types it: ASCII or full-width digits with blanks around them. False
// for anything else, and for a number of more than nine digits.
bool ParseLineNumber(const char* text, int* number);
