#include "document/document_name.h"
#include "platform/platform.h"

#include <cstring>

bool DocumentName(const char* given, char* name, unsigned long* error)
{
    *error = 0;
    if (std::strchr(given, '"') != nullptr) {
        *error = BadNameError;
        return false;
    }
    if (!FullPath(given, name)) {
        *error = LastSystemError() != 0 ? LastSystemError() : NameTooLongError;
        return false;
    }
    return true;
}
