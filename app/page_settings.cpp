#include "app/page_settings.h"

const PageSettings DefaultPageSettings = {9, 1, {2000, 2000, 2000, 2000}};
PageSettings PageSetup = DefaultPageSettings;

namespace {

const int Fields = StoredPageSettingsSize / 4;

// Paper numbers up to this are the system's own and those a driver adds.
const int LargestPaper = 0x7FFF;

}

void EncodePageSettings(const PageSettings& settings, unsigned char* bytes)
{
    const int values[Fields] = {settings.paper, settings.orientation, settings.margins[0], settings.margins[1],
                                settings.margins[2], settings.margins[3]};
    for (int i = 0; i < Fields; ++i) {
        unsigned value = static_cast<unsigned>(values[i]);
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<unsigned char>(value >> (8 * b));
    }
}

bool DecodePageSettings(const unsigned char* bytes, unsigned long size, PageSettings* settings)
{
    if (bytes == nullptr || size != StoredPageSettingsSize)
        return false;
    int values[Fields];
    for (int i = 0; i < Fields; ++i) {
        unsigned value = 0;
        for (int b = 0; b < 4; ++b)
            value |= static_cast<unsigned>(bytes[4 * i + b]) << (8 * b);
        values[i] = static_cast<int>(value);
    }
    if (values[0] < 1 || values[0] > LargestPaper || (values[1] != 1 && values[1] != 2))
        return false;
    for (int i = 2; i < Fields; ++i) {
        if (values[i] < 0 || values[i] > LargestMargin)
            return false;
    }
    PageSettings read = {values[0], values[1], {values[2], values[3], values[4], values[5]}};
    *settings = read;
    return true;
}
