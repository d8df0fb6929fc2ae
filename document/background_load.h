// Reading a large file on a worker thread: ReadDocument hands a file of more than
// LoadThreshold bytes to LoaderThread and returns at once, and the lines arrive while the
// window stays usable. While a load runs the document must be neither replaced nor saved:
// LoadInProgress tells the commands so.
#pragma once
#include "platform/text_code.h"

class EditView;
class TextLine;

const int LoadThreshold = 300 * 1024;

// What the loader tells the window. Each is called on the worker thread without the document
// lock; null ones are skipped. LoadEnded comes last: the window then finishes the load on its
// own thread (FinishLoad). complete is false, with the system's error code, when the worker
// could not open the file again, met a read error, or had no memory for a line or its bytes, so
// the document lacks part of the file.
extern void (*LoadRepaint)();
extern void (*LoadProgress)(const char* text);
extern void (*LoadEnded)(bool complete, unsigned long error);

// Starts the worker on view, to read its file in code, or with TextCodeCount in the code the
// file's bytes show (ReadDocument says how); false (and no load in progress) when no thread could
// be started. The worker sets the document's code before it hands over the first line, and its
// terminator with the first line that has one.
bool StartLoader(EditView& view, TextCode code = TextCodeCount);
// How many loads StartLoader has started, so that what was kept of one load is not taken for
// another's.
unsigned LoadsStarted();
// True from StartLoader until FinishLoad.
bool LoadInProgress();
// True once the worker has done its last work on the document, until FinishLoad: only then may
// the window finish the load.
bool LoadReadToEnd();
// Called by the window once it has laid out the loaded document: commands may change it again.
void FinishLoad();

// While a load runs, the line the worker fills next: the document's last line when the worker
// last held the lock. It only moves towards the end. The lines before it are whole, and only the
// window's thread changes them. Null when no load runs. Read with the document lock held.
TextLine* LineBeingLoaded();

// The worker's procedure, taking the editor record.
void LoaderThread(void* editor);

// The status text once a load has read its file to the end.
extern const char LoadDoneText[];
