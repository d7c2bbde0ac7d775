// The colour dialog. Asked of the modal answerer first; on screen a dialog made from a
// template at run time: the 48 basic colours as owner-drawn buttons, red, green and blue
// fields, a preview of the current colour, OK and Cancel.
#include "winlib/ColorDialog.h"
#include "ControlUtil.h"
#include "DialogInternal.h"
#include "winlib/Modal.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

constexpr int kBasicColours = 48;
constexpr int kColumns = 8;

// The basic colours, row by row, as 0xRRGGBB.
constexpr DWORD kBasic[kBasicColours] = {
    0xFF8080, 0xFFFF80, 0x80FF80, 0x00FF80, 0x80FFFF, 0x0080FF, 0xFF80C0, 0xFF80FF, //
    0xFF0000, 0xFFFF00, 0x80FF00, 0x00FF40, 0x00FFFF, 0x0080C0, 0x8080C0, 0xFF00FF, //
    0x804040, 0xFF8040, 0x00FF00, 0x008080, 0x004080, 0x8080FF, 0x800040, 0xFF0080, //
    0x800000, 0xFF8000, 0x008000, 0x008040, 0x0000FF, 0x0000A0, 0x800080, 0x8000FF, //
    0x400000, 0x804000, 0x004000, 0x004040, 0x000080, 0x000040, 0x400040, 0x400080, //
    0x000000, 0x808000, 0x808040, 0x808080, 0x408080, 0xC0C0C0, 0x400040, 0xFFFFFF};

COLORREF BasicColour(int index)
{
    const DWORD rgb = kBasic[index];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void DrawSwatch(const DRAWITEMSTRUCT& dis, COLORREF colour, bool chosen)
{
    CRect r(dis.rcItem);
    if (chosen)
    {
        // The chosen colour is framed twice in the window-frame colour.
        const HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
        FrameRect(dis.hDC, &r, frame);
        CRect inner = r;
        inner.DeflateRect(1, 1);
        FrameRect(dis.hDC, &inner, frame);
    }
    CRect swatch = r;
    swatch.DeflateRect(2, 2);
    DrawEdge(dis.hDC, &swatch, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    const HBRUSH fill = CreateSolidBrush(colour);
    FillRect(dis.hDC, &swatch, fill);
    DeleteObject(fill);
    if (dis.itemState & ODS_FOCUS)
        DrawFocusRect(dis.hDC, &r);
}

winlib::DialogTemplate MakeTemplate();

// The dialog on screen. A CDialog, so that the dialog manager gives it Tab, Enter and Escape.
class ColorPicker : public CDialog
{
public:
    ColorPicker(COLORREF initial, HWND owner) : m_template(MakeTemplate()), m_current(initial)
    {
        m_lpDialogTemplate = &m_template;
        m_pParentWnd = owner ? CWnd::FromHandle(owner) : nullptr;
    }
    COLORREF Current() const { return m_current; }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        for (int id : {COLOR_RED, COLOR_GREEN, COLOR_BLUE})
            SendDlgItemMessage(id, EM_LIMITTEXT, 3, 0);
        SetCurrent(m_current);
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const int id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        if (id >= COLOR_BOX1 && id < COLOR_BOX1 + kBasicColours && code == BN_CLICKED)
        {
            SetCurrent(BasicColour(id - COLOR_BOX1));
            return TRUE;
        }
        if ((id == COLOR_RED || id == COLOR_GREEN || id == COLOR_BLUE) && code == EN_CHANGE)
        {
            if (!m_updating)
            {
                ReadFields();
                Repaint();
            }
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }

    void OnOK() override
    {
        ReadFields();
        CDialog::OnOK();
    }

protected:
    void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT dis) override
    {
        if (idCtl == COLOR_CURRENT)
        {
            CRect r(dis->rcItem);
            DrawEdge(dis->hDC, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            const HBRUSH fill = CreateSolidBrush(m_current);
            FillRect(dis->hDC, &r, fill);
            DeleteObject(fill);
        }
        else if (idCtl >= COLOR_BOX1 && idCtl < COLOR_BOX1 + kBasicColours)
        {
            const COLORREF colour = BasicColour(idCtl - COLOR_BOX1);
            DrawSwatch(*dis, colour, colour == m_current);
        }
        else
            CDialog::OnDrawItem(idCtl, dis);
    }

private:
    void SetCurrent(COLORREF colour)
    {
        m_current = colour & 0xFFFFFF;
        m_updating = true;
        SetDlgItemInt(COLOR_RED, GetRValue(colour), FALSE);
        SetDlgItemInt(COLOR_GREEN, GetGValue(colour), FALSE);
        SetDlgItemInt(COLOR_BLUE, GetBValue(colour), FALSE);
        m_updating = false;
        Repaint();
    }

    int Channel(int id) const
    {
        BOOL ok = FALSE;
        const UINT value = GetDlgItemInt(id, &ok, FALSE);
        return ok ? static_cast<int>(std::min<UINT>(value, 255)) : 0;
    }

    void ReadFields() { m_current = RGB(Channel(COLOR_RED), Channel(COLOR_GREEN), Channel(COLOR_BLUE)); }

    void Repaint()
    {
        ::InvalidateRect(::GetDlgItem(m_hWnd, COLOR_CURRENT), nullptr, TRUE);
        for (int i = 0; i < kBasicColours; ++i)
            ::InvalidateRect(::GetDlgItem(m_hWnd, COLOR_BOX1 + i), nullptr, TRUE);
    }

    winlib::DialogTemplate m_template;
    COLORREF m_current;
    bool m_updating = false; // the fields are being set from m_current
};

winlib::DialogTemplate MakeTemplate()
{
    winlib::DialogTemplate t{};
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.cx = 226;
    t.cy = 128;
    t.caption = "Color";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    const DWORD label = SS_LEFT | WS_VISIBLE;
    t.items.push_back({"Static", "&Basic colors:", -1, label, 0, 6, 5, 140, 8});
    for (int i = 0; i < kBasicColours; ++i)
    {
        const short x = static_cast<short>(6 + (i % kColumns) * 18);
        const short y = static_cast<short>(16 + (i / kColumns) * 14);
        const DWORD style = BS_OWNERDRAW | WS_VISIBLE | (i == 0 ? WS_TABSTOP | WS_GROUP : 0);
        t.items.push_back({"Button", "", COLOR_BOX1 + i, style, 0, x, y, 16, 12});
    }
    t.items.push_back({"Static", "Color", -1, label | WS_GROUP, 0, 158, 5, 60, 8});
    t.items.push_back({"Static", "", COLOR_CURRENT, SS_OWNERDRAW | WS_VISIBLE, 0, 158, 16, 62, 34});
    const char* names[] = {"&Red:", "&Green:", "&Blue:"};
    const int fields[] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
    for (int k = 0; k < 3; ++k)
    {
        const short y = static_cast<short>(58 + k * 16);
        t.items.push_back(
            {"Static", names[k], -1, label | WS_GROUP, 0, 158, static_cast<short>(y + 2), 26, 8});
        t.items.push_back({"Edit", "", fields[k],
                           ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, WS_EX_CLIENTEDGE,
                           186, y, 32, 12});
    }
    t.items.push_back(
        {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP | WS_VISIBLE, 0, 6, 108, 50, 14});
    t.items.push_back(
        {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 62, 108, 50, 14});
    return t;
}

} // namespace

} // namespace winlib::detail

