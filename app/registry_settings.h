// The program's registry key, HKEY_CURRENT_USER\Software\Vandrel\Tessary, and its subkey
// EditCtrl, which holds the settings (document/stored_settings.h names them), the main window's
// placement and the page setup. Start-up reads them when the key exists; exit writes them,
// creating the key once the user has agreed to it; OK in the settings dialog writes them at once
// when it exists.
#pragma once
#include <windows.h>

// At start: opens the key when it exists and lets the record read the settings from its subkey;
// a missing or bad value gives that setting's default.
void OpenSettingsAtStart();
// At exit, after the main window is gone: when the key is missing, asks (a message box with no
// owner) whether to create it; on OK, or when it exists, writes the settings into the subkey.
void StoreSettingsAtExit();
// Writes the settings now when the key exists; asks nothing and creates nothing.
void StoreSettingsNow();

// Keeps the main window's placement, for the writing at exit (the window is gone by then).
void RememberWindowPlacement(HWND window);
// Shows the window in the placement read at start (maximized when it was), or as showCommand
// says where none was read or its normal place lies on no monitor.
void ShowInSavedPlacement(HWND window, int showCommand);
