// Splitting the program's command line into arguments. Spaces separate arguments; one that
// starts with a double quote runs to the next double quote and loses both, with no escapes.
// Everything here works on bytes and needs no window.
#pragma once

// The argument text inside a whole process command line (as GetCommandLineA gives it): what
// follows the program's name and the spaces and tabs after it. Points into commandLine.
const char* ArgumentText(const char* commandLine);

// Splits text into its arguments. Returns an array of *count strings, each a separate heap
// block, for FreeArguments to release. No arguments (or no memory) gives 0 and null.
char** ParseCommandLine(const char* text, int* count);

// Releases each of the count strings and then the array; a null array is allowed.
void FreeArguments(int count, char** arguments);
