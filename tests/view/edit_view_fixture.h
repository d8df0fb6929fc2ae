// The real edit view inside a plain visible parent, its client area 300 x 200 px, for tests that
// drive it in-process with the messages the mouse, the keyboard and an input method send.
#pragma once
#include "document/editor_record.h"
#include "document/text_line.h"
#include "tests/test_support.h"
#include "tests/window_support.h"
#include "view/edit_view.h"
#include "view/selection.h"
#include "view/viewport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

class EditViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEditor();
        const char* className = PlainWindowClass("Tessary edit view fixture");
        parent = CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        CreateEditWindow(parent);
        ASSERT_NE(View.hwnd, nullptr);
        MoveWindow(View.hwnd, 0, 0, 300 + GetSystemMetrics(SM_CXVSCROLL), 200 + GetSystemMetrics(SM_CYHSCROLL),
                   TRUE);
        ASSERT_EQ(View.clientWidth, 300);
        ASSERT_EQ(View.clientHeight, 200);
        UseCellsOf7By14();
        ASSERT_EQ(CellWidth, 7);
        ASSERT_EQ(CellHeight, 14);
        SendMessageA(View.hwnd, WM_SETFOCUS, 0, 0);
    }

    void TearDown() override
    {
        DestroyWindow(parent);
        Pump(0);
        ResetEditor();
    }

    void Document(const std::vector<std::string>& texts)
    {
        DestroyLines(View.firstLine);
        View.firstLine = MakeLines(texts);
        ResetView();
    }

    // Dispatches this thread's messages, timers included, for the given time.
    static void Pump(int milliseconds)
    {
        DWORD start = GetTickCount();
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
    }

    static void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMessageA(View.hwnd, message, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    static void Click(int x, int y, WPARAM keys = 0)
    {
        Mouse(WM_LBUTTONDOWN, x, y, keys | MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x, y, keys);
    }

    // {line index, pos} of the caret and of the anchor, checking each against its line.
    static std::vector<int> Ends()
    {
        EXPECT_EQ(View.caret.line, LineAt(View.firstLine, View.caret.lineIndex));
        EXPECT_EQ(View.anchor.line, LineAt(View.firstLine, View.anchor.lineIndex));
        return {View.anchor.lineIndex, View.anchor.pos, View.caret.lineIndex, View.caret.pos};
    }

    HWND parent = nullptr;
};
