#include "app/open_document.h"
#include "document/document_commands.h"
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
// offers to create a name that does not exist yet.
bool AskForName(char* name)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.lpstrFile = name;
    dialog.nMaxFile = PathSize;
    dialog.Flags = OFN_LONGNAMES | OFN_CREATEPROMPT;
    return GetOpenFileNameA(&dialog) != 0;
}

void StartInstance(const char* name)
{
    char module[PathSize] = "";
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    char text[CommandTextSize];
    if (length == 0 || length >= sizeof module || !InstanceCommandText(module, name, text))
        return;
    StartProgram(text);
}

}

void (*StartProgram)(const char* commandText) = RunProgram;

void RefuseLongName()
{
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    ShowSystemError();
}

bool InstanceCommandText(const char* modulePath, const char* name, char* text)
{
    if (std::strlen(modulePath) >= static_cast<size_t>(PathSize) || std::strlen(name) >= static_cast<size_t>(PathSize))
        return false;
    std::snprintf(text, CommandTextSize, "\"%s\" \"%s\"", modulePath, name);
    return true;
}

void OpenDocument(const char* path)
{
    if (path != nullptr && std::strlen(path) >= static_cast<size_t>(PathSize)) {
        RefuseLongName();
        return;
    }
    if (WindowIsFree()) {
        OpenInPlace(path);
        return;
    }
    char name[PathSize] = "";
    if (path != nullptr)
        std::strcpy(name, path);
    else if (!AskForName(name))
        return;
    StartInstance(name);
}
