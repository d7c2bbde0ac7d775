#include "grid/CommonListCtrl.h"

#include "base/PluginGlobals.h"
#include "base/SettingText.h"
#include "base/TabbedLog.h"
#include "base/UserSettings.h"
#include "excel/ExcelInterface.h"
#include "frame/KTBCGPDialog.h"
#include "frame/KTBCGPDialogBar.h"
#include "grid/ColumnProfile.h"
#include "grid/CustomizedAppearance.h"
#include "grid/DateTimeCompare.h"
#include "grid/RepositionColumns.h"
#include "grid/SortKeys.h"
#include "grid/WorkBuffers.h"
#include "winlib/FormView.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/ImageList.h"
#include "winlib/Menu.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CCommonListCtrl, CListCtrl)

namespace
{

constexpr int kMinimumFitWidth = 50;
// A header title's margins and the sort arrow beside it.
constexpr int kHeaderTitleRoom = 12 + 9 + 6;
constexpr int kCellTextLimit = 255;
// Posted after a header drag: the header has applied its new order by then.
constexpr UINT WM_LIST_SYNC_POSITIONS = WM_APP + 0x31;
// Posted when the view's size or rows changed while the columns follow the view; one fit for
// whatever came before it.
constexpr UINT WM_LIST_FIT_VIEW = WM_APP + 0x32;

// How the compare step reads a column of each data type.
SortKind CommonSortKind(int dataType)
{
    switch (dataType)
    {
    case 1:
        return SortKind::Integer32; // a text beyond the range counts as its limit
    case 2:
    case 5:
    case 7:
    case 9:
        return SortKind::Decimal;
    case 3:
    case 8:
        return SortKind::Text;
    case 4:
        return SortKind::Integer64;
    case 6:
        return SortKind::DateTime;
    default:
        return SortKind::None;
    }
}

// A column read in progress: items[i] is the item whose text came i-th.
struct ColumnRead
{
    std::vector<std::uint32_t>& items;
    SortKeys& keys;
    std::uint32_t count;
};

// The items a read did not reach (a parent that changed the list while it answered ends the
// read) follow in item order; their texts count as empty, as the list shows none for them now.
void NoteItemsNotRead(std::vector<std::uint32_t>& items, std::uint32_t read)
{
    if (read >= items.size())
        return;
    std::vector<bool> seen(items.size());
    for (std::uint32_t i = 0; i < read; ++i)
        seen[items[i]] = true;
    for (std::uint32_t item = 0; item < items.size(); ++item)
    {
        if (!seen[item])
            items[read++] = item;
    }
}

bool IsHostWindow(CWnd* wnd)
{
    return wnd->IsKindOf(RUNTIME_CLASS(CKTBCGPDialog)) || wnd->IsKindOf(RUNTIME_CLASS(CKTBCGPDialogBar)) ||
           wnd->IsKindOf(RUNTIME_CLASS(CBCGPFormView));
}

} // namespace

CCommonListCtrl::CCommonListCtrl() = default;

CCommonListCtrl::~CCommonListCtrl() = default;

bool CCommonListCtrl::ExportAllowed()
{
    const PFN_pu_get_find_menu_item_in_roles roles = ConsoleRolesFunction();
    return roles && roles(kNoExportRole) == 0;
}

// ---- Virtual operations -------------------------------------------------------------------------

int CCommonListCtrl::GetItemText(int row, int column, LPSTR buffer, int length) const
{
    return CListCtrl::GetItemText(row, column, buffer, length);
}

std::string CCommonListCtrl::GetItemText(int row, int column) const
{
    return CListCtrl::GetItemText(row, column);
}

DWORD_PTR CCommonListCtrl::GetItemData(int row) const
{
    return CListCtrl::GetItemData(row);
}

BOOL CCommonListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!CListCtrl::Create(style, rect, parent, id))
        return FALSE;
    Initialise();
    return TRUE;
}

BOOL CCommonListCtrl::CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!CListCtrl::CreateEx(exStyle, style, rect, parent, id))
        return FALSE;
    Initialise();
    return TRUE;
}

void CCommonListCtrl::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    EnableToolTips(TRUE);
    Initialise();
}

// ---- Initialisation -----------------------------------------------------------------------------

void CCommonListCtrl::Initialise()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    GetUserSettingsPath(); // makes sure the settings folder exists
    if (CHeaderCtrl* header = GetHeaderCtrl(); header && g_pHeaderImageList)
        header->SetImageList(g_pHeaderImageList);
    // The list starts as if column 0 had been clicked once: its arrow shows ascending and it is the
    // previous sort column, so the first click on column 0 itself turns the order to descending,
    // while the first click on any other column sorts it ascending.
    SetHeaderSortImage(m_nSortColumn, 0);
    m_nPrevSortColumn = m_nSortColumn;
    m_nSortDirection = -1;
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    SetTextColor(RGB(0, 255, 0));
    SetBkColor(RGB(0, 0, 0));
    SetTextBkColor(RGB(0, 0, 0));
    LoadAppearance();
}

