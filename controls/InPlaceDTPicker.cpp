#include "controls/InPlaceDTPicker.h"

#include "controls/InPlaceEditing.h"
#include "winlib/Api.h"

#include <cstdlib>
#include <memory>
#include <vector>

IMPLEMENT_DYNAMIC(CInPlaceDTPicker, CDateTimeCtrl)

namespace
{

std::unique_ptr<CInPlaceDTPicker> g_pInPlaceDTPicker;

// The numbers of a text split at the separators and blanks.
std::vector<int> Numbers(const std::string& text, const char* separators)
{
    std::vector<int> numbers;
    std::size_t at = 0;
    while (at < text.size())
    {
        const std::size_t start = text.find_first_not_of(separators, at);
        if (start == std::string::npos)
            break;
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos)
            end = text.size();
        numbers.push_back(std::atoi(text.substr(start, end - start).c_str()));
        at = end;
    }
    return numbers;
}

} // namespace

CInPlaceDTPicker* CInPlaceDTPicker::GetInstance()
{
    if (!g_pInPlaceDTPicker)
        g_pInPlaceDTPicker.reset(new CInPlaceDTPicker);
    return g_pInPlaceDTPicker.get();
}

void CInPlaceDTPicker::DeleteInstance()
{
    if (g_pInPlaceDTPicker && g_pInPlaceDTPicker->m_hWnd)
        g_pInPlaceDTPicker->DestroyWindow();
    g_pInPlaceDTPicker.reset();
}

BOOL CInPlaceDTPicker::ShowDateTimeCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row,
                                        int column, const CTime& value)
{
    m_nRow = row;
    m_nColumn = column;
    m_timeStart = value;
    m_bCancelled = FALSE;
    m_nTabDirection = 0;
    m_bTimeMode = (style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
    if (m_hWnd && m_bClosing)
        DestroyWindow();
    m_bClosing = false;
    if (m_hWnd)
    {
        MoveWindow(&rect);
        SetTime(&m_timeStart);
        SetFocus();
        return TRUE;
    }
    return Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER, rect, parent, id);
}

int CInPlaceDTPicker::OnCreate(LPCREATESTRUCT cs)
{
    if (CDateTimeCtrl::OnCreate(cs) == -1)
        return -1;
    if (CWnd* parent = GetParent())
        SetFont(parent->GetFont());
    if (!m_bTimeMode)
    {
        // The calendar time cannot hold a date before 1970: the picker offers none.
        const CTime first(1970, 1, 2, 0, 0, 0);
        const CTime last(3000, 12, 31, 23, 59, 59);
        SetRange(&first, &last);
    }
    SetTime(&m_timeStart);
    SetFormat(m_bTimeMode ? "HH:mm:ss" : "dd/MM/yyyy");
    ShowWindow(SW_SHOW);
    return 0;
}

std::string CInPlaceDTPicker::NormalisedText(const std::string& text) const
{
    if (m_bTimeMode)
    {
        const std::vector<int> n = Numbers(text, ": ");
        const CTime today = CTime::GetCurrentTime();
        const CTime time(today.GetYear(), today.GetMonth(), today.GetDay(), n.size() > 0 ? n[0] : 0,
                         n.size() > 1 ? n[1] : 0, n.size() > 2 ? n[2] : 0);
        return time.IsValid() ? time.Format("%H:%M:%S") : text;
    }
    const std::vector<int> n = Numbers(text, "/ ");
    const CTime date(n.size() > 2 ? n[2] : 0, n.size() > 1 ? n[1] : 0, n.size() > 0 ? n[0] : 0, 0, 0, 0);
    return date.IsValid() ? date.Format("%d/%m/%Y") : text;
}

BOOL CInPlaceDTPicker::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return CDateTimeCtrl::PreTranslateMessage(msg);
    CWnd* parent = GetParent();
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
        // The move is posted once the focus has gone.
        m_nTabDirection = (GetKeyState(VK_SHIFT) & 0x8000) ? 2 : 1;
        if (CWnd* list = m_pOwnerList ? m_pOwnerList : parent)
            list->SetFocus();
        return TRUE;
    default:
        return CDateTimeCtrl::PreTranslateMessage(msg);
    }
}

void CInPlaceDTPicker::OnKillFocus(CWnd* newWnd)
{
    CDateTimeCtrl::OnKillFocus(newWnd);
    if (m_bClosing || !m_hWnd)
        return;
    const std::string text = NormalisedText(GetWindowText());
    const std::string start = m_timeStart.Format(m_bTimeMode ? "%H:%M:%S" : "%d/%m/%Y");
    // Moving into the picker's own calendar goes on with the edit.
    if (GetMonthCalHandle())
        return;
    m_bClosing = true;
    SendEndLabelEdit(this, m_nRow, m_nColumn, m_bCancelled ? start : text);
    CWnd* owner = m_pOwnerList ? m_pOwnerList : GetParent();
    if (owner && m_nTabDirection != 0)
        owner->PostMessage(m_nTabDirection == 1 ? WM_INPLACE_NEXT_CELL : WM_INPLACE_PREVIOUS_CELL);
    if (m_hWnd)
        PostMessage(WM_CLOSE);
}

void CInPlaceDTPicker::OnClose()
{
    DestroyWindow();
}
