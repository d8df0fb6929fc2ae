// The window's side of a background load: the worker's repaints and status texts, the end of
// the load on the user-interface thread, and holding back the commands that would replace or
// save the document while it loads.
#pragma once
#include <windows.h>

// Posted by the worker to the main window when it is done: wParam is nonzero when the file was
// read to the end, lParam the system's error code otherwise. The number is registered for this
// program, so no other program's private message can be taken for it.
UINT LoadEndedMessage();

// Connects the loader to the status bar, the edit view and the main window.
void ConnectLoader();
// Lays the loaded document out, repaints it and says the load is finished. An incomplete
// document loses its name, so that saving cannot put it in place of the whole file. Ignored
// unless a worker has really ended: anyone can post the message.
void EndLoad(bool complete, unsigned long error);
// While a load runs: tells the user that the command has to wait for it, and returns true.
bool RefusedWhileLoading();
