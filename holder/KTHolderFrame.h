// The holder frame: a child frame with a double border whose flat splitter puts one control per
// pane, each inside a holder view, stacked top to bottom (style 0x400) or side by side (0x800).
// It passes the keyboard focus to the pane that had it, moves it from pane to pane with Tab, and
// remembers the pane sizes in the user settings file.
#pragma once

#include "frame/FlatFrameWnd.h"
#include "frame/FlatSplitterWnd.h"
#include "holder/HolderFrameCtrl.h"

#include <memory>
#include <string>
#include <vector>

class CHolderView;

// Orientation bits of CreateHolderFrame.
constexpr DWORD HOLDER_HORIZONTAL = 0x400; // panes stacked top to bottom
constexpr DWORD HOLDER_VERTICAL = 0x800;   // panes side by side

// The settings section of the stored pane sizes.
constexpr const char* kHolderSizeSection = "HOLDER_FRAME_SPLITTER_SIZE";

class CKTHolderFrame : public CFlatFrameWnd
{
    DECLARE_DYNCREATE(CKTHolderFrame)
public:
    CKTHolderFrame();
    ~CKTHolderFrame() override;

    // Creates the frame in the parent's client area at 'rect', one pane per record. The records
    // get their names (and the controls the frame made); FALSE after a message box on failure.
    BOOL CreateHolderFrame(CWnd* parent, DWORD style, const CRect& rect,
                           std::vector<sHOLDERFRAMECTRL>& records);
    // Two grids of the framework, without fonts; TRUE whatever the creation gave.
    BOOL CreateTwoGridHolder(CWnd* parent, DWORD style, const CRect& rect, CWnd* grid1,
                             const std::string& caption1, UINT id1, CWnd* grid2, const std::string& caption2,
                             UINT id2);

    CHolderView* GetPaneView(int index) const;
    CFlatSplitterWnd& GetSplitter() { return m_wndSplitter; }
    const std::vector<sHOLDERFRAMECTRL>& GetPanes() const { return m_arrPanes; }
    int GetPaneCount() const { return m_nPaneCount; }
    int GetFocusPane() const { return m_nFocusPane; }
    BOOL IsHorizontal() const { return m_bHorizontal; }

    void SavePaneSizes();
    // A menu at a screen point with every captioned pane, checked while it is open: choosing one
    // closes it (as its close button does) or brings it back. The owner opens it from a right
    // click on a pane's caption, so that a closed pane can always be shown again.
    void ShowPanesMenu(CPoint screen);
    // Closes or brings back the pane at an index along the split.
    void ShowPane(int index, bool show);
    // TRUE when the settings file gave at least one pane its size.
    BOOL LoadPaneSizes();

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(CWnd* oldWnd) override;

private:
    // Makes or takes the record's control and puts it into the view; false when it fails.
    bool PlaceControl(CHolderView* view, sHOLDERFRAMECTRL& record, CWnd* requester);
    // The pane (in column order with several columns, else row order) whose control has the focus.
    int FindFocusPane() const;
    int PaneCountAlongSplit() const;
    void FocusPane(int index);
    // Tab and Shift+Tab across the panes and out of the frame inside a dialog.
    void MoveFocus(bool backwards);

    CFlatSplitterWnd m_wndSplitter;
    std::vector<sHOLDERFRAMECTRL> m_arrPanes;
    int m_nPaneCount = 0;
    int m_nFocusPane = -1;
    BOOL m_bHorizontal = TRUE;
    CWnd* m_pRequester = nullptr;
    // Controls the frame made for records that brought none.
    std::vector<std::unique_ptr<CWnd>> m_ownedControls;
};
