#include "app/print_document.h"
#include "app/page_settings.h"
#include "document/background_load.h"
#include "document/editor_record.h"
#include "layout/page_layout.h"
#include "layout/paint_view.h"
#include "layout/row_layout.h"
#include "platform/characters.h"
#include "platform/win32_hooks.h"
#include "resources/resource_ids.h"
#include "view/selection.h"

#include <commctrl.h>
#include <commdlg.h>
#include <cstdio>

void (*PageSent)(int page) = nullptr;

namespace {

const char Caption[] = "Tessary";
const char ValueName[] = "PageSetup";
const char WaitingText[] = "ファイルの読み込みが終わってから印刷します。";
const char NoPrinterText[] = "プリンターがありません。";
const char DialogFailedText[] = "印刷ダイアログを開けませんでした。";
const char NoPagesText[] = "指定されたページはありません。";
const char StartDocFailedText[] = "印刷を開始できませんでした。プリンターが印刷を受け付けませんでした。";
const char StartPageFailedText[] = "ページの印刷を開始できませんでした。印刷を中止しました。";
const char EndPageFailedText[] = "ページをプリンターに送れませんでした。印刷を中止しました。";
const char EndDocFailedText[] = "印刷を終了できませんでした。";

// The printer and its settings chosen last in either dialog, for the rest of the session.
HGLOBAL DevMode = nullptr;
HGLOBAL DevNames = nullptr;
bool WaitingForLoad = false;
bool Printing = false;
bool Stopped = false;
HWND ProgressBox = nullptr;

void Fail(const char* text)
{
    MessageBoxA(MainWindow, text, Caption, MB_OK | MB_ICONERROR);
}

// A dialog that failed rather than being cancelled: no printer, or something else.
void DialogFailed(DWORD error)
{
    Fail(error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES || error == PDERR_PRINTERNOTFOUND
             ? NoPrinterText
             : DialogFailedText);
}

void Keep(HGLOBAL mode, HGLOBAL names)
{
    if (mode != DevMode && DevMode != nullptr)
        GlobalFree(DevMode);
    if (names != DevNames && DevNames != nullptr)
        GlobalFree(DevNames);
    DevMode = mode;
    DevNames = names;
}

// The default printer's settings with the paper and orientation of the page setup, when no
// dialog has chosen a printer yet; the dialogs then show what was set up.
void PrepareDevMode()
{
    if (DevMode == nullptr) {
        PRINTDLGA defaults = {};
        defaults.lStructSize = sizeof defaults;
        defaults.Flags = PD_RETURNDEFAULT;
        if (!PrintDlgA(&defaults))
            return;
        Keep(defaults.hDevMode, defaults.hDevNames);
        DEVMODEA* mode = static_cast<DEVMODEA*>(GlobalLock(DevMode));
        if (mode != nullptr) {
            mode->dmPaperSize = static_cast<short>(PageSetup.paper);
            mode->dmOrientation = static_cast<short>(PageSetup.orientation);
            mode->dmFields |= DM_PAPERSIZE | DM_ORIENTATION;
            GlobalUnlock(DevMode);
        }
    }
}

// The paper and orientation a dialog left in the kept settings become the page setup's.
void TakePaper()
{
    const DEVMODEA* mode = DevMode != nullptr ? static_cast<const DEVMODEA*>(GlobalLock(DevMode)) : nullptr;
    if (mode == nullptr)
        return;
    if ((mode->dmFields & DM_PAPERSIZE) && mode->dmPaperSize > 0)
        PageSetup.paper = mode->dmPaperSize;
    if ((mode->dmFields & DM_ORIENTATION) && (mode->dmOrientation == 1 || mode->dmOrientation == 2))
        PageSetup.orientation = mode->dmOrientation;
    GlobalUnlock(DevMode);
}

int Clamped(LONG margin)
{
    return margin < 0 ? 0 : margin > LargestMargin ? LargestMargin : static_cast<int>(margin);
}

// The print dialog of the system: PrintDlgEx, or PrintDlg where that is not to be had. False
// when nothing is to be printed (cancelled, or failed, which has been told).
bool ChoosePrinter(PrintChoice* choice, HDC* dc)
{
    PrepareDevMode();
    bool selection = HasSelection();
    PRINTPAGERANGE range = {1, 1};
    PRINTDLGEXA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.hDevMode = DevMode;
    dialog.hDevNames = DevNames;
    dialog.Flags = PD_RETURNDC | PD_NOCURRENTPAGE | (selection ? 0 : PD_NOSELECTION);
    dialog.nMaxPageRanges = 1;
    dialog.lpPageRanges = &range;
    dialog.nMinPage = 1;
    dialog.nMaxPage = 0xFFFF;
    dialog.nCopies = 1;
    dialog.nStartPage = START_PAGE_GENERAL;
    HRESULT result = PrintDialogCall(&dialog);
    if (result == S_OK) {
        Keep(dialog.hDevMode, dialog.hDevNames);
        TakePaper();
        if (dialog.dwResultAction != PD_RESULT_PRINT) {
            if (dialog.hDC != nullptr)
                DeleteDC(dialog.hDC);
            return false;
        }
        choice->selection = (dialog.Flags & PD_SELECTION) != 0;
        bool pages = (dialog.Flags & PD_PAGENUMS) != 0 && dialog.nPageRanges > 0;
        choice->fromPage = pages ? static_cast<int>(range.nFromPage) : 0;
        choice->toPage = pages ? static_cast<int>(range.nToPage) : 0;
        choice->copies = dialog.nCopies > 0 ? static_cast<int>(dialog.nCopies) : 1;
        *dc = dialog.hDC;
        return *dc != nullptr;
    }
    if (result != E_NOTIMPL) {
        DialogFailed(DialogErrorCall());
        return false;
    }
    PRINTDLGA classic = {};
    classic.lStructSize = sizeof classic;
    classic.hwndOwner = MainWindow;
    classic.hDevMode = DevMode;
    classic.hDevNames = DevNames;
    classic.Flags = PD_RETURNDC | (selection ? 0 : PD_NOSELECTION);
    classic.nFromPage = 1;
    classic.nToPage = 1;
    classic.nMinPage = 1;
    classic.nMaxPage = 0xFFFF;
    classic.nCopies = 1;
    if (!PrintDlgA(&classic)) {
        DWORD error = DialogErrorCall();
        Keep(classic.hDevMode, classic.hDevNames);
        if (error != 0)
            DialogFailed(error);
        return false;
    }
    Keep(classic.hDevMode, classic.hDevNames);
    TakePaper();
    choice->selection = (classic.Flags & PD_SELECTION) != 0;
    bool pages = (classic.Flags & PD_PAGENUMS) != 0;
    choice->fromPage = pages ? classic.nFromPage : 0;
    choice->toPage = pages ? classic.nToPage : 0;
    choice->copies = classic.nCopies > 0 ? classic.nCopies : 1;
    *dc = classic.hDC;
    return *dc != nullptr;
}

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        Stopped = true;
        return TRUE;
    }
    return FALSE;
}

