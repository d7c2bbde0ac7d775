// The report list view ("SysListView32"): the behaviour class shared by its source files
// (ListViewControl.cpp: messages, notifications and items; ListViewState.cpp: states and
// selection; ListViewColumns.cpp: columns, sorting, styles and row height;
// ListViewInput.cpp: geometry, scrolling, mouse and keyboard; ListViewPaint.cpp: painting;
// ListViewCells.cpp: the rows' cells, kept apart from the rows).
//
// Every view style is shown as the report view. The column header is a real child window;
// column widths, texts and order live in it and the list reads them back from it.
#pragma once

#include "ControlMetrics.h"
#include "IndexRanges.h"
#include "ListViewCells.h"
#include "winlib/CommCtrl.h"

#include <cstdint>
#include <string>
#include <vector>

namespace winlib::detail
{

// Measures of the list shared by its source files.
inline constexpr int kListDispTextSize = 260; // what the list offers the parent for one cell's text
inline constexpr int kListRowMargin = 4;      // added to the font height for a row
inline constexpr int kListCheckBoxImage = 16; // the check box state image without a state image list
inline constexpr int kListTextInset = 4;      // between a cell's edge and its text
inline constexpr int kListHeaderTextMargin = 6;

struct ListRow
{
    LPARAM lParam = 0;
    UINT state = 0; // every state bit but LVIS_FOCUSED, which m_focus holds
    int indent = 0;
    std::uint32_t slot = 0; // its cells' place in the list's ListCells; cell 0 is its label
};

struct ListColumn
{
    int fmt = LVCFMT_LEFT;
    int subItem = 0;
    int image = I_IMAGENONE;
};

// Where the columns lie: display order, and per column its left edge in content
// coordinates (before horizontal scrolling) and its width.
struct ColumnLayout
{
    std::vector<int> order;
    std::vector<int> left;
    std::vector<int> width;
    int total = 0;

