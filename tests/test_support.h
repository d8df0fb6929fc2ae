// Small helpers shared by the tests: the editor's state reset to how the process starts, line
// lists from and to strings, files from and to bytes, and a fresh folder for each test that
// touches the disk.
#pragma once
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "platform/platform.h"
#include "view/char_input.h"
#include "view/editing.h"

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include "app/open_document.h"
#include "layout/paint_view.h"
#include "platform/win32_hooks.h"
#include "view/viewport.h"
#include <windows.h>
#else
#include "platform/test_hooks.h"
#include <cstdlib>
#include <dirent.h>
#endif

#include <cstring>

// Puts the editor back as the process starts, for a fixture's SetUp and TearDown: destroys the
// lines, releases the font and brushes, gives every field of the record its fresh value, and
// resets the settings, the window handles and the hooks. Windows are not destroyed here; a
// fixture that made them destroys them first. A load must have ended before this runs.
inline void ResetEditor()
{
    DiscardLines(View);
    ReleaseViewResources(View);
    View = EditView();
    CellWidth = 7;
    CellHeight = 14;
    WrapMode = -1;
    TabWidth = 4;
    std::strcpy(FontFace, DefaultSettings().fontFace);
    FontPoints = DefaultSettings().fontPoints;
    DefaultCode = CodeShiftJis;
    LineEndingSetting = 0;
    MainWindow = nullptr;
    MainMenu = nullptr;
    ToolBar = nullptr;
    StatusBar = nullptr;
    AppInstance = nullptr;
    DocumentChanged = nullptr;
    TypedCharactersReplaced = nullptr;
    EditStateChanged = nullptr;
    LoadRepaint = nullptr;
    LoadProgress = nullptr;
    LoadEnded = nullptr;
#ifdef _WIN32
    DocumentShown = nullptr;
    // Null rather than the real start: a test that opens a further instance without watching
    // for it fails at once instead of starting programs.
    StartProgram = nullptr;
    ReplaceFileCall = ReplaceFileA;
    SetScrollInfoCall = SetScrollInfo;
    ChooseFontCall = ChooseFontA;
    ChooseColorCall = ChooseColorA;
    PrintDialogCall = PrintDlgExA;
    DialogErrorCall = CommDlgExtendedError;
    DpiForWindowCall = SystemDpiForWindow;
#else
    ResetTestHooks();
#endif
}

#ifdef _WIN32
// The cell of 7 x 14 px that FixedSys at 14 px gives, for tests whose expectations are pixel
// places in that cell rather than in the settings' font; the document is measured again in it.
inline void UseCellsOf7By14()
{
    HDC dc = GetDC(View.hwnd);
    MakeFont(dc, 14, "FixedSys", View.textColor, View.backColor, View.commentColor, View.keywordColor);
    ReleaseDC(View.hwnd, dc);
    if (View.hwnd != nullptr)
        Relayout();
}
#endif

// How file bytes become lines: LF, CR and CR LF each end one, a zero byte is kept as '*'. Every
// reader of documents must give these lines.
struct ReadingRow {
    std::string bytes;
    std::vector<std::string> lines;
};

inline std::vector<ReadingRow> ReadingTable()
{
    return {
        {"", {""}},
        {"abc", {"abc"}},
        {"abc\n", {"abc", ""}},
        {"abc\r\n", {"abc", ""}},
        {"abc\r", {"abc"}},
        {"a\rb", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\n", {"a", "", ""}},
        {std::string("a\0b", 3), {"a*b"}},
    };
}

inline std::vector<std::string> LinesOf(const TextLine* first)
{
    std::vector<std::string> lines;
    for (const TextLine* line = first; line != nullptr; line = line->next)
        lines.push_back(std::string(line->text, static_cast<size_t>(line->length)));
    return lines;
}

// The line index steps along next from first; the list must be that long.
inline TextLine* LineAt(TextLine* first, int index)
{
    while (index-- > 0)
        first = first->next;
    return first;
}

// Builds a linked list of lines; the caller destroys it with DestroyLines.
inline TextLine* MakeLines(const std::vector<std::string>& texts)
{
    TextLine* first = nullptr;
    TextLine* last = nullptr;
    for (const std::string& text : texts) {
        TextLine* line = new TextLine;
        for (char b : text)
            line->AppendByte(b);
        if (last == nullptr)
            first = line;
        else
            last->InsertAfter(line);
        last = line;
    }
    return first;
}

inline bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = OpenStream(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

inline std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    FILE* file = OpenStream(path.c_str(), "rb");
    if (file == nullptr)
        return "<missing>";
    int b;
    while ((b = fgetc(file)) != EOF)
        bytes += static_cast<char>(b);
    fclose(file);
    return bytes;
}

inline bool EntryExists(const std::string& path)
{
    bool directory = false;
    return FindEntry(path.c_str(), &directory);
}

inline bool DirectoryExists(const std::string& path)
{
    bool directory = false;
    return FindEntry(path.c_str(), &directory) && directory;
}

// A new empty folder, named in the program's form (backslash separators), without a trailing
// separator.
inline std::string NewTempFolder()
{
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    char name[MAX_PATH];
    GetTempFileNameA(base, "tst", 0, name);
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    return name;
#else
    char pattern[] = "/tmp/tessary-test-XXXXXX";
    return mkdtemp(pattern) != nullptr ? pattern : "";
#endif
}

// Lists the entries of a folder (names only), so tests can see stray files.
inline std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
#else
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
#endif
    return names;
}
