#include "layout/paint_view.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "view/caret_moves.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>
#include "tests/window_support.h"
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cells = std::set<std::pair<int, int>>;

const COLORREF TextColor = RGB(0, 40, 0);
const COLORREF BackColor = RGB(240, 240, 255);

// Wider and taller than the view, so whatever painting draws past the window's edges shows.
const int BitmapWidth = 160;
const int BitmapHeight = 320;

int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Everything is painted into a memory bitmap; a hidden window owns the system caret.
class Painting : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        const char* className = PlainWindowClass("Tessary paint test");
        window = CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 100, 300,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(CreateCaret(window, nullptr, 1, 14));

        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info = TopDownBitmap(BitmapWidth, BitmapHeight);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        pixels = static_cast<const DWORD*>(bits);
        oldBitmap = SelectObject(dc, bitmap);

        MakeFont(dc, 14, "FixedSys", TextColor, BackColor, RGB(0, 0, 255), RGB(0, 255, 0));
        ASSERT_EQ(CellWidth, 7) << "FixedSys should map to VL Gothic, 14 px high";
        View.clientWidth = 100;
        View.clientHeight = 300;
        View.topRow = 1;
    }

    void TearDown() override
    {
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
        DestroyCaret();
        DestroyWindow(window);
        ResetEditor();
    }

    void Document(int wrapMode, const std::vector<std::string>& texts)
    {
        WrapMode = wrapMode;
        View.firstLine = View.topLine = MakeLines(texts);
        View.caret.line = View.firstLine;
        View.caret.pos = 0;
    }

    TextLine* LineAt(int index) { return ::LineAt(View.firstLine, index); }

    void Fill(COLORREF color)
    {
        HBRUSH brush = CreateSolidBrush(color);
        RECT all = {-BitmapWidth, -BitmapHeight, BitmapWidth, BitmapHeight};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }

    // Paints the view with the bitmap's top-left corner at view point (-shiftX, -shiftY), so
    // that what is drawn left of or above the window can be seen too.
    void Paint(int shiftX = 0, int shiftY = 0)
    {
        Fill(RGB(255, 255, 255));
        SetViewportOrgEx(dc, shiftX, shiftY, nullptr);
        PAINTSTRUCT paint;
        memset(&paint, 0, sizeof paint);
        paint.hdc = dc;
        paint.fErase = TRUE;
        SetRect(&paint.rcPaint, -shiftX, -shiftY, BitmapWidth - shiftX, BitmapHeight - shiftY);
        PaintView(paint);
        GdiFlush();
    }

    COLORREF Pixel(int x, int y) const
    {
        // A 32-bit DIB holds 0x00RRGGBB, the reverse of a COLORREF.
        DWORD rgb = pixels[y * BitmapWidth + x];
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }

    // The view's cells (column, row) holding any pixel that is neither the background nor the
    // given untouched colour, for a bitmap painted with Paint(shiftX, shiftY).
    Cells InkCells(int shiftX = 0, int shiftY = 0, COLORREF untouched = BackColor) const
    {
        Cells cells;
        for (int y = 0; y < BitmapHeight; ++y) {
            for (int x = 0; x < BitmapWidth; ++x) {
                COLORREF color = Pixel(x, y);
                if (color != BackColor && color != untouched)
                    cells.insert({FloorDiv(x - shiftX, 7), FloorDiv(y - shiftY, 14)});
            }
        }
        return cells;
    }

    int ErasedPixels() const
    {
        int count = 0;
        for (int y = 0; y < BitmapHeight; ++y)
            for (int x = 0; x < BitmapWidth; ++x)
                count += Pixel(x, y) == BackColor;
        return count;
    }

    // Pixels of the first row of cells between x0 and x1 that are neither background nor paper.
    int InkPixels(int x0, int x1, COLORREF paper) const
    {
        int count = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = x0; x < x1; ++x)
                count += Pixel(x, y) != BackColor && Pixel(x, y) != paper;
        return count;
    }

    static Cells Row(int row, int firstColumn, int lastColumn)
    {
        Cells cells;
        for (int column = firstColumn; column <= lastColumn; ++column)
            cells.insert({column, row});
        return cells;
    }

    static Cells Join(Cells a, const Cells& b)
    {
        a.insert(b.begin(), b.end());
        return a;
    }

    // Selects from the anchor's {line, pos} to the caret's.
    void Select(int anchorLine, int anchorPos, int caretLine, int caretPos)
    {
        View.anchor = {LineAt(anchorLine), anchorLine, anchorPos};
        View.caret.line = LineAt(caretLine);
        View.caret.lineIndex = caretLine;
        View.caret.pos = caretPos;
    }

    // Paints as painting was done before rows were drawn at once: one TextOutA per character,
    // where the walk places it, and the highlight filled cell by cell behind what is selected
    // (the characters between the selection's ends, and the line's end before a selected line
    // break). Drawing by rows has to give these pixels exactly.
    void PaintEachCharacter(int shiftX, int shiftY)
    {
        Fill(RGB(255, 255, 255));
        SetViewportOrgEx(dc, shiftX, shiftY, nullptr);
        RECT all = {-shiftX, -shiftY, BitmapWidth - shiftX, BitmapHeight - shiftY};
        FillRect(dc, &all, View.backBrush);
        int previousMode = SetBkMode(dc, TRANSPARENT);
        HGDIOBJ previousFont = SelectObject(dc, View.font);
        HBRUSH highlight = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
        auto fillCells = [&](int left, int right, int top) {
            RECT cells = {left, top, right, top + RowHeight()};
            FillRect(dc, &cells, highlight);
        };
        long long anchor = View.anchor.line != nullptr ? Order(View.anchor.lineIndex, View.anchor.pos) : -1;
        long long caret = Order(View.caret.lineIndex, View.caret.pos);
        if (anchor < 0)
            anchor = caret;
        long long start = std::min(anchor, caret);
        long long end = std::max(anchor, caret);
        LayoutRect rect = {-View.hScroll * CellWidth, (1 - View.topRow) * RowHeight(), View.clientWidth,
                           View.clientHeight};
        int index = 0;
        for (const TextLine* line = View.firstLine; line != View.topLine; line = line->next)
            ++index;
        for (const TextLine* line = View.topLine; line != nullptr && rect.top < rect.bottom;
             line = line->next, ++index) {
            RowWalk walk(*line, rect.left, rect.top, rect.right);
            for (;;) {
                if (!walk.Step()) {
                    long long lineEnd = Order(index, line->length);
                    if (start <= lineEnd && lineEnd < end)
                        fillCells(walk.x, walk.x + CellWidth, walk.y);
                    break;
                }
                if (WrapMode < 0 && walk.x > rect.right)
                    break;
                long long at = Order(index, walk.charPos);
                bool selected = start <= at && at < end;
                if (selected && (walk.charIsTab ? walk.x > 0 : walk.charX + 2 * CellWidth > 0))
                    fillCells(walk.charX, walk.x, walk.charY);
                SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : View.textColor);
                if (!walk.charIsTab && walk.charX + 2 * CellWidth > 0)
                    TextOutA(dc, walk.charX, walk.charY, line->text + walk.charPos, walk.charBytes);
                if (walk.y >= rect.bottom)
                    break;
            }
            rect.top += walk.rows * RowHeight();
        }
        DeleteObject(highlight);
        SelectObject(dc, previousFont);
        SetBkMode(dc, previousMode);
        GdiFlush();
    }

    // The pixels of the cells from (x, y), width px wide and one row high.
    std::vector<DWORD> Box(int x, int y, int width) const
    {
        std::vector<DWORD> box;
        for (int row = y; row < y + 14; ++row)
            for (int column = x; column < x + width; ++column)
                box.push_back(pixels[row * BitmapWidth + column]);
        return box;
    }

    // The pixels of a character drawn alone at the top-left corner on cells of the paper colour.
    std::vector<DWORD> DrawnAlone(const char* text, int width, COLORREF paper, COLORREF ink)
    {
        SetViewportOrgEx(dc, 0, 0, nullptr);
        Fill(paper);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ink);
        HGDIOBJ previous = SelectObject(dc, View.font);
        TextOutA(dc, 0, 0, text, static_cast<int>(strlen(text)));
        SelectObject(dc, previous);
        GdiFlush();
        return Box(0, 0, width);
    }

    static long long Order(int lineIndex, int pos) { return static_cast<long long>(lineIndex) << 32 | pos; }

    // The view's cells (column, row) with any pixel of the colour, for a bitmap painted with Paint().
    Cells CellsWith(COLORREF color) const
    {
        Cells cells;
        for (int y = 0; y < BitmapHeight; ++y)
            for (int x = 0; x < BitmapWidth; ++x)
                if (Pixel(x, y) == color)
                    cells.insert({x / 7, y / 14});
        return cells;
    }

    std::vector<DWORD> Pixels() const { return std::vector<DWORD>(pixels, pixels + BitmapWidth * BitmapHeight); }

    POINT CaretAt() const
    {
        POINT point = {0, 0};
        GetCaretPos(&point);
        return point;
    }

    HWND window = nullptr;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    const DWORD* pixels = nullptr;
};