void CCommonListCtrl::LoadAppearance()
{
    CWnd* host = nullptr;
    for (CWnd* w = GetParent(); w; w = w->GetParent())
    {
        if (IsHostWindow(w))
        {
            host = w;
            break;
        }
    }
    if (!host || !m_bAppearanceCustomizable)
        return;
    std::string value;
    std::string error;
    const std::string key = m_strListName + "-" + std::to_string(GetDlgCtrlID());
    const int found =
        ReadWriteSetting(SETTING_READ, "CUSTOMIZE_LISTS", key, value, GetUserSettingsPath(), error);
    if (!found && !error.empty())
        return; // no settings file to read: the defaults stay
    if (found)
    {
        m_appearance.ParseSetting(value);
        m_bStoredAppearanceLoaded = TRUE;
    }
    else
        m_appearance = GetDefaultListAppearance();
    ApplyListFont(m_appearance.m_strFontFace, m_appearance.m_strFontSize);
    if (m_bAppearanceColors)
    {
        SetBkColor(m_appearance.m_clrBackground);
        SetTextBkColor(m_appearance.m_clrBackground);
        SetTextColor(m_appearance.m_clrText);
    }
    Invalidate();
}

void CCommonListCtrl::ApplyListFont(const std::string& face, const std::string& size)
{
    LOGFONT lf{};
    if (CFont* current = GetFont())
        current->GetLogFont(&lf);
    else
        ::GetObject(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    CClientDC dc(this);
    // A size that is no size (from a hand-edited settings file) gives the default size.
    const int points = ParseFontPoints(size).value_or(kDefaultFontPoints);
    lf.lfHeight = -MulDiv(points, dc.GetDeviceCaps(LOGPIXELSY), 72);
    auto font = std::make_unique<CFont>();
    if (!font->CreateFontIndirect(&lf))
        return;
    SetFont(font.get());
    m_pListFont = std::move(font); // the old font goes only once the list uses the new one
}

// ---- Column layout -----------------------------------------------------------------------------

int CCommonListCtrl::GetColumnAtPosition(int position) const
{
    for (const auto& [column, p] : m_mapPosition)
    {
        if (p == position)
            return column;
    }
    return -1;
}

int CCommonListCtrl::GetPositionOfColumn(int column) const
{
    const auto it = m_mapPosition.find(column);
    return it == m_mapPosition.end() ? -1 : it->second;
}

int CCommonListCtrl::GetColumnOfItem(int item) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const int count = header ? header->GetItemCount() : 0;
    if (static_cast<int>(m_arrColumnOfItem.size()) != count ||
        m_nColumnOfItemDescriptions != m_arrColumns.size())
    {
        // Rebuilt after the header's items changed (insert, delete or rename, see OnWndMsg).
        m_nColumnOfItemDescriptions = m_arrColumns.size();
        m_arrColumnOfItem.assign(static_cast<std::size_t>(count), -1);
        for (int i = 0; i < count; ++i)
        {
            char text[kCellTextLimit + 1] = {};
            HDITEM hdi{};
            hdi.mask = HDI_TEXT;
            hdi.pszText = text;
            hdi.cchTextMax = sizeof text;
            if (!header->GetItem(i, &hdi))
                continue;
            for (std::size_t c = 0; c < m_arrColumns.size(); ++c)
            {
                if (m_arrColumns[c].GetName() == text)
                {
                    m_arrColumnOfItem[static_cast<std::size_t>(i)] = static_cast<int>(c);
                    break;
                }
            }
        }
    }
    return (item >= 0 && item < count) ? m_arrColumnOfItem[static_cast<std::size_t>(item)] : -1;
}

int CCommonListCtrl::GetItemAtDisplayPosition(int position) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const int item = header ? header->OrderToIndex(position) : -1;
    return item >= 0 ? item : position;
}

int CCommonListCtrl::GetItemOfColumn(int column) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const int count = header ? header->GetItemCount() : 0;
    for (int item = 0; item < count; ++item)
    {
        if (GetColumnOfItem(item) == column)
            return item;
    }
    return -1;
}

