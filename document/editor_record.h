// The one editor record, EditView, with its caret, and the process-wide settings and window
// handles beside it. Every module works on these directly; nothing keeps a copy.
#pragma once
#include "platform/handles.h"

class TextLine;

const int PathSize = 260;

class Caret {
public:
    Caret();
    virtual ~Caret();

    TextLine* line;
    int pos;
    int x;
};

class EditView {
public:
    EditView();
    virtual ~EditView();

    HWND hwnd;
    TextLine* firstLine;
    char path[PathSize];
    bool modified;
    TextLine* topLine;
    int topRow;
    int clientWidth;
    int clientHeight;
    int hScroll;
    int vScroll;
    int maxLineWidth;
    int totalRows;
    bool overwrite;
    int wrapColumns;
    Caret caret;
    HFONT font;
    HBRUSH backBrush;
    HBRUSH textBrush;
    COLORREF textColor;
    COLORREF backColor;
    COLORREF commentColor;
    COLORREF keywordColor;

    // The registry touches at start and at exit on the subkey EditCtrl of the program's key:
    // Load opens and closes it (key may be null when the program's key is missing), Save creates
    // or opens it and closes it. True when the subkey was there or made. Nothing is read or
    // written and nothing in the record is used; Windows only (app/registry_settings.cpp).
    bool LoadSettings(HKEY key);
    bool SaveSettings(HKEY key);
};

extern EditView View;

extern int CellWidth;
extern int WrapMode;
extern int TabWidth;
extern char SaveLineEnding[4];

extern HWND MainWindow;
extern HMENU MainMenu;
extern HWND ToolBar;
extern HWND StatusBar;
extern HINSTANCE AppInstance;

// Releases the record's font and brushes, each only when it was made. Runs at process exit.
void ReleaseViewResources(EditView& view);
// Destroys the document's lines and clears every pointer into them (first, top and caret line),
// so nothing that runs before a new list is installed can reach a freed line.
void DiscardLines(EditView& view);
