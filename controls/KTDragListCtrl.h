// A report list whose selected rows the user drags with the mouse: to another place in the same
// list or into another list of this class. The rows travel as one composite image; the row under
// the cursor is highlighted as the drop row, and the list scrolls a line every 100 ms while the
// cursor is held above or below its rows. Before a row leaves for another list the source's
// parent is asked whether it may go (WM_DRAGLIST_KEEP_ROW). The list can also show a tooltip
// over each column header and, when owner-drawn, draws its rows itself through a text callback.
#pragma once

#include "winlib/ImageList.h"
#include "winlib/ListCtrl.h"
#include "winlib/ToolTip.h"

#include <memory>
#include <string>
#include <vector>

// Sent to the source list's parent for each row about to leave for another list: wParam the row's
// column-0 text (const char*, at most 63 characters), lParam 0. Non-zero keeps the row.
constexpr UINT WM_DRAGLIST_KEEP_ROW = WM_USER + 108;

// Gives the text of a cell of a self-drawn row: (owner window, row, column, reserved 0, text).
using PFN_DRAGLIST_TEXT = void (*)(CWnd* owner, int row, int column, int reserved, std::string& text);

class CKTDragListCtrl : public CListCtrl
{
    DECLARE_DYNAMIC(CKTDragListCtrl)
public:
    static constexpr UINT_PTR kScrollTimer = 1;
    static constexpr UINT kScrollInterval = 100;    // ms between two scrolled lines
    static constexpr COLORREF kDragMask = 0x00FF00; // the drag image's transparent colour
    static constexpr COLORREF kDropFill = 0x969696; // a selected self-drawn row
    static constexpr int kKeepRowText = 63;         // characters of the text the parent is asked with
    static constexpr int kProbeInset = 8;           // where the drop row is looked for, from the left edge

    CKTDragListCtrl() = default;
    ~CKTDragListCtrl() override;

    // As the list view's, with a tooltip over the new column's header cell.
    int InsertColumn(int column, const LVCOLUMN* info);
    int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);

    void SetTextCallback(PFN_DRAGLIST_TEXT callback) { m_pfnTextCallback = callback; }
    // The window handed to the text callback; null: the parent.
    void SetCallbackOwner(CWnd* owner) { m_pCallbackOwner = owner; }
    void EnableHeaderToolTips(BOOL enable) { m_bHeaderToolTips = enable; }

    // A drag runs from the begin-drag notification to the mouse release.
    BOOL IsDragging() const { return m_pDragImage != nullptr; }
    int GetDropRow() const { return m_nDropRow; }
    int GetScrollDirection() const { return m_nScrollDirection; }
    CToolTipCtrl* GetHeaderToolTip() const { return m_pHeaderToolTip.get(); }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnTimer(UINT_PTR id) override;
    void OnCaptureChanged(CWnd* wnd) override;
    void OnDestroy() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar) override;

private:
    // Everything a moved row takes along.
    struct sDragRow
    {
        std::vector<std::string> texts; // one per column
        int image = 0;
        LPARAM param = 0;
        UINT state = 0; // selection and state-image (check mark) bits
    };

    // The client area below the header.
    CRect RowsArea() const;
    void BeginDrag(const NMLISTVIEW& info);
    BOOL MakeDragImage(CPoint cursor);
    // Ends the image drag and the scrolling, and gives back what the drag changed on this list.
    void FinishDrag();
    void Highlight(int row);
    void RestoreHighlight();
    void StartScrolling(int direction);
    void StopScrolling();
    // Takes the source's dragged rows into this list; 'screen' is where the mouse was released.
    void DropFrom(CKTDragListCtrl& source, CPoint screen);
    void MoveWithin(int insertAt);
    void TakeFrom(CKTDragListCtrl& source, CPoint client);

    int ColumnCount() const;
    sDragRow ReadRow(int row) const;
    void WriteRow(int row, const sDragRow& data);
    // Rewrites rows first, first + 1 ... with 'rows'; the list must hold them already.
    void WriteRows(int first, const std::vector<sDragRow>& rows);
    void ClearSelection();

    // Keeps the column's title ('heading', else its text as read back) for its header tooltip.
    void AddHeaderTip(int column, std::string heading);
    void RebuildHeaderTools();
    CRect HeaderToolRect(int column) const;

    std::vector<int> m_arrDraggedRows; // in selection order
    std::unique_ptr<CToolTipCtrl> m_pHeaderToolTip;
    std::vector<std::string> m_arrHeaderTips; // one per column
    int m_nDropRow = -1;
    std::unique_ptr<CImageList> m_pDragImage; // exists only while a drag runs
    int m_nHighlightedRow = -1;
    UINT m_uPrevState = 0;
    DWORD m_dwSavedStyle = 0;   // LVS_SINGLESEL, taken off for the drag
    int m_nScrollDirection = 0; // 0 none, 1 up, 2 down
    UINT_PTR m_nScrollTimer = 0;
    BOOL m_bHeaderToolTips = TRUE;
    CHeaderCtrl* m_pHeaderCtrl = nullptr;
    CWnd* m_pCallbackOwner = nullptr;
    PFN_DRAGLIST_TEXT m_pfnTextCallback = nullptr;
};