void CCommonListCtrl::InitColumns()
{
    m_nBaseColumnCount = static_cast<int>(m_arrColumns.size());
    m_mapPosition.clear();
    m_mapIndexAtPosition.clear();
    std::string stored;
    std::optional<std::string_view> profile;
    if (!m_strListName.empty() && ReadWriteColumnProfile(SETTING_READ, m_strListName, stored))
        profile = stored;
    const ColumnLayout layout = LayoutColumns(m_arrColumns, m_nBaseColumnCount, profile);
    // Widths are the user's when a stored one differs from the declared width (a list that
    // followed its view stores the declared widths, see SaveColumnProfile).
    m_bStoredWidths = FALSE;
    for (std::size_t i = 0; layout.fromProfile && i < m_arrColumns.size(); ++i)
    {
        if (layout.positions[i] >= 0 && layout.widths[i] != m_arrColumns[i].m_nWidth)
            m_bStoredWidths = TRUE;
    }
    for (std::size_t i = 0; i < m_arrColumns.size(); ++i)
    {
        const int column = static_cast<int>(i);
        m_mapPosition[column] = layout.positions[i];
        m_mapWidth[column] = layout.widths[i];
        if (layout.positions[i] >= 0)
            m_mapIndexAtPosition[layout.positions[i]] = column;
    }
    m_nFirstColumn = std::max(0, layout.firstShown);

    while (CHeaderCtrl* header = GetHeaderCtrl())
    {
        if (header->GetItemCount() == 0)
            break;
        CListCtrl::DeleteColumn(0);
    }
    for (int p = 0; p < static_cast<int>(layout.displayOrder.size()); ++p)
    {
        const int column = layout.displayOrder[static_cast<std::size_t>(p)];
        const sKivoColInfo& info = m_arrColumns[static_cast<std::size_t>(column)];
        CListCtrl::InsertColumn(p, info.m_szName, info.m_nFormat, m_mapWidth[column]);
    }
    RebuildHeaderTools();
    ShowSortArrow();
    NotifyLayoutChanged();
}

BOOL CCommonListCtrl::SaveColumnProfile()
{
    // A list without a name has no section of its own: its layout is not kept rather than written
    // under an empty section name, where every unnamed list would share it.
    if (m_strListName.empty())
        return TRUE;
    std::vector<int> positions(m_arrColumns.size(), -1);
    std::vector<int> widths(m_arrColumns.size(), 0);
    CHeaderCtrl* header = GetHeaderCtrl();
    for (std::size_t i = 0; i < m_arrColumns.size(); ++i)
    {
        positions[i] = GetPositionOfColumn(static_cast<int>(i));
        for (int item = 0; header && item < header->GetItemCount(); ++item)
        {
            char text[kCellTextLimit + 1] = {};
            HDITEM hdi{};
            hdi.mask = HDI_TEXT | HDI_WIDTH;
            hdi.pszText = text;
            hdi.cchTextMax = sizeof text;
            if (header->GetItem(item, &hdi) && m_arrColumns[i].GetName() == text)
            {
                widths[i] = hdi.cxy;
                break;
            }
        }
    }
    // Widths the list chose itself are not the user's: the declared ones are stored, so that the
    // next start follows its view again.
    if (m_bColumnsFollowView)
    {
        for (std::size_t i = 0; i < m_arrColumns.size(); ++i)
            widths[i] = widths[i] > 0 ? m_arrColumns[i].m_nWidth : 0;
    }
    std::string profile = FormatColumnProfile(m_arrColumns, m_nBaseColumnCount, positions, widths);
    if (!ReadWriteColumnProfile(SETTING_WRITE, m_strListName, profile))
    {
        AfxMessageBox("Error while saving column profile");
        return FALSE;
    }
    return TRUE;
}

void CCommonListCtrl::SyncPositionsFromHeader()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;
    const int count = header->GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    if (count == 0 || !header->GetOrderArray(order.data(), count))
        return;
    for (int p = 0; p < count; ++p)
    {
        char text[kCellTextLimit + 1] = {};
        HDITEM hdi{};
        hdi.mask = HDI_TEXT;
        hdi.pszText = text;
        hdi.cchTextMax = sizeof text;
        if (!header->GetItem(order[static_cast<std::size_t>(p)], &hdi))
            continue;
        for (std::size_t i = 0; i < m_arrColumns.size(); ++i)
        {
            if (m_arrColumns[i].GetName() == text)
                m_mapPosition[static_cast<int>(i)] = p;
        }
    }
}

void CCommonListCtrl::NotifyLayoutChanged()
{
    for (CWnd* w = GetParent(); w; w = w->GetParent())
    {
        if (w->IsKindOf(RUNTIME_CLASS(CKTBCGPDialog)) || w->IsKindOf(RUNTIME_CLASS(CBCGPDialogBar)))
        {
            w->SendMessage(WM_LIST_LAYOUT_CHANGED, static_cast<WPARAM>(GetDlgCtrlID()), 0);
            return;
        }
    }
}

// ---- Header tooltips ----------------------------------------------------------------------------

void CCommonListCtrl::RebuildHeaderTools()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!m_bHeaderToolTips || !header || (GetStyle() & LVS_TYPEMASK) != LVS_REPORT)
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
    while (m_pHeaderToolTip->GetToolCount() > 0)
    {
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        if (!m_pHeaderToolTip->GetToolInfo(info, header,
                                           static_cast<UINT_PTR>(m_pHeaderToolTip->GetToolCount())))
            break;
        m_pHeaderToolTip->DelTool(header, info.uId);
    }
    for (int item = 0; item < header->GetItemCount(); ++item)
    {
        char text[kCellTextLimit + 1] = {};
        HDITEM hdi{};
        hdi.mask = HDI_TEXT;
        hdi.pszText = text;
        hdi.cchTextMax = sizeof text;
        header->GetItem(item, &hdi);
        std::string tip = text;
        for (std::size_t i = static_cast<std::size_t>(m_nBaseColumnCount); i < m_arrColumns.size(); ++i)
        {
            if (m_arrColumns[i].GetName() == text)
                tip = m_arrColumns[i].m_strDisplayExpression;
        }
        CRect rect;
        header->GetItemRect(item, &rect);
        m_pHeaderToolTip->AddTool(header, tip.c_str(), &rect, static_cast<UINT_PTR>(item + 1));
    }
}

