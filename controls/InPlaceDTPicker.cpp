#include "controls/InPlaceDTPicker.h"

#include "winlib/Api.h"

#include <cstdlib>
#include <memory>
#include <vector>

IMPLEMENT_DYNAMIC(CInPlaceDTPicker, CDateTimeCtrl)

namespace
{

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

template <> std::unique_ptr<CInPlaceDTPicker>& CInPlaceEditor<CInPlaceDTPicker, CDateTimeCtrl>::Instance()
{
    static std::unique_ptr<CInPlaceDTPicker> instance;
    return instance;
}

BOOL CInPlaceDTPicker::ShowDateTimeCtrl(DWORD style, const RECT& rect, CWnd* parent, UINT id, int row,
                                        int column, const CTime& value)
{
    m_timeStart = value;
    m_nTabDirection = 0;
    m_bTimeMode = (style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
    return BeginEdit(style | WS_BORDER, rect, parent, id, row, column);
}

void CInPlaceDTPicker::StartInNewWindow()
{
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

std::string CInPlaceDTPicker::EditResult() const
{
    if (m_bCancelled)
        return m_timeStart.Format(m_bTimeMode ? "%H:%M:%S" : "%d/%m/%Y");
    return NormalisedText(GetWindowText());
}

bool CInPlaceDTPicker::EditGoesOn() const
{
    // Moving into the picker's own calendar goes on with the edit.
    return !m_hWnd || GetMonthCalHandle();
}

void CInPlaceDTPicker::MoveToCell(bool next)
{
    // The move is posted once the focus has gone.
    m_nTabDirection = next ? 1 : 2;
    if (CWnd* list = OwnerList())
        list->SetFocus();
}

void CInPlaceDTPicker::EditEnded()
{
    CWnd* owner = OwnerList();
    if (owner && m_nTabDirection != 0)
        owner->PostMessage(m_nTabDirection == 1 ? WM_INPLACE_NEXT_CELL : WM_INPLACE_PREVIOUS_CELL);
}
