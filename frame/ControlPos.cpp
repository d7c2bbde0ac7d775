#include "frame/ControlPos.h"

#include <algorithm>

CControlPos::CControlPos(CWnd* parent) : m_pParent(parent)
{
    RememberParentSize();
    m_nLastParentWidth = 0;
    m_nLastParentHeight = 0;
}

CControlPos::~CControlPos()
{
    RemoveAllControls();
}

void CControlPos::AttachParent(CWnd* parent)
{
    m_pParent = parent;
    if (!m_pParent || !m_pParent->m_hWnd)
        return;
    CRect client;
    m_pParent->GetClientRect(&client);
    m_nMinParentWidth = client.Width();
    m_nMinParentHeight = client.Height();
    RememberParentSize();
}

void CControlPos::SetReferenceParentSize(int width, int height)
{
    m_nMinParentWidth = m_nLastParentWidth = width;
    m_nMinParentHeight = m_nLastParentHeight = height;
}

BOOL CControlPos::AddControl(CWnd* control, DWORD flags)
{
    if (!m_pParent || !control)
        return FALSE;
    m_arrControls.push_back(new sControlEntry{control->m_hWnd, flags});
    return TRUE;
}

BOOL CControlPos::AddControl(UINT controlId, DWORD flags)
{
    if (!m_pParent)
        return FALSE;
    return AddControl(m_pParent->GetDlgItem(static_cast<int>(controlId)), flags);
}

BOOL CControlPos::RemoveHandle(HWND control)
{
    const auto found =
        std::find_if(m_arrControls.begin(), m_arrControls.end(),
                     [control](const sControlEntry* entry) { return entry->m_hWnd == control; });
    if (found == m_arrControls.end())
        return FALSE;
    delete *found;
    m_arrControls.erase(found);
    return TRUE;
}

BOOL CControlPos::RemoveControl(CWnd* control)
{
    if (!m_pParent || !control)
        return FALSE;
    return RemoveHandle(control->m_hWnd);
}

BOOL CControlPos::RemoveControl(UINT controlId)
{
    if (!m_pParent)
        return FALSE;
    return RemoveControl(m_pParent->GetDlgItem(static_cast<int>(controlId)));
}

void CControlPos::RemoveAllControls()
{
    while (!m_arrControls.empty())
    {
        delete m_arrControls.back();
        m_arrControls.pop_back();
    }
}

void CControlPos::RememberParentSize()
{
    if (!m_pParent || !m_pParent->m_hWnd)
        return;
    CRect client;
    m_pParent->GetClientRect(&client);
    m_nLastParentWidth = client.Width();
    m_nLastParentHeight = client.Height();
}

void CControlPos::RepositionControls()
{
    if (!m_pParent || !m_pParent->m_hWnd)
        return;
    for (const sControlEntry* entry : m_arrControls)
    {
        if (!::IsWindow(entry->m_hWnd))
            continue;
        CRect rect;
        ::GetWindowRect(entry->m_hWnd, &rect);
        CRect client;
        m_pParent->GetClientRect(&client);
        const int width = client.right;
        const int height = client.bottom;
        int dx = width - m_nLastParentWidth;
        int dy = height - m_nLastParentHeight;
        if (!m_bShrinkBelowMinimum)
        {
            // Below the minimum the controls stay where the minimum size put them.
            dx = std::max(width, m_nMinParentWidth) - std::max(m_nLastParentWidth, m_nMinParentWidth);
            dy = std::max(height, m_nMinParentHeight) - std::max(m_nLastParentHeight, m_nMinParentHeight);
        }
        // Each flag on its own, so that size and move together move the far edge twice.
        if (entry->m_dwFlags & ANCHOR_SIZE_Y)
            rect.bottom += dy;
        if (entry->m_dwFlags & ANCHOR_SIZE_X)
            rect.right += dx;
        if (entry->m_dwFlags & ANCHOR_MOVE_Y)
            rect.OffsetRect(0, dy);
        if (entry->m_dwFlags & ANCHOR_MOVE_X)
            rect.OffsetRect(dx, 0);
        m_pParent->ScreenToClient(&rect);
        ::MoveWindow(entry->m_hWnd, rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
    }
    RememberParentSize();
    m_pParent->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
