// The program's registry key, HKEY_CURRENT_USER\Software\Vandrel\Tessary, and its subkey
// EditCtrl, which holds the page setup (PageSetup): start-up reads it, and exit creates the keys
// once the user has agreed to it and writes it.
#pragma once

// At start: opens the key when it exists and lets the record open and close its subkey.
void OpenSettingsAtStart();
// At exit, after the main window is gone: when the key is missing, asks (a message box with no
// owner) whether to create it; on OK, or when it exists, makes sure the subkey exists.
void StoreSettingsAtExit();
