// The font dialog. Asked of the modal answerer first; on screen a dialog made from a template at
// run time: faces, styles and sizes in list boxes, the effects, a sample, OK and Cancel.
#include "winlib/FontDialog.h"

#include "DialogInternal.h"
#include "winlib/Backend.h"
#include "winlib/Fonts.h"
#include "winlib/ListBox.h"
#include "winlib/Modal.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace winlib::detail
{

namespace
{

constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
const char* const kStyles[] = {"Regular", "Italic", "Bold", "Bold Italic"};

struct NamedColour
{
    const char* name;
    COLORREF colour;
};

// The sixteen colours the system's font dialog offers for its effects.
constexpr NamedColour kColours[] = {
    {"Black", RGB(0, 0, 0)},      {"Maroon", RGB(128, 0, 0)},    {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},  {"Navy", RGB(0, 0, 128)},      {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},   {"Gray", RGB(128, 128, 128)},  {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},      {"Lime", RGB(0, 255, 0)},      {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},     {"Fuchsia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)}};

int ScreenDpi()
{
    const HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// Points of a LOGFONT height, rounded as the font dialog shows them (0 for the default height).
int PointsOf(const LOGFONT& font)
{
    const LONG height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    return height == 0 ? 0 : MulDiv(static_cast<int>(height), 72, ScreenDpi());
}

std::string FaceOf(const LOGFONT& font)
{
    return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
}

int CollectFamily(const LOGFONT* font, const TEXTMETRIC*, DWORD, LPARAM data)
{
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(FaceOf(*font));
    return 1;
}

winlib::DialogTemplate MakeTemplate(bool effects);

// The dialog on screen. A CDialog, so that the dialog manager gives it Tab, Enter and Escape.
class FontPicker : public CDialog
{
public:
    FontPicker(const LOGFONT& initial, COLORREF colour, bool effects, HWND owner)
        : m_template(MakeTemplate(effects)), m_font(initial), m_colour(colour), m_effects(effects)
    {
        m_lpDialogTemplate = &m_template;
        m_pParentWnd = owner ? CWnd::FromHandle(owner) : nullptr;
    }
    const LOGFONT& Font() const { return m_font; }
    COLORREF Colour() const { return m_colour; }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        std::vector<std::string> faces;
        EnumFontFamilies(nullptr, nullptr, &CollectFamily, reinterpret_cast<LPARAM>(&faces));
        for (const std::string& face : faces)
            SendDlgItemMessage(FONT_FACES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(face.c_str()));
        for (const char* style : kStyles)
            SendDlgItemMessage(FONT_STYLES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(style));
        for (int size : kSizes)
            SendDlgItemMessage(FONT_SIZES, LB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(std::to_string(size).c_str()));
        if (m_effects)
        {
            for (const NamedColour& c : kColours)
                SendDlgItemMessage(FONT_COLORS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
            const auto* found = std::find_if(std::begin(kColours), std::end(kColours),
                                             [this](const NamedColour& c) { return c.colour == m_colour; });
            // A colour that is none of the sixteen stays on offer as it is.
            if (found == std::end(kColours))
                SendDlgItemMessage(FONT_COLORS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Custom"));
            SendDlgItemMessage(FONT_COLORS, CB_SETCURSEL,
                               static_cast<WPARAM>(found == std::end(kColours)
                                                       ? std::size(kColours)
                                                       : static_cast<std::size_t>(found - kColours)));
            CheckDlgButton(FONT_STRIKEOUT, m_font.lfStrikeOut ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(FONT_UNDERLINE, m_font.lfUnderline ? BST_CHECKED : BST_UNCHECKED);
        }
        const std::string face = FaceOf(m_font);
        SendDlgItemMessage(
            FONT_FACES, LB_SETCURSEL,
            static_cast<WPARAM>(SendDlgItemMessage(FONT_FACES, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(face.c_str()))));
        const int style = (m_font.lfWeight >= FW_SEMIBOLD ? 2 : 0) + (m_font.lfItalic ? 1 : 0);
        SendDlgItemMessage(FONT_STYLES, LB_SETCURSEL, static_cast<WPARAM>(style));
        const int points = PointsOf(m_font);
        const auto* size = std::find(std::begin(kSizes), std::end(kSizes), points);
        SendDlgItemMessage(FONT_SIZES, LB_SETCURSEL,
                           static_cast<WPARAM>(size == std::end(kSizes) ? -1 : size - kSizes));
        if (points > 0)
            m_points = points;
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const int id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        if (((id == FONT_FACES || id == FONT_STYLES || id == FONT_SIZES) && code == LBN_SELCHANGE) ||
            (id == FONT_COLORS && code == CBN_SELCHANGE) ||
            ((id == FONT_STRIKEOUT || id == FONT_UNDERLINE) && code == BN_CLICKED))
        {
            ReadChoice();
            ::InvalidateRect(::GetDlgItem(m_hWnd, FONT_SAMPLE), nullptr, TRUE);
        }
        return CDialog::OnCommand(wParam, lParam);
    }

    void OnOK() override
    {
        ReadChoice();
        CDialog::OnOK();
    }

protected:
    void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT dis) override
    {
        if (idCtl != FONT_SAMPLE)
        {
            CDialog::OnDrawItem(idCtl, dis);
            return;
        }
        CRect r(dis->rcItem);
        FillRect(dis->hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dis->hDC, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        const HFONT font = CreateFontIndirect(&m_font);
        const HGDIOBJ old = SelectObject(dis->hDC, font);
        SetBkMode(dis->hDC, TRANSPARENT);
        ::SetTextColor(dis->hDC, m_effects ? m_colour : GetSysColor(COLOR_WINDOWTEXT));
        DrawText(dis->hDC, "AaBbYyZz", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dis->hDC, old);
        DeleteObject(font);
    }

private:
    std::string ListText(int id, int index) const
    {
        if (index < 0)
            return {};
        const int length =
            static_cast<int>(SendDlgItemMessage(id, LB_GETTEXTLEN, static_cast<WPARAM>(index)));
        std::string text(static_cast<std::size_t>(std::max(0, length)) + 1, '\0');
        SendDlgItemMessage(id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::strlen(text.c_str()));
        return text;
    }

    void ReadChoice()
    {
        const int face = static_cast<int>(SendDlgItemMessage(FONT_FACES, LB_GETCURSEL));
        if (face >= 0)
        {
            const std::string name = ListText(FONT_FACES, face);
            std::memset(m_font.lfFaceName, 0, sizeof m_font.lfFaceName);
            std::strncpy(m_font.lfFaceName, name.c_str(), LF_FACESIZE - 1);
        }
        const int style = static_cast<int>(SendDlgItemMessage(FONT_STYLES, LB_GETCURSEL));
        if (style >= 0)
        {
            m_font.lfWeight = (style & 2) ? FW_BOLD : FW_NORMAL;
            m_font.lfItalic = (style & 1) ? 1 : 0;
        }
        const int size = static_cast<int>(SendDlgItemMessage(FONT_SIZES, LB_GETCURSEL));
        if (size >= 0 && size < static_cast<int>(std::size(kSizes)))
            m_points = kSizes[size];
        m_font.lfHeight = -MulDiv(m_points, ScreenDpi(), 72);
        m_font.lfWidth = 0;
        if (m_effects)
        {
            m_font.lfStrikeOut = IsDlgButtonChecked(FONT_STRIKEOUT) == BST_CHECKED ? 1 : 0;
            m_font.lfUnderline = IsDlgButtonChecked(FONT_UNDERLINE) == BST_CHECKED ? 1 : 0;
            const int colour = static_cast<int>(SendDlgItemMessage(FONT_COLORS, CB_GETCURSEL));
            if (colour >= 0 && colour < static_cast<int>(std::size(kColours)))
                m_colour = kColours[colour].colour;
        }
    }

    winlib::DialogTemplate m_template;
    LOGFONT m_font;
    COLORREF m_colour;
    bool m_effects;
    int m_points = 8; // the size in force when none is chosen
};

winlib::DialogTemplate MakeTemplate(bool effects)
{
    winlib::DialogTemplate t{};
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.cx = 264;
    t.cy = effects ? 182 : 140;
    t.caption = "Font";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    const DWORD label = SS_LEFT | WS_VISIBLE;
    const DWORD list =
        WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    t.items.push_back({"Static", "&Font:", -1, label, 0, 7, 7, 98, 9});
    t.items.push_back({"ListBox", "", FONT_FACES, list | LBS_SORT | WS_GROUP, 0, 7, 17, 98, 76});
    t.items.push_back({"Static", "Font st&yle:", -1, label | WS_GROUP, 0, 111, 7, 70, 9});
    t.items.push_back({"ListBox", "", FONT_STYLES, list | WS_GROUP, 0, 111, 17, 70, 76});
    t.items.push_back({"Static", "&Size:", -1, label | WS_GROUP, 0, 187, 7, 30, 9});
    t.items.push_back({"ListBox", "", FONT_SIZES, list | WS_GROUP, 0, 187, 17, 30, 76});
    t.items.push_back(
        {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP | WS_VISIBLE, 0, 222, 17, 36, 14});
    t.items.push_back(
        {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 222, 34, 36, 14});
    short y = 98;
    if (effects)
    {
        t.items.push_back({"Button", "Effects", -1, BS_GROUPBOX | WS_VISIBLE | WS_GROUP, 0, 7, y, 98, 72});
        t.items.push_back({"Button", "Stri&keout", FONT_STRIKEOUT,
                           BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 0, 13,
                           static_cast<short>(y + 12), 49, 10});
        t.items.push_back({"Button", "&Underline", FONT_UNDERLINE, BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE,
                           0, 13, static_cast<short>(y + 26), 51, 10});
        t.items.push_back(
            {"Static", "&Color:", -1, label | WS_GROUP, 0, 13, static_cast<short>(y + 40), 30, 9});
        t.items.push_back({"ComboBox", "", FONT_COLORS,
                           CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 0, 13,
                           static_cast<short>(y + 50), 82, 100});
    }
    const short sampleX = effects ? 111 : 7;
    const short sampleWidth = effects ? 146 : 250;
    t.items.push_back({"Button", "Sample", -1, BS_GROUPBOX | WS_VISIBLE | WS_GROUP, 0, sampleX, y,
                       sampleWidth, effects ? short{72} : short{36}});
    t.items.push_back({"Static", "", FONT_SAMPLE, SS_OWNERDRAW | WS_VISIBLE, 0,
                       static_cast<short>(sampleX + 6), static_cast<short>(y + 11),
                       static_cast<short>(sampleWidth - 12), effects ? short{55} : short{20}});
    return t;
}

} // namespace

} // namespace winlib::detail

using namespace winlib::detail;

BOOL ChooseFont(LPCHOOSEFONT cf)
{
    if (!cf || !cf->lpLogFont)
        return FALSE;
    LOGFONT initial{};
    if (cf->Flags & CF_INITTOLOGFONTSTRUCT)
        initial = *cf->lpLogFont;
    else
        initial.lfWeight = FW_NORMAL;
    const bool effects = (cf->Flags & CF_EFFECTS) != 0;
    winlib::ModalRequest request(winlib::ModalKind::FontDialog);
    request.window = cf->hwndOwner;
    request.type = static_cast<UINT>(cf->Flags);
    request.font = initial;
    request.color = cf->rgbColors;
    bool asked = false;
    LOGFONT chosen{};
    COLORREF colour = cf->rgbColors;
    const winlib::ModalAnswer answer = winlib::AskModalAnswerer(request, &asked);
    if (asked && answer.answered)
    {
        if (answer.result != IDOK)
            return FALSE;
        chosen = answer.font;
        if (effects)
            colour = answer.color;
    }
    else if (winlib::GetHeadlessBackend())
    {
        // Nobody is there to choose: the dialog is cancelled.
        CountUnansweredModal();
        return FALSE;
    }
    else
    {
        FontPicker picker(initial, cf->rgbColors, effects, cf->hwndOwner);
        if (picker.DoModal() != IDOK)
            return FALSE;
        chosen = picker.Font();
        colour = picker.Colour();
    }
    if (!effects)
    {
        // Effects that could not be chosen are not changed.
        chosen.lfUnderline = initial.lfUnderline;
        chosen.lfStrikeOut = initial.lfStrikeOut;
    }
    *cf->lpLogFont = chosen;
    cf->iPointSize = PointsOf(chosen) * 10;
    cf->rgbColors = colour;
    cf->nFontType =
        static_cast<WORD>(SCREEN_FONTTYPE | (chosen.lfWeight >= FW_SEMIBOLD ? BOLD_FONTTYPE : 0) |
                          (chosen.lfItalic ? ITALIC_FONTTYPE : 0) |
                          (chosen.lfWeight < FW_SEMIBOLD && !chosen.lfItalic ? REGULAR_FONTTYPE : 0));
    return TRUE;
}

IMPLEMENT_DYNAMIC(CFontDialog, CDialog)

CFontDialog::CFontDialog(const LOGFONT* initial, DWORD flags, CDC*, CWnd* parent) : CDialog(0, parent)
{
    m_cf.lStructSize = sizeof(CHOOSEFONT);
    m_cf.Flags = flags;
    m_cf.lpLogFont = &m_lf;
    if (initial)
    {
        m_lf = *initial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
}

INT_PTR CFontDialog::DoModal()
{
    HWND owner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : ::GetActiveWindow();
    if (!owner && AfxGetMainWnd())
        owner = AfxGetMainWnd()->GetSafeHwnd();
    m_cf.hwndOwner = owner;
    m_cf.lpLogFont = &m_lf;
    return ChooseFont(&m_cf) ? IDOK : IDCANCEL;
}

std::string CFontDialog::GetFaceName() const
{
    return FaceOf(m_lf);
}
