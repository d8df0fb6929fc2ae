// Printing's costs: laying a document out into pages, and (Windows) a real print job to the
// printer named PDF: the time from the job's start, where the print dialog's OK leaves the
// program, to the first page taken by the spooler, and how much the process's memory grows
// while the pages go out.
// Usage: print_bench pages N [ascii]   lays out a document of about N pages, counting them
//        print_bench print N [ascii]   prints such a document (Windows; scripts/printer-setup
//                                      first); with ascii, of ASCII text alone
#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/page_layout.h"

#ifdef _WIN32
#include "app/print_document.h"
#include "layout/paint_view.h"
#include <windows.h>
#include <psapi.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

typedef std::chrono::steady_clock Clock;

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// A page of A4 with 20 mm margins at 96 dpi, cells of 7 px: 96 cells, 65 rows of text.
const PageFrame A4 = {96 * 7 + 2, 65};

bool AsciiOnly = false;

// Lines of Japanese and ASCII (with "ascii", ASCII alone) of 20 to 160 cells with a tab, so that
// some wrap.
TextLine* MakeDocument(int pages)
{
    const char* words = AsciiOnly ? "Printed words. " : "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd abc ";
    int lines = pages * A4.rows * 4 / 5;
    TextLine* first = nullptr;
    TextLine* last = nullptr;
    for (int i = 0; i < lines; ++i) {
        TextLine* line = new TextLine;
        char head[32];
        int length = std::snprintf(head, sizeof head, "%d\t", i);
        line->AppendBytes(head, length);
        int repeats = 1 + (i * 7) % 9;
        for (int r = 0; r < repeats; ++r)
            line->AppendBytes(words, static_cast<int>(std::strlen(words)));
        if (last == nullptr)
            first = line;
        else
            last->InsertAfter(line);
        last = line;
    }
    return first;
}

void LayOut(int pages)
{
    View.firstLine = MakeDocument(pages);
    PrintSpan span = WholeDocument(View.firstLine);
    Clock::time_point start = Clock::now();
    int counted = CountPages(A4, span);
    double ms = Milliseconds(start);
    std::printf("lay out %d pages %18.1f ms (%.3f ms a page)\n", counted, ms, ms / counted);
}

#ifdef _WIN32
Clock::time_point JobStart;
double FirstPage = -1;
int PagesSent = 0;
double MemoryBefore = 0;
double MemoryPeak = 0;

double CurrentMemory()
{
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage);
}

void Sent(int)
{
    if (FirstPage < 0)
        FirstPage = Milliseconds(JobStart);
    ++PagesSent;
    double now = CurrentMemory();
    if (now > MemoryPeak)
        MemoryPeak = now;
}

void Print(int pages)
{
    View.firstLine = MakeDocument(pages);
    std::strcpy(View.path, "C:\\print-bench.txt");
    AppInstance = GetModuleHandleA(nullptr);
    HDC screen = GetDC(nullptr);
    MakeFont(screen, 14, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e", 0, 0xFFFFFF, 0, 0);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateDCA(nullptr, "PDF", nullptr, nullptr);
    if (dc == nullptr) {
        std::printf("no printer named PDF (scripts/printer-setup)\n");
        return;
    }
    PageSent = Sent;
    PrintChoice all = {false, 0, 0, 1};
    MemoryBefore = CurrentMemory();
    MemoryPeak = MemoryBefore;
    JobStart = Clock::now();
    bool printed = PrintPages(dc, all);
    double ms = Milliseconds(JobStart);
    DeleteDC(dc);
    std::printf("print %d pages %20.1f ms%s (%.1f ms a page)\n", PagesSent, ms, printed ? "" : " FAILED",
                PagesSent > 0 ? ms / PagesSent : 0.0);
    std::printf("  first page to the spooler %9.1f ms\n", FirstPage);
    std::printf("  memory grew while printing %8.1f KB\n", (MemoryPeak - MemoryBefore) / 1024.0);
}
#endif

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: print_bench pages N | print N\n");
        return 2;
    }
    CellWidth = 7;
    TabWidth = 4;
    int pages = std::atoi(argv[2]);
    AsciiOnly = argc > 3 && std::strcmp(argv[3], "ascii") == 0;
    if (std::strcmp(argv[1], "pages") == 0)
        LayOut(pages);
#ifdef _WIN32
    else if (std::strcmp(argv[1], "print") == 0)
        Print(pages);
#endif
    else
        std::printf("unknown case %s\n", argv[1]);
    return 0;
}