const std::string Twenty(20, 'H');

}

TEST_F(Painting, AnUnwrappedLineStopsAtTheCharacterThatWouldCrossTheRightEdge)
{
    Document(-1, {Twenty});
    Paint();
    EXPECT_EQ(InkCells(), Row(0, 0, 13));

    View.hScroll = 3;
    Paint(21, 0);
    EXPECT_EQ(InkCells(21, 0), Row(0, -1, 13)) << "characters 0 and 1 lie wholly left and are not drawn";

    LayoutRect rect = {0, 0, 100, 300};
    EXPECT_EQ(PaintLine(*View.firstLine, dc, TextColor, rect), 1);
}

TEST_F(Painting, RowsOfTopLineAboveTopRowAreDrawnAboveTheWindow)
{
    Document(10, {std::string(25, 'H'), "HH"});
    View.topRow = 3;
    Paint(0, 28);
    EXPECT_EQ(InkCells(0, 28), Join(Join(Row(-2, 0, 9), Row(-1, 0, 9)), Join(Row(0, 0, 4), Row(1, 0, 1))));
}

TEST_F(Painting, WrappedRowsBreakWhereMeasuringBreaksThemWhateverTheScroll)
{
    Document(10, {std::string(25, 'H')});
    View.hScroll = 2;
    Paint(14, 0);
    EXPECT_EQ(InkCells(14, 0), Join(Join(Row(0, -1, 7), Row(1, -1, 7)), Row(2, -1, 2)));

    WrapMode = 0;
    Paint(14, 0);
    EXPECT_EQ(InkCells(14, 0), Join(Row(0, -1, 11), Row(1, -1, 8)))
        << "rows hold clientWidth px from the origin, not up to the window's edge";
    LayoutRect rect = {0, 0, 100, 300};
    MeasureLine(*View.firstLine, rect);
    EXPECT_EQ(View.firstLine->rowCount, 2);
}

