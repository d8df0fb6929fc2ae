#include "app/caret_status.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/row_layout.h"
#include "view/mouse_select.h"
#include "view/viewport.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>

namespace {

const WPARAM NotePart = 0;
const WPARAM PositionPart = 1;
const WPARAM FormatPart = 2;

// What the format part shows; an impossible pair until it is first set.
TextCode ShownCode = TextCodeCount;
unsigned ShownEnd = EndingNone;

void PositionText(char* text, size_t size)
{
    text[0] = 0;
    if (LoadInProgress())
        return;
    DocumentGuard guard;
    if (View.caret.line == nullptr)
        return;
    int column = PosToPoint(*View.caret.line, View.caret.pos).x / CellWidth + 1;
    std::snprintf(text, size, "%d 行, %d 桁", View.caret.lineIndex + 1, column);
}

}

void ConnectCaretStatus()
{
    CaretMoved = ShowCaretPosition;
}

void LayoutStatusParts(int width)
{
    int position = width > FormatPartWidth ? width - FormatPartWidth : 0;
    int edges[3] = {position > PositionPartWidth ? position - PositionPartWidth : 0, position, -1};
    SendMessageA(StatusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    // The bar may be a new one, its format part empty.
    ShownCode = TextCodeCount;
    ShowDocumentFormat();
}

void DocumentFormatText(TextCode code, unsigned lineEnd, char* text, size_t size)
{
    static const char* const endings[] = {"CRLF", "CRLF", "CR", "LF"};
    std::snprintf(text, size, "%s  %s", TextCodeName(code), endings[lineEnd & 3]);
}

void ShowDocumentFormat()
{
    if (StatusBar == nullptr)
        return;
    TextCode code;
    unsigned lineEnd;
    {
        DocumentGuard guard;
        code = View.code;
        lineEnd = View.lineEnd;
    }
    if (code == ShownCode && lineEnd == ShownEnd)
        return;
    char text[64];
    DocumentFormatText(code, lineEnd, text, sizeof text);
    SendMessageA(StatusBar, SB_SETTEXTA, FormatPart, reinterpret_cast<LPARAM>(text));
    ShownCode = code;
    ShownEnd = lineEnd;
}

namespace {

UINT_PTR LaterTimer = 0;

// The bar's part that its next paint leaves alone, drawn instead by DrawStatusPart; empty when
// the bar paints as usual.
RECT Unpainted = {};

// The bar's own procedure, called through ours rather than through SetWindowSubclass, whose
// every message costs Wine a look-up of a window property.
WNDPROC BarProcedure = nullptr;
HWND SubclassedBar = nullptr;

// Wine's bar paints a part at once whenever it is given a text. Setting the caret's place, that
// paint only validates the part, which is then drawn at once: a paint of the bar costs more.
// Whatever else waits to be painted stays invalid and is painted as usual.
LRESULT CALLBACK SkipPartPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT && !IsRectEmpty(&Unpainted)) {
        ValidateRect(window, &Unpainted);
        return 0;
    }
    return CallWindowProcW(BarProcedure, window, message, wParam, lParam);
}

// A bar made after the last one (a new main window) is subclassed in its turn; the old one is
// gone with its window.
bool SubclassBar()
{
    if (SubclassedBar == StatusBar)
        return true;
    LONG_PTR own = reinterpret_cast<LONG_PTR>(SkipPartPaint);
    LONG_PTR previous = SetWindowLongPtrW(StatusBar, GWLP_WNDPROC, own);
    if (previous == 0)
        return false;
    BarProcedure = reinterpret_cast<WNDPROC>(previous);
    SubclassedBar = StatusBar;
    return true;
}

// Has the bar draw one part at once into its window, clipped to that part, as its own paint
// would draw it.
void DrawStatusPart(const RECT& part)
{
    HDC dc = GetDC(StatusBar);
    if (dc == nullptr) {
        InvalidateRect(StatusBar, &part, TRUE);
        return;
    }
    IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    SendMessageA(StatusBar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ReleaseDC(StatusBar, dc);
}

void CALLBACK ShowLater(HWND, UINT, UINT_PTR, DWORD)
{
    ShowCaretPosition();
}

// Whether another key press, or a mouse move of a drag that selects, waits in the queue: its own
// move will replace the text. The key whose move this is may still have its release waiting,
// which moves nothing. Each look costs Wine a request to its server, so mouse moves are looked
// for only while they move the caret.
bool MoreMovesWaiting()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD) ||
           (MouseSelecting() && PeekMessageA(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE | PM_NOYIELD));
}

}

void ShowCaretPosition()
{
    if (StatusBar == nullptr)
        return;
    // Two comparisons a key; the loader sets the format under the lock, and its progress shows it.
    if (!LoadInProgress() && (View.code != ShownCode || View.lineEnd != ShownEnd))
        ShowDocumentFormat();
    // A run of keys that queue up (a fast typist, a held key) would set a text for each, and each
    // new text repaints its part under Wine: the text waits for the last of them. The timer, which
    // comes only once no input waits, catches a run whose last key moves nothing.
    if (MoreMovesWaiting()) {
        if (LaterTimer == 0)
            LaterTimer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, ShowLater);
        if (LaterTimer != 0)
            return;
    }
    if (LaterTimer != 0) {
        KillTimer(nullptr, LaterTimer);
        LaterTimer = 0;
    }
    char text[64];
    PositionText(text, sizeof text);
    // The bar repaints on every text it is given, which a run of keys would feel.
    char shown[256] = "";
    if (LOWORD(SendMessageA(StatusBar, SB_GETTEXTLENGTHA, PositionPart, 0)) < sizeof shown)
        SendMessageA(StatusBar, SB_GETTEXTA, PositionPart, reinterpret_cast<LPARAM>(shown));
    if (std::strcmp(text, shown) == 0)
        return;
    RECT part;
    if (!SendMessageA(StatusBar, SB_GETRECT, PositionPart, reinterpret_cast<LPARAM>(&part)))
        SetRectEmpty(&part);
    if (SubclassBar())
        Unpainted = part;
    SendMessageA(StatusBar, SB_SETTEXTA, PositionPart, reinterpret_cast<LPARAM>(text));
    SetRectEmpty(&Unpainted);
    if (!IsRectEmpty(&part))
        DrawStatusPart(part);
}

void ShowStatusNote(const char* text)
{
    SendMessageA(StatusBar, SB_SETTEXTA, NotePart, reinterpret_cast<LPARAM>(text));
}
