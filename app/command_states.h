// Bringing the main window's title, menu and toolbar into step with the document and the wrap
// mode. Both read View, WrapMode and the global window handles, and keep nothing.
#pragma once

void UpdateTitle();
void UpdateCommandStates();

// Both of the above, in that order: what the document calls when it is shown or first changed.
void ShowDocumentState();
