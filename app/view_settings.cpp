#include "app/view_settings.h"
#include "app/command_states.h"
#include "document/editor_record.h"
#include "layout/paint_view.h"
#include "view/viewport.h"

#include <windows.h>
#include <cstring>

namespace {

int CALLBACK FaceFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}

StoredSettings CurrentSettings()
{
    StoredSettings settings = DefaultSettings();
    settings.tabWidth = TabWidth;
    settings.wrapMode = WrapMode;
    settings.wrapColumns = View.wrapColumns;
    std::strncpy(settings.fontFace, FontFace, sizeof settings.fontFace - 1);
    settings.fontFace[sizeof settings.fontFace - 1] = 0;
    settings.fontPoints = FontPoints;
    settings.textColor = View.textColor;
    settings.backColor = View.backColor;
    settings.commentColor = View.commentColor;
    settings.keywordColor = View.keywordColor;
    settings.lineEnding = LineEndingSetting;
    settings.code = DefaultCode;
    return settings;
}

void ApplySettings(const StoredSettings& settings)
{
    bool newFont = std::strcmp(settings.fontFace, FontFace) != 0 || settings.fontPoints != FontPoints;
    bool newColors = settings.textColor != View.textColor || settings.backColor != View.backColor ||
                     settings.commentColor != View.commentColor || settings.keywordColor != View.keywordColor;
    bool newLayout = settings.tabWidth != TabWidth || settings.wrapMode != WrapMode;
    TabWidth = settings.tabWidth;
    WrapMode = settings.wrapMode;
    View.wrapColumns = settings.wrapColumns;
    std::strncpy(FontFace, settings.fontFace, FontFaceSize - 1);
    FontFace[FontFaceSize - 1] = 0;
    FontPoints = settings.fontPoints;
    LineEndingSetting = settings.lineEnding;
    DefaultCode = settings.code;
    if (View.hwnd == nullptr) {
        View.textColor = settings.textColor;
        View.backColor = settings.backColor;
        View.commentColor = settings.commentColor;
        View.keywordColor = settings.keywordColor;
        return;
    }
    if (newColors)
        SetViewColors(settings.textColor, settings.backColor, settings.commentColor, settings.keywordColor);
    if (newFont)
        ApplyDisplayFont(WindowDpi(View.hwnd));
    else if (newLayout)
        Relayout();
    else if (newColors)
        InvalidateRect(View.hwnd, nullptr, TRUE);
    if (MainMenu != nullptr)
        UpdateCommandStates();
}

bool FontFaceExists(const char* face)
{
    LOGFONTA font;
    std::memset(&font, 0, sizeof font);
    font.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &font, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}
