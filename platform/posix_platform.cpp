#include "platform/platform.h"
#include "platform/characters.h"
#include "platform/test_hooks.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <mutex>
#include <new>
#include <fcntl.h>
#include <iconv.h>
#include <pthread.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TESSARY_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARY_ASAN 1
#endif
#endif
#ifdef TESSARY_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

// Atomic because the loader thread allocates, opens and reports errors too.
std::atomic<int> AllocationsLeft{-1};
std::atomic<int> FailingAllocation{0};
std::atomic<int> BlockSlack{0};
std::atomic<long> StreamLimit{-1};
std::atomic<int> OpensLeft{-1};
std::atomic<bool> ReplaceFails{false};
std::atomic<bool> ThreadStartsFail{false};
std::atomic<bool> HeapFails{false};
std::atomic<int> ErrorBoxes{0};
std::atomic<long> ChunkLimit{-1};
std::atomic<long> ChunkBytes{0};

std::recursive_mutex& DocumentMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

struct ThreadStart {
    void (*procedure)(void*);
    void* argument;
};

void* RunThread(void* start)
{
    ThreadStart copy = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    copy.procedure(copy.argument);
    return nullptr;
}

// Blocks carry their size in front, as GlobalSize would report it.
struct BlockHeader {
    long size;
    long pad;
};

// Paths arrive in the Windows form with backslash separators; a backslash that is the trail
// byte of a double-byte character is part of a name and stays.
std::string NativePath(const char* path)
{
    std::string result(path);
    for (size_t i = 0; i < result.size(); i += CharacterBytes(result.c_str() + i)) {
        if (result[i] == '\\')
            result[i] = '/';
    }
    return result;
}

struct LimitedFile {
    FILE* file;
    long used;
    long limit;
};

ssize_t LimitedRead(void* cookie, char* buffer, size_t size)
{
    LimitedFile* f = static_cast<LimitedFile*>(cookie);
    if (f->used >= f->limit) {
        errno = EIO;
        return -1;
    }
    size_t room = static_cast<size_t>(f->limit - f->used);
    size_t got = fread(buffer, 1, size < room ? size : room, f->file);
    f->used += static_cast<long>(got);
    return static_cast<ssize_t>(got);
}

ssize_t LimitedWrite(void* cookie, const char* buffer, size_t size)
{
    LimitedFile* f = static_cast<LimitedFile*>(cookie);
    size_t room = f->used < f->limit ? static_cast<size_t>(f->limit - f->used) : 0;
    if (room == 0) {
        errno = ENOSPC;
        return -1;
    }
    size_t put = fwrite(buffer, 1, size < room ? size : room, f->file);
    f->used += static_cast<long>(put);
    return static_cast<ssize_t>(put);
}

int LimitedSeek(void* cookie, off64_t* offset, int whence)
{
    LimitedFile* f = static_cast<LimitedFile*>(cookie);
    if (fseek(f->file, static_cast<long>(*offset), whence) != 0)
        return -1;
    *offset = ftell(f->file);
    return 0;
}

int LimitedClose(void* cookie)
{
    LimitedFile* f = static_cast<LimitedFile*>(cookie);
    int result = fclose(f->file);
    delete f;
    return result;
}

}

namespace {

// Counts one allocation against FailAllocationsAfter and FailAllocationNumber: whether it fails.
bool AllocationRefused()
{
    int left = AllocationsLeft.load();
    while (left > 0 && !AllocationsLeft.compare_exchange_weak(left, left - 1)) {
    }
    bool singledOut = FailingAllocation > 0 && --FailingAllocation == 0;
    return left == 0 || singledOut;
}

}

bool HeapAllocationRefused()
{
    return HeapFails && AllocationRefused();
}

char* AllocBlock(int size)
{
    if (AllocationRefused() || size < 0) {
        errno = ENOMEM;
        return nullptr;
    }
    long reported = static_cast<long>(size) + BlockSlack;
    BlockHeader* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + static_cast<size_t>(reported)));
    if (header == nullptr)
        return nullptr;
    header->size = reported;
    char* block = reinterpret_cast<char*>(header + 1);
    // Fresh blocks are not zero-filled on Windows either; make stale bytes visible to tests.
    std::memset(block, 0xCD, static_cast<size_t>(reported));
    return block;
}

int BlockSize(const char* block)
{
    return static_cast<int>(reinterpret_cast<const BlockHeader*>(block)[-1].size);
}

