#include "app/registry_settings.h"
#include "document/editor_record.h"
#include "tests/test_support.h"
#include "tests/window_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>

namespace {

const char VendorPath[] = "Software\\Vandrel";
const char KeyPath[] = "Software\\Vandrel\\Tessary";
const char SubkeyPath[] = "Software\\Vandrel\\Tessary\\EditCtrl";
// レジストリにデータを保存します。 in code page 932, written out so a wrong conversion of the
// program's literal cannot hide behind the same conversion here.
const char QuestionText[] =
    "\x83\x8c\x83\x57\x83\x58\x83\x67\x83\x8a\x82\xc9\x83\x66\x81\x5b\x83\x5e\x82\xf0"
    "\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb7\x81\x42";

// Every setting but the window's placement, which is written once a window was seen.
const DWORD SettingValues = 11;

struct KeyShape {
    bool exists;
    DWORD subkeys;
    DWORD values;
};

KeyShape ShapeOf(const char* path)
{
    KeyShape shape = {false, 0, 0};
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return shape;
    shape.exists = true;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &shape.subkeys, nullptr, nullptr,
                     &shape.values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return shape;
}

bool Exists(const char* path)
{
    return ShapeOf(path).exists;
}

bool Create(const char* path)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The vendor key goes too, but only when nothing else lives under it: a key with subkeys
// cannot be deleted.
void DeleteProgramKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, SubkeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, KeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, VendorPath);
}

// The key holds the one subkey and nothing else, and the subkey holds the values given: none, or
// the page setup once the settings were saved.
void ExpectKeyWithSubkey(DWORD subkeyValues)
{
    KeyShape key = ShapeOf(KeyPath);
    EXPECT_TRUE(key.exists);
    EXPECT_EQ(key.subkeys, 1u);
    EXPECT_EQ(key.values, 0u);
    KeyShape subkey = ShapeOf(SubkeyPath);
    EXPECT_TRUE(subkey.exists);
    EXPECT_EQ(subkey.subkeys, 0u);
    EXPECT_EQ(subkey.values, subkeyValues);
}

class RegistrySettingsTest : public ::testing::Test {
protected:
    // A machine that already had the key gets it back after the tests.
    static void SetUpTestSuite() { keyWasThere = Exists(KeyPath); }
    static void TearDownTestSuite()
    {
        DeleteProgramKey();
        if (keyWasThere)
            Create(SubkeyPath);
    }

    void SetUp() override
    {
        ResetEditor();
        DeleteProgramKey();
        ASSERT_FALSE(Exists(KeyPath));
    }
    void TearDown() override
    {
        DeleteProgramKey();
        ResetEditor();
    }

    static bool keyWasThere;
};

bool RegistrySettingsTest::keyWasThere = false;

}

TEST_F(RegistrySettingsTest, CancelAtTheFirstExitCreatesNothing)
{
    BoxAnswerer answer(IDCANCEL);
    StoreSettingsAtExit();
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Tessary");
    EXPECT_EQ(seen.text, QuestionText);
    EXPECT_FALSE(Exists(KeyPath));

    BoxAnswerer again(IDCANCEL);
    StoreSettingsAtExit();
    EXPECT_EQ(again.Seen().text, QuestionText) << "the next run asks again";
    EXPECT_FALSE(Exists(KeyPath));
}

TEST_F(RegistrySettingsTest, OkCreatesTheKeyAndWritesTheSettings)
{
    BoxAnswerer answer(IDOK);
    StoreSettingsAtExit();
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Tessary");
    EXPECT_EQ(seen.text, QuestionText);

    KeyShape key = ShapeOf(KeyPath);
    EXPECT_EQ(key.subkeys, 1u);
    EXPECT_EQ(key.values, 0u);
    EXPECT_GE(ShapeOf(SubkeyPath).values, SettingValues);
}

TEST_F(RegistrySettingsTest, ALaterExitAsksNothingAndMakesAMissingSubkey)
{
    ASSERT_TRUE(Create(SubkeyPath));
    BoxAnswerer present(IDCANCEL);
    StoreSettingsAtExit();
    present.Seen();
    EXPECT_FALSE(present.Answered());
    EXPECT_TRUE(Exists(SubkeyPath));
    EXPECT_GE(ShapeOf(SubkeyPath).values, SettingValues);

    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, SubkeyPath), ERROR_SUCCESS);
    BoxAnswerer removed(IDCANCEL);
    StoreSettingsAtExit();
    removed.Seen();
    EXPECT_FALSE(removed.Answered());
    KeyShape subkey = ShapeOf(SubkeyPath);
    EXPECT_TRUE(subkey.exists);
    EXPECT_GE(subkey.values, SettingValues);
    EXPECT_EQ(ShapeOf(KeyPath).subkeys, 1u);
}

