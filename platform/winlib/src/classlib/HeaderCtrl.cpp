#include "winlib/HeaderCtrl.h"

#include "winlib/ImageList.h"

IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)

BOOL CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::CreateEx(0, WC_HEADER, "", style | WS_CHILD, rect, parent, id);
}

BOOL CHeaderCtrl::GetOrderArray(LPINT order, int count) const
{
    if (count == -1)
        count = GetItemCount();
    return static_cast<BOOL>(
        SendMessage(HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}

CImageList* CHeaderCtrl::SetImageList(CImageList* images)
{
    CImageList* previous = GetImageList();
    SendMessage(HDM_SETIMAGELIST, HDSIL_NORMAL,
                reinterpret_cast<LPARAM>(images ? images->GetSafeHandle() : nullptr));
    m_images = images;
    return previous;
}

CImageList* CHeaderCtrl::GetImageList() const
{
    const auto current = reinterpret_cast<HIMAGELIST>(SendMessage(HDM_GETIMAGELIST, HDSIL_NORMAL));
    return (m_images && current && m_images->GetSafeHandle() == current) ? m_images : nullptr;
}

void CHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_DRAWITEM)
    {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}
