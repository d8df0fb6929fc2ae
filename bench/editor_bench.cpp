// Measures the editor's work on large documents: reading files of ordinary lines and of one long
// line, re-measuring them in each wrap mode, painting a full view into a memory bitmap (Windows
// only), typing at the end of a long line, deleting near the ends of a long line and of a large
// document, Select all and Delete with its undo, what typing costs the undo log, editing lines
// read from a file, copying a whole document to the clipboard and pasting text from it (Windows
// only), finding a pattern that only the end holds, Replace All of a hundred thousand matches and
// its undo, Replace All of as many matches in short lines and in one long line, moving the caret
// with the status bar showing its place (Windows only), and the memory the lines take per byte of
// file; applying a new wrap mode, font size or tab width to a read document. Each case runs in a
// process of its own, so its peak memory is its own; scripts/bench runs them all and prints the
// table.
//
// Usage: editor_bench read MB [silent] [wide] [utf8] [given] | open FILE | long MB [given] | paint | type MB | edit MB | erase MB |
//                     log | lines MB | copy MB | paste MB [own] | find MB [utf8|euc] | replace MB |
//                     replace line COUNT [euc] | replace lines COUNT | move | write MB [wide] [line] |
//                     detect MB | convert MB utf16|jis | settings MB [wide]
// "open" reads a file that is already there, as the program does, and keeps it.
// "detect" finds the code of ASCII, UTF-8 and Shift-JIS text; "convert" reads and writes UTF-16
// or JIS text, all in memory, in pieces of a megabyte as a file is read.
// "silent" leaves out the progress texts, to show what their round trips to the window cost;
// "wide" writes lines of 20 to 60 characters, mostly double-byte, instead of 20 to 60 bytes;
// "utf8" writes them in UTF-8 rather than Shift-JIS (with "wide", and for "write" too); "given"
// reads them in that code without detecting it.
// "write" only writes the file (tessary-bench.txt, in the current folder), for timing the
// program itself on it (load_timer.cpp, key_timer.cpp); "line" writes one line without a
// terminator.
#include "document/background_load.h"
#include "document/char_convert.h"
#include "document/code_convert.h"
#include "document/code_detect.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "document/text_search.h"
#include "document/text_edit.h"
#include "layout/row_layout.h"
#include "platform/characters.h"
#include "platform/platform.h"
#include "view/caret_moves.h"
#include "view/char_input.h"
#include "view/document_layout.h"
#include "view/editing.h"
#include "view/search_commands.h"
#include "view/selection.h"
#include "tests/document/code_samples.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include "app/caret_status.h"
#include "app/clipboard.h"
#include "app/edit_commands.h"
#include "app/load_status.h"
#include "app/view_settings.h"
#include "layout/paint_view.h"
#include "view/edit_view.h"
#include "view/viewport.h"
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

typedef std::chrono::steady_clock Clock;

const char FileName[] = "tessary-bench.txt";
const int ViewWidth = 1920;
const int ViewHeight = 1080;

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Japanese text as it comes: double-byte characters, a tab, ASCII and a 0x5C trail byte.
const std::string Sample = "\x82\xa0\x82\xa2\x82\xa4\tline of text \x95\x5c\x8e\xa6 0123456789 "
                           "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd abcdefghij";

// Eight bytes that no line of the sample holds: "検索" and four letters.
const char Needle[] = "\x8c\x9f\x8d\xf5Tsbz";
const int NeedleBytes = 8;
// The code the find case's file and needle are written in ("utf8" and "euc" after the size).
TextCode BenchCode = CodeShiftJis;

std::string InBenchCode(const std::string& shiftJis)
{
    std::string held;
    ConvertHeldBytes(CodeShiftJis, BenchCode, shiftJis.data(), static_cast<int>(shiftJis.size()), &held);
    return held;
}
const long PlantedNeedles = 100000;

// Japanese prose as most Japanese files hold it: double-byte characters with now and then a tab,
// an ASCII word or a number.
const std::string WideSample = "吾輩は猫である。名前はまだ無い。\tどこで生れたかとんと見当がつかぬ。何でも薄暗い"
                               "じめじめした所でニャーニャー泣いていた事だけは記憶している。Tessary 0123 吾輩はここで"
                               "始めて人間というものを見た。";

// The same prose in UTF-8, for reading a file of that code ("utf8").
const std::string WideSampleUtf8 = u8"吾輩は猫である。名前はまだ無い。\tどこで生れたかとんと見当がつかぬ。何でも薄暗い"
                                   u8"じめじめした所でニャーニャー泣いていた事だけは記憶している。Tessary 0123 吾輩はここで"
                                   u8"始めて人間というものを見た。";
bool Utf8Lines = false;

