#include "controls/InPlaceCombo.h"

#include "winlib/Api.h"
#include "winlib/Runtime.h"

#include <memory>

IMPLEMENT_DYNAMIC(CInPlaceCombo, CComboBox)

template <> std::unique_ptr<CInPlaceCombo>& CInPlaceEditor<CInPlaceCombo, CComboBox>::Instance()
{
    static std::unique_ptr<CInPlaceCombo> instance;
    return instance;
}

BOOL CInPlaceCombo::ShowComboCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                                  const std::vector<std::string>& choices, const std::string& text,
                                  int selection)
{
    m_arrChoices = choices;
    m_nSelection = selection;
    m_strStartText = (selection == -1) ? text : std::string();
    return BeginEdit(style, rect, parent, id, row, column);
}

void CInPlaceCombo::FillAndSelect()
{
    SetRedraw(FALSE);
    ResetContent();
    for (const std::string& choice : m_arrChoices)
        AddString(choice.c_str());
    SetRedraw(TRUE);
    int index = m_nSelection;
    if (m_nSelection == -1)
        index = m_strStartText.empty() ? 0 : FindString(-1, m_strStartText.c_str());
    SetCurSel(index);
    if (m_nSelection != -1 && index >= 0)
        GetLBText(index, m_strStartText);
}

void CInPlaceCombo::StartInNewWindow()
{
    SetFocus();
    FillAndSelect();
}

BOOL CInPlaceCombo::EndWithKey(MSG* msg)
{
    // Straight to the combo box, whose character handling ends the edit.
    ::TranslateMessage(msg);
    ::DispatchMessage(msg);
    return TRUE;
}

void CInPlaceCombo::MoveToCell(bool next)
{
    AskForCell(GetOwner() ? GetOwner() : GetParent(), next);
}

void CInPlaceCombo::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch == VK_RETURN || ch == VK_ESCAPE)
    {
        if (CWnd* parent = GetParent())
            parent->SetFocus();
        return;
    }
    CComboBox::OnChar(ch, repeat, flags);
}

BOOL CInPlaceCombo::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The dropped list closing ends the edit.
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_CLOSEUP)
    {
        if (CWnd* parent = GetParent())
            parent->SetFocus();
        *result = 0;
        return TRUE;
    }
    return CComboBox::OnChildNotify(message, wParam, lParam, result);
}
