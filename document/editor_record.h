// The one editor record, EditView, with its caret, and the process-wide settings and window
// handles beside it. Every module works on these directly; nothing keeps a copy.
#pragma once
#include "document/undo_log.h"
#include "platform/char_rule.h"
#include "platform/handles.h"
#include "document/stored_settings.h"

class TextLine;

const int PathSize = 260;

// A place in the document: a line, its number counted from 0 for the first line, and a byte
// offset in it that lies between two characters.
struct TextPlace {
    TextLine* line;
    int lineIndex;
    int pos;
};

inline bool operator==(const TextPlace& a, const TextPlace& b)
{
    return a.line == b.line && a.pos == b.pos;
}

inline bool operator!=(const TextPlace& a, const TextPlace& b)
{
    return !(a == b);
}

// Whether a comes before b in the document.
inline bool operator<(const TextPlace& a, const TextPlace& b)
{
    return a.lineIndex < b.lineIndex || (a.lineIndex == b.lineIndex && a.pos < b.pos);
}

class Caret {
public:
    Caret();
    virtual ~Caret();

    TextLine* line;
    int pos;
    int x;
    // The number of line, counted from 0, kept as the caret moves and the text changes, so that
    // nothing has to count lines from the top to know where the caret is.
    int lineIndex;
};

class EditView {
public:
    EditView();
    virtual ~EditView();

    HWND hwnd;
    TextLine* firstLine;
    char path[PathSize];
    bool modified;
    // The character code the document is written in; its bytes are held in HeldCode(code), and
    // DocumentRule tells how they make characters. Shift-JIS until a document says otherwise.
    TextCode code;
    // Whether the file is written with the byte order mark of its code (UTF-8 (BOM), UTF-16):
    // as it was read, and true for a new document.
    bool bom;
    // The document's line terminator (LineEnding, text_line.h): what Enter and the breaks of
    // pasted text make, what the status bar shows. The first terminator of an opened file, CR LF
    // otherwise, or the one LineEndingSetting names.
    unsigned lineEnd;
    // Every line is saved with lineEnd rather than its own terminator (the user chose one, or
    // LineEndingSetting asks for one); cleared by the save that does it.
    bool unifyEndings;
    TextLine* topLine;
    int topRow;
    // The number of topLine, counted from 0, kept as the view scrolls and the text changes.
    int topLineIndex;
    // The other end of the selection; the caret's own place when nothing is selected.
    TextPlace anchor;
    int clientWidth;
    int clientHeight;
    int hScroll;
    int vScroll;
    int maxLineWidth;
    int totalRows;
    bool overwrite;
    // The column count that wrapping after columns uses; kept by the settings, not per document.
    int wrapColumns;
    Caret caret;
    // What Undo and Redo work through; emptied whenever a document replaces another.
    UndoLog undo;
    HFONT font;
    HBRUSH backBrush;
    HBRUSH textBrush;
    COLORREF textColor;
    COLORREF backColor;
    COLORREF commentColor;
    COLORREF keywordColor;

    // The registry touches at start and at exit on the subkey EditCtrl of the program's key:
    // Load opens and closes it (key may be null when the program's key is missing), Save creates
    // or opens it and closes it. True when the subkey was there or made. Only the page setup is
    // read and written there; Windows only (app/registry_settings.cpp).
    bool LoadSettings(HKEY key);
    bool SaveSettings(HKEY key);
};

extern EditView View;

// A cell's width and a display row's height in pixels, from the metrics of the display font: a
// single-byte character takes one cell, a double-byte one two.
extern int CellWidth;
extern int CellHeight;
// The display font as the settings name it: its face and its size in points, which the view
// turns into pixels at the window's DPI.
extern char FontFace[FontFaceSize];
extern int FontPoints;
extern int WrapMode;
extern int TabWidth;
// The common settings' character code: new documents take it, and so do files whose bytes are
// all ASCII. Shift-JIS until the settings choose another.
extern TextCode DefaultCode;
// The common settings' line terminator: 0 keeps each opened file's own terminators and gives new
// documents CR LF; 1 CR LF, 2 CR and 3 LF are given to new documents and to every line of an
// opened one when it is saved.
extern int LineEndingSetting;

extern HWND MainWindow;
extern HMENU MainMenu;
extern HWND ToolBar;
extern HWND StatusBar;
extern HINSTANCE AppInstance;

// How the document's bytes make characters, for everything that lays out, moves over or draws
// them. It follows View.code and is cheap enough to ask for every line.
inline const CharRule& DocumentRule()
{
    return RuleFor(View.code);
}

// Makes code the document's code. Rows measured under the old one are stale: the caller measures
// the document again.
void SetDocumentCode(TextCode code);

// Gives a new document its code and terminator from the common settings.
void SetNewDocumentFormat(EditView& view);

// Releases the record's font and brushes, each only when it was made. Runs at process exit.
void ReleaseViewResources(EditView& view);
// Destroys the document's lines and clears every pointer into them (first, top and caret line,
// the selection's anchor) and the undo log, so nothing that runs before a new list is installed
// can reach a freed line or replay a step of the old document.
void DiscardLines(EditView& view);