// Keeps the windows painting and the stop button answering while pages go out.
void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The message loop ends the program once the job has ended.
            PostQuitMessage(static_cast<int>(message.wParam));
            Stopped = true;
            return;
        }
        if (ProgressBox != nullptr && IsDialogMessageA(ProgressBox, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

BOOL CALLBACK AbortProc(HDC, int)
{
    PumpMessages();
    return Stopped ? FALSE : TRUE;
}

void ShowProgress(int page, int pages)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d / %d ページ", page, pages);
    SetDlgItemTextA(ProgressBox, IDC_PRINT_PROGRESS, text);
    PumpMessages();
}

// Where the text of a page goes, in the display's px: the page's size inside the margins, cut
// to what the printer can print, and the device offset of its corner.
struct PageArea {
    int width;
    int height;
    POINT corner;
    int screenDpi;
    int printerDpiX;
    int printerDpiY;
};

PageArea MeasurePage(HDC dc)
{
    PageArea area;
    HDC screen = GetDC(nullptr);
    area.screenDpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    if (area.screenDpi <= 0)
        area.screenDpi = 96;
    area.printerDpiX = GetDeviceCaps(dc, LOGPIXELSX);
    area.printerDpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (area.printerDpiX <= 0 || area.printerDpiY <= 0) {
        area.printerDpiX = area.screenDpi;
        area.printerDpiY = area.screenDpi;
    }
    int printableWidth = GetDeviceCaps(dc, HORZRES);
    int printableHeight = GetDeviceCaps(dc, VERTRES);
    int paperWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    int paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    int offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    int offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    if (paperWidth <= 0 || paperHeight <= 0) {
        paperWidth = printableWidth;
        paperHeight = printableHeight;
        offsetX = 0;
        offsetY = 0;
    }
    // Margins are measured from the paper's edge; the device's coordinates start where it can
    // first print.
    int left = MulDiv(PageSetup.margins[0], area.printerDpiX, 2540);
    int top = MulDiv(PageSetup.margins[1], area.printerDpiY, 2540);
    int right = paperWidth - MulDiv(PageSetup.margins[2], area.printerDpiX, 2540);
    int bottom = paperHeight - MulDiv(PageSetup.margins[3], area.printerDpiY, 2540);
    left = left > offsetX ? left - offsetX : 0;
    top = top > offsetY ? top - offsetY : 0;
    right = right - offsetX < printableWidth ? right - offsetX : printableWidth;
    bottom = bottom - offsetY < printableHeight ? bottom - offsetY : printableHeight;
    // Margins that leave no room give the whole printable area.
    if (right - left < area.printerDpiX / 2 || bottom - top < area.printerDpiY / 2) {
        left = 0;
        top = 0;
        right = printableWidth;
        bottom = printableHeight;
    }
    area.corner.x = left;
    area.corner.y = top;
    area.width = MulDiv(right - left, area.screenDpi, area.printerDpiX);
    area.height = MulDiv(bottom - top, area.screenDpi, area.printerDpiY);
    return area;
}

// One logical unit is one px of the display, so the display font keeps its point size and the
// row walk's px place the characters.
void PreparePage(HDC dc, const PageArea& area)
{
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, area.screenDpi, area.screenDpi, nullptr);
    SetViewportExtEx(dc, area.printerDpiX, area.printerDpiY, nullptr);
    SetViewportOrgEx(dc, area.corner.x, area.corner.y, nullptr);
    SelectObject(dc, View.font != nullptr ? static_cast<HGDIOBJ>(View.font) : GetStockObject(SYSTEM_FIXED_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
}

const char* DocumentTitle()
{
    return View.path[0] == 0 ? "無題" : View.path + LastSeparator(View.path) + 1;
}

// The rows a page keeps for its header and footer: the name and a blank row above the text, a
// blank row and the page number below it.
const int FrameRows = 4;

void DrawPage(HDC dc, PageWalk& walk, const PageArea& area, int rows, int pages)
{
    const char* title = DocumentTitle();
    TextOutA(dc, 0, 0, title, lstrlenA(title));
    PagePiece piece;
    int wrapWidth = PageWrapWidth(area.width);
    while (walk.NextPiece(&piece))
        PrintLineRows(*piece.line, dc, (2 + piece.top) * RowHeight(), wrapWidth, piece.firstRow, piece.endRow,
                      piece.from, piece.to);
    char footer[32];
    int length = std::snprintf(footer, sizeof footer, "%d / %d", walk.number, pages);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, footer, length, &extent);
    TextOutA(dc, (area.width - extent.cx) / 2, (rows + FrameRows - 1) * RowHeight(), footer, length);
}

void OpenProgressBox()
{
    ProgressBox = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_PRINTING), MainWindow, ProgressProc, 0);
    if (ProgressBox != nullptr)
        ShowWindow(ProgressBox, SW_SHOW);
    if (MainWindow != nullptr)
        EnableWindow(MainWindow, FALSE);
}

