#include "document/stored_settings.h"

#include <cstring>

const char* const TabWidthName = "TabWidth";
const char* const WrapModeName = "WrapMode";
const char* const WrapColumnsName = "WrapColumns";
const char* const FontFaceName = "FontFace";
const char* const FontSizeName = "FontSize";
const char* const TextColorName = "TextColor";
const char* const BackColorName = "BackColor";
const char* const CommentColorName = "CommentColor";
const char* const KeywordColorName = "KeywordColor";
const char* const LineEndingName = "LineEnding";
const char* const CharacterCodeName = "CharacterCode";
const char* const WindowPlacementName = "WindowPlacement";

namespace {

uint32_t Rgb(unsigned red, unsigned green, unsigned blue)
{
    return red | green << 8 | blue << 16;
}

// A face name as REG_SZ: the bytes up to a terminator that may or may not have been stored, not
// empty, with no zero inside and short enough for a LOGFONT.
bool ReadFace(const StoredValue& value, char* face)
{
    if (!value.present || value.kind != StoredString || value.bytes == nullptr)
        return false;
    size_t length = value.size;
    while (length > 0 && value.bytes[length - 1] == 0)
        --length;
    if (length == 0 || length >= static_cast<size_t>(FontFaceSize))
        return false;
    if (std::memchr(value.bytes, 0, length) != nullptr)
        return false;
    std::memcpy(face, value.bytes, length);
    face[length] = 0;
    return true;
}

// A COLORREF: its high byte is zero.
void ReadColor(const StoredValue& value, uint32_t* color, uint32_t fallback)
{
    if (!ReadStoredNumber(value, 0, 0xFFFFFF, color))
        *color = fallback;
}

int ReadInt(const StoredValue& value, int min, int max, int fallback)
{
    uint32_t number;
    if (!ReadStoredNumber(value, static_cast<uint32_t>(min), static_cast<uint32_t>(max), &number))
        return fallback;
    return static_cast<int>(number);
}

}

StoredSettings DefaultSettings()
{
    StoredSettings settings;
    std::memset(&settings, 0, sizeof settings);
    settings.tabWidth = 4;
    settings.wrapMode = -1;
    settings.wrapColumns = 80;
    std::strcpy(settings.fontFace, "FixedSys");
    settings.fontPoints = 10;
    settings.textColor = Rgb(0, 40, 0);
    settings.backColor = Rgb(240, 240, 255);
    settings.commentColor = Rgb(0, 0, 255);
    settings.keywordColor = Rgb(0, 255, 0);
    settings.lineEnding = 0;
    settings.code = CodeShiftJis;
    return settings;
}

bool ReadStoredNumber(const StoredValue& value, uint32_t min, uint32_t max, uint32_t* number)
{
    if (!value.present || value.kind != StoredDword || value.bytes == nullptr || value.size != sizeof(uint32_t))
        return false;
    // The registry keeps a DWORD little-endian on every system it runs on.
    uint32_t read = value.bytes[0] | value.bytes[1] << 8 | value.bytes[2] << 16 |
                    static_cast<uint32_t>(value.bytes[3]) << 24;
    if (read < min || read > max)
        return false;
    *number = read;
    return true;
}

bool ReadStoredBlock(const StoredValue& value, void* out, size_t size)
{
    if (!value.present || value.kind != StoredBinary || value.bytes == nullptr || value.size != size)
        return false;
    std::memcpy(out, value.bytes, size);
    return true;
}

void ReadStoredValue(StoredSettings& settings, const char* name, const StoredValue& value)
{
    const StoredSettings defaults = DefaultSettings();
    if (std::strcmp(name, TabWidthName) == 0) {
        settings.tabWidth = ReadInt(value, MinTabWidth, MaxTabWidth, defaults.tabWidth);
    } else if (std::strcmp(name, WrapColumnsName) == 0) {
        settings.wrapColumns = ReadInt(value, MinWrapColumns, MaxWrapColumns, defaults.wrapColumns);
    } else if (std::strcmp(name, WrapModeName) == 0) {
        int stored = ReadInt(value, StoredNoWrap, StoredWrapAtColumns, -1);
        if (stored == StoredWrapAtColumns)
            settings.wrapMode = settings.wrapColumns;
        else if (stored == StoredWrapAtWindow)
            settings.wrapMode = 0;
        else if (stored == StoredNoWrap)
            settings.wrapMode = -1;
        else
            settings.wrapMode = defaults.wrapMode;
    } else if (std::strcmp(name, FontFaceName) == 0) {
        if (!ReadFace(value, settings.fontFace))
            std::strcpy(settings.fontFace, defaults.fontFace);
    } else if (std::strcmp(name, FontSizeName) == 0) {
        settings.fontPoints = ReadInt(value, MinFontPoints, MaxFontPoints, defaults.fontPoints);
    } else if (std::strcmp(name, TextColorName) == 0) {
        ReadColor(value, &settings.textColor, defaults.textColor);
    } else if (std::strcmp(name, BackColorName) == 0) {
        ReadColor(value, &settings.backColor, defaults.backColor);
    } else if (std::strcmp(name, CommentColorName) == 0) {
        ReadColor(value, &settings.commentColor, defaults.commentColor);
    } else if (std::strcmp(name, KeywordColorName) == 0) {
        ReadColor(value, &settings.keywordColor, defaults.keywordColor);
    } else if (std::strcmp(name, LineEndingName) == 0) {
        settings.lineEnding = ReadInt(value, 0, 3, defaults.lineEnding);
    } else if (std::strcmp(name, CharacterCodeName) == 0) {
        settings.code = static_cast<TextCode>(ReadInt(value, 0, TextCodeCount - 1, defaults.code));
    }
}

uint32_t StoredWrapOf(int wrapMode)
{
    if (wrapMode < 0)
        return StoredNoWrap;
    return wrapMode == 0 ? StoredWrapAtWindow : StoredWrapAtColumns;
}

bool ValidTabWidth(int width)
{
    return width >= MinTabWidth && width <= MaxTabWidth;
}

bool ValidWrapColumns(int columns)
{
    return columns >= MinWrapColumns && columns <= MaxWrapColumns;
}

bool ValidFontPoints(int points)
{
    return points >= MinFontPoints && points <= MaxFontPoints;
}
