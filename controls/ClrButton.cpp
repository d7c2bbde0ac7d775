#include "controls/ClrButton.h"

IMPLEMENT_DYNAMIC(CClrButton, CButton)

namespace
{

constexpr int kMaxLabelLength = 512;
constexpr int kFocusInset = 4;
constexpr COLORREF kEmbossLight = RGB(255, 255, 255);
constexpr COLORREF kEmbossGrey = RGB(128, 128, 128);
constexpr COLORREF kDefaultRing = RGB(0, 0, 0);

const char* FontStyleName(int style)
{
    switch (style)
    {
    case 1:
        return "Bold";
    case 2:
        return "Italic";
    case 3:
        return "Bold Italic";
    default:
        return "Regular";
    }
}

// One ring one pixel wide, then the rectangle inside it.
void DrawRing(CDC& dc, CRect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    dc.Draw3dRect(&rect, topLeft, bottomRight);
    rect.DeflateRect(1, 1);
}

} // namespace

CClrButton::CClrButton()
{
    ResetColors();
}

CClrButton::~CClrButton() = default;

void CClrButton::SetColors(COLORREF text, COLORREF face)
{
    SetColors(text, face, GetSysColor(COLOR_BTNFACE));
}

void CClrButton::SetColors(COLORREF text, COLORREF face, COLORREF disabledFace)
{
    m_clrText = text;
    m_clrFace = face;
    m_clrDisabledFace = disabledFace;
    // The face covers every pixel, so erasing first would only flicker.
    if (m_hWnd)
        Invalidate(FALSE);
}

void CClrButton::ResetColors()
{
    m_clrText = GetSysColor(COLOR_BTNTEXT);
    m_clrFace = GetSysColor(COLOR_BTNFACE);
    m_clrDisabledFace = GetSysColor(COLOR_BTNFACE);
    m_clrLight = GetSysColor(COLOR_3DLIGHT);
    m_clrHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrShadow = GetSysColor(COLOR_BTNSHADOW);
    m_clrDarkShadow = GetSysColor(COLOR_3DDKSHADOW);
    if (m_hWnd)
        Invalidate();
}

void CClrButton::SetFontDescription(const std::string& name, const std::string& size, int style)
{
    m_strFontName = name;
    m_strFontSize = size;
    m_nFontStyle = style;
    std::string label = name;
    if (style != -1)
        label += std::string(" (") + FontStyleName(style) + " , " + size + ")";
    else
        label += " (" + size + ")";
    if (m_hWnd)
        SetWindowText(label);
}

BOOL CClrButton::PreCreateWindow(CREATESTRUCT& cs)
{
    const auto type = static_cast<DWORD>(cs.style) & BS_TYPEMASK;
    m_bDefault = type == BS_DEFPUSHBUTTON;
    cs.style = static_cast<LONG>((static_cast<DWORD>(cs.style) & ~BS_TYPEMASK) | BS_OWNERDRAW);
    return CButton::PreCreateWindow(cs);
}

void CClrButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    const DWORD type = GetStyle() & BS_TYPEMASK;
    if (type == BS_OWNERDRAW)
        return;
    m_bDefault = type == BS_DEFPUSHBUTTON;
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
}

LRESULT CClrButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case BM_SETSTYLE:
    {
        // The dialog manager moves the default from button to button by their type; taking that
        // type would end the owner drawing, so only the default state is kept from it.
        const auto type = static_cast<DWORD>(wParam) & BS_TYPEMASK;
        if (type == BS_DEFPUSHBUTTON)
            m_bDefault = true;
        else if (type == BS_PUSHBUTTON)
            m_bDefault = false;
        wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
        break;
    }
    case WM_GETDLGCODE:
        if (m_bDefault)
            return (CButton::WindowProc(message, wParam, lParam) & ~DLGC_UNDEFPUSHBUTTON) |
                   DLGC_DEFPUSHBUTTON;
        break;
    default:
        break;
    }
    return CButton::WindowProc(message, wParam, lParam);
}

void CClrButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    CDC* dc = CDC::FromHandle(dis->hDC);
    const int saved = dc->SaveDC();
    const bool disabled = (dis->itemState & ODS_DISABLED) != 0;
    const bool pressed = (dis->itemState & ODS_SELECTED) != 0;
    const bool focused = (dis->itemState & ODS_FOCUS) != 0;
    const bool isDefault = m_bDefault || (dis->itemState & ODS_DEFAULT) != 0;
    const CRect item(dis->rcItem);

    dc->FillSolidRect(&item, disabled ? m_clrDisabledFace : m_clrFace);

    CRect rect = item;
    if (pressed)
    {
        DrawRing(*dc, rect, m_clrDarkShadow, m_clrDarkShadow);
        DrawRing(*dc, rect, m_clrShadow, m_clrShadow);
    }
    else
    {
        if (isDefault || focused)
            DrawRing(*dc, rect, kDefaultRing, kDefaultRing);
        DrawRing(*dc, rect, m_clrHighlight, m_clrDarkShadow);
        DrawRing(*dc, rect, m_clrLight, m_clrShadow);
    }

    std::string label = GetWindowText();
    if (label.size() > static_cast<std::size_t>(kMaxLabelLength))
        label.resize(kMaxLabelLength);
    if (CFont* font = GetFont())
        dc->SelectObject(font);
    dc->SetBkMode(TRANSPARENT);
    constexpr UINT format = DT_CENTER | DT_SINGLELINE | DT_VCENTER;
    CRect raised = rect;
    raised.OffsetRect(-1, -1);
    if (disabled)
    {
        dc->SetTextColor(kEmbossLight);
        dc->DrawText(label, &rect, format);
        dc->SetTextColor(kEmbossGrey);
        dc->DrawText(label, &raised, format);
    }
    else
    {
        dc->SetTextColor(m_clrText);
        dc->DrawText(label, pressed ? &rect : &raised, format);
    }

    if (focused && !disabled)
    {
        CRect focus = item;
        focus.DeflateRect(kFocusInset, kFocusInset);
        dc->DrawFocusRect(&focus);
    }
    dc->RestoreDC(saved);
}
