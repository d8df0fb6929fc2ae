#include "app/registry_settings.h"
#include "app/print_document.h"
#include "document/editor_record.h"

#include <windows.h>

namespace {

const char SettingsKey[] = "Software\\Vandrel\\Tessary";
const char EditCtrlKey[] = "EditCtrl";

bool OpenKey(HKEY parent, const char* name, HKEY* key)
{
    return RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, key) == ERROR_SUCCESS;
}

bool CreateKey(HKEY parent, const char* name, HKEY* key)
{
    char noClass[] = "";
    return RegCreateKeyExA(parent, name, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, key, nullptr) == ERROR_SUCCESS;
}

}

bool EditView::LoadSettings(HKEY key)
{
    HKEY subkey;
    if (key == nullptr || !OpenKey(key, EditCtrlKey, &subkey))
        return false;
    ReadPageSetup(subkey);
    RegCloseKey(subkey);
    return true;
}

bool EditView::SaveSettings(HKEY key)
{
    HKEY subkey;
    if (!CreateKey(key, EditCtrlKey, &subkey))
        return false;
    WritePageSetup(subkey);
    RegCloseKey(subkey);
    return true;
}

void OpenSettingsAtStart()
{
    HKEY key;
    if (!OpenKey(HKEY_CURRENT_USER, SettingsKey, &key)) {
        View.LoadSettings(nullptr);
        return;
    }
    View.LoadSettings(key);
    RegCloseKey(key);
}

void StoreSettingsAtExit()
{
    HKEY key;
    if (!OpenKey(HKEY_CURRENT_USER, SettingsKey, &key)) {
        if (MessageBoxA(nullptr, "レジストリにデータを保存します。", "Tessary", MB_OKCANCEL) != IDOK)
            return;
        if (!CreateKey(HKEY_CURRENT_USER, SettingsKey, &key))
            return;
    }
    View.SaveSettings(key);
    RegCloseKey(key);
}
