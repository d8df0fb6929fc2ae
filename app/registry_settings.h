// The program's registry key, HKEY_CURRENT_USER\Software\Vandrel\Tessary, and its subkey
// EditCtrl. Neither holds a value: start-up only looks at them, and exit creates them once the
// user has agreed to it.
#pragma once

// At start: opens the key when it exists and lets the record open and close its subkey.
void OpenSettingsAtStart();
// At exit, after the main window is gone: when the key is missing, asks (a message box with no
// owner) whether to create it; on OK, or when it exists, makes sure the subkey exists.
void StoreSettingsAtExit();
