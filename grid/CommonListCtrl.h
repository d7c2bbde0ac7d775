// The base of every grid: a report list view that knows its columns by description, so that
// the user can hide, reorder, resize and add computed columns and find them again at the next
// start; with sorting by a header click, a context menu and a header menu, keyboard shortcuts,
// header and row tooltips, a per-list appearance, spreadsheet export and copying.
#pragma once

#include "grid/KivoColInfo.h"
#include "grid/ListAppearance.h"
#include "winlib/ListCtrl.h"
#include "winlib/ToolTip.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CCommonListCtrl;
class CMenu;
class CRepositionColumns;

// Fills 'text' with the tooltip of a row; non-zero when it did.
using PFN_ROW_TOOLTIP = BOOL (*)(CWnd* owner, int row, std::string& text, CCommonListCtrl* list);

// Sets 'textColor' for the row showing 'item' (display row 'row' of the list with control id 'id')
// when it has a colour of its own; leaves it unchanged otherwise.
using PFN_ROW_COLOR = void (*)(CCommonListCtrl* list, DWORD_PTR item, COLORREF& textColor, int row, UINT id);

// Commands of the lists' menus and shortcuts.
enum CommonListCommand : UINT
{
    ID_LIST_FIT_TO_DATA = 4001,
    ID_LIST_FIT_TO_HEADER = 4002,
    ID_LIST_FIT_TO_WINDOW = 4003,
    ID_LIST_REPOSITION_COLUMNS = 4004,
    ID_LIST_REPOSITION_COLUMNS_SORT = 4005,
    ID_LIST_WRITE_TO_EXCEL = 4006,
    ID_LIST_GRID_LINES = 4008,
    ID_LIST_CUSTOMIZE = 4009,
    ID_LIST_COPY = 4010
};

// Sent to the window hosting a list after the list re-applied its column layout.
constexpr UINT WM_LIST_LAYOUT_CHANGED = WM_USER + 123;

// The role that, when the user holds it, withholds export and copying.
constexpr int kNoExportRole = 64169;

class CCommonListCtrl : public CListCtrl
{
    DECLARE_DYNAMIC(CCommonListCtrl)
public:
    CCommonListCtrl();
    ~CCommonListCtrl() override;

    // ---- Virtual operations every grid may refine ----
    virtual int GetItemText(int row, int column, LPSTR buffer, int length) const;
    virtual std::string GetItemText(int row, int column) const;
    // While a sort runs, the item data saved for the row.
    virtual DWORD_PTR GetItemData(int row) const;
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    virtual BOOL CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Lays the header out from the column descriptions and the stored profile.
    void InitColumns();
    // Writes the current layout to the settings file; FALSE (after a message) on failure.
    BOOL SaveColumnProfile();
    // A font like the list's current one with this face and point size.
    void ApplyListFont(const std::string& face, const std::string& size);
    // Column operations that keep the header tooltips in step.
    int InsertColumnWithTip(int position, const sKivoColInfo& column, int width);
    BOOL DeleteColumnWithTip(int position);
    // Around many column operations: the header tools are rebuilt once, at the end.
    void BeginHeaderChange() { ++m_nHeaderChanges; }
    void EndHeaderChange();

    void FitColumns(UINT mode);
    void ToggleGridLines();
    void ExportToExcel();
    void CopyToClipboard();
    // Tells the hosting dialog or dialog bar that the layout was applied again.
    void NotifyLayoutChanged();

    // Whether the host's role check lets the user export and copy.
    static bool ExportAllowed();

    // The column index shown at a display position (-1 when none).
    int GetColumnAtPosition(int position) const;
    int GetPositionOfColumn(int column) const;
    // The column index of a header item (a sub-item of the list view), found by its name, -1 when
    // none. Header items keep their indexes when the user drags them into another order, so this
    // is what a header click, a sub-item or a header notification names; positions are not.
    int GetColumnOfItem(int item) const;
    // The header item that shows a column, -1 when it is hidden.
    int GetItemOfColumn(int column) const;
    // The header item the user sees at a display position (copy and export go in that order).
    int GetItemAtDisplayPosition(int position) const;
    // Until the user sizes a column himself (or chooses a fit), the columns follow the view: each
    // as wide as its header and the texts on view need, and the width the view has beyond that
    // shared out (or, with a fit command such as ID_LIST_FIT_TO_WINDOW, fitted so), again whenever
    // the view's size or its rows change. The owner turns it on.
    void SetColumnsFollowView(BOOL follow, UINT fit = 0);
    BOOL ColumnsFollowView() const { return m_bColumnsFollowView; }
    void FitColumnsToView();
    // Whether InitColumns found widths the user left in a stored layout.
    BOOL HasStoredWidths() const { return m_bStoredWidths; }
    // One arrow on the header, on the item of the column that orders the rows, and none while the
    // rows are in the order they came; run after every sort and whenever the header is built again.
    void ShowSortArrow();

