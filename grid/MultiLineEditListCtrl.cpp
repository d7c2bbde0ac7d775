#include "grid/MultiLineEditListCtrl.h"

#include "controls/InPlaceCombo.h"
#include "controls/InPlaceDTPicker.h"
#include "controls/InPlaceEdit.h"
#include "controls/InPlaceEditing.h"
#include "controls/InPlacePriceEdit.h"
#include "winlib/Api.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CMultiLineEditListCtrl, CMultiLineListCtrl)

namespace
{

constexpr int kMinimumDropDownWidth = 10;
constexpr int kPickerExtraHeight = 5;
// The line travels in 16 bits of the edit question.
constexpr int kLargestAddressableLine = 0xFFFF;

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// A time of day as the cell shows it: hours, minutes and seconds split at ":" and blanks, with
// an "AM" or "PM" marker. PM adds 12 to any hour but 12; 12 AM is midnight.
CTime TimeFromText(const std::string& text)
{
    int numbers[3] = {0, 0, 0};
    int count = 0;
    bool pm = false;
    bool am = false;
    std::size_t at = 0;
    while (at < text.size())
    {
        const std::size_t start = text.find_first_not_of(": ", at);
        if (start == std::string::npos)
            break;
        std::size_t end = text.find_first_of(": ", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string token = text.substr(start, end - start);
        if (token == "PM" || token == "pm")
            pm = true;
        else if (token == "AM" || token == "am")
            am = true;
        else if (count < 3)
            numbers[count++] = std::atoi(token.c_str());
        at = end;
    }
    int hour = numbers[0];
    if (pm && hour != 12)
        hour += 12;
    else if (am && hour == 12)
        hour = 0;
    const CTime now = CTime::GetCurrentTime();
    const CTime time(now.GetYear(), now.GetMonth(), now.GetDay(), hour, numbers[1], numbers[2]);
    return time.IsValid() ? time : now;
}

// A date as the cell shows it, day/month/year; today when it is none the picker can show.
CTime DateFromText(const std::string& text)
{
    int numbers[3] = {0, 0, 0};
    int count = 0;
    std::size_t at = 0;
    while (at < text.size() && count < 3)
    {
        const std::size_t start = text.find_first_not_of("/ ", at);
        if (start == std::string::npos)
            break;
        std::size_t end = text.find_first_of("/ ", start);
        if (end == std::string::npos)
            end = text.size();
        numbers[count++] = std::atoi(text.substr(start, end - start).c_str());
        at = end;
    }
    const CTime date(numbers[2], numbers[1], numbers[0], 0, 0, 0);
    return date.IsValid() ? date : CTime::GetCurrentTime();
}

} // namespace

CMultiLineEditListCtrl::~CMultiLineEditListCtrl() = default;

void CMultiLineEditListCtrl::SetReadOnlyColumn(int column, bool readOnly)
{
    if (readOnly)
        m_setReadOnlyColumns.insert(column);
    else
        m_setReadOnlyColumns.erase(column);
}

void CMultiLineEditListCtrl::SetMarkedColumn(int column, bool marked)
{
    if (marked)
        m_setMarkedColumns.insert(column);
    else
        m_setMarkedColumns.erase(column);
}

void CMultiLineEditListCtrl::SetColumnOrder(const std::vector<int>& order)
{
    m_arrColumnOrder = order;
    m_bColumnOrderUsed = !order.empty();
}

// ---- Geometry -----------------------------------------------------------------------------------

int CMultiLineEditListCtrl::EditableColumnAt(int line, CPoint point) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    CRect row;
    if ((GetStyle() & LVS_TYPEMASK) != LVS_REPORT || !header ||
        !CListCtrl::GetItemRect(line, &row, LVIR_BOUNDS))
        return -1;
    const int count = header->GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    if (count == 0 || !header->GetOrderArray(order.data(), count))
        return -1;
    // Only the first two display columns take an editor.
    int left = row.left;
    for (int position = 0; position < std::min(count, 2); ++position)
    {
        const int width = CListCtrl::GetColumnWidth(order[static_cast<std::size_t>(position)]);
        if (point.x >= left && point.x < left + width)
            return position;
        left += width;
    }
    return -1;
}

CRect CMultiLineEditListCtrl::CellRect(int line, int column)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    CRect row;
    if (!header || column < 0 || column >= header->GetItemCount() ||
        !CListCtrl::GetItemRect(line, &row, LVIR_BOUNDS))
        return CRect();
    const int count = header->GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    header->GetOrderArray(order.data(), count);
    int left = row.left;
    for (int position = 0; position < column; ++position)
        left += CListCtrl::GetColumnWidth(order[static_cast<std::size_t>(position)]);
    CRect cell(left, row.top, left + CListCtrl::GetColumnWidth(order[static_cast<std::size_t>(column)]),
               row.bottom);
    CRect client;
    GetClientRect(&client);
    if (cell.right > client.right)
    {
        // Bring the whole cell into view.
        const int excess = cell.right - client.right;
        CListCtrl::Scroll(CSize(excess, 0));
        cell.OffsetRect(-excess, 0);
    }
    cell.top = std::max(cell.top, client.top);
    cell.bottom = std::min(cell.bottom, client.bottom);
    return cell;
}

