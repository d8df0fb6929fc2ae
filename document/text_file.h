// Moving the document between a file on disk and the line list: LF, CR and CR LF end lines on
// reading, SaveLineEnding goes between lines on writing, and the missing directories of a path
// are created before every open.
#pragma once
#include <cstdio>

class EditView;
class TextLine;

// Reads view.path into a new line list headed by view.firstLine. False when the file cannot be
// opened; nothing is changed then.
bool ReadDocument(EditView& view);
// Writes the lines to view.path. The old file is replaced only once the new bytes are all on
// disk, so a failed save leaves it as it was.
bool WriteDocument(EditView& view);
// Appends the next line of the stream to line. True when a terminator ended it, false at the end
// of the file (or when the stream fails).
bool ReadLine(TextLine* line, FILE* stream);
// Writes the line's bytes and, when a line follows, SaveLineEnding.
bool WriteLine(const TextLine* line, FILE* stream);
FILE* OpenWithDirectories(const char* path, const char* mode);
void CreateDirectories(const char* dir);

// Offset of the last directory separator of path, or -1. A trail byte 0x5C is not a separator.
int LastSeparator(const char* path);