TEST_F(Painting, ALineStopsAfterTheFirstCharacterThatMovesBelowTheBottom)
{
    Document(10, {std::string(30, 'H')});
    Fill(BackColor);
    SelectObject(dc, View.font);
    LayoutRect rect = {0, 14, 100, 28};
    EXPECT_EQ(PaintLine(*View.firstLine, dc, TextColor, rect), 2);
    GdiFlush();
    EXPECT_EQ(InkCells(), Join(Row(1, 0, 9), Row(2, 0, 0)));

    LayoutRect empty = {0, 28, 100, 28};
    EXPECT_EQ(PaintLine(*View.firstLine, dc, TextColor, empty), 1);
}

TEST_F(Painting, ADoubleByteCharacterIsDrawnWholeInItsTwoCellBox)
{
    const std::string kanji = "\x93\xfa";
    Document(-1, {"H" + kanji + "H"});
    Paint();
    EXPECT_EQ(InkCells(), Row(0, 0, 3));

    std::vector<COLORREF> box;
    for (int y = 0; y < 14; ++y)
        for (int x = 7; x < 21; ++x)
            box.push_back(Pixel(x, y));
    Fill(BackColor);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColor);
    HGDIOBJ previous = SelectObject(dc, View.font);
    TextOutA(dc, 7, 0, kanji.c_str(), 2);
    SelectObject(dc, previous);
    GdiFlush();
    std::vector<COLORREF> reference;
    for (int y = 0; y < 14; ++y)
        for (int x = 7; x < 21; ++x)
            reference.push_back(Pixel(x, y));
    EXPECT_EQ(box, reference);
}

