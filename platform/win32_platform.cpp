#include "platform/platform.h"
#include "platform/win32_hooks.h"

#include <windows.h>
#include <io.h>
#include <process.h>
#include <new>

namespace {

struct LeadByteTable {
    bool lead[256];
    LeadByteTable()
    {
        for (int b = 0; b < 256; ++b)
            lead[b] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
    }
};

// Made on first use; static initialisation of a local is itself thread-safe.
struct DocumentSection {
    CRITICAL_SECTION section;
    DocumentSection() { InitializeCriticalSection(&section); }
};

CRITICAL_SECTION& Section()
{
    static DocumentSection document;
    return document.section;
}

struct ThreadStart {
    void (*procedure)(void*);
    void* argument;
};

unsigned __stdcall RunThread(void* start)
{
    ThreadStart copy = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    copy.procedure(copy.argument);
    return 0;
}

}

BOOL(WINAPI* ReplaceFileCall)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID) = ReplaceFileA;
int(WINAPI* SetScrollInfoCall)(HWND, int, LPCSCROLLINFO, BOOL) = SetScrollInfo;
BOOL(WINAPI* ChooseFontCall)(LPCHOOSEFONTA) = ChooseFontA;
BOOL(WINAPI* ChooseColorCall)(LPCHOOSECOLORA) = ChooseColorA;
HRESULT(WINAPI* PrintDialogCall)(LPPRINTDLGEXA) = PrintDlgExA;
DWORD(WINAPI* DialogErrorCall)() = CommDlgExtendedError;
UINT(WINAPI* DpiForWindowCall)(HWND) = SystemDpiForWindow;

UINT WINAPI SystemDpiForWindow(HWND window)
{
    // Systems before per-monitor DPI lack the call; they have one DPI for every window.
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    static DpiForWindow dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow != nullptr && window != nullptr) {
        UINT dpi = dpiForWindow(window);
        if (dpi > 0)
            return dpi;
    }
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 0;
}

char* AllocBlock(int size)
{
    // A fixed block's handle is its address.
    return static_cast<char*>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(size)));
}

int BlockSize(const char* block)
{
    return static_cast<int>(GlobalSize(const_cast<char*>(block)));
}

void FreeBlock(char* block)
{
    GlobalFree(block);
}

// Regions of their own, aligned to the allocation granularity (64 KB on every Windows), which
// go back to the system whole. Every page of a chunk is written soon after it is made; locking it
// for a moment brings all its pages in with one call where the system allows that. Under Wine
// that is one mlock instead of a fault for every 4 KB page, and on the virtual machines measured
// the faults cost more than all the rest of a load. Windows refuses to lock more than a process's
// minimum working set, and the pages then come one by one as they are written, as without it.
char* AllocChunk(size_t size)
{
    char* chunk = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (chunk != nullptr && VirtualLock(chunk, size))
        VirtualUnlock(chunk, size);
    return chunk;
}

void FreeChunk(char* chunk, size_t)
{
    VirtualFree(chunk, 0, MEM_RELEASE);
}

void RetireChunkBytes(const void*, size_t) {}

bool IsLeadByte(unsigned char b)
{
    // The system is asked once per byte value; the code page does not change while we run.
    static const LeadByteTable table;
    return table.lead[b];
}

// Code page 20932 writes a JIS X 0212 character as two bytes, its second below 0x80, where EUC-JP
// writes 8F and two bytes over 0x80.
const unsigned EucJpPage = 20932;

long SystemDecodeCharacter(unsigned codePage, const char* bytes, int count)
{
    if (codePage == EucJpPage && count == 3 && static_cast<unsigned char>(bytes[0]) == 0x8F) {
        char pair[2] = {bytes[1], static_cast<char>(bytes[2] & 0x7F)};
        return SystemDecodeCharacter(codePage, pair, 2);
    }
    wchar_t units[4];
    int made = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, units, 4);
    if (made == 1 && (units[0] < 0xD800 || units[0] > 0xDFFF))
        return units[0];
    if (made == 2 && units[0] >= 0xD800 && units[0] < 0xDC00 && units[1] >= 0xDC00 && units[1] < 0xE000)
        return 0x10000 + ((static_cast<long>(units[0]) - 0xD800) << 10) + (units[1] - 0xDC00);
    return -1;
}

