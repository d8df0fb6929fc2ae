#include "document/line_arena.h"
#include "document/text_line.h"
#include "platform/platform.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

// At the start of every chunk.
struct ArenaChunk {
    // The records and the lines' bytes in the chunk, and the arena while it fills it. Lines leave
    // on either thread. While the arena fills the chunk it holds a claim of one more than any
    // number of lines the chunk can take, and gives back what it did not use when it lets go,
    // so that making a line needs no atomic operation and lines that leave meanwhile can never
    // bring the count to zero.
    std::atomic<long> users;
    std::size_t size;
};

namespace {

// Chunks start small, so that a small file costs little, and double up to this.
const std::size_t LargestChunk = 16 * ChunkAlignment;

// The chunk an address lies in is kept for every granule of the address space (ChunkAlignment
// bytes) that a chunk covers: 0 for none, else one more than the number of granules from the
// chunk's start to this one. A leaf holds the granules of 4 GB; a 32-bit process needs one, a
// 64-bit one a leaf for each 4 GB that holds chunks. Leaves are added without a lock and never
// removed, so a look-up never waits and never meets a leaf that goes.
const int GranuleBits = 16;
const int LeafBits = 16;
const int MaxLeaves = 64;
const std::uint64_t MaxGranules = 255;
static_assert(1u << GranuleBits == ChunkAlignment, "a granule is the chunks' alignment");

struct Leaf {
    std::uint64_t high;
    std::atomic<unsigned char> back[1 << LeafBits];
};

std::atomic<Leaf*> Leaves[MaxLeaves];

std::uint64_t GranuleOf(const void* address)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)) >> GranuleBits;
}

// The leaf of the 4 GB that holds granule; with add, made when there is none yet. Null when there
// is none (or, with add, no memory for it).
Leaf* LeafOf(std::uint64_t granule, bool add)
{
    std::uint64_t high = granule >> LeafBits;
    for (int i = 0; i < MaxLeaves; ++i) {
        Leaf* leaf = Leaves[i].load(std::memory_order_acquire);
        if (leaf == nullptr) {
            if (!add)
                return nullptr;
            Leaf* made = new (std::nothrow) Leaf();
            if (made == nullptr)
                return nullptr;
            made->high = high;
            if (Leaves[i].compare_exchange_strong(leaf, made, std::memory_order_acq_rel))
                return made;
            // Another thread put a leaf here first; it may be the one wanted.
            delete made;
        }
        if (leaf->high == high)
            return leaf;
    }
    return nullptr;
}

std::atomic<unsigned char>& Entry(Leaf* leaf, std::uint64_t granule)
{
    return leaf->back[granule & ((1u << LeafBits) - 1)];
}

ArenaChunk* ChunkOf(const void* address)
{
    std::uint64_t granule = GranuleOf(address);
    Leaf* leaf = LeafOf(granule, false);
    if (leaf == nullptr)
        return nullptr;
    unsigned back = Entry(leaf, granule).load(std::memory_order_relaxed);
    if (back == 0)
        return nullptr;
    return reinterpret_cast<ArenaChunk*>(static_cast<std::uintptr_t>((granule - (back - 1)) << GranuleBits));
}

// Marks the chunk's granules with back (their distance from its start, plus one), or clears them.
bool Mark(ArenaChunk* chunk, bool set)
{
    std::uint64_t first = GranuleOf(chunk);
    std::uint64_t count = chunk->size >> GranuleBits;
    for (std::uint64_t g = 0; g < count; ++g) {
        Leaf* leaf = LeafOf(first + g, set);
        if (leaf == nullptr)
            return false;
        Entry(leaf, first + g).store(set ? static_cast<unsigned char>(g + 1) : 0, std::memory_order_relaxed);
    }
    return true;
}

// Every record and every line's bytes take at least a byte of the chunk.
long Claim(std::size_t size)
{
    return static_cast<long>(size) + 1;
}

