#include "base/LargeBlocks.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>

namespace kivo
{

namespace
{
std::atomic<std::size_t> g_largeBytes{0};
}

void* AllocateLargeBlock(std::size_t bytes)
{
    if (!IsLargeBlock(bytes))
        return ::operator new(bytes);
    const std::size_t size = LargeBlockBytes(bytes);
    // Mapped a large page more than needed, so that an aligned run of 'size' bytes lies inside;
    // what lies before and after it is given back at once.
    const std::size_t mapped = size + kLargePage;
    void* area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
    if (aligned > start)
        munmap(area, aligned - start);
    const std::size_t tail = start + mapped - (aligned + size);
    if (tail > 0)
        munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* block = reinterpret_cast<void*>(aligned);
    // Only advice: a kernel without large pages, or with none free, gives ordinary ones.
    madvise(block, size, MADV_HUGEPAGE);
    g_largeBytes += size;
    return block;
}

void FreeLargeBlock(void* block, std::size_t bytes) noexcept
{
    if (!block)
        return;
    if (!IsLargeBlock(bytes))
        ::operator delete(block);
    else
    {
        munmap(block, LargeBlockBytes(bytes));
        g_largeBytes -= LargeBlockBytes(bytes);
    }
}

std::size_t LargeBlockBytesInUse() noexcept
{
    return g_largeBytes;
}

} // namespace kivo