void CCommonListCtrl::RefreshHeaderToolRects()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!m_pHeaderToolTip || !header)
        return;
    for (int item = 0; item < header->GetItemCount(); ++item)
    {
        CRect rect;
        header->GetItemRect(item, &rect);
        m_pHeaderToolTip->SetToolRect(header, static_cast<UINT_PTR>(item + 1), &rect);
    }
}

int CCommonListCtrl::InsertColumnWithTip(int position, const sKivoColInfo& column, int width)
{
    const int inserted = CListCtrl::InsertColumn(position, column.m_szName, column.m_nFormat, width);
    if (inserted >= 0 && m_nHeaderChanges == 0)
        RebuildHeaderTools();
    return inserted;
}

void CCommonListCtrl::EndHeaderChange()
{
    if (m_nHeaderChanges > 0 && --m_nHeaderChanges == 0)
        RebuildHeaderTools();
}

BOOL CCommonListCtrl::DeleteColumnWithTip(int position)
{
    const BOOL deleted = CListCtrl::DeleteColumn(position);
    if (deleted && m_nHeaderChanges == 0)
        RebuildHeaderTools();
    return deleted;
}

INT_PTR CCommonListCtrl::OnToolHitTest(CPoint point, TOOLINFOA* info) const
{
    if (!m_pfnRowToolTip || !info)
        return -1;
    const int row = CListCtrl::HitTest(point);
    if (row < 0)
        return -1;
    CRect rect;
    CListCtrl::GetItemRect(row, &rect, LVIR_BOUNDS);
    info->hwnd = m_hWnd;
    info->uId = static_cast<UINT_PTR>(row + 1);
    info->lpszText = LPSTR_TEXTCALLBACK;
    info->rect = rect;
    return row + 1;
}

// ---- Sorting --------------------------------------------------------------------------------------

void CCommonListCtrl::SetHeaderSortImage(int position, int image)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header || position < 0 || position >= header->GetItemCount())
        return;
    const int column = GetColumnOfItem(position);
    const int align = (column >= 0 && column < static_cast<int>(m_arrColumns.size()))
                          ? m_arrColumns[static_cast<std::size_t>(column)].m_nFormat & HDF_JUSTIFYMASK
                          : HDF_LEFT;
    HDITEM hdi{};
    hdi.mask = HDI_FORMAT | HDI_IMAGE;
    hdi.fmt = align | HDF_STRING | HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    hdi.iImage = image;
    header->SetItem(position, &hdi);
}

void CCommonListCtrl::ShowSortArrow()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;
    const int sorted = SortedColumn();
    for (int item = 0; item < header->GetItemCount(); ++item)
    {
        if (sorted >= 0 && GetColumnOfItem(item) == sorted)
        {
            SetHeaderSortImage(item, m_nSortDirection == 1 ? 1 : 0);
            continue;
        }
        // Any other arrow left from an earlier order becomes the blank third image.
        HDITEM hdi{};
        hdi.mask = HDI_FORMAT | HDI_IMAGE;
        if (header->GetItem(item, &hdi) && (hdi.fmt & HDF_IMAGE) && hdi.iImage != 2)
            SetHeaderSortImage(item, 2);
    }
}

void CCommonListCtrl::SortByHeaderClick(int position)
{
    const int oldSortColumn = m_nPrevSortColumn;
    m_nSortColumn = position;
    m_nSortDirection = (m_nSortColumn != m_nPrevSortColumn) ? -1 : -m_nSortDirection;

    // The click names a header item; after a drag its index is no longer its display position.
    const int column = GetColumnOfItem(m_nSortColumn);
    m_nSortDataType = (column >= 0 && column < static_cast<int>(m_arrColumns.size()))
                          ? m_arrColumns[static_cast<std::size_t>(column)].m_nDataType
                          : 0;

    // The list view hands over the column's texts in one message; each is parsed once into a key,
    // and the list view takes the order of the keys in another. The order is the one its own sort
    // would give comparing the texts with the compare step.
    SortRule rule;
    rule.kind = CommonSortKind(m_nSortDataType);
    rule.direction = m_nSortDirection;
    rule.missingDecimal = -1; // a dash or "NA" sorts as -1
    const auto count = static_cast<std::uint32_t>(std::max(0, CListCtrl::GetItemCount()));
    // The texts come in the order the list view keeps its cells in memory, each with its item:
    // the keys note which item each one was, and put equal keys back in item order.
    std::vector<std::uint32_t> items = work_buffers::Take<std::uint32_t>(count);
    SortKeys keys(count, rule, &items);
    ColumnRead read{items, keys, 0};
    GetColumnTexts(
        m_nSortColumn,
        [](int item, LPCSTR text, int length, LPARAM param)
        {
            auto& read = *reinterpret_cast<ColumnRead*>(param);
            if (item < 0 || static_cast<std::size_t>(item) >= read.items.size() || read.count >= read.items.size())
                return;
            read.items[read.count++] = static_cast<std::uint32_t>(item);
            // As long a text as GetItemText reads (its buffer stops growing at 1 MB).
            constexpr int kLongestRead = (1 << 20) - 1;
            read.keys.Add(std::string_view(text, static_cast<std::size_t>(std::min(length, kLongestRead))));
        },
        reinterpret_cast<LPARAM>(&read));
    NoteItemsNotRead(items, read.count);
    std::vector<std::uint32_t> order = keys.Order();
    SetItemOrder(order.data(), static_cast<int>(order.size()));
    work_buffers::Keep(order);
    work_buffers::Keep(items);

    if (m_nSortDirection == 1)
        SetHeaderSortImage(m_nSortColumn, 1);
    else
    {
        if (oldSortColumn >= 0 && oldSortColumn != m_nSortColumn)
            SetHeaderSortImage(oldSortColumn, 2);
        SetHeaderSortImage(m_nSortColumn, 0);
    }
    m_nPrevSortColumn = m_nSortColumn;
    m_nSortedColumn = column;
    ShowSortArrow();
}

