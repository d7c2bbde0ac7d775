// The drop-down list laid over a cell. One object serves every edit; its window is made for each
// edit and closed when the edit ends: when the combo box loses the focus, which Enter, Escape
// and the closing of its dropped list all bring about. It then reports the chosen text (the
// starting text when Escape cancelled it) to the list.
#pragma once

#include "controls/InPlaceEditor.h"
#include "winlib/ListBox.h"

#include <string>
#include <vector>

class CInPlaceCombo : public CInPlaceEditor<CInPlaceCombo, CComboBox>
{
    DECLARE_DYNAMIC(CInPlaceCombo)
public:
    // Selection -1 with a text selects the first choice that starts with it, -1 without one the
    // first choice, any other index that choice.
    BOOL ShowComboCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                       const std::vector<std::string>& choices, const std::string& text, int selection);

    std::vector<std::string> m_arrChoices;

protected:
    friend class CInPlaceEditor<CInPlaceCombo, CComboBox>;
    CInPlaceCombo() = default;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void StartInNewWindow() override;
    void StartInOpenWindow() override { FillAndSelect(); }
    BOOL EndWithKey(MSG* msg) override;
    void MoveToCell(bool next) override;

private:
    void FillAndSelect();

    int m_nSelection = -1;
};

template <> std::unique_ptr<CInPlaceCombo>& CInPlaceEditor<CInPlaceCombo, CComboBox>::Instance();