int SystemEncodeCharacter(unsigned codePage, unsigned long codePoint, char* out)
{
    wchar_t units[2];
    int count = 1;
    if (codePoint >= 0x110000 || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    if (codePoint >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(codePoint);
    }
    BOOL defaulted = FALSE;
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &defaulted;
    int made = WideCharToMultiByte(codePage, flags, units, count, out, 4, nullptr, used);
    if (codePage == EucJpPage && made == 2 && static_cast<unsigned char>(out[1]) < 0x80) {
        out[2] = static_cast<char>(out[1] | 0x80);
        out[1] = out[0];
        out[0] = static_cast<char>(0x8F);
        made = 3;
    }
    // Some pages map a character to a look-alike even so; only one that reads back is taken.
    if (made <= 0 || defaulted || SystemDecodeCharacter(codePage, out, made) != static_cast<long>(codePoint))
        return 0;
    return made;
}

bool FindEntry(const char* path, bool* isDirectory)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    *isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    FindClose(search);
    return true;
}

void MakeDirectory(const char* path)
{
    CreateDirectoryA(path, nullptr);
}

FILE* OpenStream(const char* path, const char* mode)
{
    return fopen(path, mode);
}

bool CreateNewFile(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool FullPath(const char* name, char* full)
{
    char result[MAX_PATH];
    DWORD length = GetFullPathNameA(name, sizeof result, result, nullptr);
    if (length == 0)
        return false;
    if (length >= sizeof result) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    lstrcpyA(full, result);
    return true;
}

long long StreamLength(FILE* stream)
{
    return _filelengthi64(_fileno(stream));
}

bool FlushStream(FILE* stream)
{
    return fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
}

bool ReplaceWith(const char* source, const char* target, bool* targetKept)
{
    *targetKept = true;
    if (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return MoveFileExA(source, target, MOVEFILE_WRITE_THROUGH) != FALSE;
    if (ReplaceFileCall(target, source, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    DWORD error = GetLastError();
    if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return false;
    // The old file may have left its name already (deleted, or kept under another name): the
    // new one has to take that name now, or the user has to learn where it is.
    if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *targetKept = false;
    SetLastError(error);
    return false;
}

bool RemoveFile(const char* path)
{
    return DeleteFileA(path) != FALSE;
}

void ShowSystemError()
{
    DWORD code = GetLastError();
    char* message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&message), 0, nullptr);
    // Without a text from the system the code itself is the most useful thing to show.
    char fallback[64];
    if (length == 0 || message == nullptr)
        wsprintfA(fallback, "System error %lu.", static_cast<unsigned long>(code));
    MessageBoxA(nullptr, length != 0 && message != nullptr ? message : fallback, "Error", MB_OK);
    if (message != nullptr)
        LocalFree(message);
}

void DeleteDrawingObject(void* object)
{
    if (object != nullptr)
        DeleteObject(static_cast<HGDIOBJ>(object));
}

void LockDocument()
{
    EnterCriticalSection(&Section());
}

void UnlockDocument()
{
    LeaveCriticalSection(&Section());
}

bool StartThread(void (*procedure)(void*), void* argument)
{
    ThreadStart* start = new (std::nothrow) ThreadStart{procedure, argument};
    if (start == nullptr)
        return false;
    // The runtime's own thread start, so the C library is set up for the new thread; the handle
    // is not kept and nobody waits for the thread.
    uintptr_t thread = _beginthreadex(nullptr, 0, RunThread, start, 0, nullptr);
    if (thread == 0) {
        delete start;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

const unsigned long OutOfMemoryError = ERROR_NOT_ENOUGH_MEMORY;
const unsigned long NameTooLongError = ERROR_FILENAME_EXCED_RANGE;
const unsigned long BadNameError = ERROR_INVALID_NAME;
const unsigned long ReadFailedError = ERROR_READ_FAULT;

void SetSystemError(unsigned long error)
{
    SetLastError(error);
}

unsigned long LastSystemError()
{
    return GetLastError();
}

void ShowSystemError(unsigned long error)
{
    SetSystemError(error);
    ShowSystemError();
}

int ReadByte(FILE* stream)
{
    return _getc_nolock(stream);
}

bool StreamEnded(FILE* stream)
{
    return feof(stream) || ferror(stream);
}
