// The settings in force, as one StoredSettings gathered from the globals and the view, and
// applying a whole set at once: what changed is re-measured or repainted, and the wrap mode's
// check mark follows.
#pragma once
#include "document/stored_settings.h"

StoredSettings CurrentSettings();
// Makes settings the ones in force. A new font, tab width or wrapping measures the document
// again; new colours only repaint it. Without a view window only the values are taken.
void ApplySettings(const StoredSettings& settings);
// Whether the system has a font family of that face; the settings fall back to their default
// face for one it has not.
bool FontFaceExists(const char* face);
