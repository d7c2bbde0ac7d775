// The class library's splitter window, static kind: a fixed grid of rows and columns of
// panes (views created from a run-time class), each row and column with a current, an ideal
// and a minimum size, and splitter bars between them that the user drags (a tracker follows
// the mouse; the sizes change on release, Escape cancels). Subclasses refine the drawing of
// bars and borders, the hit-testing and the layout pass through the virtuals below.
#pragma once

#include "winlib/Frame.h"

#include <vector>

class CSplitterWnd : public CWnd
{
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    // rows x columns panes (1 to 16 each); the panes are made afterwards with CreateView.
    virtual BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                              UINT id = AFX_IDW_PANE_FIRST);
    // Creates the pane at (row, col) from a view class; its initial size becomes the ideal
    // height of the row and the ideal width of the column.
    virtual BOOL CreateView(int row, int col, CRuntimeClass* viewClass, SIZE sizeInit,
                            CCreateContext* context);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    // The ideal height; a row whose ideal is below its minimum is hidden (laid out at 0).
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin);

    CWnd* GetPane(int row, int col) const;
    // The child window identifier of a pane: the first-pane id + 16 per row + the column.
    int IdFromRowCol(int row, int col) const;
    BOOL IsChildPane(CWnd* wnd, int* row, int* col) const;

    // Sizes every pane from the row and column sizes and repaints the bars.
    virtual void RecalcLayout();
    BOOL IsTracking() const { return m_bTracking; }

    // The parts of the splitter that OnDrawSplitter paints.
    enum ESplitType
    {
        splitBox,
        splitBar,
        splitIntersection,
        splitBorder
    };
    // Hit-test values: a bar between rows (vSplitterBar1 + row index), between columns, or the
    // crossing of two bars.
    enum HitTestValue
    {
        noHit = 0,
        vSplitterBox = 1,
        hSplitterBox = 2,
        bothSplitterBox = 3,
        vSplitterBar1 = 101,
        vSplitterBar15 = 115,
        hSplitterBar1 = 201,
        hSplitterBar15 = 215,
        splitterIntersection1 = 301,
        splitterIntersection225 = 525
    };

    struct CRowColInfo
    {
        int nMinSize = 0;
        int nIdealSize = 0;
        int nCurSize = 0;
    };

protected:
    // Draws one part; with no device context it only invalidates the rectangle.
    virtual void OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect);
    // Inverts the tracker rectangle (client coordinates) while a bar is dragged.
    virtual void OnInvertTracker(const CRect& rect);
    virtual int HitTest(CPoint pt) const;
    virtual void GetHitRect(int ht, CRect& rect);
    // The client area less the border, where rows and columns are laid out.
    virtual void GetInsideRect(CRect& rect) const;
    virtual void StartTracking(int ht);
    virtual void StopTracking(BOOL accept);
    // The row (column) being dragged ends at y (x): its ideal size follows.
    virtual void TrackRowSize(int y, int row);
    virtual void TrackColumnSize(int x, int col);

    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;
    void OnCaptureChanged(CWnd* wnd) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    // Commands and notifications of the panes go on to the splitter's parent (the frame).
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Lays n rows (or columns) out over 'size' with 'gap' between them: every one but the last
    // gets its ideal size while it fits (nothing when the ideal is below the minimum), the last
    // the rest.
    static void LayoutRowCol(std::vector<CRowColInfo>& info, int size, int gap);
    // Moves every pane to the current sizes, inside 'inside', in one batch.
    void PlacePanes(const CRect& inside);
    // Where each row (column) starts, inside the inside rectangle.
    int RowTop(int row) const;
    int ColumnLeft(int col) const;

    int m_nRows = 0;
    int m_nCols = 0;
    int m_nMaxRows = 0;
    int m_nMaxCols = 0;
    std::vector<CRowColInfo> m_pRowInfo;
    std::vector<CRowColInfo> m_pColInfo;

    // Metrics: bar thickness, the space between panes, the border shared with the panes and
    // the border drawn around each pane.
    int m_cxSplitter = 7;
    int m_cySplitter = 7;
    int m_cxSplitterGap = 7;
    int m_cySplitterGap = 7;
    int m_cxBorderShare = 0;
    int m_cyBorderShare = 0;
    int m_cxBorder = 2;
    int m_cyBorder = 2;
    BOOL m_bHasHScroll = FALSE;
    BOOL m_bHasVScroll = FALSE;

    // Tracking state.
    BOOL m_bTracking = FALSE;
    BOOL m_bTracking2 = FALSE; // an intersection: both directions
    int m_htTrack = noHit;
    CPoint m_ptTrackOffset;
    CRect m_rectLimit;
    CRect m_rectTracker;
    CRect m_rectTracker2;
    HWND m_hWndPrevFocus = nullptr; // given the focus back when the drag ends
};
