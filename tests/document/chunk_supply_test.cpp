#include "document/chunk_supply.h"
#include "platform/platform.h"

#include <gtest/gtest.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#ifndef _WIN32
#include "platform/test_hooks.h"
#endif

namespace {

const std::size_t Size = 2 * ChunkAlignment;

// The next ready chunk, waiting up to ten seconds for the supply's thread.
char* TakeWaiting(ChunkSupply& supply)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (char* chunk = supply.Take())
            return chunk;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return nullptr;
}

class ChunkSupplyTest : public ::testing::Test {
protected:
    void TearDown() override
    {
#ifndef _WIN32
        ResetTestHooks();
#endif
    }
};

TEST_F(ChunkSupplyTest, ChunksComeOneAfterAnotherAndThoseNotTakenGoWithTheSupply)
{
#ifndef _WIN32
    const long before = ChunkBytesInUse();
#endif
    {
        ChunkSupply supply(Size);
        EXPECT_EQ(supply.Size(), Size);
        // More than it keeps ready: taking one makes room for the next.
        std::vector<char*> taken;
        for (int i = 0; i < 10; ++i) {
            char* chunk = TakeWaiting(supply);
            ASSERT_NE(chunk, nullptr) << "chunk " << i;
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(chunk) % ChunkAlignment, 0u);
            // All of it is the caller's.
            std::memset(chunk, i, Size);
            taken.push_back(chunk);
        }
        // No chunk is handed out twice.
        for (size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(taken[i][0], static_cast<char>(i));
            EXPECT_EQ(taken[i][Size - 1], static_cast<char>(i));
            FreeChunk(taken[i], Size);
        }
        // Let it fill up again, then go with chunks in hand.
        char* one = TakeWaiting(supply);
        ASSERT_NE(one, nullptr);
        FreeChunk(one, Size);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
#ifndef _WIN32
    EXPECT_EQ(ChunkBytesInUse(), before);
#endif
    ChunkSupply stopped(Size);
    char* first = TakeWaiting(stopped);
    ASSERT_NE(first, nullptr);
    FreeChunk(first, Size);
    stopped.Stop();
    // A supply stopped starts again when asked.
    char* again = TakeWaiting(stopped);
    ASSERT_NE(again, nullptr);
    FreeChunk(again, Size);
}

#ifndef _WIN32
TEST_F(ChunkSupplyTest, WithoutMemoryTheSupplyStopsAndLeavesTheFailureToTheCaller)
{
    const long before = ChunkBytesInUse();
    LimitChunkBytes(before + 2 * static_cast<long>(Size));
    {
        ChunkSupply supply(Size);
        char* first = TakeWaiting(supply);
        char* second = TakeWaiting(supply);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(supply.Take(), nullptr);
        // Once memory is back the caller gets it; the supply has given up.
        FreeChunk(second, Size);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(supply.Take(), nullptr);
        char* own = AllocChunk(Size);
        EXPECT_NE(own, nullptr);
        SetSystemError(0);
        EXPECT_EQ(AllocChunk(Size), nullptr);
        EXPECT_EQ(LastSystemError(), OutOfMemoryError);
        FreeChunk(own, Size);
        FreeChunk(first, Size);
    }
    EXPECT_EQ(ChunkBytesInUse(), before);
}
#endif

}
