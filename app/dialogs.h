// The document information and common settings dialogs with their procedures, and the version
// box. Each Show operation opens its box modally over the main window and returns when it closes.
#pragma once
#include <windows.h>

// Dialog 136: shows the path, the text size and the document's terminator; another terminator
// chosen there is the document's on OK, and every line's at the next save.
INT_PTR CALLBACK DocInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog 134: shows the settings in force; OK applies what the user set and stores it when the
// program's registry key exists, after checking the tab width and the wrap column's range.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

void ShowDocumentInfo();
void ShowCommonSettings();
void ShowVersionBox();
