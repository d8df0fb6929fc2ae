// The main window's title for a document: "Tessary [name]", with " *" before the bracket while
// there are unsaved changes.
#pragma once

// Longest title: the fixed parts around a name of at most 259 bytes.
const int TitleSize = 280;

// Writes the title for path (empty for an untitled document) into title, TitleSize bytes.
void BuildTitle(const char* path, bool modified, char* title);
