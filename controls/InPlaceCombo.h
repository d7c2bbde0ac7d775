// The drop-down list laid over a cell. One object serves every edit; its window is made for each
// edit and closed when the edit ends: when the combo box loses the focus, which Enter, Escape
// and the closing of its dropped list all bring about. It then reports the chosen text (the
// starting text when Escape cancelled it) to the list.
#pragma once

#include "winlib/ListBox.h"

#include <string>
#include <vector>

class CInPlaceCombo : public CComboBox
{
    DECLARE_DYNAMIC(CInPlaceCombo)
public:
    static CInPlaceCombo* GetInstance();
    static void DeleteInstance();

    // Selection -1 with a text selects the first choice that starts with it, -1 without one the
    // first choice, any other index that choice.
    BOOL ShowComboCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                       const std::vector<std::string>& choices, const std::string& text, int selection);

    int m_nRow = -1;
    int m_nColumn = -1;
    BOOL m_bCancelled = FALSE;
    std::string m_strStartText;
    std::vector<std::string> m_arrChoices;

protected:
    CInPlaceCombo() = default;
    BOOL PreTranslateMessage(MSG* msg) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnClose() override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void FillAndSelect();

    int m_nSelection = -1;
    bool m_bClosing = false;
};
