#include "app/registry_settings.h"
#include "app/print_document.h"
#include "app/view_settings.h"
#include "document/editor_record.h"
#include "document/stored_settings.h"

#include <cstring>

namespace {

const char SettingsKey[] = "Software\\Vandrel\\Tessary";
const char EditCtrlKey[] = "EditCtrl";
// No value the program writes is longer; a longer one is not read at all.
const DWORD LongestValue = 1024;

WINDOWPLACEMENT Placement;
bool PlacementKnown = false;

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

// One value as the registry holds it, in buffer; not present when it is missing or too long.
StoredValue QueryValue(HKEY key, const char* name, unsigned char* buffer)
{
    StoredValue value = {false, 0, buffer, 0};
    DWORD kind = 0;
    DWORD size = LongestValue;
    if (RegQueryValueExA(key, name, nullptr, &kind, buffer, &size) != ERROR_SUCCESS || size > LongestValue)
        return value;
    value.present = true;
    value.kind = kind;
    value.size = size;
    return value;
}

// A place is kept only when it is whole, names a sane state, and its normal rectangle lies at
// least partly on some monitor.
bool UsablePlacement(const WINDOWPLACEMENT& place)
{
    const RECT& r = place.rcNormalPosition;
    if (place.length != sizeof place || r.right <= r.left || r.bottom <= r.top)
        return false;
    if (place.showCmd != SW_SHOWNORMAL && place.showCmd != SW_SHOWMAXIMIZED && place.showCmd != SW_SHOWMINIMIZED)
        return false;
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

void ReadPlacement(HKEY key)
{
    unsigned char buffer[LongestValue];
    WINDOWPLACEMENT place;
    std::memset(&place, 0, sizeof place);
    PlacementKnown = ReadStoredBlock(QueryValue(key, WindowPlacementName, buffer), &place, sizeof place) &&
                     UsablePlacement(place);
    if (PlacementKnown)
        Placement = place;
}

bool WriteNumber(HKEY key, const char* name, uint32_t number)
{
    DWORD value = number;
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

}

bool EditView::LoadSettings(HKEY key)
{
    HKEY subkey;
    if (key == nullptr || !OpenKey(key, EditCtrlKey, &subkey))
        return false;
    // WrapColumns comes before WrapMode, which takes its column count.
    const char* const names[] = {TabWidthName, WrapColumnsName, WrapModeName, FontFaceName, FontSizeName,
                                 TextColorName, BackColorName, CommentColorName, KeywordColorName,
                                 LineEndingName, CharacterCodeName};
    StoredSettings settings = DefaultSettings();
    unsigned char buffer[LongestValue];
    for (const char* name : names)
        ReadStoredValue(settings, name, QueryValue(subkey, name, buffer));
    if (std::strcmp(settings.fontFace, DefaultSettings().fontFace) != 0 && !FontFaceExists(settings.fontFace))
        std::strcpy(settings.fontFace, DefaultSettings().fontFace);
    ApplySettings(settings);
    ReadPlacement(subkey);
    ReadPageSetup(subkey);
    RegCloseKey(subkey);
    return true;
}

bool EditView::SaveSettings(HKEY key)
{
    HKEY subkey;
    if (!CreateKey(key, EditCtrlKey, &subkey))
        return false;
    StoredSettings settings = CurrentSettings();
    bool written = WriteNumber(subkey, TabWidthName, static_cast<uint32_t>(settings.tabWidth)) &&
                   WriteNumber(subkey, WrapModeName, StoredWrapOf(settings.wrapMode)) &&
                   WriteNumber(subkey, WrapColumnsName, static_cast<uint32_t>(settings.wrapColumns)) &&
                   RegSetValueExA(subkey, FontFaceName, 0, REG_SZ, reinterpret_cast<const BYTE*>(settings.fontFace),
                                  static_cast<DWORD>(std::strlen(settings.fontFace) + 1)) == ERROR_SUCCESS &&
                   WriteNumber(subkey, FontSizeName, static_cast<uint32_t>(settings.fontPoints)) &&
                   WriteNumber(subkey, TextColorName, settings.textColor) &&
                   WriteNumber(subkey, BackColorName, settings.backColor) &&
                   WriteNumber(subkey, CommentColorName, settings.commentColor) &&
                   WriteNumber(subkey, KeywordColorName, settings.keywordColor) &&
                   WriteNumber(subkey, LineEndingName, static_cast<uint32_t>(settings.lineEnding)) &&
                   WriteNumber(subkey, CharacterCodeName, static_cast<uint32_t>(settings.code));
    if (written && PlacementKnown)
        written = RegSetValueExA(subkey, WindowPlacementName, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&Placement),
                                 sizeof Placement) == ERROR_SUCCESS;
    WritePageSetup(subkey);
    RegCloseKey(subkey);
    return written;
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

void StoreSettingsNow()
{
    HKEY key;
    if (!OpenKey(HKEY_CURRENT_USER, SettingsKey, &key))
        return;
    if (MainWindow != nullptr && IsWindow(MainWindow))
        RememberWindowPlacement(MainWindow);
    View.SaveSettings(key);
    RegCloseKey(key);
}

void RememberWindowPlacement(HWND window)
{
    WINDOWPLACEMENT place;
    std::memset(&place, 0, sizeof place);
    place.length = sizeof place;
    if (!GetWindowPlacement(window, &place))
        return;
    // A window closed while minimized comes back as it was before.
    if (place.showCmd == SW_SHOWMINIMIZED)
        place.showCmd = (place.flags & WPF_RESTORETOMAXIMIZED) != 0 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    place.length = sizeof place;
    Placement = place;
    PlacementKnown = true;
}

void ShowInSavedPlacement(HWND window, int showCommand)
{
    if (!PlacementKnown || !UsablePlacement(Placement)) {
        ShowWindow(window, showCommand);
        return;
    }
    WINDOWPLACEMENT place = Placement;
    place.flags = 0;
    if (Placement.showCmd == SW_SHOWMAXIMIZED && (showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT))
        place.showCmd = SW_SHOWMAXIMIZED;
    else
        place.showCmd = static_cast<UINT>(showCommand == SW_SHOWDEFAULT ? SW_SHOWNORMAL : showCommand);
    // Wine gives a window made with CW_USEDEFAULT its default size when it is first shown, over
    // the placement: the window is put in its normal place while still hidden, then shown.
    const RECT& normal = Placement.rcNormalPosition;
    SetWindowPos(window, nullptr, normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPlacement(window, &place);
}
