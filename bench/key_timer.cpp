// Times keys in the release Tessary.exe as a user presses them: starts the program on a file,
// waits until the load is finished, makes its window 1280 x 960 and the foreground window, then
// sends keys through the system's input queue (SendInput) and measures, per key, the wall time
// until the program has handled the key and painted everything it invalidated. For each run of
// keys it prints the median and the longest key, their sum, the processor time the program used
// while handling them (user and kernel, from GetProcessTimes) and its peak private memory so far.
// A mouse drag below the window measures the scrolling of a drag per tick of its timer. Then it
// ends the program. Windows only. Fifty letters are also sent in one call, as a fast typist's keys
// queue up, and timed until the last shows and is painted.
//
// Usage: key_timer PROGRAM FILE [wrap] [end] [loading]
//   wrap     wraps at the window's edge (the 表示 menu's command) before the keys; else no wrap
//   end      the keys that edit are pressed at the end of the document (Ctrl+End first), as in
//            a file of one long line
//   loading  first presses keys at the top while the file still loads, then the usual ones
//
// When is a key done? Everything a key does in the program happens on its window thread: the
// key's messages (WM_KEYDOWN, the WM_CHAR that TranslateMessage posts, WM_KEYUP) come first,
// and a thread is given WM_PAINT only once no sent, posted or input message is waiting. So a key
// is done once its handler has run, every window of the thread has been painted, and the paint
// has returned. From outside, with calls that work across processes under Wine:
//   (1) handled: the caret's rectangle (GetGUIThreadInfo) moved, or the caret's line and column
//       in the status bar changed (read with SB_GETTEXTA into memory allocated in the program;
//       WM_GETTEXT only gives part 0). Every key here moves the caret. While a file loads the
//       status bar shows no place, and only keys that move the caret's rectangle are used.
//   (2) nothing left to paint: GetUpdateRect is FALSE for the main window and each of its
//       descendants (the edit view, the status bar, the toolbar). A region goes when BeginPaint
//       takes it, not when the paint ends, so this alone is not enough;
//   (3) then a SendMessageTimeout(WM_NULL) to the edit view returns: a sent message is served
//       only when the thread next looks at its queue, so the handler and any paint under way
//       have returned;
//   (4) and GetUpdateRect is still FALSE everywhere: nothing new was invalidated meanwhile.
// The key's time runs from just before SendInput to (4). GetScrollInfo is not used: it does not
// work across processes under Wine. At the start the benchmark checks that it sees an update
// region it makes itself (InvalidateRect of the edit view while the program sleeps); when it
// cannot, it measures nothing. The signals are polled every quarter of a millisecond
// (NtDelayExecution; Sleep would round to a millisecond); the status bar, whose reading takes the
// program's thread a moment, only every 2 ms or after a region came and went. A key that shows
// no effect within ten seconds ends its run, which is then reported as not measured.
//
// With TESSARY_DAMAGE_PORT set, a key is timed from the X server's side instead: damage_watch
// (bench/damage_watch.cpp, a Linux program scripts/bench starts on that port) is told the
// program's X window, the clock starts just before SendInput, and the key ends with the last
// drawing on the screen after which nothing is drawn for QuietMs. Wine copies a window's drawing
// to the screen when its thread goes idle, so that is the moment the key was handled, painted
// and the program idle, and nothing here asks Wine's server anything while the key is handled
// (the polling above competes with the program for the server and the processors, and sees the
// end of a key only a millisecond or two after it). Whether the key had its effect is checked
// afterwards as above.
//
// Processor time comes from the system's per-process accounting, which under Wine has the
// kernel's granularity (10 ms): sums over a run of keys are meaningful, single keys are not.
#include <winsock2.h>

#include "bench/program_window.h"
#include "document/background_load.h"
#include "resources/resource_ids.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int WindowWidth = 1280;
const int WindowHeight = 960;
const double KeyLimit = 10;
const double DragSeconds = 2.5;

