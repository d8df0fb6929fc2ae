// Measures the character rules as the row walk and the caret use them: stepping over every
// character of a large text (summing its cells) and stepping back over it, in each held code,
// against the Shift-JIS functions of platform/characters.h on the same text. Last, stepping back
// over a long EUC-JP line of kanji alone, where each step looks back to the start of the run.
//
// Usage: char_rule_bench [MB]   (100 when not given)
#include "platform/char_rule.h"
#include "platform/characters.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The same three lines in each held code: Japanese with ASCII and a tab, Japanese prose with
// half-width katakana, and a line of program text.
struct Sample {
    TextCode code;
    const char* lines[3];
};

const Sample Samples[] = {
    {CodeShiftJis,
     {"\x82\xa0\x82\xa2\x82\xa4\tline of text \x95\\\x8e\xa6 0123456789 \x93\xfa\x96{\x8c\xea\x82\xcc\x95\xb6\x8f\xcd abcdefghij",
      "\x8c\xe1\x94y\x82\xcd\x94L\x82\xc5\x82\xa0\x82\xe9\x81" "B\x96\xbc\x91O\x82\xcd\x82\xdc\x82\xbe\x96\xb3\x82\xa2\x81"
      "B\x82\xc7\x82\xb1\x82\xc5\x90\xb6\x82\xea\x82\xbd\x82\xa9\x82\xc6\x82\xf1\x82\xc6\x8c\xa9\x93\x96\x82\xaa\x82\xc2\x82"
      "\xa9\x82\xca\x81" "B\xb6\xc0\xb6\xc5\x94\xbc\x8ap",
      "    for (int i = 0; i < count; ++i) total += values[i]; // the sum"}},
    {CodeUtf8,
     {"\xe3\x81\x82\xe3\x81\x84\xe3\x81\x86\tline of text \xe8\xa1\xa8\xe7\xa4\xba 0123456789 \xe6\x97\xa5\xe6\x9c\xac\xe8"
      "\xaa\x9e\xe3\x81\xae\xe6\x96\x87\xe7\xab\xa0 abcdefghij",
      "\xe5\x90\xbe\xe8\xbc\xa9\xe3\x81\xaf\xe7\x8c\xab\xe3\x81\xa7\xe3\x81\x82\xe3\x82\x8b\xe3\x80\x82\xe5\x90\x8d\xe5\x89"
      "\x8d\xe3\x81\xaf\xe3\x81\xbe\xe3\x81\xa0\xe7\x84\xa1\xe3\x81\x84\xe3\x80\x82\xe3\x81\xa9\xe3\x81\x93\xe3\x81\xa7\xe7"
      "\x94\x9f\xe3\x82\x8c\xe3\x81\x9f\xe3\x81\x8b\xe3\x81\xa8\xe3\x82\x93\xe3\x81\xa8\xe8\xa6\x8b\xe5\xbd\x93\xe3\x81\x8c"
      "\xe3\x81\xa4\xe3\x81\x8b\xe3\x81\xac\xe3\x80\x82\xef\xbd\xb6\xef\xbe\x80\xef\xbd\xb6\xef\xbe\x85\xe5\x8d\x8a\xe8\xa7\x92",
      "    for (int i = 0; i < count; ++i) total += values[i]; // the sum"}},
    {CodeEucJp,
     {"\xa4\xa2\xa4\xa4\xa4\xa6\tline of text \xc9\xbd\xbc\xa8 0123456789 \xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xca\xb8\xbe\xcf abcdefghij",
      "\xb8\xe3\xc7\xda\xa4\xcf\xc7\xad\xa4\xc7\xa4\xa2\xa4\xeb\xa1\xa3\xcc\xbe\xc1\xb0\xa4\xcf\xa4\xde\xa4\xc0\xcc\xb5\xa4"
      "\xa4\xa1\xa3\xa4\xc9\xa4\xb3\xa4\xc7\xc0\xb8\xa4\xec\xa4\xbf\xa4\xab\xa4\xc8\xa4\xf3\xa4\xc8\xb8\xab\xc5\xf6\xa4\xac"
      "\xa4\xc4\xa4\xab\xa4\xcc\xa1\xa3\x8e\xb6\x8e\xc0\x8e\xb6\x8e\xc5\xc8\xbe\xb3\xd1",
      "    for (int i = 0; i < count; ++i) total += values[i]; // the sum"}},
};

// Lines one after another, each with its terminator, as a document holds them.
struct Text {
    std::string bytes;
    std::vector<size_t> starts;
    std::vector<int> lengths;
};

