#include "grid/LiveSlots.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

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

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// For each byte value and k < 8, the position of its k-th set bit (8 when it has fewer).
constexpr auto kSelectInByte = []
{
    std::array<std::uint8_t, 256 * 8> table{};
    for (unsigned byte = 0; byte < 256; ++byte)
    {
        for (unsigned k = 0; k < 8; ++k)
        {
            unsigned seen = 0;
            unsigned place = 8;
            for (unsigned bit = 0; bit < 8; ++bit)
            {
                if (((byte >> bit) & 1) && seen++ == k)
                {
                    place = bit;
                    break;
                }
            }
            table[k * 256 + byte] = static_cast<std::uint8_t>(place);
        }
    }
    return table;
}();

// The position of the k-th set bit of a word (k < popcount), without a branch: the bytes' running
// counts side by side in one word tell which byte holds it, a table the bit in that byte.
unsigned SelectInWord(std::uint64_t word, unsigned k)
{
    std::uint64_t counts = word - ((word >> 1) & 0x5555555555555555ull);
    counts = (counts & 0x3333333333333333ull) + ((counts >> 2) & 0x3333333333333333ull);
    counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    const std::uint64_t running = counts * kOnes; // byte i: set bits in bytes 0 ... i
    // The high bit of byte i is set where the running count up to byte i is at most k.
    const std::uint64_t atMost = ((k * kOnes | kHighs) - running) & kHighs;
    const unsigned byte = static_cast<unsigned>(((atMost >> 7) * kOnes) >> 56);
    const unsigned shift = byte * 8;
    const unsigned before = static_cast<unsigned>(((running << 8) >> shift) & 0xFF);
    return shift + kSelectInByte[(k - before) * 256 + ((word >> shift) & 0xFF)];
}

} // namespace

std::uint32_t LiveSlots::Prefix(std::uint32_t groups) const
{
    std::uint32_t sum = 0;
    for (std::uint32_t i = groups; i > 0; i &= i - 1)
        sum += m_tree[i - 1];
    return sum;
}

void LiveSlots::Add(std::uint32_t slot, int delta)
{
    // Every later block of the slot's group at once (blocks not there yet too, which only keeps
    // them above any count): a masked pass over the group's counts, not a loop of varying length.
    const std::uint32_t block = slot >> kBlockShift;
    const auto after = static_cast<std::uint16_t>(block & (kGroupBlocks - 1));
    std::uint16_t* base = &m_blockBase[block & ~(kGroupBlocks - 1)];
    const auto step = static_cast<std::uint16_t>(delta);
    for (std::uint16_t j = 0; j < kGroupBlocks; ++j)
        base[j] = static_cast<std::uint16_t>(base[j] + (j > after ? step : 0));
    const auto n = static_cast<std::uint32_t>(m_tree.size());
    for (std::uint32_t i = (slot >> kGroupShift) + 1; i <= n; i += i & (~i + 1))
        m_tree[i - 1] += static_cast<std::uint32_t>(delta);
}

void LiveSlots::AppendGroup()
{
    // A new tree node covers the groups (i - lowbit(i), i]; all but the new one are known already.
    const auto i = static_cast<std::uint32_t>(m_tree.size() + 1);
    const std::uint32_t low = i & (~i + 1);
    m_tree.push_back(Prefix(i - 1) - Prefix(i - low));
    m_blockBase.resize(m_blockBase.size() + kGroupBlocks, kNoBlock);
}

std::uint32_t LiveSlots::BlockLive(std::uint32_t block) const
{
    std::uint32_t live = 0;
    const std::size_t end = std::min<std::size_t>((block + 1) * kBlockWords, m_words.size());
    for (std::size_t w = block * kBlockWords; w < end; ++w)
        live += Popcount(m_words[w]);
    return live;
}

std::uint32_t LiveSlots::Append(bool live)
{
    const std::uint32_t slot = m_nSlots;
    if ((slot & ((1u << kGroupShift) - 1)) == 0)
        AppendGroup();
    if ((slot & ((1u << kBlockShift) - 1)) == 0)
    {
        const std::uint32_t block = slot >> kBlockShift;
        m_blockBase[block] = (block & (kGroupBlocks - 1)) == 0
                                 ? 0
                                 : static_cast<std::uint16_t>(m_blockBase[block - 1] + BlockLive(block - 1));
    }
    if ((slot & 63) == 0)
        m_words.push_back(0);
    ++m_nSlots;
    if (live)
    {
        m_words[slot >> 6] |= std::uint64_t{1} << (slot & 63);
        Add(slot, 1);
        ++m_nLive;
    }
    return slot;
}

void LiveSlots::Kill(std::uint32_t slot)
{
    if (!IsLive(slot))
        return;
    m_words[slot >> 6] &= ~(std::uint64_t{1} << (slot & 63));
    Add(slot, -1);
    --m_nLive;
}

void LiveSlots::Revive(std::uint32_t slot)
{
    if (slot >= m_nSlots || IsLive(slot))
        return;
    m_words[slot >> 6] |= std::uint64_t{1} << (slot & 63);
    Add(slot, 1);
    ++m_nLive;
}

