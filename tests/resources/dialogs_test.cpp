#include "app/dialogs.h"
#include "app/goto_line.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "resources/resource_ids.h"
#include "tests/resources/resource_text.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Control {
    int id;
    std::string className;
    std::wstring text;
};

// A dialog template as windres stores it: the classic DLGTEMPLATE, then one DLGITEMTEMPLATE per
// control, each aligned to a DWORD. Texts stay as stored, in UTF-16.
struct Template {
    DWORD style = 0;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<Control> controls;
};

std::string Cp932(const std::wstring& text)
{
    char bytes[512] = "";
    WideCharToMultiByte(932, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

class Reader {
public:
    Reader(const BYTE* start, DWORD size) : start(start), at(start), end(start + size) {}

    bool Fits(size_t bytes) const { return at + bytes <= end; }
    template <typename T> T Take()
    {
        T value = T();
        if (Fits(sizeof value))
            std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    std::wstring Text()
    {
        std::wstring text;
        for (WCHAR c = Take<WCHAR>(); c != 0 && Fits(0); c = Take<WCHAR>())
            text.push_back(c);
        return text;
    }
    // A name or an ordinal: 0 for none, 0xFFFF and a number, or a text.
    std::wstring NameOrOrdinal()
    {
        WORD first = Fits(sizeof first) ? *reinterpret_cast<const WORD*>(at) : 0;
        if (first == 0) {
            at += sizeof first;
            return L"";
        }
        if (first == 0xFFFF) {
            at += sizeof first;
            return L"#" + std::to_wstring(Take<WORD>());
        }
        return Text();
    }
    void AlignToDword()
    {
        while ((at - start) % sizeof(DWORD) != 0)
            ++at;
    }
    void Skip(size_t bytes) { at += bytes; }

private:
    const BYTE* start;
    const BYTE* at;
    const BYTE* end;
};

std::string ClassName(const std::wstring& stored)
{
    static const wchar_t* const atoms[][2] = {{L"#128", L"Button"}, {L"#129", L"Edit"}, {L"#130", L"Static"},
                                              {L"#131", L"ListBox"}, {L"#132", L"ScrollBar"}, {L"#133", L"ComboBox"}};
    for (const auto& atom : atoms)
        if (stored == atom[0])
            return Cp932(atom[1]);
    return Cp932(stored);
}

bool LoadTemplate(int id, Template& result)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (found == nullptr)
        return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    Reader reader(data, SizeofResource(module, found));
    result.style = reader.Take<DWORD>();
    reader.Take<DWORD>();
    WORD count = reader.Take<WORD>();
    reader.Skip(4 * sizeof(short));
    reader.NameOrOrdinal();
    reader.NameOrOrdinal();
    result.title = reader.Text();
    if (result.style & DS_SETFONT) {
        result.pointSize = reader.Take<WORD>();
        result.font = reader.Text();
    }
    for (WORD i = 0; i < count && reader.Fits(0); ++i) {
        reader.AlignToDword();
        Control control;
        reader.Skip(2 * sizeof(DWORD) + 4 * sizeof(short));
        control.id = static_cast<short>(reader.Take<WORD>());
        control.className = ClassName(reader.NameOrOrdinal());
        control.text = reader.NameOrOrdinal();
        reader.Skip(reader.Take<WORD>());
        result.controls.push_back(control);
    }
    return reader.Fits(0);
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LRESULT Items(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
}

const int ProgramDialogs[] = {IDD_DOCUMENT_INFO, IDD_COMMON_SETTINGS, IDD_TYPE_SETTINGS, IDD_GO_TO_LINE, IDD_PRINTING};

}

// Every text of each dialog as the system shows it through the ANSI calls the program uses: the
// title, and each control's text read from the window the system made of it. The title and the
// font's name are Japanese; the font must be named in code page 932 for the system to find it.
TEST(DialogResources, EveryTextIsCodePage932AsTheProgramShowsIt)
{
    for (int id : ProgramDialogs) {
        SCOPED_TRACE(id);
        Template stored;
        ASSERT_TRUE(LoadTemplate(id, stored));
        ASSERT_TRUE(stored.style & DS_SETFONT);
        EXPECT_EQ(stored.pointSize, 9);
        EXPECT_EQ(Cp932(stored.font), "ＭＳ Ｐゴシック");
        EXPECT_TRUE(IsCp932Text(stored.font, Cp932(stored.font), true));
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, IgnoreMessages, 0);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(IsCp932Text(stored.title, WindowText(dialog), true));
        // The system makes the controls in template order.
        HWND child = GetWindow(dialog, GW_CHILD);
        for (const Control& control : stored.controls) {
            ASSERT_NE(child, nullptr) << "fewer windows than controls";
            EXPECT_STRCASEEQ(ClassOf(child).c_str(), control.className.c_str());
            if (control.className != "ComboBox") {
                EXPECT_TRUE(IsCp932Text(control.text, WindowText(child), false)) << control.id;
            }
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(child, nullptr) << "more windows than controls";
        DestroyWindow(dialog);
    }
}

// The code list's template lives inside the system's Open dialog: a control-like child, its ids
// clear of the dialog's own controls (1024-1279), its label readable through the ANSI calls.
TEST(DialogResources, TheOpenDialogsCodeListFitsInsideTheFileDialog)
{
    Template stored;
    ASSERT_TRUE(LoadTemplate(IDD_OPEN_CODE, stored));
    EXPECT_EQ(stored.style & (WS_CHILD | WS_POPUP | WS_CAPTION | DS_CONTROL), static_cast<DWORD>(WS_CHILD | DS_CONTROL));
    EXPECT_EQ(Cp932(stored.font), "ＭＳ Ｐゴシック");
    HWND frame = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPEN_CODE), frame, IgnoreMessages, 0);
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(stored.controls.size(), 2u);
    for (const Control& control : stored.controls)
        EXPECT_TRUE(control.id < 1024 || control.id > 1279) << control.id;
    EXPECT_EQ(WindowText(GetWindow(child, GW_CHILD)), "文字コード：");
    EXPECT_STRCASEEQ(ClassOf(GetDlgItem(child, IDC_OPEN_CODE)).c_str(), "ComboBox");
    DestroyWindow(frame);
}

