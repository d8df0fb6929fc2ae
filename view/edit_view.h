// The edit view: the child window in which the document is shown and typed into. Its window
// procedure turns keys, characters, the input method, scroll bars, the wheel, the mouse, focus,
// size and paint messages into caret moves, selection, scrolling, input and painting on View.
#pragma once
#include <windows.h>

// Registers the "Tessary EditCtrl" class, a Unicode window so that every typed character arrives
// whole, and creates the view inside parent. View.hwnd is the new window, or null when creation
// failed.
void CreateEditWindow(HWND parent);

LRESULT CALLBACK EditViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Takes the client area's new size and re-measures the document against it.
void SetViewSize(int width, int height);

// Makes a caret of the current shape (a bar, or a cell-wide block when overwriting) and shows
// it; the next PlaceCaret or repaint positions it.
void CaretCreate();

// Runs an edit under the document lock; then, the lock free (a box runs a message loop of its
// own), beeps when the edit was refused or shows the system's text when memory ran out. The edit
// itself has repainted what it changed.
bool EditAndReport(bool (*edit)(unsigned long* error));
bool EditAndReport(bool (*edit)(unsigned char b, unsigned long* error), unsigned char b);
bool EditAndReport(bool (*edit)(unsigned code, unsigned long* error), unsigned code);
// The same report for an edit the caller ran itself, under the lock it has since released.
bool ReportEdit(bool done, unsigned long error);
