// The kinds of character that words are made of, for moving and deleting by word, selecting a
// word with a double-click and finding whole words. A word is a run of characters of one class.
#pragma once
#include "platform/char_rule.h"

enum CharClass {
    ClassBlank,         // space, tab, ideographic space
    ClassWord,          // ASCII letters, digits and underscore
    ClassWideWord,      // full-width letters and digits, Greek and Cyrillic
    ClassHiragana,
    ClassKatakana,      // with the long vowel mark
    ClassKanji,         // with the ideographic iteration and closing marks
    ClassHalfKatakana,  // half-width katakana and its sound marks
    ClassSymbol         // everything else, a lone lead byte included
};

// The class of the character that starts at text, as the rule splits and decodes it: a Shift-JIS
// or EUC-JP double-byte character by its place in JIS X 0208, any other by its Unicode code
// point; a byte that is no character is a symbol. Without a rule, as Shift-JIS.
CharClass ClassOfCharacter(const CharRule& rule, const char* text);
CharClass ClassOfCharacter(const char* text);

// Within a line of length bytes, from the boundary pos: the end of the run of characters of the
// class of the character at pos (pos itself at the line's end), and the start of the run of the
// class of the character that ends at pos (pos itself at the line's start). Both look only at
// the run and what the rule needs just before it, never at the line from its start.
int WordEnd(const CharRule& rule, const char* text, int length, int pos);
int WordStart(const CharRule& rule, const char* text, int pos);