// The controls the program fills and reads exist with the class its messages need: its lists
// take their choices, the name and size fields their texts.
TEST(DialogResources, TheProgramsProceduresFindTheirControls)
{
    AppInstance = GetModuleHandleA(nullptr);
    HWND info = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_DOCUMENT_INFO), nullptr, DocInfoDialogProc, 0);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(Items(info, IDC_LINE_ENDING), 3);
    EXPECT_EQ(Items(info, IDC_CHARACTER_CODE), TextCodeCount);
    EXPECT_EQ(Items(info, IDC_DISPLAY_TYPE), 1);
    EXPECT_STRCASEEQ(ClassOf(GetDlgItem(info, IDC_FILE_NAME)).c_str(), "Static");
    EXPECT_EQ(WindowText(GetDlgItem(info, IDC_FILE_SIZE)), "0 bytes");
    DestroyWindow(info);

    HWND settings =
        CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_COMMON_SETTINGS), nullptr, SettingsDialogProc, 0);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Items(settings, IDC_DEFAULT_LINE_ENDING), 4);
    EXPECT_EQ(Items(settings, IDC_DEFAULT_CHARACTER_CODE), TextCodeCount);
    for (int color : {IDC_TEXT_COLOR, IDC_BACK_COLOR, IDC_COMMENT_COLOR, IDC_KEYWORD_COLOR})
        EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(settings, color), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << color;
    for (int radio : {IDC_NO_WRAP, IDC_WRAP_AT_WINDOW, IDC_WRAP_AT_COLUMNS})
        EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(settings, radio), GWL_STYLE) & BS_TYPEMASK, BS_AUTORADIOBUTTON)
            << radio;
    for (int field : {IDC_WRAP_COLUMNS, IDC_TAB_WIDTH})
        EXPECT_STRCASEEQ(ClassOf(GetDlgItem(settings, field)).c_str(), "Edit") << field;
    DestroyWindow(settings);

    HWND goTo = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_GO_TO_LINE), nullptr, GoToLineDialogProc, 0);
    ASSERT_NE(goTo, nullptr);
    EXPECT_STRCASEEQ(ClassOf(GetDlgItem(goTo, IDC_LINE_NUMBER)).c_str(), "Edit");
    EXPECT_EQ(WindowText(GetDlgItem(goTo, IDC_LINE_RANGE)).rfind("行番号（1 から ", 0), 0u);
    EXPECT_STRCASEEQ(ClassOf(GetDlgItem(goTo, IDC_LINE_MESSAGE)).c_str(), "Static");
    DestroyWindow(goTo);
    AppInstance = nullptr;
}

