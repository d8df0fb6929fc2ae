#include "resources/resource_ids.h"
#include "tests/resources/resource_text.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

struct MenuItem {
    UINT id;  // 0 for a popup
    std::wstring stored;
    std::string shown;
};

// Every popup title and command item of the menu, in order; separators are left out.
std::vector<MenuItem> MenuItems(HMENU menu)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        // A popup's state holds its item count in the high byte, which can look like MF_SEPARATOR.
        HMENU popup = GetSubMenu(menu, i);
        if (popup == nullptr && (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR))
            continue;
        wchar_t wide[128] = L"";
        char narrow[128] = "";
        GetMenuStringW(menu, static_cast<UINT>(i), wide, 128, MF_BYPOSITION);
        GetMenuStringA(menu, static_cast<UINT>(i), narrow, sizeof narrow, MF_BYPOSITION);
        items.push_back({popup != nullptr ? 0u : GetMenuItemID(menu, i), wide, narrow});
        if (popup != nullptr)
            for (const MenuItem& item : MenuItems(popup))
                items.push_back(item);
    }
    return items;
}

HMENU LoadProgramMenu()
{
    return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
}

// The key an item shows after its tab ("Ctrl+S", "Delete", "Alt+Enter", "Shift+F3") as an
// accelerator entry; fVirt 0 when the item shows none or a key this reading does not know.
ACCEL ShownKey(const std::string& text)
{
    ACCEL key = {0, 0, 0};
    size_t tab = text.find('\t');
    if (tab == std::string::npos)
        return key;
    std::string name = text.substr(tab + 1);
    BYTE modifiers = FVIRTKEY;
    if (name.rfind("Ctrl+", 0) == 0) {
        modifiers |= FCONTROL;
        name = name.substr(5);
    } else if (name.rfind("Alt+", 0) == 0) {
        modifiers |= FALT;
        name = name.substr(4);
    } else if (name.rfind("Shift+", 0) == 0) {
        modifiers |= FSHIFT;
        name = name.substr(6);
    }
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z')
        key.key = static_cast<WORD>(name[0]);
    else if (name.size() >= 2 && name[0] == 'F' && std::atoi(name.c_str() + 1) >= 1 && std::atoi(name.c_str() + 1) <= 12)
        key.key = static_cast<WORD>(VK_F1 + std::atoi(name.c_str() + 1) - 1);
    else if (name == "Delete")
        key.key = VK_DELETE;
    else if (name == "Enter")
        key.key = VK_RETURN;
    else
        return key;
    key.fVirt = modifiers;
    return key;
}

UINT CommandSeen = 0;

LRESULT CALLBACK RecordCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == 1)
        CommandSeen = LOWORD(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The command the accelerator table makes of the key, with its modifiers held down; 0 for none.
UINT TranslateKey(HWND window, HACCEL table, const ACCEL& key)
{
    BYTE state[256] = {};
    if (key.fVirt & FCONTROL)
        state[VK_CONTROL] = 0x80;
    if (key.fVirt & FALT)
        state[VK_MENU] = 0x80;
    if (key.fVirt & FSHIFT)
        state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    MSG message = {};
    message.hwnd = window;
    // Alt turns a key into a system key.
    message.message = (key.fVirt & FALT) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    message.wParam = key.key;
    message.lParam = (key.fVirt & FALT) ? (1 << 29) | 1 : 1;
    CommandSeen = 0;
    TranslateAcceleratorA(window, table, &message);
    BYTE released[256] = {};
    SetKeyboardState(released);
    return CommandSeen;
}

}

// The titles and items are compared as the program sees them at run time: code page 932 bytes.
TEST(MenuResource, EveryTextIsJapaneseInCodePage932)
{
    HMENU menu = LoadProgramMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<MenuItem> items = MenuItems(menu);
    EXPECT_GE(items.size(), 6u);
    for (const MenuItem& item : items)
        EXPECT_TRUE(IsCp932Text(item.stored, item.shown, true)) << item.id;
    DestroyMenu(menu);
}

