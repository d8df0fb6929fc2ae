// The program's entry: prepares the platform, makes the main window and the edit view, opens the
// files named on the command line, runs the message loop and looks after the registry key.
#include "app/command_line.h"
#include "app/find_commands.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "app/registry_settings.h"
#include "document/editor_record.h"
#include "resources/resource_ids.h"
#include "view/edit_view.h"

#include <windows.h>
#include <commctrl.h>

namespace {

// "/code=N" opens the files after it in that code (an instance started for a file the user
// opened in a chosen code); other options ("-x", "/x") are accepted and ignored; every other
// argument names a file, read in the code its bytes show.
void OpenArguments()
{
    // The start-up code of the runtime can lose leading double-byte characters of the argument
    // text it passes to WinMain, so the text is taken from the full command line instead.
    int count = 0;
    char** arguments = ParseCommandLine(ArgumentText(GetCommandLineA()), &count);
    TextCode code = TextCodeCount;
    for (int i = 0; i < count; ++i) {
        if (CodeOption(arguments[i], &code))
            continue;
        if (arguments[i][0] != '-' && arguments[i][0] != '/')
            OpenDocument(arguments[i], code);
    }
    FreeArguments(count, arguments);
}

WPARAM RunMessageLoop(HACCEL accelerators)
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The Find and Replace dialogs take their own keys first: Delete and Ctrl+V in their
        // fields are editing there, not the program's commands.
        HWND dialog = SearchDialog();
        if (dialog != nullptr && IsDialogMessageW(dialog, &message))
            continue;
        if (!TranslateAcceleratorW(MainWindow, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return message.wParam;
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    AppInstance = instance;
    InitCommonControls();
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    OpenSettingsAtStart();
    if (!CreateMainWindow())
        return 0;
    CreateEditWindow(MainWindow);
    OpenArguments();
    ShowInSavedPlacement(MainWindow, showCommand);
    UpdateWindow(MainWindow);
    WPARAM exitCode = RunMessageLoop(accelerators);
    StoreSettingsAtExit();
    return static_cast<int>(exitCode);
}
