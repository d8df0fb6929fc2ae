#include "app/clipboard.h"
#include "app/edit_commands.h"
#include "tests/app/main_window_fixture.h"
#include "view/selection.h"

#include <thread>

namespace {

typedef std::vector<std::string> Lines;

// 表 (its second byte is a backslash), 示, a half-width katakana and a hiragana, in code page 932
// and as UTF-16.
const char ShiftJisText[] = "\x95\x5c\x8e\xa6 \xb1\x82\xa0\r\nabc";
const wchar_t UnicodeText[] = L"\x8868\x793a \xff71\x3042\r\nabc";

std::string TextOf(const ClipboardText& text)
{
    return std::string(text.bytes, static_cast<size_t>(text.count));
}

std::wstring UnitsOf(HGLOBAL block)
{
    std::wstring units = static_cast<const wchar_t*>(GlobalLock(block));
    GlobalUnlock(block);
    return units;
}

// What another program finds on the clipboard.
struct Found {
    bool opened = false;
    std::wstring unicode;
    std::string text;
    LCID locale = 0;
};

Found ReadClipboard()
{
    Found found;
    found.opened = OpenClipboard(nullptr) != FALSE;
    if (!found.opened)
        return found;
    if (HGLOBAL block = GetClipboardData(CF_UNICODETEXT))
        found.unicode = UnitsOf(block);
    if (HGLOBAL block = GetClipboardData(CF_TEXT)) {
        found.text = static_cast<const char*>(GlobalLock(block));
        GlobalUnlock(block);
    }
    if (HGLOBAL block = GetClipboardData(CF_LOCALE)) {
        found.locale = *static_cast<const LCID*>(GlobalLock(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return found;
}

HGLOBAL Block(const void* data, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    return block;
}

// Puts text on the clipboard as another program would, from a window of its own.
void PutAsAnotherProgram(const wchar_t* unicode, const char* text)
{
    HWND other = CreateWindowExA(0, PlainWindowClass("Tessary test clipboard owner"), "", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(OpenClipboard(other));
    EmptyClipboard();
    if (unicode != nullptr)
        SetClipboardData(CF_UNICODETEXT, Block(unicode, (wcslen(unicode) + 1) * sizeof(wchar_t)));
    if (text != nullptr)
        SetClipboardData(CF_TEXT, Block(text, std::strlen(text) + 1));
    CloseClipboard();
    DestroyWindow(other);
}

class ClipboardTest : public MainWindowTest {
protected:
    void Select(int anchorLine, int anchorPos, int caretLine, int caretPos)
    {
        TextPlace anchor = {LineAt(View.firstLine, anchorLine), anchorLine, anchorPos};
        TextPlace caret = {LineAt(View.firstLine, caretLine), caretLine, caretPos};
        SetSelection(anchor, caret);
    }

    std::string StatusText()
    {
        char text[256] = "";
        SendMessageA(StatusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

TEST(ClipboardConversion, ShiftJisTextGoesToUnicodeAndComesBackByteForByte)
{
    HGLOBAL unicode = UnicodeBlock(ShiftJisText, std::strlen(ShiftJisText));
    ASSERT_NE(unicode, nullptr);
    EXPECT_EQ(UnitsOf(unicode), UnicodeText);
    EXPECT_GE(GlobalSize(unicode), (wcslen(UnicodeText) + 1) * sizeof(wchar_t));
    GlobalFree(unicode);

    HGLOBAL text = TextBlock(ShiftJisText, std::strlen(ShiftJisText));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(text)), ShiftJisText);
    GlobalUnlock(text);
    GlobalFree(text);

    ClipboardText back;
    ASSERT_TRUE(BytesFromUnicode(UnicodeText, wcslen(UnicodeText), &back));
    EXPECT_EQ(TextOf(back), ShiftJisText);
    EXPECT_EQ(back.replaced, 0);

    ASSERT_TRUE(BytesFromUnicode(L"", 0, &back));
    EXPECT_EQ(back.count, 0);
    HGLOBAL empty = UnicodeBlock("", 0);
    EXPECT_EQ(UnitsOf(empty), L"");
    GlobalFree(empty);
}

TEST(ClipboardConversion, EachCharacterShiftJisCannotHoldBecomesOneQuestionMarkAndIsCounted)
{
    // An emoji (a pair of units), the wave dash and the yen sign (code page 932 has only
    // look-alikes), a lone half of a pair; the question mark typed, and the full-width tilde,
    // which the code page does hold, are kept.
    const wchar_t units[] = L"a\xd83d\xde00" L"b\x301c" L"c\x00a5" L"d\xd800" L"e?\xff5e";
    ClipboardText text;
    ASSERT_TRUE(BytesFromUnicode(units, wcslen(units), &text));
    EXPECT_EQ(TextOf(text), "a?b?c?d?e?\x81\x60");
    EXPECT_EQ(text.replaced, 4);
}

TEST_F(ClipboardTest, CopiedTextReachesAnotherProgramAsUnicodeAsShiftJisAndAsJapanese)
{
    Type("\x95\x5c\x8e\xa6 \xb1\x82\xa0\rabc");
    Command(CMD_SELECT_ALL);
    ASSERT_TRUE(CopyCommand());
    Found found;
    AsAnotherProgram([&] { found = ReadClipboard(); });
    ASSERT_TRUE(found.opened);
    EXPECT_EQ(found.unicode, UnicodeText);
    EXPECT_EQ(found.text, ShiftJisText);
    EXPECT_EQ(found.locale, 0x0411u);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\x95\x5c\x8e\xa6 \xb1\x82\xa0", "abc"})) << "Copy changes nothing";

    // A part of a line; then the text outlives the window that copied it.
    Select(0, 2, 0, 4);
    ASSERT_TRUE(CopyCommand());
    DestroyWindow(MainWindow);
    found = ReadClipboard();
    EXPECT_EQ(found.unicode, L"\x793a");
    EXPECT_EQ(found.text, "\x8e\xa6");
}

TEST_F(ClipboardTest, PastePrefersUnicodeTextAndSaysHowManyCharactersBecameQuestionMarks)
{
    PutAsAnotherProgram(L"", "");
    EXPECT_TRUE(PasteCommand());
    EXPECT_EQ(Title(), "Tessary [Untitled]") << "empty text in place of nothing changes nothing";
    EXPECT_FALSE(View.undo.CanUndo());

    Type("<>");
    Key(VK_LEFT);
    PutAsAnotherProgram(L"x\xd83d\xde00y\x301c\r\nz", "not this");
    ASSERT_TRUE(PasteCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"<x?y?", "z>"}));
    EXPECT_EQ(View.caret.lineIndex, 1);
    EXPECT_EQ(View.caret.pos, 1);
    std::string note = StatusText();
    EXPECT_NE(note.find(" 2 "), std::string::npos) << note;
    EXPECT_NE(note.find("?"), std::string::npos) << note;

    // Text in code page 932 alone, with every kind of line break; the note goes.
    PutAsAnotherProgram(nullptr, "1\r2\n3\r\n\x95\x5c");
    ASSERT_TRUE(PasteCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"<x?y?", "z1", "2", "3", "\x95\x5c>"}));
    EXPECT_EQ(StatusText(), "");

    // Each paste is one step for Undo.
    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"<x?y?", "z>"}));
    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"<>"}));
}

