#include "controls/KTDragListCtrl.h"

#include "winlib/Api.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CKTDragListCtrl, CListCtrl)

namespace
{
// What a moved row takes along besides its texts; the focus stays where the drop puts it.
constexpr UINT kCopiedStates =
    LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
constexpr int kHeaderTipText = 80;

CKTDragListCtrl* AsDragList(HWND hwnd)
{
    CWnd* wnd = hwnd ? CWnd::FromHandlePermanent(hwnd) : nullptr;
    return wnd && wnd->IsKindOf(RUNTIME_CLASS(CKTDragListCtrl)) ? static_cast<CKTDragListCtrl*>(wnd)
                                                                : nullptr;
}

// The drag list a window belongs to: the list itself, or the list whose header it is.
CKTDragListCtrl* DragListOf(HWND hwnd)
{
    if (CKTDragListCtrl* list = AsDragList(hwnd))
        return list;
    CKTDragListCtrl* parent = hwnd ? AsDragList(GetParent(hwnd)) : nullptr;
    CHeaderCtrl* header = parent ? parent->GetHeaderCtrl() : nullptr;
    return header && header->m_hWnd == hwnd ? parent : nullptr;
}
} // namespace

CKTDragListCtrl::~CKTDragListCtrl()
{
    if (m_pDragImage)
        CImageList::EndDrag();
}

// ---- Columns and their header tooltips -------------------------------------------------------

int CKTDragListCtrl::InsertColumn(int column, const LVCOLUMN* info)
{
    const int inserted = CListCtrl::InsertColumn(column, info);
    AddHeaderTip(inserted, info && (info->mask & LVCF_TEXT) && info->pszText ? info->pszText : "");
    return inserted;
}

int CKTDragListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem)
{
    const int inserted = CListCtrl::InsertColumn(column, heading, format, width, subItem);
    AddHeaderTip(inserted, heading ? heading : "");
    return inserted;
}

void CKTDragListCtrl::AddHeaderTip(int column, std::string heading)
{
    if (column < 0)
        return;
    if (heading.empty())
    {
        char text[kHeaderTipText + 1] = {};
        LVCOLUMN back{};
        back.mask = LVCF_TEXT;
        back.pszText = text;
        back.cchTextMax = kHeaderTipText;
        GetColumn(column, &back);
        heading = text;
    }
    const auto at = static_cast<std::size_t>(std::min<int>(column, static_cast<int>(m_arrHeaderTips.size())));
    m_arrHeaderTips.insert(m_arrHeaderTips.begin() + static_cast<std::ptrdiff_t>(at), std::move(heading));
    RebuildHeaderTools();
}

BOOL CKTDragListCtrl::DeleteColumn(int column)
{
    // The column's tool goes first; the others are numbered and placed anew after it.
    if (m_pHeaderToolTip && m_pHeaderToolTip->m_hWnd && column >= 0 &&
        column < static_cast<int>(m_arrHeaderTips.size()))
        m_pHeaderToolTip->DelTool(GetHeaderCtrl(), static_cast<UINT_PTR>(column + 1));
    if (!CListCtrl::DeleteColumn(column))
        return FALSE;
    if (column >= 0 && column < static_cast<int>(m_arrHeaderTips.size()))
        m_arrHeaderTips.erase(m_arrHeaderTips.begin() + column);
    RebuildHeaderTools();
    return TRUE;
}

CRect CKTDragListCtrl::HeaderToolRect(int column) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    CRect headerRect;
    header->GetClientRect(&headerRect);
    int left = 0;
    for (int c = 0; c < column; ++c)
        left += GetColumnWidth(c);
    left -= GetScrollPos(SB_HORZ);
    return CRect(left, 0, left + GetColumnWidth(column), headerRect.Height());
}