TEST_F(Painting, AUtf8OrEucJpLineDrawsEachCharacterInItsOwnCells)
{
    // The pixels of width px from x of the first row, and those of text drawn there alone.
    auto box = [&](int x, int width) {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 14; ++y)
            for (int i = x; i < x + width; ++i)
                pixels.push_back(Pixel(i, y));
        return pixels;
    };
    auto alone = [&](const wchar_t* text, int x, int width) {
        Fill(BackColor);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, TextColor);
        HGDIOBJ previous = SelectObject(dc, View.font);
        TextOutW(dc, x, 0, text, static_cast<int>(wcslen(text)));
        SelectObject(dc, previous);
        GdiFlush();
        return box(x, width);
    };

    SetDocumentCode(CodeUtf8);
    // a, あ, H, half-width ｱ, 日, a byte that is no character, b: cells 0, 1-2, 3, 4, 5-6, 7, 8.
    Document(-1, {"a\xe3\x81\x82H\xef\xbd\xb1\xe6\x97\xa5\xff" "b"});
    View.caret.pos = 11;
    Paint();
    EXPECT_EQ(InkCells(), Row(0, 0, 8));
    EXPECT_EQ(CaretAt().x, 49);
    // The mark of the byte that is no character: a box outline inside its cell.
    EXPECT_EQ(Pixel(50, 6), TextColor);
    EXPECT_EQ(Pixel(54, 6), TextColor);
    EXPECT_EQ(Pixel(52, 6), BackColor);
    std::vector<COLORREF> hiragana = box(7, 14);
    std::vector<COLORREF> letter = box(21, 7);
    std::vector<COLORREF> kana = box(28, 7);
    std::vector<COLORREF> kanji = box(35, 14);
    EXPECT_EQ(hiragana, alone(L"\u3042", 7, 14));
    EXPECT_EQ(letter, alone(L"H", 21, 7));
    EXPECT_EQ(kana, alone(L"\uff71", 28, 7));
    EXPECT_EQ(kanji, alone(L"\u65e5", 35, 14));
    DestroyLines(View.firstLine);

    // EUC-JP: ｱ is two bytes in one cell, 日 is converted by the system.
    SetDocumentCode(CodeEucJp);
    Document(-1, {"\x8e\xb1\xc6\xfc" "b"});
    Paint();
    EXPECT_EQ(InkCells(), Row(0, 0, 3));
    kanji = box(7, 14);
    EXPECT_EQ(kanji, alone(L"\u65e5", 7, 14));
}

TEST_F(Painting, OnlyTheUpdateRectangleIsErasedAndTheContextIsLeftAsItWas)
{
    Document(-1, {"HH"});
    const COLORREF paper = RGB(255, 255, 255);
    Fill(paper);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, RGB(200, 0, 0));
    HGDIOBJ font = GetStockObject(SYSTEM_FIXED_FONT);
    SelectObject(dc, font);

    PAINTSTRUCT paint;
    memset(&paint, 0, sizeof paint);
    paint.hdc = dc;
    paint.fErase = TRUE;
    SetRect(&paint.rcPaint, 0, 0, 7, 14);
    PaintView(paint);
    GdiFlush();
    EXPECT_EQ(ErasedPixels(), 7 * 14 - InkPixels(0, 7, paper));
    EXPECT_EQ(InkCells(0, 0, paper), Row(0, 0, 1)) << "the glyphs are drawn outside the erased part too";

    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetTextColor(dc), RGB(200, 0, 0));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);

    Fill(paper);
    paint.fErase = FALSE;
    PaintView(paint);
    GdiFlush();
    EXPECT_EQ(ErasedPixels(), 0);
    EXPECT_EQ(InkCells(0, 0, paper), Row(0, 0, 1));
}

