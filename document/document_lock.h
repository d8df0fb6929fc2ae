// Holding the document: the line list and the layout state are shared by the user-interface
// thread and the loader thread, which take the one lock around every use of them.
//
// The loader fills each line privately and takes the lock only to put the line into the list,
// so the window never sees a line while it is being filled or half linked. The window takes it
// around painting, measuring (Relayout), scrolling, caret moves and typing, so no two layout
// updates ever run at once. Neither thread sends a message to the other while holding it.
#pragma once
#include "platform/platform.h"

class DocumentGuard {
public:
    DocumentGuard() { LockDocument(); }
    ~DocumentGuard() { UnlockDocument(); }

private:
    DocumentGuard(const DocumentGuard&);
    DocumentGuard& operator=(const DocumentGuard&);
};