// ---- Menus and commands ---------------------------------------------------------------------------

void CCommonListCtrl::ShowContextMenu(CPoint screen)
{
    CMenu menu;
    menu.CreatePopupMenu();
    const bool allowed = ExportAllowed();
    if (allowed)
        menu.InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_LIST_WRITE_TO_EXCEL, "Write to Excel\tShift+E");
    menu.AppendMenu(MF_STRING | ((GetExtendedStyle() & LVS_EX_GRIDLINES) ? MF_CHECKED : MF_UNCHECKED),
                    ID_LIST_GRID_LINES, "Draw Grid Lines\tShift+G");
    if (!m_bExportEnabled)
        menu.EnableMenuItem(ID_LIST_WRITE_TO_EXCEL, MF_BYCOMMAND | MF_GRAYED);
    if (m_bAppearanceCustomizable)
        menu.AppendMenu(MF_STRING, ID_LIST_CUSTOMIZE, "Customize \t Ctrl+Shift+C");
    if (allowed)
        menu.AppendMenu(MF_STRING, ID_LIST_COPY, "Copy to Clip Board\tCtrl+C");
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
}

void CCommonListCtrl::ShowHeaderMenu(CPoint screen)
{
    CMenu menu;
    menu.CreatePopupMenu();
    AppendHeaderMenuItems(menu);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
}

void CCommonListCtrl::AppendHeaderMenuItems(CMenu& menu) const
{
    if (m_bColumnProfileEnabled)
    {
        menu.AppendMenu(MF_STRING, ID_LIST_REPOSITION_COLUMNS, "Reposition Columns");
        menu.AppendMenu(MF_STRING, ID_LIST_FIT_TO_DATA, "Fit to Data");
    }
    else
        menu.AppendMenu(MF_STRING, ID_LIST_FIT_TO_DATA, "Fit To Data");
    menu.AppendMenu(MF_STRING, ID_LIST_FIT_TO_HEADER, "Fit to Header");
    menu.AppendMenu(MF_STRING, ID_LIST_FIT_TO_WINDOW, "Fit to Window");
}

void CCommonListCtrl::OnContextMenu(CWnd* wnd, CPoint point)
{
    // From the keyboard (no point): the key already asked for the row menu (PreTranslateMessage);
    // the pointer may rest anywhere, on the header too, and opens nothing more.
    if (point.x == -1 && point.y == -1)
        return;
    CHeaderCtrl* header = GetHeaderCtrl();
    const CPoint cursor = point;
    if (header && header->IsWindowVisible())
    {
        CRect rect;
        header->GetWindowRect(&rect);
        if (rect.PtInRect(cursor))
        {
            ShowHeaderMenu(cursor);
            return;
        }
    }
    CListCtrl::OnContextMenu(wnd, point);
}

void CCommonListCtrl::OnRepositionColumns(BOOL secondMode)
{
    if (!m_pRepositionColumns)
        m_pRepositionColumns = std::make_unique<CRepositionColumns>(this);
    m_pRepositionColumns->Open(m_strListName, m_arrFixedColumns, secondMode);
}

void CCommonListCtrl::OnCustomizeAppearance()
{
    OpenCustomizedAppearance(this);
}

BOOL CCommonListCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case ID_LIST_FIT_TO_DATA:
    case ID_LIST_FIT_TO_HEADER:
    case ID_LIST_FIT_TO_WINDOW:
        m_bColumnsFollowView = FALSE; // the user chose how the columns are sized
        FitColumns(LOWORD(wParam));
        return TRUE;
    case ID_LIST_REPOSITION_COLUMNS:
        OnRepositionColumns(FALSE);
        return TRUE;
    case ID_LIST_REPOSITION_COLUMNS_SORT:
        OnRepositionColumns(TRUE);
        return TRUE;
    case ID_LIST_WRITE_TO_EXCEL:
        ExportToExcel();
        return TRUE;
    case ID_LIST_GRID_LINES:
        ToggleGridLines();
        return TRUE;
    case ID_LIST_CUSTOMIZE:
        OnCustomizeAppearance();
        return TRUE;
    case ID_LIST_COPY:
        CopyToClipboard();
        return TRUE;
    default:
        return CListCtrl::OnCommand(wParam, lParam);
    }
}