TEST_F(Painting, TheCaretGoesWhereItsPositionIsDrawn)
{
    Document(-1, {Twenty, "", "HHH"});
    View.caret.pos = 14;
    Paint();
    EXPECT_EQ(CaretAt().x, 98);
    EXPECT_EQ(CaretAt().y, 0);

    View.caret.pos = 15;
    Paint();
    EXPECT_EQ(CaretAt().x, CaretParked) << "past the cut at the right edge";

    View.caret.line = LineAt(1);
    View.caret.pos = 0;
    Paint();
    EXPECT_EQ(CaretAt().x, 0);
    EXPECT_EQ(CaretAt().y, 14);

    View.caret.line = LineAt(2);
    View.caret.pos = 3;
    Paint();
    EXPECT_EQ(CaretAt().x, 21) << "after the last character";
    EXPECT_EQ(CaretAt().y, 28);
}

TEST_F(Painting, TheCaretIsParkedWhenNoPaintedRowHoldsIt)
{
    Document(-1, {"a", "b", "c", "d"});
    View.topLine = LineAt(1);
    Paint();
    EXPECT_EQ(CaretAt().y, CaretParked) << "caret line above topLine";

    View.clientHeight = 28;
    View.caret.line = LineAt(3);
    Paint();
    EXPECT_EQ(CaretAt().y, CaretParked) << "caret line below the last line painted";

    View.caret.line = LineAt(2);
    Paint();
    EXPECT_EQ(CaretAt().y, 14);

    View.topLine = nullptr;
    Paint();
    EXPECT_EQ(CaretAt().y, CaretParked);
    EXPECT_EQ(InkCells(), Cells());
}

TEST_F(Painting, PaintingPlacesTheCaretWhereThePlacingRuleDoes)
{
    for (int wrapMode : {0, 10}) {
        Document(wrapMode, {std::string(30, 'a'), "a\tb\x93\xfa" "cd\t\x93\xfa" "efghijklmnopqrst", "xyz"});
        View.hScroll = 2;
        View.topRow = 2;
        LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
        for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
            MeasureLine(*line, rect);
        for (int index = 0; index < 3; ++index) {
            TextLine* line = LineAt(index);
            View.caret.line = line;
            for (int pos = 0; pos >= 0; pos = NextCharPos(*line, pos)) {
                View.caret.pos = pos;
                Paint();
                LayoutPoint expected = CaretViewPoint();
                EXPECT_EQ(CaretAt().x, expected.x) << "wrap " << wrapMode << " line " << index << " pos " << pos;
                EXPECT_EQ(CaretAt().y, expected.y) << "wrap " << wrapMode << " line " << index << " pos " << pos;
            }
        }
        DestroyLines(View.firstLine);
        View.firstLine = nullptr;
    }
}

