// Bringing the main window's title, menu and toolbar into step with the document, the selection,
// the clipboard and the wrap mode. They read View, WrapMode and the global window handles; what
// the Edit commands last showed is kept, so that an edit or a caret move that changes none of
// their states costs no menu or toolbar work.
#pragma once

void UpdateTitle();
// Every state: Save, the wrap mode's mark, and the Edit commands (Undo and Redo by the undo log,
// Cut and Copy by the selection, Paste by whether the clipboard holds text). Delete stays
// enabled throughout: a grayed item's accelerator is not sent, and the Delete key is its.
void UpdateCommandStates();
// The Edit commands' states alone, each sent only when it differs from what was shown last; the
// clipboard as it was last looked at. What edits and selection changes call (EditStateChanged).
void UpdateEditCommandStates();
// The clipboard may have changed: looks whether it holds text, then as above.
void ClipboardChanged();

// Both of the first two, in that order: what the document calls when it is shown or first changed.
void ShowDocumentState();
