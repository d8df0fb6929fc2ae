#include "tests/view/edit_view_fixture.h"
#include "view/caret_moves.h"
#include "view/editing.h"

#include <imm.h>

namespace {

using Ints = std::vector<int>;

class InputMethod : public EditViewTest {
protected:
    // Where the composition window was put, as {style, x, y}.
    static Ints CompositionWindow()
    {
        HIMC context = ImmGetContext(View.hwnd);
        COMPOSITIONFORM form = {};
        EXPECT_TRUE(ImmGetCompositionWindow(context, &form));
        ImmReleaseContext(View.hwnd, context);
        return {static_cast<int>(form.dwStyle), static_cast<int>(form.ptCurrentPos.x),
                static_cast<int>(form.ptCurrentPos.y)};
    }

    // The candidate list's form, as {style, x, y, left, top, right, bottom} of what it keeps off.
    static Ints CandidateWindow()
    {
        HIMC context = ImmGetContext(View.hwnd);
        CANDIDATEFORM form = {};
        EXPECT_TRUE(ImmGetCandidateWindow(context, 0, &form));
        ImmReleaseContext(View.hwnd, context);
        return {static_cast<int>(form.dwStyle),
                static_cast<int>(form.ptCurrentPos.x),
                static_cast<int>(form.ptCurrentPos.y),
                static_cast<int>(form.rcArea.left),
                static_cast<int>(form.rcArea.top),
                static_cast<int>(form.rcArea.right),
                static_cast<int>(form.rcArea.bottom)};
    }

    static Ints AtCaret()
    {
        LayoutPoint caret = CaretViewPoint();
        return {CFS_POINT, caret.x, caret.y};
    }

    static void Key(WPARAM key) { SendMessageA(View.hwnd, WM_KEYDOWN, key, 0); }
};

}

TEST_F(InputMethod, ACharacterFromTheInputMethodIsTypedWholeAsOneStep)
{
    Document({"ab"});
    Key(VK_RIGHT);
    PostMessageA(View.hwnd, WM_IME_CHAR, 0x93fa, 0);
    Pump(50);
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>{"a\x93\xfa" "b"});
    EXPECT_EQ(View.caret.pos, 3);
    unsigned long error = 0;
    EXPECT_TRUE(UndoEdit(&error));
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>{"ab"}) << "both bytes in one step";

    PostMessageA(View.hwnd, WM_IME_CHAR, 'x', 0);
    Pump(50);
    EXPECT_EQ(LinesOf(View.firstLine), std::vector<std::string>{"axb"});
}

TEST_F(InputMethod, TheCompositionWindowStandsAtTheCaretInTheViewsFontAndFollowsIt)
{
    Document({"abc", "\x93\xfa\x96\x7b", std::string(60, 'x')});
    Key(VK_RIGHT);
    SendMessageA(View.hwnd, WM_IME_STARTCOMPOSITION, 0, 0);
    EXPECT_EQ(CompositionWindow(), (Ints{CFS_POINT, 7, 0}));
    EXPECT_EQ(CandidateWindow(), (Ints{CFS_EXCLUDE, 7, 0, 0, 0, 300, 14})) << "off the caret's row";
    HIMC context = ImmGetContext(View.hwnd);
    LOGFONTA font = {};
    EXPECT_TRUE(ImmGetCompositionFontA(context, &font));
    ImmReleaseContext(View.hwnd, context);
    EXPECT_EQ(font.lfHeight, 14);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(font.lfFaceName, "FixedSys");

    // Keys, the mouse and the characters committed while composing move it along.
    Key(VK_DOWN);
    EXPECT_EQ(CompositionWindow(), (Ints{CFS_POINT, 0, 14})) << "the caret does not stop inside a character";
    Mouse(WM_LBUTTONDOWN, 28, 3, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 28, 3);
    EXPECT_EQ(CompositionWindow(), (Ints{CFS_POINT, 21, 0}));
    PostMessageA(View.hwnd, WM_IME_CHAR, 0x93fa, 0);
    Pump(50);
    EXPECT_EQ(CompositionWindow(), (Ints{CFS_POINT, 35, 0}));
    // End scrolls the view right; the window stays with the caret in view coordinates.
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_END);
    ASSERT_GT(View.hScroll, 0);
    EXPECT_EQ(CompositionWindow(), AtCaret());
    EXPECT_EQ(CandidateWindow()[4], AtCaret()[2]);

    SendMessageA(View.hwnd, WM_IME_ENDCOMPOSITION, 0, 0);
    Ints ended = CompositionWindow();
    Key(VK_HOME);
    EXPECT_EQ(CompositionWindow(), ended) << "moves after the composition leave it alone";
}