TEST_F(ClipboardTest, AClipboardHeldByAnotherProgramMeansNoChangeAndNoWait)
{
    Type("keep\rthis");
    PutAsAnotherProgram(L"before", "before");
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    std::thread other([&] {
        HWND window = CreateWindowExA(0, PlainWindowClass("Tessary test clipboard holder"), "", WS_POPUP, 0, 0, 10,
                                      10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        holding = OpenClipboard(window) != FALSE;
        while (holding && !release)
            Sleep(5);
        CloseClipboard();
        DestroyWindow(window);
    });
    while (!holding)
        Sleep(5);
    Select(0, 1, 1, 2);
    EXPECT_FALSE(CopyCommand());
    EXPECT_FALSE(CutCommand());
    EXPECT_FALSE(PasteCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"keep", "this"}));
    EXPECT_TRUE(HasSelection()) << "the selection stays for another try";
    EXPECT_FALSE(View.undo.CanRedo());
    release = true;
    other.join();
    Found found = ReadClipboard();
    EXPECT_EQ(found.unicode, L"before");

    // Once it is free again, Cut works.
    ASSERT_TRUE(CutCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"kis"}));
    EXPECT_EQ(ReadClipboard().text, "eep\r\nth");
}

TEST_F(ClipboardTest, CutPasteUndoAndRedoMakeTheTextsInTurn)
{
    const Lines original = {"one", "two \x95\x5c", "three"};
    DestroyLines(View.firstLine);
    View.firstLine = MakeLines(original);
    ResetView();
    Select(0, 1, 1, 6);
    ASSERT_TRUE(CutCommand());
    const Lines cut = {"o", "three"};
    EXPECT_EQ(LinesOf(View.firstLine), cut);
    EXPECT_EQ(ReadClipboard().text, "ne\r\ntwo \x95\x5c");
    EXPECT_FALSE(HasSelection());

    // What was cut goes back in at the end.
    Command(CMD_SELECT_ALL);
    Key(VK_RIGHT);
    ASSERT_TRUE(PasteCommand());
    const Lines pasted = {"o", "threene", "two \x95\x5c"};
    EXPECT_EQ(LinesOf(View.firstLine), pasted);

    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), cut);
    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), original);
    EXPECT_TRUE(HasSelection()) << "undoing the cut selects the text again";
    EXPECT_FALSE(UndoCommand());
    ASSERT_TRUE(RedoCommand());
    ASSERT_TRUE(RedoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), pasted);
    EXPECT_FALSE(RedoCommand());

    // Select all and Delete empty the document; Undo brings it back.
    Command(CMD_SELECT_ALL);
    Command(CMD_DELETE);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
    Command(CMD_UNDO);
    EXPECT_EQ(LinesOf(View.firstLine), pasted);
}

}
