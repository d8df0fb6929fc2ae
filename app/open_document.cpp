#include "app/open_document.h"
#include "app/document_commands.h"
#include "app/open_code_choice.h"
#include "document/editor_record.h"
#include "platform/platform.h"

#include <windows.h>
#include <commdlg.h>
#include <cstdio>
#include <cstring>

namespace {

void RunProgram(const char* commandText)
{
    WinExec(commandText, SW_SHOWDEFAULT);
}

bool WindowIsFree()
{
    return View.path[0] == 0 && !View.modified;
}

// The dialog of a new instance belongs to no window and has no filter, title or folder; it
// offers to create a name that does not exist yet, and the character codes to read it in. Its
// buffer is far larger than any name a document may have, so a long typed name is refused here
// rather than lost in the dialog.
bool AskForName(char* name, TextCode* code)
{
    static char chosen[GivenNameSize];
    chosen[0] = 0;
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof chosen;
    dialog.Flags = OFN_LONGNAMES | OFN_CREATEPROMPT;
    AddCodeChoice(dialog, code);
    return GetOpenFileNameA(&dialog) && TakeDocumentName(chosen, name);
}

void StartInstance(const char* name, TextCode code)
{
    char module[PathSize] = "";
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    char text[CommandTextSize];
    if (length == 0 || length >= sizeof module || !InstanceCommandText(module, name, text, code))
        return;
    StartProgram(text);
}

}

void (*StartProgram)(const char* commandText) = RunProgram;

bool InstanceCommandText(const char* modulePath, const char* name, char* text, TextCode code)
{
    if (std::strlen(modulePath) >= static_cast<size_t>(PathSize) || std::strlen(name) >= static_cast<size_t>(PathSize))
        return false;
    if (code >= 0 && code < TextCodeCount)
        std::snprintf(text, CommandTextSize, "\"%s\" /code=%d \"%s\"", modulePath, static_cast<int>(code), name);
    else
        std::snprintf(text, CommandTextSize, "\"%s\" \"%s\"", modulePath, name);
    return true;
}

bool CodeOption(const char* argument, TextCode* code)
{
    if (std::strncmp(argument, "/code=", 6) != 0 || argument[6] < '0' || argument[6] >= '0' + TextCodeCount ||
        argument[7] != 0)
        return false;
    *code = static_cast<TextCode>(argument[6] - '0');
    return true;
}

void OpenDocument(const char* path, TextCode code)
{
    char name[PathSize] = "";
    if (path != nullptr && !TakeDocumentName(path, name))
        return;
    if (WindowIsFree()) {
        OpenInPlace(path != nullptr ? name : nullptr, code);
        return;
    }
    if (path == nullptr && !AskForName(name, &code))
        return;
    StartInstance(name, code);
}
