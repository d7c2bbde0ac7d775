#include "grid/FilterPattern.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <deque>

namespace
{

// The C locale's lower case by table: matching lowers every character of every cell it reads.
constexpr std::array<unsigned char, 256> kLowerCase = []
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] =
            static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return table;
}();

unsigned char Lower(char c)
{
    return kLowerCase[static_cast<unsigned char>(c)];
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text.size(), '\0');
    std::transform(text.begin(), text.end(), lowered.begin(),
                   [](char c) { return static_cast<char>(Lower(c)); });
    return lowered;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

bool FilterPattern::ReadDecimal(std::string_view text, double& value)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    // Whole numbers of up to 15 digits, most cells, are exact in a double.
    if (text.size() <= 16)
    {
        const bool negative = text.front() == '-';
        const std::string_view digits = negative ? text.substr(1) : text;
        if (!digits.empty() && digits.size() <= 15 &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        {
            std::int64_t whole = 0;
            for (char c : digits)
                whole = whole * 10 + (c - '0');
            value = static_cast<double>(negative ? -whole : whole);
            return true;
        }
    }
    // The common plain form without a copy; anything else ("+5", "0x1A") as the C library reads it.
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc{} && end == text.data() + text.size())
        return true;
    const std::string copy(text);
    char* stop = nullptr;
    value = std::strtod(copy.c_str(), &stop);
    return stop == copy.c_str() + copy.size();
}

// ---- Trie -----------------------------------------------------------------------------------------

FilterPattern::Trie::Trie() : m_nodes(1) {}

std::uint32_t FilterPattern::Trie::Child(std::uint32_t node, unsigned char c) const
{
    if (node == 0)
        return m_root[c];
    for (const auto& [key, child] : m_nodes[node].next)
    {
        if (key == c)
            return child;
    }
    return 0;
}

void FilterPattern::Trie::Add(std::string_view lowered)
{
    std::uint32_t node = 0;
    for (char ch : lowered)
    {
        const auto c = static_cast<unsigned char>(ch);
        std::uint32_t child = Child(node, c);
        if (child == 0)
        {
            child = static_cast<std::uint32_t>(m_nodes.size());
            m_nodes[node].next.emplace_back(c, child);
            if (node == 0)
                m_root[c] = child;
            m_nodes.emplace_back();
        }
        node = child;
    }
    if (!m_nodes[node].word)
    {
        m_nodes[node].word = true;
        ++m_nWords;
        m_strOnlyWord = lowered;
    }
}

bool FilterPattern::Trie::HasPrefixOf(std::string_view text, bool backwards) const
{
    std::uint32_t node = 0;
    if (m_nodes[0].word)
        return true;
    const std::size_t n = text.size();
    if (m_nWords == 1)
    {
        // One word (the usual typed filter): compared in place, without walking the nodes.
        const std::size_t length = m_strOnlyWord.size();
        if (n < length)
            return false;
        for (std::size_t i = 0; i < length; ++i)
        {
            if (Lower(text[backwards ? n - 1 - i : i]) != static_cast<unsigned char>(m_strOnlyWord[i]))
                return false;
        }
        return true;
    }
    for (std::size_t i = 0; i < n; ++i)
    {
        node = Child(node, Lower(text[backwards ? n - 1 - i : i]));
        if (node == 0)
            return false;
        if (m_nodes[node].word)
            return true;
    }
    return false;
}

void FilterPattern::Trie::Link()
{
    // Breadth first: a node's failure link is the longest proper suffix of its text in the trie,
    // and it is a word's end when any such suffix is one.
    std::deque<std::uint32_t> queue;
    for (const auto& edge : m_nodes[0].next)
    {
        m_nodes[edge.second].fail = 0;
        queue.push_back(edge.second);
    }
    while (!queue.empty())
    {
        const std::uint32_t node = queue.front();
        queue.pop_front();
        for (const auto& [c, child] : m_nodes[node].next)
        {
            std::uint32_t fail = m_nodes[node].fail;
            while (fail != 0 && Child(fail, c) == 0)
                fail = m_nodes[fail].fail;
            const std::uint32_t target = Child(fail, c);
            m_nodes[child].fail = (target != child) ? target : 0;
            if (m_nodes[m_nodes[child].fail].word)
                m_nodes[child].word = true;
            queue.push_back(child);
        }
    }
}

