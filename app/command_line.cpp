#include "app/command_line.h"

#include <cstring>
#include <new>

namespace {

const char Quote = '"';
const char Space = ' ';

bool IsBlank(char c)
{
    return c == Space || c == '\t';
}

// Finds the argument starting at or after *at: sets its bytes [start, start + length) and moves
// *at past it (and past its closing quote). False when only spaces are left. Counting and
// copying both walk the text with this, so they always agree. Double-byte characters need no
// care: in code page 932 no trail byte is a space or a double quote.
bool NextArgument(const char** at, const char** start, int* length)
{
    const char* p = *at;
    while (*p == Space)
        ++p;
    if (*p == 0)
        return false;
    const char* end;
    if (*p == Quote) {
        *start = ++p;
        while (*p != 0 && *p != Quote)
            ++p;
        end = p;
        if (*p == Quote)
            ++p;
    } else {
        *start = p;
        while (*p != 0 && *p != Space)
            ++p;
        end = p;
    }
    *length = static_cast<int>(end - *start);
    *at = p;
    return true;
}

}

const char* ArgumentText(const char* commandLine)
{
    const char* p = commandLine;
    if (p == nullptr)
        return "";
    if (*p == Quote) {
        ++p;
        while (*p != 0 && *p != Quote)
            ++p;
        if (*p == Quote)
            ++p;
    } else {
        while (*p != 0 && !IsBlank(*p))
            ++p;
    }
    while (IsBlank(*p))
        ++p;
    return p;
}

char** ParseCommandLine(const char* text, int* count)
{
    *count = 0;
    int total = 0;
    const char* start;
    int length;
    for (const char* at = text; NextArgument(&at, &start, &length);)
        ++total;
    if (total == 0)
        return nullptr;

    char** arguments = new (std::nothrow) char*[total];
    if (arguments == nullptr)
        return nullptr;
    // On any failure the list made so far is released and the caller sees no arguments, so it
    // opens no file rather than a wrong or partial one.
    int made = 0;
    for (const char* at = text; made < total && NextArgument(&at, &start, &length); ++made) {
        char* argument = new (std::nothrow) char[length + 1];
        if (argument == nullptr) {
            FreeArguments(made, arguments);
            return nullptr;
        }
        std::memcpy(argument, start, static_cast<size_t>(length));
        argument[length] = 0;
        arguments[made] = argument;
    }
    *count = made;
    return arguments;
}

void FreeArguments(int count, char** arguments)
{
    if (arguments == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        delete[] arguments[i];
    delete[] arguments;
}
