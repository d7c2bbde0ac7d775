// A memory device context over another one: drawing goes to an off-screen bitmap of the target's
// clip box and is copied to the target in one blit when the object goes, so that a header paints
// without flicker.
#pragma once

#include "winlib/Gdi.h"

class CXMemDC : public CDC
{
public:
    explicit CXMemDC(CDC* target);
    ~CXMemDC() override;
    CXMemDC(const CXMemDC&) = delete;
    CXMemDC& operator=(const CXMemDC&) = delete;

    // The part of the target this context covers, in the target's coordinates.
    const CRect& GetRect() const { return m_rect; }

private:
    CDC* m_pDC;
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap = nullptr;
    CRect m_rect;
    // False when no memory context could be made: the drawing then goes to the target itself.
    BOOL m_bMemDC = FALSE;
};
