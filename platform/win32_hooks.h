// System calls of the Windows seam that in-process tests may replace, to meet failures that the
// system can report but a test machine cannot provoke on demand.
#pragma once
#include <windows.h>

// ReplaceFileA unless a test stands in for it.
extern BOOL(WINAPI* ReplaceFileCall)(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags,
                                     LPVOID exclude, LPVOID reserved);
