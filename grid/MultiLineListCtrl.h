// A grid of sections: each section is a title line followed by its row lines, shown as a tree node
// that expands to every line or collapses to the title. The grid keeps only its entries and the map
// of displayed lines onto them; what a section says comes from the owner's data descriptor.
//
// In section mode the list view runs with one item per displayed line (the line map); every
// operation that takes a line resolves it to the entry that owns it and the line within the
// section. Outside section mode the grid is the plain common list.
#pragma once

#include "grid/CommonListCtrl.h"
#include "grid/FilterPattern.h"
#include "grid/FilterText.h"
#include "grid/MultiLineColInfo.h"
#include "winlib/Gdi.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Commands of the header menu.
constexpr UINT ID_MULTILINE_FIT_TO_DATA = 2129;
constexpr UINT ID_MULTILINE_FIT_TO_HEADER = 2130;
constexpr UINT ID_MULTILINE_FIT_TO_WINDOW = 2131;
constexpr UINT ID_MULTILINE_REPOSITION_COLUMNS = 2132;
constexpr UINT ID_MULTILINE_RESET_FILTERS = 33078;
constexpr UINT ID_MULTILINE_ADD_CUSTOM_COLUMNS = 33079;
constexpr UINT ID_MULTILINE_DELETE_CUSTOM_COLUMNS = 33080;

class CMultiLineListCtrl : public CCommonListCtrl, public CFilterTextTarget
{
    DECLARE_DYNAMIC(CMultiLineListCtrl)
public:
    CMultiLineListCtrl();
    ~CMultiLineListCtrl() override;

    // ---- Sections ----
    void EnableSectionMode(BOOL on);
    BOOL IsSectionMode() const { return m_bSectionMode; }
    void SetDataDescriptor(PFN_SECTION_DATA_DESCRIPTOR descriptor) { m_pfnDescriptor = descriptor; }
    PFN_SECTION_DATA_DESCRIPTOR GetDataDescriptor() const { return m_pfnDescriptor; }
    // Entries in section mode (the index for the next section), list items otherwise.
    int GetSectionCount() const;
    // Adds an entry (appended, or placed before entry 'index' when that is non-zero and inside
    // the list) and its title line; returns the index used, 0 when nothing could be inserted.
    int InsertSectionItem(int index, LPCSTR text);
    // Gives the entry at display line 'index' (0, or a line at or past the visible entry count:
    // the last line) its section and line count, then tests it against the filter in force.
    BOOL SetSectionData(int index, void* section, int lineCount);
    // The same for the entry with the given index, wherever its title is displayed: once
    // sections are open, entry and line numbers differ and only this form reaches a new entry.
    BOOL SetEntryData(int index, void* section, int lineCount);
    void ToggleSection(int line);
    // Toggles every section once, the first time only (see IsExpandAllDone).
    void ExpandAllSections();
    BOOL DeleteItem(int line);
    BOOL DeleteEntry(int index);
    // Frees every entry; the sections themselves stay the owner's.
    BOOL DeleteAllItems();

    // The entry owning a displayed line and the line's number within its section (0: title);
    // null beyond the line map.
    sMultiLineColInfo* ResolveLine(int line, int* lineInSection = nullptr) const;
    BOOL IsTitleLine(int line) const;
    BOOL IsSectionExpanded(int titleLine) const;
    int GetLineCount() const { return static_cast<int>(m_arrLineMap.size()); }
    int GetVisibleEntryCount() const { return m_nVisibleEntries; }
    int GetExtraLineCount() const { return m_nExtraLines; }
    BOOL IsExpandAllDone() const { return m_bExpandAllDone; }
    const std::vector<std::unique_ptr<sMultiLineColInfo>>& GetEntries() const { return m_arrEntries; }

    // ---- Lines as the common list's operations see them ----
    DWORD_PTR GetItemData(int line) const override;
    int GetItemText(int line, int column, LPSTR buffer, int length) const override;
    std::string GetItemText(int line, int column) const override;
    // The check mark of the line's section.
    BOOL GetCheck(int line) const;
    BOOL SetCheck(int line, BOOL check = TRUE);
    // One cell through the descriptor, 'column' being a column index; default colours where the
    // descriptor left them unset. False without a descriptor or a cell.
    BOOL GetCell(const sMultiLineColInfo& entry, int column, int line, std::string& text, COLORREF& textColor,
                 COLORREF& bkColor, int& image) const;

    // ---- Appearance ----
    void SetLinesPerRow(int lines);
    int GetLinesPerRow() const { return m_nLinesPerRow; }
    void SetRowHeight(int height) { m_nRowHeight = height; }
    int GetRowHeight() const { return m_nRowHeight; }
    void SetHighlightSelectedLine(BOOL on) { m_bHighlightSelectedLine = on; }
    COLORREF m_clrGlyph = RGB(180, 180, 180);

