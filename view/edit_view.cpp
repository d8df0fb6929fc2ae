#include "view/edit_view.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "layout/paint_view.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/viewport.h"

#include <cstring>

namespace {

const char ClassName[] = "Tessary EditCtrl";

EditView* ViewOf(HWND window)
{
    return reinterpret_cast<EditView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void OnCreate(HWND window, const CREATESTRUCTA& create)
{
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create.lpCreateParams));
    ShowEmptyDocument();
    SetViewSize(create.cx, create.cy);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    PaintView(paint);
    EndPaint(window, &paint);
}

void MoveAndShow(void (*move)())
{
    DocumentGuard guard;
    if (View.caret.line == nullptr)
        return;
    move();
    PlaceCaret();
    EnsureCaretVisible();
}

void OnKey(EditView& view, WPARAM key)
{
    switch (key) {
    case VK_PRIOR: MoveAndShow(PageUp); break;
    case VK_NEXT: MoveAndShow(PageDown); break;
    case VK_END: MoveAndShow(MoveEnd); break;
    case VK_HOME: MoveAndShow(MoveHome); break;
    case VK_LEFT: MoveAndShow(MoveLeft); break;
    case VK_UP: MoveAndShow(MoveUp); break;
    case VK_RIGHT: MoveAndShow(MoveRight); break;
    case VK_DOWN: MoveAndShow(MoveDown); break;
    case VK_INSERT:
        view.overwrite = !view.overwrite;
        CaretCreate();
        break;
    }
}

void OnChar(char b)
{
    if (b == 8)
        return;
    const char bytes[2] = {b, 0};
    unsigned long error = 0;
    bool inserted;
    {
        DocumentGuard guard;
        inserted = InsertText(bytes, 1, &error);
    }
    // The repaint draws the new text and places the caret where it draws it.
    InvalidateRect(View.hwnd, nullptr, TRUE);
    // Only now that the lock is free: the box runs a message loop of its own.
    if (!inserted)
        ShowSystemError(error);
}

// The message carries only the low 16 bits of the thumb's place; the bar itself knows all 32.
// Its tracking position is trusted only when it agrees with the message, so a message that did
// not come from this bar's drag is taken as it stands.
int ThumbPosition(HWND window, int bar, WORD carried)
{
    SCROLLINFO info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(window, bar, &info) && LOWORD(info.nTrackPos) == carried)
        return info.nTrackPos;
    return carried;
}

void OnHScroll(HWND window, const EditView& view, WORD code, WORD carried)
{
    int page = view.clientWidth / CellWidth;
    switch (code) {
    case SB_LINELEFT: ScrollColumns(-1); break;
    case SB_LINERIGHT: ScrollColumns(1); break;
    case SB_PAGELEFT: ScrollColumns(-page); break;
    case SB_PAGERIGHT: ScrollColumns(page); break;
    case SB_THUMBTRACK: ScrollColumns(ThumbPosition(window, SB_HORZ, carried) - view.hScroll); break;
    }
}

void OnVScroll(HWND window, const EditView& view, WORD code, WORD carried)
{
    switch (code) {
    case SB_LINEUP: ScrollRows(-1); break;
    case SB_LINEDOWN: ScrollRows(1); break;
    case SB_PAGEUP: ScrollRows(-PageRows()); break;
    case SB_PAGEDOWN: ScrollRows(PageRows()); break;
    case SB_THUMBTRACK: ScrollRows(ThumbPosition(window, SB_VERT, carried) - view.vScroll); break;
    }
}

// Shift or Ctrl alone is left to other uses of the wheel; both together scroll like no key.
void OnWheel(WORD keys, short delta)
{
    if (keys == MK_SHIFT || keys == MK_CONTROL)
        return;
    if (delta > 0)
        ScrollRows(-2);
    else if (delta < 0)
        ScrollRows(2);
}

}

void CreateEditWindow(HWND parent)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = EditViewProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
    View.hwnd = CreateWindowExA(0, ClassName, "Tessary", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                                0, 0, 0, 0, parent, nullptr, instance, &View);
}

LRESULT CALLBACK EditViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        OnCreate(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    }
    EditView* view = ViewOf(window);
    if (view == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_SIZE: SetViewSize(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_SETFOCUS: CaretCreate(); return 0;
    case WM_KILLFOCUS: DestroyCaret(); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_KEYDOWN: OnKey(*view, wParam); return 0;
    case WM_CHAR: OnChar(static_cast<char>(LOBYTE(wParam))); return 0;
    case WM_HSCROLL: OnHScroll(window, *view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_VSCROLL: OnVScroll(window, *view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam))); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SetViewSize(int width, int height)
{
    View.clientWidth = width;
    View.clientHeight = height;
    Relayout();
}

void CaretCreate()
{
    CreateCaret(View.hwnd, nullptr, View.overwrite ? CellWidth : 1, 2 * CellWidth);
    ShowCaret(View.hwnd);
}
