// The commands that replace or store the one document: new, open here, save, save as, and the
// question whether unsaved changes are to be saved. They ask the user with boxes and dialogs;
// while one of them waits for an answer, or while a large file loads, another command that would
// replace or save the document is refused, so no command ever runs inside another.
#pragma once
#include "platform/text_code.h"

// A new document takes the code and terminator of the common settings.
bool NewDocument();
// Opens path in code (TextCodeCount: the code its bytes show), or asks for a name and a code with
// the Open dialog when path is null, in this window.
bool OpenInPlace(const char* path, TextCode code = TextCodeCount);
// Asks about unsaved changes; true once the old lines may go and have been destroyed.
bool QuerySave();
bool SaveDocument();
bool SaveDocumentAs();
// The system asks whether the session may end: asks about unsaved changes as QuerySave does, but
// the document stays whole, since the session may still go on.
bool MayEndSession();

// Room for a name as the user gives it (a file dialog, a drop), far larger than any name a
// document may have: a file dialog handed a buffer too small for the typed name fails, and the
// name is lost, rather than being refused with a reason.
const int GivenNameSize = 32 * 1024;

// Makes the full path of a name the user gave in name (PathSize bytes). A name that cannot be a
// document's (too long, or with a double quote) is refused with the system's text for the reason.
bool TakeDocumentName(const char* given, char* name);
