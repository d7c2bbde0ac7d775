// The holder frame's splitter: thin flat bars, bars that can be locked, a double-click on a bar
// that collapses the pane above (or left of) it or brings back a closed pane beside it, and its
// own layout pass.
#pragma once

#include "winlib/Splitter.h"

class CFlatSplitterWnd : public CSplitterWnd
{
    DECLARE_DYNAMIC(CFlatSplitterWnd)
public:
    CFlatSplitterWnd();

    void RecalcLayout() override;

    // Locked bars do not move; the last row then keeps a band of 36 pixels.
    void SetBarsMovable(BOOL movable) { m_bBarsMovable = movable; }
    BOOL GetBarsMovable() const { return m_bBarsMovable; }

    // The size a row or column is laid out from (its ideal size).
    int GetRowIdeal(int row) const;
    int GetColumnIdeal(int col) const;

    // Height of a pane brought back by a double-click, and the band a locked splitter leaves the
    // last row.
    static constexpr int kRestoredSize = 120;
    static constexpr int kLockedLastRow = 36;

    // Lays n rows (or columns) over 'size' with 'gap' between them, as the layout pass does.
    static void LayoutFlat(std::vector<CRowColInfo>& info, int size, int gap);

    // Panes along the split (rows when stacked, columns side by side): whether one has room, and
    // bringing a closed one back at kRestoredSize (the last one takes it from the one before).
    bool IsPaneOpen(int index) const;
    void OpenPane(int index);

protected:
    void OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;

    BOOL m_bBarsMovable = TRUE;

private:
    static void OpenPane(std::vector<CRowColInfo>& info, std::size_t index);
};
