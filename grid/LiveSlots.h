// A growing row of slots, each live or dead, that answers "how many live slots lie before this
// one" (rank) and "which slot is the k-th live one" (select) in logarithmic time. The filter list
// keeps its records and its visible index in such rows, so that removing an entry anywhere is a
// flag and a few counter updates instead of moving everything after it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

class LiveSlots
{
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    std::uint32_t SlotCount() const { return m_nSlots; }
    std::uint32_t LiveCount() const { return m_nLive; }
    std::uint32_t DeadCount() const { return m_nSlots - m_nLive; }

    // Adds a slot at the end and returns its number.
    std::uint32_t Append(bool live = true);
    void Kill(std::uint32_t slot);
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
    void Reserve(std::uint32_t slots);
    std::size_t MemoryBytes() const
    {
        return m_words.capacity() * sizeof(std::uint64_t) + m_tree.capacity() * sizeof(std::uint32_t);
    }

private:
    std::uint32_t Prefix(std::uint32_t words) const; // live slots in the first 'words' words
    void Add(std::uint32_t word, int delta);
    void AppendWord();

    std::vector<std::uint64_t> m_words; // one bit per slot
    std::vector<std::uint32_t> m_tree;  // Fenwick tree of live counts per word, 1-based
    std::uint32_t m_nSlots = 0;
    std::uint32_t m_nLive = 0;
};
