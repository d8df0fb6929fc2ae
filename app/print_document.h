// Printing the document: the page setup dialog, the print dialog, and the job that sends the
// pages while a small box counts them and offers to stop. The document is only read.
#pragma once
#include <windows.h>

// The page setup dialog: paper, orientation and margins, kept for the session on OK.
void ShowPageSetup();
// The print command. While a file still loads it waits for the end of the load, and says so.
void PrintCommand();
// Told by the end of a background load: the print that waited for it goes on, or, when the
// document lacks part of the file, is dropped.
void PrintAfterLoad(bool complete);

// What the print dialog chose: the selection or the whole document, pages from up to to (both 0:
// all) and how many copies the program sends itself.
struct PrintChoice {
    bool selection;
    int fromPage;
    int toPage;
    int copies;
};

// Sends the chosen pages to the printer's device context as one job named after the document,
// with the progress box up and the main window disabled, and tells any failure in one message
// box. The caller deletes dc. True when the job was sent whole; false when it failed, when the
// user stopped it, or when the range holds no page.
bool PrintPages(HDC dc, const PrintChoice& choice);

// The page setup's stored form in the program's registry subkey: read at start, when the value
// is there and sound (anything else leaves the defaults), and written at exit.
void ReadPageSetup(HKEY subkey);
void WritePageSetup(HKEY subkey);

// Called after each page the printer took, with its number; null unless a test or benchmark
// watches.
extern void (*PageSent)(int page);
