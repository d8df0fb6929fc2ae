// The one door through which a file is opened at the user's request: in this window while it
// holds an untitled, unchanged document, otherwise in a new instance of the program.
#pragma once
#include "platform/text_code.h"

// path null lets the user choose the file and its code; otherwise it is read in code, or with
// TextCodeCount in the code its bytes show. A name that cannot be a document's (its full path too
// long for a path, or with a double quote) is refused before anything else happens.
void OpenDocument(const char* path, TextCode code = TextCodeCount);
// Starts a program from its command text; WinExec unless a test watches the starts instead.
extern void (*StartProgram)(const char* commandText);

// Room for the command text of a new instance: two full paths, their quotes, the code option,
// the spaces, the end.
const int CommandTextSize = 2 * 260 + 16;
// Writes the quoted module path, a space and the quoted name to text (CommandTextSize bytes),
// with code other than TextCodeCount the option that opens it in that code before the name.
// False when either is PathSize bytes or longer.
bool InstanceCommandText(const char* modulePath, const char* name, char* text, TextCode code = TextCodeCount);
// The code an argument "/code=N" (N a TextCode) names for the files after it; false for any other.
bool CodeOption(const char* argument, TextCode* code);
