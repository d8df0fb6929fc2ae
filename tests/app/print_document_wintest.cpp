#include "tests/app/main_window_fixture.h"
#include "app/page_settings.h"
#include "app/print_document.h"
#include "layout/page_layout.h"

namespace {

typedef std::vector<std::string> Lines;

const char PrinterName[] = "PDF";
const char ProgressCaption[] = "印刷中";
const char WaitingText[] = "ファイルの読み込みが終わってから印刷します。";
const char StartDocFailedText[] = "印刷を開始できませんでした。プリンターが印刷を受け付けませんでした。";
const char TestKey[] = "Software\\Vandrel\\Tessary print test";

std::vector<int> Sent;

void RecordPage(int page)
{
    Sent.push_back(page);
}

class PrintTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        PageSetup = DefaultPageSettings;
        Sent.clear();
        PageSent = RecordPage;
    }

    void TearDown() override
    {
        PageSent = nullptr;
        PageSetup = DefaultPageSettings;
        MainWindowTest::TearDown();
    }

    // Opens a document of count numbered lines, with Japanese in each.
    Lines OpenNumbered(int count)
    {
        Lines lines;
        std::string bytes;
        for (int i = 0; i < count; ++i) {
            lines.push_back("行 " + std::to_string(i) + "\t日本語のテキスト");
            bytes += lines.back() + "\r\n";
        }
        lines.push_back("");
        std::string path = Path("printed.txt");
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        OpenDocument(path.c_str());
        EXPECT_TRUE(PumpUntilLoaded());
        return lines;
    }

    // The printer the test machine sets up (scripts/printer-setup): a test without it fails.
    HDC Printer()
    {
        HDC dc = CreateDCA(nullptr, PrinterName, nullptr, nullptr);
        EXPECT_NE(dc, nullptr) << "no printer named PDF: run scripts/printer-setup";
        return dc;
    }
};

}