bool FilterPattern::Trie::OccursIn(std::string_view text) const
{
    if (m_nodes[0].word)
        return true;
    std::uint32_t node = 0;
    for (char ch : text)
    {
        const unsigned char c = Lower(ch);
        std::uint32_t next = Child(node, c);
        while (next == 0 && node != 0)
        {
            node = m_nodes[node].fail;
            next = Child(node, c);
        }
        node = next;
        if (m_nodes[node].word)
            return true;
    }
    return false;
}

// ---- The filter -----------------------------------------------------------------------------------

FilterPattern::FilterPattern(std::string_view filter, bool exact) : m_bExact(exact)
{
    std::size_t start = 0;
    while (start <= filter.size())
    {
        std::size_t end = filter.find('~', start);
        if (end == std::string_view::npos)
            end = filter.size();
        const std::string_view alternative = filter.substr(start, end - start);
        start = end + 1;
        if (alternative.empty())
            continue;
        m_bEverything = false;
        if (exact)
        {
            m_exact.insert(Lowered(alternative));
            continue;
        }
        double bound = 0;
        if (alternative.size() >= 2 && alternative.front() == '*' && alternative.back() == '*')
        {
            const std::string inner = Lowered(alternative.substr(1, alternative.size() - 2));
            if (inner.empty())
                m_bAnySubstring = true;
            else
                m_substrings.Add(inner);
        }
        else if (alternative.front() == '*')
        {
            std::string reversed = Lowered(alternative.substr(1));
            std::reverse(reversed.begin(), reversed.end());
            m_suffixes.Add(reversed);
        }
        else if (alternative.front() == '>')
        {
            // A bound that is no number lets no cell through.
            if (ReadDecimal(alternative.substr(1), bound) && bound == bound)
            {
                m_dAbove = m_bHasAbove ? std::min(m_dAbove, bound) : bound;
                m_bHasAbove = true;
            }
        }
        else if (alternative.front() == '<')
        {
            if (ReadDecimal(alternative.substr(1), bound) && bound == bound)
            {
                m_dBelow = m_bHasBelow ? std::max(m_dBelow, bound) : bound;
                m_bHasBelow = true;
            }
        }
        else
            m_prefixes.Add(Lowered(alternative));
    }
    m_substrings.Link();
    m_bOnePrefix = !m_bEverything && !exact && m_prefixes.OnlyWord(m_strOnePrefix) && m_suffixes.Empty() &&
                   m_substrings.Empty() && !m_bAnySubstring && !m_bHasAbove && !m_bHasBelow;
}

bool FilterPattern::Matches(std::string_view cell) const
{
    if (m_bEverything)
        return true;
    if (m_bOnePrefix)
    {
        const std::size_t length = m_strOnePrefix.size();
        if (cell.size() < length)
            return false;
        for (std::size_t i = 0; i < length; ++i)
        {
            if (Lower(cell[i]) != static_cast<unsigned char>(m_strOnePrefix[i]))
                return false;
        }
        return true;
    }
    if (m_bExact)
        return !m_exact.empty() && m_exact.count(Lowered(cell)) > 0;
    if (!m_prefixes.Empty() && m_prefixes.HasPrefixOf(cell, false))
        return true;
    if (!m_suffixes.Empty() && m_suffixes.HasPrefixOf(cell, true))
        return true;
    if (m_bAnySubstring || (!m_substrings.Empty() && m_substrings.OccursIn(cell)))
        return true;
    if (m_bHasAbove || m_bHasBelow)
    {
        double value = 0;
        if (ReadDecimal(cell, value) &&
            ((m_bHasAbove && value > m_dAbove) || (m_bHasBelow && value < m_dBelow)))
            return true;
    }
    return false;
}