// ---- Opening editors ----------------------------------------------------------------------------

BOOL CMultiLineEditListCtrl::OpenEditor(int line, int column, const std::string& text,
                                        const sCellEditInfo& info)
{
    int within = 0;
    if (!ResolveLine(line, &within) || within == 0)
        return FALSE; // title lines are never edited
    switch (info.m_nEditorKind)
    {
    case CELL_EDITOR_TEXT:
    case CELL_EDITOR_PRICE:
    {
        const CRect cell = CellRect(line, column);
        if (cell.IsRectEmpty())
            return FALSE;
        BOOL shown = FALSE;
        if (info.m_nEditorKind == CELL_EDITOR_TEXT)
            shown = CInPlaceEdit::GetInstance()->ShowEditCtrl(m_dwEditStyle, cell, this, kEditorId, line,
                                                              column, m_strAcceptedChars, text, this);
        else
            shown = CInPlacePriceEdit::GetInstance()->ShowPriceEditCtrl(
                m_dwEditStyle, cell, this, kEditorId, line, column, m_strAcceptedChars + ",", text, this);
        if (!shown)
            return FALSE;
        m_nEditedLine = line;
        break;
    }
    case CELL_EDITOR_DROPDOWN:
    {
        CListCtrl::EnsureVisible(line, FALSE);
        CRect cell = CellRect(line, column);
        if (cell.IsRectEmpty() || cell.Width() < kMinimumDropDownWidth)
            return FALSE;
        // The dropped list shows every choice up to ten, and a line more.
        const int choices = static_cast<int>(info.m_arrChoices.size());
        cell.bottom += cell.Height() * (std::min(choices, 10) + 1);
        if (!CInPlaceCombo::GetInstance()->ShowComboCtrl(m_dwComboStyle, cell, this, kEditorId, line, column,
                                                         info.m_arrChoices, text, -1))
            return FALSE;
        CInPlaceCombo::GetInstance()->SetWindowText(text.c_str());
        m_nComboLine = line;
        m_nComboColumn = column;
        break;
    }
    case CELL_EDITOR_DATETIME:
    {
        CRect cell = CellRect(line, column);
        if (cell.IsRectEmpty())
            return FALSE;
        cell.bottom += kPickerExtraHeight;
        // A cell holding a date gets a date picker; any other a time picker.
        const bool date = text.find('/') != std::string::npos;
        const CTime start = text.empty() ? CTime::GetCurrentTime()
                            : date       ? DateFromText(text)
                                         : TimeFromText(text);
        CInPlaceDTPicker* picker = CInPlaceDTPicker::GetInstance();
        picker->m_pOwnerList = this;
        if (!picker->ShowDateTimeCtrl(date ? DTS_SHORTDATEFORMAT : DTS_TIMEFORMAT, cell, this, kEditorId,
                                      line, column, start))
            return FALSE;
        picker->SetFocus();
        break;
    }
    default:
        return FALSE;
    }
    m_nEditLine = line;
    m_nEditColumn = column;
    return TRUE;
}

BOOL CMultiLineEditListCtrl::BeginEdit(int line, int column)
{
    if (line > kLargestAddressableLine || m_setReadOnlyColumns.count(column))
        return FALSE;
    const std::string text = Trim(GetItemText(line, column));
    sCellEditInfo info;
    if (CWnd* owner = NotifyTarget())
        owner->SendMessage(WM_MULTILINE_EDIT_BEGIN, MAKEWPARAM(line, column),
                           reinterpret_cast<LPARAM>(&info));
    if (!m_hWnd)
        return FALSE;
    return OpenEditor(line, column, text.empty() ? info.m_strText : text, info);
}

BOOL CMultiLineEditListCtrl::EditFocusedLine()
{
    const int line = CListCtrl::GetNextItem(-1, LVNI_FOCUSED);
    int within = 0;
    if (line < 0 || !ResolveLine(line, &within) || within == 0)
        return FALSE;
    CListCtrl::EnsureVisible(line, FALSE);
    // The display columns a click may edit, in their order.
    for (int column = 0; column < 2; ++column)
    {
        if (BeginEdit(line, column))
            return TRUE;
        if (!m_hWnd)
            return FALSE;
    }
    return FALSE;
}

void CMultiLineEditListCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    const int line = CListCtrl::HitTest(point);
    const int column = line >= 0 ? EditableColumnAt(line, point) : -1;
    CMultiLineListCtrl::OnLButtonDown(flags, point); // the list selects and focuses the line
    if (!m_hWnd || line < 0 || column < 0)
        return;
    int within = 0;
    if (!ResolveLine(line, &within) || within == 0)
        return;
    if (CWnd* owner = NotifyTarget())
        owner->SendMessage(WM_MULTILINE_LINE_CLICKED, static_cast<WPARAM>(GetDlgCtrlID()), 0);
    if (!m_hWnd || (flags & (MK_SHIFT | MK_CONTROL)))
        return;
    if (CListCtrl::GetItemState(line, LVIS_FOCUSED) & LVIS_FOCUSED)
        BeginEdit(line, column);
}

