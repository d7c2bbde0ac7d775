// The grid the console puts on its windows: a common list with a data mode in which it stores no
// text at all. Each row is a record holding one of the owner's items; the owner's data descriptor
// supplies the cells, the list view runs as a virtual list, and a filter row in the header hides
// every row that does not match what is typed into it. The list draws its rows itself (solid or
// gradient backgrounds, the selection gradients, keyword colours, icons and check boxes), computes
// user-defined columns, and offers a value picker for each column's filter.
//
// Outside data mode it is the plain common list.
#pragma once

#include "controls/ColorHeaderCtrl.h"
#include "grid/CommonListCtrl.h"
#include "grid/FilterPattern.h"
#include "grid/FilterRows.h"
#include "grid/FilterText.h"
#include "grid/HeaderFilterText.h"

#include <string>
#include <vector>

class CFilterListCtrl;

// The owner's cell: text, text and background colour (-1 or -2: the list's own) and an image of
// the list's small image list (-1: none). Non-zero when the cell was produced.
using PFN_FILTER_DATA_DESCRIPTOR = BOOL (*)(DWORD_PTR item, int column, std::string& text,
                                            COLORREF& textColor, COLORREF& bkColor, int& image);
// The same, given the list's owner (or its parent when it has none).
using PFN_FILTER_OWNER_DATA_DESCRIPTOR = BOOL (*)(CWnd* owner, DWORD_PTR item, int column, std::string& text,
                                                  COLORREF& textColor, COLORREF& bkColor, int& image);

// Commands of the filter list's header menu.
enum FilterListCommand : UINT
{
    ID_FILTER_MATCH_EXACTLY = 4000,
    ID_FILTER_RESET = 33078,
    ID_FILTER_ADD_USER_COLUMN = 33079,
    ID_FILTER_DELETE_USER_COLUMN = 33080
};

// Sent to the owner (a WM_NOTIFY with an NMHDR) when the number of new rows the user has not seen
// yet changes (GetUnseenNewRows).
constexpr UINT FLN_UNSEENROWSCHANGED = 0x4B01;

// Colours of a selected row: a gradient while the list has the focus, a grey one otherwise.
constexpr COLORREF kSelectionFocusFrom = 0xE17B52;
constexpr COLORREF kSelectionFocusTo = 0xFFA63C;
constexpr COLORREF kSelectionNoFocusFrom = 0x7E7E7E;
constexpr COLORREF kSelectionNoFocusTo = 0x000000;