void FreeBlock(char* block)
{
    std::free(reinterpret_cast<BlockHeader*>(block) - 1);
}

char* AllocChunk(size_t size)
{
    long bytes = static_cast<long>(size);
    long used = ChunkBytes.fetch_add(bytes) + bytes;
    long limit = ChunkLimit;
    char* chunk = nullptr;
    if (limit < 0 || used <= limit)
        chunk = static_cast<char*>(std::aligned_alloc(ChunkAlignment, size));
    if (chunk == nullptr) {
        ChunkBytes -= bytes;
        errno = ENOMEM;
        return nullptr;
    }
#ifdef MADV_POPULATE_WRITE
    // All its pages at once, as the Windows seam brings them in (a kernel without it refuses).
    madvise(chunk, size, MADV_POPULATE_WRITE);
#endif
    return chunk;
}

void FreeChunk(char* chunk, size_t size)
{
#ifdef TESSARY_ASAN
    ASAN_UNPOISON_MEMORY_REGION(chunk, size);
#endif
    std::free(chunk);
    ChunkBytes -= static_cast<long>(size);
}

void RetireChunkBytes(const void* at, size_t size)
{
#ifdef TESSARY_ASAN
    ASAN_POISON_MEMORY_REGION(at, size);
#else
    (void)at;
    (void)size;
#endif
}

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

namespace {

// glibc's converters for the code pages the program names; the system's tables on Windows.
const char* IconvName(unsigned codePage)
{
    switch (codePage) {
    case 932: return "CP932";
    case 20932: return "EUC-JP";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

std::mutex IconvLock;

// Converts with a converter opened once for each pair; false unless all of in was converted.
bool Iconv(const char* to, const char* from, const char* in, size_t inCount, char* out, size_t* outCount)
{
    static std::string openedTo[6];
    static std::string openedFrom[6];
    static iconv_t converters[6];
    static int openedCount = 0;
    std::lock_guard<std::mutex> hold(IconvLock);
    iconv_t converter = reinterpret_cast<iconv_t>(-1);
    for (int i = 0; i < openedCount; ++i)
        if (openedTo[i] == to && openedFrom[i] == from)
            converter = converters[i];
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        converter = iconv_open(to, from);
        if (converter == reinterpret_cast<iconv_t>(-1) || openedCount == 6)
            return false;
        openedTo[openedCount] = to;
        openedFrom[openedCount] = from;
        converters[openedCount++] = converter;
    }
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* source = const_cast<char*>(in);
    size_t sourceLeft = inCount;
    char* target = out;
    size_t room = *outCount;
    size_t done = iconv(converter, &source, &sourceLeft, &target, &room);
    if (done == static_cast<size_t>(-1) || sourceLeft != 0)
        return false;
    size_t flushed = iconv(converter, nullptr, nullptr, &target, &room);
    *outCount = static_cast<size_t>(target - out);
    return flushed != static_cast<size_t>(-1);
}

}

long SystemDecodeCharacter(unsigned codePage, const char* bytes, int count)
{
    const char* name = IconvName(codePage);
    unsigned char out[8];
    size_t made = sizeof out;
    if (name == nullptr || count <= 0 || !Iconv("UTF-32LE", name, bytes, static_cast<size_t>(count),
                                                 reinterpret_cast<char*>(out), &made) || made != 4)
        return -1;
    return static_cast<long>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<unsigned long>(out[3]) << 24);
}

int SystemEncodeCharacter(unsigned codePage, unsigned long codePoint, char* out)
{
    const char* name = IconvName(codePage);
    if (name == nullptr || codePoint >= 0x110000 || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    char in[4] = {static_cast<char>(codePoint & 0xFF), static_cast<char>(codePoint >> 8 & 0xFF),
                  static_cast<char>(codePoint >> 16 & 0xFF), 0};
    char made[8];
    size_t count = sizeof made;
    if (!Iconv(name, "UTF-32LE", in, sizeof in, made, &count) || count == 0 || count > 4 ||
        SystemDecodeCharacter(codePage, made, static_cast<int>(count)) != static_cast<long>(codePoint))
        return 0;
    std::memcpy(out, made, count);
    return static_cast<int>(count);
}

bool FindEntry(const char* path, bool* isDirectory)
{
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0)
        return false;
    *isDirectory = S_ISDIR(st.st_mode);
    return true;
}

void MakeDirectory(const char* path)
{
    mkdir(NativePath(path).c_str(), 0777);
}

