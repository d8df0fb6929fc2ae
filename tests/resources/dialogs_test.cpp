#include "resources/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Control {
    int id;
    std::string className;
    DWORD style;  // beside WS_CHILD | WS_VISIBLE, which every control has
    std::string text;
    std::vector<short> rect;
};

struct Dialog {
    int id;
    std::string title;
    short width;
    short height;
    std::vector<Control> controls;
};

// A dialog template as windres stores it: the classic DLGTEMPLATE, then one DLGITEMTEMPLATE per
// control, each aligned to a DWORD. Texts are turned into code page 932 bytes as the program
// would see them.
struct Template {
    DWORD style = 0;
    DWORD extendedStyle = 0;
    short width = 0;
    short height = 0;
    std::string menu;
    std::string windowClass;
    std::string title;
    WORD pointSize = 0;
    std::string font;
    std::vector<Control> controls;
    std::vector<DWORD> extendedStyles;
};

std::string Cp932(const WCHAR* text)
{
    char bytes[512] = "";
    WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
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
    std::string Text()
    {
        std::vector<WCHAR> text;
        for (WCHAR c = Take<WCHAR>(); c != 0 && Fits(0); c = Take<WCHAR>())
            text.push_back(c);
        text.push_back(0);
        return Cp932(text.data());
    }
    // A name or an ordinal: 0 for none, 0xFFFF and a number, or a text.
    std::string NameOrOrdinal()
    {
        WORD first = Fits(sizeof first) ? *reinterpret_cast<const WORD*>(at) : 0;
        if (first == 0) {
            at += sizeof first;
            return "";
        }
        if (first == 0xFFFF) {
            at += sizeof first;
            return "#" + std::to_string(Take<WORD>());
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

std::string ClassName(const std::string& stored)
{
    static const char* const atoms[][2] = {{"#128", "Button"}, {"#129", "Edit"}, {"#130", "Static"},
                                           {"#131", "ListBox"}, {"#132", "ScrollBar"}, {"#133", "ComboBox"}};
    for (const auto& atom : atoms)
        if (stored == atom[0])
            return atom[1];
    return stored;
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
    result.extendedStyle = reader.Take<DWORD>();
    WORD count = reader.Take<WORD>();
    reader.Take<short>();
    reader.Take<short>();
    result.width = reader.Take<short>();
    result.height = reader.Take<short>();
    result.menu = reader.NameOrOrdinal();
    result.windowClass = reader.NameOrOrdinal();
    result.title = reader.Text();
    if (result.style & DS_SETFONT) {
        result.pointSize = reader.Take<WORD>();
        result.font = reader.Text();
    }
    for (WORD i = 0; i < count && reader.Fits(0); ++i) {
        reader.AlignToDword();
        Control control;
        DWORD style = reader.Take<DWORD>();
        result.extendedStyles.push_back(reader.Take<DWORD>());
        for (int r = 0; r < 4; ++r)
            control.rect.push_back(reader.Take<short>());
        control.id = static_cast<short>(reader.Take<WORD>());
        control.className = ClassName(reader.NameOrOrdinal());
        control.text = reader.NameOrOrdinal();
        control.style = style;
        reader.Skip(reader.Take<WORD>());
        result.controls.push_back(control);
    }
    return reader.Fits(0);
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Every control in template order; labels and group boxes, which nothing addresses, have the id
// IDC_STATIC.
const std::vector<Dialog> Dialogs = {
    {IDD_DOCUMENT_INFO, "文書の情報", 278, 117,
     {
      {IDOK, "Button", BS_DEFPUSHBUTTON|WS_TABSTOP, "OK", {189, 96, 30, 14}},
      {IDCANCEL, "Button", BS_PUSHBUTTON|WS_TABSTOP, "ｷｬﾝｾﾙ", {229, 96, 26, 14}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "ファイル名：", {15, 17, 35, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "ファイルサイズ（改行除く）：", {15, 35, 79, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "保存時の改行コード：", {14, 77, 63, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "保存時の文字コード：", {142, 77, 63, 8}},
      {IDC_LINE_ENDING, "ComboBox", CBS_DROPDOWNLIST|CBS_NOINTEGRALHEIGHT|WS_VSCROLL|WS_TABSTOP, "", {78, 75, 44, 69}},
      {IDC_CHARACTER_CODE, "ComboBox", CBS_DROPDOWNLIST|CBS_NOINTEGRALHEIGHT|WS_VSCROLL|WS_TABSTOP, "", {205, 75, 60, 76}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "表示タイプ：", {14, 60, 35, 8}},
      {IDC_FILE_NAME, "Static", SS_SUNKEN|WS_GROUP, "N", {53, 15, 206, 12}},
      {IDC_FILE_SIZE, "Static", SS_SUNKEN|WS_GROUP, "S", {94, 34, 166, 11}},
      {IDC_DISPLAY_TYPE, "ComboBox", CBS_DROPDOWNLIST|CBS_NOINTEGRALHEIGHT|WS_VSCROLL|WS_TABSTOP, "", {57, 57, 167, 153}},
     }},
    {IDD_COMMON_SETTINGS, "共通の設定", 319, 205,
     {
      {IDOK, "Button", BS_DEFPUSHBUTTON|WS_TABSTOP, "OK", {283, 7, 29, 14}},
      {IDCANCEL, "Button", BS_PUSHBUTTON|WS_TABSTOP, "ｷｬﾝｾﾙ", {283, 24, 29, 14}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "改行コード：", {16, 17, 35, 8}},
      {IDC_DEFAULT_LINE_ENDING, "ComboBox", CBS_DROPDOWNLIST|CBS_NOINTEGRALHEIGHT|WS_VSCROLL|WS_TABSTOP, "", {51, 14, 38, 74}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "文字コード：", {104, 17, 35, 8}},
      {IDC_DEFAULT_CHARACTER_CODE, "ComboBox", CBS_DROPDOWNLIST|WS_VSCROLL|WS_TABSTOP, "", {139, 15, 86, 145}},
      {IDC_STATIC, "Button", BS_GROUPBOX, "折り返し", {17, 34, 251, 33}},
      {IDC_NO_WRAP, "Button", BS_AUTORADIOBUTTON, "折り返さない", {27, 48, 53, 10}},
      {IDC_WRAP_AT_WINDOW, "Button", BS_AUTORADIOBUTTON, "右端", {88, 48, 30, 10}},
      {IDC_WRAP_AT_COLUMNS, "Button", BS_AUTORADIOBUTTON, "指定文字数", {145, 48, 50, 10}},
      {IDC_WRAP_COLUMNS, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {211, 46, 22, 12}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "文字）", {239, 48, 18, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "（", {202, 48, 8, 8}},
      {IDC_STATIC, "Button", BS_GROUPBOX, "色＆フォント", {17, 118, 270, 68}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "普通文字", {30, 136, 28, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "背景色", {90, 136, 22, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "コメント", {149, 136, 22, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "キーワード", {202, 136, 32, 8}},
      {IDC_CHANGE_FONT, "Button", BS_PUSHBUTTON|WS_TABSTOP, "フォント変更", {197, 162, 60, 12}},
      {IDC_FONT_SAMPLE, "Static", SS_CENTER|SS_CENTERIMAGE|WS_GROUP, "Aaあ阿Ａａ", {65, 158, 113, 20}},
      {IDC_STATIC, "Button", BS_GROUPBOX, "タブ", {18, 77, 166, 30}},
      {IDC_TAB_WIDTH, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {32, 87, 21, 13}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "文字", {57, 89, 15, 8}},
     }},
    {IDD_TYPE_SETTINGS, "ファイルタイプの設定", 342, 183,
     {
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "設定名：", {16, 19, 25, 8}},
      {IDC_SETTING_NAME, "ComboBox", CBS_DROPDOWN|CBS_SORT|WS_VSCROLL|WS_TABSTOP, "", {45, 16, 155, 86}},
      {IDC_DELETE_SETTING, "Button", BS_PUSHBUTTON|WS_TABSTOP, "削除", {209, 17, 36, 14}},
      {IDC_RENAME_SETTING, "Button", BS_PUSHBUTTON|WS_TABSTOP, "名前変更", {248, 17, 36, 14}},
      {IDC_NEW_SETTING, "Button", BS_PUSHBUTTON|WS_TABSTOP, "新規", {287, 17, 36, 14}},
      {IDC_KEYWORDS, "ListBox", LBS_NOTIFY|LBS_SORT|LBS_NOINTEGRALHEIGHT|LBS_MULTICOLUMN|WS_BORDER|WS_VSCROLL|WS_TABSTOP, "", {29, 57, 170, 58}},
      {IDC_LINE_COMMENT, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {227, 57, 29, 16}},
      {IDC_SECOND_LINE_COMMENT, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {274, 58, 29, 16}},
      {IDC_BLOCK_COMMENT_START, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {228, 91, 29, 16}},
      {IDC_BLOCK_COMMENT_END, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {274, 91, 29, 16}},
      {IDC_RUN_COMMAND, "Edit", ES_AUTOHSCROLL|WS_BORDER|WS_TABSTOP, "", {29, 133, 138, 14}},
      {IDC_BROWSE_COMMAND, "Button", BS_PUSHBUTTON|WS_TABSTOP, "参照...", {177, 132, 25, 16}},
      {IDOK, "Button", BS_DEFPUSHBUTTON|WS_TABSTOP, "OK", {212, 162, 50, 14}},
      {IDCANCEL, "Button", BS_PUSHBUTTON|WS_TABSTOP, "ｷｬﾝｾﾙ", {272, 162, 50, 14}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "強調キーワード", {23, 45, 46, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "行コメント", {217, 45, 29, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "ブロックコメント", {217, 77, 45, 8}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "実行", {24, 120, 15, 8}},
      {IDC_STATIC, "Button", BS_GROUPBOX, "", {16, 34, 314, 124}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "or", {262, 60, 8, 11}},
      {IDC_STATIC, "Static", SS_LEFT|WS_GROUP, "to", {262, 93, 8, 11}},
     }},
};

}

TEST(DialogResources, EachDialogHoldsItsControlsInOrderWithTextsStylesAndRectangles)
{
    for (const Dialog& expected : Dialogs) {
        SCOPED_TRACE(expected.id);
        Template stored;
        ASSERT_TRUE(LoadTemplate(expected.id, stored));
        EXPECT_EQ(stored.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
        EXPECT_EQ(stored.extendedStyle, 0u);
        EXPECT_EQ(stored.width, expected.width);
        EXPECT_EQ(stored.height, expected.height);
        EXPECT_EQ(stored.menu, "");
        EXPECT_EQ(stored.windowClass, "");
        EXPECT_EQ(stored.title, expected.title);
        EXPECT_EQ(stored.pointSize, 9);
        EXPECT_EQ(stored.font, "ＭＳ Ｐゴシック");
        ASSERT_EQ(stored.controls.size(), expected.controls.size());
        for (size_t i = 0; i < expected.controls.size(); ++i) {
            const Control& want = expected.controls[i];
            const Control& got = stored.controls[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(got.id, want.id);
            EXPECT_STRCASEEQ(got.className.c_str(), want.className.c_str());
            EXPECT_EQ(got.style, want.style | WS_CHILD | WS_VISIBLE);
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(got.rect, want.rect);
            EXPECT_EQ(stored.extendedStyles[i], 0u);
        }
    }
}

// The real dialogs are built from these templates; a control the template parser misread would
// show here as a missing window or another class.
TEST(DialogResources, TheSystemBuildsEachDialogWithItsControls)
{
    for (const Dialog& expected : Dialogs) {
        SCOPED_TRACE(expected.id);
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.id), nullptr,
                                         IgnoreMessages, 0);
        ASSERT_NE(dialog, nullptr);
        char title[128] = "";
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_EQ(std::string(title), expected.title);
        for (const Control& control : expected.controls) {
            if (control.id == IDC_STATIC)
                continue;
            HWND item = GetDlgItem(dialog, control.id);
            ASSERT_NE(item, nullptr) << control.id;
            char className[32] = "";
            GetClassNameA(item, className, sizeof className);
            EXPECT_STRCASEEQ(className, control.className.c_str()) << control.id;
        }
        DestroyWindow(dialog);
    }
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