int Utf8CharacterBytes(const char* text)
{
    unsigned char b = static_cast<unsigned char>(*text);
    return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// The first characters of the wide sample, starting a few characters further in on every line.
std::string WideLine(int i)
{
    int characters = 20 + i * 7 % 41;
    const std::string& sample = Utf8Lines ? WideSampleUtf8 : WideSample;
    int (*bytes)(const char*) = Utf8Lines ? Utf8CharacterBytes : CharacterBytes;
    size_t at = 0;
    for (int skip = i % 5; skip > 0; --skip)
        at += static_cast<size_t>(bytes(sample.c_str() + at));
    size_t end = at;
    for (int n = 0; n < characters && end < sample.size(); ++n)
        end += static_cast<size_t>(bytes(sample.c_str() + end));
    return sample.substr(at, end - at);
}

// Lines of 20 to 60 bytes (or, wide, 20 to 60 characters) ended by CR LF, or one line without
// any terminator. With plantEvery, the needle starts every plantEvery-th line, a hundred
// thousand times at most; with atEnd, it ends the last line.
long WriteBenchFile(int megabytes, bool oneLine, bool wide = false, long plantEvery = 0, bool atEnd = false)
{
    FILE* file = OpenStream(FileName, "wb");
    if (file == nullptr)
        return 0;
    long target = megabytes * 1048576L;
    long bytes = 0;
    std::string chunk;
    long planted = 0;
    for (int i = 0; bytes < target; ++i) {
        std::string line = wide ? WideLine(i) : Sample.substr(0, static_cast<size_t>(20 + i * 7 % 41));
        // Never end a piece on a lead byte, which would pair with what follows.
        if (!Utf8Lines && IsLeadByte(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (plantEvery > 0 && i % plantEvery == 0 && planted < PlantedNeedles) {
            line = Needle + line;
            ++planted;
        }
        if (!oneLine)
            line += "\r\n";
        if (BenchCode != CodeShiftJis)
            line = InBenchCode(line);
        chunk += line;
        bytes += static_cast<long>(line.size());
        if (chunk.size() > 65536) {
            fwrite(chunk.data(), 1, chunk.size(), file);
            chunk.clear();
        }
    }
    if (atEnd) {
        std::string needle = InBenchCode(Needle);
        chunk += needle;
        bytes += static_cast<long>(needle.size());
    }
    fwrite(chunk.data(), 1, chunk.size(), file);
    fclose(file);
    return bytes;
}

// Peak private memory of the process so far, in bytes.
double PeakMemory()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakPagefileUsage);
#else
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024.0;
#endif
}

// Processor time the process has used so far, all threads, in ms: on a machine shared with
// other work it shows what the wall clock hides.
double ProcessorMilliseconds()
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 10000.0;
#else
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
#endif
}

// Private memory of the process now, in bytes (natively: what is resident).
double CurrentMemory()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage);
#else
    long pages = 0;
    long resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm != nullptr) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
#endif
}

#ifdef _WIN32
// The program's own status bar on this thread, fed by the program's own progress hook.
void MakeStatusBar()
{
    InitCommonControls();
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    StatusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", parent, 1);
    ConnectLoader();
    LoadRepaint = nullptr;
}

void PumpMessages()
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// The texts the worker posted and this thread has not yet set.
void DrainMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}
#else
void PumpMessages()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void DrainMessages()
{
}
#endif

bool LoadComplete = true;
// Whether the progress texts go to a status bar of the main thread, as in the program.
bool SendStatusTexts = true;
// "given": the file is read in its own code, named as a code chosen in the open dialog would be,
// so that nothing is detected.
bool CodeGiven = false;

void Finished(bool complete, unsigned long)
{
    LoadComplete = complete;
    FinishLoad();
}

struct Loaded {
    long bytes;
    double milliseconds;
    double processor;
    long lines;
    double blockBytes;
};

// Reads the file as opening it does, waiting for the worker when the file is large.
Loaded Load(long bytes, const char* path = FileName)
{
    Loaded loaded = {bytes, 0, 0, 0, 0};
    std::snprintf(View.path, sizeof View.path, "%s", path);
#ifdef _WIN32
    MakeStatusBar();
#endif
    LoadEnded = Finished;
    if (!SendStatusTexts)
        LoadProgress = nullptr;
    Clock::time_point start = Clock::now();
    double processorStart = ProcessorMilliseconds();
    unsigned long error = 0;
    TextCode code = !CodeGiven ? TextCodeCount : BenchCode;
    if (!ReadDocument(View, &error, code) || error != 0) {
        std::printf("the file could not be read\n");
        std::exit(1);
    }
    while (LoadInProgress())
        PumpMessages();
    DrainMessages();
    loaded.milliseconds = Milliseconds(start);
    loaded.processor = ProcessorMilliseconds() - processorStart;
    if (!LoadComplete)
        std::printf("the load did not complete\n");
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next) {
        ++loaded.lines;
        loaded.blockBytes += line->Capacity();
    }
    View.topLine = View.caret.line = View.firstLine;
    View.topLineIndex = View.caret.lineIndex = 0;
    View.caret.pos = 0;
    View.anchor = CaretPlace();
    if (path == FileName)
        RemoveFile(FileName);
    return loaded;
}

void SetView()
{
    CellWidth = 7;
    TabWidth = 4;
    View.clientWidth = ViewWidth;
    View.clientHeight = ViewHeight;
    View.topRow = 1;
    View.hScroll = 0;
    View.vScroll = 0;
    View.totalRows = 0;
}

// The whole document measured once, as Relayout does (the native build has no viewport).
void MeasureAll()
{
#ifdef _WIN32
    Relayout();
#else
    LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next)
        MeasureLine(*line, rect);
#endif
}

void PrintRead(const char* what, const Loaded& loaded, double before)
{
    double megabytes = loaded.bytes / 1048576.0;
    std::printf("%-28s %9.1f ms %9.1f MB/s  lines %ld (processor %.0f ms)\n", what, loaded.milliseconds,
                megabytes / (loaded.milliseconds / 1000.0), loaded.lines, loaded.processor);
    std::printf("%-28s %9.2f blocks/byte %6.2f peak/byte (peak %.0f MB)\n", "  memory", loaded.blockBytes / loaded.bytes,
                (PeakMemory() - before) / loaded.bytes, PeakMemory() / 1048576.0);
    std::printf("%-28s %9d bytes a record\n", "  line record", static_cast<int>(sizeof(TextLine)));
}

void MeasureModes(const Loaded& loaded)
{
    SetView();
    const int modes[] = {-1, 0, 80};
    const char* names[] = {"unwrapped", "at the window", "at 80 columns"};
    double megabytes = loaded.bytes / 1048576.0;
    // What any walk of the whole document costs: every record and the first byte of its block.
    Clock::time_point walked = Clock::now();
    long sum = 0;
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next)
        sum += line->length + line->text[0];
    double walkMs = Milliseconds(walked);
    std::printf("walk the lines (sum %ld)     %9.1f ms %9.2f ms/MB\n", sum % 10, walkMs, walkMs / megabytes);
    for (int i = 0; i < 3; ++i) {
        WrapMode = modes[i];
        Clock::time_point start = Clock::now();
        MeasureAll();
        double ms = Milliseconds(start);
        std::printf("relayout %-19s %9.1f ms %9.2f ms/MB\n", names[i], ms, ms / megabytes);
    }
    WrapMode = -1;
}