// The program being timed.
PROCESS_INFORMATION Process;
HWND MainWindow = nullptr;
HWND ViewWindow = nullptr;
HWND StatusBar = nullptr;
std::vector<HWND> Windows;
// Where the status bar copies its text for us, inside the program's memory.
void* RemoteText = nullptr;
const SIZE_T RemoteTextSize = 256;

// The connection to damage_watch; INVALID_SOCKET when keys are timed by polling.
SOCKET Damage = INVALID_SOCKET;
const int QuietMs = 25;
const int QuietMsAtOnce = 150;

typedef LONG(NTAPI* DelayFunction)(BOOLEAN alertable, PLARGE_INTEGER interval);

void Pause()
{
    static DelayFunction delay = reinterpret_cast<DelayFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
    LARGE_INTEGER interval;
    interval.QuadPart = -2500;
    if (delay != nullptr)
        delay(FALSE, &interval);
    else
        Sleep(1);
}

double Milliseconds(Clock::time_point since)
{
    return 1000 * Seconds(since);
}

double ProcessorMilliseconds()
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(Process.hProcess, &created, &ended, &kernel, &user))
        return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return (k.QuadPart + u.QuadPart) / 10000.0;
}

double PeakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(Process.hProcess, &counters, sizeof counters);
    return counters.PeakPagefileUsage / 1048576.0;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM)
{
    Windows.push_back(window);
    return TRUE;
}

