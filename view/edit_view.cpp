#include "view/edit_view.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "layout/paint_view.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/code_change.h"
#include "view/editing.h"
#include "view/input_method.h"
#include "view/mouse_select.h"
#include "view/selection.h"
#include "view/viewport.h"

#include <windowsx.h>
#include <imm.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const wchar_t ClassName[] = L"Tessary EditCtrl";

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

void OnCreate(HWND window, const CREATESTRUCTW& create)
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

// Shift and Ctrl in one look at the keyboard: under Wine each GetKeyState asks its server.
void Modifiers(bool* shift, bool* control)
{
    BYTE keys[256];
    if (!GetKeyboardState(keys)) {
        *shift = GetKeyState(VK_SHIFT) < 0;
        *control = GetKeyState(VK_CONTROL) < 0;
        return;
    }
    *shift = (keys[VK_SHIFT] & 0x80) != 0;
    *control = (keys[VK_CONTROL] & 0x80) != 0;
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

void OnKeyDown(EditView& view, WPARAM key)
{
    bool shift;
    bool control;
    Modifiers(&shift, &control);
    OnKey(view, key, shift, control);
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

// Asks whether the document is to become UTF-8, so that a character its code lacks can be typed.
bool AskToConvert(int unheld)
{
    int losses;
    TextCode code;
    {
        DocumentGuard guard;
        losses = ConversionLosses(CodeUtf8);
        code = View.code;
    }
    char text[512];
    int made = std::snprintf(text, sizeof text,
                             "入力した文字のうち %d 文字は %s にない文字です。\n文書の文字コードを UTF-8 に変換しますか？\n\n"
                             "「いいえ」を選ぶと、その文字は「?」になります。",
                             unheld, TextCodeName(code));
    if (losses > 0 && made > 0 && static_cast<size_t>(made) < sizeof text)
        std::snprintf(text + made, sizeof text - static_cast<size_t>(made),
                      "\n（文書のうち %d 文字は UTF-8 に変換できないため「?」になります）", losses);
    HWND owner = MainWindow != nullptr ? MainWindow : View.hwnd;
    return MessageBoxA(owner, text, "Tessary", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Unicode characters typed or composed, in order. ASCII goes the way a character message's byte
// always went; the others in the document's code, and when the code lacks some of them the user
// chooses between converting the document to UTF-8 and typing '?' for them.
void TypeCharacters(const std::vector<unsigned long>& characters)
{
    int unheld = 0;
    {
        DocumentGuard guard;
        for (unsigned long c : characters)
            unheld += !DocumentHolds(c);
    }
    if (unheld > 0 && AskToConvert(unheld)) {
        unsigned long error = 0;
        bool converted;
        {
            DocumentGuard guard;
            converted = ConvertDocument(CodeUtf8, &error);
        }
        if (!ReportEdit(converted, error))
            return;
    }
    int replaced = 0;
    for (unsigned long c : characters) {
        if (c < 0x80) {
            OnChar(static_cast<unsigned char>(c));
            continue;
        }
        unsigned long error = 0;
        bool done;
        bool lacked = false;
        {
            DocumentGuard guard;
            done = TypeCharacter(c, &lacked, &error);
            if (done && lacked) {
                ++replaced;
                done = TypeByte('?', &error);
            }
        }
        if (!ReportEdit(done, error))
            break;
    }
    if (replaced > 0 && TypedCharactersReplaced != nullptr)
        TypedCharactersReplaced(replaced);
}

// A character message of the Unicode window (WM_CHAR, WM_IME_CHAR): one UTF-16 unit. A surrogate
// pair comes as two messages and is typed once both have come.
void OnUnicodeChar(WPARAM unit)
{
    unsigned long c;
    if (!CharacterFromUnit(static_cast<unsigned>(unit & 0xFFFF), &c))
        return;
    if (c < 0x80) {
        OnChar(static_cast<unsigned char>(c));
        return;
    }
    TypeCharacters(std::vector<unsigned long>(1, c));
}

// The input method's result, taken whole as UTF-16 so that no character is lost on the way.
bool OnComposition(HWND window, LPARAM changed)
{
    if ((changed & GCS_RESULTSTR) == 0)
        return false;
    HIMC context = ImmGetContext(window);
    if (context == nullptr)
        return false;
    LONG size = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    std::vector<wchar_t> units(size > 0 ? static_cast<size_t>(size) / sizeof(wchar_t) + 1 : 1);
    if (size > 0)
        size = ImmGetCompositionStringW(context, GCS_RESULTSTR, units.data(), static_cast<DWORD>(size));
    ImmReleaseContext(window, context);
    if (size < 0)
        return false;
    std::vector<unsigned long> characters;
    size_t count = static_cast<size_t>(size) / sizeof(wchar_t);
    for (size_t i = 0; i < count; ++i) {
        unsigned long c = static_cast<unsigned short>(units[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned short>(units[++i]) - 0xDC00);
        characters.push_back(c);
    }
    DropPendingLeadByte();
    TypeCharacters(characters);
    return true;
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
    // A Unicode window, so that typed and composed characters reach it whole, whatever the ANSI
    // code page lacks.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSW windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = EditViewProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    windowClass.lpszClassName = ClassName;
    RegisterClassW(&windowClass);
    View.hwnd = CreateWindowExW(0, ClassName, L"Tessary", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                                0, 0, 0, 0, parent, nullptr, instance, &View);
}

LRESULT CALLBACK EditViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        OnCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
    }
    EditView* view = ViewOf(window);
    if (view == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_SIZE: SetViewSize(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_SETFOCUS: CaretCreate(); return 0;
    case WM_KILLFOCUS: DestroyCaret(); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_KEYDOWN: OnKeyDown(*view, wParam); return 0;
    case WM_CHAR: OnUnicodeChar(wParam); return 0;
    case WM_HSCROLL: OnHScroll(window, *view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_VSCROLL: OnVScroll(window, *view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam))); return 0;
    case WM_LBUTTONDOWN: MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0); return 0;
    case WM_LBUTTONDBLCLK: MouseDoubleClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSEMOVE: MouseDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP: MouseUp(); return 0;
    case WM_CAPTURECHANGED: DragEnded(); return 0;
    case WM_TIMER: DragTimerTick(wParam); return 0;
    case WM_IME_CHAR: OnUnicodeChar(wParam); return 0;
    case WM_IME_COMPOSITION:
        if (OnComposition(window, lParam))
            return 0;
        break;
    // The system's own composition window still does the drawing.
    case WM_IME_STARTCOMPOSITION: CompositionStarted(); break;
    case WM_IME_ENDCOMPOSITION: CompositionEnded(); break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SetViewSize(int width, int height)
{
    // Any other change of size keeps every line's rows, and measuring a large document again at
    // each step of a resize would make it crawl.
    bool rowsChange = RowsFollowWidth(View.clientWidth, width);
    View.clientWidth = width;
    View.clientHeight = height;
    if (rowsChange)
        Relayout();
    else
        RefitView();
}

void CaretCreate()
{
    CreateCaret(View.hwnd, nullptr, View.overwrite ? CellWidth : 1, CellHeight);
    ShowCaret(View.hwnd);
}
