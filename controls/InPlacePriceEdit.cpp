#include "controls/InPlacePriceEdit.h"

#include "controls/InPlaceEditing.h"
#include "winlib/Api.h"

#include <memory>

IMPLEMENT_DYNAMIC(CInPlacePriceEdit, CPriceEditControl)

namespace
{

std::unique_ptr<CInPlacePriceEdit> g_pInPlacePriceEdit;

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

CInPlacePriceEdit::CInPlacePriceEdit()
{
    m_brBackground.CreateSolidBrush(m_clrBackground);
}

CInPlacePriceEdit* CInPlacePriceEdit::GetInstance()
{
    if (!g_pInPlacePriceEdit)
        g_pInPlacePriceEdit.reset(new CInPlacePriceEdit);
    return g_pInPlacePriceEdit.get();
}

void CInPlacePriceEdit::DeleteInstance()
{
    if (g_pInPlacePriceEdit && g_pInPlacePriceEdit->m_hWnd)
        g_pInPlacePriceEdit->DestroyWindow();
    g_pInPlacePriceEdit.reset();
}

BOOL CInPlacePriceEdit::ShowPriceEditCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row,
                                          int column, const std::string& accepted, const std::string& text,
                                          CListCtrl* owner)
{
    m_nRow = row;
    m_nColumn = column;
    m_strAccepted = accepted;
    m_strStartText = Trimmed(text);
    m_pOwnerList = owner;
    m_bCancelled = FALSE;
    if (m_hWnd && m_bClosing)
        DestroyWindow();
    m_bClosing = false;
    if (m_hWnd)
    {
        MoveWindow(&rect);
        StoreText(GroupText(m_strStartText), 0);
        SetSel(0, -1);
        SetFocus();
        return TRUE;
    }
    return Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER, rect, parent, id);
}

int CInPlacePriceEdit::OnCreate(LPCREATESTRUCT cs)
{
    if (CPriceEditControl::OnCreate(cs) == -1)
        return -1;
    if (CWnd* parent = GetParent())
        SetFont(parent->GetFont());
    ShowWindow(SW_SHOW);
    // The cell's text with its digits grouped; an empty cell stays empty until the user types.
    StoreText(m_strStartText.empty() ? std::string() : GroupText(m_strStartText), 0);
    SetSel(0, -1);
    SetFocus();
    return 0;
}

HBRUSH CInPlacePriceEdit::CtlColor(CDC* dc, UINT)
{
    dc->SetTextColor(m_clrText);
    dc->SetBkColor(m_clrBackground);
    return static_cast<HBRUSH>(m_brBackground.GetSafeHandle());
}

BOOL CInPlacePriceEdit::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return CPriceEditControl::PreTranslateMessage(msg);
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
            SetWindowText(StepInPlaceNumber(GetWindowText(), msg->wParam == VK_UP).c_str());
            return CPriceEditControl::PreTranslateMessage(msg);
        }
        moveTo(msg->wParam == VK_DOWN);
        return TRUE;
    default:
        return CPriceEditControl::PreTranslateMessage(msg);
    }
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
    return CPriceEditControl::OnWndMsg(message, wParam, lParam, result);
}

void CInPlacePriceEdit::OnKillFocus(CWnd* newWnd)
{
    CPriceEditControl::OnKillFocus(newWnd);
    if (m_bClosing)
        return;
    m_bClosing = true;
    SendEndLabelEdit(this, m_nRow, m_nColumn, m_bCancelled ? m_strStartText : GetWindowText());
    if (m_hWnd)
        PostMessage(WM_CLOSE);
}

void CInPlacePriceEdit::OnClose()
{
    DestroyWindow();
}
