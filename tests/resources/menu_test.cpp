#include "resources/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

struct Item {
    UINT id;
    const char* text;
};

const UINT Separator = 0;

struct Popup {
    const char* title;
    std::vector<Item> items;
};

std::string ItemText(HMENU menu, UINT position)
{
    char text[128] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

}

// The texts are compared as the program sees them at run time: code page 932 bytes.
TEST(MenuResource, HoldsEveryCommandInOrderWithItsJapaneseText)
{
    const std::vector<Popup> expected = {
        {"ﾌｧｲﾙ(&F)",
         {{CMD_NEW, "新規作成(&N)\tCtrl+N"}, {CMD_OPEN, "ファイルを開く(&O)...\tCtrl+O"},
          {CMD_CLOSE_AND_OPEN, "閉じて開く(&H)"}, {CMD_SAVE, "上書保存(&S)\tCtrl+S"},
          {CMD_SAVE_AS, "名前を付けて保存(&A)..."}, {Separator, ""}, {CMD_PRINT, "印刷(&P)...\tCtrl+P"},
          {Separator, ""}, {CMD_EXIT, "終了(&X)"}}},
        {"編集(&E)",
         {{CMD_UNDO, "元に戻す(&U)\tCtrl+Z"}, {CMD_REDO, "やり直す(&R)\tCtrl+Y"}, {Separator, ""},
          {CMD_CUT, "切り取り(&T)\tCtrl+X"}, {CMD_COPY, "コピー(&C)\tCtrl+C"},
          {CMD_PASTE, "貼り付け(&P)\tCtrl+V"}, {CMD_DELETE, "削除(&D)\tDelete"}, {Separator, ""},
          {CMD_SELECT_ALL, "すべて選択(&A)\tCtrl+A"}}},
        {"検索(&S)", {{CMD_FIND, "検索(&F)..."}}},
        {"表示(&V)",
         {{CMD_NO_WRAP, "折り返さない"}, {CMD_WRAP_AT_WINDOW, "ウインドウの右端で折り返す"},
          {CMD_WRAP_AT_COLUMNS, "指定文字数で折り返す"}, {Separator, ""},
          {CMD_DOCUMENT_INFO, "文書の情報(&I)...\tAlt+Enter"}}},
        {"機能(&C)", {{CMD_COMMON_SETTINGS, "共通の設定(&C)..."}, {CMD_TYPE_SETTINGS, "タイプ別設定(&T)..."}}},
        {"ﾍﾙﾌﾟ(&H)", {{CMD_VERSION, "ﾊﾞｰｼﾞｮﾝ情報(&V)..."}}},
    };

    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()));
    for (size_t p = 0; p < expected.size(); ++p) {
        EXPECT_EQ(ItemText(menu, static_cast<UINT>(p)), expected[p].title);
        HMENU popup = GetSubMenu(menu, static_cast<int>(p));
        ASSERT_NE(popup, nullptr) << expected[p].title;
        const std::vector<Item>& items = expected[p].items;
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(items.size())) << expected[p].title;
        for (size_t i = 0; i < items.size(); ++i) {
            UINT position = static_cast<UINT>(i);
            UINT state = GetMenuState(popup, position, MF_BYPOSITION);
            if (items[i].id == Separator) {
                EXPECT_TRUE(state & MF_SEPARATOR) << expected[p].title << " " << i;
                continue;
            }
            EXPECT_EQ(GetMenuItemID(popup, static_cast<int>(i)), items[i].id);
            EXPECT_EQ(ItemText(popup, position), items[i].text);
            EXPECT_FALSE(state & MF_GRAYED) << items[i].id;
            EXPECT_EQ((state & MF_CHECKED) != 0, items[i].id == CMD_NO_WRAP) << items[i].id;
        }
    }
    DestroyMenu(menu);
}

TEST(MenuResource, AcceleratorsMapTheirKeysInStoredOrder)
{
    const BYTE control = FVIRTKEY | FNOINVERT | FCONTROL;
    const std::vector<ACCEL> expected = {
        {control, 'A', CMD_SELECT_ALL}, {control, 'C', CMD_COPY}, {control, 'N', CMD_NEW},
        {control, 'O', CMD_OPEN}, {control, 'P', CMD_PRINT}, {control, 'S', CMD_SAVE},
        {control, 'V', CMD_PASTE}, {FVIRTKEY | FNOINVERT, VK_DELETE, CMD_DELETE},
        {FVIRTKEY | FNOINVERT | FALT, VK_RETURN, CMD_DOCUMENT_INFO}, {control, 'X', CMD_CUT},
        {control, 'Y', CMD_REDO}, {control, 'Z', CMD_UNDO},
    };
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> stored(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
    ASSERT_EQ(stored.size(), expected.size());
    CopyAcceleratorTableA(table, stored.data(), static_cast<int>(stored.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        // The loader marks the last entry with a bit of its own; only the key flags matter.
        EXPECT_EQ(stored[i].fVirt & (FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT), expected[i].fVirt) << i;
        EXPECT_EQ(stored[i].key, expected[i].key) << i;
        EXPECT_EQ(stored[i].cmd, expected[i].cmd) << i;
    }
    DestroyAcceleratorTable(table);
}