    // For tests: the hit test the tooltip machinery uses, and the header's tooltip control.
    INT_PTR OnToolHitTestForTest(CPoint point, TOOLINFOA* info) const { return OnToolHitTest(point, info); }
    CToolTipCtrl* HeaderToolTipForTest() const { return m_pHeaderToolTip.get(); }
    // The column profile dialog, once a command opened it.
    CRepositionColumns* RepositionColumnsDialog() const { return m_pRepositionColumns.get(); }

    // ---- State ----
    std::string m_strListName;
    std::vector<sKivoColInfo> m_arrColumns;
    int m_nBaseColumnCount = 0;
    std::map<int, int> m_mapPosition;        // column index -> display position, -1 hidden
    std::map<int, int> m_mapWidth;           // column index -> width
    std::map<int, int> m_mapIndexAtPosition; // display position -> column index (layout only)
    std::vector<std::string> m_arrFixedColumns;

    int m_nSortColumn = 0; // a display position
    int m_nPrevSortColumn = -1;
    int m_nSortDirection = 1;
    int m_nSortDataType = 0;
    int m_nFirstColumn = 0;

    BOOL m_bExportEnabled = TRUE;
    BOOL m_bColumnProfileEnabled = TRUE;
    BOOL m_bAppearanceColors = TRUE;
    BOOL m_bAppearanceCustomizable = TRUE;
    BOOL m_bHeaderToolTips = TRUE;

    sListAppearance m_appearance;
    BOOL m_bStoredAppearanceLoaded = FALSE;
    PFN_ROW_TOOLTIP m_pfnRowToolTip = nullptr;
    PFN_ROW_COLOR m_pfnRowColor = nullptr; // the filter list installs keyword colouring here
    std::string m_strClipboardText;

protected:
    // The column-profile dialog (4004 and its second mode 4005) and the appearance dialog (4009).
    virtual void OnRepositionColumns(BOOL secondMode);
    virtual void OnCustomizeAppearance();

    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOA* info) const override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnDestroy() override;
    void OnContextMenu(CWnd* wnd, CPoint point) override;

    // Sorting by a click on the header item at 'position'.
    virtual void SortByHeaderClick(int position);
    // The column index the rows are sorted by, -1 while they are in the order they came.
    virtual int SortedColumn() const { return m_nSortedColumn; }
    int m_nSortedColumn = -1;
    void SetHeaderSortImage(int position, int image);
    // The list view's compare step of a sort: rows by their places in the order already made.

    void ShowContextMenu(CPoint screen);
    // Who hears of the list's notifications: its owner, or its parent when it has none.
    CWnd* NotifyTarget() const { return GetOwner() ? GetOwner() : GetParent(); }
    // Sends 'notify' (any NMHDR-headed notice) to NotifyTarget() as this list's, with 'code'.
    void SendNotify(NMHDR& notify, UINT code);
    // The menu key and Shift+F10: the owner is told of a right-click, as the mouse would.
    void RequestContextMenu();
    // Where a menu asked for from the keyboard opens: at the focused row, not at the pointer.
    CPoint KeyboardMenuPoint() const;
    bool m_bMenuFromKeyboard = false;
    BOOL m_bColumnsFollowView = FALSE;
    BOOL m_bStoredWidths = FALSE;
    bool m_bFitPosted = false;
    bool m_bFitting = false;
    UINT m_nFollowFit = 0;
    void FollowView();
    virtual void ShowHeaderMenu(CPoint screen);
    // The header menu's entries of every list: the column profile and the fit modes.
    void AppendHeaderMenuItems(CMenu& menu) const;
    void RefreshHeaderToolRects();
    void RebuildHeaderTools();
    void Initialise();
    void LoadAppearance();
    // Header positions as the user left them after dragging header items.
    void SyncPositionsFromHeader();

    std::unique_ptr<CToolTipCtrl> m_pHeaderToolTip;
    std::unique_ptr<CFont> m_pListFont;
    std::unique_ptr<CRepositionColumns> m_pRepositionColumns;
    std::string m_strToolTipText;
    std::wstring m_wstrToolTipText;
    mutable std::vector<int> m_arrColumnOfItem; // header item -> column index; empty when stale
    mutable std::size_t m_nColumnOfItemDescriptions = 0;
    int m_nHeaderChanges = 0;
    bool m_bInitialised = false;
    bool m_bForwardingDraw = false;
};