TEST_F(PrintTest, TheChosenPagesGoToThePrinterAndTheDocumentStaysAsItWas)
{
    Lines lines = OpenNumbered(300);
    View.modified = true;
    HDC dc = Printer();
    ASSERT_NE(dc, nullptr);
    PrintChoice pages = {false, 2, 3, 1};
    EXPECT_TRUE(PrintPages(dc, pages));
    DeleteDC(dc);
    EXPECT_EQ(Sent, (std::vector<int>{2, 3}));
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_TRUE(View.modified);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));

    // A range past the last page prints nothing and says so; copies repeat the range.
    Sent.clear();
    dc = Printer();
    ASSERT_NE(dc, nullptr);
    PrintChoice last = {false, 1000, 1000, 2};
    BoxAnswerer none(IDOK);
    EXPECT_FALSE(PrintPages(dc, last));
    EXPECT_EQ(none.Seen().text, "指定されたページはありません。");
    EXPECT_TRUE(Sent.empty());
    PrintChoice twice = {false, 1, 2, 2};
    EXPECT_TRUE(PrintPages(dc, twice));
    DeleteDC(dc);
    EXPECT_EQ(Sent, (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(PrintTest, TheSelectionPrintsOnlyItsPages)
{
    OpenNumbered(300);
    HDC dc = Printer();
    ASSERT_NE(dc, nullptr);
    // The whole document takes several pages; lines 10 to 12 fit on one.
    TextPlace from = {LineAt(View.firstLine, 10), 10, 0};
    TextPlace to = {LineAt(View.firstLine, 12), 12, 3};
    View.anchor = from;
    View.caret.line = to.line;
    View.caret.lineIndex = to.lineIndex;
    View.caret.pos = to.pos;
    PrintChoice selection = {true, 0, 0, 1};
    EXPECT_TRUE(PrintPages(dc, selection));
    DeleteDC(dc);
    EXPECT_EQ(Sent, (std::vector<int>{1}));
}

TEST_F(PrintTest, StopInTheProgressBoxEndsTheJob)
{
    OpenNumbered(3000);
    HDC dc = Printer();
    ASSERT_NE(dc, nullptr);
    // The first box that comes is the progress box; its button stops the job.
    std::string progress;
    BoxAnswerer stop([&progress](HWND box) {
        char text[64] = "";
        for (int i = 0; i < 100 && text[0] == 0; ++i) {
            GetDlgItemTextA(box, IDC_PRINT_PROGRESS, text, sizeof text);
            Sleep(10);
        }
        progress = text;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    PrintChoice all = {false, 0, 0, 1};
    EXPECT_FALSE(PrintPages(dc, all));
    DeleteDC(dc);
    BoxSeen seen = stop.Seen();
    EXPECT_EQ(seen.caption, ProgressCaption);
    EXPECT_NE(progress.find(" / "), std::string::npos) << progress;
    EXPECT_NE(progress.find("ページ"), std::string::npos) << progress;
    EXPECT_LT(Sent.size(), 50u);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
    EXPECT_FALSE(IsWindow(FindWindowA(nullptr, ProgressCaption)));
}

TEST_F(PrintTest, AJobThePrinterRefusesIsToldOnceAndNothingChanges)
{
    Lines lines = OpenNumbered(20);
    Type("x");
    lines[0] = "x" + lines[0];
    std::string title = Title();
    // A memory device context takes no print job.
    HDC dc = CreateCompatibleDC(nullptr);
    BoxAnswerer answer(IDOK);
    PrintChoice all = {false, 0, 0, 1};
    EXPECT_FALSE(PrintPages(dc, all));
    DeleteDC(dc);
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Tessary");
    EXPECT_EQ(seen.text, StartDocFailedText);
    EXPECT_TRUE(Sent.empty());
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(title, "Tessary [printed.txt *]");
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
}

namespace {

HRESULT WINAPI FailingPrintDialog(LPPRINTDLGEXA)
{
    return E_FAIL;
}

DWORD WINAPI NoDefaultPrinter()
{
    return PDERR_NODEFAULTPRN;
}

DWORD WINAPI UnknownDialogError()
{
    return CDERR_INITIALIZATION;
}

}

TEST_F(PrintTest, WithoutAPrinterOrADialogOneBoxSaysWhichAndNothingChanges)
{
    Lines lines = OpenNumbered(20);
    Type("x");
    lines[0] = "x" + lines[0];
    std::string title = Title();
    PrintDialogCall = FailingPrintDialog;
    const struct {
        DWORD(WINAPI* error)();
        const char* text;
    } cases[] = {
        {NoDefaultPrinter, "プリンターがありません。"},
        {UnknownDialogError, "印刷ダイアログを開けませんでした。"},
    };
    for (const auto& failure : cases) {
        DialogErrorCall = failure.error;
        BoxAnswerer answer(IDOK);
        Command(CMD_PRINT);
        BoxSeen seen = answer.Seen();
        EXPECT_EQ(seen.caption, "Tessary");
        EXPECT_EQ(seen.text, failure.text);
    }
    EXPECT_TRUE(Sent.empty());
    EXPECT_EQ(LinesOf(View.firstLine), lines);
    EXPECT_TRUE(View.modified);
    EXPECT_EQ(Title(), title);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
}

TEST_F(PrintTest, PrintWaitsForALoadToEndAndSaysSo)
{
    std::string bytes;
    for (int i = 0; bytes.size() <= static_cast<size_t>(LoadThreshold) * 3; ++i)
        bytes += "line " + std::to_string(i) + " of a file that loads in the background\r\n";
    std::string path = Path("large.txt");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    OpenDocument(path.c_str());
    ASSERT_TRUE(LoadInProgress());
    Command(CMD_PRINT);
    EXPECT_EQ(StatusPart(0), WaitingText);
    EXPECT_TRUE(LoadInProgress());
    // The print dialog comes once the load has ended: cancelled, it prints nothing.
    bool loadingWhenAsked = true;
    BoxAnswerer cancel([&loadingWhenAsked](HWND box) {
        loadingWhenAsked = LoadInProgress();
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    ASSERT_TRUE(PumpUntilLoaded());
    for (int i = 0; i < 500 && !cancel.Answered(); ++i) {
        Pump();
        Sleep(10);
    }
    cancel.Seen();
    EXPECT_TRUE(cancel.Answered()) << "no print dialog after the load";
    EXPECT_FALSE(loadingWhenAsked);
    EXPECT_TRUE(Sent.empty());
}

// The page setup dialog's left margin field (edt4) and its bottom one (edt7), in millimetres.
TEST_F(PrintTest, PageSetupKeepsTheMarginsOfOkAndNothingOfCancel)
{
    auto setMargins = [](int button) {
        return [button](HWND box) {
            SetDlgItemTextA(box, 0x483, "31");
            SetDlgItemTextA(box, 0x486, "12");
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        };
    };
    BoxAnswerer cancel(setMargins(IDCANCEL));
    Command(CMD_PAGE_SETUP);
    EXPECT_EQ(cancel.Seen().caption, "ページ設定");
    EXPECT_EQ(PageSetup.margins[0], DefaultPageSettings.margins[0]);
    EXPECT_EQ(PageSetup.margins[3], DefaultPageSettings.margins[3]);

    BoxAnswerer ok(setMargins(IDOK));
    Command(CMD_PAGE_SETUP);
    ok.Seen();
    EXPECT_EQ(PageSetup.margins[0], 3100);
    EXPECT_EQ(PageSetup.margins[3], 1200);
    EXPECT_EQ(PageSetup.margins[1], DefaultPageSettings.margins[1]);
}

TEST_F(PrintTest, ThePageSetupIsStoredAsTwentyFourBytesAndOnlySoundOnesAreRead)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    PageSettings letter = {1, 2, {1000, 1500, 2500, 3000}};
    PageSetup = letter;
    WritePageSetup(key);
    BYTE stored[64];
    DWORD type = 0;
    DWORD size = sizeof stored;
    ASSERT_EQ(RegQueryValueExA(key, "PageSetup", nullptr, &type, stored, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, static_cast<DWORD>(StoredPageSettingsSize));
    PageSetup = DefaultPageSettings;
    ReadPageSetup(key);
    EXPECT_EQ(PageSetup.paper, 1);
    EXPECT_EQ(PageSetup.orientation, 2);
    EXPECT_EQ(PageSetup.margins[3], 3000);

    // A value of another type, another size or with a margin out of range gives the defaults.
    DWORD number = 5;
    BYTE longer[StoredPageSettingsSize + 4] = {};
    memcpy(longer, stored, StoredPageSettingsSize);
    BYTE wide[StoredPageSettingsSize];
    memcpy(wide, stored, sizeof wide);
    wide[8] = 0xFF;
    wide[9] = 0xFF;
    struct {
        DWORD type;
        const BYTE* bytes;
        DWORD size;
    } bad[] = {
        {REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number},
        {REG_BINARY, stored, StoredPageSettingsSize - 1},
        {REG_BINARY, longer, sizeof longer},
        {REG_BINARY, wide, sizeof wide},
    };
    for (const auto& value : bad) {
        ASSERT_EQ(RegSetValueExA(key, "PageSetup", 0, value.type, value.bytes, value.size), ERROR_SUCCESS);
        PageSetup = letter;
        ReadPageSetup(key);
        EXPECT_EQ(PageSetup.paper, DefaultPageSettings.paper) << value.size;
        EXPECT_EQ(PageSetup.margins[0], DefaultPageSettings.margins[0]) << value.size;
    }
    RegDeleteValueA(key, "PageSetup");
    PageSetup = letter;
    ReadPageSetup(key);
    EXPECT_EQ(PageSetup.orientation, DefaultPageSettings.orientation);
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, TestKey);
}
