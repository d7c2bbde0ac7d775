// The memory a benchmark's structures hold: the heap's arena in use, the blocks the heap maps one
// by one (large ones), and the large-page blocks that do not come from the heap at all.
#pragma once

#include "base/LargeBlocks.h"

#include <malloc.h>

#include <cstddef>

namespace bench
{

inline std::size_t HeapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd + kivo::LargeBlockBytesInUse();
}

} // namespace bench
