// CImageList: the class library's object over an image list handle.
#include "winlib/ImageList.h"
#include "winlib/Wnd.h"

#include <utility>

IMPLEMENT_DYNAMIC(CImageList, CObject)

namespace
{
HBITMAP HandleOf(const CBitmap* bitmap)
{
    return bitmap ? static_cast<HBITMAP>(*bitmap) : nullptr;
}
} // namespace

CImageList::~CImageList()
{
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    if (m_hImageList)
        return FALSE;
    return Attach(ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Attach(HIMAGELIST himl)
{
    if (!himl || m_hImageList)
        return FALSE;
    m_hImageList = himl;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    return std::exchange(m_hImageList, nullptr);
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    return ImageList_Destroy(Detach());
}

int CImageList::GetImageCount() const
{
    return ImageList_GetImageCount(m_hImageList);
}
BOOL CImageList::SetImageCount(UINT count)
{
    return ImageList_SetImageCount(m_hImageList, count);
}
int CImageList::Add(CBitmap* bitmap, CBitmap* mask)
{
    return ImageList_Add(m_hImageList, HandleOf(bitmap), HandleOf(mask));
}
int CImageList::Add(CBitmap* bitmap, COLORREF mask)
{
    return ImageList_AddMasked(m_hImageList, HandleOf(bitmap), mask);
}

BOOL CImageList::Replace(int index, CBitmap* bitmap, CBitmap* mask)
{
    return ImageList_Replace(m_hImageList, index, HandleOf(bitmap), HandleOf(mask));
}

BOOL CImageList::Remove(int index)
{
    return ImageList_Remove(m_hImageList, index);
}

BOOL CImageList::GetImageInfo(int index, IMAGEINFO* info) const
{
    return ImageList_GetImageInfo(m_hImageList, index, info);
}

COLORREF CImageList::SetBkColor(COLORREF color)
{
    return ImageList_SetBkColor(m_hImageList, color);
}
COLORREF CImageList::GetBkColor() const
{
    return ImageList_GetBkColor(m_hImageList);
}

BOOL CImageList::Draw(CDC* dc, int index, POINT point, UINT style)
{
    return dc ? ImageList_Draw(m_hImageList, index, dc->m_hDC, point.x, point.y, style) : FALSE;
}

BOOL CImageList::DrawEx(CDC* dc, int index, POINT point, SIZE size, COLORREF background, COLORREF foreground,
                        UINT style)
{
    return dc ? ImageList_DrawEx(m_hImageList, index, dc->m_hDC, point.x, point.y, size.cx, size.cy,
                                 background, foreground, style)
              : FALSE;
}

BOOL CImageList::BeginDrag(int index, CPoint hotspot)
{
    return ImageList_BeginDrag(m_hImageList, index, hotspot.x, hotspot.y);
}

BOOL CImageList::DragEnter(CWnd* lock, CPoint point)
{
    return ImageList_DragEnter(lock ? lock->GetSafeHwnd() : nullptr, point.x, point.y);
}

BOOL CImageList::DragMove(CPoint point)
{
    return ImageList_DragMove(point.x, point.y);
}
BOOL CImageList::DragLeave(CWnd* lock)
{
    return ImageList_DragLeave(lock ? lock->GetSafeHwnd() : nullptr);
}
void CImageList::EndDrag()
{
    ImageList_EndDrag();
}
BOOL CImageList::DragShowNolock(BOOL show)
{
    return ImageList_DragShowNolock(show);
}
