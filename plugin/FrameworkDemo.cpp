#include "plugin/FrameworkDemo.h"

#include "holder/HolderView.h"
#include "holder/KTHolderFrame.h"
#include "winlib/ListCtrl.h"
#include "winlib/RichEdit.h"
#include "winlib/TreeCtrl.h"

#include <algorithm>
#include <vector>

namespace
{

constexpr UINT kListId = 5101;
constexpr UINT kTreeId = 5102;
constexpr UINT kNotesId = 5103;

// The window around the holder frame: it fills its client area with the frame and remembers the
// pane widths when it closes.
class CFrameworkDemoWnd : public CWnd
{
    DECLARE_DYNAMIC(CFrameworkDemoWnd)
public:
    static CFrameworkDemoWnd* s_pOpen;
    // Set once the window stands: from then on it deletes itself with its window.
    bool m_bShown = false;

    BOOL Open(HWND workspace)
    {
        CRect area;
        ::GetClientRect(workspace, &area);
        const CRect place(16, 16, std::max<LONG>(16 + 420, area.right - 16),
                          std::max<LONG>(16 + 260, area.bottom - 16));
        return CreateEx(0, "AfxWnd", "Window Framework",
                        WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                        place, CWnd::FromHandle(workspace), 0);
    }

protected:
    int OnCreate(LPCREATESTRUCT cs) override
    {
        if (CWnd::OnCreate(cs) == -1)
            return -1;
        std::vector<sHOLDERFRAMECTRL> panes(3);
        panes[0].m_nKind = HFC_LIST_CTRL;
        panes[0].m_nCtrlId = kListId;
        panes[0].m_strCaption = "Pending requests";
        panes[1].m_nKind = HFC_TREE_CTRL;
        panes[1].m_nCtrlId = kTreeId;
        panes[1].m_strCaption = "Framework";
        panes[2].m_nKind = HFC_RICH_EDIT;
        panes[2].m_nCtrlId = kNotesId;
        panes[2].m_strCaption = "Notes";
        CRect client;
        GetClientRect(&client);
        if (!m_holder.CreateHolderFrame(this, HOLDER_VERTICAL, client, panes))
            return -1;
        // Wider first panes than the views' own 100 pixels, unless the user stored other widths.
        m_holder.GetSplitter().SetColumnInfo(0, 300, 0);
        m_holder.GetSplitter().SetColumnInfo(1, 280, 0);
        m_holder.LoadPaneSizes();
        Fill(panes);
        return 0;
    }

    void OnSize(UINT type, int cx, int cy) override
    {
        CWnd::OnSize(type, cx, cy);
        if (m_holder.m_hWnd)
            m_holder.MoveWindow(0, 0, cx, cy);
    }

    void OnSetFocus(CWnd*) override
    {
        if (m_holder.m_hWnd)
            m_holder.SetFocus();
    }

    void OnDestroy() override
    {
        m_holder.SavePaneSizes();
        CWnd::OnDestroy();
    }

    void PostNcDestroy() override
    {
        if (s_pOpen == this)
            s_pOpen = nullptr;
        if (m_bShown)
            delete this;
    }

private:
    void Fill(const std::vector<sHOLDERFRAMECTRL>& panes)
    {
        if (auto* list = dynamic_cast<CListCtrl*>(panes[0].m_pCtrl))
        {
            list->InsertColumn(0, "Key", LVCFMT_LEFT, 60);
            list->InsertColumn(1, "Type", LVCFMT_LEFT, 110);
            list->InsertColumn(2, "Maker", LVCFMT_LEFT, 70);
            const char* rows[][3] = {{"1001", "New User", "MAKER1"},
                                     {"1002", "Modify Account", "MAKER2"},
                                     {"1003", "RMS Limit", "MAKER1"},
                                     {"1004", "Delete User", "MAKER3"}};
            for (int i = 0; i < 4; ++i)
            {
                list->InsertItem(i, rows[i][0]);
                list->SetItemText(i, 1, rows[i][1]);
                list->SetItemText(i, 2, rows[i][2]);
            }
        }
        if (auto* tree = dynamic_cast<CTreeCtrl*>(panes[1].m_pCtrl))
        {
            const HTREEITEM holder = tree->InsertItem("CKTHolderFrame");
            const HTREEITEM splitter = tree->InsertItem("CFlatSplitterWnd", holder);
            tree->InsertItem("CHolderView: list", splitter);
            tree->InsertItem("CHolderView: tree", splitter);
            tree->InsertItem("CHolderView: rich edit", splitter);
            const HTREEITEM bars = tree->InsertItem("Dialog bars");
            tree->InsertItem("CKTBCGPDialogBar", bars);
            tree->InsertItem("CResizableDlgBar", bars);
            tree->InsertItem("CControlPos");
            tree->Expand(holder, TVE_EXPAND);
            tree->Expand(splitter, TVE_EXPAND);
            tree->SelectItem(splitter);
        }
        if (auto* notes = dynamic_cast<CRichEditCtrl*>(panes[2].m_pCtrl))
            notes->SetWindowText("Drag a bar to resize the panes.\r\n"
                                 "Double-click a bar to close the pane before it;\r\n"
                                 "double-click it again to bring the pane back.\r\n"
                                 "The x in a caption closes its pane.\r\n"
                                 "Tab moves from pane to pane.\r\n"
                                 "The widths are kept in the settings file when the window closes.");
    }

    CKTHolderFrame m_holder;
};

IMPLEMENT_DYNAMIC(CFrameworkDemoWnd, CWnd)

CFrameworkDemoWnd* CFrameworkDemoWnd::s_pOpen = nullptr;

} // namespace

extern "C" int KivoShowFrameworkDemo(HWND workspace)
{
    if (!::IsWindow(workspace))
        return 0;
    if (CFrameworkDemoWnd::s_pOpen && CFrameworkDemoWnd::s_pOpen->m_hWnd)
    {
        CFrameworkDemoWnd::s_pOpen->SetWindowPos(nullptr, 0, 0, 0, 0,
                                                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        CFrameworkDemoWnd::s_pOpen->SetFocus();
        return 1;
    }
    auto* window = new CFrameworkDemoWnd;
    if (!window->Open(workspace))
    {
        if (window->m_hWnd)
            window->DestroyWindow();
        delete window;
        return 0;
    }
    window->m_bShown = true;
    CFrameworkDemoWnd::s_pOpen = window;
    window->SetFocus();
    return 1;
}
