#include "app/caret_status.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "layout/row_layout.h"
#include "view/viewport.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>

namespace {

const WPARAM NotePart = 0;
const WPARAM PositionPart = 1;

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
    int edges[2] = {width > PositionPartWidth ? width - PositionPartWidth : 0, -1};
    SendMessageA(StatusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
}

namespace {

UINT_PTR LaterTimer = 0;

void CALLBACK ShowLater(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(nullptr, LaterTimer);
    LaterTimer = 0;
    ShowCaretPosition();
}

}

void ShowCaretPosition()
{
    if (StatusBar == nullptr)
        return;
    // While more keys or clicks wait, their own moves would replace this text before it could be
    // seen: it is set once they are handled, on a timer, which comes only when no input waits.
    if (HIWORD(GetQueueStatus(QS_INPUT)) != 0) {
        if (LaterTimer == 0)
            LaterTimer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, ShowLater);
        if (LaterTimer != 0)
            return;
    }
    char text[64];
    PositionText(text, sizeof text);
    // The bar repaints on every text it is given, which a run of keys would feel.
    char shown[256] = "";
    if (LOWORD(SendMessageA(StatusBar, SB_GETTEXTLENGTHA, PositionPart, 0)) < sizeof shown)
        SendMessageA(StatusBar, SB_GETTEXTA, PositionPart, reinterpret_cast<LPARAM>(shown));
    if (std::strcmp(text, shown) == 0)
        return;
    // Wine's bar repaints the part at once on every new text; a run of keys pays for one repaint
    // at the next paint instead.
    SendMessageA(StatusBar, WM_SETREDRAW, FALSE, 0);
    SendMessageA(StatusBar, SB_SETTEXTA, PositionPart, reinterpret_cast<LPARAM>(text));
    SendMessageA(StatusBar, WM_SETREDRAW, TRUE, 0);
    RECT part;
    if (SendMessageA(StatusBar, SB_GETRECT, PositionPart, reinterpret_cast<LPARAM>(&part)))
        InvalidateRect(StatusBar, &part, TRUE);
}

void ShowStatusNote(const char* text)
{
    SendMessageA(StatusBar, SB_SETTEXTA, NotePart, reinterpret_cast<LPARAM>(text));
}