std::uint32_t LiveSlots::Rank(std::uint32_t slot) const
{
    if (slot >= m_nSlots)
        return m_nLive;
    const std::uint32_t word = slot >> 6;
    std::uint32_t rank = Prefix(slot >> kGroupShift) + m_blockBase[slot >> kBlockShift];
    for (std::uint32_t w = word & ~(kBlockWords - 1); w < word; ++w)
        rank += Popcount(m_words[w]);
    const std::uint64_t below = (std::uint64_t{1} << (slot & 63)) - 1;
    return rank + Popcount(m_words[word] & below);
}

std::uint32_t LiveSlots::Select(std::uint32_t k) const
{
    if (k >= m_nLive)
        return kNone;
    // Down the tree to the group that holds the k-th live slot, then its block, then the word.
    // Each step chooses without a branch: which way it goes is as good as random. The tree is
    // walked two levels at a time, the next level's two candidates read together with this
    // level's node.
    const auto n = static_cast<std::uint32_t>(m_tree.size());
    // A node past the end holds more than can remain, so it is never stepped into.
    const auto node = [&](std::uint32_t i)
    {
        const std::uint32_t count = m_tree[std::min(i, n) - 1];
        return i <= n ? count : ~0u;
    };
    std::uint32_t group = 0;
    std::uint32_t remaining = k;
    std::uint32_t step = std::bit_floor(n);
    for (; step >= 2; step >>= 2)
    {
        const std::uint32_t half = step >> 1;
        const std::uint32_t here = node(group + step);
        const std::uint32_t ifStayed = node(group + half);
        const std::uint32_t ifTaken = node(group + step + half);
        // All ones to step into the subtree, none to stay: arithmetic, never a jump.
        const std::uint32_t take = 0u - static_cast<std::uint32_t>(here <= remaining);
        group += step & take;
        remaining -= here & take;
        const std::uint32_t next = (ifTaken & take) | (ifStayed & ~take);
        const std::uint32_t takeNext = 0u - static_cast<std::uint32_t>(next <= remaining);
        group += half & takeNext;
        remaining -= next & takeNext;
    }
    if (step == 1)
    {
        const std::uint32_t here = node(group + 1);
        const std::uint32_t take = 0u - static_cast<std::uint32_t>(here <= remaining);
        group += take & 1u;
        remaining -= here & take;
    }
    // The last block whose count of earlier live slots is within reach (blocks not there yet
    // count more than a group can hold).
    const std::uint16_t* base = &m_blockBase[group * kGroupBlocks];
    std::uint32_t within = 0;
    for (std::uint32_t j = 0; j < kGroupBlocks; ++j)
        within += base[j] <= remaining ? 1u : 0u;
    const std::uint32_t block = group * kGroupBlocks + within - 1;
    remaining -= base[within - 1];
    const auto words = static_cast<std::uint32_t>(m_words.size());
    const std::uint32_t first = block * kBlockWords;
    std::uint32_t word = first;
    std::uint32_t skipping = ~0u; // all ones until the word that holds it
    for (std::uint32_t w = first; w < first + kBlockWords; ++w)
    {
        const std::uint32_t live = Popcount(m_words[std::min(w, words - 1)]);
        skipping &= 0u - static_cast<std::uint32_t>(remaining >= live);
        remaining -= live & skipping;
        word += skipping & 1u;
    }
    return (word << 6) + SelectInWord(m_words[word], remaining);
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
    m_words.assign((live + 63) / 64, ~std::uint64_t{0});
    if (live & 63)
        m_words.back() = (std::uint64_t{1} << (live & 63)) - 1;
    Recount();
}

void LiveSlots::Assign(Words words, std::uint32_t slots)
{
    words.resize((slots + 63) / 64);
    if (slots & 63)
        words.back() &= (std::uint64_t{1} << (slots & 63)) - 1;
    m_words = std::move(words);
    m_nSlots = slots;
    Recount();
}

void LiveSlots::Recount()
{
    const std::uint32_t blocks = (m_nSlots + (1u << kBlockShift) - 1) >> kBlockShift;
    const std::uint32_t groups = (m_nSlots + (1u << kGroupShift) - 1) >> kGroupShift;
    m_blockBase.assign(static_cast<std::size_t>(groups) * kGroupBlocks, 0);
    m_tree.assign(groups, 0);
    m_nLive = 0;
    for (std::uint32_t block = 0; block < blocks; ++block)
    {
        // Until the tree is built, its nodes hold each group's own count.
        std::uint32_t& group = m_tree[block / kGroupBlocks];
        m_blockBase[block] = static_cast<std::uint16_t>(group);
        const std::uint32_t live = BlockLive(block);
        group += live;
        m_nLive += live;
    }
    for (std::size_t block = blocks; block < m_blockBase.size(); ++block)
        m_blockBase[block] = static_cast<std::uint16_t>(kNoBlock + m_tree.back());
    // Every node passes its sum on to its parent: the tree in one pass.
    for (std::uint32_t i = 1; i <= groups; ++i)
    {
        const std::uint32_t parent = i + (i & (~i + 1));
        if (parent <= groups)
            m_tree[parent - 1] += m_tree[i - 1];
    }
}

void LiveSlots::Reserve(std::uint32_t slots)
{
    m_words.reserve((slots + 63) / 64);
    m_blockBase.reserve(((slots >> kGroupShift) + 1) * kGroupBlocks);
    m_tree.reserve((slots >> kGroupShift) + 1);
}