TEST_F(Painting, TheFontIsMadeFromTheHeightAndItsMetricsGiveTheCellWidth)
{
    LOGFONTA font;
    ASSERT_EQ(GetObjectA(View.font, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_EQ(font.lfHeight, 14);
    EXPECT_EQ(font.lfWidth, 7);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfWeight, FW_DONTCARE);
    EXPECT_STREQ(font.lfFaceName, "FixedSys");

    MakeFont(dc, 15, "FixedSys", TextColor, BackColor, 0, 0);
    TEXTMETRICA metrics;
    HGDIOBJ previous = SelectObject(dc, View.font);
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ASSERT_EQ(metrics.tmHeight + metrics.tmExternalLeading, 15);
    EXPECT_EQ(CellWidth, 7) << "rows are two cells high, so an odd height loses a pixel";

    MakeFont(dc, 14, std::string(40, 'F').c_str(), TextColor, BackColor, 0, 0);
    GetObjectA(View.font, sizeof font, &font);
    EXPECT_EQ(std::string(font.lfFaceName), std::string(LF_FACESIZE - 1, 'F'));

    // Without metrics (no device context to ask) cells still have a width to divide by.
    MakeFont(nullptr, 14, "FixedSys", TextColor, BackColor, 0, 0);
    EXPECT_GE(CellWidth, 1);
    MakeFont(dc, 14, "FixedSys", TextColor, BackColor, 0, 0);
    EXPECT_EQ(CellWidth, 7);
}

TEST_F(Painting, RemakingTheFontReplacesTheFontAndBrushesAndStoresTheColours)
{
    HFONT oldFont = View.font;
    HBRUSH oldBack = View.backBrush;
    HBRUSH oldText = View.textBrush;
    MakeFont(dc, 14, "FixedSys", RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12));
    EXPECT_EQ(GetObjectType(oldFont), 0u);
    EXPECT_EQ(GetObjectType(oldBack), 0u);
    EXPECT_EQ(GetObjectType(oldText), 0u);

    LOGBRUSH brush;
    ASSERT_EQ(GetObjectA(View.backBrush, sizeof brush, &brush), static_cast<int>(sizeof brush));
    EXPECT_EQ(brush.lbColor, RGB(4, 5, 6));
    ASSERT_EQ(GetObjectA(View.textBrush, sizeof brush, &brush), static_cast<int>(sizeof brush));
    EXPECT_EQ(brush.lbColor, RGB(1, 2, 3));
    EXPECT_EQ(View.textColor, RGB(1, 2, 3));
    EXPECT_EQ(View.backColor, RGB(4, 5, 6));
    EXPECT_EQ(View.commentColor, RGB(7, 8, 9));
    EXPECT_EQ(View.keywordColor, RGB(10, 11, 12));
}

TEST_F(Painting, DrawingARowAtOnceGivesThePixelsOfDrawingEachCharacterAlone)
{
    // Double-byte characters (one with a 0x5C second byte), tabs at and off their stops,
    // half-width kana, control bytes, a lead byte paired with a tab, a pair that is no character,
    // and a lead byte alone at the end of a line.
    const std::vector<std::string> texts = {
        "ab\x93\xfa\x96\x7b\tc\x95\x5c" "d\x82\xa0\x82\xa2 end of a row that runs past the window",
        "\tx\t\tyz\xb1\xb2\x1b\x01q\x82\tr\x81\x20s\x7f\x80\xa0\xfd",
        "\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea\x8c\xea",
        "",
        "last\x82",
    };
    struct View_ {
        int wrapMode;
        int hScroll;
        int topRow;
    };
    const View_ views[] = {{-1, 0, 1}, {-1, 3, 1}, {-1, 9, 1}, {0, 0, 1}, {0, 2, 1}, {10, 0, 1}, {10, 5, 2}, {3, 1, 1}};
    for (const View_& view : views) {
        Document(view.wrapMode, texts);
        View.hScroll = view.hScroll;
        View.topRow = view.topRow;
        View.caret.line = nullptr;
        int shiftX = view.hScroll * CellWidth;
        Paint(shiftX, 14);
        std::vector<DWORD> byRows = Pixels();
        ASSERT_GT(InkCells(shiftX, 14).size(), 20u) << "wrap " << view.wrapMode;
        PaintEachCharacter(shiftX, 14);
        std::vector<DWORD> byCharacters = Pixels();
        int differing = 0;
        for (size_t i = 0; i < byRows.size(); ++i)
            differing += byRows[i] != byCharacters[i];
        EXPECT_EQ(differing, 0) << "wrap " << view.wrapMode << " hScroll " << view.hScroll << " topRow " << view.topRow;
        DestroyLines(View.firstLine);
        View.firstLine = nullptr;
    }
}