void CCommonListCtrl::SetColumnsFollowView(BOOL follow, UINT fit)
{
    m_bColumnsFollowView = follow;
    m_nFollowFit = fit;
    if (follow)
        FollowView();
}

void CCommonListCtrl::FollowView()
{
    if (m_nFollowFit == 0)
    {
        FitColumnsToView();
        return;
    }
    if (m_bFitting)
        return;
    m_bFitting = true;
    FitColumns(m_nFollowFit);
    m_bFitting = false;
}

void CCommonListCtrl::FitColumnsToView()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const int count = header ? header->GetItemCount() : 0;
    CRect client;
    GetClientRect(&client);
    if (count == 0 || client.Width() <= 0 || m_bFitting)
        return;
    // Measuring and sizing may bring a scroll bar and go, and the view's size with it: that is
    // this fit's own doing, not a change to follow.
    m_bFitting = true;
    std::vector<int> widths(static_cast<std::size_t>(count));
    int total = 0;
    for (int position = 0; position < count; ++position)
    {
        // The texts on view, then the title with room for a sort arrow (measured here: the list
        // view's own header measure gives the last column whatever the view has left).
        const int item = GetItemAtDisplayPosition(position);
        CListCtrl::SetColumnWidth(item, LVSCW_AUTOSIZE);
        char title[kCellTextLimit + 1] = {};
        HDITEM hdi{};
        hdi.mask = HDI_TEXT;
        hdi.pszText = title;
        hdi.cchTextMax = sizeof title;
        header->GetItem(item, &hdi);
        const int needed = std::max(
            {CListCtrl::GetColumnWidth(item), GetStringWidth(title) + kHeaderTitleRoom, kMinimumFitWidth});
        widths[static_cast<std::size_t>(position)] = needed;
        total += needed;
    }
    // What the view has beyond the texts goes to every column alike, the odd pixels to the last.
    const int spare = client.Width() - total;
    if (spare > 0)
    {
        for (int& width : widths)
            width += spare / count;
        widths.back() += spare % count;
    }
    for (int position = 0; position < count; ++position)
        CListCtrl::SetColumnWidth(GetItemAtDisplayPosition(position),
                                  widths[static_cast<std::size_t>(position)]);
    RefreshHeaderToolRects();
    m_bFitting = false;
}

void CCommonListCtrl::ToggleGridLines()
{
    SetExtendedStyle(GetExtendedStyle() ^ LVS_EX_GRIDLINES);
}

void CCommonListCtrl::FitColumns(UINT mode)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;
    SetRedraw(FALSE);
    const int count = header->GetItemCount();
    CRect client;
    GetClientRect(&client);
    for (int column = 0; column < count; ++column)
    {
        CListCtrl::SetColumnWidth(column, LVSCW_AUTOSIZE);
        const int dataWidth = CListCtrl::GetColumnWidth(column);
        CListCtrl::SetColumnWidth(column, LVSCW_AUTOSIZE_USEHEADER);
        const int bothWidth = CListCtrl::GetColumnWidth(column);
        int width = kMinimumFitWidth;
        switch (mode)
        {
        case ID_LIST_FIT_TO_DATA:
            if (dataWidth > kMinimumFitWidth)
                width = dataWidth;
            break;
        case ID_LIST_FIT_TO_HEADER:
            if (bothWidth > kMinimumFitWidth)
                width = bothWidth;
            break;
        case ID_LIST_FIT_TO_WINDOW:
            if (client.Width() > 0 && count > 0)
                width = client.Width() / count;
            break;
        default:
            if (std::max(dataWidth, bothWidth) > kMinimumFitWidth)
                width = std::max(dataWidth, bothWidth);
            break;
        }
        CListCtrl::SetColumnWidth(column, width);
    }
    RefreshHeaderToolRects();
    SetRedraw(TRUE);
    header->Invalidate();
    Invalidate();
}

// ---- Export and copy ------------------------------------------------------------------------------

namespace
{
int ExportCell(void* context, int row, int position, std::string& text, int& dataType)
{
    auto* list = static_cast<CCommonListCtrl*>(context);
    // The file's columns are the header's in the order the user sees them.
    const int column = list->GetItemAtDisplayPosition(position);
    if (row == 0)
    {
        char heading[kCellTextLimit + 1] = {};
        HDITEM hdi{};
        hdi.mask = HDI_TEXT;
        hdi.pszText = heading;
        hdi.cchTextMax = sizeof heading;
        if (CHeaderCtrl* header = list->GetHeaderCtrl())
            header->GetItem(column, &hdi);
        text = heading;
        for (const sKivoColInfo& info : list->m_arrColumns)
        {
            if (info.GetName() == text)
            {
                dataType = info.m_nDataType;
                break;
            }
        }
        return 1;
    }
    text = list->GetItemText(row - 1, column);
    dataType = -1;
    return 1;
}
} // namespace

