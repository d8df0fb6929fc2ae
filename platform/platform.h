// The few system services the window-free modules need. Windows implements them with the
// Win32 API (win32_platform.cpp); the native build (posix_platform.cpp) exists for sanitizer
// runs and lets tests make an allocation or a file operation fail on demand.
#pragma once
#include <cstdio>

// Fixed memory blocks for line text. BlockSize reports the size the system gave, which may be
// more than was asked for. AllocBlock returns null and leaves the system's last error set on failure.
char* AllocBlock(int size);
int BlockSize(const char* block);
void FreeBlock(char* block);

// Large regions for the lines read from a file (document/line_arena.h), taken straight from the
// system rather than the heap. size is a multiple of ChunkAlignment and so is the start of every
// chunk. AllocChunk returns null and leaves the system's last error set on failure; FreeChunk
// takes the size the chunk was made with.
const unsigned ChunkAlignment = 64 * 1024;
char* AllocChunk(size_t size);
void FreeChunk(char* chunk, size_t size);
// Bytes of a chunk that nothing may read any more (a line that went, bytes that moved): the
// native build's address sanitizer then reports a read of them as it would a freed block.
// Nothing on Windows.
void RetireChunkBytes(const void* at, size_t size);

// True when b starts a double-byte character in the ANSI code page. Answered from a table
// filled once from the system.
bool IsLeadByte(unsigned char b);

// One character of code page codePage (932, 20932, 65001) in count bytes, as a Unicode code
// point; -1 when the bytes are not exactly one character of it.
long SystemDecodeCharacter(unsigned codePage, const char* bytes, int count);
// codePoint in code page codePage written into out (room for 4 bytes): the bytes written, or 0
// when the code page does not hold that very character (a look-alike is not taken).
int SystemEncodeCharacter(unsigned codePage, unsigned long codePoint, char* out);

// Looks up one directory entry. False when there is none; otherwise isDirectory tells its kind.
bool FindEntry(const char* path, bool* isDirectory);
// Creates one directory; failures are the caller's to ignore.
void MakeDirectory(const char* path);

// Opens a buffered stream on a file, as fopen does.
FILE* OpenStream(const char* path, const char* mode);
// The next byte of a stream that only the calling thread uses, or EOF, without taking the
// stream's lock for every byte; and whether the stream has reached its end or failed.
int ReadByte(FILE* stream);
bool StreamEnded(FILE* stream);
// Creates path as a new empty file; false when it exists already or cannot be made.
bool CreateNewFile(const char* path);
// The full path of name (resolved against the current directory and drive) in full, which holds
// 260 bytes. False, with the system's error set, when it does not fit or cannot be made.
bool FullPath(const char* name, char* full);
// The length of the file a stream reads, which may be beyond what a long holds; -1 when the
// system cannot tell. The stream's position does not change.
long long StreamLength(FILE* stream);
// Writes the stream's buffers through to the disk.
bool FlushStream(FILE* stream);
// Puts the file source in place of target, both full paths (ReplaceFileA refuses a relative name
// of the file it replaces); target need not exist. On failure targetKept tells
// whether target still holds its old bytes under its name: when it does not (the system moved
// it away and the new file could not take its name either), source is all that is left.
bool ReplaceWith(const char* source, const char* target, bool* targetKept);
bool RemoveFile(const char* path);

// A message box with the system's text for the calling thread's last error, caption "Error".
void ShowSystemError();
// The calling thread's last error, and the same box for an error code kept from another thread.
unsigned long LastSystemError();
// Makes error the calling thread's last error, for a failure that the system did not report.
void SetSystemError(unsigned long error);
// The system's codes for running out of memory, for a read that failed without saying why, for
// a name too long for a path, and for a name no file can have.
extern const unsigned long OutOfMemoryError;
extern const unsigned long ReadFailedError;
extern const unsigned long NameTooLongError;
extern const unsigned long BadNameError;
void ShowSystemError(unsigned long error);

// The one lock between the user-interface thread and the loader thread, around every use of
// the line list and the layout state. A thread may take it again while it holds it.
void LockDocument();
void UnlockDocument();

// Runs procedure(argument) on a new thread started through the runtime library; the thread ends
// when procedure returns. False when no thread could be started.
bool StartThread(void (*procedure)(void*), void* argument);

// Releases a font or brush the display made. Null is allowed.
void DeleteDrawingObject(void* object);
