// The display font at the screen's DPI: its size in points becomes more pixels at 144 and 192 DPI,
// and measuring, the caret and clicks follow the cells it gives. The DPI reaches the font through
// DpiForWindowCall, which most of these tests stand in for: Wine reads a prefix's DPI
// (HKCU\Control Panel\Desktop LogPixels) once, as each process starts, so one test program sees
// only one. A DPI change names its DPI in the message itself. SystemDpi asks the system itself;
// system_dpi.sh runs it again in a prefix set to 144 and to 192 DPI.
#include "app/view_settings.h"
#include "layout/paint_view.h"
#include "platform/win32_hooks.h"
#include "tests/app/main_window_fixture.h"

#include <cstdlib>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

UINT StandInDpi = 96;
int Measures = 0;

// Every measuring of the whole document ends by telling where the caret now stands.
void CountMeasure()
{
    ++Measures;
}

UINT WINAPI StandInDpiForWindow(HWND)
{
    return StandInDpi;
}

struct Cells {
    int width;
    int height;
    int fontHeight;  // the LOGFONT height the font was made with
};

class DisplayDpi : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        StandInDpi = 96;
        DpiForWindowCall = StandInDpiForWindow;
    }

    // Applies the settings' font at the DPI, as OK in the settings dialog does. The recorded size
    // is set aside first, so that the same size at another DPI is a change to apply.
    static Cells FontAt(UINT dpi, int points)
    {
        StandInDpi = dpi;
        StoredSettings settings = CurrentSettings();
        settings.fontPoints = points;
        FontPoints = points + 1;
        ApplySettings(settings);
        return Made();
    }

    static Cells Made()
    {
        LOGFONTA font;
        std::memset(&font, 0, sizeof font);
        GetObjectA(View.font, sizeof font, &font);
        return {CellWidth, CellHeight, static_cast<int>(font.lfHeight)};
    }

    static void Document(const std::vector<std::string>& texts)
    {
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        ResetView();
    }

    static RECT CaretRect()
    {
        GUITHREADINFO info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetCurrentThreadId(), &info);
        return info.rcCaret;
    }

    static void Click(int x, int y)
    {
        LPARAM at = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
        SendMessageA(View.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(View.hwnd, WM_LBUTTONUP, 0, at);
    }
};

// Cells: a b c, then a double-byte character over cells 3 and 4, then d e f.
const std::string Kanji = "abc\x93\xfa" "def";

}

TEST_F(DisplayDpi, TheFontsPointsBecomeMorePixelsAtAHigherDpi)
{
    Cells at96 = FontAt(96, 12);
    Cells at144 = FontAt(144, 12);
    Cells at192 = FontAt(192, 12);
    EXPECT_EQ(at96.fontHeight, -16) << "12 points are 16 pixels at 96 DPI";
    EXPECT_EQ(at144.fontHeight, -24);
    EXPECT_EQ(at192.fontHeight, -32);
    // The cells are the font's own metrics, which round on their own: within a pixel or two of
    // the scale.
    EXPECT_GT(at96.height, 16);
    EXPECT_NEAR(at144.height, at96.height * 1.5, 2);
    EXPECT_NEAR(at192.height, at96.height * 2, 2);
    EXPECT_NEAR(at144.width, at96.width * 1.5, 1.5);
    EXPECT_NEAR(at192.width, at96.width * 2, 2);
    EXPECT_GT(at192.width, at144.width);

    // The settings' size itself stays in points.
    EXPECT_EQ(FontPoints, 12);
    // The caret follows the cell: a bar as high as a row, and the overwrite block a cell wide.
    SetFocus(View.hwnd);
    RECT caret = CaretRect();
    EXPECT_EQ(caret.bottom - caret.top, at192.height);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_INSERT, 0);
    caret = CaretRect();
    EXPECT_EQ(caret.right - caret.left, at192.width);
    SendMessageA(View.hwnd, WM_KEYDOWN, VK_INSERT, 0);
}

