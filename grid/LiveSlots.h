// A growing row of slots, each live or dead, that answers "how many live slots lie before this
// one" (rank) and "which slot is the k-th live one" (select) in logarithmic time. The filter list
// keeps its records and its visible index in such rows, so that removing an entry anywhere is a
// flag and a few counter updates instead of moving everything after it.
//
// The counts come in three levels, so that a rank or a select waits for memory a few times rather
// than once per level of a deep tree: a Fenwick tree of live counts per group of 16,384 slots (62
// nodes for a million slots); for each block of 512 slots, the live slots in the earlier blocks of
// its group (a group's 32 counts are one cache line); then the flags (a block's eight words are
// one line). A kill or revival updates its group's line of counts at once and a few tree nodes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

// Hands out memory on cache-line boundaries, so that a block of eight words or a group's counts
// is one line rather than two.
template <class T> struct CacheLineAllocator
{
    using value_type = T;
    static constexpr std::align_val_t kAlignment{64};

    CacheLineAllocator() = default;
    template <class U> CacheLineAllocator(const CacheLineAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlignment)); }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p, kAlignment); }
    template <class U> bool operator==(const CacheLineAllocator<U>&) const noexcept { return true; }
};

class LiveSlots
{
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    // One bit per slot, 64 slots a word.
    using Words = std::vector<std::uint64_t, CacheLineAllocator<std::uint64_t>>;

    std::uint32_t SlotCount() const { return m_nSlots; }
    std::uint32_t LiveCount() const { return m_nLive; }
    std::uint32_t DeadCount() const { return m_nSlots - m_nLive; }

    // Adds a slot at the end and returns its number.
    std::uint32_t Append(bool live = true);
    void Kill(std::uint32_t slot);
    // Makes a dead slot live again.
    void Revive(std::uint32_t slot);
    bool IsLive(std::uint32_t slot) const
    {
        return slot < m_nSlots && ((m_words[slot >> 6] >> (slot & 63)) & 1u) != 0;
    }
    // Live slots before 'slot'.
    std::uint32_t Rank(std::uint32_t slot) const;
    // The slot of the k-th live slot (0-based), kNone when there are not that many.
    std::uint32_t Select(std::uint32_t k) const;
    // The first live slot after 'slot' (kNone when none); walks the words, for iteration.
    std::uint32_t NextLive(std::uint32_t slot) const;
    std::uint32_t FirstLive() const { return m_nSlots ? (IsLive(0) ? 0 : NextLive(0)) : kNone; }
    // Calls f(slot) for every live slot in order, a word of slots at a time: a walk over all of
    // them without a call and a bounds check per slot.
    template <class F> void ForEachLive(F&& f) const
    {
        const std::size_t words = m_words.size();
        for (std::size_t w = 0; w < words; ++w)
        {
            const auto base = static_cast<std::uint32_t>(w << 6);
            std::uint64_t bits = m_words[w];
            if (bits == ~std::uint64_t{0})
            {
                for (std::uint32_t i = 0; i < 64; ++i)
                    f(base + i);
                continue;
            }
            for (; bits != 0; bits &= bits - 1)
                f(base + static_cast<std::uint32_t>(std::countr_zero(bits)));
        }
    }

    // Starts again with 'live' live slots and no dead ones.
    void Reset(std::uint32_t live);
    // Starts again with 'slots' slots whose flags are these bits (one per slot, bits past the last
    // slot ignored); linear, for building a whole row at once.
    void Assign(Words words, std::uint32_t slots);
    void Reserve(std::uint32_t slots);
    std::size_t MemoryBytes() const
    {
        return m_words.capacity() * sizeof(std::uint64_t) + m_blockBase.capacity() * sizeof(std::uint16_t) +
               m_tree.capacity() * sizeof(std::uint32_t);
    }

private:
    static constexpr std::uint32_t kBlockShift = 9; // slots per block: 512
    static constexpr std::uint32_t kBlockWords = 8;
    static constexpr std::uint32_t kGroupShift = 14; // slots per group: 16,384
    static constexpr std::uint32_t kGroupBlocks = 32;
    // A block not there yet counts this plus the live slots of its group: more than a group can
    // hold, and still short of overflowing when the group fills up to it.
    static constexpr std::uint16_t kNoBlock = 0x8000;

    std::uint32_t Prefix(std::uint32_t groups) const; // live slots in the first 'groups' groups
    void Add(std::uint32_t slot, int delta);
    void AppendGroup();
    std::uint32_t BlockLive(std::uint32_t block) const;
    // Counts per block and the tree, from the flags.
    void Recount();

    Words m_words;
    // Per block: the live slots in its group before it.
    std::vector<std::uint16_t, CacheLineAllocator<std::uint16_t>> m_blockBase;
    std::vector<std::uint32_t> m_tree; // Fenwick tree of live counts per group, 1-based
    std::uint32_t m_nSlots = 0;
    std::uint32_t m_nLive = 0;
};