void CloseProgressBox()
{
    if (MainWindow != nullptr)
        EnableWindow(MainWindow, TRUE);
    if (ProgressBox != nullptr)
        DestroyWindow(ProgressBox);
    ProgressBox = nullptr;
}

// Sends the pages of range, copies times. Null when every page went out, or the failure's text;
// *stopped when the user stopped the job.
const char* SendPages(HDC dc, const PageArea& area, const PageFrame& frame, const PrintSpan& span,
                      const PageRange& range, int pages, int copies, bool* stopped)
{
    for (int copy = 0; copy < copies; ++copy) {
        PageWalk walk(frame, span);
        PagePiece passed;
        while (walk.NextPage()) {
            if (walk.number < range.first) {
                while (walk.NextPiece(&passed)) {
                }
                continue;
            }
            if (walk.number > range.last)
                break;
            ShowProgress(walk.number, pages);
            if (Stopped) {
                *stopped = true;
                return nullptr;
            }
            if (StartPage(dc) <= 0) {
                *stopped = Stopped;
                return Stopped ? nullptr : StartPageFailedText;
            }
            PreparePage(dc, area);
            DrawPage(dc, walk, area, frame.rows, pages);
            if (EndPage(dc) <= 0) {
                *stopped = Stopped;
                return Stopped ? nullptr : EndPageFailedText;
            }
            if (PageSent != nullptr)
                PageSent(walk.number);
        }
    }
    return nullptr;
}

}