// A chunk of size from memory, or from the system when memory is null.
ArenaChunk* MakeChunk(std::size_t size, char* memory)
{
    if ((size >> GranuleBits) > MaxGranules) {
        SetSystemError(OutOfMemoryError);
        return nullptr;
    }
    if (memory == nullptr)
        memory = AllocChunk(size);
    if (memory == nullptr)
        return nullptr;
    ArenaChunk* chunk = new (memory) ArenaChunk();
    chunk->users.store(Claim(size), std::memory_order_relaxed);
    chunk->size = size;
    if (!Mark(chunk, true)) {
        Mark(chunk, false);
        chunk->~ArenaChunk();
        FreeChunk(memory, size);
        SetSystemError(OutOfMemoryError);
        return nullptr;
    }
    return chunk;
}

// count users fewer; the last one gives the chunk back. The count is the only thing two threads
// share here: whatever a user wrote into the chunk was written before its release of the count.
void Leave(ArenaChunk* chunk, long count)
{
    if (chunk->users.fetch_sub(count, std::memory_order_acq_rel) != count)
        return;
    Mark(chunk, false);
    std::size_t size = chunk->size;
    chunk->~ArenaChunk();
    FreeChunk(reinterpret_cast<char*>(chunk), size);
}

}

LineArena::LineArena()
    : chunk(nullptr), low(nullptr), high(nullptr), made(0), nextSize(ChunkAlignment), supply(LargestChunk)
{
}

LineArena::~LineArena()
{
    Release();
}

void LineArena::Release()
{
    supply.Stop();
    LeaveChunk();
}

void LineArena::LeaveChunk()
{
    if (chunk != nullptr)
        Leave(chunk, Claim(chunk->size) - made);
    chunk = nullptr;
    low = high = nullptr;
}

// Room for bytes below and records above in the chunk being filled, or a new chunk. What is left
// of the old one stays unused; the old chunk goes with its last line.
bool LineArena::Room(std::size_t bytes, std::size_t records)
{
    if (chunk != nullptr && static_cast<std::size_t>(high - low) >= bytes + records)
        return true;
    std::size_t need = sizeof(ArenaChunk) + bytes + records;
    std::size_t size = nextSize;
    while (size < need)
        size += ChunkAlignment;
    ArenaChunk* next = MakeChunk(size, size == supply.Size() ? supply.Take() : nullptr);
    if (next == nullptr)
        return false;
    LeaveChunk();
    chunk = next;
    made = 0;
    low = reinterpret_cast<char*>(next) + sizeof(ArenaChunk);
    high = reinterpret_cast<char*>(next) + size;
    if (nextSize < LargestChunk)
        nextSize *= 2;
    return true;
}

// Records are taken from the top of the chunk, whose end is aligned, so each one is aligned too.
TextLine* LineArena::NewLine()
{
    if (!Room(0, sizeof(TextLine)))
        return nullptr;
    high -= sizeof(TextLine);
    ++made;
    return ::new (high) TextLine(TextLine::Bare());
}

bool LineArena::GiveBytes(TextLine& line, const char* bytes, int count)
{
    if (count > MaxArenaLine)
        return line.AppendBytes(bytes, count);
    if (count == 0) {
        line.HoldArenaBytes(nullptr, 0);
        return true;
    }
    std::size_t size = static_cast<std::size_t>(count) + 1;
    if (!Room(size, 0))
        return false;
    char* copy = low;
    low += size;
    std::memcpy(copy, bytes, size - 1);
    copy[count] = 0;
    ++made;
    line.HoldArenaBytes(copy, count);
    return true;
}

bool InArena(const void* address)
{
    return ChunkOf(address) != nullptr;
}

void LeaveArena(const void* address, std::size_t size)
{
    ArenaChunk* chunk = ChunkOf(address);
    RetireChunkBytes(address, size);
    Leave(chunk, 1);
}
