#include <windows.h>
#include "view/input_method.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "layout/row_layout.h"
#include "view/caret_moves.h"

#include <cstring>

namespace {

bool Composing = false;

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

// A caret scrolled out of sight still gets the windows inside the view, at its nearest edge.
void PlaceInputWindows(const LayoutPoint& caret)
{
    HIMC context = ImmGetContext(View.hwnd);
    if (context == nullptr)
        return;
    int x = Clamp(caret.x, 0, View.clientWidth > 0 ? View.clientWidth : 0);
    int y = Clamp(caret.y, 0, View.clientHeight > RowHeight() ? View.clientHeight - RowHeight() : 0);

    COMPOSITIONFORM composition;
    memset(&composition, 0, sizeof composition);
    composition.dwStyle = CFS_POINT;
    composition.ptCurrentPos.x = x;
    composition.ptCurrentPos.y = y;
    ImmSetCompositionWindow(context, &composition);

    CANDIDATEFORM candidates;
    memset(&candidates, 0, sizeof candidates);
    candidates.dwIndex = 0;
    candidates.dwStyle = CFS_EXCLUDE;
    candidates.ptCurrentPos.x = x;
    candidates.ptCurrentPos.y = y;
    SetRect(&candidates.rcArea, 0, y, View.clientWidth, y + RowHeight());
    ImmSetCandidateWindow(context, &candidates);
    ImmReleaseContext(View.hwnd, context);
}

}

void CompositionStarted()
{
    Composing = true;
    HIMC context = ImmGetContext(View.hwnd);
    if (context != nullptr) {
        LOGFONTA font;
        if (View.font != nullptr && GetObjectA(View.font, sizeof font, &font) == static_cast<int>(sizeof font))
            ImmSetCompositionFontA(context, &font);
        ImmReleaseContext(View.hwnd, context);
    }
    LayoutPoint caret;
    {
        DocumentGuard guard;
        caret = CaretViewPoint();
    }
    PlaceInputWindows(caret);
}

void CompositionEnded()
{
    Composing = false;
}

void FollowCaretWhileComposing()
{
    if (Composing)
        PlaceInputWindows(CaretViewPoint());
}