// OK and Cancel end each dialog the program opens; the one no command opens still has both.
TEST(DialogResources, OkAndCancelEndTheDialogs)
{
    AppInstance = GetModuleHandleA(nullptr);
    const struct {
        int id;
        DLGPROC procedure;
    } dialogs[] = {{IDD_DOCUMENT_INFO, DocInfoDialogProc}, {IDD_COMMON_SETTINGS, SettingsDialogProc}};
    for (const auto& d : dialogs) {
        for (int button : {IDOK, IDCANCEL}) {
            SCOPED_TRACE(d.id * 10 + button);
            HWND dialog = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(d.id), nullptr, d.procedure, 0);
            ASSERT_NE(dialog, nullptr);
            ShowWindow(dialog, SW_SHOW);
            HWND pressed = GetDlgItem(dialog, button);
            ASSERT_NE(pressed, nullptr);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(pressed));
            EXPECT_FALSE(IsWindowVisible(dialog));
            DestroyWindow(dialog);
        }
    }
    View.lineEnd = EndingCrLf;
    HWND unused = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_TYPE_SETTINGS), nullptr, IgnoreMessages, 0);
    ASSERT_NE(unused, nullptr);
    EXPECT_NE(GetDlgItem(unused, IDOK), nullptr);
    EXPECT_NE(GetDlgItem(unused, IDCANCEL), nullptr);
    DestroyWindow(unused);
    AppInstance = nullptr;
}

namespace {

struct IconEntry {
    int width;
    int height;
    int colours;
    int bitCount;
};

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::vector<IconEntry> GroupEntries(int group)
{
    std::vector<IconEntry> entries;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14));
    if (found == nullptr)
        return entries;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    WORD count = 0;
    std::memcpy(&count, data + 2 * sizeof(WORD), sizeof count);
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, data + 3 * sizeof(WORD) + i * sizeof entry, sizeof entry);
        // The image itself must agree with the group's word about it.
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3));
        BITMAPINFOHEADER header = {};
        if (image != nullptr)
            std::memcpy(&header, LockResource(LoadResource(module, image)), sizeof header);
        EXPECT_EQ(header.biWidth, entry.width);
        EXPECT_EQ(header.biHeight, 2 * entry.height);
        EXPECT_EQ(header.biBitCount, 4);
        entries.push_back({entry.width, entry.height, entry.colourCount, entry.bitCount});
    }
    return entries;
}

bool operator==(const IconEntry& a, const IconEntry& b)
{
    return a.width == b.width && a.height == b.height && a.colours == b.colours && a.bitCount == b.bitCount;
}

void PrintTo(const IconEntry& e, std::ostream* out)
{
    *out << e.width << "x" << e.height << " " << e.colours << " colours " << e.bitCount << " bits";
}

bool LoadsAsIcon(int id, int size)
{
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size,
                                               size, LR_DEFAULTCOLOR));
    if (icon == nullptr)
        return false;
    ICONINFO info = {};
    bool ok = GetIconInfo(icon, &info) && info.fIcon;
    BITMAP colour = {};
    ok = ok && GetObjectA(info.hbmColor, sizeof colour, &colour) && colour.bmWidth == size && colour.bmHeight == size;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return ok;
}

}

TEST(IconResources, TheLargeIconHoldsBothSizesAndTheSmallOneSixteenPixels)
{
    EXPECT_EQ(GroupEntries(IDI_TESSARY), std::vector<IconEntry>({{32, 32, 16, 4}, {16, 16, 16, 4}}));
    EXPECT_EQ(GroupEntries(IDI_TESSARY_SMALL), std::vector<IconEntry>({{16, 16, 16, 4}}));
    EXPECT_TRUE(LoadsAsIcon(IDI_TESSARY, 32));
    EXPECT_TRUE(LoadsAsIcon(IDI_TESSARY, 16));
    EXPECT_TRUE(LoadsAsIcon(IDI_TESSARY_SMALL, 16));
}
