// Converting the whole document to another character code: its held bytes become Unicode and
// then the bytes the new code holds (document/char_convert.h). A character the new code cannot
// hold becomes '?', and so does a byte of the old code that is no character; codes held alike
// (UTF-8, UTF-8 (BOM), UTF-16) change no byte. The conversion is one step for Undo, which brings
// back the code with the text. Callers hold the document lock.
#pragma once
#include "platform/text_code.h"

// How many characters the document would lose becoming code.
int ConversionLosses(TextCode code);

// Makes code the document's code, its lines converted, measured and marked changed; the caret
// and the selection stay on the same characters. False while a load runs (*error 0) or when
// memory ran out (*error set), with the document as it was.
bool ConvertDocument(TextCode code, unsigned long* error);
