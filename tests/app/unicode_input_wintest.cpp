// Characters beyond Shift-JIS in a document of any code: typed (surrogate pairs as two character
// messages), pasted and copied as Unicode, the question when the document's code lacks one, and
// converting the document from its information dialog, undone as one step.
#include "app/clipboard.h"
#include "app/dialogs.h"
#include "app/edit_commands.h"
#include "tests/app/main_window_fixture.h"
#include "view/selection.h"

#include <atomic>
#include <thread>

namespace {

typedef std::vector<std::string> Lines;

const char Tsuchiyoshi[] = "\xf0\xa0\xae\xb7";  // 𠮷 in UTF-8
const char Smile[] = "\xf0\x9f\x98\x80";        // 😀

class UnicodeInputTest : public MainWindowTest {
protected:
    void Document(TextCode code, const Lines& lines)
    {
        SetDocumentCode(code);
        DiscardLines(View);
        View.firstLine = View.topLine = View.caret.line = MakeLines(lines);
        View.caret.pos = 0;
        View.caret.lineIndex = 0;
        View.anchor = CaretPlace();
        View.undo.Clear();
        Relayout();
    }

    // Posts the units as a keyboard's character messages would arrive, then handles them.
    void PostUnits(const std::wstring& units, UINT message = WM_CHAR)
    {
        for (wchar_t unit : units)
            PostMessageW(View.hwnd, message, unit, 1);
        MSG got;
        while (PeekMessageW(&got, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&got);
            DispatchMessageW(&got);
        }
    }

    std::wstring ClipboardUnits()
    {
        std::wstring units;
        if (!OpenClipboard(nullptr))
            return L"<closed>";
        if (HGLOBAL block = GetClipboardData(CF_UNICODETEXT)) {
            units = static_cast<const wchar_t*>(GlobalLock(block));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return units;
    }
    std::string ClipboardText()
    {
        std::string text;
        if (!OpenClipboard(nullptr))
            return "<closed>";
        if (HGLOBAL block = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(block));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return text;
    }
    void PutUnicode(const std::wstring& units)
    {
        HWND other = CreateWindowExA(0, PlainWindowClass("Tessary test unicode owner"), "", WS_POPUP, 0, 0, 10, 10,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(OpenClipboard(other));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (units.size() + 1) * sizeof(wchar_t));
        std::memcpy(GlobalLock(block), units.c_str(), (units.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
        DestroyWindow(other);
    }
    void SelectAllOfLine(int line)
    {
        TextPlace start = {LineAt(View.firstLine, line), line, 0};
        TextPlace end = start;
        end.pos = end.line->length;
        SetSelection(start, end);
    }
};

}

TEST_F(UnicodeInputTest, SurrogatePairsTypedIntoAUtf8DocumentArriveWhole)
{
    Document(CodeUtf8, {""});
    PostUnits(L"a\xD842\xDFB7\x3042\xD83D\xDE00");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string("a") + Tsuchiyoshi + "\xe3\x81\x82" + Smile}));
    EXPECT_EQ(View.caret.pos, 12);
    // A lone second half is dropped; a first half waits for its partner however long.
    PostUnits(L"\xDC00" L"b\xD842");
    PostUnits(L"\xDFB7");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string("a") + Tsuchiyoshi + "\xe3\x81\x82" + Smile + "b" +
                                              Tsuchiyoshi}));
    // The input method's characters come the same way.
    PostUnits(L"\xD83D\xDE00", WM_IME_CHAR);
    EXPECT_EQ(LinesOf(View.firstLine).back().substr(17), Smile);
    // One typing run: one Undo takes it all.
    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({""}));
}

TEST_F(UnicodeInputTest, ShiftJisTypingStaysByteForByteAndEucJpGetsItsOwnBytes)
{
    // Bytes as an ANSI program sends them: the window gets them as Unicode and keeps the bytes.
    Type("\x95\x5c\xb1" "a\x82\xa0");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\x95\x5c\xb1" "a\x82\xa0"}));
    PostUnits(L"\x8868");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\x95\x5c\xb1" "a\x82\xa0\x95\x5c"}));

    Document(CodeEucJp, {""});
    PostUnits(L"\x8868\xFF71" L"b");
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\xc9\xbd\x8e\xb1" "b"}));
}