TEST_F(RegistrySettingsTest, StartUpOnlyLooksAndAsksNothing)
{
    BoxAnswerer absent(IDOK);
    OpenSettingsAtStart();
    absent.Seen();
    EXPECT_FALSE(absent.Answered());
    EXPECT_FALSE(Exists(KeyPath));

    ASSERT_TRUE(Create(KeyPath));
    BoxAnswerer noSubkey(IDOK);
    OpenSettingsAtStart();
    noSubkey.Seen();
    EXPECT_FALSE(noSubkey.Answered());
    EXPECT_FALSE(Exists(SubkeyPath));
    EXPECT_EQ(ShapeOf(KeyPath).values, 0u);

    ASSERT_TRUE(Create(SubkeyPath));
    BoxAnswerer both(IDOK);
    OpenSettingsAtStart();
    both.Seen();
    EXPECT_FALSE(both.Answered());
    ExpectKeyWithSubkey(0);
}

TEST_F(RegistrySettingsTest, TheRecordOpensAndClosesItsSubkey)
{
    EXPECT_FALSE(View.LoadSettings(nullptr));
    ASSERT_TRUE(Create(KeyPath));
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_FALSE(View.LoadSettings(key));
    EXPECT_FALSE(Exists(SubkeyPath));
    EXPECT_TRUE(View.SaveSettings(key));
    EXPECT_TRUE(View.SaveSettings(key)) << "an existing subkey is opened";
    EXPECT_TRUE(View.LoadSettings(key));
    RegCloseKey(key);
    EXPECT_GE(ShapeOf(SubkeyPath).values, SettingValues);
}

