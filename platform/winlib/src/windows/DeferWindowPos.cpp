// Window moves collected in a batch and carried out together.
#include "winlib/Api.h"

#include <vector>

namespace
{

struct DeferredMove
{
    HWND hwnd;
    HWND insertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};

struct Batch
{
    std::vector<DeferredMove> moves;
};

} // namespace

HDWP BeginDeferWindowPos(int count)
{
    auto* batch = new Batch;
    batch->moves.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    return reinterpret_cast<HDWP>(batch);
}

HDWP DeferWindowPos(HDWP handle, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    auto* batch = reinterpret_cast<Batch*>(handle);
    if (!batch)
        return nullptr;
    if (!IsWindow(hwnd))
    {
        delete batch;
        return nullptr;
    }
    batch->moves.push_back(DeferredMove{hwnd, insertAfter, x, y, cx, cy, flags});
    return handle;
}

BOOL EndDeferWindowPos(HDWP handle)
{
    auto* batch = reinterpret_cast<Batch*>(handle);
    if (!batch)
        return FALSE;
    BOOL all = TRUE;
    for (const DeferredMove& m : batch->moves)
    {
        // A move may destroy a later window of the batch; that one is skipped.
        if (!IsWindow(m.hwnd) || !SetWindowPos(m.hwnd, m.insertAfter, m.x, m.y, m.cx, m.cy, m.flags))
            all = FALSE;
    }
    delete batch;
    return all;
}
