// A set of item indexes kept as disjoint closed ranges: the selection of an owner-data
// list view, where a hundred thousand selected rows are one entry, not a hundred thousand.
#pragma once

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>

namespace winlib::detail
{

class IndexRanges
{
public:
    bool Empty() const { return m_ranges.empty(); }
    void Clear() { m_ranges.clear(); }

    bool Contains(int index) const
    {
        auto it = m_ranges.upper_bound(index);
        if (it == m_ranges.begin())
            return false;
        --it;
        return index <= it->second;
    }

    long long Count() const
    {
        long long n = 0;
        for (const auto& [first, last] : m_ranges)
            n += static_cast<long long>(last) - first + 1;
        return n;
    }

    void Add(int first, int last)
    {
        if (first > last)
            std::swap(first, last);
        // Merge with every range that overlaps or touches [first, last].
        auto it = m_ranges.upper_bound(first);
        if (it != m_ranges.begin())
        {
            auto before = std::prev(it);
            if (before->second >= first - 1)
                it = before;
        }
        while (it != m_ranges.end() && it->first <= last + 1)
        {
            first = std::min(first, it->first);
            last = std::max(last, it->second);
            it = m_ranges.erase(it);
        }
        m_ranges.emplace(first, last);
    }

    void Remove(int first, int last)
    {
        if (first > last)
            std::swap(first, last);
        auto it = m_ranges.upper_bound(first);
        if (it != m_ranges.begin())
            --it;
        while (it != m_ranges.end() && it->first <= last)
        {
            const int a = it->first;
            const int b = it->second;
            if (b < first)
            {
                ++it;
                continue;
            }
            it = m_ranges.erase(it);
            if (a < first)
                m_ranges.emplace(a, first - 1);
            if (b > last)
                it = m_ranges.emplace(last + 1, b).first;
        }
    }

    // The first index in the set greater than 'after', or -1.
    int Next(int after) const
    {
        const int from = after + 1;
        auto it = m_ranges.upper_bound(from);
        if (it != m_ranges.begin())
        {
            auto before = std::prev(it);
            if (before->second >= from)
                return from;
        }
        return it == m_ranges.end() ? -1 : it->first;
    }

    // The last index in the set smaller than 'before', or -1.
    int Previous(int before) const
    {
        const int from = before - 1;
        if (from < 0)
            return -1;
        auto it = m_ranges.upper_bound(from);
        if (it == m_ranges.begin())
            return -1;
        --it;
        return std::min(it->second, from);
    }

    // A row inserted at 'index': every index from there on moves down by one.
    void InsertAt(int index)
    {
        std::map<int, int> moved;
        for (const auto& [first, last] : m_ranges)
        {
            if (last < index)
                moved.emplace(first, last);
            else if (first >= index)
                moved.emplace(first + 1, last + 1);
            else
            {
                moved.emplace(first, index - 1);
                moved.emplace(index + 1, last + 1);
            }
        }
        m_ranges.swap(moved);
    }

    // The row at 'index' removed: it leaves the set and the ones after it move up.
    void EraseAt(int index)
    {
        Remove(index, index);
        std::map<int, int> moved;
        for (const auto& [first, last] : m_ranges)
        {
            if (first > index)
                moved.emplace(first - 1, last - 1);
            else
                moved.emplace(first, last);
        }
        m_ranges.clear();
        for (const auto& [first, last] : moved)
            Add(first, last);
    }

    // Drops every index at or beyond 'count'.
    void Clip(int count)
    {
        if (count <= 0)
        {
            m_ranges.clear();
            return;
        }
        Remove(count, std::numeric_limits<int>::max() - 1);
    }

private:
    std::map<int, int> m_ranges; // first -> last, disjoint and not touching
};

} // namespace winlib::detail