namespace {

void SetValue(const char* name, DWORD kind, const void* bytes, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SubkeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, kind, static_cast<const BYTE*>(bytes), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetNumber(const char* name, DWORD number)
{
    SetValue(name, REG_DWORD, &number, sizeof number);
}

void SetText(const char* name, const std::string& text)
{
    SetValue(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

DWORD NumberOf(const char* name)
{
    DWORD number = 0xDEADBEEF;
    DWORD size = sizeof number;
    RegGetValueA(HKEY_CURRENT_USER, SubkeyPath, name, RRF_RT_REG_DWORD, nullptr, &number, &size);
    return number;
}

}

TEST_F(RegistrySettingsTest, WhatExitWritesTheNextStartReads)
{
    ASSERT_TRUE(Create(KeyPath));
    TabWidth = 6;
    View.wrapColumns = 64;
    WrapMode = 64;
    std::strcpy(FontFace, "VL Gothic");
    FontPoints = 14;
    View.textColor = RGB(1, 2, 3);
    View.backColor = RGB(4, 5, 6);
    View.commentColor = RGB(7, 8, 9);
    View.keywordColor = RGB(10, 11, 12);
    LineEndingSetting = 2;
    DefaultCode = CodeEucJp;
    StoreSettingsAtExit();
    EXPECT_EQ(NumberOf("TabWidth"), 6u);
    EXPECT_EQ(NumberOf("WrapMode"), 2u);
    EXPECT_EQ(NumberOf("WrapColumns"), 64u);
    EXPECT_EQ(NumberOf("FontSize"), 14u);
    EXPECT_EQ(NumberOf("BackColor"), static_cast<DWORD>(RGB(4, 5, 6)));
    EXPECT_EQ(NumberOf("CharacterCode"), static_cast<DWORD>(CodeEucJp));

    ResetEditor();
    OpenSettingsAtStart();
    EXPECT_EQ(TabWidth, 6);
    EXPECT_EQ(WrapMode, 64);
    EXPECT_EQ(View.wrapColumns, 64);
    EXPECT_STREQ(FontFace, "VL Gothic");
    EXPECT_EQ(FontPoints, 14);
    EXPECT_EQ(View.textColor, RGB(1, 2, 3));
    EXPECT_EQ(View.backColor, RGB(4, 5, 6));
    EXPECT_EQ(View.commentColor, RGB(7, 8, 9));
    EXPECT_EQ(View.keywordColor, RGB(10, 11, 12));
    EXPECT_EQ(LineEndingSetting, 2);
    EXPECT_EQ(DefaultCode, CodeEucJp);

    // The wrap at the window's edge comes back as that, the column count kept beside it.
    WrapMode = 0;
    StoreSettingsAtExit();
    ResetEditor();
    OpenSettingsAtStart();
    EXPECT_EQ(WrapMode, 0);
    EXPECT_EQ(View.wrapColumns, 64);
}

TEST_F(RegistrySettingsTest, BadValuesGiveTheirDefaultsAndTheGoodOnesStay)
{
    SetText("TabWidth", "abc");
    SetNumber("WrapColumns", 0);
    SetNumber("WrapMode", 2);
    SetNumber("FontSize", 100000);
    SetText("FontFace", std::string(300, 'F'));
    SetNumber("TextColor", 0xFF000000);
    SetNumber("LineEnding", 1);
    const char three[] = {1, 2, 3};
    SetValue("WindowPlacement", REG_BINARY, three, sizeof three);
    OpenSettingsAtStart();
    EXPECT_EQ(TabWidth, 4);
    EXPECT_EQ(View.wrapColumns, 80);
    EXPECT_EQ(WrapMode, 80) << "the stored mode is good, its columns the default";
    EXPECT_EQ(FontPoints, 10);
    EXPECT_STREQ(FontFace, "FixedSys");
    EXPECT_EQ(View.textColor, RGB(0, 40, 0));
    EXPECT_EQ(LineEndingSetting, 1);

    SetText("FontFace", "No Such Font Anywhere");
    OpenSettingsAtStart();
    EXPECT_STREQ(FontFace, "FixedSys") << "a face the system does not have";
    SetText("FontFace", "VL Gothic");
    OpenSettingsAtStart();
    EXPECT_STREQ(FontFace, "VL Gothic");
}

TEST_F(RegistrySettingsTest, TheWindowComesBackWhereItWasUnlessThatIsOnNoScreen)
{
    AppInstance = GetModuleHandleA(nullptr);
    const char* className = PlainWindowClass("RegistrySettingsPlacement");
    auto makeWindow = [className] {
        return CreateWindowA(className, "placed", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    };
    HWND first = makeWindow();
    SetWindowPos(first, nullptr, 120, 90, 420, 330, SWP_NOZORDER);
    ASSERT_TRUE(Create(KeyPath));
    RememberWindowPlacement(first);
    StoreSettingsAtExit();
    DestroyWindow(first);

    OpenSettingsAtStart();
    HWND second = makeWindow();
    ShowInSavedPlacement(second, SW_SHOWNORMAL);
    RECT rect;
    GetWindowRect(second, &rect);
    EXPECT_EQ(rect.left, 120);
    EXPECT_EQ(rect.top, 90);
    EXPECT_EQ(rect.right - rect.left, 420);
    EXPECT_EQ(rect.bottom - rect.top, 330);
    EXPECT_FALSE(IsZoomed(second));
    ShowWindow(second, SW_MAXIMIZE);
    RememberWindowPlacement(second);
    StoreSettingsAtExit();
    DestroyWindow(second);

    OpenSettingsAtStart();
    HWND maximized = makeWindow();
    ShowInSavedPlacement(maximized, SW_SHOWNORMAL);
    EXPECT_TRUE(IsZoomed(maximized));
    DestroyWindow(maximized);

    WINDOWPLACEMENT offScreen;
    std::memset(&offScreen, 0, sizeof offScreen);
    offScreen.length = sizeof offScreen;
    offScreen.showCmd = SW_SHOWNORMAL;
    SetRect(&offScreen.rcNormalPosition, 40000, 40000, 40400, 40300);
    SetValue("WindowPlacement", REG_BINARY, &offScreen, sizeof offScreen);
    OpenSettingsAtStart();
    HWND fallback = makeWindow();
    ShowInSavedPlacement(fallback, SW_SHOWNORMAL);
    GetWindowRect(fallback, &rect);
    EXPECT_EQ(rect.left, 10) << "a place on no monitor is not taken";
    EXPECT_EQ(rect.right - rect.left, 300);
    DestroyWindow(fallback);
}