void CMultiLineEditListCtrl::EditNextCell(bool forward)
{
    if (m_nEditColumn < 0)
        return;
    const int count = GetLineCount();
    if (count == 0)
        return;
    int line = m_nEditLine;
    if (forward)
        line = (line + 1 >= count) ? 1 : line + 1;
    else
        line = (line <= 1) ? count - 1 : line - 1;
    const auto isRow = [this](int candidate)
    {
        int within = 0;
        return ResolveLine(candidate, &within) && within > 0;
    };
    int found = -1;
    if (forward)
    {
        for (int l = std::max(0, line); l < count && found < 0; ++l)
            found = isRow(l) ? l : -1;
        for (int l = 0; l < count && found < 0; ++l)
            found = isRow(l) ? l : -1;
    }
    else
    {
        for (int l = std::min(line, count - 1); l >= 0 && found < 0; --l)
            found = isRow(l) ? l : -1;
        for (int l = count - 1; l >= 0 && found < 0; --l)
            found = isRow(l) ? l : -1;
    }
    if (found < 0)
        return;
    CListCtrl::SetItemState(-1, 0, LVIS_SELECTED);
    CListCtrl::SetItemState(found, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    CListCtrl::EnsureVisible(found, FALSE);
    m_nEditLine = found;
    BeginEdit(found, m_nEditColumn);
}

void CMultiLineEditListCtrl::CloseOpenEditor()
{
    CWnd* focus = CWnd::GetFocus();
    if (focus && focus != this && IsChild(focus))
        SetFocus();
}

// ---- Messages -----------------------------------------------------------------------------------

BOOL CMultiLineEditListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY)
    {
        auto* info = reinterpret_cast<NMLVDISPINFO*>(lParam);
        if (info->hdr.code == LVN_ENDLABELEDIT)
        {
            m_nEditedLine = -2;
            const int position = info->item.iSubItem;
            if (m_bColumnOrderUsed && position >= 0 && position < static_cast<int>(m_arrColumnOrder.size()))
                info->item.iSubItem = m_arrColumnOrder[static_cast<std::size_t>(position)];
            else
                info->item.iSubItem = ColumnOfPosition(position);
            if (CWnd* owner = NotifyTarget())
                owner->SendMessage(WM_MULTILINE_EDIT_END, static_cast<WPARAM>(GetDlgCtrlID()), lParam);
            if (m_hWnd)
            {
                CRect line;
                if (CListCtrl::GetItemRect(info->item.iItem, &line, LVIR_BOUNDS))
                    InvalidateRect(&line, FALSE);
            }
            *result = 1;
            return TRUE;
        }
        if (info->hdr.code == LVN_BEGINLABELEDIT)
        {
            if (m_setReadOnlyColumns.count(info->item.iSubItem))
            {
                *result = 1;
                return TRUE;
            }
            m_nEditedLine = info->item.iItem;
            *result = 0;
            return TRUE;
        }
    }
    return CMultiLineListCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CMultiLineEditListCtrl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message)
    {
    case WM_INPLACE_NEXT_CELL:
    case WM_INPLACE_PREVIOUS_CELL:
    {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        EditNextCell(message == WM_INPLACE_NEXT_CELL && !shift);
        *result = 0;
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        // The editor would be left over a cell that moved away.
        CloseOpenEditor();
        break;
    default:
        break;
    }
    return CMultiLineListCtrl::OnWndMsg(message, wParam, lParam, result);
}

BOOL CMultiLineEditListCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd)
    {
        switch (msg->wParam)
        {
        case VK_TAB:
            return TRUE;
        case VK_F2:
            EditFocusedLine();
            return TRUE;
        case VK_SPACE:
            if (m_strListName == "IndexWeightage")
            {
                const int line = CListCtrl::GetNextItem(-1, LVNI_SELECTED);
                int within = 0;
                if (line >= 0 && ResolveLine(line, &within) && within > 0)
                {
                    sCellEditInfo info;
                    info.m_nEditorKind = CELL_EDITOR_TEXT;
                    OpenEditor(line, 8, Trim(GetItemText(line, 8)), info);
                    return TRUE;
                }
            }
            // Straight to the list, before a dialog takes Enter for its default button.
            ::DispatchMessage(msg);
            return TRUE;
        case VK_RETURN:
            // On a row line Enter edits it, as F2 does; on a title line it goes straight to the list
            // (which toggles the section), before a dialog takes it for its default button.
            if (EditFocusedLine())
                return TRUE;
            ::DispatchMessage(msg);
            return TRUE;
        default:
            break;
        }
    }
    return CMultiLineListCtrl::PreTranslateMessage(msg);
}

void CMultiLineEditListCtrl::OnDestroy()
{
    CInPlaceCombo::DeleteInstance();
    CInPlaceEdit::DeleteInstance();
    CInPlacePriceEdit::DeleteInstance();
    CInPlaceDTPicker::DeleteInstance();
    CMultiLineListCtrl::OnDestroy();
}
