#include "controls/XHeaderCtrl.h"

#include "controls/XMemDC.h"
#include "winlib/ImageList.h"

IMPLEMENT_DYNAMIC(CXHeaderCtrl, CHeaderCtrl)

namespace
{
constexpr int kMaxTitle = 80;
constexpr int kSeparatorInset = 2;
} // namespace

CXHeaderCtrl::CXHeaderCtrl()
{
    ReadSystemColors();
}

CXHeaderCtrl::~CXHeaderCtrl() = default;

void CXHeaderCtrl::ReadSystemColors()
{
    m_cr3DHighLight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_cr3DShadow = ::GetSysColor(COLOR_BTNSHADOW);
    m_cr3DFace = ::GetSysColor(COLOR_BTNFACE);
    m_crBtnText = ::GetSysColor(COLOR_BTNTEXT);
}

void CXHeaderCtrl::OnSysColorChange()
{
    CHeaderCtrl::OnSysColorChange();
    ReadSystemColors();
}

BOOL CXHeaderCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE; // the paint covers the whole header
}

// Owner-drawn columns are the owner's business; the header draws nothing for them.
void CXHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

void CXHeaderCtrl::OnPaint()
{
    CPaintDC paint(this);
    if (!m_bDoubleBuffer)
        return;
    CXMemDC dc(&paint);
    CRect clip;
    paint.GetClipBox(&clip);
    dc.FillSolidRect(&clip, m_cr3DFace);
    CFont* font = GetFont();
    CFont* oldFont = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkColor(m_cr3DFace);
    dc.SetTextColor(m_crBtnText);

    CImageList* images = GetImageList();
    if (images && images->GetImageCount() > 0)
    {
        IMAGEINFO info{};
        if (images->GetImageInfo(0, &info))
        {
            m_nImageWidth = info.rcImage.right - info.rcImage.left;
            m_nImageHeight = info.rcImage.bottom - info.rcImage.top;
        }
    }

    const int count = GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count > 0 ? count : 0));
    if (count > 0 && !GetOrderArray(order.data(), count))
        for (int i = 0; i < count; ++i)
            order[static_cast<std::size_t>(i)] = i;

    CRect client;
    GetClientRect(&client);
    int covered = 0;
    for (int position = 0; position < count; ++position)
    {
        const int item = order[static_cast<std::size_t>(position)];
        CRect rect;
        GetItemRect(item, &rect);
        covered = std::max(covered, static_cast<int>(rect.right));
        HDITEM hdi{};
        hdi.mask = HDI_FORMAT;
        GetItem(item, &hdi);
        if (hdi.fmt & HDF_OWNERDRAW)
        {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_HEADER;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
            dis.itemID = static_cast<UINT>(item);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.hwndItem = m_hWnd;
            dis.hDC = dc.m_hDC;
            dis.rcItem = rect;
            DrawItem(&dis);
        }
        else
        {
            CRect inner = rect;
            inner.DeflateRect(m_nSpace, 0);
            DrawColumn(dc, item, inner);
        }
        if (position < count - 1)
        {
            const int top = rect.top + kSeparatorInset;
            const int bottom = rect.bottom - kSeparatorInset;
            CPen shadow(PS_SOLID, 1, m_cr3DShadow);
            CPen highlight(PS_SOLID, 1, m_cr3DHighLight);
            CPen* oldPen = dc.SelectObject(&shadow);
            dc.MoveTo(rect.right - 1, top);
            dc.LineTo(rect.right - 1, bottom);
            dc.SelectObject(&highlight);
            dc.MoveTo(rect.right, top);
            dc.LineTo(rect.right, bottom);
            dc.SelectObject(oldPen);
        }
    }
    if (covered >= 1)
    {
        CRect frame(client.left, client.top, covered, client.bottom);
        dc.Draw3dRect(&frame, m_cr3DHighLight, m_cr3DShadow);
    }
    if (oldFont)
        dc.SelectObject(oldFont);
}

void CXHeaderCtrl::DrawColumn(CDC& dc, int item, CRect rect)
{
    char text[kMaxTitle + 1] = {};
    HDITEM hdi{};
    hdi.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE | HDI_BITMAP;
    hdi.pszText = text;
    hdi.cchTextMax = kMaxTitle;
    GetItem(item, &hdi);

    if (hdi.iImage != 0)
    {
        const int used = DrawImage(dc, hdi.iImage, rect);
        if (used > 0)
            rect.left += used + m_nSpace;
    }
    if ((hdi.fmt & HDF_BITMAP) && hdi.hbm)
    {
        const int used = DrawBitmap(dc, hdi.hbm, rect);
        if (used > 0)
            rect.right -= used + m_nSpace;
    }
    if (text[0] && rect.Width() > 0)
    {
        dc.SetTextColor(kTitleColor);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(text, -1, &rect, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

int CXHeaderCtrl::DrawImage(CDC& dc, int image, const CRect& rect)
{
    CImageList* images = GetImageList();
    if (!images || image < 0 || image >= images->GetImageCount() || rect.Width() <= 0)
        return 0;
    const int width = std::min(m_nImageWidth, static_cast<int>(rect.Width()));
    const int top = rect.top + (rect.Height() - m_nImageHeight) / 2;
    images->DrawEx(&dc, image, CPoint(rect.left, top), CSize(width, m_nImageHeight), CLR_DEFAULT, CLR_DEFAULT,
                   ILD_TRANSPARENT);
    return width;
}

int CXHeaderCtrl::DrawBitmap(CDC& dc, HBITMAP bitmap, const CRect& rect)
{
    BITMAP info{};
    if (!::GetObject(bitmap, sizeof info, &info) || info.bmWidth > rect.Width())
        return 0; // only a bitmap that fits is drawn
    CDC source;
    if (!source.CreateCompatibleDC(&dc))
        return 0;
    const HGDIOBJ old = source.SelectObject(static_cast<HGDIOBJ>(bitmap));
    const int top = rect.top + (rect.Height() - info.bmHeight) / 2;
    dc.BitBlt(rect.right - info.bmWidth, top, info.bmWidth, info.bmHeight, &source, 0, 0, SRCCOPY);
    source.SelectObject(old);
    return info.bmWidth;
}