bool RoundTrip()
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(ViewWindow, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

bool AnyUpdateRegion()
{
    for (HWND window : Windows) {
        if (GetUpdateRect(window, nullptr, FALSE))
            return true;
    }
    return false;
}

// The caret's line and column as the status bar shows them; empty while a file loads.
std::string Position()
{
    DWORD_PTR result = 0;
    char text[RemoteTextSize] = "";
    SIZE_T read = 0;
    if (!SendMessageTimeoutA(StatusBar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(RemoteText), SMTO_NORMAL, 10000,
                             &result) ||
        !ReadProcessMemory(Process.hProcess, RemoteText, text, sizeof text - 1, &read))
        return std::string();
    text[sizeof text - 1] = 0;
    return text;
}

int PositionLine(const std::string& position)
{
    return std::atoi(position.c_str());
}

// The column of "line 行, column 桁"; -1 when there is none.
int PositionColumn(const std::string& position)
{
    size_t comma = position.find(", ");
    return comma == std::string::npos ? -1 : std::atoi(position.c_str() + comma + 2);
}

RECT CaretRect()
{
    GUITHREADINFO info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    RECT none = {-1, -1, -1, -1};
    if (!GetGUIThreadInfo(Process.dwThreadId, &info) || info.hwndCaret != ViewWindow)
        return none;
    return info.rcCaret;
}

struct Shown {
    std::string position;
    RECT caret;
};

Shown Observe()
{
    Shown shown;
    shown.position = Position();
    shown.caret = CaretRect();
    return shown;
}

// Waits until the program has nothing left to paint and has finished painting (the region goes
// when a paint begins; the round trip ends after it); false when that does not happen within the
// limit.
bool Settle()
{
    Clock::time_point start = Clock::now();
    while (Seconds(start) < KeyLimit) {
        if (!AnyUpdateRegion() && RoundTrip() && !AnyUpdateRegion())
            return true;
        Pause();
    }
    return false;
}

// Milliseconds from start until the key whose effect shows as a change from before was handled
// and painted (see the top of the file), or -1.
double WaitUntilDone(const Shown& before, Clock::time_point start)
{
    bool handled = false;
    bool sawRegion = false;
    Clock::time_point lastRead = start;
    while (Seconds(start) < KeyLimit) {
        Pause();
        if (!handled) {
            RECT caret = CaretRect();
            if (!EqualRect(&caret, &before.caret)) {
                handled = true;
            } else if (AnyUpdateRegion()) {
                sawRegion = true;
                continue;
            } else if (sawRegion || Seconds(lastRead) > 0.002) {
                sawRegion = false;
                lastRead = Clock::now();
                std::string position = Position();
                handled = !position.empty() && position != before.position;
            }
            if (!handled)
                continue;
        }
        // The region goes when the paint begins, and the round trip ends after the paint.
        if (AnyUpdateRegion())
            continue;
        if (!RoundTrip())
            return -1;
        if (AnyUpdateRegion())
            continue;
        return Milliseconds(start);
    }
    return -1;
}

// Sends a command to damage_watch and returns its answer's line; empty when the connection failed.
std::string DamageCommand(const std::string& command)
{
    std::string line = command + "\n";
    if (send(Damage, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size()))
        return std::string();
    std::string answer;
    char c;
    while (recv(Damage, &c, 1, 0) == 1) {
        if (c == '\n')
            return answer;
        answer += c;
    }
    return std::string();
}

bool ConnectDamage(const char* program)
{
    const char* port = std::getenv("TESSARY_DAMAGE_PORT");
    WSADATA data;
    if (port == nullptr || WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    Damage = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    BOOL on = TRUE;
    setsockopt(Damage, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    if (Damage == INVALID_SOCKET || connect(Damage, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Damage = INVALID_SOCKET;
        return false;
    }
    // Wine names a window's X class after its program's file.
    const char* name = program;
    for (const char* p = program; *p != 0; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    std::string answer = DamageCommand(std::string("WINDOW ") + name);
    if (answer.compare(0, 3, "OK ") != 0 || std::atoi(answer.c_str() + 3) < 1) {
        closesocket(Damage);
        Damage = INVALID_SOCKET;
        return false;
    }
    return true;
}

// Milliseconds from the mark to the last drawing on the screen, once QuietMs passed without
// one, or -1 when nothing was drawn within the limit.
double WaitForDrawing(int quietMs)
{
    char command[64];
    std::snprintf(command, sizeof command, "WAIT %d %d", quietMs, static_cast<int>(KeyLimit * 1000));
    std::string answer = DamageCommand(command);
    int drawings = 0;
    long long microseconds = -1;
    if (std::sscanf(answer.c_str(), "%d %lld", &drawings, &microseconds) != 2 || drawings == 0)
        return -1;
    return microseconds / 1000.0;
}

bool Changed(const Shown& before)
{
    Shown now = Observe();
    return !EqualRect(&now.caret, &before.caret) || (!now.position.empty() && now.position != before.position);
}

struct Key {
    WORD code;
    bool shift;
    bool control;
};

bool Extended(WORD code)
{
    return code == VK_PRIOR || code == VK_NEXT || code == VK_END || code == VK_HOME || code == VK_LEFT ||
           code == VK_UP || code == VK_RIGHT || code == VK_DOWN || code == VK_DELETE || code == VK_INSERT;
}

void AddKey(std::vector<INPUT>& inputs, WORD code, bool up)
{
    INPUT input;
    std::memset(&input, 0, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (Extended(code) ? KEYEVENTF_EXTENDEDKEY : 0);
    inputs.push_back(input);
}

bool Send(std::vector<INPUT>& inputs)
{
    UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

bool Press(const Key& key)
{
    std::vector<INPUT> inputs;
    if (key.control)
        AddKey(inputs, VK_CONTROL, false);
    if (key.shift)
        AddKey(inputs, VK_SHIFT, false);
    AddKey(inputs, key.code, false);
    AddKey(inputs, key.code, true);
    if (key.shift)
        AddKey(inputs, VK_SHIFT, true);
    if (key.control)
        AddKey(inputs, VK_CONTROL, true);
    return Send(inputs);
}

// The pointer to a point on the screen, with the button going down or up there when asked.
bool Mouse(POINT at, DWORD button)
{
    std::vector<INPUT> inputs(1);
    std::memset(&inputs[0], 0, sizeof inputs[0]);
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    inputs[0].mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    return Send(inputs);
}

struct Run {
    std::string name;
    std::vector<double> keys;
    double processor = 0;
    bool complete = true;
};

// Presses the key and waits until it is done; adds its time to run when run is given.
bool PressAndTime(const Key& key, Run* run)
{
    Shown before = Observe();
    double processor = ProcessorMilliseconds();
    double took = -1;
    if (Damage != INVALID_SOCKET) {
        if (DamageCommand("MARK") == "OK" && Press(key)) {
            took = WaitForDrawing(QuietMs);
            if (took >= 0 && !Changed(before))
                took = -1;
        }
    } else {
        Clock::time_point start = Clock::now();
        took = Press(key) ? WaitUntilDone(before, start) : -1;
    }
    if (run == nullptr)
        return took >= 0;
    run->processor += ProcessorMilliseconds() - processor;
    if (took < 0) {
        run->complete = false;
        return false;
    }
    run->keys.push_back(took);
    return true;
}

bool PressUntimed(const Key& key)
{
    return PressAndTime(key, nullptr);
}

Key Letter(int i)
{
    Key key = {static_cast<WORD>('A' + i % 26), false, false};
    return key;
}

Key Plain(WORD code)
{
    Key key = {code, false, false};
    return key;
}

Key Control(WORD code)
{
    Key key = {code, false, true};
    return key;
}

Key Shifted(WORD code)
{
    Key key = {code, true, false};
    return key;
}

void PrintHeader()
{
    std::printf("%-34s %5s %9s %9s %9s %9s %8s\n", "keys", "count", "median ms", "max ms", "total ms", "CPU ms",
                "peak MB");
}

void PrintRun(Run& run)
{
    if (!run.complete || run.keys.empty()) {
        std::printf("%-34s %5zu  not measured: a key showed no effect within %.0f s\n", run.name.c_str(),
                    run.keys.size(), KeyLimit);
        return;
    }
    std::vector<double> sorted = run.keys;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (double key : sorted)
        total += key;
    size_t n = sorted.size();
    double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    std::printf("%-34s %5zu %9.2f %9.2f %9.1f %9.0f %8.0f\n", run.name.c_str(), n, median, sorted.back(), total,
                run.processor, PeakMegabytes());
}

// Times count presses of one key after the untimed setup keys.
void TimeKeys(const char* name, const Key& key, int count, const std::vector<Key>& setup = std::vector<Key>())
{
    Run run;
    run.name = name;
    for (const Key& first : setup) {
        if (!PressUntimed(first)) {
            run.complete = false;
            break;
        }
    }
    for (int i = 0; run.complete && i < count; ++i)
        PressAndTime(key, &run);
    Settle();
    PrintRun(run);
}

void TimeTyping(const char* name, int count)
{
    Run run;
    run.name = name;
    for (int i = 0; run.complete && i < count; ++i)
        PressAndTime(Letter(i), &run);
    Settle();
    PrintRun(run);
}

// The letters sent in one SendInput, as a fast typist's keys queue up before the program gets
// to them: timed until the caret's column shows the last one and the window has painted. The
// status bar is read at most every 2 ms, since each reading is a message the program must serve
// between the keys.
void TimeTypingAtOnce(const char* name, int count)
{
    Run run;
    run.name = name;
    // The last run's place may still be on its way to the status bar: the column is read until
    // two readings a while apart agree.
    int column = PositionColumn(Position());
    for (int i = 0; i < 20; ++i) {
        Sleep(20);
        int again = PositionColumn(Position());
        if (again == column)
            break;
        column = again;
    }
    std::vector<INPUT> inputs;
    for (int i = 0; i < count; ++i) {
        AddKey(inputs, Letter(i).code, false);
        AddKey(inputs, Letter(i).code, true);
    }
    double processor = ProcessorMilliseconds();
    Clock::time_point start = Clock::now();
    double took = -1;
    bool typed = false;
    Clock::time_point lastRead = start;
    if (Damage != INVALID_SOCKET) {
        if (column > 0 && DamageCommand("MARK") == "OK" && Send(inputs)) {
            took = WaitForDrawing(QuietMsAtOnce);
            if (PositionColumn(Position()) != column + count)
                took = -1;
        }
    }
    bool sent = Damage == INVALID_SOCKET && column > 0 && Send(inputs);
    while (sent && Seconds(start) < KeyLimit) {
        Pause();
        if (AnyUpdateRegion())
            continue;
        if (!typed) {
            if (Seconds(lastRead) < 0.002)
                continue;
            lastRead = Clock::now();
            typed = PositionColumn(Position()) == column + count;
            if (!typed)
                continue;
        }
        if (!RoundTrip())
            break;
        if (AnyUpdateRegion())
            continue;
        took = Milliseconds(start);
        break;
    }
    run.processor = ProcessorMilliseconds() - processor;
    if (took < 0)
        run.complete = false;
    else
        run.keys.push_back(took);
    Settle();
    PrintRun(run);
}

// Ctrl+Z of a run of ten typed letters, ten times; only the undo is timed.
void TimeUndo()
{
    Run run;
    run.name = "Ctrl+Z of 10 typed letters";
    for (int i = 0; run.complete && i < 10; ++i) {
        for (int j = 0; run.complete && j < 10; ++j)
            run.complete = PressUntimed(Letter(j));
        if (run.complete)
            PressAndTime(Control('Z'), &run);
    }
    Settle();
    PrintRun(run);
}

// A drag from the text to below the edit view, held there while the view scrolls on the drag's
// timer: each change of the caret's place is one tick. Prints the ticks, the lines per tick,
// the time between ticks (the timer's interval when a tick costs less) and the processor time
// per tick.
void TimeDrag()
{
    const char name[] = "drag below the view, per tick";
    RECT client;
    POINT origin = {0, 0};
    RECT caret = CaretRect();
    int row = caret.bottom > caret.top ? caret.bottom - caret.top : 14;
    if (!PressUntimed(Control(VK_HOME)) || !GetClientRect(ViewWindow, &client) || !ClientToScreen(ViewWindow, &origin)) {
        std::printf("%-34s not measured: no place to start\n", name);
        return;
    }
    POINT inText = {origin.x + client.right / 2, origin.y + 3 * row + row / 2};
    POINT below = {inText.x, origin.y + client.bottom + 3 * row + row / 2};
    if (below.y >= GetSystemMetrics(SM_CYSCREEN)) {
        std::printf("%-34s not measured: the screen ends below the view\n", name);
        return;
    }
    Shown before = Observe();
    Mouse(inText, MOUSEEVENTF_LEFTDOWN);
    bool pressed = WaitUntilDone(before, Clock::now()) >= 0;
    before = Observe();
    Mouse(below, 0);
    bool moved = pressed && WaitUntilDone(before, Clock::now()) >= 0;
    std::vector<double> ticks;
    std::vector<double> processor;
    std::vector<int> lines;
    Clock::time_point start = Clock::now();
    std::string last = Position();
    while (moved && Seconds(start) < DragSeconds) {
        Sleep(1);
        std::string position = Position();
        if (position != last) {
            ticks.push_back(Milliseconds(start));
            processor.push_back(ProcessorMilliseconds());
            lines.push_back(PositionLine(position));
            last = position;
        }
    }
    Mouse(below, MOUSEEVENTF_LEFTUP);
    Settle();
    // A tick shows only as a new line or column of the caret; in a wrapped long line the
    // caret moves down rows of one line and stays in the same column, and nothing changes.
    if (ticks.size() < 10) {
        std::printf("%-34s not measured: the caret's line and column changed on %zu ticks only\n", name,
                    ticks.size());
        return;
    }
    // From the first tick to the last: once the view reaches the end, the timer ticks on
    // without moving anything.
    std::vector<double> intervals;
    for (size_t i = 1; i < ticks.size(); ++i)
        intervals.push_back(ticks[i] - ticks[i - 1]);
    std::sort(intervals.begin(), intervals.end());
    size_t n = intervals.size();
    double used = processor.back() - processor.front();
    std::printf("%-34s %5zu %9.2f %9.2f %9.1f %9.0f %8.0f  (%.1f lines a tick, %.1f ms CPU a tick)\n", name,
                n, intervals[n / 2], intervals.back(), ticks.back() - ticks.front(), used, PeakMegabytes(),
                static_cast<double>(lines.back() - lines.front()) / static_cast<double>(n),
                used / static_cast<double>(n));
}

bool LoadFinished()
{
    char note[256];
    StatusNote(MainWindow, note, sizeof note);
    return std::strcmp(note, LoadDoneText) == 0;
}

// The keys at the top of a file that is still loading: only those that move the caret's
// rectangle, as the status bar shows no place until the end. Each run says whether the load
// was still going when it ended; once the load has ended the rest are left to the runs after it.
void TimeWhileLoading()
{
    const char* names[] = {"type 50 letters (loading)", "Backspace x20 (loading)", "Enter x20 (loading)",
                           "Down x40 from the top (loading)", "Shift+Right x50 (loading)"};
    for (int i = 0; i < 5; ++i) {
        if (LoadFinished()) {
            std::printf("(the load ended before \"%s\")\n", names[i]);
            return;
        }
        switch (i) {
        case 0: TimeTyping(names[i], 50); break;
        case 1: TimeKeys(names[i], Plain(VK_BACK), 20); break;
        case 2: TimeKeys(names[i], Plain(VK_RETURN), 20); break;
        case 3: TimeKeys(names[i], Plain(VK_DOWN), 40, {Control(VK_HOME)}); break;
        default: TimeKeys(names[i], Shifted(VK_RIGHT), 50, {Control(VK_HOME)}); break;
        }
    }
    std::printf("%s\n", LoadFinished() ? "(the load ended during the last of these runs)"
                                       : "(the file was still loading after these runs)");
}

// Every case, after the load. Moving down, paging and dragging need more lines than a small
// file has, or than the one line of a long-line file has when it is not wrapped.
void TimeAll(bool atEnd, bool manyRows)
{
    if (atEnd)
        TimeKeys("Ctrl+End", Control(VK_END), 1);
    TimeTyping("type 50 letters", 50);
    // The column counts from the caret's row: at the end of a wrapped line the letters may run
    // onto the next one, so the run is left out there.
    if (!atEnd || !manyRows)
        TimeTypingAtOnce("type 50 letters at once", 50);
    TimeKeys("Backspace x20", Plain(VK_BACK), 20);
    TimeUndo();
    TimeKeys("Enter x20", Plain(VK_RETURN), 20);
    if (manyRows) {
        TimeKeys("Down x50 from the top", Plain(VK_DOWN), 50, {Control(VK_HOME)});
        TimeKeys("Page Down x20", Plain(VK_NEXT), 20);
    }
    std::vector<Key> toSelection = {Control(VK_HOME)};
    if (atEnd) {
        // Back over the lines Enter made to the end of the first line, and 80 characters more.
        toSelection.push_back(Control(VK_END));
        for (int i = 0; i < 100; ++i)
            toSelection.push_back(Plain(VK_LEFT));
    }
    TimeKeys(atEnd ? "Shift+Right x50 near the end" : "Shift+Right x50 from the top", Shifted(VK_RIGHT), 50,
             toSelection);
    if (manyRows)
        TimeDrag();
    if (!atEnd)
        TimeKeys("Ctrl+End", Control(VK_END), 1, {Control(VK_HOME)});
}

// The program's windows, the buffer for the status bar's text, the window's size and the
// keyboard focus; false when any is missing.
bool Prepare()
{
    ViewWindow = FindWindowExA(MainWindow, nullptr, "Tessary EditCtrl", nullptr);
    StatusBar = FindWindowExA(MainWindow, nullptr, STATUSCLASSNAMEA, nullptr);
    RemoteText = VirtualAllocEx(Process.hProcess, nullptr, RemoteTextSize, MEM_COMMIT, PAGE_READWRITE);
    if (ViewWindow == nullptr || StatusBar == nullptr || RemoteText == nullptr)
        return false;
    Windows.clear();
    Windows.push_back(MainWindow);
    EnumChildWindows(MainWindow, AddWindow, 0);
    SetWindowPos(MainWindow, nullptr, 0, 0, WindowWidth, WindowHeight, SWP_NOZORDER);
    Clock::time_point start = Clock::now();
    while (Seconds(start) < 10) {
        SetForegroundWindow(MainWindow);
        GUITHREADINFO info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        if (GetForegroundWindow() == MainWindow && GetGUIThreadInfo(Process.dwThreadId, &info) &&
            info.hwndFocus == ViewWindow && info.hwndCaret == ViewWindow)
            return Settle();
        Sleep(10);
    }
    return false;
}

// Whether this process sees the program's update regions: one it makes itself, looked at at
// once while the program sleeps in its message loop, is there unless the program woke and took
// it for painting first, so a few tries must see one.
bool SeesPainting()
{
    int seen = 0;
    for (int i = 0; i < 20 && seen == 0; ++i) {
        if (!Settle())
            return false;
        Sleep(20);
        if (!InvalidateRect(ViewWindow, nullptr, FALSE))
            return false;
        seen += GetUpdateRect(ViewWindow, nullptr, FALSE) ? 1 : 0;
    }
    return seen > 0 && Settle();
}

bool SetWrap(bool wrap)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(MainWindow, WM_COMMAND, wrap ? CMD_WRAP_AT_WINDOW : CMD_NO_WRAP, 0, SMTO_NORMAL, 60000,
                               &result) != 0 &&
           Settle();
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: key_timer PROGRAM FILE [wrap] [end] [loading]\n");
        return 2;
    }
    bool wrap = false, atEnd = false, loading = false;
    for (int i = 3; i < argc; ++i) {
        wrap = wrap || std::strcmp(argv[i], "wrap") == 0;
        atEnd = atEnd || std::strcmp(argv[i], "end") == 0;
        loading = loading || std::strcmp(argv[i], "loading") == 0;
    }
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExA(argv[2], GetFileExInfoStandard, &file)) {
        std::printf("%s not found\n", argv[2]);
        return 1;
    }
    bool large = file.nFileSizeHigh > 0 || file.nFileSizeLow > static_cast<DWORD>(LoadThreshold);
    Clock::time_point start = Clock::now();
    if (!StartProgram(argv[1], argv[2], &Process)) {
        std::printf("%s could not be started\n", argv[1]);
        return 1;
    }
    MainWindow = WaitForWindow(start, 60);
    int exitCode = 1;
    if (MainWindow == nullptr || !Prepare() || !SetWrap(wrap)) {
        std::printf("the program's window did not become ready\n");
    } else if (!SeesPainting()) {
        std::printf("this system does not let another process see the program's update regions: nothing measured\n");
    } else {
        bool damage = ConnectDamage(argv[1]);
        std::printf("%s, window %d x %d, keys timed %s\n", wrap ? "wrapped at the window's edge" : "not wrapped",
                    WindowWidth, WindowHeight,
                    damage ? "to the last drawing on the X screen" : "by polling the program's windows");
        PrintHeader();
        if (loading && large && !LoadFinished())
            TimeWhileLoading();
        double loaded = large ? WaitForStatus(MainWindow, LoadDoneText, 600) : 0;
        if (loaded >= 0 && Settle()) {
            TimeAll(atEnd, large && (!atEnd || wrap));
            exitCode = 0;
        } else {
            std::printf("the load did not finish\n");
        }
    }
    TerminateProcess(Process.hProcess, 0);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return exitCode;
}
