// Measures reading and saving a large document: time per megabyte, and the memory the line
// blocks take against the file's size. A file this large is read by the loader thread, as the
// program reads it. Usage: text_file_bench [megabytes]
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// No window finishes the load here: the loader's end is its finish.
void Finished(bool complete, unsigned long)
{
    if (!complete)
        std::printf("the load did not complete\n");
    FinishLoad();
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}

int main(int argc, char** argv)
{
    int megabytes = argc > 1 ? std::atoi(argv[1]) : 20;
    std::string path = "tessary-bench.txt";
    FILE* file = OpenStream(path.c_str(), "wb");
    if (file == nullptr)
        return 1;
    // Lines of mixed width with double-byte characters and tabs, as in real Japanese text.
    const std::string sample = "\x82\xa0\x82\xa2\x82\xa4\tline of text \x95\x5c\x8e\xa6 0123456789";
    long bytes = 0;
    for (int i = 0; bytes < megabytes * 1048576L; ++i) {
        std::string line = sample.substr(0, static_cast<size_t>(10 + i % 30)) + "\r\n";
        fwrite(line.data(), 1, line.size(), file);
        bytes += static_cast<long>(line.size());
    }
    fclose(file);

    EditView view;
    std::strcpy(view.path, path.c_str());
    LoadEnded = Finished;
    auto start = std::chrono::steady_clock::now();
    unsigned long readError = 0;
    if (!ReadDocument(view, &readError))
        return 1;
    while (LoadInProgress())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double readSeconds = Seconds(start);
    long lines = 0;
    long blockBytes = 0;
    for (const TextLine* line = view.firstLine; line != nullptr; line = line->next) {
        ++lines;
        blockBytes += line->capacity;
    }

    start = std::chrono::steady_clock::now();
    char kept[PathSize];
    bool saved = WriteDocument(view, kept);
    double writeSeconds = Seconds(start);
    DestroyLines(view.firstLine);
    RemoveFile(path.c_str());

    std::printf("file %ld bytes, %ld lines\n", bytes, lines);
    std::printf("read  %.3f s (%.1f MB/s)\n", readSeconds, bytes / 1048576.0 / readSeconds);
    std::printf("write %.3f s (%.1f MB/s)%s\n", writeSeconds, bytes / 1048576.0 / writeSeconds, saved ? "" : " FAILED");
    std::printf("line blocks %ld bytes, %.1f times the file\n", blockBytes, static_cast<double>(blockBytes) / bytes);
    return saved ? 0 : 1;
}
