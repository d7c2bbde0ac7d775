#include "controls/InPlaceEdit.h"

#include "winlib/Api.h"

#include <memory>

IMPLEMENT_DYNAMIC(CInPlaceEdit, CEdit)

template <> std::unique_ptr<CInPlaceEdit>& CInPlaceEditor<CInPlaceEdit, CEdit>::Instance()
{
    static std::unique_ptr<CInPlaceEdit> instance;
    return instance;
}

BOOL CInPlaceEdit::ShowEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row, int column,
                                const std::string& accepted, const std::string& text, CListCtrl* owner)
{
    m_strAccepted = accepted;
    m_strStartText = text;
    m_pOwnerList = owner;
    return BeginEdit(style | WS_BORDER, rect, parent, id, row, column);
}

void CInPlaceEdit::StartInNewWindow()
{
    ShowWindow(SW_SHOW);
    SetWindowText(m_strStartText.c_str());
    SetSel(0, -1);
    SendMessage(EM_SCROLLCARET);
    SetFocus();
}

void CInPlaceEdit::StartInOpenWindow()
{
    SetWindowText(m_strStartText.c_str());
    SetSel(0, -1);
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
    return CInPlaceEditor::OnWndMsg(message, wParam, lParam, result);
}