TEST_F(DisplayDpi, MeasuringTheCaretAndClicksUseTheCellsOfTheFontAtTheDpi)
{
    for (UINT dpi : {144u, 192u}) {
        SCOPED_TRACE(dpi);
        Cells cells = FontAt(dpi, 10);
        ASSERT_GT(cells.width, 7);
        ASSERT_GT(cells.height, 14);
        int w = cells.width;
        int h = cells.height;
        WrapMode = 0;
        int perRow = View.clientWidth / w;
        Document({Kanji, std::string(3 * perRow + 1, 'x'), "ghi"});
        EXPECT_EQ(View.totalRows, 1 + 4 + 1) << "the long line wraps after " << perRow << " cells";
        EXPECT_EQ(View.maxLineWidth, perRow * w);

        Click(3 * w + w / 4, h / 2);
        EXPECT_EQ(View.caret.lineIndex, 0);
        EXPECT_EQ(View.caret.pos, 3) << "the left half of the double-byte character: before it";
        Click(4 * w + w / 2, h - 1);
        EXPECT_EQ(View.caret.pos, 5) << "its right half: after it";
        EXPECT_EQ(View.caret.x, 5 * w);
        // The third row of the wrapped line, its second cell.
        Click(w + w / 4, 3 * h + h / 2);
        EXPECT_EQ(View.caret.lineIndex, 1);
        EXPECT_EQ(View.caret.pos, 2 * perRow + 1);
        // The line after it starts below its four rows.
        Click(2 * w, 5 * h + 1);
        EXPECT_EQ(View.caret.lineIndex, 2);
        EXPECT_EQ(View.caret.pos, 2);

        SendMessageA(View.hwnd, WM_KEYDOWN, VK_END, 0);
        InvalidateRect(View.hwnd, nullptr, TRUE);
        UpdateWindow(View.hwnd);
        POINT caret;
        GetCaretPos(&caret);
        EXPECT_EQ(caret.x, 3 * w);
        EXPECT_EQ(caret.y, 5 * h);

        // A tab reaches the next multiple of the tab width, in cells.
        TabWidth = 8;
        Document({"ab\tc"});
        SendMessageA(View.hwnd, WM_KEYDOWN, VK_END, 0);
        EXPECT_EQ(View.caret.x, 9 * w);
        TabWidth = 4;
        WrapMode = -1;
    }
}

TEST_F(DisplayDpi, ADpiChangeRemakesTheFontMeasuresAgainAndTakesTheSuggestedRectangle)
{
    // The DPI comes from the message: what the system says of the window is left at 96.
    Cells before = FontAt(96, 10);
    ASSERT_EQ(before.fontHeight, -13);
    RECT start;
    GetWindowRect(MainWindow, &start);
    WrapMode = 0;
    Document({std::string(600, 'x'), "y"});
    int rowsBefore = View.totalRows;
    SetFocus(View.hwnd);

    void (*caretMoved)() = CaretMoved;
    CaretMoved = CountMeasure;
    const struct {
        UINT dpi;
        RECT suggested;
        int fontHeight;
    } steps[] = {
        {144, {30, 20, 30 + 960, 20 + 720}, -20},
        {192, {10, 10, 10 + 1280, 10 + 960}, -27},
        {96, {start.left, start.top, start.right, start.bottom}, -13},
        // Only moved, not resized: nothing else measures the document in the new cells.
        {120, {start.left + 5, start.top + 5, start.right + 5, start.bottom + 5}, -17},
        {96, {start.left, start.top, start.right, start.bottom}, -13},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.dpi);
        Measures = 0;
        SendMessageA(MainWindow, WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi),
                     reinterpret_cast<LPARAM>(&step.suggested));
        EXPECT_EQ(Measures, 1) << "the document is measured once, in the new cells";
        RECT now;
        GetWindowRect(MainWindow, &now);
        EXPECT_EQ(now.left, step.suggested.left);
        EXPECT_EQ(now.top, step.suggested.top);
        EXPECT_EQ(now.right, step.suggested.right);
        EXPECT_EQ(now.bottom, step.suggested.bottom);

        Cells cells = Made();
        EXPECT_EQ(cells.fontHeight, step.fontHeight);
        EXPECT_NEAR(cells.height, before.height * static_cast<int>(step.dpi) / 96.0, 2);
        // Measured again in the new cells and the new width.
        int perRow = View.clientWidth / cells.width;
        EXPECT_EQ(View.totalRows, (600 + perRow - 1) / perRow + 1);
        EXPECT_EQ(View.maxLineWidth, perRow * cells.width);
        RECT caret = CaretRect();
        EXPECT_EQ(caret.bottom - caret.top, cells.height);
    }
    CaretMoved = caretMoved;
    EXPECT_EQ(View.totalRows, rowsBefore) << "back at 96 DPI in the first rectangle";
    EXPECT_EQ(Made().width, before.width);
}

