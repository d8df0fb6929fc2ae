#include "document/document_commands.h"
#include "app/command_states.h"
#include "app/load_status.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "platform/platform.h"
#include "view/viewport.h"

#include <windows.h>
#include <commdlg.h>
#include <cstring>
#include <new>

namespace {

const char SaveFailedText[] = "Failed To Save The File.";

// A fresh document always has a line, even when its first block could not be had: the line then
// reads as empty (see TextLine). Only the record itself can be missing.
bool InstallEmptyDocument()
{
    View.firstLine = new (std::nothrow) TextLine;
    return View.firstLine != nullptr;
}

// Writes the document to its path; on success it is clean and the title and states say so.
bool WriteAndMarkSaved()
{
    if (!WriteDocument(View)) {
        MessageBoxA(nullptr, SaveFailedText, nullptr, MB_OK);
        return false;
    }
    View.modified = false;
    UpdateTitle();
    UpdateCommandStates();
    return true;
}

// True when the file exists: a file that exists but cannot be read must not silently become an
// empty document under its name, since the next save would replace it.
bool FileExists(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The file dialogs have no filter, folder, title or extension of their own; the name field
// starts with name and receives the chosen one.
OPENFILENAMEA FileDialog(char* name, DWORD flags)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFile = name;
    dialog.nMaxFile = PathSize;
    dialog.Flags = flags;
    return dialog;
}

}

bool QuerySave()
{
    if (RefusedWhileLoading())
        return false;
    if (View.modified) {
        int answer = MessageBoxA(nullptr, "ファイルを保存しますか？", "保存", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES) {
            if (!SaveDocument())
                return false;
        } else if (answer != IDNO) {
            return false;
        }
    }
    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return true;
}

bool NewDocument()
{
    if (!QuerySave())
        return false;
    InstallEmptyDocument();
    View.path[0] = 0;
    ResetView();
    return true;
}

bool OpenInPlace(const char* path)
{
    if (RefusedWhileLoading())
        return false;
    char name[PathSize];
    if (path != nullptr) {
        // A longer name does not fit the document's path; cutting it would open another file.
        if (std::strlen(path) >= static_cast<size_t>(PathSize)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            ShowSystemError();
            return false;
        }
        std::strcpy(name, path);
    } else {
        std::strcpy(name, View.path);
        OPENFILENAMEA dialog = FileDialog(name, OFN_LONGNAMES | OFN_CREATEPROMPT);
        if (!GetOpenFileNameA(&dialog))
            return false;
    }
    if (!QuerySave())
        return false;
    std::strcpy(View.path, name);
    unsigned long readError = 0;
    if (!ReadDocument(View, &readError)) {
        DWORD error = GetLastError();
        if (FileExists(View.path)) {
            SetLastError(error);
            ShowSystemError();
        }
        InstallEmptyDocument();
    }
    ResetView();
    if (readError != 0)
        ShowSystemError(readError);
    return true;
}

bool SaveDocument()
{
    if (RefusedWhileLoading())
        return false;
    if (View.path[0] == 0)
        return SaveDocumentAs();
    if (!View.modified)
        return true;
    return WriteAndMarkSaved();
}

bool SaveDocumentAs()
{
    if (RefusedWhileLoading())
        return false;
    OPENFILENAMEA dialog = FileDialog(View.path, OFN_LONGNAMES | OFN_OVERWRITEPROMPT);
    if (!GetSaveFileNameA(&dialog))
        return false;
    if (WriteAndMarkSaved())
        return true;
    // The document keeps the chosen name even though the write failed, and the next Save
    // writes there: the title has to name it.
    UpdateTitle();
    UpdateCommandStates();
    return false;
}
