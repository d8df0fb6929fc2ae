// What a document may be named: the full path of a name the user gave, which every later save
// and every new instance can rely on wherever the current directory has moved meanwhile.
#pragma once

// Makes the full path of given in name (PathSize bytes). False, with the system's code for the
// reason in *error, when given has a double quote (no file name has one, and a quoted argument
// holding one would split into several names) or when its full path does not fit a path.
bool DocumentName(const char* given, char* name, unsigned long* error);
