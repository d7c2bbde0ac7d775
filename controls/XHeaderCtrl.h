// The extended list's header: paints its columns itself (blue centred titles, an image at the
// left, a bitmap at the right, etched separators) through a memory context, and keeps a check
// state per column in the header item's image index: 0 no check box, 1 unchecked, 2 checked.
#pragma once

#include "winlib/HeaderCtrl.h"

class CXHeaderCtrl : public CHeaderCtrl
{
    DECLARE_DYNAMIC(CXHeaderCtrl)
public:
    CXHeaderCtrl();
    ~CXHeaderCtrl() override;

    static constexpr COLORREF kTitleColor = RGB(0, 0, 255);

    int GetSpacing() const { return m_nSpace; }
    void SetSpacing(int spacing) { m_nSpace = spacing; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSysColorChange() override;

private:
    void ReadSystemColors();
    // The column's image, bitmap and text inside 'rect' (already narrowed by the spacing).
    void DrawColumn(CDC& dc, int item, CRect rect);
    // Draws image 'image' at the left of 'rect'; the width it took, 0 when nothing was drawn.
    int DrawImage(CDC& dc, int image, const CRect& rect);
    int DrawBitmap(CDC& dc, HBITMAP bitmap, const CRect& rect);

    BOOL m_bDoubleBuffer = TRUE;
    int m_nSpace = 6;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    COLORREF m_cr3DHighLight = 0;
    COLORREF m_cr3DShadow = 0;
    COLORREF m_cr3DFace = 0;
    COLORREF m_crBtnText = 0;
};
