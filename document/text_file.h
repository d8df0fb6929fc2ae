// Moving the document between a file on disk and the line list, in the file's character code:
// LF, CR and CR LF end lines on reading and each line keeps its own, so that a file read and
// saved comes back byte for byte (but for zero bytes, which lines hold as '*'). The missing
// directories of a path are created before every open.
#pragma once
#include "platform/text_code.h"

#include <cstdio>

class EditView;
class TextLine;

// Reads view.path into a new line list headed by view.firstLine. False when the file cannot be
// opened; nothing is changed then. A read that stops before the end of the file (a read error,
// or no memory for a line or its bytes) keeps the lines read so far, empties view.path so that
// no save can put them in place of the whole file, and leaves the system's error code in *error;
// *error is 0 otherwise, and when a large file was handed to the loader.
//
// The file is read in code, or with code TextCodeCount in the code that all its bytes show
// (CodeDetector; DefaultCode for a file of ASCII alone). The document takes that code (view.code),
// whether the file had a byte order mark (view.bom) and its first terminator (view.lineEnd; CR LF
// for a file without one); with a LineEndingSetting other than 0, that terminator instead, for
// every line on saving (view.unifyEndings).
bool ReadDocument(EditView& view, unsigned long* error, TextCode code = TextCodeCount);
// The code of the rest of the stream, which is read to its end in large blocks and put back where
// it stood. fallback for a stream of ASCII bytes alone. False, with the system's error, when
// the reading failed.
bool DetectStreamCode(FILE* stream, TextCode fallback, TextCode* code);
// What a document takes from its file before its lines: its code, and its first bytes when they
// are the byte order mark of a UTF-8 (BOM) file, which the stream is moved past. The lines of a
// file whose code ReadThroughDecoder names then come through a TextDecoder, which tells whether
// the file had its mark. A null stream sets the code alone.
void BeginReading(EditView& view, FILE* stream, TextCode code);
inline bool ReadThroughDecoder(TextCode code)
{
    return code == CodeUtf16Le || code == CodeUtf16Be || code == CodeJis;
}
// Sets the document's terminator from its first line ended by one (null: none is known), as
// LineEndingSetting says.
void TakeLineEnd(EditView& view, const TextLine* first);
// Writes the lines to view.path (WriteLines) through a new file beside it, which replaces the old one only
// once the new bytes are all on disk, so a failed save leaves the old file as it was. In the rare
// failure where the system has moved the old file away and the new one cannot take its name,
// the new file is kept and its name is left in kept (PathSize bytes); kept is "" otherwise.
// Once saved, every line holds the terminator it was written with.
bool WriteDocument(EditView& view, char* kept);
// Appends the next line of the stream to line, byte by byte, and sets the terminator that ended
// it. True when a terminator ended it, false at the end of the file (or when the stream fails);
// a CR that is the last byte ends the last line and is its terminator. This is the file format's
// definition of a line; documents are read by the faster LineReader (line_reader.h), which must
// agree.
bool ReadLine(TextLine* line, FILE* stream);
// Writes every line with the terminator SavedEnding gives it, in the document's code.
bool WriteLines(const EditView& view, FILE* stream);
// The terminator the line is written with: its own, or the document's where all lines are to take
// it or the line has none but a line follows.
unsigned SavedEnding(const EditView& view, const TextLine* line);
FILE* OpenWithDirectories(const char* path, const char* mode);
void CreateDirectories(const char* dir);

// Makes a name for a new file in the folder of path whose own name is no longer than that of
// path, so it fits wherever path fits; attempt picks one of many such names. False when none is
// left for that attempt.
bool NameBeside(const char* path, int attempt, char* name);