Text MakeText(const Sample& sample, size_t size)
{
    Text text;
    text.bytes.reserve(size + 256);
    for (int i = 0; text.bytes.size() < size; i = (i + 1) % 3) {
        std::string line = sample.lines[i];
        text.starts.push_back(text.bytes.size());
        text.lengths.push_back(static_cast<int>(line.size()));
        text.bytes += line;
        text.bytes += '\0';
    }
    return text;
}

void Report(const char* code, const char* what, double ms, size_t bytes, long long characters, long long sum)
{
    std::printf("%-10s %-32s %8.1f ms %8.0f MB/s %6.2f ns/char  (%lld characters, sum %lld)\n", code, what, ms,
                static_cast<double>(bytes) / 1e6 / (ms / 1e3), ms * 1e6 / static_cast<double>(characters), characters, sum);
}

void Forward(const char* name, const Text& text, const CharRule& rule)
{
    Clock::time_point start = Clock::now();
    long long cells = 0;
    long long characters = 0;
    for (size_t line = 0; line < text.starts.size(); ++line) {
        const char* s = text.bytes.c_str() + text.starts[line];
        for (int pos = 0; s[pos] != 0; ++characters) {
            int width;
            pos += rule.Step(s + pos, &width);
            cells += width;
        }
    }
    Report(name, "rule: step, cells", Milliseconds(start), text.bytes.size(), characters, cells);
}

void ForwardToday(const Text& text)
{
    Clock::time_point start = Clock::now();
    long long cells = 0;
    long long characters = 0;
    for (size_t line = 0; line < text.starts.size(); ++line) {
        const char* s = text.bytes.c_str() + text.starts[line];
        for (int pos = 0; s[pos] != 0; ++characters) {
            int bytes = CharacterBytes(s + pos);
            pos += bytes;
            cells += bytes;
        }
    }
    Report("Shift-JIS", "today: CharacterBytes", Milliseconds(start), text.bytes.size(), characters, cells);
}

void Back(const char* name, const Text& text, const CharRule& rule)
{
    Clock::time_point start = Clock::now();
    long long sum = 0;
    long long characters = 0;
    for (size_t line = 0; line < text.starts.size(); ++line) {
        const char* s = text.bytes.c_str() + text.starts[line];
        for (int pos = text.lengths[line]; pos > 0; ++characters) {
            pos = rule.stepBack(s, pos);
            sum += pos;
        }
    }
    Report(name, "rule: step back", Milliseconds(start), text.bytes.size(), characters, sum);
}

void BackToday(const Text& text)
{
    Clock::time_point start = Clock::now();
    long long sum = 0;
    long long characters = 0;
    for (size_t line = 0; line < text.starts.size(); ++line) {
        const char* s = text.bytes.c_str() + text.starts[line];
        for (int pos = text.lengths[line]; pos > 0; ++characters) {
            pos = CharacterStartBefore(s, pos);
            sum += pos;
        }
    }
    Report("Shift-JIS", "today: CharacterStartBefore", Milliseconds(start), text.bytes.size(), characters, sum);
}

// Each step back looks over the whole run of kanji before it, so the time grows with the square
// of the run.
void BackOverKanji(int bytes)
{
    std::string line;
    while (static_cast<int>(line.size()) < bytes)
        line += "\xb4\xc1";
    const CharRule& rule = RuleFor(CodeEucJp);
    Clock::time_point start = Clock::now();
    long long sum = 0;
    long long characters = 0;
    for (int pos = static_cast<int>(line.size()); pos > 0; ++characters) {
        pos = rule.stepBack(line.c_str(), pos);
        sum += pos;
    }
    char what[64];
    std::snprintf(what, sizeof(what), "step back, %d KB of kanji", bytes / 1024);
    Report("EUC-JP", what, Milliseconds(start), line.size(), characters, sum);
}

} // namespace

int main(int argc, char** argv)
{
    size_t megabytes = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 100;
    for (const Sample& sample : Samples) {
        Text text = MakeText(sample, megabytes * 1000 * 1000);
        const CharRule& rule = RuleFor(sample.code);
        const char* name = TextCodeName(sample.code);
        if (sample.code == CodeShiftJis)
            ForwardToday(text);
        Forward(name, text, rule);
        if (sample.code == CodeShiftJis)
            BackToday(text);
        Back(name, text, rule);
    }
    BackOverKanji(4 * 1024);
    BackOverKanji(64 * 1024);
    return 0;
}