int ReadCase(int megabytes, bool oneLine, bool wide)
{
    long bytes = WriteBenchFile(megabytes, oneLine, wide);
    double before = PeakMemory();
    Loaded loaded = Load(bytes);
    char what[64];
    std::snprintf(what, sizeof what, "read %d MB %s%s%s", megabytes,
                  oneLine ? "one line" : wide ? "wide lines" : "of lines", Utf8Lines ? " UTF-8" : "",
                  CodeGiven ? " given" : "");
    PrintRead(what, loaded, before);
    std::printf("%-28s %9ld\n", "  status texts", SendStatusTexts ? loaded.lines / 256 : 0);
    MeasureModes(loaded);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return LoadComplete ? 0 : 1;
}

// A file of the user's read as the program reads it, its code detected, and left in place.
int OpenCase(const char* path)
{
    FILE* file = OpenStream(path, "rb");
    if (file == nullptr) {
        std::printf("%s cannot be read\n", path);
        return 1;
    }
    std::fseek(file, 0, SEEK_END);
    long bytes = std::ftell(file);
    std::fclose(file);
    double before = PeakMemory();
    Loaded loaded = Load(bytes, path);
    PrintRead("open", loaded, before);
    MeasureModes(loaded);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return LoadComplete ? 0 : 1;
}

// Applying new settings to a read document, each timed from the change until the view has
// repainted: a wrap mode, a font size and a tab width, each one way and back. The Windows build
// goes through ApplySettings with a visible edit view, as the settings dialog's OK does; the
// native build changes the values and measures the whole document, as that path does (its cells
// stand in for a font). Prints the median of three rounds of each.
#ifdef _WIN32
void ApplyChange(int wrapMode, int fontPoints, int tabWidth)
{
    StoredSettings settings = CurrentSettings();
    settings.wrapMode = wrapMode;
    settings.fontPoints = fontPoints;
    settings.tabWidth = tabWidth;
    ApplySettings(settings);
    UpdateWindow(View.hwnd);
}
#else
void ApplyChange(int wrapMode, int fontPoints, int tabWidth)
{
    WrapMode = wrapMode;
    TabWidth = tabWidth;
    FontPoints = fontPoints;
    CellHeight = fontPoints * 96 / 72 + 1;
    CellWidth = CellHeight / 2;
    DocumentGuard guard;
    MeasureDocument();
}
#endif

int SettingsCase(int megabytes, bool wide)
{
#ifdef _WIN32
    InitCommonControls();
    HWND frame = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, ViewWidth,
                                 ViewHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CreateEditWindow(frame);
    DiscardLines(View);
#endif
    long bytes = WriteBenchFile(megabytes, false, wide);
    Loaded loaded = Load(bytes);
#ifdef _WIN32
    ResetView();
    MoveWindow(View.hwnd, 0, 0, ViewWidth, ViewHeight, TRUE);
#else
    SetView();
#endif
    ApplyChange(-1, 10, 4);
    struct Step {
        const char* name;
        int wrapMode;
        int fontPoints;
        int tabWidth;
    };
    // Each step changes one setting of the one before it; the last returns to the first.
    const Step steps[] = {
        {"wrap: none to the window", 0, 10, 4},
        {"font: 10 to 12 points, wrapped", 0, 12, 4},
        {"tab: 4 to 8, wrapped", 0, 12, 8},
        {"wrap: the window to none", -1, 12, 8},
        {"font: 12 to 10 points", -1, 10, 8},
        {"tab: 8 to 4", -1, 10, 4},
    };
    const int stepCount = sizeof steps / sizeof steps[0];
    const int rounds = 3;
    double ms[stepCount][rounds];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < stepCount; ++i) {
            Clock::time_point start = Clock::now();
            ApplyChange(steps[i].wrapMode, steps[i].fontPoints, steps[i].tabWidth);
            ms[i][round] = Milliseconds(start);
        }
    }
    std::printf("settings applied to %d MB%s, %ld lines (median of %d)\n", megabytes, wide ? " wide" : "",
                loaded.lines, rounds);
    for (int i = 0; i < stepCount; ++i) {
        std::sort(ms[i], ms[i] + rounds);
        std::printf("  %-32s %9.1f ms  (%.1f to %.1f)\n", steps[i].name, ms[i][rounds / 2], ms[i][0], ms[i][rounds - 1]);
    }
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return LoadComplete ? 0 : 1;
}

#ifdef _WIN32
// A 32-bit bitmap of the view's size standing in for the window's device context.
struct MemoryView {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;

    MemoryView()
    {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info;
        std::memset(&info, 0, sizeof info);
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = ViewWidth;
        info.bmiHeader.biHeight = -ViewHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
        MakeFont(dc, 14, "FixedSys", RGB(0, 40, 0), RGB(240, 240, 255), RGB(0, 0, 255), RGB(0, 255, 0));
    }
    ~MemoryView()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    void Paint()
    {
        PAINTSTRUCT paint;
        std::memset(&paint, 0, sizeof paint);
        paint.hdc = dc;
        paint.fErase = TRUE;
        SetRect(&paint.rcPaint, 0, 0, ViewWidth, ViewHeight);
        PaintView(paint);
        GdiFlush();
    }

    // Best of a few rounds, in ms per paint.
    double TimePaint(int rounds)
    {
        Paint();
        double best = 1e9;
        for (int i = 0; i < rounds; ++i) {
            Clock::time_point start = Clock::now();
            Paint();
            best = std::min(best, Milliseconds(start));
        }
        return best;
    }
};