FILE* OpenStream(const char* path, const char* mode)
{
    int left = OpensLeft.load();
    while (left > 0 && !OpensLeft.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        errno = EACCES;
        return nullptr;
    }
    FILE* file = fopen(NativePath(path).c_str(), mode);
    if (file == nullptr || StreamLimit < 0)
        return file;
    LimitedFile* cookie = new LimitedFile{file, 0, StreamLimit};
    cookie_io_functions_t functions = {LimitedRead, LimitedWrite, LimitedSeek, LimitedClose};
    FILE* limited = fopencookie(cookie, mode, functions);
    if (limited == nullptr) {
        fclose(file);
        delete cookie;
    }
    return limited;
}

int ReadByte(FILE* stream)
{
    return getc_unlocked(stream);
}

bool StreamEnded(FILE* stream)
{
    return feof_unlocked(stream) || ferror_unlocked(stream);
}

bool CreateNewFile(const char* path)
{
    int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// Names are resolved as the system would, but kept in the program's form.
bool FullPath(const char* name, char* full)
{
    std::string result;
    if (name[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr)
            return false;
        result = std::string(cwd) + "/";
        std::free(cwd);
    }
    result += name;
    if (result.size() >= 260) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(full, result.c_str(), result.size() + 1);
    return true;
}

long long StreamLength(FILE* stream)
{
    long here = ftell(stream);
    if (here < 0 || fseek(stream, 0, SEEK_END) != 0)
        return -1;
    long size = ftell(stream);
    if (fseek(stream, here, SEEK_SET) != 0)
        return -1;
    return size;
}

bool FlushStream(FILE* stream)
{
    if (fflush(stream) != 0)
        return false;
    int fd = fileno(stream);
    return fd < 0 || fsync(fd) == 0;
}

bool ReplaceWith(const char* source, const char* target, bool* targetKept)
{
    *targetKept = true;
    if (ReplaceFails) {
        errno = EACCES;
        return false;
    }
    return rename(NativePath(source).c_str(), NativePath(target).c_str()) == 0;
}

bool RemoveFile(const char* path)
{
    return remove(NativePath(path).c_str()) == 0;
}

void ShowSystemError()
{
    ++ErrorBoxes;
}

const unsigned long OutOfMemoryError = ENOMEM;
const unsigned long NameTooLongError = ENAMETOOLONG;
const unsigned long BadNameError = EINVAL;
const unsigned long ReadFailedError = EIO;

void SetSystemError(unsigned long error)
{
    errno = static_cast<int>(error);
}

unsigned long LastSystemError()
{
    return static_cast<unsigned long>(errno);
}

void ShowSystemError(unsigned long error)
{
    SetSystemError(error);
    ShowSystemError();
}

void DeleteDrawingObject(void*)
{
}

void LimitChunkBytes(long bytes)
{
    ChunkLimit = bytes;
}

long ChunkBytesInUse()
{
    return ChunkBytes;
}

void FailAllocationsAfter(int n)
{
    AllocationsLeft = n;
}

void SetBlockSlack(int extra)
{
    BlockSlack = extra;
}

void FailStreamsAfter(long bytes)
{
    StreamLimit = bytes;
}

void FailAllocationNumber(int n)
{
    FailingAllocation = n;
}

void FailHeapAllocations(bool fail)
{
    HeapFails = fail;
}

void FailOpensAfter(int n)
{
    OpensLeft = n;
}

void FailThreadStarts(bool fail)
{
    ThreadStartsFail = fail;
}

void LockDocument()
{
    DocumentMutex().lock();
}

void UnlockDocument()
{
    DocumentMutex().unlock();
}

bool StartThread(void (*procedure)(void*), void* argument)
{
    if (ThreadStartsFail)
        return false;
    ThreadStart* start = new (std::nothrow) ThreadStart{procedure, argument};
    if (start == nullptr)
        return false;
    pthread_t thread;
    if (pthread_create(&thread, nullptr, RunThread, start) != 0) {
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}

void FailReplace(bool fail)
{
    ReplaceFails = fail;
}

int SystemErrorCount()
{
    return ErrorBoxes;
}

void ResetTestHooks()
{
    AllocationsLeft = -1;
    BlockSlack = 0;
    StreamLimit = -1;
    ReplaceFails = false;
    OpensLeft = -1;
    FailingAllocation = 0;
    ThreadStartsFail = false;
    HeapFails = false;
    ErrorBoxes = 0;
    ChunkLimit = -1;
}
