// The image drag functions. The drag image is a top-level popup of its own that shows a
// copy of the dragged image and follows ImageList_DragMove; it never takes the mouse or
// the activation, so that the windows under it go on receiving both.
#include "ControlUtil.h"
#include "winlib/ImageList.h"

namespace winlib::detail
{

namespace
{

constexpr char kDragClass[] = "ImageListDragImage";

struct DragState
{
    HIMAGELIST list = nullptr; // a copy of the dragged list, owned by the drag
    int index = 0;
    POINT hotspot{0, 0};
    HWND lock = nullptr;
    POINT position{0, 0}; // relative to the lock window's upper-left corner
    bool entered = false;
    bool shown = false;
    HWND window = nullptr;
};

DragState& Drag()
{
    static DragState drag;
    return drag;
}

class DragImageBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        {
            PAINTSTRUCT ps;
            const HDC hdc = BeginPaint(hwnd, &ps);
            CRect client = ClientOf(hwnd);
            FillRect(hdc, &client, GetSysColorBrush(COLOR_WINDOW));
            if (Drag().window == hwnd)
                ImageList_Draw(Drag().list, Drag().index, hdc, 0, 0, ILD_TRANSPARENT);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }
};

CPoint ScreenPosition(const DragState& d)
{
    CRect lock(0, 0, 0, 0);
    if (d.lock && IsWindow(d.lock))
        GetWindowRect(d.lock, &lock);
    return CPoint(lock.left + d.position.x - d.hotspot.x, lock.top + d.position.y - d.hotspot.y);
}

// Puts the drag window where the drag is, shown or hidden as the drag says.
void Place(DragState& d)
{
    int cx = 0;
    int cy = 0;
    ImageList_GetIconSize(d.list, &cx, &cy);
    if (!IsWindow(d.window) || GetClassNameString(d.window) != kDragClass)
    {
        d.window = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
                                  kDragClass, "", WS_POPUP, 0, 0, cx, cy, nullptr, nullptr, nullptr, nullptr);
        if (!d.window)
            return;
    }
    const CPoint at = ScreenPosition(d);
    const bool visible = d.entered && d.shown;
    SetWindowPos(d.window, HWND_TOPMOST, at.x, at.y, cx, cy,
                 SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

} // namespace

void RegisterDragImageClass()
{
    State::Get().RegisterBuiltin(
        kDragClass, [] { return std::make_unique<DragImageBehaviour>(); }, -1, CS_SAVEBITS);
}

} // namespace winlib::detail

using namespace winlib::detail;

BOOL ImageList_BeginDrag(HIMAGELIST track, int index, int dxHotspot, int dyHotspot)
{
    if (index < 0 || index >= ImageList_GetImageCount(track))
        return FALSE;
    ImageList_EndDrag();
    DragState& d = Drag();
    d.list = ImageList_Duplicate(track);
    d.index = index;
    d.hotspot = POINT{dxHotspot, dyHotspot};
    return d.list ? TRUE : FALSE;
}

BOOL ImageList_DragEnter(HWND lock, int x, int y)
{
    DragState& d = Drag();
    if (!d.list)
        return FALSE;
    d.lock = lock;
    d.position = POINT{x, y};
    d.entered = true;
    d.shown = true;
    Place(d);
    return TRUE;
}

BOOL ImageList_DragMove(int x, int y)
{
    DragState& d = Drag();
    if (!d.list)
        return FALSE;
    d.position = POINT{x, y};
    if (d.entered)
        Place(d);
    return TRUE;
}

BOOL ImageList_DragShowNolock(BOOL show)
{
    DragState& d = Drag();
    if (!d.list)
        return FALSE;
    d.shown = show != FALSE;
    if (d.entered)
        Place(d);
    return TRUE;
}

BOOL ImageList_DragLeave(HWND)
{
    DragState& d = Drag();
    if (!d.list)
        return FALSE;
    d.entered = false;
    if (IsWindow(d.window))
        Place(d);
    d.lock = nullptr;
    return TRUE;
}

void ImageList_EndDrag()
{
    DragState& d = Drag();
    if (IsWindow(d.window) && GetClassNameString(d.window) == kDragClass)
        DestroyWindow(d.window);
    if (d.list)
        ImageList_Destroy(d.list);
    d = DragState{};
}

HIMAGELIST ImageList_GetDragImage(POINT* position, POINT* hotspot)
{
    const DragState& d = Drag();
    if (!d.list)
        return nullptr;
    if (position)
        *position = d.position;
    if (hotspot)
        *hotspot = d.hotspot;
    return d.list;
}