int PaintCase()
{
    Load(WriteBenchFile(10, false));
    SetView();
    MemoryView memory;
    SetView();
    const int modes[] = {-1, 0, 80};
    const char* names[] = {"unwrapped", "at the window", "at 80 columns"};
    // Start a screen into the document, where every row is full of text.
    for (int i = 0; i < 3; ++i) {
        WrapMode = modes[i];
        Relayout();
        View.topLine = View.firstLine;
        for (int n = 0; n < 1000; ++n)
            View.topLine = View.topLine->next;
        View.topLineIndex = 1000;
        std::printf("paint 1920x1080 %-12s %9.2f ms\n", names[i], memory.TimePaint(20));
    }
    // The same with a selection from the tenth visible line, in the middle of a row, to the end:
    // every row below it drawn on the highlight.
    TextPlace end = {View.firstLine, 0, 0};
    while (end.line->next != nullptr) {
        end.line = end.line->next;
        ++end.lineIndex;
    }
    end.pos = end.line->length;
    View.caret.line = end.line;
    View.caret.lineIndex = end.lineIndex;
    View.caret.pos = end.pos;
    View.anchor = {View.topLine, View.topLineIndex, 0};
    for (int n = 0; n < 10; ++n)
        View.anchor.line = View.anchor.line->next;
    View.anchor.lineIndex += 10;
    while (View.anchor.pos < View.anchor.line->length / 2)
        View.anchor.pos = NextCharPos(*View.anchor.line, View.anchor.pos);
    for (int i = 0; i < 3; ++i) {
        WrapMode = modes[i];
        Relayout();
        std::printf("paint 1920x1080 %-12s %9.2f ms, selected\n", names[i], memory.TimePaint(20));
    }
    WrapMode = -1;
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
}
#endif

#ifdef _WIN32
// The clipboard's side of the main window: the copied text is rendered when a program asks.
LRESULT CALLBACK ClipboardOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RENDERFORMAT: RenderClipboardFormat(static_cast<UINT>(wParam)); return 0;
    case WM_RENDERALLFORMATS: RenderAllClipboardFormats(window); return 0;
    case WM_DESTROYCLIPBOARD: ForgetClipboardText(); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* name, WNDPROC procedure)
{
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, name, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

// Another program taking the clipboard's text as UTF-16, while this thread renders it.
double TakeAsAnotherProgram(size_t* units)
{
    std::atomic<bool> done{false};
    Clock::time_point start = Clock::now();
    std::thread other([&] {
        *units = 0;
        if (OpenClipboard(nullptr)) {
            HGLOBAL block = GetClipboardData(CF_UNICODETEXT);
            if (block != nullptr) {
                *units = wcslen(static_cast<const wchar_t*>(GlobalLock(block)));
                GlobalUnlock(block);
            }
            CloseClipboard();
        }
        done = true;
    });
    while (!done)
        PumpMessages();
    other.join();
    return Milliseconds(start);
}

// The whole document selected and copied as the Copy command does it; then what another program
// waits for when it takes the text.
int CopyCase(int megabytes)
{
    Load(WriteBenchFile(megabytes, false));
    SetView();
    MainWindow = MakeWindow("Tessary bench owner", ClipboardOwnerProc);
    SelectAll();
    double before = PeakMemory();
    Clock::time_point start = Clock::now();
    bool copied = CopyCommand();
    double ms = Milliseconds(start);
    std::printf("copy %d MB of lines %17.1f ms%s (peak +%.0f MB)\n", megabytes, ms, copied ? "" : " FAILED",
                (PeakMemory() - before) / 1048576.0);
    size_t units = 0;
    ms = TakeAsAnotherProgram(&units);
    std::printf("  another program takes it %9.1f ms (%zu UTF-16 units)\n", ms, units);
    DestroyWindow(MainWindow);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return copied ? 0 : 1;
}

// MB of lines pasted into an empty document: put on the clipboard by another program as UTF-16,
// or (own) copied by this program itself, as the Copy command leaves it.
int PasteCase(int megabytes, bool own)
{
    Load(WriteBenchFile(megabytes, false));
    SetView();
    MainWindow = MakeWindow("Tessary bench owner", ClipboardOwnerProc);
    EditShown = AfterEdit;
    SelectAll();
    if (own) {
        CopyCommand();
    } else {
        std::string bytes;
        SelectedBytes("\r\n", &bytes);
        HWND other = MakeWindow("Tessary bench other program", DefWindowProcA);
        OpenClipboard(other);
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, UnicodeBlock(bytes.data(), bytes.size()));
        CloseClipboard();
        DestroyWindow(other);
    }
    DestroyLines(View.firstLine);
    View.firstLine = View.topLine = new TextLine;
    View.caret.line = View.firstLine;
    View.caret.lineIndex = 0;
    View.caret.pos = 0;
    View.anchor = CaretPlace();
    View.undo.Clear();
    SetView();
    MeasureAll();

    double before = PeakMemory();
    Clock::time_point start = Clock::now();
    bool pasted = PasteCommand();
    double ms = Milliseconds(start);
    long lines = 0;
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next)
        ++lines;
    std::printf("paste %d MB %-14s %9.1f ms%s, %ld lines (peak +%.0f MB)\n", megabytes,
                own ? "copied here" : "from UTF-16", ms, pasted ? "" : " FAILED", lines,
                (PeakMemory() - before) / 1048576.0);
    DestroyWindow(MainWindow);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return pasted ? 0 : 1;
}
#endif

// The caret at the end of one long line, the view scrolled so that it shows, as after End.
int TypeCase(int megabytes)
{
    Load(WriteBenchFile(megabytes, true));
    SetView();
    WrapMode = -1;
    View.caret.line = View.firstLine;
    View.caret.pos = View.firstLine->length;
#ifdef _WIN32
    MemoryView memory;
    SetView();
    Relayout();
#endif
    const int keys = 1000;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < keys; ++i) {
        View.hScroll = View.caret.pos - View.clientWidth / CellWidth + 2;
        InsertText("x", 1);
#ifdef _WIN32
        memory.Paint();
#endif
    }
    double ms = Milliseconds(start);
    std::printf("type at the end of %d MB line %9.3f ms per key (%d keys%s)\n", megabytes, ms / keys, keys,
#ifdef _WIN32
                ", each painted"
#else
                ""
#endif
    );
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
}

