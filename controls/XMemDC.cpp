#include "controls/XMemDC.h"

CXMemDC::CXMemDC(CDC* target) : m_pDC(target)
{
    target->GetClipBox(&m_rect);
    if (!m_rect.IsRectEmpty() && CreateCompatibleDC(target) &&
        m_bitmap.CreateCompatibleBitmap(target, m_rect.Width(), m_rect.Height()))
    {
        m_hOldBitmap = SelectObject(m_bitmap.m_hObject);
        // Callers draw in the target's coordinates; the bitmap starts at the clip box.
        SetViewportOrg(-m_rect.left, -m_rect.top);
        m_bMemDC = TRUE;
        return;
    }
    if (m_hDC)
        DeleteDC();
    m_hDC = target->m_hDC;
    m_hAttribDC = target->m_hAttribDC;
}

CXMemDC::~CXMemDC()
{
    if (m_bMemDC)
    {
        SetViewportOrg(0, 0);
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, 0, 0, SRCCOPY);
        SelectObject(m_hOldBitmap);
        DeleteDC();
        return;
    }
    // Drawn on the target directly: its handles are not ours to release.
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
}
