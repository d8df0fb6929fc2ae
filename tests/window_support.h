// A plain window class for tests that need a real window of their own.
#pragma once
#include <windows.h>

// Registers (once per name) a class whose windows do only default processing; returns the name.
inline const char* PlainWindowClass(const char* name)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
    return name;
}
