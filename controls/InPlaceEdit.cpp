#include "controls/InPlaceEdit.h"

#include "controls/InPlaceEditing.h"
#include "winlib/Api.h"

#include <memory>

IMPLEMENT_DYNAMIC(CInPlaceEdit, CEdit)

namespace
{
std::unique_ptr<CInPlaceEdit> g_pInPlaceEdit;
}

CInPlaceEdit* CInPlaceEdit::GetInstance()
{
    if (!g_pInPlaceEdit)
        g_pInPlaceEdit.reset(new CInPlaceEdit);
    return g_pInPlaceEdit.get();
}

void CInPlaceEdit::DeleteInstance()
{
    if (g_pInPlaceEdit && g_pInPlaceEdit->m_hWnd)
        g_pInPlaceEdit->DestroyWindow();
    g_pInPlaceEdit.reset();
}

BOOL CInPlaceEdit::ShowEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                                const std::string& accepted, const std::string& text, CListCtrl* owner)
{
    m_nRow = row;
    m_nColumn = column;
    m_strAccepted = accepted;
    m_strStartText = text;
    m_pOwnerList = owner;
    m_bCancelled = FALSE;
    // A window whose edit ended but whose close is still queued makes way for the new edit.
    if (m_hWnd && m_bClosing)
        DestroyWindow();
    m_bClosing = false;
    if (m_hWnd)
    {
        MoveWindow(&rect);
        SetWindowText(text.c_str());
        SetSel(0, -1);
        SetFocus();
        return TRUE;
    }
    return Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER, rect, parent, id);
}

int CInPlaceEdit::OnCreate(LPCREATESTRUCT cs)
{
    if (CEdit::OnCreate(cs) == -1)
        return -1;
    if (CWnd* parent = GetParent())
        SetFont(parent->GetFont());
    ShowWindow(SW_SHOW);
    SetWindowText(m_strStartText.c_str());
    SetSel(0, -1);
    SendMessage(EM_SCROLLCARET);
    SetFocus();
    return 0;
}

BOOL CInPlaceEdit::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return CEdit::PreTranslateMessage(msg);
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    CWnd* parent = GetParent();
    const auto moveTo = [&](bool next)
    {
        CWnd* list = m_pOwnerList ? static_cast<CWnd*>(m_pOwnerList) : parent;
        if (list)
        {
            list->SetFocus();
            list->PostMessage(next ? WM_INPLACE_NEXT_CELL : WM_INPLACE_PREVIOUS_CELL);
        }
        if (parent && ::IsWindow(parent->m_hWnd))
            parent->SetFocus();
    };
    switch (msg->wParam)
    {
    case VK_RETURN:
        if (parent)
            parent->SetFocus();
        return TRUE;
    case VK_ESCAPE:
        m_bCancelled = TRUE;
        if (parent)
            parent->SetFocus();
        return TRUE;
    case VK_TAB:
        moveTo(!shift);
        return TRUE;
    case VK_UP:
    case VK_DOWN:
        if (m_nColumn == kInPlaceNumberColumn)
        {
            // The number steps and the key goes on: the edit stays open.
            SetWindowText(StepInPlaceNumber(GetWindowText(), msg->wParam == VK_UP).c_str());
            return CEdit::PreTranslateMessage(msg);
        }
        moveTo(msg->wParam == VK_DOWN);
        return TRUE;
    default:
        return CEdit::PreTranslateMessage(msg);
    }
}

void CInPlaceEdit::OnChar(UINT ch, UINT repeat, UINT flags)
{
    // Backspace and the clipboard's control characters always pass.
    const bool control = ch == '\b' || ch == 3 || ch == 22 || ch == 24;
    if (!m_strAccepted.empty() && !control && m_strAccepted.find(static_cast<char>(ch)) == std::string::npos)
    {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    CEdit::OnChar(ch, repeat, flags);
}

BOOL CInPlaceEdit::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_PASTE)
    {
        // Nothing is pasted without a set of accepted characters, nor a text with any other.
        *result = 0;
        if (!m_strAccepted.empty() && AllAccepted(ClipboardText(m_hWnd), m_strAccepted))
            *result = Default();
        return TRUE;
    }
    return CEdit::OnWndMsg(message, wParam, lParam, result);
}

void CInPlaceEdit::OnKillFocus(CWnd* newWnd)
{
    CEdit::OnKillFocus(newWnd);
    if (m_bClosing)
        return;
    m_bClosing = true;
    SendEndLabelEdit(this, m_nRow, m_nColumn, m_bCancelled ? m_strStartText : GetWindowText());
    if (m_hWnd)
        PostMessage(WM_CLOSE);
}

void CInPlaceEdit::OnClose()
{
    DestroyWindow();
}
