// The settings the program keeps between runs: their defaults, their limits, and how each is
// read back from a value as the registry gives it (a type and bytes). Nothing read is trusted:
// a value that is missing, of the wrong type or size, or out of range gives that setting's
// default and leaves the others alone. The registry calls themselves live in
// app/registry_settings.cpp; this module needs no window.
#pragma once
#include "platform/text_code.h"

#include <cstddef>
#include <cstdint>

const int MinTabWidth = 1;
const int MaxTabWidth = 16;
const int MinWrapColumns = 10;
const int MaxWrapColumns = 1000;
const int MinFontPoints = 6;
const int MaxFontPoints = 72;
// What a face name may hold with its terminating zero, as a LOGFONT's lfFaceName.
const int FontFaceSize = 32;

// The stored form of the wrap choice, which WrapMode keeps as -1, 0 or the column count.
enum StoredWrap { StoredNoWrap, StoredWrapAtWindow, StoredWrapAtColumns };

// One value as the registry returned it. kind is the registry's type (REG_DWORD 4, REG_SZ 1,
// REG_BINARY 3), written out here so that this module builds without Windows' headers.
const unsigned long StoredString = 1;
const unsigned long StoredBinary = 3;
const unsigned long StoredDword = 4;
struct StoredValue {
    bool present;
    unsigned long kind;
    const unsigned char* bytes;
    size_t size;
};

struct StoredSettings {
    int tabWidth;
    // WrapMode's own encoding: -1 no wrapping, 0 at the window's edge, else wrapColumns.
    int wrapMode;
    int wrapColumns;
    char fontFace[FontFaceSize];
    int fontPoints;
    uint32_t textColor;
    uint32_t backColor;
    uint32_t commentColor;
    uint32_t keywordColor;
    int lineEnding;
    TextCode code;
};

StoredSettings DefaultSettings();

// The names of the values, as the registry holds them under the program's subkey.
extern const char* const TabWidthName;
extern const char* const WrapModeName;
extern const char* const WrapColumnsName;
extern const char* const FontFaceName;
extern const char* const FontSizeName;
extern const char* const TextColorName;
extern const char* const BackColorName;
extern const char* const CommentColorName;
extern const char* const KeywordColorName;
extern const char* const LineEndingName;
extern const char* const CharacterCodeName;
extern const char* const WindowPlacementName;

// Takes one named value into settings when it is valid; a missing or bad one puts that setting's
// default back. WrapMode is read after WrapColumns (it takes the column count from it), so the
// caller hands WrapColumns first. Unknown names are ignored.
void ReadStoredValue(StoredSettings& settings, const char* name, const StoredValue& value);

// A DWORD value within [min, max]; false for anything else.
bool ReadStoredNumber(const StoredValue& value, uint32_t min, uint32_t max, uint32_t* number);
// A block of exactly size bytes copied to out; false for another type or size.
bool ReadStoredBlock(const StoredValue& value, void* out, size_t size);

// What the registry stores for the wrap choice, given WrapMode.
uint32_t StoredWrapOf(int wrapMode);

// The checks the settings dialog makes of what the user typed; both the limits are included.
bool ValidTabWidth(int width);
bool ValidWrapColumns(int columns);
bool ValidFontPoints(int points);
