// The report list view: columns (kept in the header), auto-sizing, sorting, extended
// styles, image lists and the row height.
#include "ImageListAccess.h"
#include "ListView.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace winlib::detail
{

namespace
{

int HeaderFormat(int listFormat)
{
    int fmt = HDF_STRING | (listFormat & LVCFMT_JUSTIFYMASK);
    if (listFormat & LVCFMT_IMAGE)
        fmt |= HDF_IMAGE;
    if (listFormat & LVCFMT_BITMAP_ON_RIGHT)
        fmt |= HDF_BITMAP_ON_RIGHT;
    return fmt;
}

// Merges the sorted runs [lo, mid) and [mid, hi) of 'from' into the same places of 'to', taking
// the right run's item first only when compare(right, left) < 0.
template <typename Compare>
void MergeRuns(const std::vector<int>& from, std::vector<int>& to, std::size_t lo, std::size_t mid,
               std::size_t hi, Compare& compare)
{
    std::size_t a = lo;
    std::size_t b = mid;
    std::size_t out = lo;
    while (a < mid && b < hi)
    {
        // Without a branch on the answer, which no predictor guesses in a sort.
        const int left = from[a];
        const int right = from[b];
        const bool takeRight = compare(right, left) < 0;
        to[out++] = takeRight ? right : left;
        b += takeRight ? 1 : 0;
        a += takeRight ? 0 : 1;
    }
    while (a < mid)
        to[out++] = from[a++];
    while (b < hi)
        to[out++] = from[b++];
}

// A stable bottom-up merge sort (runs of 1, 2, 4 ...) that stays in bounds whatever the
// comparison answers.
template <typename Compare> void MergeSort(std::vector<int>& items, Compare compare)
{
    const std::size_t n = items.size();
    std::vector<int> scratch(n);
    for (std::size_t width = 1; width < n; width *= 2)
    {
        for (std::size_t lo = 0; lo < n; lo += 2 * width)
            MergeRuns(items, scratch, lo, std::min(lo + width, n), std::min(lo + 2 * width, n), compare);
        items.swap(scratch);
    }
}

} // namespace

int ColumnLayout::ColumnAt(int x) const
{
    for (int column : order)
    {
        const auto c = static_cast<std::size_t>(column);
        if (x >= left[c] && x < left[c] + width[c])
            return column;
    }
    return -1;
}
// ---- Columns -----------------------------------------------------------------------------

ColumnLayout ListViewBehaviour::Columns() const
{
    ColumnLayout layout;
    const int headerCount = static_cast<int>(SendMessage(m_header, HDM_GETITEMCOUNT, 0, 0));
    const int count = std::min(headerCount, static_cast<int>(m_columns.size()));
    if (count <= 0)
        return layout;
    std::vector<int> order(static_cast<std::size_t>(headerCount));
    if (!SendMessage(m_header, HDM_GETORDERARRAY, static_cast<WPARAM>(headerCount),
                     reinterpret_cast<LPARAM>(order.data())))
        std::iota(order.begin(), order.end(), 0);
    for (int column : order)
    {
        if (column >= 0 && column < count)
            layout.order.push_back(column);
    }
    layout.width.resize(static_cast<std::size_t>(count));
    layout.left.resize(static_cast<std::size_t>(count));
    for (int column = 0; column < count; ++column)
    {
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        layout.width[static_cast<std::size_t>(column)] = std::max(0, item.cxy);
    }
    int x = 0;
    for (int column : layout.order)
    {
        layout.left[static_cast<std::size_t>(column)] = x;
        x += layout.width[static_cast<std::size_t>(column)];
    }
    layout.total = x;
    return layout;
}

int ListViewBehaviour::InsertColumn(int index, const LVCOLUMNA* in)
{
    if (!in || static_cast<int>(m_columns.size()) >= kMostHeaderItems)
        return -1;
    index = std::clamp(index, 0, static_cast<int>(m_columns.size()));
    ListColumn column;
    if (in->mask & LVCF_FMT)
        column.fmt = in->fmt;
    column.subItem = (in->mask & LVCF_SUBITEM) ? in->iSubItem : index;
    if (in->mask & LVCF_IMAGE)
        column.image = in->iImage;

    HDITEMA item{};
    item.mask = HDI_FORMAT | HDI_WIDTH;
    item.fmt = HeaderFormat(column.fmt);
    item.cxy = (in->mask & LVCF_WIDTH) ? std::max(0, in->cx) : 0;
    if (in->mask & LVCF_TEXT)
    {
        item.mask |= HDI_TEXT;
        item.pszText = in->pszText;
    }
    if (in->mask & LVCF_IMAGE)
    {
        item.mask |= HDI_IMAGE;
        item.iImage = in->iImage;
    }
    if (in->mask & LVCF_ORDER)
    {
        item.mask |= HDI_ORDER;
        item.iOrder = in->iOrder;
    }
    m_columns.insert(m_columns.begin() + index, column);
    m_cells.InsertColumn(static_cast<std::size_t>(index));
    ++m_rowsMoved;
    SendMessage(m_header, HDM_INSERTITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    Layout();
    InvalidateRows();
    return index;
}

bool ListViewBehaviour::DeleteColumn(int index)
{
    if (index < 0 || index >= static_cast<int>(m_columns.size()))
        return false;
    m_columns.erase(m_columns.begin() + index);
    m_cells.EraseColumn(static_cast<std::size_t>(index));
    ++m_rowsMoved;
    SendMessage(m_header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
    Layout();
    InvalidateRows();
    return true;
}

bool ListViewBehaviour::GetColumn(int index, LVCOLUMNA* out) const
{
    if (!out || index < 0 || index >= static_cast<int>(m_columns.size()))
        return false;
    const ListColumn& column = m_columns[static_cast<std::size_t>(index)];
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_ORDER;
    if ((out->mask & LVCF_TEXT) && out->pszText && out->cchTextMax > 0)
    {
        item.mask |= HDI_TEXT;
        item.pszText = out->pszText;
        item.cchTextMax = out->cchTextMax;
    }
    SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (out->mask & LVCF_FMT)
        out->fmt = column.fmt;
    if (out->mask & LVCF_WIDTH)
        out->cx = item.cxy;
    if (out->mask & LVCF_SUBITEM)
        out->iSubItem = column.subItem;
    if (out->mask & LVCF_IMAGE)
        out->iImage = column.image;
    if (out->mask & LVCF_ORDER)
        out->iOrder = item.iOrder;
    return true;
}

bool ListViewBehaviour::SetColumn(int index, const LVCOLUMNA* in)
{
    if (!in || index < 0 || index >= static_cast<int>(m_columns.size()))
        return false;
    ListColumn& column = m_columns[static_cast<std::size_t>(index)];
    HDITEMA item{};
    if (in->mask & LVCF_FMT)
    {
        column.fmt = in->fmt;
        item.mask |= HDI_FORMAT;
        item.fmt = HeaderFormat(column.fmt);
    }
    if (in->mask & LVCF_SUBITEM)
        column.subItem = in->iSubItem;
    if (in->mask & LVCF_IMAGE)
    {
        column.image = in->iImage;
        item.mask |= HDI_IMAGE;
        item.iImage = in->iImage;
    }
    if (in->mask & LVCF_TEXT)
    {
        item.mask |= HDI_TEXT;
        item.pszText = in->pszText;
    }
    if (in->mask & LVCF_ORDER)
    {
        item.mask |= HDI_ORDER;
        item.iOrder = in->iOrder;
    }
    if (in->mask & LVCF_WIDTH)
    {
        const int width = (in->cx == LVSCW_AUTOSIZE || in->cx == LVSCW_AUTOSIZE_USEHEADER)
                              ? AutoWidth(index, in->cx == LVSCW_AUTOSIZE_USEHEADER)
                              : std::max(0, in->cx);
        item.mask |= HDI_WIDTH;
        item.cxy = width;
    }
    if (item.mask)
        SendMessage(m_header, HDM_SETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    InvalidateRows();
    return true;
}

int ListViewBehaviour::ColumnWidth(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_columns.size()))
        return 0;
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return item.cxy;
}

bool ListViewBehaviour::SetColumnWidth(int index, int width)
{
    if (index < 0 || index >= static_cast<int>(m_columns.size()))
        return false;
    if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER)
        width = AutoWidth(index, width == LVSCW_AUTOSIZE_USEHEADER);
    else if (width < 0)
        return false;
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    return SendMessage(m_header, HDM_SETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           0;
}

// The width that shows the widest text of a column, measured with the list's font. An
// owner-data list is measured over the rows on view: asking the parent for every row of a
// large virtual list would defeat its purpose.
int ListViewBehaviour::AutoWidth(int index, bool useHeader)
{
    const TextMeasure measure(ControlFont(m_hwnd));
    int first = 0;
    int last = Count() - 1;
    if (m_ownerData)
    {
        first = m_top;
        last = std::min(last, m_top + CountPerPage());
    }
    int widest = 0;
    for (int item = first; item <= last; ++item)
        widest = std::max(widest, measure.Width(CellText(item, index)));
    int width = widest + 2 * kListTextInset;
    if (index == 0)
        width += StateImageWidth() + SmallImageWidth();
    else if ((m_exStyle & LVS_EX_SUBITEMIMAGES) && m_smallImages)
        width += SmallImageWidth();
    if (useHeader)
    {
        char text[kListDispTextSize] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
        item.pszText = text;
        item.cchTextMax = kListDispTextSize;
        SendMessage(m_header, HDM_GETITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        int headerWidth = measure.Width(text) + 2 * kListHeaderTextMargin;
        if ((item.fmt & HDF_IMAGE) && item.iImage >= 0)
        {
            const HIMAGELIST images =
                reinterpret_cast<HIMAGELIST>(SendMessage(m_header, HDM_GETIMAGELIST, HDSIL_NORMAL, 0));
            headerWidth +=
                ImageSize(images).cx + static_cast<int>(SendMessage(m_header, HDM_GETBITMAPMARGIN, 0, 0));
        }
        width = std::max(width, headerWidth);
        // The last column on view takes the rest of the client area.
        const ColumnLayout columns = Columns();
        if (!columns.order.empty() && columns.order.back() == index)
        {
            const int rest = ClientOf(m_hwnd).Width() - columns.left[static_cast<std::size_t>(index)];
            width = std::max(width, rest);
        }
    }
    return width;
}

// ---- Sorting, styles, images, row height ---------------------------------------------------

bool ListViewBehaviour::SortItems(LPARAM param, PFNLVCOMPARE compare, bool byIndex)
{
    if (!compare || m_ownerData)
        return false;
    // The rows stay where they are while the callback runs, so that it may read them by
    // index; the new order is applied at the end.
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    const HWND hwnd = m_hwnd;
    if (byIndex)
        MergeSort(order, [&](int a, int b) { return compare(a, b, param); });
    else
    {
        std::vector<LPARAM> params(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            params[i] = m_rows[i].lParam;
        MergeSort(order,
                  [&](int a, int b) {
                      return compare(params[static_cast<std::size_t>(a)], params[static_cast<std::size_t>(b)],
                                     param);
                  });
    }
    if (!IsWindow(hwnd) || order.size() != m_rows.size())
        return false;
    ApplyOrder(reinterpret_cast<const UINT*>(order.data()));
    return true;
}

void ListViewBehaviour::ApplyOrder(const UINT* order)
{
    const std::size_t n = m_rows.size();
    // The rows are gathered into the array the last sort left: a fresh one of a long list would
    // cost a page fault every hundred rows, more than the gathering itself.
    std::vector<ListRow> sorted = std::move(m_spareRows);
    sorted.clear();
    sorted.reserve(n);
    constexpr std::size_t kAhead = 16; // rows are gathered from anywhere in a long list
    for (std::size_t i = 0; i < n; ++i)
    {
        if (i + kAhead < n)
            __builtin_prefetch(&m_rows[order[i + kAhead]]);
        sorted.push_back(std::move(m_rows[order[i]]));
    }
    m_rows.swap(sorted);
    m_spareRows = std::move(sorted);
    ++m_rowsMoved;
    // The focus and the mark follow their rows; the other states moved with the rows.
    const int focus = m_focus;
    const int mark = m_mark;
    for (std::size_t i = 0; i < n && (focus >= 0 || mark >= 0); ++i)
    {
        if (static_cast<int>(order[i]) == focus)
            m_focus = static_cast<int>(i);
        if (static_cast<int>(order[i]) == mark)
            m_mark = static_cast<int>(i);
    }
    InvalidateRows();
}

bool ListViewBehaviour::SetItemOrder(const UINT* order, int count)
{
    if (!order || m_ownerData || count < 0 || static_cast<std::size_t>(count) != m_rows.size())
        return false;
    std::vector<std::uint64_t> seen((m_rows.size() + 63) / 64, 0);
    for (std::size_t i = 0; i < m_rows.size(); ++i)
    {
        const UINT row = order[i];
        if (row >= m_rows.size() || (seen[row / 64] >> (row % 64)) & 1)
            return false;
        seen[row / 64] |= std::uint64_t{1} << (row % 64);
    }
    ApplyOrder(order);
    return true;
}

int ListViewBehaviour::ColumnTexts(int subItem, const LVCOLUMNTEXTS* request)
{
    if (!request || !request->pfnText || subItem < 0)
        return 0;
    const auto sub = static_cast<std::size_t>(subItem);
    const int count = Count();
    if (m_ownerData)
        return AskedColumnTexts(subItem, request);
    if (sub >= m_cells.Columns())
    {
        for (int item = 0; item < count; ++item)
            request->pfnText(item, "", 0, request->lParam);
        return count;
    }
    // The cells are read in the order they lie in memory, which after a sort is no order of the
    // items at all; each slot's item is looked up in an array of four bytes a slot instead.
    constexpr std::uint32_t kNoItem = ~std::uint32_t{0};
    const std::uint32_t slots = m_cells.Slots();
    std::vector<std::uint32_t>& itemOf = m_itemOfSlot;
    itemOf.resize(slots);
    for (const std::uint32_t slot : m_cells.Released())
        itemOf[slot] = kNoItem;
    for (std::size_t item = 0; item < m_rows.size(); ++item)
        itemOf[m_rows[item].slot] = static_cast<std::uint32_t>(item);
    const std::uint64_t moved = m_rowsMoved;
    std::vector<char> buffer;
    int read = 0;
    for (std::uint32_t first = 0; first < slots; first += ListCells::kBlock)
    {
        const ListCell* cells = m_cells.Block(sub, first / ListCells::kBlock);
        const std::uint32_t last = std::min(slots, first + ListCells::kBlock);
        for (std::uint32_t slot = first; slot < last; ++slot)
        {
            const std::uint32_t item = itemOf[slot];
            if (item == kNoItem)
                continue;
            const ListCell& cell = cells[slot - first];
            if (!cell.callback)
            {
                request->pfnText(static_cast<int>(item), cell.text.c_str(), static_cast<int>(cell.text.size()),
                                 request->lParam);
                ++read;
                continue;
            }
            const int length = AskedText(static_cast<int>(item), subItem, buffer);
            // A parent that moved the rows while it answered leaves the slots' items behind:
            // the reading ends there.
            if (length < 0 || m_rowsMoved != moved)
                return read;
            request->pfnText(static_cast<int>(item), buffer.data(), length, request->lParam);
            ++read;
        }
    }
    return read;
}

int ListViewBehaviour::AskedColumnTexts(int subItem, const LVCOLUMNTEXTS* request)
{
    const int count = Count();
    std::vector<char> buffer;
    for (int item = 0; item < count; ++item)
    {
        const int length = AskedText(item, subItem, buffer);
        if (length < 0 || Count() != count)
            return item;
        request->pfnText(item, buffer.data(), length, request->lParam);
    }
    return count;
}

int ListViewBehaviour::AskedText(int item, int subItem, std::vector<char>& buffer)
{
    // As a reader of LVM_GETITEMTEXT does: a buffer that grows until the text fits.
    const HWND hwnd = m_hwnd;
    if (buffer.empty())
        buffer.resize(kListDispTextSize);
    for (;;)
    {
        LVITEMA asked{};
        asked.iSubItem = subItem;
        asked.pszText = buffer.data();
        asked.cchTextMax = static_cast<int>(buffer.size());
        const int length = GetItemText(item, &asked);
        if (!IsWindow(hwnd))
            return -1;
        if (length < static_cast<int>(buffer.size()) - 1)
            return length;
        buffer.resize(buffer.size() * 2);
    }
}

void ListViewBehaviour::CompactCells()
{
    const std::size_t free = m_cells.FreeSlots();
    if (free < ListCells::kBlock || free < m_rows.size())
        return;
    std::vector<std::uint32_t> slots(m_rows.size());
    for (std::size_t item = 0; item < m_rows.size(); ++item)
    {
        slots[item] = m_rows[item].slot;
        m_rows[item].slot = static_cast<std::uint32_t>(item);
    }
    m_cells.Relay(slots);
    m_itemOfSlot = std::vector<std::uint32_t>();
    ++m_rowsMoved;
}

DWORD ListViewBehaviour::SetExtendedStyle(DWORD mask, DWORD style)
{
    if (!mask)
        mask = ~DWORD{0};
    const DWORD old = m_exStyle;
    m_exStyle = (old & ~mask) | (style & mask);
    const DWORD changed = old ^ m_exStyle;
    if (changed & LVS_EX_HEADERDRAGDROP)
    {
        LONG headerStyle = GetWindowLong(m_header, GWL_STYLE);
        headerStyle = (m_exStyle & LVS_EX_HEADERDRAGDROP) ? (headerStyle | static_cast<LONG>(HDS_DRAGDROP))
                                                          : (headerStyle & ~static_cast<LONG>(HDS_DRAGDROP));
        SetWindowLong(m_header, GWL_STYLE, headerStyle);
    }
    if (changed & LVS_EX_CHECKBOXES)
    {
        // Every item starts unchecked, as on Windows.
        if (m_exStyle & LVS_EX_CHECKBOXES)
        {
            for (ListRow& row : m_rows)
            {
                if (!(row.state & LVIS_STATEIMAGEMASK))
                    row.state |= INDEXTOSTATEIMAGEMASK(1);
            }
        }
        UpdateRowHeight();
    }
    if (changed)
        InvalidateRows();
    return old;
}

HIMAGELIST ListViewBehaviour::SetImageList(int type, HIMAGELIST images)
{
    HIMAGELIST* slot = nullptr;
    switch (type)
    {
    case LVSIL_NORMAL:
        slot = &m_normalImages;
        break;
    case LVSIL_SMALL:
        slot = &m_smallImages;
        break;
    case LVSIL_STATE:
        slot = &m_stateImages;
        break;
    default:
        return nullptr;
    }
    const HIMAGELIST old = *slot;
    *slot = images;
    UpdateRowHeight();
    InvalidateRows();
    return old;
}

int ListViewBehaviour::StateImageWidth() const
{
    if (m_stateImages)
        return ImageSize(m_stateImages).cx;
    return (m_exStyle & LVS_EX_CHECKBOXES) ? kListCheckBoxImage : 0;
}

int ListViewBehaviour::SmallImageWidth() const
{
    return m_smallImages ? ImageSize(m_smallImages).cx : 0;
}

void ListViewBehaviour::UpdateRowHeight()
{
    int height = FontMetrics(ControlFont(m_hwnd)).tmHeight + kListRowMargin;
    if (m_smallImages)
        height = std::max<int>(height, ImageSize(m_smallImages).cy + 1);
    if (m_stateImages)
        height = std::max<int>(height, ImageSize(m_stateImages).cy + 1);
    else if (m_exStyle & LVS_EX_CHECKBOXES)
        height = std::max(height, kListCheckBoxImage + 1);
    if (OwnerDraw() && m_measuredHeight > 0)
        height = m_measuredHeight;
    height = std::max(1, height);
    if (height == m_rowHeight)
        return;
    m_rowHeight = height;
    InvalidateRows();
    UpdateScrollBars();
}

void ListViewBehaviour::MeasureOwnerDrawRows()
{
    m_measuredHeight = 0;
    UpdateRowHeight();
    const HWND parent = GetParent(m_hwnd);
    if (!parent)
        return;
    MEASUREITEMSTRUCT mis{
        ODT_LISTVIEW, static_cast<UINT>(GetDlgCtrlID(m_hwnd)), 0, 0, static_cast<UINT>(m_rowHeight), 0};
    const HWND hwnd = m_hwnd;
    SendMessage(parent, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    if (!IsWindow(hwnd))
        return;
    m_measuredHeight = static_cast<int>(mis.itemHeight);
    UpdateRowHeight();
}

} // namespace winlib::detail
