// Opaque Windows handle types, so that window-free code can hold them without windows.h.
// They name the same types as windows.h does under STRICT, so both headers can be included together.
#pragma once

struct HWND__;
struct HMENU__;
struct HFONT__;
struct HBRUSH__;
struct HINSTANCE__;
struct HKEY__;
typedef HWND__* HWND;
typedef HMENU__* HMENU;
typedef HFONT__* HFONT;
typedef HBRUSH__* HBRUSH;
typedef HINSTANCE__* HINSTANCE;
typedef HKEY__* HKEY;
typedef unsigned long COLORREF;
