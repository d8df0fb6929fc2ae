// The check that a text stored in the resources is the Japanese the program shows: the
// resources hold UTF-16, and the program reads it through the ANSI calls as code page 932.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

inline bool JapaneseCharacter(wchar_t c)
{
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// stored is the text as the resource holds it, shown the bytes the program reads through the
// ANSI calls. The text must convert to code page 932 and back without loss, give exactly those
// bytes, hold nothing but ASCII and Japanese characters (so a script read in the wrong code page
// shows), and, when it holds Japanese, must not also read as UTF-8 (so UTF-8 bytes stored as they
// are show too). With japanese set it must hold at least one Japanese character.
inline ::testing::AssertionResult IsCp932Text(const std::wstring& stored, const std::string& shown, bool japanese)
{
    char bytes[512] = "";
    BOOL lost = FALSE;
    int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, stored.c_str(), -1, bytes, sizeof bytes, nullptr,
                                     &lost);
    if (length == 0 || lost)
        return ::testing::AssertionFailure() << "not in code page 932: \"" << shown << "\"";
    wchar_t back[256] = L"";
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, -1, back, 256) == 0 || stored != back)
        return ::testing::AssertionFailure() << "changes on the way back from code page 932: \"" << shown << "\"";
    if (shown != bytes)
        return ::testing::AssertionFailure() << "the ANSI call gives \"" << shown << "\", not \"" << bytes << "\"";
    bool hasJapanese = false;
    for (wchar_t c : stored) {
        if (c >= 0x80 && !JapaneseCharacter(c))
            return ::testing::AssertionFailure() << "holds U+" << std::hex << static_cast<int>(c) << ": \"" << shown
                                                 << "\"";
        hasJapanese = hasJapanese || JapaneseCharacter(c);
    }
    if (japanese && !hasJapanese)
        return ::testing::AssertionFailure() << "holds no Japanese: \"" << shown << "\"";
    if (hasJapanese && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, shown.c_str(), -1, nullptr, 0) != 0)
        return ::testing::AssertionFailure() << "reads as UTF-8: \"" << shown << "\"";
    return ::testing::AssertionSuccess();
}
