// The program's own main window with its menu, bars and edit view, made as start-up makes them,
// for tests that drive it in-process with real messages.
#pragma once
#include "app/main_window.h"
#include "app/open_document.h"
#include "document/background_load.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "resources/resource_ids.h"
#include "tests/test_support.h"
#include "tests/window_support.h"
#include "view/char_input.h"
#include "view/edit_view.h"
#include "view/viewport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        AppInstance = GetModuleHandleA(nullptr);
        InitCommonControls();
        folder = NewTempFolder();
        Starts().clear();
        StartProgram = RecordStart;
        ASSERT_TRUE(CreateMainWindow());
        CreateEditWindow(MainWindow);
        ASSERT_NE(View.hwnd, nullptr);
        UseCellsOf7By14();
        SetWindowPos(MainWindow, nullptr, 0, 0, 640, 480, SWP_NOZORDER);
        ShowWindow(MainWindow, SW_SHOW);
        UpdateWindow(MainWindow);
    }

    void TearDown() override
    {
        PumpUntilLoaded();
        View.modified = false;
        if (IsWindow(MainWindow))
            DestroyWindow(MainWindow);
        // Destroying the window posted the quit message; a later modal loop must not see it.
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        ResetEditor();
    }

    // Dispatches this thread's messages, as the message loop would, until no load runs.
    bool PumpUntilLoaded(int milliseconds = 120000)
    {
        for (int waited = 0; LoadInProgress() && waited < milliseconds; ++waited) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        Pump();
        return !LoadInProgress();
    }
    void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // Runs what another program does on a thread of its own, while this thread answers the
    // messages it sends (the clipboard asks the owner to render its text), as the program's
    // message loop would.
    template <typename Work>
    void AsAnotherProgram(Work work)
    {
        std::atomic<bool> done{false};
        std::thread other([&] {
            work();
            done = true;
        });
        while (!done) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        other.join();
    }

    static std::vector<std::string>& Starts()
    {
        static std::vector<std::string> starts;
        return starts;
    }
    static void RecordStart(const char* commandText) { Starts().push_back(commandText); }

    LRESULT Command(int id) { return SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Key(WPARAM key) { SendMessageA(View.hwnd, WM_KEYDOWN, key, 0); }
    void Type(const std::string& bytes)
    {
        for (char b : bytes)
            SendMessageA(View.hwnd, WM_CHAR, static_cast<unsigned char>(b), 0);
    }

    std::string Title()
    {
        char title[300] = "";
        GetWindowTextA(MainWindow, title, sizeof title);
        return title;
    }
    bool MenuGrayed(int id) { return (GetMenuState(MainMenu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    bool MenuChecked(int id) { return (GetMenuState(MainMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    bool ButtonEnabled(int id) { return (SendMessageA(ToolBar, TB_GETSTATE, id, 0) & TBSTATE_ENABLED) != 0; }
    bool SaveAvailable()
    {
        bool menu = !MenuGrayed(CMD_SAVE);
        EXPECT_EQ(menu, ButtonEnabled(CMD_SAVE)) << "menu and toolbar disagree about Save";
        return menu;
    }
    std::string Path(const char* name) { return folder + "\\" + name; }
    // The text of a part of the status bar: 0 for the notes and progress, 1 for the caret's place.
    std::string StatusPart(int part)
    {
        char text[256] = "";
        if (LOWORD(SendMessageA(StatusBar, SB_GETTEXTLENGTHA, part, 0)) < sizeof text)
            SendMessageA(StatusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::string folder;
};
