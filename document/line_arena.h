// The lines of a file, made in a few large chunks instead of a heap block for every record and
// every line's bytes. A reading (ReadDocument, the loader) makes one arena; lines come from it
// one after another, records from the top of the chunk being filled and each line's bytes
// (exactly those, and the terminator) from its bottom. Nothing is ever handed back to an arena: a chunk
// counts the records and bytes it holds, and goes back to the system when the last of them has
// left (the line was destroyed, or its bytes moved to a block of its own). The arena itself only
// fills; it may go as soon as the reading is done, and its lines live on in the document.
//
// An arena is used by one thread at a time; its lines, like all lines, by whoever holds the
// document lock. Chunks are found from any address without a lock.
#pragma once
#include "document/chunk_supply.h"

#include <cstddef>

class TextLine;
struct ArenaChunk;

class LineArena {
public:
    LineArena();
    ~LineArena();

    // A new empty line, its record in the arena. Null, with the system's error set, when no chunk
    // could be had.
    TextLine* NewLine();
    // The empty line (from anywhere) takes count bytes, copied into the arena with a terminator
    // after them; zero bytes become '*'. A line that is to be longer than MaxArenaLine takes
    // its bytes the ordinary way. False, with the line as it was and the system's error set, when
    // no chunk could be had.
    bool GiveBytes(TextLine& line, const char* bytes, int count);
    // Lets go of the chunk being filled, as the destructor does, for a reading that ends before
    // its arena goes; lines made later take a new chunk.
    void Release();

private:
    LineArena(const LineArena&);
    LineArena& operator=(const LineArena&);

    bool Room(std::size_t bytes, std::size_t records);
    void LeaveChunk();

    ArenaChunk* chunk;
    char* low;   // where the next line's bytes go, growing up
    char* high;  // below the last record made, growing down
    long made;   // records and lines' bytes put in the chunk so far
    std::size_t nextSize;
    ChunkSupply supply;  // chunks of the largest size, once a reading comes to them
};

// The longest line whose bytes GiveBytes takes.
const int MaxArenaLine = 512 * 1024;

// For TextLine: whether address lies in a chunk of some arena, and letting go of the record or
// the bytes that start at address in one.
bool InArena(const void* address);
void LeaveArena(const void* address, std::size_t size);
