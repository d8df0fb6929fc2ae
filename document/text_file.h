// Moving the document between a file on disk and the line list: LF, CR and CR LF end lines on
// reading, SaveLineEnding goes between lines on writing, and the missing directories of a path
// are created before every open.
#pragma once
#include <cstdio>

class EditView;
class TextLine;

// Reads view.path into a new line list headed by view.firstLine. False when the file cannot be
// opened; nothing is changed then. A read that stops before the end of the file (a read error,
// or no memory for a line or its bytes) keeps the lines read so far, empties view.path so that
// no save can put them in place of the whole file, and leaves the system's error code in *error;
// *error is 0 otherwise, and when a large file was handed to the loader.
bool ReadDocument(EditView& view, unsigned long* error);
// Writes the lines to view.path through a new file beside it, which replaces the old one only
// once the new bytes are all on disk, so a failed save leaves the old file as it was. In the rare
// failure where the system has moved the old file away and the new one cannot take its name,
// the new file is kept and its name is left in kept (PathSize bytes); kept is "" otherwise.
bool WriteDocument(EditView& view, char* kept);
// Appends the next line of the stream to line, byte by byte. True when a terminator ended it,
// false at the end of the file (or when the stream fails). This is the file format's definition
// of a line; documents are read by the faster LineReader (line_reader.h), which must agree.
bool ReadLine(TextLine* line, FILE* stream);
// Writes the line's bytes and, when a line follows, SaveLineEnding.
bool WriteLine(const TextLine* line, FILE* stream);
FILE* OpenWithDirectories(const char* path, const char* mode);
void CreateDirectories(const char* dir);

// Makes a name for a new file in the folder of path whose own name is no longer than that of
// path, so it fits wherever path fits; attempt picks one of many such names. False when none is
// left for that attempt.
bool NameBeside(const char* path, int attempt, char* name);
