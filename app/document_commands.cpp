#include "app/document_commands.h"
#include "app/open_code_choice.h"
#include "view/editing.h"
#include "app/command_states.h"
#include "app/load_status.h"
#include "document/document_name.h"
#include "document/editor_record.h"
#include "document/text_file.h"
#include "document/text_line.h"
#include "platform/platform.h"
#include "view/viewport.h"

#include <windows.h>
#include <commdlg.h>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char SaveFailedText[] = "Failed To Save The File.";

// Set while a command waits for the user in a box or dialog of its own.
bool CommandRunning = false;

// A command that replaces or saves the document runs only when no other one does and no load is
// under way. The boxes have no owner window, so the main window stays usable under them.
class CommandScope {
public:
    CommandScope() : started(false)
    {
        if (RefusedWhileLoading())
            return;
        if (CommandRunning) {
            MessageBeep(MB_OK);
            return;
        }
        CommandRunning = true;
        started = true;
    }
    ~CommandScope()
    {
        if (started)
            CommandRunning = false;
    }
    bool Started() const { return started; }

private:
    CommandScope(const CommandScope&);
    CommandScope& operator=(const CommandScope&);
    bool started;
};

// The new bytes sit in a file of their own when the old file has left its name and the new one
// could not take it; the user has to know where.
void ShowKeptCopy(const char* kept)
{
    char text[PathSize + 128];
    std::snprintf(text, sizeof text, "保存した内容は次のファイルにあります。\n%s", kept);
    MessageBoxA(nullptr, text, "Tessary", MB_OK | MB_ICONWARNING);
}

// Writes the document to its path; on success it is clean and the title and states say so.
bool WriteAndMarkSaved()
{
    char kept[PathSize];
    if (!WriteDocument(View, kept)) {
        MessageBoxA(nullptr, SaveFailedText, nullptr, MB_OK);
        if (kept[0] != 0)
            ShowKeptCopy(kept);
        return false;
    }
    View.modified = false;
    MarkDocumentSaved();
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

// Shows the Open or Save as dialog with the document's name in its name field; the chosen name
// becomes a document name in name. The dialogs have no filter, folder, title or extension of
// their own. Given code, the dialog offers the character codes and code receives the one chosen.
bool ChooseName(bool save, char* name, TextCode* code = nullptr)
{
    static char chosen[GivenNameSize];
    std::strcpy(chosen, View.path);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = sizeof chosen;
    dialog.Flags = OFN_LONGNAMES | (save ? OFN_OVERWRITEPROMPT : OFN_CREATEPROMPT);
    if (code != nullptr)
        AddCodeChoice(dialog, code);
    BOOL confirmed = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return confirmed && TakeDocumentName(chosen, name);
}

bool Save();

bool SaveAs()
{
    char name[PathSize];
    if (!ChooseName(true, name))
        return false;
    std::strcpy(View.path, name);
    if (WriteAndMarkSaved())
        return true;
    // The document keeps the chosen name even though the write failed, and the next Save
    // writes there: the title has to name it.
    UpdateTitle();
    UpdateCommandStates();
    return false;
}

bool Save()
{
    if (View.path[0] == 0)
        return SaveAs();
    // A terminator chosen for every line is a change the file does not have yet.
    if (!View.modified && !View.unifyEndings)
        return true;
    return WriteAndMarkSaved();
}

// True when the document may go: it has no changes, or the user saved them or let them go.
bool AskToSave()
{
    if (!View.modified)
        return true;
    int answer = MessageBoxA(nullptr, "ファイルを保存しますか？", "保存", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES)
        return Save();
    return answer == IDNO;
}

// Reads name into the document in place of the old one, which is gone already, in code or, with
// TextCodeCount, in the code its bytes show. A file that is not there yet becomes a new document
// of that name. No box is shown until the new document is installed and the view points into it.
void ReadInPlace(const char* name, TextCode code)
{
    std::strcpy(View.path, name);
    unsigned long error = 0;
    if (!ReadDocument(View, &error, code)) {
        error = GetLastError();
        if (!FileExists(name))
            error = 0;
        View.firstLine = new (std::nothrow) TextLine;
        SetNewDocumentFormat(View);
    }
    ResetView();
    if (error != 0)
        ShowSystemError(error);
}

}

bool TakeDocumentName(const char* given, char* name)
{
    unsigned long error = 0;
    if (DocumentName(given, name, &error))
        return true;
    ShowSystemError(error);
    return false;
}

bool QuerySave()
{
    CommandScope command;
    if (!command.Started() || !AskToSave())
        return false;
    DiscardLines(View);
    return true;
}

bool MayEndSession()
{
    if (!View.modified)
        return true;
    CommandScope command;
    return command.Started() && AskToSave();
}

bool NewDocument()
{
    CommandScope command;
    if (!command.Started() || !AskToSave())
        return false;
    DiscardLines(View);
    SetNewDocumentFormat(View);
    ShowEmptyDocument();
    return true;
}

bool OpenInPlace(const char* path, TextCode code)
{
    CommandScope command;
    if (!command.Started())
        return false;
    char name[PathSize];
    if (path != nullptr ? !TakeDocumentName(path, name) : !ChooseName(false, name, &code))
        return false;
    if (!AskToSave())
        return false;
    DiscardLines(View);
    ReadInPlace(name, code);
    return true;
}

bool SaveDocument()
{
    CommandScope command;
    return command.Started() && Save();
}

bool SaveDocumentAs()
{
    CommandScope command;
    return command.Started() && SaveAs();
}
