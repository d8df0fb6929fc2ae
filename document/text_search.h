// Finding a pattern in the document, right in the code its bytes are held in (the document's
// rule): a match starts and ends between two characters, so no byte of the pattern is ever
// matched against part of a character ("A" never matches the second byte of a Shift-JIS "ア",
// "あ" never the inside of a UTF-8 or EUC-JP character). The pattern is in the held code too.
// With case not to be matched, ASCII letters are folded only where they are whole characters;
// whole words are told by the word classes (char_classes.h).
//
// Lines are scanned with the byte search for one byte of the pattern, and character boundaries
// are checked only where that byte is found, by looking back as far as the code needs (over
// lead bytes in Shift-JIS) or by stepping on from the last character start found a little
// before, never by walking a line from its start.
#pragma once
#include "document/editor_record.h"

#include <vector>

struct SearchPattern {
    const char* bytes;  // one line: lines hold no CR or LF, so a pattern with one never matches
    int length;
    bool matchCase;
    bool wholeWord;
};

struct TextMatch {
    TextPlace start;
    TextPlace end;
    // Found only after going round the document's end (or its start, searching backwards).
    bool wrapped;
};

// Forwards, the first match that starts at or after from; backwards, the last match that ends at
// or before from. With wrap, when there is none, the search goes on from the document's other end
// and covers every match it has not seen, so a match anywhere is found. False when the pattern is
// empty or nowhere to be found; the document's lines are those from View.firstLine on.
bool FindMatch(const SearchPattern& pattern, const TextPlace& from, bool forward, bool wrap, TextMatch* match);

// Whether the bytes from start to end (on one line) are a match of the pattern where they stand.
bool IsMatchAt(const SearchPattern& pattern, const TextPlace& start, const TextPlace& end);

// Within one line of length bytes (terminated by a zero byte, as every line is): the start of a
// match among the starts first to last (both included), the lowest forwards and the highest
// backwards; -1 for none.
int FindInLine(const SearchPattern& pattern, const char* text, int length, int first, int last, bool forward);

// Within one line, the starts of the matches from first on, in order, each looked for after the
// end of the one before, into *starts: the matches Replace All replaces in one line. The line's
// characters are walked about once, whatever its code and however many matches it holds. Throws
// std::bad_alloc when *starts cannot grow.
void FindAllInLine(const SearchPattern& pattern, const char* text, int length, int first, std::vector<int>* starts);
