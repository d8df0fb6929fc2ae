// The one door through which a file is opened at the user's request: in this window while it
// holds an untitled, unchanged document, otherwise in a new instance of the program.
#pragma once

// path null lets the user choose the file. A name that cannot be a document's (its full path too
// long for a path, or with a double quote) is refused before anything else happens.
void OpenDocument(const char* path);
// Starts a program from its command text; WinExec unless a test watches the starts instead.
extern void (*StartProgram)(const char* commandText);

// Room for the command text of a new instance: two full paths, their quotes, a space, the end.
const int CommandTextSize = 2 * 260 + 4;
// Writes the quoted module path, a space and the quoted name to text (CommandTextSize bytes).
// False when either is PathSize bytes or longer.
bool InstanceCommandText(const char* modulePath, const char* name, char* text);