void CKTDragListCtrl::RebuildHeaderTools()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!m_bHeaderToolTips || !header || !header->m_hWnd || (GetStyle() & LVS_TYPEMASK) != LVS_REPORT)
        return;
    if (!m_pHeaderToolTip)
    {
        m_pHeaderToolTip = std::make_unique<CToolTipCtrl>();
        if (!m_pHeaderToolTip->Create(this))
        {
            m_pHeaderToolTip.reset();
            return;
        }
    }
    // Every column has one tool, numbered by its place: after a column came or went, all are made anew.
    for (std::size_t id = 1; id <= m_arrHeaderTips.size() + 1; ++id)
        m_pHeaderToolTip->DelTool(header, static_cast<UINT_PTR>(id));
    const int count = std::min(header->GetItemCount(), static_cast<int>(m_arrHeaderTips.size()));
    for (int column = 0; column < count; ++column)
    {
        const CRect rect = HeaderToolRect(column);
        m_pHeaderToolTip->AddTool(header, m_arrHeaderTips[static_cast<std::size_t>(column)].c_str(), &rect,
                                  static_cast<UINT_PTR>(column + 1));
    }
}

BOOL CKTDragListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const BOOL handled = CListCtrl::OnNotify(wParam, lParam, result);
    // A column resized by its divider moves the tools of the columns after it.
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (m_pHeaderToolTip &&
        (hdr->code == static_cast<UINT>(HDN_ITEMCHANGED) || hdr->code == static_cast<UINT>(HDN_ENDTRACK)))
        RebuildHeaderTools();
    return handled;
}

void CKTDragListCtrl::OnHScroll(UINT code, UINT pos, CScrollBar* bar)
{
    CListCtrl::OnHScroll(code, pos, bar);
    if (m_pHeaderToolTip)
        RebuildHeaderTools();
}

BOOL CKTDragListCtrl::PreTranslateMessage(MSG* msg)
{
    if (m_pHeaderToolTip && m_pHeaderToolTip->m_hWnd)
        m_pHeaderToolTip->RelayEvent(msg);
    return CListCtrl::PreTranslateMessage(msg);
}

// ---- Drawing ------------------------------------------------------------------------------

