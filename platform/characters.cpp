#include "platform/characters.h"

int LastSeparator(const char* path)
{
    int last = -1;
    for (int i = 0; path[i] != 0; i += CharacterBytes(path + i)) {
        if (IsSeparator(path[i]))
            last = i;
    }
    return last;
}