void ShowPageSetup()
{
    PrepareDevMode();
    PAGESETUPDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.hDevMode = DevMode;
    dialog.hDevNames = DevNames;
    dialog.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
    dialog.rtMargin.left = PageSetup.margins[0];
    dialog.rtMargin.top = PageSetup.margins[1];
    dialog.rtMargin.right = PageSetup.margins[2];
    dialog.rtMargin.bottom = PageSetup.margins[3];
    if (!PageSetupDlgA(&dialog)) {
        DWORD error = CommDlgExtendedError();
        Keep(dialog.hDevMode, dialog.hDevNames);
        if (error != 0)
            DialogFailed(error);
        return;
    }
    Keep(dialog.hDevMode, dialog.hDevNames);
    TakePaper();
    PageSetup.margins[0] = Clamped(dialog.rtMargin.left);
    PageSetup.margins[1] = Clamped(dialog.rtMargin.top);
    PageSetup.margins[2] = Clamped(dialog.rtMargin.right);
    PageSetup.margins[3] = Clamped(dialog.rtMargin.bottom);
}

void PrintCommand()
{
    if (Printing)
        return;
    if (LoadInProgress()) {
        WaitingForLoad = true;
        SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(WaitingText));
        return;
    }
    PrintChoice choice;
    HDC dc = nullptr;
    if (!ChoosePrinter(&choice, &dc))
        return;
    PrintPages(dc, choice);
    DeleteDC(dc);
}

void PrintAfterLoad(bool complete)
{
    if (!WaitingForLoad)
        return;
    WaitingForLoad = false;
    if (complete)
        PrintCommand();
}

bool PrintPages(HDC dc, const PrintChoice& choice)
{
    if (Printing)
        return false;
    PageArea area = MeasurePage(dc);
    int rows = area.height / RowHeight() - FrameRows;
    PageFrame frame = {area.width, rows > 0 ? rows : 1};
    PrintSpan span = WholeDocument(View.firstLine);
    if (choice.selection && HasSelection())
        SelectionBounds(&span.from, &span.to);
    int pages = CountPages(frame, span);
    PageRange range;
    if (!ChoosePages(pages, choice.fromPage, choice.toPage, &range)) {
        Fail(NoPagesText);
        return false;
    }

    Printing = true;
    Stopped = false;
    SetAbortProc(dc, AbortProc);
    DOCINFOA info = {};
    info.cbSize = sizeof info;
    info.lpszDocName = DocumentTitle();
    const char* failure = nullptr;
    bool stopped = false;
    if (StartDocA(dc, &info) <= 0) {
        failure = StartDocFailedText;
    } else {
        OpenProgressBox();
        failure = SendPages(dc, area, frame, span, range, pages, choice.copies > 0 ? choice.copies : 1, &stopped);
        if (failure != nullptr || stopped)
            AbortDoc(dc);
        else if (EndDoc(dc) <= 0)
            failure = EndDocFailedText;
        CloseProgressBox();
    }
    Printing = false;
    if (failure != nullptr)
        Fail(failure);
    return failure == nullptr && !stopped;
}

void ReadPageSetup(HKEY subkey)
{
    unsigned char bytes[StoredPageSettingsSize];
    DWORD type = 0;
    DWORD size = sizeof bytes;
    PageSetup = DefaultPageSettings;
    if (RegQueryValueExA(subkey, ValueName, nullptr, &type, bytes, &size) != ERROR_SUCCESS || type != REG_BINARY)
        return;
    DecodePageSettings(bytes, size, &PageSetup);
}

void WritePageSetup(HKEY subkey)
{
    unsigned char bytes[StoredPageSettingsSize];
    EncodePageSettings(PageSetup, bytes);
    RegSetValueExA(subkey, ValueName, 0, REG_BINARY, bytes, sizeof bytes);
}
