// Splits arbitrary bytes as a command line and checks what any split must satisfy: every
// argument is a piece of the text, spaces only inside quoted arguments, the same arguments
// after quoting and joining them again, and a plain split on spaces when there are no quotes.
// Allocations fail on demand to show that a failed split leaks nothing (LeakSanitizer).
#include "app/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// Array allocations left before the next one fails; -1 never fails.
int AllocationsLeft = -1;

typedef std::vector<std::string> Arguments;

void Check(bool condition)
{
    if (!condition)
        abort();
}

bool Contains(const std::string& text, char c)
{
    return text.find(c) != std::string::npos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

Arguments Parse(const char* text, int* allocated)
{
    int count = -1;
    char** list = ParseCommandLine(text, &count);
    Check(count >= 0);
    Check((list == nullptr) == (count == 0));
    Arguments arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(list[i]);
    FreeArguments(count, list);
    if (allocated != nullptr)
        *allocated = count == 0 ? 0 : count + 1;
    return arguments;
}

Arguments SplitOnSpaces(const std::string& text)
{
    Arguments pieces;
    std::string piece;
    for (char c : text) {
        if (c != ' ') {
            piece += c;
        } else if (!piece.empty()) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty())
        pieces.push_back(piece);
    return pieces;
}

void CheckSplit(const std::string& text)
{
    int allocated = 0;
    Arguments arguments = Parse(text.c_str(), &allocated);

    bool anyQuote = false;
    for (const std::string& argument : arguments) {
        Check(text.find(argument) != std::string::npos);
        if (Contains(argument, ' ')) {
            // Only a quoted argument holds a space, and it then ends at a quote or the end.
            Check(!Contains(argument, '"'));
            std::string opened = '"' + argument;
            bool closed = text.find(opened + '"') != std::string::npos;
            bool atEnd = text.size() >= opened.size() &&
                         text.compare(text.size() - opened.size(), opened.size(), opened) == 0;
            Check(closed || atEnd);
        }
        anyQuote = anyQuote || Contains(argument, '"');
    }

    if (!Contains(text, '"'))
        Check(arguments == SplitOnSpaces(text));

    if (!anyQuote) {
        std::string joined;
        for (const std::string& argument : arguments)
            joined += " \"" + argument + "\" ";
        Check(Parse(joined.c_str(), nullptr) == arguments);
    }

    // Fail each of the split's allocations in turn (one chosen by the text's length): the
    // split then gives nothing, and LeakSanitizer sees whatever it failed to release.
    if (allocated > 0) {
        AllocationsLeft = static_cast<int>(text.size() % static_cast<size_t>(allocated));
        Arguments failed = Parse(text.c_str(), nullptr);
        AllocationsLeft = -1;
        Check(failed.empty());
    }
}

void CheckArgumentText(const std::string& commandLine)
{
    const char* text = commandLine.c_str();
    const char* rest = ArgumentText(text);
    Check(rest >= text && rest <= text + commandLine.size());
    Check(!IsBlank(*rest));
    if (rest > text && rest[-1] != '"')
        Check(IsBlank(rest[-1]) || *rest == 0);
    if (text[0] != '"') {
        // An unquoted name: one run of non-blanks, then the blanks after it.
        const char* p = text;
        while (p < rest && !IsBlank(*p))
            ++p;
        while (p < rest)
            Check(IsBlank(*p++));
    }
    CheckSplit(rest);
}

}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (AllocationsLeft == 0)
        return nullptr;
    if (AllocationsLeft > 0)
        --AllocationsLeft;
    return ::operator new[](size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The command line is a C string: whatever follows a NUL byte is not part of it.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();
    CheckSplit(text);
    CheckArgumentText(text);
    return 0;
}