void CCommonListCtrl::ExportToExcel()
{
    const int rows = CListCtrl::GetItemCount();
    if (rows == 0)
    {
        AfxMessageBox("No Items in the List");
        return;
    }
    CHeaderCtrl* header = GetHeaderCtrl();
    CExcelInterface exporter(rows + 1, header ? header->GetItemCount() : 0);
    exporter.SetListName(m_strListName);
    exporter.m_pfnCellProvider = &ExportCell;
    exporter.m_pContext = this;
    if (exporter.WriteToExcel())
    {
        AddToTabbedLog("Excel file written : " + exporter.GetFilePath(), 2);
        // The fixed text first, then where the file went, so that the checker can find it.
        AfxMessageBox("File is generated\n\n" + exporter.GetFilePath());
    }
    else
        AfxMessageBox("File generation Failed");
}

void CCommonListCtrl::CopyToClipboard()
{
    m_strClipboardText.clear();
    CHeaderCtrl* header = GetHeaderCtrl();
    const int columns = header ? header->GetItemCount() : 0;
    POSITION position = GetFirstSelectedItemPosition();
    while (position)
    {
        const int row = GetNextSelectedItem(position);
        for (int position = 0; position < columns; ++position)
        {
            m_strClipboardText += GetItemText(row, GetItemAtDisplayPosition(position));
            m_strClipboardText += '\t';
        }
        m_strClipboardText += "\r\n";
    }
    if (!::OpenClipboard(m_hWnd))
        return;
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, m_strClipboardText.size() + 1);
    char* target = memory ? static_cast<char*>(::GlobalLock(memory)) : nullptr;
    if (!target)
    {
        if (memory)
            ::GlobalFree(memory);
        ::CloseClipboard();
        return;
    }
    std::memcpy(target, m_strClipboardText.c_str(), m_strClipboardText.size() + 1);
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_TEXT, memory);
    ::CloseClipboard();
}

// ---- Messages ----------------------------------------------------------------------------------

void CCommonListCtrl::SendNotify(NMHDR& notify, UINT code)
{
    CWnd* target = NotifyTarget();
    if (!target)
        return;
    notify.hwndFrom = m_hWnd;
    notify.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    notify.code = code;
    target->SendMessage(WM_NOTIFY, notify.idFrom, reinterpret_cast<LPARAM>(&notify));
}

void CCommonListCtrl::RequestContextMenu()
{
    NMITEMACTIVATE notify{};
    notify.iItem = -1;
    m_bMenuFromKeyboard = true;
    SendNotify(notify.hdr, NM_RCLICK);
    m_bMenuFromKeyboard = false;
}

CPoint CCommonListCtrl::KeyboardMenuPoint() const
{
    // Below the left end of the focused row, else at the top of the rows.
    CRect place;
    const int focused = CListCtrl::GetNextItem(-1, LVNI_FOCUSED);
    if (focused < 0 || !CListCtrl::GetItemRect(focused, &place, LVIR_BOUNDS))
    {
        GetClientRect(&place);
        place.bottom = place.top;
    }
    CPoint point(place.left + 8, place.bottom);
    ClientToScreen(&point);
    return point;
}

BOOL CCommonListCtrl::PreTranslateMessage(MSG* msg)
{
    // The shortcuts are the list's own: a key typed into a window inside it (an in-place editor,
    // the filter row) stays that window's, so Ctrl+A selects the editor's text and Shift+G types G.
    if (msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd)
    {
        const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        switch (msg->wParam)
        {
        case 'A':
            if (ctrl)
            {
                for (int row = 0; row < CListCtrl::GetItemCount(); ++row)
                    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            }
            break;
        case 'C':
            if (ctrl && ExportAllowed())
                CopyToClipboard();
            if (ctrl && shift && m_bAppearanceCustomizable)
                OnCustomizeAppearance();
            break;
        case 'E':
            if (shift && !ctrl && ExportAllowed())
            {
                ExportToExcel();
                return TRUE;
            }
            break;
        case 'G':
            if (shift && !ctrl)
                ToggleGridLines();
            break;
        case VK_APPS:
            // The key is the row menu's: consumed here, so that no context-menu message follows it
            // and opens the menu of whatever the pointer happens to rest on as well.
            RequestContextMenu();
            return TRUE;
        default:
            break;
        }
    }
    // Shift+F10 is the menu key of keyboards without one; F10 alone stays the menu bar's.
    if (msg->message == WM_SYSKEYDOWN && msg->hwnd == m_hWnd && msg->wParam == VK_F10 &&
        (GetKeyState(VK_SHIFT) & 0x8000) && !(GetKeyState(VK_CONTROL) & 0x8000))
    {
        RequestContextMenu();
        return TRUE;
    }
    if (m_pHeaderToolTip && m_pHeaderToolTip->m_hWnd)
        m_pHeaderToolTip->RelayEvent(msg);
    return CListCtrl::PreTranslateMessage(msg);
}

