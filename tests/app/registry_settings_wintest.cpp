#include "app/registry_settings.h"
#include "document/editor_record.h"
#include "tests/window_support.h"

#include <gtest/gtest.h>
#include <windows.h>
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
        DeleteProgramKey();
        ASSERT_FALSE(Exists(KeyPath));
    }
    void TearDown() override { DeleteProgramKey(); }

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

TEST_F(RegistrySettingsTest, OkCreatesTheKeyAndItsSubkeyWithThePageSetup)
{
    BoxAnswerer answer(IDOK);
    StoreSettingsAtExit();
    BoxSeen seen = answer.Seen();
    EXPECT_EQ(seen.caption, "Tessary");
    EXPECT_EQ(seen.text, QuestionText);

    ExpectKeyWithSubkey(1);
}

TEST_F(RegistrySettingsTest, ALaterExitAsksNothingAndMakesAMissingSubkey)
{
    ASSERT_TRUE(Create(SubkeyPath));
    BoxAnswerer present(IDCANCEL);
    StoreSettingsAtExit();
    present.Seen();
    EXPECT_FALSE(present.Answered());
    EXPECT_TRUE(Exists(SubkeyPath));
    EXPECT_EQ(ShapeOf(SubkeyPath).values, 1u);

    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, SubkeyPath), ERROR_SUCCESS);
    BoxAnswerer removed(IDCANCEL);
    StoreSettingsAtExit();
    removed.Seen();
    EXPECT_FALSE(removed.Answered());
    KeyShape subkey = ShapeOf(SubkeyPath);
    EXPECT_TRUE(subkey.exists);
    EXPECT_EQ(subkey.values, 1u);
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
    EXPECT_EQ(ShapeOf(SubkeyPath).values, 1u);
}