class CFilterListCtrl : public CCommonListCtrl, public CHeaderFilterState, public CFilterTextTarget
{
    DECLARE_DYNAMIC(CFilterListCtrl)
public:
    CFilterListCtrl();
    ~CFilterListCtrl() override;

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) override;
    BOOL CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) override;

    // ---- Data mode ----
    // Switches data mode and the filter row together; data mode starts with the row hidden.
    void EnableFilter(BOOL on);
    // Shows or hides the filter row without leaving data mode (Ctrl+F).
    void ToggleFilterBar();
    void SetDataDescriptor(PFN_FILTER_DATA_DESCRIPTOR descriptor);
    void SetDataDescriptor(PFN_FILTER_OWNER_DATA_DESCRIPTOR descriptor);
    // The last record inserted shows on top.
    void SetNewestFirst(BOOL newestFirst);
    BOOL IsDataMode() const { return m_bDataMode; }

    // ---- Rows (in data mode on the records; otherwise the list view's) ----
    using CListCtrl::InsertItem;
    // Adds a record and returns its store index (0 without a descriptor). Row 0, or a row past the
    // store, appends; a row inside the store inserts there.
    int InsertItem(int row, LPCSTR text);
    // Stores the owner's item in the record behind display row 'row' (row 0, or a row outside the
    // visible rows: the last visible record) and filters it at once.
    BOOL SetItemData(int row, DWORD_PTR item);
    BOOL DeleteItem(int row);
    // Deletes a record by its store index.
    BOOL DeleteDataItem(int index);
    // Adds a record with its item at a store index (the store's end when 'index' lies past it),
    // filters it and shows it where it belongs among the visible rows; the user's place is kept.
    // Inside the store this costs a sweep of it, as InsertItem there does. Returns the index.
    int InsertDataItem(int index, DWORD_PTR item);
    BOOL DeleteAllItems();
    // Filters one record again after its data changed: 1 it became visible, -1 it was hidden,
    // 0 it stayed as it was.
    int RefreshDataItem(int index);
    int GetItemCount() const;
    int GetItemText(int row, int column, LPSTR buffer, int length) const override;
    std::string GetItemText(int row, int column) const override;
    DWORD_PTR GetItemData(int row) const override;
    BOOL GetCheck(int row) const;
    BOOL SetCheck(int row, BOOL check = TRUE);
    // The number of records in the store.
    int GetStoreCount() const { return static_cast<int>(m_rows.StoreCount()); }
    // The store index of the record behind a display row, -1 when none.
    int GetStoreIndex(int row) const;

    // ---- The user's place ----
    // While the user works in the list (it is scrolled, a row is selected, it has the focus or the
    // pointer is over it) the rows he sees stay where they are: a row coming or going above them
    // moves the view with it, and the focus and the selection mark stay on their records. A new
    // row on top goes above the rows on screen, or, when the list is too short to scroll them
    // out of the way, is held back (in the store, not shown) until there is room or he asks.
    // Off unless the owner asks for it.
    void SetKeepPlace(BOOL keep) { m_bKeepPlace = keep ? TRUE : FALSE; }
    BOOL m_bKeepPlace = FALSE;
    // New rows above the view or held back, which the user has not seen yet.
    int GetUnseenNewRows() const { return m_nNewRowsAbove + m_nHeldRows; }
    int GetHeldRows() const { return m_nHeldRows; }
    // Shows the held rows and the newest rows: the list goes to its top.
    void ShowNewRows();

    // ---- Filtering ----
    // Rebuilds the visible rows from the records that match every column's filter.
    void ApplyFilter();
    // Sets a column's filter text (by column index); an empty text removes it.
    void SetColumnFilter(int column, const std::string& text);
    // Writes a filter text into the header's filter field at a display position.
    void SetFilterText(int position, const std::string& text);
    void ResetFilters();
    // The filter's matching rule for one cell, with this list's "Match Filter Exactly".
    BOOL MatchFilter(const std::string& cell, const std::string& filter) const;
    static BOOL MatchFilter(const std::string& cell, const std::string& filter, BOOL exact);

    // The value picker writes the picked values here.
    void SetPickedFilter(int position, const std::string& text) override;

    // CHeaderFilterState: what the colour header asks.
    std::vector<int> GetFilteredColumns() const override { return m_arrFilterColumns; }
    int GetColumnAtPosition(int position) const override
    {
        return CCommonListCtrl::GetColumnAtPosition(position);
    }
    BOOL IsFilterOn() const override { return m_bFilterBarShown; }

    // A cell of a record: through the descriptor, or computed for a user-defined column.
    BOOL GetCell(DWORD_PTR item, int column, std::string& text, COLORREF& textColor, COLORREF& bkColor,
                 int& image) const;
    BOOL GetCellText(DWORD_PTR item, int column, std::string& text) const;
    // The cell of a user-defined column: its expression over the row's other cells.
    BOOL ComputeUserColumn(DWORD_PTR item, int column, std::string& text) const;

    // Appends a user-defined column and shows it after the last shown column.
    void AddUserColumn(const sKivoColInfo& column);
    // Removes a column description and its header column; the indexes after it move down by one
    // everywhere they are kept (positions, widths, expressions, filters, the keyword column).
    void RemoveUserColumn(int column);

    // The default row colour: the first keyword found in the keyword column's cell.
    static void KeywordRowColor(CCommonListCtrl* list, DWORD_PTR item, COLORREF& textColor, int row, UINT id);

    // For tests and measurements.
    const FilterRows& Rows() const { return m_rows; }
    // An owner that finds its items' records by their store slots learns when they change.
    void SetSlotsRenumbered(FilterRows::SlotsRenumbered hook, void* context)
    {
        m_rows.SetSlotsRenumbered(hook, context);
    }
    CColorHeaderCtrl& ColorHeader() { return m_header; }

    // ---- State ----
    BOOL m_bDataMode = FALSE;
    BOOL m_bFilterBarShown = FALSE;
    BOOL m_bAutoFilter = TRUE;
    BYTE m_bNewestFirst = FALSE;
    BYTE m_bGradientRows = FALSE;
    BYTE m_bMatchExactly = FALSE;
    std::vector<int> m_arrFilterColumns;       // column indices with a filter
    std::vector<std::string> m_arrFilterTexts; // their texts, in step
    int m_nSortColumnIndex = -1;
    int m_nLinesPerRow = 1;
    PFN_FILTER_DATA_DESCRIPTOR m_pfnDataDescriptor = nullptr;
    PFN_FILTER_OWNER_DATA_DESCRIPTOR m_pfnOwnerDataDescriptor = nullptr;

