#include "app/window_title.h"
#include "platform/characters.h"

#include <cstdio>

void BuildTitle(const char* path, bool modified, char* title)
{
    // The name starts after the last separator found by character, so a double-byte character
    // ending in 0x5C (表, ソ) stays whole instead of cutting the name.
    const char* name = path[0] == 0 ? "Untitled" : path + LastSeparator(path) + 1;
    std::snprintf(title, TitleSize, "Tessary [%s%s]", name, modified ? " *" : "");
}