void CKTDragListCtrl::DrawItem(LPDRAWITEMSTRUCT dis)
{
    CDC* dc = CDC::FromHandle(dis->hDC);
    const CRect row(dis->rcItem);
    const int item = static_cast<int>(dis->itemID);
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (dis->itemAction & ODA_DRAWENTIRE)
        dc->FillSolidRect(&row, RGB(255, 255, 255));
    if (selected && (dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
    {
        dc->FillSolidRect(&row, kDropFill);
        dc->Draw3dRect(&row, kDropFill, kDropFill);
    }
    else if (!selected && (dis->itemAction & ODA_SELECT))
        dc->Draw3dRect(&row, RGB(255, 255, 255), RGB(255, 255, 255));

    m_pHeaderCtrl = GetHeaderCtrl();
    const int columns = m_pHeaderCtrl ? m_pHeaderCtrl->GetItemCount() : 0;
    CWnd* owner = m_pCallbackOwner ? m_pCallbackOwner : GetParent();
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    for (int column = 0; column < columns; ++column)
    {
        std::string text;
        if (m_pfnTextCallback)
            m_pfnTextCallback(owner, item, column, 0, text);
        else
            text = GetItemText(item, column);
        CRect cell;
        GetSubItemRect(item, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, cell);
        dc->DrawText(text, &cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

// ---- Dragging -----------------------------------------------------------------------------

BOOL CKTDragListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(LVN_BEGINDRAG))
    {
        BeginDrag(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        if (result)
            *result = 0;
        return TRUE;
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, result);
}

void CKTDragListCtrl::BeginDrag(const NMLISTVIEW& info)
{
    if (m_pDragImage)
        return;
    m_nDropRow = -1;
    m_nHighlightedRow = -1;
    m_uPrevState = 0;
    m_arrDraggedRows.clear();
    POSITION position = GetFirstSelectedItemPosition();
    while (position)
        m_arrDraggedRows.push_back(GetNextSelectedItem(position));
    // Marking the drop row selects it; a single-selection list would drop the dragged rows' selection.
    if (GetStyle() & LVS_SINGLESEL)
    {
        m_dwSavedStyle = LVS_SINGLESEL;
        ModifyStyle(LVS_SINGLESEL, 0);
    }
    const CPoint cursor(info.ptAction);
    if (m_arrDraggedRows.empty() || !MakeDragImage(cursor))
    {
        m_pDragImage.reset();
        FinishDrag();
        return;
    }
    CPoint screen = cursor;
    ClientToScreen(&screen);
    CImageList::DragEnter(CWnd::FromHandle(GetDesktopWindow()), screen);
    SetCapture();
}

CRect CKTDragListCtrl::RowsArea() const
{
    CRect rows;
    GetClientRect(&rows);
    if (CHeaderCtrl* header = GetHeaderCtrl(); header && header->IsWindowVisible())
    {
        CRect headerRect;
        header->GetWindowRect(&headerRect);
        rows.top += headerRect.Height();
    }
    return rows;
}

BOOL CKTDragListCtrl::MakeDragImage(CPoint cursor)
{
    // Only the rows on view are pictured: a drag of thousands of rows stays one window's size.
    const CRect rows = RowsArea();
    CRect united(0, 0, 0, 0);
    std::vector<int> onView;
    for (const int row : m_arrDraggedRows)
    {
        CRect rect;
        if (!GetItemRect(row, &rect, LVIR_BOUNDS) || (rect & rows).IsRectEmpty())
            continue;
        onView.push_back(row);
        united = united.IsRectEmpty() ? rect : (united | rect);
    }
    united &= rows;
    if (united.IsRectEmpty())
        return FALSE;

    CDC* windowDC = GetDC();
    CDC memory;
    CBitmap bitmap;
    const BOOL made = windowDC && memory.CreateCompatibleDC(windowDC) &&
                      bitmap.CreateCompatibleBitmap(windowDC, united.Width(), united.Height());
    if (windowDC)
        ReleaseDC(windowDC);
    if (!made)
        return FALSE;
    CBitmap* old = memory.SelectObject(&bitmap);
    memory.FillSolidRect(0, 0, united.Width(), united.Height(), kDragMask);
    for (const int row : onView)
    {
        POINT upperLeft{0, 0};
        const std::unique_ptr<CImageList> image(CreateDragImage(row, &upperLeft));
        if (image)
            image->Draw(&memory, 0, CPoint(upperLeft.x - united.left, upperLeft.y - united.top), ILD_NORMAL);
    }
    memory.SelectObject(old);

    m_pDragImage = std::make_unique<CImageList>();
    if (!m_pDragImage->Create(united.Width(), united.Height(), ILC_COLOR24 | ILC_MASK, 0, 1) ||
        m_pDragImage->Add(&bitmap, kDragMask) < 0 ||
        !m_pDragImage->BeginDrag(0, CPoint(cursor.x - united.left, cursor.y - united.top)))
    {
        m_pDragImage.reset();
        return FALSE;
    }
    return TRUE;
}

void CKTDragListCtrl::FinishDrag()
{
    StopScrolling();
    if (m_pDragImage)
    {
        m_pDragImage.reset();
        CImageList::DragLeave(nullptr);
        CImageList::EndDrag();
    }
    RestoreHighlight();
    if (m_dwSavedStyle && m_hWnd)
        ModifyStyle(0, m_dwSavedStyle);
    m_dwSavedStyle = 0;
}

void CKTDragListCtrl::Highlight(int row)
{
    if (row == m_nHighlightedRow || row < 0 || row >= GetItemCount())
        return;
    RestoreHighlight();
    m_nHighlightedRow = row;
    m_uPrevState = GetItemState(row, LVIS_SELECTED);
    SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    m_nDropRow = row;
}

void CKTDragListCtrl::RestoreHighlight()
{
    if (m_nHighlightedRow >= 0 && m_nHighlightedRow < GetItemCount())
        SetItemState(m_nHighlightedRow, m_uPrevState, LVIS_SELECTED);
    m_nHighlightedRow = -1;
}

void CKTDragListCtrl::OnMouseMove(UINT flags, CPoint point)
{
    if (m_pDragImage)
    {
        CPoint screen = point;
        ClientToScreen(&screen);
        CImageList::DragMove(screen);
        CImageList::DragShowNolock(FALSE);
        // The row at the cursor's height, looked for just inside the list's left edge, so that the
        // mark follows the cursor beside the list too (over its scroll bar, past its last column).
        CRect window;
        GetWindowRect(&window);
        CPoint probe(window.left + kProbeInset, screen.y);
        const int count = GetItemCount();
        if (::WindowFromPoint(probe) == m_hWnd && count > 0)
        {
            ScreenToClient(&probe);
            const int top = GetTopIndex();
            CRect first;
            GetItemRect(top, &first, LVIR_BOUNDS);
            if (first.Height() > 0 && probe.y >= first.top)
            {
                // Below the last row stands for the last row: dropped there, the rows go to the end.
                Highlight(std::min(count - 1, top + (probe.y - first.top) / first.Height()));
                UpdateWindow();
            }
        }
        const CRect rows = RowsArea();
        if (point.y < rows.top)
            StartScrolling(1);
        else if (point.y >= rows.bottom)
            StartScrolling(2);
        else
            StopScrolling();
        CImageList::DragShowNolock(TRUE);
    }
    CListCtrl::OnMouseMove(flags, point);
}

void CKTDragListCtrl::StartScrolling(int direction)
{
    if (!m_nScrollTimer)
        m_nScrollTimer = SetTimer(kScrollTimer, kScrollInterval, nullptr);
    m_nScrollDirection = direction;
}

void CKTDragListCtrl::StopScrolling()
{
    if (m_nScrollTimer && m_hWnd)
        KillTimer(kScrollTimer);
    m_nScrollTimer = 0;
    m_nScrollDirection = 0;
}

void CKTDragListCtrl::OnTimer(UINT_PTR id)
{
    if (id != kScrollTimer)
    {
        CListCtrl::OnTimer(id);
        return;
    }
    const int count = GetItemCount();
    if (!m_pDragImage || m_nScrollDirection == 0 || count == 0)
        return;
    CImageList::DragShowNolock(FALSE);
    int row = m_nDropRow;
    if (m_nScrollDirection == 1)
    {
        SendMessage(WM_VSCROLL, SB_LINEUP, 0);
        row = (row >= 0 ? row : GetTopIndex() + 1) - 1;
    }
    else
    {
        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
        row = (row >= 0 ? row : GetTopIndex() + GetCountPerPage() - 2) + 1;
    }
    Highlight(std::clamp(row, 0, count - 1));
    UpdateWindow();
    CImageList::DragShowNolock(TRUE);
}

void CKTDragListCtrl::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_pDragImage)
    {
        StopScrolling();
        // From here the drag is over: losing the capture below is no cancellation.
        const std::unique_ptr<CImageList> image = std::move(m_pDragImage);
        ReleaseCapture();
        CImageList::DragLeave(nullptr);
        CImageList::EndDrag();
        CPoint screen = point;
        ClientToScreen(&screen);
        CKTDragListCtrl* target = DragListOf(::WindowFromPoint(screen));
        if (target != this)
            RestoreHighlight();
        if (target)
            target->DropFrom(*this, screen);
        FinishDrag();
        m_arrDraggedRows.clear();
        if (!m_hWnd)
            return;
    }
    CListCtrl::OnLButtonUp(flags, point);
}

void CKTDragListCtrl::OnCaptureChanged(CWnd* wnd)
{
    // Something else took the mouse (a window popped up): the drag ends where it is, nothing moved.
    if (m_pDragImage && (!wnd || wnd->m_hWnd != m_hWnd))
    {
        FinishDrag();
        m_arrDraggedRows.clear();
    }
    CListCtrl::OnCaptureChanged(wnd);
}

void CKTDragListCtrl::OnDestroy()
{
    FinishDrag();
    m_arrDraggedRows.clear();
    if (m_pHeaderToolTip && m_pHeaderToolTip->m_hWnd)
        m_pHeaderToolTip->DestroyWindow();
    m_pHeaderToolTip.reset();
    CListCtrl::OnDestroy();
}

// ---- Dropping ------------------------------------------------------------------------------

void CKTDragListCtrl::DropFrom(CKTDragListCtrl& source, CPoint screen)
{
    RestoreHighlight();
    ClearSelection();
    if (&source == this)
    {
        // After the highlighted row; at the top when none was.
        MoveWithin(std::clamp(m_nDropRow + 1, 0, GetItemCount()));
    }
    else
    {
        CPoint client = screen;
        ScreenToClient(&client);
        TakeFrom(source, client);
    }
    if (!m_hWnd)
        return;
    SetFocus();
    if (source.m_dwSavedStyle && source.m_hWnd)
        source.ModifyStyle(0, source.m_dwSavedStyle);
    source.m_dwSavedStyle = 0;
}

// The rows end as moving them one by one would leave them: the dragged rows together, in the
// order they were dragged, where the insert position was among the others. Only the stretch
// between the dragged rows and the insert position is written, each row once, so that a drag of
// thousands of rows costs as much as rewriting them.
void CKTDragListCtrl::MoveWithin(int insertAt)
{
    const int count = GetItemCount();
    std::vector<char> dragged(static_cast<std::size_t>(count), 0);
    std::vector<int> rows;
    for (const int row : m_arrDraggedRows)
    {
        if (row < 0 || row >= count || dragged[static_cast<std::size_t>(row)])
            continue;
        dragged[static_cast<std::size_t>(row)] = 1;
        rows.push_back(row);
    }
    if (rows.empty())
        return;
    const int first = std::min(insertAt, *std::min_element(rows.begin(), rows.end()));
    const int last = std::max(insertAt - 1, *std::max_element(rows.begin(), rows.end()));
    std::vector<sDragRow> arranged;
    std::vector<sDragRow> after;
    arranged.reserve(static_cast<std::size_t>(last - first + 1));
    for (int row = first; row <= last; ++row)
    {
        if (dragged[static_cast<std::size_t>(row)])
            continue;
        if (row < insertAt)
            arranged.push_back(ReadRow(row));
        else
            after.push_back(ReadRow(row));
    }
    const int landing = first + static_cast<int>(arranged.size());
    // The moved rows stay selected, as rows dropped into another list arrive.
    for (const int row : rows)
    {
        arranged.push_back(ReadRow(row));
        arranged.back().state |= LVIS_SELECTED;
    }
    arranged.insert(arranged.end(), std::make_move_iterator(after.begin()),
                    std::make_move_iterator(after.end()));

    SetRedraw(FALSE);
    WriteRows(first, arranged);
    SetItemState(landing + static_cast<int>(rows.size()) - 1, LVIS_FOCUSED, LVIS_FOCUSED);
    SetRedraw(TRUE);
    Invalidate();
}

void CKTDragListCtrl::TakeFrom(CKTDragListCtrl& source, CPoint client)
{
    const int count = GetItemCount();
    int dropAt = count;
    for (int row = std::max(0, GetTopIndex()); row < count; ++row)
    {
        CRect label;
        GetItemRect(row, &label, LVIR_LABEL);
        if (label.PtInRect(client))
        {
            dropAt = row;
            break;
        }
        if (label.top > client.y)
            break;
    }

    // Ask for every row first, so that a kept row's message does not stand between moved rows.
    const int sourceCount = source.GetItemCount();
    std::vector<int> marked;
    std::vector<char> seen(static_cast<std::size_t>(sourceCount), 0);
    for (const int row : source.m_arrDraggedRows)
    {
        if (row < 0 || row >= sourceCount || seen[static_cast<std::size_t>(row)])
            continue;
        seen[static_cast<std::size_t>(row)] = 1;
        char text[kKeepRowText + 1] = {};
        const std::string label = source.GetItemText(row, 0);
        std::strncpy(text, label.c_str(), kKeepRowText);
        CWnd* parent = source.GetParent();
        if (parent && parent->SendMessage(WM_DRAGLIST_KEEP_ROW, reinterpret_cast<WPARAM>(text), 0))
        {
            AfxMessageBox(std::string(text) + " cannot be removed");
            if (!m_hWnd || !source.m_hWnd)
                return;
            continue;
        }
        marked.push_back(row);
    }
    if (marked.empty())
        return;

    // Copies keep the order they were dragged in, one after the other from the drop row.
    std::vector<sDragRow> arranged;
    arranged.reserve(marked.size() + static_cast<std::size_t>(count - dropAt));
    for (const int row : marked)
    {
        arranged.push_back(source.ReadRow(row));
        arranged.back().state |= LVIS_SELECTED;
    }
    for (int row = dropAt; row < count; ++row)
        arranged.push_back(ReadRow(row));
    SetRedraw(FALSE);
    for (std::size_t i = 0; i < marked.size(); ++i)
        InsertItem(GetItemCount(), "");
    WriteRows(dropAt, arranged);
    // Each copy arrives selected and takes the focus in turn: the last one keeps it.
    const int moved = static_cast<int>(marked.size());
    SetItemState(dropAt + moved - 1, LVIS_FOCUSED, LVIS_FOCUSED);
    SetRedraw(TRUE);
    Invalidate();

    // The source closes up over the rows that left: the rest move up, the surplus goes from the end.
    std::sort(marked.begin(), marked.end());
    std::vector<char> leaving(static_cast<std::size_t>(sourceCount), 0);
    for (const int row : marked)
        leaving[static_cast<std::size_t>(row)] = 1;
    std::vector<sDragRow> rest;
    for (int row = marked.front(); row < sourceCount; ++row)
        if (!leaving[static_cast<std::size_t>(row)])
            rest.push_back(source.ReadRow(row));
    source.SetRedraw(FALSE);
    source.WriteRows(marked.front(), rest);
    for (int row = sourceCount - 1; row >= sourceCount - moved; --row)
        source.DeleteItem(row);
    source.SetRedraw(TRUE);
    source.Invalidate();
}

int CKTDragListCtrl::ColumnCount() const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    return std::max(1, header ? header->GetItemCount() : 1);
}

CKTDragListCtrl::sDragRow CKTDragListCtrl::ReadRow(int row) const
{
    sDragRow data;
    LVITEM item{};
    item.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.stateMask = kCopiedStates;
    GetItem(&item);
    data.image = item.iImage;
    data.param = item.lParam;
    data.state = item.state & kCopiedStates;
    const int columns = ColumnCount();
    data.texts.reserve(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns; ++column)
        data.texts.push_back(GetItemText(row, column));
    return data;
}

void CKTDragListCtrl::WriteRow(int row, const sDragRow& data)
{
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.pszText = const_cast<LPSTR>(data.texts.empty() ? "" : data.texts[0].c_str());
    item.iImage = data.image;
    item.lParam = data.param;
    item.state = data.state;
    item.stateMask = kCopiedStates;
    SetItem(&item);
    for (std::size_t column = 1; column < data.texts.size(); ++column)
        SetItemText(row, static_cast<int>(column), data.texts[column].c_str());
}

void CKTDragListCtrl::WriteRows(int first, const std::vector<sDragRow>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        WriteRow(first + static_cast<int>(i), rows[i]);
}

void CKTDragListCtrl::ClearSelection()
{
    std::vector<int> selected;
    POSITION position = GetFirstSelectedItemPosition();
    while (position)
        selected.push_back(GetNextSelectedItem(position));
    for (const int row : selected)
        SetItemState(row, 0, LVIS_SELECTED);
}
