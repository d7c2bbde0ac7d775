// The appearance dialog of the lists: background and text colours, the font, and for lists over
// records the keywords that colour a row by the text of one of its columns. One modeless dialog
// serves every list; it is made on first use and aimed at the list that opens it. "Apply Settings"
// hands the appearance to the list and stores it in the settings file.
#pragma once

#include "controls/ClrButton.h"
#include "controls/XListCtrl.h"
#include "frame/KTBCGPDialog.h"
#include "grid/ListAppearance.h"
#include "winlib/ListBox.h"
#include "winlib/ToolTip.h"

#include <memory>
#include <string>
#include <vector>

class CCommonListCtrl;

class CCustomizedAppearance : public CKTBCGPDialog
{
    DECLARE_DYNAMIC(CCustomizedAppearance)
public:
    static constexpr UINT IDD = 1007;
    static constexpr int IDC_PROPERTY = 1694;
    static constexpr int IDC_COLOR = 1026;
    static constexpr int IDC_KEYWORD_COLUMN = 3205;
    static constexpr int IDC_UNLOCK_COLUMN = 3206;
    static constexpr int IDC_KEYWORD = 3207;
    static constexpr int IDC_ADD_KEYWORD = 3216;
    static constexpr int IDC_KEYWORDS = 3208;
    static constexpr int IDC_FONT = 1695;
    static constexpr int IDC_FONT_LABEL = 3217;
    static constexpr int IDC_APPLY = 1696;
    static constexpr int IDC_APPEARANCE_GROUP = 3214;
    static constexpr int IDC_KEYWORD_GROUP = 3215;
    static constexpr int kPropertyText = 0;
    static constexpr int kPropertyBackground = 1;
    // What the settings file gives back of one value; a longer one would come back cut.
    static constexpr std::size_t kMaxStoredLength = 4095;

    // The dialog every list shares, made on first use.
    static CCustomizedAppearance* Shared();

    // Shows the dialog for a list; FALSE when it cannot be shown.
    BOOL Open(CCommonListCtrl* list);
    // Adds a keyword as "+" does; FALSE (after a message) when it cannot be added.
    BOOL AddKeyword(const std::string& keyword);
    // Applies and stores the working appearance as "Apply Settings" does.
    void ApplySettings();

    const sListAppearance& Working() const { return m_appearance; }
    CXListCtrl& Keywords() { return m_lcKeywords; }
    CComboBox& PropertyCombo() { return m_cbProperty; }
    CComboBox& ColumnCombo() { return m_cbColumn; }
    CClrButton& ColorButton() { return m_btnColor; }
    CClrButton& FontButton() { return m_btnFont; }
    bool KeywordSectionShown() const { return m_bSectionShown; }

protected:
    explicit CCustomizedAppearance(CCustomizedAppearance** slot);
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnCancel() override;
    void OnOK() override;
    void PostNcDestroy() override;

private:
    void ShowProperty(int property);
    void ShowKeywordSection(bool show);
    void ShowColor();
    void ShowFont();
    void PickColor();
    void PickFont();
    void DeleteSelectedKeywords();
    CCommonListCtrl* TargetList() const;

    CCustomizedAppearance** m_ppSlot;
    CCommonListCtrl* m_pList = nullptr;
    HWND m_hList = nullptr;
    sListAppearance m_appearance;
    CComboBox m_cbProperty;
    CComboBox m_cbColumn;
    CClrButton m_btnColor;
    CClrButton m_btnFont;
    CXListCtrl m_lcKeywords;
    CToolTipCtrl m_toolTip;
    bool m_bSectionShown = true; // as the template lays it out
    int m_nSectionHeight = 0;    // pixels the keyword section adds to the dialog
};

// Opens the shared dialog for a list (command 4009, Ctrl+Shift+C).
void OpenCustomizedAppearance(CCommonListCtrl* list);
