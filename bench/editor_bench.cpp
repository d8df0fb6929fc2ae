// Measures the editor's work on large documents: reading files of ordinary lines and of one long
// line, re-measuring them in each wrap mode, painting a full view into a memory bitmap (Windows
// only), typing at the end of a long line, editing lines read from a file, and the memory the
// lines take per byte of file. Each case runs in a process of its own, so its peak memory is its
// own; scripts/bench runs them all and prints the table.
//
// Usage: editor_bench read MB [silent] [wide] | long MB | paint | type MB | edit MB | write MB [wide]
// "silent" leaves out the progress texts, to show what their round trips to the window cost;
// "wide" writes lines of 20 to 60 characters, mostly double-byte, instead of 20 to 60 bytes.
// "write" only writes the file (tessary-bench.txt, in the current folder), for timing the
// program itself on it (load_timer.cpp).
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "document/text_edit.h"
#include "layout/row_layout.h"
#include "platform/characters.h"
#include "platform/platform.h"
#include "view/char_input.h"
#include "view/editing.h"
#include "view/selection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include "app/load_status.h"
#include "layout/paint_view.h"
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

// Japanese prose as most Japanese files hold it: double-byte characters with now and then a tab,
// an ASCII word or a number.
const std::string WideSample = "吾輩は猫である。名前はまだ無い。\tどこで生れたかとんと見当がつかぬ。何でも薄暗い"
                               "じめじめした所でニャーニャー泣いていた事だけは記憶している。Tessary 0123 吾輩はここで"
                               "始めて人間というものを見た。";

// The first characters of the wide sample, starting a few characters further in on every line.
std::string WideLine(int i)
{
    int characters = 20 + i * 7 % 41;
    size_t at = 0;
    for (int skip = i % 5; skip > 0; --skip)
        at += static_cast<size_t>(CharacterBytes(WideSample.c_str() + at));
    size_t end = at;
    for (int n = 0; n < characters && end < WideSample.size(); ++n)
        end += static_cast<size_t>(CharacterBytes(WideSample.c_str() + end));
    return WideSample.substr(at, end - at);
}

// Lines of 20 to 60 bytes (or, wide, 20 to 60 characters) ended by CR LF, or one line without
// any terminator.
long WriteBenchFile(int megabytes, bool oneLine, bool wide = false)
{
    FILE* file = OpenStream(FileName, "wb");
    if (file == nullptr)
        return 0;
    long target = megabytes * 1048576L;
    long bytes = 0;
    std::string chunk;
    for (int i = 0; bytes < target; ++i) {
        std::string line = wide ? WideLine(i) : Sample.substr(0, static_cast<size_t>(20 + i * 7 % 41));
        // Never end a piece on a lead byte, which would pair with what follows.
        if (IsLeadByte(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (!oneLine)
            line += "\r\n";
        chunk += line;
        bytes += static_cast<long>(line.size());
        if (chunk.size() > 65536) {
            fwrite(chunk.data(), 1, chunk.size(), file);
            chunk.clear();
        }
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
Loaded Load(long bytes)
{
    Loaded loaded = {bytes, 0, 0, 0, 0};
    std::strcpy(View.path, FileName);
#ifdef _WIN32
    MakeStatusBar();
#endif
    LoadEnded = Finished;
    if (!SendStatusTexts)
        LoadProgress = nullptr;
    Clock::time_point start = Clock::now();
    double processorStart = ProcessorMilliseconds();
    unsigned long error = 0;
    if (!ReadDocument(View, &error) || error != 0) {
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
    View.caret.pos = 0;
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
    std::snprintf(what, sizeof what, "read %d MB %s", megabytes, oneLine ? "one line" : wide ? "wide lines" : "of lines");
    PrintRead(what, loaded, before);
    std::printf("%-28s %9ld\n", "  status texts", SendStatusTexts ? loaded.lines / 256 : 0);
    MeasureModes(loaded);
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
        std::printf("paint 1920x1080 %-12s %9.2f ms\n", names[i], memory.TimePaint(20));
    }
    WrapMode = -1;
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
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
int EditCase(int megabytes)
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

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: editor_bench read MB [silent] [wide] | long MB | paint | type MB | edit MB | write MB [wide]\n");
        return 2;
    }
    std::string what = argv[1];
    int megabytes = argc > 2 ? std::atoi(argv[2]) : 10;
    bool wide = false;
    for (int i = 3; i < argc; ++i) {
        SendStatusTexts = SendStatusTexts && std::strcmp(argv[i], "silent") != 0;
        wide = wide || std::strcmp(argv[i], "wide") == 0;
    }
    if (what == "read")
        return ReadCase(megabytes, false, wide);
    if (what == "long")
        return ReadCase(megabytes, true, false);
    if (what == "type")
        return TypeCase(megabytes);
    if (what == "edit")
        return EditCase(megabytes);
    if (what == "write")
        return WriteBenchFile(megabytes, false, wide) > 0 ? 0 : 1;
#ifdef _WIN32
    if (what == "paint")
        return PaintCase();
#endif
    std::printf("unknown case %s\n", what.c_str());
    return 2;
}
