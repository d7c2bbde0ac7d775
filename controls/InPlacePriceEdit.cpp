#include "controls/InPlacePriceEdit.h"

#include "winlib/Api.h"

#include <memory>

IMPLEMENT_DYNAMIC(CInPlacePriceEdit, CPriceEditControl)

namespace
{

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

template <>
std::unique_ptr<CInPlacePriceEdit>& CInPlaceEditor<CInPlacePriceEdit, CPriceEditControl>::Instance()
{
    static std::unique_ptr<CInPlacePriceEdit> instance;
    return instance;
}

CInPlacePriceEdit::CInPlacePriceEdit()
{
    m_brBackground.CreateSolidBrush(m_clrBackground);
}

BOOL CInPlacePriceEdit::ShowPriceEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row,
                                          int column, const std::string& accepted, const std::string& text,
                                          CListCtrl* owner)
{
    m_strAccepted = accepted;
    m_strStartText = Trimmed(text);
    m_pOwnerList = owner;
    return BeginEdit(style | WS_BORDER, rect, parent, id, row, column);
}

void CInPlacePriceEdit::StartInNewWindow()
{
    ShowWindow(SW_SHOW);
    // The cell's text with its digits grouped; an empty cell stays empty until the user types.
    StoreText(m_strStartText.empty() ? std::string() : GroupText(m_strStartText), 0);
    SetSel(0, -1);
    SetFocus();
}

void CInPlacePriceEdit::StartInOpenWindow()
{
    StoreText(GroupText(m_strStartText), 0);
    SetSel(0, -1);
}

HBRUSH CInPlacePriceEdit::CtlColor(CDC* dc, UINT)
{
    dc->SetTextColor(m_clrText);
    dc->SetBkColor(m_clrBackground);
    return static_cast<HBRUSH>(m_brBackground.GetSafeHandle());
}

BOOL CInPlacePriceEdit::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_PASTE)
    {
        *result = 0;
        if (!m_strAccepted.empty() && AllAccepted(ClipboardText(m_hWnd), m_strAccepted))
        {
            *result = Default();
            m_dValue = ParseText(GetWindowText());
        }
        return TRUE;
    }
    return CInPlaceEditor::OnWndMsg(message, wParam, lParam, result);
}
