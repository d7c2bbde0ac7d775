// Memory for large arrays that are read at random: blocks of 1 MB and more come straight from the
// kernel in whole 2 MB pages, aligned to 2 MB and marked for the kernel's large pages where it
// offers them (Linux's transparent huge pages, "madvise" mode). An array of tens of megabytes read at random otherwise
// misses the address cache (TLB) on nearly every read once it spans more 4 KB pages than the
// cache holds (about two thousand); in 2 MB pages it spans a few dozen. Smaller blocks come from
// the ordinary heap. A caller that makes many blocks sizes them to whole large pages.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

namespace kivo
{

inline constexpr std::size_t kLargePage = std::size_t{2} << 20;

constexpr bool IsLargeBlock(std::size_t bytes)
{
    return bytes >= kLargePage / 2;
}

// The bytes a block of this size takes: whole large pages from the kernel, or as asked.
constexpr std::size_t LargeBlockBytes(std::size_t bytes)
{
    return IsLargeBlock(bytes) ? (bytes + kLargePage - 1) / kLargePage * kLargePage : bytes;
}

// Throws std::bad_alloc when the memory is not there.
void* AllocateLargeBlock(std::size_t bytes);
// 'bytes' as given to AllocateLargeBlock.
void FreeLargeBlock(void* block, std::size_t bytes) noexcept;
// The bytes the large blocks in use take from the kernel (none of them is on the heap, so that
// the heap's own statistics do not see them).
std::size_t LargeBlockBytesInUse() noexcept;

// A standard allocator over the functions above, for containers whose storage may be large.
template <class T> struct LargeBlockAllocator
{
    using value_type = T;

    LargeBlockAllocator() noexcept = default;
    template <class U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t count)
    {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLargeBlock(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept { FreeLargeBlock(block, count * sizeof(T)); }

    template <class U> bool operator==(const LargeBlockAllocator<U>&) const noexcept { return true; }
};

} // namespace kivo
