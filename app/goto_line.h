// Going to a line: dialog 137 asks for a line number from 1 to the number of lines and keeps
// asking, with a message, until it gets one or is cancelled; the caret then goes to that line's
// start, which is scrolled into view.
#pragma once
#include <windows.h>

INT_PTR CALLBACK GoToLineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Ctrl+G: opens the dialog over the main window and moves the caret when it ends with a line.
void ShowGoToLine();
