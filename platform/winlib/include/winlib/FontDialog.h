// The font dialog: ChooseFont and the class library's CFontDialog. It asks the modal answerer
// first (ModalKind::FontDialog, with the initial font, colour and flags); headless and
// unanswered it is cancelled; on screen it is a modal dialog with the installed faces, the
// four styles, the usual point sizes, the effects (strikeout, underline, colour) when
// CF_EFFECTS is given, and a sample of the font chosen.
#pragma once

#include "winlib/Dialog.h"
#include "winlib/Gdi.h"

#include <string>

using LPCFHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSEFONTA
{
    DWORD lStructSize;
    HWND hwndOwner;
    HDC hDC;
    LPLOGFONT lpLogFont;
    INT iPointSize; // tenths of a point
    DWORD Flags;
    COLORREF rgbColors;
    LPARAM lCustData;
    LPCFHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    HINSTANCE hInstance;
    LPSTR lpszStyle;
    WORD nFontType;
    WORD wPadding;
    INT nSizeMin;
    INT nSizeMax;
};
using CHOOSEFONT = CHOOSEFONTA;
using LPCHOOSEFONT = CHOOSEFONT*;

constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_PRINTERFONTS = 0x00000002;
constexpr DWORD CF_BOTH = CF_SCREENFONTS | CF_PRINTERFONTS;
constexpr DWORD CF_SHOWHELP = 0x00000004;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr DWORD CF_USESTYLE = 0x00000080;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_LIMITSIZE = 0x00002000;
constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
constexpr DWORD CF_NOVERTFONTS = 0x01000000;

constexpr WORD BOLD_FONTTYPE = 0x0100;
constexpr WORD ITALIC_FONTTYPE = 0x0200;
constexpr WORD REGULAR_FONTTYPE = 0x0400;
constexpr WORD SCREEN_FONTTYPE = 0x2000;

// Control identifiers of the dialog, as the system's font dialog numbers them.
constexpr int FONT_FACES = 0x470;     // cmb1
constexpr int FONT_STYLES = 0x471;    // cmb2
constexpr int FONT_SIZES = 0x472;     // cmb3
constexpr int FONT_COLORS = 0x473;    // cmb4
constexpr int FONT_STRIKEOUT = 0x410; // chx1
constexpr int FONT_UNDERLINE = 0x411; // chx2
constexpr int FONT_SAMPLE = 0x444;    // stc5

// TRUE with the choice in *lpLogFont, iPointSize, rgbColors and nFontType; FALSE when
// cancelled (nothing is changed then).
BOOL ChooseFont(LPCHOOSEFONT cf);

class CFontDialog : public CDialog
{
    DECLARE_DYNAMIC(CFontDialog)
public:
    // With an initial font the dialog starts on it (CF_INITTOLOGFONTSTRUCT).
    explicit CFontDialog(const LOGFONT* initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS,
                         CDC* printer = nullptr, CWnd* parent = nullptr);
    CFontDialog(const CFontDialog&) = delete;
    CFontDialog& operator=(const CFontDialog&) = delete;

    // IDOK with the font in m_lf, or IDCANCEL.
    INT_PTR DoModal() override;

    void GetCurrentFont(LPLOGFONT font) const { *font = m_lf; }
    std::string GetFaceName() const;
    // Tenths of a point.
    int GetSize() const { return m_cf.iPointSize; }
    COLORREF GetColor() const { return m_cf.rgbColors; }
    int GetWeight() const { return static_cast<int>(m_lf.lfWeight); }
    BOOL IsStrikeOut() const { return m_lf.lfStrikeOut ? TRUE : FALSE; }
    BOOL IsUnderline() const { return m_lf.lfUnderline ? TRUE : FALSE; }
    BOOL IsBold() const { return m_lf.lfWeight >= FW_SEMIBOLD ? TRUE : FALSE; }
    BOOL IsItalic() const { return m_lf.lfItalic ? TRUE : FALSE; }

    CHOOSEFONT m_cf{};
    LOGFONT m_lf{};
};
