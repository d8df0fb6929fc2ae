// The main window "Tessary Application": the frame with the menu, toolbar and status bar around
// the edit view. It turns commands, the close box and dropped files into document commands,
// wrap-mode changes and dialogs.
#pragma once
#include <windows.h>

// Registers the class (menu 109, icons 107 and 108) and creates the window hidden, storing
// MainWindow and MainMenu. From then on the title and command states follow the document.
// False when the window could not be made.
bool CreateMainWindow();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the command id; false for the commands that do nothing, which go to default processing.
bool RunCommand(int id);
// One of the three wrap commands: sets WrapMode, moves the check mark and re-measures.
void SetWrapMode(int id);
// Asks about unsaved changes and, unless the user cancels, destroys the main window.
void CloseMainWindow();
// Opens each file of a shell drop, in the order the drop lists them.
void OpenDroppedFiles(HDROP drop);
