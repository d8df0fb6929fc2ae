// Chunks for a large reading, made ready on a thread of their own while the reader fills the one
// before. A fresh page costs whoever first writes it a fault; on the virtual machines measured it
// also costs a trip to the hypervisor after the system has brought the page in (about 1.3 s a
// gigabyte), as much as all the rest of reading. The supply's thread pays that on the other
// core: each chunk it hands over has had every page written once.
#pragma once
#include <cstddef>

struct ChunkQueue;

class ChunkSupply {
public:
    // Chunks of size bytes, a multiple of ChunkAlignment; no thread runs until the first Take.
    explicit ChunkSupply(std::size_t size);
    ~ChunkSupply();

    // Stops the thread and gives back every chunk not taken; a later Take starts anew.
    void Stop();

    // A ready chunk of the supply's size from AllocChunk, now the caller's; null when none is
    // ready yet or the supply has stopped (no thread, no memory): the caller then makes one
    // itself, and meets any failure itself. Never waits for the thread.
    char* Take();
    std::size_t Size() const { return size; }

private:
    ChunkSupply(const ChunkSupply&);
    ChunkSupply& operator=(const ChunkSupply&);

    std::size_t size;
    ChunkQueue* queue;
};
