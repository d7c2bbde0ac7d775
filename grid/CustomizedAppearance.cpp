#include "grid/CustomizedAppearance.h"

#include "base/UserSettings.h"
#include "controls/FontSettingDlg.h"
#include "grid/CommonListCtrl.h"
#include "winlib/Api.h"
#include "winlib/ColorDialog.h"

#include <algorithm>
#include <cstdio>

IMPLEMENT_DYNAMIC(CCustomizedAppearance, CKTBCGPDialog)

namespace
{

CCustomizedAppearance* g_pCustomizedAppearance = nullptr;

constexpr int kKeywordWidth = 100;
constexpr int kColorWidth = 100;
constexpr COLORREF kTipTextColor = 0xFF0000; // as a colour reference: blue

// The controls of the keyword section, shown and hidden together.
constexpr int kSectionControls[] = {
    CCustomizedAppearance::IDC_KEYWORD_COLUMN, CCustomizedAppearance::IDC_UNLOCK_COLUMN,
    CCustomizedAppearance::IDC_KEYWORD,        CCustomizedAppearance::IDC_KEYWORDS,
    CCustomizedAppearance::IDC_ADD_KEYWORD,    CCustomizedAppearance::IDC_KEYWORD_GROUP,
};
// The controls below the section, which move down when it opens.
constexpr int kBelowSection[] = {CCustomizedAppearance::IDC_FONT_LABEL, CCustomizedAppearance::IDC_FONT,
                                 CCustomizedAppearance::IDC_APPLY, IDCANCEL};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

CCustomizedAppearance::CCustomizedAppearance(CCustomizedAppearance** slot)
    : CKTBCGPDialog(IDD, nullptr), m_ppSlot(slot)
{
}

CCustomizedAppearance* CCustomizedAppearance::Shared()
{
    if (!g_pCustomizedAppearance)
        g_pCustomizedAppearance = new CCustomizedAppearance(&g_pCustomizedAppearance); // goes with its window
    return g_pCustomizedAppearance;
}

void CCustomizedAppearance::PostNcDestroy()
{
    if (m_ppSlot && *m_ppSlot == this)
        *m_ppSlot = nullptr;
    delete this;
}

void OpenCustomizedAppearance(CCommonListCtrl* list)
{
    CCustomizedAppearance::Shared()->Open(list);
}

BOOL CCustomizedAppearance::OnInitDialog()
{
    CKTBCGPDialog::OnInitDialog();
    m_cbProperty.SubclassDlgItem(IDC_PROPERTY, this);
    m_cbColumn.SubclassDlgItem(IDC_KEYWORD_COLUMN, this);
    m_btnColor.SubclassDlgItem(IDC_COLOR, this);
    m_btnFont.SubclassDlgItem(IDC_FONT, this);
    m_lcKeywords.SubclassDlgItem(IDC_KEYWORDS, this);
    m_cbProperty.AddString("Text");
    m_cbProperty.AddString("Background");
    m_lcKeywords.SetExtendedStyle(m_lcKeywords.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_lcKeywords.InsertColumn(0, "Keyword", LVCFMT_LEFT, kKeywordWidth);
    m_lcKeywords.InsertColumn(1, "Color", LVCFMT_LEFT, kColorWidth);

    if (m_toolTip.Create(this))
    {
        m_toolTip.SetTipTextColor(kTipTextColor);
        m_toolTip.AddTool(GetDlgItem(IDC_KEYWORD_COLUMN), "Choose the column for Keywords");
        m_toolTip.AddTool(GetDlgItem(IDC_UNLOCK_COLUMN), "Click to change column for Keywords");
        m_toolTip.AddTool(GetDlgItem(IDC_KEYWORD), "Enter Text to add a keyword to list");
        m_toolTip.AddTool(GetDlgItem(IDC_ADD_KEYWORD), "Click to add a keyword to list");
        m_toolTip.Activate(TRUE);
    }

    // The template lays the dialog out with the section open; the section's height is how far the
    // controls below it move.
    CRect group, font;
    GetDlgItem(IDC_KEYWORD_GROUP)->GetWindowRect(&group);
    GetDlgItem(IDC_FONT)->GetWindowRect(&font);
    m_nSectionHeight = font.top - group.top;
    m_bSectionShown = true;
    ShowKeywordSection(false);
    return TRUE;
}

BOOL CCustomizedAppearance::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return CKTBCGPDialog::PreTranslateMessage(msg);
}

CCommonListCtrl* CCustomizedAppearance::TargetList() const
{
    // The list may have gone while the dialog stayed open.
    return m_pList && m_hList && ::IsWindow(m_hList) && m_pList->m_hWnd == m_hList ? m_pList : nullptr;
}

BOOL CCustomizedAppearance::Open(CCommonListCtrl* list)
{
    if (!list || !list->m_hWnd)
        return FALSE;
    if (!m_hWnd && !Create(IDD, list))
        return FALSE;
    m_pList = list;
    m_hList = list->m_hWnd;
    SetWindowText(("Customize Appearance :" + list->m_strListName).c_str());

    m_appearance = list->m_appearance;
    m_cbColumn.ResetContent();
    m_lcKeywords.DeleteAllItems();
    GetDlgItem(IDC_KEYWORD)->SetWindowText("");

    const BOOL enabled = list->m_bAppearanceColors;
    for (const int id : {IDC_PROPERTY, IDC_KEYWORD_COLUMN, IDC_COLOR, IDC_KEYWORDS, IDC_UNLOCK_COLUMN,
                         IDC_KEYWORD, IDC_ADD_KEYWORD})
        GetDlgItem(id)->EnableWindow(enabled);

    if (m_appearance.m_bColumnText)
    {
        for (const sKivoColInfo& column : list->m_arrColumns)
            m_cbColumn.AddString(std::string(column.GetName()).c_str());
        m_cbColumn.SetCurSel(m_appearance.m_nKeywordColumn);
        m_cbColumn.EnableWindow(FALSE); // until "..." unlocks it
        const int count = m_appearance.GetKeywordCount();
        for (int i = 0; i < count; ++i)
        {
            const int row =
                m_lcKeywords.InsertItem(i, (*m_appearance.m_pKeywords)[static_cast<std::size_t>(i)].c_str());
            const COLORREF color =
                m_appearance.m_pKeywordColors && i < static_cast<int>(m_appearance.m_pKeywordColors->size())
                    ? (*m_appearance.m_pKeywordColors)[static_cast<std::size_t>(i)]
                    : m_appearance.m_clrText;
            m_lcKeywords.SetItemColorBox(row, 1, color);
        }
    }
    m_cbProperty.SetCurSel(kPropertyBackground);
    ShowProperty(kPropertyBackground);
    ShowFont();

    ShowWindow(SW_SHOW);
    CenterWindow(list);
    SetActiveWindow();
    return TRUE;
}

void CCustomizedAppearance::ShowProperty(int property)
{
    ShowColor();
    ShowKeywordSection(property == kPropertyText && m_appearance.m_bColumnText);
}

void CCustomizedAppearance::ShowColor()
{
    const COLORREF color =
        m_cbProperty.GetCurSel() == kPropertyText ? m_appearance.m_clrText : m_appearance.m_clrBackground;
    m_btnColor.SetColors(color, color);
}

void CCustomizedAppearance::ShowFont()
{
    m_btnFont.SetFontDescription(m_appearance.m_strFontFace, m_appearance.m_strFontSize, -1);
}

void CCustomizedAppearance::ShowKeywordSection(bool show)
{
    if (show == m_bSectionShown)
        return;
    m_bSectionShown = show;
    for (const int id : kSectionControls)
        GetDlgItem(id)->ShowWindow(show ? SW_SHOW : SW_HIDE);
    const int shift = show ? m_nSectionHeight : -m_nSectionHeight;
    for (const int id : kBelowSection)
    {
        CWnd* control = GetDlgItem(id);
        if (!control)
            continue;
        CRect rect;
        control->GetWindowRect(&rect);
        ScreenToClient(&rect);
        rect.OffsetRect(0, shift);
        control->MoveWindow(&rect);
    }
    CRect window;
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.Width(), window.Height() + shift,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCustomizedAppearance::PickColor()
{
    const bool text = m_cbProperty.GetCurSel() == kPropertyText;
    CColorDialog dialog(text ? m_appearance.m_clrText : m_appearance.m_clrBackground, CC_FULLOPEN, this);
    if (dialog.DoModal() != IDOK)
        return;
    (text ? m_appearance.m_clrText : m_appearance.m_clrBackground) = dialog.GetColor();
    ShowColor();
}

void CCustomizedAppearance::PickFont()
{
    CFontSettingDlg dialog(m_appearance.m_strFontFace, m_appearance.m_strFontSize, this);
    if (dialog.DoModal() != IDOK)
        return;
    m_appearance.m_strFontFace = dialog.GetFontName();
    m_appearance.m_strFontSize = dialog.GetFontSize();
    ShowFont();
}

BOOL CCustomizedAppearance::AddKeyword(const std::string& keyword)
{
    if (keyword.empty())
    {
        AfxMessageBox("Enter text to add a new keyword to list");
        return FALSE;
    }
    // The stored value separates its fields with commas.
    if (keyword.find(',') != std::string::npos)
    {
        AfxMessageBox("A keyword cannot contain a comma: \"" + keyword + "\"");
        return FALSE;
    }
    const std::string lower = Lower(keyword);
    const int count = m_lcKeywords.GetItemCount();
    int at = count;
    for (int row = 0; row < count; ++row)
    {
        const std::string listed = m_lcKeywords.GetItemText(row, 0);
        if (Lower(listed) == lower)
        {
            AfxMessageBox("The keyword \"" + keyword + "\" is already in the list");
            return FALSE;
        }
        if (at == count && listed.size() <= keyword.size())
            at = row; // longest first; a newer keyword goes before an older one of its length
    }
    const int row = m_lcKeywords.InsertItem(at, keyword.c_str());
    m_lcKeywords.SetItemColorBox(row, 1, m_appearance.m_clrText);
    return TRUE;
}

void CCustomizedAppearance::DeleteSelectedKeywords()
{
    for (int row = m_lcKeywords.GetItemCount() - 1; row >= 0; --row)
        if (m_lcKeywords.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)
            m_lcKeywords.DeleteItem(row);
}

void CCustomizedAppearance::ApplySettings()
{
    CCommonListCtrl* list = TargetList();
    if (!list)
    {
        AfxMessageBox("The list of this appearance is no longer open");
        return;
    }
    if (list->m_bAppearanceColors)
    {
        list->SetBkColor(m_appearance.m_clrBackground);
        list->SetTextBkColor(m_appearance.m_clrBackground);
        list->SetTextColor(m_appearance.m_clrText);
        list->Invalidate();
    }
    if (m_cbColumn.GetCurSel() != CB_ERR)
        m_appearance.m_nKeywordColumn = m_cbColumn.GetCurSel();
    std::vector<std::string> keywords;
    std::vector<COLORREF> colors;
    for (int row = 0; row < m_lcKeywords.GetItemCount(); ++row)
    {
        COLORREF color = m_appearance.m_clrText;
        m_lcKeywords.GetItemColorBox(row, 1, color);
        keywords.push_back(m_lcKeywords.GetItemText(row, 0));
        colors.push_back(color);
    }
    m_appearance.SetKeywords(keywords, colors);
    list->m_appearance = m_appearance;
    list->m_bStoredAppearanceLoaded = TRUE;
    list->Invalidate();

    std::string value = m_appearance.FormatSetting();
    if (value.size() > kMaxStoredLength)
    {
        // Stored, it would come back cut, and a keyword cut from its colour drops them all.
        char text[320];
        std::snprintf(
            text, sizeof text,
            "The appearance takes %zu characters, more than the settings file keeps for a list (%zu). "
            "It is applied to the list but not stored: remove some keywords and apply again.",
            value.size(), kMaxStoredLength);
        AfxMessageBox(text);
        return;
    }
    char key[512];
    std::snprintf(key, sizeof key, "%s-%d", list->m_strListName.c_str(), list->GetDlgCtrlID());
    std::string error;
    // Not writable: the list keeps the appearance for this run.
    ReadWriteSetting(SETTING_WRITE, "CUSTOMIZE_LISTS", key, value, GetUserSettingsPath(), error);
}

BOOL CCustomizedAppearance::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    switch (id)
    {
    case IDC_PROPERTY:
        if (code == CBN_SELCHANGE)
        {
            ShowProperty(m_cbProperty.GetCurSel());
            return TRUE;
        }
        break;
    case IDC_COLOR:
        if (code == BN_CLICKED)
        {
            PickColor();
            return TRUE;
        }
        break;
    case IDC_FONT:
        if (code == BN_CLICKED)
        {
            PickFont();
            return TRUE;
        }
        break;
    case IDC_UNLOCK_COLUMN:
        if (code == BN_CLICKED)
        {
            m_cbColumn.EnableWindow(TRUE);
            return TRUE;
        }
        break;
    case IDC_ADD_KEYWORD:
        if (code == BN_CLICKED)
        {
            const std::string text = GetDlgItem(IDC_KEYWORD)->GetWindowText();
            if (AddKeyword(text))
                GetDlgItem(IDC_KEYWORD)->SetWindowText("");
            return TRUE;
        }
        break;
    case IDC_APPLY:
        if (code == BN_CLICKED)
        {
            ApplySettings();
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CKTBCGPDialog::OnCommand(wParam, lParam);
}

BOOL CCustomizedAppearance::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr->idFrom == static_cast<UINT_PTR>(IDC_KEYWORDS) && hdr->code == static_cast<UINT>(LVN_KEYDOWN) &&
        reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE)
    {
        DeleteSelectedKeywords();
        return TRUE;
    }
    return CKTBCGPDialog::OnNotify(wParam, lParam, result);
}

LRESULT CCustomizedAppearance::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_XLISTCTRL_COLORBOX_CLICKED)
    {
        // The colour is in the keyword list already; the block is ours to free.
        delete[] reinterpret_cast<char*>(wParam);
        return 0;
    }
    return CKTBCGPDialog::WindowProc(message, wParam, lParam);
}

// Enter in the keyword edit adds the keyword rather than closing the dialog.
void CCustomizedAppearance::OnOK()
{
    if (GetFocus() == GetDlgItem(IDC_KEYWORD))
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ADD_KEYWORD, BN_CLICKED), 0);
}

void CCustomizedAppearance::OnCancel()
{
    ShowWindow(SW_HIDE);
}
