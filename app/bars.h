// The main window's toolbar and status bar: making them, their tooltip texts, and placing them
// with the edit view between them.
#pragma once
#include "platform/handles.h"

const int StatusBarId = 1001;
const int ToolBarId = 1;

// Makes the status bar, then the toolbar, as children of the main window, and stores both handles.
void CreateBars(HWND mainWindow);
// Places the toolbar at the top, the status bar at the bottom and the edit view between them, for
// a client area of width × height.
void LayoutBars(int width, int height);
// The tooltip of a toolbar button, or null for an id without one.
const char* ToolTipText(unsigned id);