using namespace winlib::detail;

BOOL ChooseColor(LPCHOOSECOLOR cc)
{
    if (!cc)
        return FALSE;
    const COLORREF initial = (cc->Flags & CC_RGBINIT) ? (cc->rgbResult & 0xFFFFFF) : RGB(0, 0, 0);
    winlib::ModalRequest request(winlib::ModalKind::ColorDialog);
    request.window = cc->hwndOwner;
    request.color = initial;
    bool asked = false;
    const winlib::ModalAnswer answer = winlib::AskModalAnswerer(request, &asked);
    if (asked && answer.answered)
    {
        if (answer.result != IDOK)
            return FALSE;
        cc->rgbResult = answer.color & 0xFFFFFF;
        return TRUE;
    }
    if (winlib::GetHeadlessBackend())
    {
        // Nobody is there to choose: the dialog is cancelled.
        CountUnansweredModal();
        return FALSE;
    }
    ColorPicker picker(initial, cc->hwndOwner);
    if (picker.DoModal() != IDOK)
        return FALSE;
    cc->rgbResult = picker.Current();
    return TRUE;
}

IMPLEMENT_DYNAMIC(CColorDialog, CDialog)

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : CDialog(0, parent)
{
    m_cc.lStructSize = sizeof(CHOOSECOLOR);
    m_cc.Flags = flags;
    m_cc.lpCustColors = GetSavedCustomColors();
    m_cc.rgbResult = initial;
    if (initial != 0)
        m_cc.Flags |= CC_RGBINIT;
}

COLORREF* CColorDialog::GetSavedCustomColors()
{
    static COLORREF custom[16] = {
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    return custom;
}

INT_PTR CColorDialog::DoModal()
{
    HWND owner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : ::GetActiveWindow();
    if (!owner && AfxGetMainWnd())
        owner = AfxGetMainWnd()->GetSafeHwnd();
    m_cc.hwndOwner = owner;
    return ChooseColor(&m_cc) ? IDOK : IDCANCEL;
}
