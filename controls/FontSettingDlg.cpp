#include "controls/FontSettingDlg.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(CFontSettingDlg, CKTBCGPDialog)

namespace
{

constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// Selects the first entry that starts with 'text'. A value the list does not offer leaves the
// list without a selection, so that OK keeps it rather than quietly taking whatever was
// selected before (a face that is not installed stays the list's face).
void SelectStarting(CComboBox& combo, const std::string& text)
{
    combo.SetCurSel(text.empty() ? CB_ERR : combo.FindString(-1, text.c_str()));
}

} // namespace

CFontSettingDlg::CFontSettingDlg(const std::string& face, const std::string& size, CWnd* parent)
    : CKTBCGPDialog(IDD, parent), m_strFontName(face), m_strFontSize(size)
{
}

BOOL CFontSettingDlg::OnInitDialog()
{
    CKTBCGPDialog::OnInitDialog();
    m_cbFont.SubclassDlgItem(IDC_FONT_FACE, this);
    m_cbSize.SubclassDlgItem(IDC_FONT_SIZE, this);
    m_cbFont.m_strFontName = "Arial";
    m_cbFont.FillFonts();
    for (const int size : kSizes)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%d", size);
        m_cbSize.AddString(text);
    }
    m_cbSize.SetCurSel(0);
    return TRUE;
}

void CFontSettingDlg::OnShowWindow(BOOL show, UINT status)
{
    CKTBCGPDialog::OnShowWindow(show, status);
    if (!show)
        return;
    SelectStarting(m_cbFont, m_strFontName);
    SelectStarting(m_cbSize, m_strFontSize);
}

void CFontSettingDlg::OnOK()
{
    if (m_cbFont.GetCurSel() != CB_ERR)
        m_cbFont.GetLBText(m_cbFont.GetCurSel(), m_strFontName);
    if (m_cbSize.GetCurSel() != CB_ERR)
        m_cbSize.GetLBText(m_cbSize.GetCurSel(), m_strFontSize);
    CKTBCGPDialog::OnOK();
}