// Runs keys edits at the caret, each followed by a full paint where there is a screen, and says
// what one costs.
void TimeKeys(const char* what, int keys, bool (*edit)(bool word, unsigned long* error))
{
#ifdef _WIN32
    MemoryView memory;
    SetView();
    Relayout();
#endif
    unsigned long error = 0;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < keys; ++i) {
        edit(false, &error);
        // Scrolled as the caret is kept in view, by its real place.
        if (WrapMode < 0)
            View.hScroll = std::max(0, (PosToPoint(*View.caret.line, View.caret.pos).x - View.clientWidth) / CellWidth + 2);
#ifdef _WIN32
        memory.Paint();
#endif
    }
    std::printf("%-28s %9.3f ms per key (%d keys%s)\n", what, Milliseconds(start) / keys, keys,
#ifdef _WIN32
                ", each painted"
#else
                ""
#endif
    );
}

// Select all and Delete in a document of lines, its Undo, and what the undo log holds meanwhile;
// Backspace and Delete at the top of the document before.
int EditCase(int megabytes)
{
    double before = CurrentMemory();
    Load(WriteBenchFile(megabytes, false));
    double lines = CurrentMemory() - before;
    SetView();
    WrapMode = -1;
    MeasureAll();
    View.totalRows = 0;
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next)
        View.totalRows += line->rowCount;
    View.caret.line = View.firstLine->next->next;
    View.caret.lineIndex = 2;
    View.caret.pos = 0;
    CollapseSelection();
    TimeKeys("backspace at the top", 1000, DeleteBackward);
    MoveDocumentStart();
    CollapseSelection();
    TimeKeys("delete at the top", 1000, DeleteForward);
    View.undo.Clear();

    unsigned long error = 0;
    Clock::time_point start = Clock::now();
    SelectAll();
    ReplaceSelection("", 0, EditOther, &error);
    double deleteMs = Milliseconds(start);
    double held = CurrentMemory() - before;
    start = Clock::now();
    bool undone = UndoEdit(&error);
    double undoMs = Milliseconds(start);
    std::printf("select all and delete %d MB  %9.1f ms\n", megabytes, deleteMs);
    std::printf("  its undo%-19s %9.1f ms%s\n", "", undoMs, undone ? "" : " (failed)");
    std::printf("  memory with the log %9.0f MB, the lines took %.0f MB (%.2f)\n", held / 1048576.0,
                lines / 1048576.0, held / lines);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return undone ? 0 : 1;
}

// Backspace at the end of one long line and Delete just before its end.
int EraseCase(int megabytes)
{
    Load(WriteBenchFile(megabytes, true));
    SetView();
    WrapMode = -1;
    MeasureAll();
    View.totalRows = View.firstLine->rowCount;
    View.caret.pos = View.firstLine->length;
    CollapseSelection();
    char what[64];
    std::snprintf(what, sizeof what, "backspace at end of %d MB", megabytes);
    TimeKeys(what, 1000, DeleteBackward);
    View.caret.pos = PrevCharPos(*View.firstLine, View.firstLine->length - 2000);
    CollapseSelection();
    std::snprintf(what, sizeof what, "delete near end of %d MB", megabytes);
    TimeKeys(what, 1000, DeleteForward);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
}

// A million characters typed in lines of sixty, and what the undo log keeps of them.
int LogCase()
{
    View.firstLine = new TextLine;
    View.topLine = View.caret.line = View.firstLine;
    View.anchor = CaretPlace();
    SetView();
    unsigned long error = 0;
    Clock::time_point start = Clock::now();
    for (int typed = 0; typed < 1000000; ++typed)
        TypeByte(typed % 61 == 60 ? '\r' : 'a', &error);
    std::printf("type 1,000,000 characters    %9.1f ms, the undo log holds %.1f MB\n", Milliseconds(start),
                View.undo.Bytes() / 1048576.0);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
}
SearchPattern NeedlePattern(bool matchCase, bool wholeWord)
{
    static const std::string held = InBenchCode(Needle);
    SearchPattern pattern = {held.c_str(), static_cast<int>(held.size()), matchCase, wholeWord};
    return pattern;
}

// The needle only at the very end: every line is scanned, the best of five searches of each kind
// timed. Backwards it starts just before the needle and goes round the start to find it.
int FindCase(int megabytes)
{
    Load(WriteBenchFile(megabytes, false, false, 0, true));
    SetDocumentCode(BenchCode);
    std::printf("held as %s\n", TextCodeName(BenchCode));
    // As the end of a load does in the program.
    SetView();
    MeasureAll();
    TextPlace start = {View.firstLine, 0, 0};
    const struct {
        const char* name;
        bool matchCase;
        bool wholeWord;
    } kinds[] = {{"matching case", true, false}, {"any case", false, false}, {"whole words", true, true}};
    TextMatch match = {start, start, false};
    bool allFound = true;
    for (const auto& kind : kinds) {
        // The best of five: the machine's other work only ever adds time.
        double ms = 0;
        bool found = true;
        for (int round = 0; round < 5; ++round) {
            Clock::time_point begin = Clock::now();
            found = FindMatch(NeedlePattern(kind.matchCase, kind.wholeWord), start, true, true, &match) && found;
            double taken = Milliseconds(begin);
            ms = round == 0 || taken < ms ? taken : ms;
        }
        allFound = allFound && found && match.end.line->next == nullptr && match.end.pos == match.end.line->length;
        std::printf("find 8 bytes at the end of %d MB, %-13s %9.1f ms\n", megabytes, kind.name, ms);
    }
    TextMatch back;
    Clock::time_point begin = Clock::now();
    bool found = FindMatch(NeedlePattern(true, false), match.start, false, true, &back);
    double ms = Milliseconds(begin);
    allFound = allFound && found && back.wrapped && back.start == match.start;
    std::printf("find it backwards, round the start  %9.1f ms\n", ms);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    if (!allFound)
        std::printf("the needle was not found where it is\n");
    return allFound ? 0 : 1;
}