    // ---- Filtering and sorting ----
    // Reads the header's filter texts and rebuilds the line map from the entries that pass, all
    // collapsed.
    void ApplyFilter();
    // Writes a filter into the header item at a display position, without the header's change
    // notification; 'valueList' makes it a list of whole values separated by "~".
    void SetColumnFilter(int position, const std::string& text, BOOL valueList);
    // Clears every header filter; the owner hears of it and filters again.
    void ResetFilters();
    // The filter text of the header item at a display position.
    std::string GetColumnFilter(int position) const;
    BOOL IsFilterApplied() const { return m_bFilterApplied; }
    // The value picker's choice for a column: a list of values, or "--ALL-- " for none.
    void SetPickedFilter(int position, const std::string& text) override;
    // Opens the shared value picker of the multi-line lists for a column at a screen point.
    void ShowFilterPicker(int position, CPoint screen);
    // The header menu also offers "Add Custom Columns" and "Delete Custom Columns".
    BOOL m_bUserDefinedColumns = FALSE;
    // Sorts the sections by their title lines in the column a header item shows (a header click).
    void SortSections(int item);

protected:
    // A section passes when every filter column matches on one of its lines.
    bool PassesFilter(const sMultiLineColInfo& entry) const;
    // Tells the owner that the header's filters changed.
    void ForwardFilterChange(int item);
    void ShowSectionHeaderMenu(CPoint screen);
    // The column index of a display position, falling back to the position itself before the
    // columns were laid out.
    int ColumnOfPosition(int position) const;
    // The column a header item (a sub-item) shows: items keep their indexes when dragged.
    int ColumnOfItem(int item) const;
    // In section mode: the column the sections were sorted by, until they are all deleted.
    int SortedColumn() const override;
    std::string LineText(const sMultiLineColInfo& entry, int column, int line) const;
    BOOL LineText(const sMultiLineColInfo& entry, int column, int line, std::string& text) const;
    // A user-defined column: its cells are computed by the grid, not asked of the descriptor.
    bool IsUserColumn(int column) const;
    // Rebuilds the line map from the entries that pass, every section collapsed.
    void RebuildLineMap(bool filtered);
    void SyncItemCount();
    // Selection and focus follow the lines after 'at' when 'delta' lines come or go there.
    void ShiftLineStates(int at, int delta);
    void ResetSelectionMarkers();
    int ExpandAt(int titleLine);
    int CollapseAt(int titleLine);
    std::size_t TitleSlotOf(const sMultiLineColInfo* entry) const;
    // Stores the section in an entry whose title is at line-map slot 'title' and filters it.
    BOOL AttachSection(sMultiLineColInfo& entry, std::size_t title, void* section, int lineCount);

    void PreSubclassWindow() override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnContextMenu(CWnd* wnd, CPoint point) override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    void OnDestroy() override;

    // Handlers of the reflected list notifications; TRUE when handled.
    BOOL OnItemActivate(const NMITEMACTIVATE& activate);
    BOOL OnClick(const NMITEMACTIVATE& click);
    // Drawing of one line (MultiLineListPaint.cpp).
    void DrawLine(CDC& dc, const DRAWITEMSTRUCT& dis);
    int DrawGlyphs(CDC& dc, const CRect& cell, const sMultiLineColInfo& entry, int line, int displayLine);

    // One displayed line: its section's entry and the line's number within the section.
    struct sLineSlot
    {
        sMultiLineColInfo* m_pEntry;
        int m_nLine;
    };

    BOOL m_bSectionMode = FALSE;
    std::vector<std::unique_ptr<sMultiLineColInfo>> m_arrEntries;
    std::vector<sLineSlot> m_arrLineMap;
    int m_nVisibleEntries = 0;
    int m_nExtraLines = 0;
    PFN_SECTION_DATA_DESCRIPTOR m_pfnDescriptor = nullptr;
    int m_nLinesPerRow = 1;
    int m_nRowHeight = 0;
    BOOL m_bExpandAllDone = FALSE;
    BOOL m_bActivationGuard = FALSE;
    BOOL m_bToggling = FALSE;
    BOOL m_bHighlightSelectedLine = FALSE;
    int m_nSelectedLine = -1; // the selected line at the last drawing
    int m_nPrevSelectedLine = -1;

    // Filter state: the columns (indexes) whose header filter is not empty and their texts, each
    // made ready for matching; the columns whose filter came from the value picker, with the whole
    // list picked (the header keeps only its first kFilterTextLimit characters).
    std::vector<int> m_arrFilterColumns;
    std::vector<std::string> m_arrFilterTexts;
    std::vector<FilterPattern> m_arrFilterPatterns;
    std::map<int, std::string> m_mapValueLists;
    mutable std::string m_strFilterScratch; // one line's text while filtering
    mutable int m_nUserColumnDepth = 0;
    BOOL m_bFilterApplied = FALSE;
    BOOL m_bSuppressFilterNotify = FALSE;
    int m_nSortColumnIndex = -1;

    CPen m_penTree;
};
