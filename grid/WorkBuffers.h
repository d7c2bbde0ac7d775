// Work arrays kept from one sort to the next on the same thread, a few of each element type: a
// page the process has not touched yet costs a fault, and at a million rows the faults of fresh
// arrays cost more than the sort's own work. What is kept is as large as the largest sort; a
// caller takes an array, uses it and hands it back.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace work_buffers
{

inline constexpr std::size_t kKeptOfEachType = 6; // a filter list's sort holds six index arrays at once

template <typename T> std::vector<std::vector<T>>& Kept()
{
    thread_local std::vector<std::vector<T>> kept;
    return kept;
}

// An array of 'size' value-initialized elements, from the kept ones when there are any (the
// largest first).
template <typename T> std::vector<T> Take(std::size_t size)
{
    std::vector<std::vector<T>>& kept = Kept<T>();
    std::vector<T> buffer;
    if (!kept.empty())
    {
        buffer = std::move(kept.back());
        kept.pop_back();
    }
    buffer.resize(size);
    return buffer;
}

// Keeps the array's memory for a later Take, or frees it when enough are kept already.
template <typename T> void Keep(std::vector<T>& buffer)
{
    std::vector<std::vector<T>>& kept = Kept<T>();
    if (buffer.capacity() == 0 || kept.size() >= kKeptOfEachType)
        return;
    buffer.clear();
    kept.push_back(std::move(buffer));
    std::sort(kept.begin(), kept.end(),
              [](const std::vector<T>& a, const std::vector<T>& b) { return a.capacity() < b.capacity(); });
}

} // namespace work_buffers