// A hundred thousand needles replaced with six bytes, as the Replace dialog does it, then undone.
int ReplaceCase(int megabytes)
{
    Load(WriteBenchFile(megabytes, false, false, 24));
    SetView();
    MeasureAll();
    TextPlace start = {View.firstLine, 0, 0};
    View.anchor = start;
    View.caret.lineIndex = 0;
    View.undo.Clear();
#ifdef _WIN32
    EditShown = AfterEdit;
#endif
    const char replacement[] = "\x92\x75\x8a\xb7OK";
    int replaced = 0;
    unsigned long error = 0;
    Clock::time_point begin = Clock::now();
    bool done = ReplaceAllMatches(NeedlePattern(true, false), replacement, 6, &replaced, &error);
    double ms = Milliseconds(begin);
    std::printf("replace all in %d MB: %d matches %9.1f ms (undo log %.1f MB)\n", megabytes, replaced, ms,
                View.undo.Bytes() / 1048576.0);
    begin = Clock::now();
    bool undone = UndoEdit(&error);
    ms = Milliseconds(begin);
    std::printf("undo the replace all                %9.1f ms\n", ms);
    begin = Clock::now();
    bool redone = RedoEdit(&error);
    ms = Milliseconds(begin);
    std::printf("redo it                             %9.1f ms\n", ms);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return done && undone && redone && replaced == PlantedNeedles ? 0 : 1;
}

// Replace All of "foo" by "bar" in count lines of "foo bar", or in one line holding count times
// "foo bar ": the same matches, once spread over lines and once all in one long line.
int ReplaceLinesCase(long count, bool oneLine)
{
    FILE* file = OpenStream(FileName, "wb");
    if (file == nullptr)
        return 1;
    // In EUC-JP, "漢字字字": every byte of the line is one of a pair, so only the line's start tells
    // where characters start.
    const std::string unit = BenchCode == CodeEucJp ? "\xb4\xc1\xbb\xfa\xbb\xfa\xbb\xfa" : "foo bar ";
    std::string text;
    for (long i = 0; i < count; ++i)
        text += oneLine ? unit : "foo bar\r\n";
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    CodeGiven = true;
    Load(static_cast<long>(text.size()));
    SetView();
    MeasureAll();
    View.undo.Clear();
#ifdef _WIN32
    EditShown = AfterEdit;
#endif
    bool euc = BenchCode == CodeEucJp;
    SearchPattern pattern = {euc ? "\xb4\xc1" : "foo", euc ? 2 : 3, true, false};
    int replaced = 0;
    unsigned long error = 0;
    double before = CurrentMemory();
    Clock::time_point begin = Clock::now();
    bool done = ReplaceAllMatches(pattern, euc ? "\xbb\xfa" : "bar", euc ? 2 : 3, &replaced, &error);
    double ms = Milliseconds(begin);
    std::printf("replace all in %ld %s%s: %d matches %9.1f ms (undo log %.1f MB, memory %+.1f MB)\n", count,
                oneLine ? "times in one line" : "lines", euc ? " of EUC-JP" : "", replaced, ms, View.undo.Bytes() / 1048576.0,
                (CurrentMemory() - before) / 1048576.0);
    begin = Clock::now();
    bool undone = UndoEdit(&error);
    ms = Milliseconds(begin);
    std::printf("undo the replace all                %9.1f ms\n", ms);
    begin = Clock::now();
    bool redone = RedoEdit(&error);
    ms = Milliseconds(begin);
    std::printf("redo it                             %9.1f ms (peak %.0f MB)\n", ms, PeakMemory() / 1048576.0);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return done && undone && redone && replaced == count ? 0 : 1;
}

#ifdef _WIN32
// 1,000 Down keys through the edit view's own procedure, a screen into 10 MB of lines, with and
// without the status bar following the caret; the best of a few rounds each.
int MoveCase()
{
    InitCommonControls();
    HWND frame = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, ViewWidth,
                                 ViewHeight + 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CreateEditWindow(frame);
    DiscardLines(View);
    Load(WriteBenchFile(10, false));
    StatusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", frame, 2);
    LayoutStatusParts(ViewWidth);
    ResetView();
    MoveWindow(View.hwnd, 0, 0, ViewWidth, ViewHeight, TRUE);
    const int keys = 1000;
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < 6; ++round) {
        bool status = round % 2 == 1;
        CaretMoved = status ? ShowCaretPosition : nullptr;
        View.caret.line = View.topLine = View.firstLine;
        View.caret.lineIndex = View.topLineIndex = 0;
        View.caret.pos = View.caret.x = 0;
        View.anchor = CaretPlace();
        View.vScroll = 0;
        View.topRow = 1;
        Clock::time_point begin = Clock::now();
        for (int i = 0; i < keys; ++i)
            SendMessageA(View.hwnd, WM_KEYDOWN, VK_DOWN, 0);
        double ms = Milliseconds(begin);
        best[status] = std::min(best[status], ms);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    std::printf("move down 1,000 lines, no status    %9.1f ms\n", best[0]);
    std::printf("move down 1,000 lines, status shown %9.1f ms\n", best[1]);
    // The status bar's own share: its text for 1,000 caret places, and one paint of it after each.
    double texts = 1e9;
    double painted = 1e9;
    for (int round = 0; round < 6; ++round) {
        bool paint = round % 2 == 1;
        View.caret.line = View.firstLine;
        View.caret.lineIndex = 0;
        Clock::time_point begin = Clock::now();
        for (int i = 0; i < keys; ++i) {
            View.caret.line = View.caret.line->next;
            ++View.caret.lineIndex;
            ShowCaretPosition();
            if (paint)
                UpdateWindow(StatusBar);
        }
        double ms = Milliseconds(begin);
        (paint ? painted : texts) = std::min(paint ? painted : texts, ms);
    }
    std::printf("status texts for 1,000 lines        %9.1f ms\n", texts);
    std::printf("the same, each painted              %9.1f ms\n", painted);
    CaretMoved = nullptr;
    DestroyWindow(frame);
    return 0;
}
#endif
// Puts the caret at a place of a line, with nothing selected, as a click there would.
void PutCaret(TextLine* line, int index, int pos)
{
    TextPlace place = {line, index, pos};
    PlaceCaretAt(place);
    View.anchor = place;
    EndTypingRun();
}