// Each command reaches the window once, and every item starts enabled with only the current wrap
// mode (no wrapping) checked; the command states change them later.
TEST(MenuResource, EachCommandIsOfferedOnceAndStartsEnabledWithNoWrapChecked)
{
    HMENU menu = LoadProgramMenu();
    ASSERT_NE(menu, nullptr);
    std::set<UINT> seen;
    for (const MenuItem& item : MenuItems(menu)) {
        if (item.id == 0)
            continue;
        EXPECT_TRUE(seen.insert(item.id).second) << item.id << " twice";
        UINT state = GetMenuState(menu, item.id, MF_BYCOMMAND);
        EXPECT_FALSE(state & MF_GRAYED) << item.id;
        EXPECT_EQ((state & MF_CHECKED) != 0, item.id == CMD_NO_WRAP) << item.id;
    }
    for (UINT id : {CMD_NEW, CMD_OPEN, CMD_CLOSE_AND_OPEN, CMD_SAVE, CMD_SAVE_AS, CMD_EXIT, CMD_NO_WRAP,
                    CMD_WRAP_AT_WINDOW, CMD_WRAP_AT_COLUMNS, CMD_DOCUMENT_INFO, CMD_COMMON_SETTINGS, CMD_VERSION,
                    CMD_FIND, CMD_FIND_NEXT, CMD_FIND_PREVIOUS, CMD_REPLACE, CMD_GO_TO_LINE, CMD_PAGE_SETUP,
                    CMD_PRINT})
        EXPECT_EQ(seen.count(id), 1u) << "the program runs " << id << " but the menu does not offer it";
    DestroyMenu(menu);
}

// Page setup opens its dialog from the item just above Print, with nothing between them.
TEST(MenuResource, PageSetupStandsJustAbovePrint)
{
    HMENU menu = LoadProgramMenu();
    ASSERT_NE(menu, nullptr);
    HMENU file = GetSubMenu(menu, 0);
    int print = -1;
    for (int i = 0; i < GetMenuItemCount(file); ++i) {
        if (GetMenuItemID(file, i) == CMD_PRINT)
            print = i;
    }
    ASSERT_GT(print, 0);
    EXPECT_EQ(GetMenuItemID(file, print - 1), static_cast<UINT>(CMD_PAGE_SETUP));
    char text[64] = "";
    GetMenuStringA(file, static_cast<UINT>(print - 1), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "\x83\x79\x81\x5b\x83\x57\x90\xdd\x92\xe8(&U)...");
    DestroyMenu(menu);
}

// The keys the items show after their tab are the keys that give their commands, and the table
// has no key that no item shows.
TEST(MenuResource, TheAcceleratorsGiveTheCommandsOfTheKeysTheMenuShows)
{
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(table, nullptr);
    HMENU menu = LoadProgramMenu();
    ASSERT_NE(menu, nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordCommand;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Tessary accelerator test";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, menu,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    int shown = 0;
    for (const MenuItem& item : MenuItems(menu)) {
        if (item.id == 0 || item.shown.find('\t') == std::string::npos)
            continue;
        ++shown;
        ACCEL key = ShownKey(item.shown);
        ASSERT_NE(key.fVirt, 0) << "a key this test cannot read: " << item.shown;
        EXPECT_EQ(TranslateKey(window, table, key), item.id) << item.shown;
    }
    EXPECT_GT(shown, 0);
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), shown) << "keys that no item shows";
    // Without the modifier the letter keys are typing, not commands; F3 and Shift+F3 differ.
    EXPECT_EQ(TranslateKey(window, table, {FVIRTKEY, 'S', 0}), 0u);
    EXPECT_EQ(TranslateKey(window, table, {FVIRTKEY, VK_F3, 0}), static_cast<UINT>(CMD_FIND_NEXT));
    EXPECT_EQ(TranslateKey(window, table, {FVIRTKEY | FSHIFT, VK_F3, 0}), static_cast<UINT>(CMD_FIND_PREVIOUS));

    DestroyWindow(window);
    DestroyAcceleratorTable(table);
}
