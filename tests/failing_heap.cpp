// The native tests' operator new and delete: malloc and free, except that while
// FailHeapAllocations is on an allocation counts against the failure hooks (test_hooks.h), so that
// a test can make the standard library's strings and vectors run out of memory in turn, as the
// blocks of lines do. Every form that takes no alignment is replaced, so that what one of them
// gives, another takes back.
#include "platform/test_hooks.h"

#include <cstdlib>
#include <new>

namespace {

void* Take(std::size_t size) noexcept
{
    if (HeapAllocationRefused())
        return nullptr;
    return std::malloc(size != 0 ? size : 1);
}

}

void* operator new(std::size_t size)
{
    void* block = Take(size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Take(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Take(size);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