struct Place {
    TextLine* line;
    int index;
};

// Lines spread evenly over the document, the last first: an edit changes the numbers of the lines
// after it only, so places taken in that order stay true.
std::vector<Place> SpreadPlaces(long lines, int count)
{
    std::vector<Place> places;
    long step = lines / (count + 1);
    TextLine* line = View.firstLine;
    for (long index = 0; line != nullptr && static_cast<int>(places.size()) < count; ++index, line = line->next) {
        if (index > 0 && index % step == 0)
            places.push_back({line, static_cast<int>(index)});
    }
    std::reverse(places.begin(), places.end());
    return places;
}

// The middle of a line, on a character boundary.
int Middle(const TextLine& line)
{
    int pos = 0;
    while (pos < line.length / 2)
        pos += CharacterBytes(line.text + pos);
    return pos;
}

void PrintEdit(const char* what, Clock::time_point start, int count)
{
    double ms = Milliseconds(start);
    std::printf("%-28s %9.4f ms each (%d)\n", what, ms / count, count);
}

// Edits in a document read from a file, each through the editor's own path (undo, layout): keys
// typed into lines spread over it, Enter in their middle, Backspace at their start, a paste of ten
// lines; then one byte put into every line, to show what the lines hold once all were edited.
int LinesCase(int megabytes)
{
    long bytes = WriteBenchFile(megabytes, false);
    Loaded loaded = Load(bytes);
    SetView();
    MeasureAll();
    View.topLine = View.firstLine;
    View.topLineIndex = 0;
    const int count = 2000;
    const int keys = 5;

    Clock::time_point start = Clock::now();
    for (const Place& place : SpreadPlaces(loaded.lines, count)) {
        PutCaret(place.line, place.index, Middle(*place.line));
        for (int k = 0; k < keys; ++k)
            InsertText("x", 1);
    }
    PrintEdit("edit: type into a read line", start, count * keys);

    start = Clock::now();
    for (const Place& place : SpreadPlaces(loaded.lines, count)) {
        PutCaret(place.line, place.index, Middle(*place.line));
        InsertText("\r\n", 2);
    }
    PrintEdit("edit: Enter", start, count);

    start = Clock::now();
    for (const Place& place : SpreadPlaces(loaded.lines, count)) {
        PutCaret(place.line, place.index, 0);
        DeleteBackward(false, nullptr);
    }
    PrintEdit("edit: Backspace joining", start, count);

    std::string paste;
    for (int i = 0; i < 10; ++i)
        paste += Sample.substr(0, static_cast<size_t>(30 + i)) + "\r\n";
    start = Clock::now();
    for (const Place& place : SpreadPlaces(loaded.lines, count)) {
        PutCaret(place.line, place.index, Middle(*place.line));
        ReplaceSelection(paste.data(), static_cast<int>(paste.size()), EditOther, nullptr);
    }
    PrintEdit("edit: paste ten lines", start, count);

    // Every line once, straight through the line primitive: the undo log would otherwise hold a
    // step per line and hide what the lines take.
    View.undo.Clear();
    double held = CurrentMemory();
    start = Clock::now();
    int index = 0;
    long edited = 0;
    for (TextLine* line = View.firstLine; line != nullptr; line = line->next, ++index) {
        TextPlace at = {line, index, 0};
        TextPlace end;
        EditChange change;
        edited += ReplaceBytes(at, at, "x", 1, &end, &change);
    }
    PrintEdit("edit: one byte, every line", start, static_cast<int>(edited));
    std::printf("%-28s %9.1f MB before %9.1f MB after (%.2f/byte), peak %.1f MB\n", "  private memory",
                held / 1048576.0, CurrentMemory() / 1048576.0, CurrentMemory() / bytes, PeakMemory() / 1048576.0);
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
}

const size_t CodePiece = 1048576;

std::string Repeated(const std::string& text, int megabytes)
{
    std::string out;
    out.reserve(megabytes * 1048576L + text.size());
    while (out.size() < megabytes * 1048576UL)
        out += text;
    return out;
}

// Wall time, and the processor time the process had meanwhile: on a busy machine the second is
// the one to compare (std::clock measures it everywhere but on Windows, where it is wall time).
struct RateStart {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
};

void PrintRate(const char* what, const RateStart& start, size_t bytes)
{
    double ms = Milliseconds(start.wall);
    double cpuMs = 1000.0 * static_cast<double>(std::clock() - start.cpu) / CLOCKS_PER_SEC;
    std::printf("%-28s %9.1f ms %9.1f MB/s   processor %9.1f ms %9.1f MB/s\n", what, ms,
                bytes / 1048576.0 / (ms / 1000), cpuMs, bytes / 1048576.0 / (cpuMs / 1000));
}