    int Count() const { return static_cast<int>(width.size()); }
    // The column under content coordinate x, or -1.
    int ColumnAt(int x) const;
};

// The parts of one row in client coordinates.
struct ItemParts
{
    CRect bounds; // every column
    CRect cell0;  // the cell of column 0
    CRect state;  // state image or check box
    CRect icon;   // small image
    CRect label;  // the rest of column 0
};

// What the parent answered to LVN_GETDISPINFO.
struct DispAnswer
{
    std::string text;
    int image = I_IMAGENONE;
    UINT state = 0;
    LPARAM lParam = 0;
    int indent = 0;
};

struct CellColors
{
    COLORREF text;
    COLORREF background; // CLR_NONE: leave the list's background
};

// What painting the rows needs at every row, worked out once per paint.
struct RowsPaint
{
    HDC hdc;
    CDC* dc;
    HFONT font;
    const ColumnLayout& columns;
    const CRect& paint;
    LRESULT overall; // the parent's answer to the paint's custom-draw stage
    UINT askState;   // the states the parent supplies
    bool focused;
    bool showSelection;
    bool fullRow;
    bool subItemImages;
};

// One row as it is painted: what the parent answered for it and how it is lit.
struct RowLook
{
    std::string label;
    int image = I_IMAGENONE;
    UINT state = 0;
    NMLVCUSTOMDRAW cd{};
    LRESULT answer = CDRF_DODEFAULT;
    HFONT font = nullptr;
    bool highlighted = false;
    CellColors selection{0, 0};
};

class ListViewBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // ---- ListViewControl.cpp ---------------------------------------------------------
    LRESULT Create(HWND hwnd, const CREATESTRUCT* cs);
    void Destroy();
    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
    static bool IsInputMessage(UINT message);
    LRESULT InputMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ViewMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT NotifyFormat(LPARAM lParam);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    void OnStyleChanged(const STYLESTRUCT& change);
    LRESULT OnSetRedraw(WPARAM wParam, LPARAM lParam);
    void FocusChanged(bool gained);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam) const;
    void RedrawItems(int first, int last);
    void SetColour(UINT message, COLORREF colour);
    HIMAGELIST ImageListOf(int type) const;
    LRESULT SetColumnOrder(WPARAM wParam, LPARAM lParam);

    DWORD Style() const { return StyleOf(m_hwnd); }
    bool OwnerDraw() const { return (Style() & LVS_OWNERDRAWFIXED) != 0; }
    int Count() const { return m_ownerData ? m_ownerCount : static_cast<int>(m_rows.size()); }
    bool ValidItem(int item) const { return item >= 0 && item < Count(); }

    // Notifications to the parent.
    LRESULT Notify(NMHDR& header, UINT code) const;
    LRESULT NotifyListView(UINT code, int item, int subItem = 0, UINT newState = 0, UINT oldState = 0,
                           UINT changed = 0, POINT action = POINT{0, 0}) const;
    LRESULT NotifyActivate(UINT code, int item, int subItem, POINT action, UINT keyFlags) const;
    DispAnswer AskDispInfo(int item, int subItem, UINT mask, UINT stateMask, char* buffer = nullptr,
                           int size = 0);
    LRESULT HeaderNotify(WPARAM wParam, NMHDR* header);

    // Items.
    int InsertItem(const LVITEMA* item);
    bool DeleteItem(int item);
    bool DeleteAllItems(bool destroying);
    bool GetItem(LVITEMA* item);
    bool SetItem(const LVITEMA* item);
    int GetItemText(int item, LVITEMA* out);
    bool SetItemText(int item, const LVITEMA* in);
    bool SetItemCount(int count, DWORD flags);
    int FindItem(int start, const LVFINDINFOA* find);
    // The text of a cell as shown: stored, or asked of the parent.
    std::string CellText(int item, int column);
    // The item's stored cell, null when it has none in that column (it reads as empty).
    const ListCell* StoredCell(int item, int column) const
    {
        return m_cells.Find(m_rows[static_cast<std::size_t>(item)].slot, static_cast<std::size_t>(column));
    }
    ListCell& CellToSet(int item, int column)
    {
        return m_cells.At(m_rows[static_cast<std::size_t>(item)].slot, static_cast<std::size_t>(column));
    }
    // Once most slots are free, the cells are laid again in item order and the rest given back.
    void CompactCells();
    LPARAM ItemParam(int item) const;

    // ---- ListViewState.cpp -----------------------------------------------------------
    UINT StoredState(int item) const;
    UINT StateOf(int item, UINT mask);
    bool IsSelected(int item) const;
    bool ChangeState(int item, UINT state, UINT mask);
    bool SetItemStateMessage(int item, const LVITEMA* in);
    void DeselectAll(int except);
    void SelectRange(int first, int last, bool clearOthers);
    void SelectOnly(int item) { SelectRange(item, item, true); }
    void SetFocusItem(int item) { ChangeState(item, LVIS_FOCUSED, LVIS_FOCUSED); }
    int SelectedCount() const;
    int NextItem(int start, UINT flags);
    bool MatchesState(int item, UINT flags);
    void ToggleCheck(int item);

    // ---- ListViewColumns.cpp ---------------------------------------------------------
    int InsertColumn(int index, const LVCOLUMNA* column);
    bool DeleteColumn(int index);
    bool GetColumn(int index, LVCOLUMNA* out) const;
    bool SetColumn(int index, const LVCOLUMNA* in);
    int ColumnWidth(int index) const;
    bool SetColumnWidth(int index, int width);
    int AutoWidth(int index, bool useHeader);
    ColumnLayout Columns() const;

    bool SortItems(LPARAM param, PFNLVCOMPARE compare, bool byIndex);
    int ColumnTexts(int subItem, const LVCOLUMNTEXTS* request);
    int AskedColumnTexts(int subItem, const LVCOLUMNTEXTS* request);
    // The text of a callback cell read whole, in 'buffer' grown until it fits; -1 when the list
    // changed its rows or went away while the parent answered.
    int AskedText(int item, int subItem, std::vector<char>& buffer);
    bool SetItemOrder(const UINT* order, int count);
    // Row i becomes the row that was order[i]; order is a permutation of the rows.
    void ApplyOrder(const UINT* order);
    DWORD SetExtendedStyle(DWORD mask, DWORD style);
    HIMAGELIST SetImageList(int type, HIMAGELIST images);
    void UpdateRowHeight();
    void MeasureOwnerDrawRows();
    int StateImageWidth() const;
    int SmallImageWidth() const;

    // ---- ListViewInput.cpp -----------------------------------------------------------
    void Layout();
    void PositionHeader();
    void UpdateScrollBars();
    int CountPerPage() const;
    CRect RowsArea() const;
    int RowTop(int item) const { return m_headerHeight + (item - m_top) * m_rowHeight; }
    void ScrollTo(int top);
    void ScrollXTo(int x);
    bool EnsureVisible(int item, bool partialOk);
    bool ScrollBy(int dx, int dy);
    void VScroll(UINT code, int messagePos);
    void HScroll(UINT code, int messagePos);
    void Wheel(int delta);

    ItemParts PartsOf(int item, const ColumnLayout& columns) const;
    CRect CellRect(int item, int column, const ColumnLayout& columns) const;
    int HitTest(LVHITTESTINFO* info, bool subItems) const;
    bool GetItemRect(int item, RECT* rect) const;
    bool GetSubItemRect(int item, RECT* rect) const;
    void InvalidateItem(int item);
    void InvalidateFrom(int item);
    void InvalidateRows();

    static UINT KeyFlags();
    // A press takes the focus first; false when the list did not survive that. Then 'row' is
    // hit-tested as the item and 'cell' with its sub-items.
    bool TakeFocusAndHitTest(LVHITTESTINFO& row, LVHITTESTINFO& cell);
    void ButtonDown(POINT pt, bool doubleClick);
    void MouseMove(POINT pt, WPARAM keys);
    void ButtonUp(POINT pt);
    void RightButtonDown(POINT pt);
    void RightButtonUp(POINT pt);
    void KeyDown(int key);
    void MoveFocus(int item);
    void SpaceKey();

    // ---- ListViewPaint.cpp -----------------------------------------------------------
    void Paint();
    // 'onlyItem' >= 0 paints that row alone, wherever it lies (a drag image).
    void PaintContent(HDC hdc, const CRect& paint, bool eraseBackground, int onlyItem = -1);
    // The row as it is painted now, on a masked image list of the row's size; 'upperLeft'
    // receives where the row lies in client coordinates.
    HIMAGELIST CreateDragImage(int item, POINT* upperLeft);
    void PaintOwnerDrawn(HDC hdc, int first, int last, const ColumnLayout& columns);
    void PaintRows(HDC hdc, int first, int last, const ColumnLayout& columns, const CRect& paint,
                   LRESULT overall);
    // False when the list went away while the parent answered.
    bool LookOfRow(const RowsPaint& rows, int item, const ItemParts& parts, RowLook& row);
    bool PaintCell(const RowsPaint& rows, const RowLook& row, const ItemParts& parts, int item, int column);
    void PaintLabelCell(const RowsPaint& rows, const RowLook& row, const ItemParts& parts,
                        const CRect& cellRect, bool lit, const CellColors& used) const;
    bool PaintSubItemCell(const RowsPaint& rows, int item, int column, const CRect& cellRect,
                          const CellColors& used, std::string& text, CRect& textArea);
    void DrawCellText(HDC hdc, int column, const std::string& text, CRect textArea, HFONT font,
                      COLORREF colour) const;
    void PaintGridLines(HDC hdc, const ColumnLayout& columns);
    LRESULT CustomDraw(HDC hdc, NMLVCUSTOMDRAW& cd) const;
    void EraseBackground(HDC hdc, const CRect& area) const;

    HWND m_hwnd = nullptr;
    HWND m_header = nullptr;
    bool m_ownerData = false;
    std::vector<ListRow> m_rows;
    std::vector<ListRow> m_spareRows; // empty; what a sort gathers the rows into next
    ListCells m_cells;
    std::vector<std::uint32_t> m_itemOfSlot; // work array of a column read, kept for the next
    // Counts every change that moves rows or cells, for readers that hand control to the parent.
    std::uint64_t m_rowsMoved = 0;
    std::vector<ListColumn> m_columns;
    int m_ownerCount = 0;
    IndexRanges m_ownerSelection;
    int m_focus = -1;
    int m_mark = -1;
    UINT m_callbackMask = 0;
    DWORD m_exStyle = 0;
    HIMAGELIST m_normalImages = nullptr;
    HIMAGELIST m_smallImages = nullptr;
    HIMAGELIST m_stateImages = nullptr;
    COLORREF m_bkColor = 0;
    COLORREF m_textColor = 0;
    COLORREF m_textBkColor = 0;

    int m_rowHeight = 17;
    int m_measuredHeight = 0; // owner draw: the parent's WM_MEASUREITEM answer
    int m_headerHeight = 0;
    int m_top = 0;
    int m_scrollX = 0;
    int m_wheelRemainder = 0;
    bool m_inScrollUpdate = false;
    bool m_scrollPending = false; // scroll bars to update once redrawing is on again
    UINT m_headerLayoutMessage = 0;

    // A mouse button held down in the list.
    enum class Press
    {
        None,
        Left,
        Right
    };
    Press m_press = Press::None;
    POINT m_downPoint{0, 0};
    int m_downItem = -1;  // the item hit, which a drag would carry
    int m_clickItem = -1; // the row under the press, which the click reports
    int m_downSubItem = 0;
    UINT m_downKeyFlags = 0;
    bool m_selectOnlyOnRelease = false; // a click on a selected item keeps the others for a drag
    bool m_dragging = false;
    bool m_afterDoubleClick = false;
};

} // namespace winlib::detail