// Unwrapped, and wrapped at the window with only the height changing, the view's resize does not
// measure the document: the DPI change must, once the font is made.
TEST_F(DisplayDpi, ADpiChangeMeasuresInTheNewCellsWhateverTheResizeDid)
{
    RECT start;
    GetWindowRect(MainWindow, &start);
    int height = start.bottom - start.top;
    const struct {
        int wrapMode;
        UINT dpi;
        RECT suggested;
    } steps[] = {
        {-1, 144, {30, 20, 30 + 960, 20 + 720}},
        {-1, 96, {start.left, start.top, start.right, start.bottom}},
        {0, 144, {start.left, start.top, start.right, start.top + height + 60}},
        {0, 96, {start.left, start.top, start.right, start.bottom}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.dpi);
        WrapMode = step.wrapMode;
        Document({std::string(600, 'x'), "y"});
        SendMessageA(MainWindow, WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi),
                     reinterpret_cast<LPARAM>(&step.suggested));
        Cells cells = Made();
        int perRow = step.wrapMode == 0 ? View.clientWidth / cells.width : 600;
        EXPECT_EQ(View.maxLineWidth, perRow * cells.width) << "wrap " << step.wrapMode;
        EXPECT_EQ(View.totalRows, (600 + perRow - 1) / perRow + 1);
    }
    WrapMode = -1;
}

namespace {

class SystemDpi : public MainWindowTest {};

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int MadeFontHeight()
{
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    GetObjectA(View.font, sizeof font, &font);
    return font.lfHeight;
}

}

TEST_F(SystemDpi, TheFontIsMadeAtTheDpiTheSystemReports)
{
    int dpi = ScreenDpi();
    // Set by system_dpi.sh, which runs this in a prefix of another DPI: that DPI must be the one
    // seen, or the run tests 96 DPI once more.
    const char* expected = std::getenv("TESSARY_EXPECT_DPI");
    if (expected != nullptr) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's DPI was not taken";
    }
    EXPECT_EQ(WindowDpi(View.hwnd), dpi);

    // The first document makes the font, at the window's DPI.
    DeleteObject(View.font);
    View.font = nullptr;
    ResetView();
    EXPECT_EQ(MadeFontHeight(), -MulDiv(FontPoints, dpi, 72));
    EXPECT_GT(CellHeight, MulDiv(FontPoints, dpi, 72) - 1);

    // A new size from the settings, too.
    StoredSettings settings = CurrentSettings();
    settings.fontPoints = 14;
    ApplySettings(settings);
    EXPECT_EQ(MadeFontHeight(), -MulDiv(14, dpi, 72));
    EXPECT_GT(CellHeight, MulDiv(14, dpi, 72) - 1);
    EXPECT_GT(CellWidth, MulDiv(14, dpi, 72) / 3);
}