int DetectCase(int megabytes)
{
    const struct {
        const char* what;
        std::string text;
        TextCode code;
    } texts[] = {
        {"detect: ASCII", Repeated("The quick brown fox jumps over the lazy dog, 0123456789.\r\n", megabytes), CodeShiftJis},
        {"detect: UTF-8 Japanese", Repeated(ProseUtf8, megabytes), CodeUtf8},
        {"detect: Shift-JIS Japanese", Repeated(ProseShiftJis, megabytes), CodeShiftJis},
        {"detect: EUC-JP Japanese", Repeated(ProseEucJp, megabytes), CodeEucJp},
    };
    for (const auto& t : texts) {
        RateStart start;
        // As a file is read: in pieces, a pass at a time.
        CodeDetector detector(t.text.size());
        do {
            for (size_t at = 0; at < t.text.size(); at += CodePiece) {
                if (!detector.Feed(t.text.data() + at, std::min(CodePiece, t.text.size() - at)))
                    break;
            }
        } while (detector.Again());
        TextCode found = detector.Result(CodeShiftJis);
        PrintRate(t.what, start, t.text.size());
        if (found != t.code) {
            std::printf("  found %s instead of %s\n", TextCodeName(found), TextCodeName(t.code));
            return 1;
        }
    }
    return 0;
}

template <class Coder>
std::string ConvertInPieces(Coder& coder, const std::string& in)
{
    std::string out;
    out.reserve(in.size() * 2);
    std::vector<char> buffer(coder.MaxOutput(CodePiece) + JisDecoder::RunLimit * 2 + 64);
    for (size_t at = 0; at < in.size(); at += CodePiece) {
        size_t n = std::min(CodePiece, in.size() - at);
        out.append(buffer.data(), coder.Feed(in.data() + at, n, buffer.data()));
    }
    out.append(buffer.data(), coder.Finish(buffer.data()));
    return out;
}

// Converts in pieces into one buffer that each piece reuses, as the loader hands each piece on,
// so that the time is the coder's and not that of a growing copy; returns a sum of the bytes
// made, which keeps the work from being left out.
template <class Coder>
size_t TimeInPieces(Coder& coder, const std::string& in, const char* what)
{
    std::vector<char> buffer(coder.MaxOutput(CodePiece) + JisDecoder::RunLimit * 2 + 64);
    size_t sum = 0;
    RateStart start;
    for (size_t at = 0; at < in.size(); at += CodePiece) {
        size_t made = coder.Feed(in.data() + at, std::min(CodePiece, in.size() - at), buffer.data());
        sum += made + static_cast<unsigned char>(buffer[made / 2]);
    }
    sum += coder.Finish(buffer.data());
    PrintRate(what, start, in.size());
    return sum;
}

int ConvertCase(int megabytes, bool jis)
{
    TextCode code = jis ? CodeJis : CodeUtf16Le;
    std::string held = Repeated(jis ? ProseEucJp : ProseUtf8, megabytes);
    TextEncoder maker(code);
    std::string file = ConvertInPieces(maker, held);

    TextDecoder timedDecoder(code);
    size_t sum = TimeInPieces(timedDecoder, file, jis ? "convert: read JIS" : "convert: read UTF-16");
    TextEncoder timedEncoder(code, timedDecoder.HadBom());
    sum += TimeInPieces(timedEncoder, held, jis ? "convert: write JIS" : "convert: write UTF-16");

    TextDecoder decoder(code);
    std::string read = ConvertInPieces(decoder, file);
    TextEncoder encoder(code, decoder.HadBom());
    std::string written = ConvertInPieces(encoder, read);
    if (sum == 0 || read != held || written != file) {
        std::printf("  the text did not come back\n");
        return 1;
    }
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: editor_bench read MB [silent] [wide] [utf8] [given] | open FILE | long MB [given] | paint | type MB | edit MB | erase MB | "
                    "log | lines MB | copy MB | paste MB [own] | find MB [utf8|euc] | replace MB | replace line[s] COUNT [euc] | "
                    "move | write MB [wide] [line] | detect MB | convert MB utf16|jis | settings MB [wide]\n");
        return 2;
    }
    std::string what = argv[1];
    int megabytes = argc > 2 ? std::atoi(argv[2]) : 10;
    bool wide = false;
    bool oneLine = false;
    for (int i = 3; i < argc; ++i) {
        SendStatusTexts = SendStatusTexts && std::strcmp(argv[i], "silent") != 0;
        wide = wide || std::strcmp(argv[i], "wide") == 0;
        oneLine = oneLine || std::strcmp(argv[i], "line") == 0;
        CodeGiven = CodeGiven || std::strcmp(argv[i], "given") == 0;
        if (std::strcmp(argv[i], "utf8") == 0)
            BenchCode = CodeUtf8;
        if (std::strcmp(argv[i], "euc") == 0)
            BenchCode = CodeEucJp;
        Utf8Lines = Utf8Lines || std::strcmp(argv[i], "utf8") == 0;
    }
    if (what == "read")
        return ReadCase(megabytes, false, wide);
    if (what == "long")
        return ReadCase(megabytes, true, false);
    if (what == "open")
        return OpenCase(argv[2]);
    if (what == "type")
        return TypeCase(megabytes);
    if (what == "edit")
        return EditCase(megabytes);
    if (what == "erase")
        return EraseCase(megabytes);
    if (what == "log")
        return LogCase();
    if (what == "find")
        return FindCase(megabytes);
    if (what == "replace" && argc > 3 && (std::strcmp(argv[2], "line") == 0 || std::strcmp(argv[2], "lines") == 0))
        return ReplaceLinesCase(std::atol(argv[3]), std::strcmp(argv[2], "line") == 0);
    if (what == "replace")
        return ReplaceCase(megabytes);
    if (what == "lines")
        return LinesCase(megabytes);
    if (what == "settings")
        return SettingsCase(megabytes, wide);
    if (what == "write")
        return WriteBenchFile(megabytes, oneLine, wide) > 0 ? 0 : 1;
    if (what == "detect")
        return DetectCase(megabytes);
    if (what == "convert")
        return ConvertCase(megabytes, argc > 3 && std::strcmp(argv[3], "jis") == 0);
#ifdef _WIN32
    if (what == "paint")
        return PaintCase();
    if (what == "copy")
        return CopyCase(megabytes);
    if (what == "paste")
        return PasteCase(megabytes, argc > 3 && std::strcmp(argv[3], "own") == 0);
    if (what == "move")
        return MoveCase();
#endif
    std::printf("unknown case %s\n", what.c_str());
    return 2;
}
