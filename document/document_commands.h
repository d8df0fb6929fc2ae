// The commands that replace or store the one document: new, open here, save, save as, and the
// question whether unsaved changes are to be saved before the document goes.
#pragma once

bool NewDocument();
// Opens path (or asks for a name with the Open dialog when path is null) in this window.
bool OpenInPlace(const char* path);
// Asks about unsaved changes; true once the old lines may go and have been destroyed.
bool QuerySave();
bool SaveDocument();
bool SaveDocumentAs();
