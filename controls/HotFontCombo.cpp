#include "controls/HotFontCombo.h"

#include "winlib/Api.h"
#include "winlib/Fonts.h"

IMPLEMENT_DYNAMIC(CHotFontCombo, CComboBox)

namespace
{

constexpr int kSamplePointsTenths = 110;

int AddFamily(const LOGFONT* font, const TEXTMETRIC*, DWORD, LPARAM data)
{
    auto* combo = reinterpret_cast<CHotFontCombo*>(data);
    if (combo->FindStringExact(-1, font->lfFaceName) == CB_ERR)
        combo->AddString(font->lfFaceName);
    return 1;
}

} // namespace

CHotFontCombo::CHotFontCombo()
{
    ReadSystemColors();
}

CHotFontCombo::~CHotFontCombo() = default;

void CHotFontCombo::ReadSystemColors()
{
    m_clrHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrLight = ::GetSysColor(COLOR_3DLIGHT);
    m_clrDarkShadow = ::GetSysColor(COLOR_3DDKSHADOW);
    m_clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    m_clrFace = ::GetSysColor(COLOR_BTNFACE);
}

void CHotFontCombo::FillFonts()
{
    ResetContent();
    CClientDC dc(this);
    LOGFONT lf{};
    lf.lfCharSet = ANSI_CHARSET;
    EnumFontFamiliesEx(dc.m_hDC, &lf, &AddFamily, reinterpret_cast<LPARAM>(this), 0);
    SetCurSel(FindStringExact(-1, m_strFontName.c_str()));
}

void CHotFontCombo::MeasureItem(LPMEASUREITEMSTRUCT) {}

void CHotFontCombo::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (static_cast<int>(dis->itemID) < 0)
        return;
    CDC* dc = CDC::FromHandle(dis->hDC);
    std::string face;
    GetLBText(static_cast<int>(dis->itemID), face);
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    const COLORREF back = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF text = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    CRect rect(dis->rcItem);
    CBrush brush(back);
    dc->FillRect(&rect, &brush);
    dc->FrameRect(&rect, &brush);
    CFont sample;
    CFont* old =
        sample.CreatePointFont(kSamplePointsTenths, face.c_str(), dc) ? dc->SelectObject(&sample) : nullptr;
    dc->SetTextColor(text);
    dc->SetBkMode(TRANSPARENT);
    dc->TextOut(rect.left, rect.top, face);
    if (old)
        dc->SelectObject(old);
}

void CHotFontCombo::DrawBorder(bool hot)
{
    if (!m_hWnd)
        return;
    CWindowDC dc(this);
    CRect rect;
    GetWindowRect(&rect);
    rect.OffsetRect(-rect.left, -rect.top);
    if (hot)
    {
        dc.Draw3dRect(&rect, m_clrDarkShadow, m_clrLight);
        rect.DeflateRect(1, 1);
        dc.Draw3dRect(&rect, m_clrShadow, m_clrHilite);
    }
    else
    {
        // The same rings in the face colour: the combo looks flat.
        dc.Draw3dRect(&rect, m_clrFace, m_clrFace);
        rect.DeflateRect(1, 1);
        dc.Draw3dRect(&rect, m_clrFace, m_clrFace);
    }
    m_bDrawnHot = hot;
}

void CHotFontCombo::GotFocus()
{
    m_bHasFocus = true;
    DrawBorder(true);
}

void CHotFontCombo::LostFocus()
{
    m_bHasFocus = false;
    DrawBorder(false);
}

void CHotFontCombo::MouseOver()
{
    if (m_bHasFocus || m_bTimerRunning)
        return;
    DrawBorder(true);
    SetTimer(kHoverTimer, kHoverPeriod, nullptr);
    m_bTimerRunning = true;
}

void CHotFontCombo::HoverTick()
{
    CPoint cursor;
    ::GetCursorPos(&cursor);
    CRect rect;
    GetWindowRect(&rect);
    if (rect.PtInRect(cursor))
        return;
    KillTimer(kHoverTimer);
    m_bTimerRunning = false;
    if (!m_bHasFocus)
        DrawBorder(false);
}

LRESULT CHotFontCombo::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
    {
        const LRESULT result = CComboBox::WindowProc(message, wParam, lParam);
        // Focus, hover and a disabled control all look raised.
        DrawBorder(m_bHasFocus || m_bTimerRunning || !IsWindowEnabled());
        return result;
    }
    case WM_SETFOCUS:
    {
        const LRESULT result = CComboBox::WindowProc(message, wParam, lParam);
        GotFocus();
        return result;
    }
    case WM_KILLFOCUS:
    {
        const LRESULT result = CComboBox::WindowProc(message, wParam, lParam);
        LostFocus();
        return result;
    }
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    {
        const LRESULT result = CComboBox::WindowProc(message, wParam, lParam);
        MouseOver();
        return result;
    }
    case WM_TIMER:
        if (wParam == kHoverTimer)
        {
            HoverTick();
            return 0;
        }
        break;
    case WM_FONTCHANGE:
        FillFonts();
        return 0;
    case WM_SYSCOLORCHANGE:
        ReadSystemColors();
        break;
    default:
        break;
    }
    return CComboBox::WindowProc(message, wParam, lParam);
}

BOOL CHotFontCombo::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND)
    {
        switch (HIWORD(wParam))
        {
        case CBN_SETFOCUS:
            GotFocus();
            break;
        case CBN_KILLFOCUS:
            LostFocus();
            break;
        case CBN_SELCHANGE:
            if (GetCurSel() != CB_ERR)
                GetLBText(GetCurSel(), m_strFontName);
            break;
        default:
            break;
        }
        return FALSE; // the dialog hears of it too
    }
    return CComboBox::OnChildNotify(message, wParam, lParam, result);
}