TEST_F(UnicodeInputTest, ACharacterTheCodeLacksAsksToConvertAndNoTypesAMark)
{
    Type("\x82\xa0");
    BoxAnswerer no(IDNO);
    PostUnits(L"\xD842\xDFB7");
    BoxSeen asked = no.Seen();
    EXPECT_NE(asked.text.find("UTF-8"), std::string::npos) << asked.text;
    EXPECT_EQ(View.code, CodeShiftJis);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\x82\xa0?"}));
    std::string note = StatusPart(0);
    EXPECT_NE(note.find(" 1 "), std::string::npos) << note;

    BoxAnswerer yes(IDYES);
    PostUnits(L"\xD83D\xDE00");
    yes.Seen();
    EXPECT_EQ(View.code, CodeUtf8);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string("\xe3\x81\x82?") + Smile}));
    EXPECT_TRUE(View.modified);
    // The character, then the conversion, each one step.
    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\xe3\x81\x82?"}));
    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(View.code, CodeShiftJis);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\x82\xa0?"}));
}

TEST_F(UnicodeInputTest, CopyGivesUnicodeAndCodePage932AndPasteTakesUnicodeInTheDocumentsCode)
{
    Document(CodeUtf8, {std::string("\xe8\xa1\xa8") + Tsuchiyoshi, "x"});
    Command(CMD_SELECT_ALL);
    ASSERT_TRUE(CopyCommand());
    std::wstring units;
    std::string text;
    AsAnotherProgram([&] {
        units = ClipboardUnits();
        text = ClipboardText();
    });
    EXPECT_EQ(units, L"\x8868\xD842\xDFB7\r\nx");
    EXPECT_EQ(text, "\x95\x5c?\r\nx");

    // Pasted into an EUC-JP document, the copy is converted and what it lacks counted.
    Document(CodeEucJp, {""});
    ASSERT_TRUE(PasteCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\xc9\xbd?", "x"}));
    EXPECT_NE(StatusPart(0).find(" 1 "), std::string::npos) << StatusPart(0);

    PutUnicode(L"\xD83D\xDE00\x3042");
    Document(CodeUtf16Le, {"ab"});
    ASSERT_TRUE(PasteCommand());
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string(Smile) + "\xe3\x81\x82" + "ab"}));
}

TEST_F(UnicodeInputTest, TheInformationDialogConvertsTheDocumentAndUndoTakesItBack)
{
    Document(CodeUtf8, {std::string("\xe3\x81\x82") + Tsuchiyoshi});
    std::vector<std::string> codes;
    int selected = -1;
    // Shift-JIS chosen: the question counts the lost character; Cancel keeps all, then OK.
    std::atomic<int> stage{0};
    BoxAnswerer answer([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_CHARACTER_CODE);
        int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char item[64] = "";
            SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            codes.push_back(item);
        }
        selected = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
        SendMessageA(list, CB_SETCURSEL, CodeShiftJis, 0);
        {
            BoxAnswerer cancel(IDCANCEL, dialog);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            BoxSeen seen = cancel.Seen();
            stage = seen.text.find("1 文字は Shift-JIS にない") != std::string::npos ? 1 : -1;
        }
        SendMessageA(list, CB_SETCURSEL, CodeShiftJis, 0);
        BoxAnswerer ok(IDOK, dialog);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int waited = 0; !ok.Answered() && waited < 15000; waited += 10)
            Sleep(10);
    });
    ShowDocumentInfo();
    answer.Seen();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(codes, std::vector<std::string>({"Shift-JIS", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE", "EUC-JP",
                                               "JIS"}));
    EXPECT_EQ(selected, CodeUtf8);
    EXPECT_EQ(stage.load(), 1);
    EXPECT_EQ(View.code, CodeShiftJis);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({"\x82\xa0?"}));
    EXPECT_TRUE(View.modified);
    EXPECT_NE(Title().find('*'), std::string::npos) << Title();

    ASSERT_TRUE(UndoCommand());
    EXPECT_EQ(View.code, CodeUtf8);
    EXPECT_EQ(LinesOf(View.firstLine), Lines({std::string("\xe3\x81\x82") + Tsuchiyoshi}));
    EXPECT_FALSE(View.modified);
}
