#include "document/editor_record.h"
#include "document/stored_settings.h"
#include "document/text_line.h"
#include "platform/platform.h"

Caret::Caret() : line(nullptr), pos(0), x(0), lineIndex(0) {}

Caret::~Caret() {}

EditView::EditView()
    : hwnd(nullptr), firstLine(nullptr), path(), modified(false), code(CodeShiftJis), bom(true), lineEnd(EndingCrLf),
      unifyEndings(false), topLine(nullptr), topRow(0), topLineIndex(0),
      anchor(),
      clientWidth(0), clientHeight(0), hScroll(0), vScroll(0), maxLineWidth(0), totalRows(0),
      overwrite(false), wrapColumns(DefaultSettings().wrapColumns), font(nullptr), backBrush(nullptr),
      textBrush(nullptr), textColor(DefaultSettings().textColor), backColor(DefaultSettings().backColor),
      commentColor(DefaultSettings().commentColor), keywordColor(DefaultSettings().keywordColor)
{
}

EditView::~EditView()
{
    ReleaseViewResources(*this);
}

void SetDocumentCode(TextCode code)
{
    View.code = code;
}

void SetNewDocumentFormat(EditView& view)
{
    view.code = DefaultCode;
    view.bom = true;
    bool given = LineEndingSetting >= EndingCrLf && LineEndingSetting <= EndingLf;
    view.lineEnd = given ? static_cast<unsigned>(LineEndingSetting) : static_cast<unsigned>(EndingCrLf);
    view.unifyEndings = false;
}

void ReleaseViewResources(EditView& view)
{
    DeleteDrawingObject(view.font);
    DeleteDrawingObject(view.textBrush);
    DeleteDrawingObject(view.backBrush);
    view.font = nullptr;
    view.textBrush = nullptr;
    view.backBrush = nullptr;
}

void DiscardLines(EditView& view)
{
    DestroyLines(view.firstLine);
    view.firstLine = nullptr;
    view.topLine = nullptr;
    view.topLineIndex = 0;
    view.caret.line = nullptr;
    view.caret.pos = 0;
    view.caret.lineIndex = 0;
    view.anchor = TextPlace();
    view.undo.Clear();
}

// The one record of the process. Its destructor runs from the exit handler that the runtime
// registers right after its static construction.
EditView View;

int CellWidth = 7;
int CellHeight = 14;
char FontFace[FontFaceSize] = "FixedSys";
int FontPoints = 10;
int WrapMode = -1;
int TabWidth = 4;
TextCode DefaultCode = CodeShiftJis;
int LineEndingSetting = 0;

HWND MainWindow;
HMENU MainMenu;
HWND ToolBar;
HWND StatusBar;
HINSTANCE AppInstance;
