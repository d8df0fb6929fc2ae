// System calls of the Windows seam that in-process tests may replace, to meet failures that the
// system can report but a test machine cannot provoke on demand.
#pragma once
#include <windows.h>
#include <commdlg.h>

// ReplaceFileA unless a test stands in for it.
extern BOOL(WINAPI* ReplaceFileCall)(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags,
                                     LPVOID exclude, LPVOID reserved);
// SetScrollInfo unless a test stands in for it: the edit view sets its scroll bars only through
// this, so a test can count how often an edit makes it draw them.
extern int(WINAPI* SetScrollInfoCall)(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw);
// The font and colour choosers of the settings dialog unless a test stands in for them.
extern BOOL(WINAPI* ChooseFontCall)(LPCHOOSEFONTA choice);
extern BOOL(WINAPI* ChooseColorCall)(LPCHOOSECOLORA choice);
// The print dialog and its error code unless a test stands in for them: a machine with a printer
// cannot show what the program says when there is none.
extern HRESULT(WINAPI* PrintDialogCall)(LPPRINTDLGEXA dialog);
extern DWORD(WINAPI* DialogErrorCall)();
// The DPI a window is shown at (0 when the system cannot tell) unless a test stands in for it:
// the display font's points become pixels at it, and the prefix a test runs in has the one DPI
// of its screen. SystemDpiForWindow asks the system, per window where it can, else the screen.
extern UINT(WINAPI* DpiForWindowCall)(HWND window);
UINT WINAPI SystemDpiForWindow(HWND window);