BOOL CCommonListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY)
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == static_cast<UINT>(NM_RCLICK))
        {
            CPoint cursor;
            GetCursorPos(&cursor);
            ShowContextMenu(m_bMenuFromKeyboard ? KeyboardMenuPoint() : cursor);
            *result = 0;
            return TRUE;
        }
        if (header->code == static_cast<UINT>(LVN_COLUMNCLICK))
        {
            SortByHeaderClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            *result = 0;
            return TRUE;
        }
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CCommonListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    const UINT code = hdr->code;
    if (code == static_cast<UINT>(HDN_ITEMCHANGEDA) || code == static_cast<UINT>(HDN_ITEMCHANGEDW))
        RefreshHeaderToolRects();
    else if (code == static_cast<UINT>(HDN_BEGINTRACKA) || code == static_cast<UINT>(HDN_BEGINTRACKW) ||
             code == static_cast<UINT>(HDN_DIVIDERDBLCLICKA) ||
             code == static_cast<UINT>(HDN_DIVIDERDBLCLICKW))
        m_bColumnsFollowView = FALSE; // the user sizes the columns from now on
    else if (code == static_cast<UINT>(HDN_ENDDRAG))
    {
        const auto* notify = reinterpret_cast<const NMHEADER*>(lParam);
        PostMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(notify->iItem),
                    MAKELPARAM(CListCtrl::GetColumnWidth(notify->iItem), 0));
        PostMessage(WM_LIST_SYNC_POSITIONS);
    }
    else if ((code == static_cast<UINT>(TTN_NEEDTEXTA) || code == static_cast<UINT>(TTN_NEEDTEXTW)) &&
             m_pfnRowToolTip && (!m_pHeaderToolTip || hdr->hwndFrom != m_pHeaderToolTip->m_hWnd))
    {
        const int row = static_cast<int>(hdr->idFrom) - 1;
        std::string text;
        if (row >= 0 && row < CListCtrl::GetItemCount() && m_pfnRowToolTip(NotifyTarget(), row, text, this))
        {
            if (code == static_cast<UINT>(TTN_NEEDTEXTA))
            {
                m_strToolTipText = text;
                reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = m_strToolTipText.data();
            }
            else
            {
                m_wstrToolTipText.assign(text.begin(), text.end());
                reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = m_wstrToolTipText.data();
            }
        }
        *result = 0;
        return TRUE;
    }
    // The built-in list view needs its header's notifications too.
    return CListCtrl::OnNotify(wParam, lParam, result);
}

void CCommonListCtrl::DrawItem(LPDRAWITEMSTRUCT dis)
{
    // The parent draws the rows; a parent that only reflects it back ends here once.
    if (m_bForwardingDraw)
        return;
    m_bForwardingDraw = true;
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(GetDlgCtrlID()), reinterpret_cast<LPARAM>(dis));
    m_bForwardingDraw = false;
}

void CCommonListCtrl::MeasureItem(LPMEASUREITEMSTRUCT mis)
{
    CClientDC dc(this);
    CFont* font = GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    if (old)
        dc.SelectObject(old);
    mis->itemHeight = static_cast<UINT>(tm.tmHeight + tm.tmExternalLeading + 1);
}

BOOL CCommonListCtrl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == LVM_INSERTCOLUMN || message == LVM_DELETECOLUMN || message == LVM_SETCOLUMN)
    {
        // Forget the header's items before and after: the change may ask for them midway.
        m_arrColumnOfItem.clear();
        const BOOL handled = CListCtrl::OnWndMsg(message, wParam, lParam, result);
        m_arrColumnOfItem.clear();
        return handled;
    }
    if (message == WM_LIST_SYNC_POSITIONS)
    {
        SyncPositionsFromHeader();
        *result = 0;
        return TRUE;
    }
    if (message == WM_LIST_FIT_VIEW)
    {
        m_bFitPosted = false;
        if (m_bColumnsFollowView)
            FollowView();
        *result = 0;
        return TRUE;
    }
    if (m_bColumnsFollowView && !m_bFitPosted && !m_bFitting &&
        (message == WM_SIZE || message == LVM_SETITEMCOUNT || message == LVM_INSERTITEM ||
         message == LVM_DELETEITEM || message == LVM_DELETEALLITEMS || message == LVM_SETITEMTEXT))
    {
        m_bFitPosted = PostMessage(WM_LIST_FIT_VIEW) != FALSE;
    }
    return CListCtrl::OnWndMsg(message, wParam, lParam, result);
}

void CCommonListCtrl::OnDestroy()
{
    SaveColumnProfile();
    m_arrColumns.clear();
    m_mapPosition.clear();
    m_mapWidth.clear();
    while (CHeaderCtrl* header = GetHeaderCtrl())
    {
        if (header->GetItemCount() == 0 || !CListCtrl::DeleteColumn(0))
            break;
    }
    CListCtrl::OnDestroy();
}