TEST_F(Painting, SelectedCharactersAreDrawnWholeOnTheHighlightAcrossRowsAndLineEnds)
{
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    ASSERT_NE(highlight, BackColor);
    // Ten cells in row 0 (a, two double-byte characters, b to f), then g and h wrapped to row 1;
    // the next line, x y, on row 2. The selection runs from before the first double-byte
    // character to after x.
    Document(10, {"a\x93\xfa\x96\x7b" "bcdefgh", "xy"});
    Select(0, 1, 1, 1);
    Paint();
    EXPECT_EQ(CellsWith(highlight), Join(Join(Row(0, 1, 9), Row(1, 0, 2)), Row(2, 0, 0)))
        << "the line's end shows as one cell after h";
    for (int column : {1, 2, 3, 4}) {
        int blank = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = column * 7; x < column * 7 + 7; ++x)
                blank += Pixel(x, y) == BackColor;
        EXPECT_EQ(blank, 0) << "both cells of each double-byte character are filled, column " << column;
    }
    // Each character is drawn in the colour of its cells: the highlight's text colour on the
    // highlight, the view's text colour beside it.
    std::vector<DWORD> kanji = Box(7, 0, 14);
    std::vector<DWORD> x = Box(0, 28, 7);
    std::vector<DWORD> a = Box(0, 0, 7);
    EXPECT_EQ(kanji, DrawnAlone("\x93\xfa", 14, highlight, highlightText));
    EXPECT_EQ(x, DrawnAlone("x", 7, highlight, highlightText));
    EXPECT_EQ(a, DrawnAlone("a", 7, BackColor, TextColor));

    // The anchor may lie after the caret; an empty selection shows nothing.
    Select(1, 1, 0, 1);
    Paint();
    EXPECT_EQ(CellsWith(highlight), Join(Join(Row(0, 1, 9), Row(1, 0, 2)), Row(2, 0, 0)));
    Select(0, 3, 0, 3);
    Paint();
    EXPECT_EQ(CellsWith(highlight), Cells());
}

TEST_F(Painting, DrawingSelectedRowsAtOnceGivesThePixelsOfDrawingEachCharacterAlone)
{
    const std::vector<std::string> texts = {
        "ab\x93\xfa\x96\x7b\tc\x95\x5c" "d\x82\xa0 \t\tend of a row that runs past the window",
        "\tx\t\tyz\xb1\xb2\x1b\x01q\x82\tr\x81\x20s\x7f\x80\xa0\xfd",
        "",
        "last\x82",
    };
    struct Case {
        int wrapMode;
        int hScroll;
        int anchorLine, anchorPos, caretLine, caretPos;
    };
    const Case cases[] = {
        {-1, 0, 0, 2, 0, 10}, {-1, 0, 0, 6, 3, 2},  {-1, 3, 1, 0, 2, 0},  {-1, 9, 0, 0, 3, 5},
        {0, 0, 3, 5, 0, 11},  {10, 0, 0, 4, 1, 14}, {10, 5, 1, 2, 1, 20}, {3, 1, 0, 0, 3, 1},
    };
    for (const Case& c : cases) {
        Document(c.wrapMode, texts);
        View.hScroll = c.hScroll;
        Select(c.anchorLine, c.anchorPos, c.caretLine, c.caretPos);
        int shiftX = c.hScroll * CellWidth;
        Paint(shiftX, 14);
        std::vector<DWORD> byRows = Pixels();
        ASSERT_GT(CellsWith(GetSysColor(COLOR_HIGHLIGHT)).size(), 1u) << "wrap " << c.wrapMode;
        PaintEachCharacter(shiftX, 14);
        std::vector<DWORD> byCharacters = Pixels();
        int differing = 0;
        for (size_t i = 0; i < byRows.size(); ++i)
            differing += byRows[i] != byCharacters[i];
        EXPECT_EQ(differing, 0) << "wrap " << c.wrapMode << " hScroll " << c.hScroll << " selection "
                                << c.anchorLine << ":" << c.anchorPos << " to " << c.caretLine << ":" << c.caretPos;
        DestroyLines(View.firstLine);
        View.firstLine = nullptr;
    }
}
