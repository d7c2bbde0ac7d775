#include "controls/InPlaceCombo.h"

#include "controls/InPlaceEditing.h"
#include "winlib/Api.h"
#include "winlib/Runtime.h"

#include <memory>

IMPLEMENT_DYNAMIC(CInPlaceCombo, CComboBox)

namespace
{
std::unique_ptr<CInPlaceCombo> g_pInPlaceCombo;
}

CInPlaceCombo* CInPlaceCombo::GetInstance()
{
    if (!g_pInPlaceCombo)
        g_pInPlaceCombo.reset(new CInPlaceCombo);
    return g_pInPlaceCombo.get();
}

void CInPlaceCombo::DeleteInstance()
{
    if (g_pInPlaceCombo && g_pInPlaceCombo->m_hWnd)
        g_pInPlaceCombo->DestroyWindow();
    g_pInPlaceCombo.reset();
}

BOOL CInPlaceCombo::ShowComboCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                                  const std::vector<std::string>& choices, const std::string& text,
                                  int selection)
{
    m_nRow = row;
    m_nColumn = column;
    m_arrChoices = choices;
    m_nSelection = selection;
    m_strStartText = (selection == -1) ? text : std::string();
    m_bCancelled = FALSE;
    if (m_hWnd && m_bClosing)
        DestroyWindow();
    m_bClosing = false;
    if (m_hWnd)
    {
        MoveWindow(&rect);
        FillAndSelect();
        SetFocus();
        return TRUE;
    }
    return Create(style | WS_CHILD | WS_VISIBLE, rect, parent, id);
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

int CInPlaceCombo::OnCreate(LPCREATESTRUCT cs)
{
    if (CComboBox::OnCreate(cs) == -1)
        return -1;
    if (CWnd* parent = GetParent())
        SetFont(parent->GetFont());
    SetFocus();
    FillAndSelect();
    return 0;
}

BOOL CInPlaceCombo::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return CComboBox::PreTranslateMessage(msg);
    switch (msg->wParam)
    {
    case VK_ESCAPE:
        m_bCancelled = TRUE;
        [[fallthrough]];
    case VK_RETURN:
        // Straight to the combo box, whose character handling ends the edit.
        ::TranslateMessage(msg);
        ::DispatchMessage(msg);
        return TRUE;
    case VK_TAB:
    {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        CWnd* owner = GetOwner() ? GetOwner() : GetParent();
        if (owner)
        {
            owner->SetFocus();
            owner->PostMessage(shift ? WM_INPLACE_PREVIOUS_CELL : WM_INPLACE_NEXT_CELL);
        }
        return TRUE;
    }
    default:
        return CComboBox::PreTranslateMessage(msg);
    }
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

void CInPlaceCombo::OnKillFocus(CWnd* newWnd)
{
    CComboBox::OnKillFocus(newWnd);
    if (m_bClosing)
        return;
    m_bClosing = true;
    SendEndLabelEdit(this, m_nRow, m_nColumn, m_bCancelled ? m_strStartText : GetWindowText());
    if (m_hWnd)
        PostMessage(WM_CLOSE);
}

void CInPlaceCombo::OnClose()
{
    DestroyWindow();
}