protected:
    // The user-defined-column dialog (33079 add, 33080 delete).
    virtual void OnUserDefinedColumns(BOOL addMode);

    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    void OnDestroy() override;
    void SortByHeaderClick(int item) override;
    void ShowHeaderMenu(CPoint screen) override;

private:
    // Where the user is: the top row, the focused row, the selection mark, and whether he works
    // in the list.
    struct sViewPlace
    {
        int top = 0;
        int focus = -1;
        int mark = -1;
        bool working = false;
    };
    sViewPlace CapturePlace() const;
    void RestorePlace(const sViewPlace& place);
    bool UserWorksInList() const;
    // A record just made visible at 'row' (the rows from there down moved down by one), or one
    // that went from 'row': the place is kept on its records.
    void KeepPlaceAfterShown(sViewPlace place, int row, std::uint32_t slot);
    void KeepPlaceAfterHidden(sViewPlace place, int row);
    // Shows a held record where it belongs; the row it shows on, -1 when the filter hides it.
    int ShowHeld(std::uint32_t slot);
    // Shows every held record, moving the focus and the mark of 'place' with the rows; how many
    // show.
    int ShowHeldRows(sViewPlace& place);
    // Where a record becomes visible: before the first visible record later in the store.
    std::uint32_t VisiblePositionFor(std::uint32_t slot) const;
    // Fewer unseen rows once the user has seen the top; the owner hears of each change.
    void UpdateUnseenRows();
    void SetNewRowsAbove(int count);

    bool HasDescriptor() const { return m_pfnDataDescriptor || m_pfnOwnerDataDescriptor; }
    // Display row -> place in the visible index, and back (newest-first turns it round).
    std::uint32_t PositionOfRow(int row) const;
    int RowOfPosition(std::uint32_t position) const;
    // The record slot behind a display row, kNone when none.
    std::uint32_t SlotOfRow(int row) const;
    // Whether a record passes every column's filter (a record without an item never does).
    bool Passes(std::uint32_t slot) const;
    // 'target' is the window an owner-data descriptor is given, looked up once per filtering.
    bool PassesItem(DWORD_PTR item, const std::vector<FilterPattern>& patterns, CWnd* target) const;
    // GetCell with the owner-data descriptor's window at hand (nullptr: look it up).
    BOOL ReadCell(CWnd* target, DWORD_PTR item, int column, std::string& text, COLORREF& textColor,
                  COLORREF& bkColor, int& image) const;
    void SetViewCount(DWORD flags);
    // Deletes the record shown on a display row (its slot already known).
    BOOL DeleteShownRecord(int row, std::uint32_t slot);
    void FreeRecords();
    void SubclassHeader();
    void ForwardHeaderNotify(const NMHDR* hdr, const void* data, std::size_t size);
    void OnFilterChange(int item);
    void OnFilterButton(int item);
    bool TabInFilterRow(bool backwards);
    void ToggleFocusedCheck();
    void ToggleMatchExactly();
    // Selection kept on the records when the owner makes it a callback state.
    bool SelectionInRecords() const;
    void SelectOnlyRow(int row);
    void ClearRecordSelection();
    void DrawRow(LPDRAWITEMSTRUCT dis);
    void FillRowBackground(CDC& dc, const CRect& rect, COLORREF from, COLORREF to, bool gradient) const;
    std::string HeaderFilterText(int item) const;
    const std::vector<FilterPattern>& Patterns() const;

    FilterRows m_rows;
    CColorHeaderCtrl m_header;
    std::size_t m_nSelectedRecords = 0; // records with the selection kept on them
    mutable int m_nUserColumnDepth = 0;
    mutable std::vector<FilterPattern> m_patterns; // the filter texts compiled, see Patterns()
    mutable std::vector<std::string> m_patternTexts;
    mutable bool m_bPatternsExact = false;
    mutable std::string m_strCellScratch;
    mutable bool m_bUserColumnErrorShown = false;
    // A click's notice can reach the list more than once (a bar forwards what it leaves to its
    // frame, which reflects it again): the check box toggles once per button release.
    unsigned m_nClickSerial = 0;
    unsigned m_nToggledSerial = 0;
    // The same for Space, per key press.
    unsigned m_nKeySerial = 0;
    unsigned m_nSpaceSerial = 0;
    // The record InsertItem just added, for SetItemData to fill, and the place before it came.
    std::uint32_t m_nInsertedSlot = FilterRows::kNone;
    sViewPlace m_insertPlace;
    int m_nNewRowsAbove = 0; // new rows above the view
    int m_nHeldRows = 0;     // records held back
    int m_nUnseenNotified = 0;
    bool m_bKeepingPlace = false; // the focus moves with its record, not with the user
};
