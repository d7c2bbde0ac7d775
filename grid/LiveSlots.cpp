#include "grid/LiveSlots.h"

#include <bit>

namespace
{

// Bits set in a word, without a call into the compiler's library where the target has no
// population-count instruction.
unsigned Popcount(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<unsigned>((x * 0x0101010101010101ull) >> 56);
}

// The position of the k-th set bit of a word (k < popcount): the byte first, then the bit.
unsigned SelectInWord(std::uint64_t word, unsigned k)
{
    unsigned shift = 0;
    for (;; shift += 8)
    {
        const unsigned inByte = Popcount((word >> shift) & 0xFF);
        if (k < inByte)
            break;
        k -= inByte;
    }
    std::uint64_t byte = (word >> shift) & 0xFF;
    for (unsigned i = 0; i < k; ++i)
        byte &= byte - 1;
    return shift + static_cast<unsigned>(std::countr_zero(byte));
}

} // namespace

std::uint32_t LiveSlots::Prefix(std::uint32_t words) const
{
    std::uint32_t sum = 0;
    for (std::uint32_t i = words; i > 0; i &= i - 1)
        sum += m_tree[i - 1];
    return sum;
}

void LiveSlots::Add(std::uint32_t word, int delta)
{
    const auto n = static_cast<std::uint32_t>(m_tree.size());
    for (std::uint32_t i = word + 1; i <= n; i += i & (~i + 1))
        m_tree[i - 1] += static_cast<std::uint32_t>(delta);
}

void LiveSlots::AppendWord()
{
    m_words.push_back(0);
    // A new tree node covers the words (i - lowbit(i), i]; all but the new one are known already.
    const auto i = static_cast<std::uint32_t>(m_words.size());
    const std::uint32_t low = i & (~i + 1);
    m_tree.push_back(Prefix(i - 1) - Prefix(i - low));
}

std::uint32_t LiveSlots::Append(bool live)
{
    const std::uint32_t slot = m_nSlots;
    if ((slot & 63) == 0)
        AppendWord();
    ++m_nSlots;
    if (live)
    {
        m_words[slot >> 6] |= std::uint64_t{1} << (slot & 63);
        Add(slot >> 6, 1);
        ++m_nLive;
    }
    return slot;
}

void LiveSlots::Kill(std::uint32_t slot)
{
    if (!IsLive(slot))
        return;
    m_words[slot >> 6] &= ~(std::uint64_t{1} << (slot & 63));
    Add(slot >> 6, -1);
    --m_nLive;
}

std::uint32_t LiveSlots::Rank(std::uint32_t slot) const
{
    if (slot >= m_nSlots)
        return m_nLive;
    const std::uint32_t word = slot >> 6;
    const std::uint64_t below = (std::uint64_t{1} << (slot & 63)) - 1;
    return Prefix(word) + Popcount(m_words[word] & below);
}

std::uint32_t LiveSlots::Select(std::uint32_t k) const
{
    if (k >= m_nLive)
        return kNone;
    // Walk the Fenwick tree down to the word that holds the k-th live slot.
    const auto n = static_cast<std::uint32_t>(m_tree.size());
    std::uint32_t position = 0;
    std::uint32_t remaining = k;
    for (std::uint32_t step = std::bit_floor(n); step > 0; step >>= 1)
    {
        const std::uint32_t next = position + step;
        if (next <= n && m_tree[next - 1] <= remaining)
        {
            position = next;
            remaining -= m_tree[next - 1];
        }
    }
    return (position << 6) + SelectInWord(m_words[position], remaining);
}

std::uint32_t LiveSlots::NextLive(std::uint32_t slot) const
{
    std::uint32_t next = slot + 1;
    if (next >= m_nSlots)
        return kNone;
    std::uint32_t word = next >> 6;
    std::uint64_t bits = m_words[word] & (~std::uint64_t{0} << (next & 63));
    while (bits == 0)
    {
        if (++word >= m_words.size())
            return kNone;
        bits = m_words[word];
    }
    const std::uint32_t found = (word << 6) + static_cast<std::uint32_t>(std::countr_zero(bits));
    return found < m_nSlots ? found : kNone;
}

void LiveSlots::Reset(std::uint32_t live)
{
    m_nSlots = live;
    m_nLive = live;
    const std::uint32_t words = (live + 63) / 64;
    m_words.assign(words, ~std::uint64_t{0});
    if (live & 63)
        m_words.back() = (std::uint64_t{1} << (live & 63)) - 1;
    // Every node of a full tree covers lowbit(i) words; only the last word may be partial.
    m_tree.assign(words, 0);
    for (std::uint32_t i = 1; i <= words; ++i)
    {
        const std::uint32_t low = i & (~i + 1);
        m_tree[i - 1] = low * 64;
        if (i == words && (live & 63))
            m_tree[i - 1] -= 64 - (live & 63);
    }
}

void LiveSlots::Reserve(std::uint32_t slots)
{
    m_words.reserve((slots + 63) / 64);
    m_tree.reserve((slots + 63) / 64);
}
