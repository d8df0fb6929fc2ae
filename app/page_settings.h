// The page set up for printing: paper, orientation and margins, kept for the session and stored
// in the registry as a few bytes. Window-free: the bytes are read back only when they make sense.
#pragma once

struct PageSettings {
    // The system's paper number (DMPAPER_...) and orientation (1 portrait, 2 landscape).
    int paper;
    int orientation;
    // Left, top, right and bottom, in hundredths of a millimetre from the paper's edge.
    int margins[4];
};

// A4 upright with 20 mm all round.
extern const PageSettings DefaultPageSettings;
// The choice made in the page setup dialog, or read at start.
extern PageSettings PageSetup;

// Bytes of a stored PageSettings: six 32-bit numbers, least significant byte first.
const int StoredPageSettingsSize = 24;
// Margins wider than this (10 cm) are taken for damage.
const int LargestMargin = 10000;

void EncodePageSettings(const PageSettings& settings, unsigned char* bytes);
// False, with *settings untouched, for bytes of another size or with a value out of range.
bool DecodePageSettings(const unsigned char* bytes, unsigned long size, PageSettings* settings);
