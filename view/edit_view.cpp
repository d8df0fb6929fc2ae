#include "view/edit_view.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "layout/paint_view.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/editing.h"
#include "view/input_method.h"
#include "view/mouse_select.h"
#include "view/selection.h"
#include "view/viewport.h"

#include <windowsx.h>
#include <algorithm>
#include <cstring>

namespace {

const char ClassName[] = "Tessary EditCtrl";

}

bool ReportEdit(bool done, unsigned long error)
{
    if (!done && error != 0)
        ShowSystemError(error);
    else if (!done)
        MessageBeep(MB_OK);
    return done;
}

namespace {

bool DeleteBackwardCharacter(unsigned long* error)
{
    return DeleteBackward(false, error);
}

bool DeleteBackwardWord(unsigned long* error)
{
    return DeleteBackward(true, error);
}

bool DeleteForwardWord(unsigned long* error)
{
    return DeleteForward(true, error);
}

EditView* ViewOf(HWND window)
{
    return reinterpret_cast<EditView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void OnCreate(HWND window, const CREATESTRUCTA& create)
{
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create.lpCreateParams));
    EditShown = AfterEdit;
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

bool KeyDown(int key)
{
    return GetKeyState(key) < 0;
}

// Left and Right without Shift end a selection at its own start or end, as the user expects.
void MoveLeftOrToSelectionStart()
{
    if (!HasSelection()) {
        MoveLeft();
        return;
    }
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    PlaceCaretAt(start);
}

void MoveRightOrToSelectionEnd()
{
    if (!HasSelection()) {
        MoveRight();
        return;
    }
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    PlaceCaretAt(end);
}

// A move with Shift extends the selection from where it was anchored; any other collapses it.
void MoveAndShow(void (*move)(), bool extend)
{
    DocumentGuard guard;
    if (View.caret.line == nullptr)
        return;
    bool selected = HasSelection();
    // A selection that goes was highlighted from its anchor; one that grows or shrinks changes
    // only between where the caret was and where it goes.
    int was = View.caret.lineIndex;
    int highlightFrom = selected && !extend ? View.anchor.lineIndex : was;
    move();
    if (!extend)
        CollapseSelection();
    EndTypingRun();
    DropPendingLeadByte();
    PlaceCaret();
    EnsureCaretVisible();
    if (selected || HasSelection()) {
        int now = View.caret.lineIndex;
        RepaintLines(std::min({was, highlightFrom, now}), std::max({was, highlightFrom, now}));
    }
    if (selected != HasSelection() && EditStateChanged != nullptr)
        EditStateChanged();
}

void OnKey(EditView& view, WPARAM key, bool shift, bool control)
{
    switch (key) {
    case VK_PRIOR: MoveAndShow(PageUp, shift); break;
    case VK_NEXT: MoveAndShow(PageDown, shift); break;
    case VK_END: MoveAndShow(control ? MoveDocumentEnd : MoveEnd, shift); break;
    case VK_HOME: MoveAndShow(control ? MoveDocumentStart : MoveHome, shift); break;
    case VK_LEFT: MoveAndShow(control ? MoveWordLeft : shift ? MoveLeft : MoveLeftOrToSelectionStart, shift); break;
    case VK_UP: MoveAndShow(MoveUp, shift); break;
    case VK_RIGHT: MoveAndShow(control ? MoveWordRight : shift ? MoveRight : MoveRightOrToSelectionEnd, shift); break;
    case VK_DOWN: MoveAndShow(MoveDown, shift); break;
    // The plain Delete key is the Delete command's accelerator; Ctrl+Delete comes here.
    case VK_DELETE:
        if (control)
            EditAndReport(DeleteForwardWord);
        break;
    case VK_INSERT:
        if (shift || control)
            break;
        view.overwrite = !view.overwrite;
        CaretCreate();
        break;
    }
}

void OnChar(unsigned char b)
{
    // Backspace comes as 8, and Ctrl+Backspace as DEL.
    if (b == 8)
        EditAndReport(DeleteBackwardCharacter);
    else if (b == 0x7F)
        EditAndReport(DeleteBackwardWord);
    else
        EditAndReport(TypeByte, b);
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

bool EditAndReport(bool (*edit)(unsigned long* error))
{
    unsigned long error = 0;
    bool done;
    {
        DocumentGuard guard;
        done = edit(&error);
    }
    return ReportEdit(done, error);
}

bool EditAndReport(bool (*edit)(unsigned char b, unsigned long* error), unsigned char b)
{
    unsigned long error = 0;
    bool done;
    {
        DocumentGuard guard;
        done = edit(b, &error);
    }
    return ReportEdit(done, error);
}

bool EditAndReport(bool (*edit)(unsigned code, unsigned long* error), unsigned code)
{
    unsigned long error = 0;
    bool done;
    {
        DocumentGuard guard;
        done = edit(code, &error);
    }
    return ReportEdit(done, error);
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
    case WM_KEYDOWN: OnKey(*view, wParam, KeyDown(VK_SHIFT), KeyDown(VK_CONTROL)); return 0;
    case WM_CHAR: OnChar(LOBYTE(wParam)); return 0;
    case WM_HSCROLL: OnHScroll(window, *view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_VSCROLL: OnVScroll(window, *view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam))); return 0;
    case WM_LBUTTONDOWN: MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0); return 0;
    case WM_LBUTTONDBLCLK: MouseDoubleClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSEMOVE: MouseDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP: MouseUp(); return 0;
    case WM_CAPTURECHANGED: DragEnded(); return 0;
    case WM_TIMER: DragTimerTick(wParam); return 0;
    case WM_IME_CHAR: EditAndReport(TypeInputMethodCharacter, static_cast<unsigned>(wParam & 0xFFFF)); return 0;
    // The system's own composition window still does the drawing.
    case WM_IME_STARTCOMPOSITION: CompositionStarted(); break;
    case WM_IME_ENDCOMPOSITION: CompositionEnded(); break;
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
    CreateCaret(View.hwnd, nullptr, View.overwrite ? CellWidth : 1, CellHeight);
    ShowCaret(View.hwnd);
}
