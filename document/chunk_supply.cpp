#include "document/chunk_supply.h"
#include "platform/platform.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

// A few megabytes ahead keep the reader from waiting; each is memory the document may never use.
const int Ahead = 4;
const std::size_t PageBytes = 4096;

}

struct ChunkQueue {
    std::mutex lock;
    std::condition_variable room;
    char* ready[Ahead] = {};
    int count = 0;
    bool stop = false;
    std::thread thread;
};

namespace {

void Supply(ChunkQueue* queue, std::size_t size)
{
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(queue->lock);
            queue->room.wait(hold, [queue] { return queue->stop || queue->count < Ahead; });
            if (queue->stop)
                return;
        }
        char* chunk = AllocChunk(size);
        // The reader asks the system itself from now on, and reports what it says.
        if (chunk == nullptr)
            return;
        // The chunk is nobody else's yet, and nothing in it is read before it is written.
        for (std::size_t at = 0; at < size; at += PageBytes)
            static_cast<volatile char*>(chunk)[at] = 0;
        std::lock_guard<std::mutex> hold(queue->lock);
        queue->ready[queue->count++] = chunk;
    }
}

}

ChunkSupply::ChunkSupply(std::size_t size) : size(size), queue(nullptr) {}

ChunkSupply::~ChunkSupply()
{
    Stop();
}

void ChunkSupply::Stop()
{
    if (queue == nullptr)
        return;
    {
        std::lock_guard<std::mutex> hold(queue->lock);
        queue->stop = true;
    }
    queue->room.notify_one();
    if (queue->thread.joinable())
        queue->thread.join();
    for (int i = 0; i < queue->count; ++i)
        FreeChunk(queue->ready[i], size);
    delete queue;
    queue = nullptr;
}

char* ChunkSupply::Take()
{
    if (queue == nullptr) {
        queue = new (std::nothrow) ChunkQueue();
        if (queue == nullptr)
            return nullptr;
        // Starting a thread may throw; without one the reader makes its chunks as before.
        try {
            queue->thread = std::thread(Supply, queue, size);
        } catch (...) {
        }
        return nullptr;
    }
    char* chunk = nullptr;
    {
        std::lock_guard<std::mutex> hold(queue->lock);
        if (queue->count == 0)
            return nullptr;
        chunk = queue->ready[0];
        for (int i = 1; i < queue->count; ++i)
            queue->ready[i - 1] = queue->ready[i];
        --queue->count;
    }
    queue->room.notify_one();
    return chunk;
}
