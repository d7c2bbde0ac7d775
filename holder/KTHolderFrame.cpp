#include "holder/KTHolderFrame.h"

#include "base/SettingText.h"
#include "base/UserSettings.h"
#include "frame/KTBCGPDialog.h"
#include "grid/CommonListCtrl.h"
#include "holder/HolderView.h"
#include "winlib/Cursors.h"
#include "winlib/ListBox.h"
#include "winlib/ListCtrl.h"
#include "winlib/Menu.h"
#include "winlib/RichEdit.h"
#include "winlib/TreeCtrl.h"

#include <cstdio>

IMPLEMENT_DYNCREATE(CKTHolderFrame, CFlatFrameWnd)

namespace
{

constexpr DWORD kListCtrlStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT;
constexpr DWORD kListBoxStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                LBS_SORT | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                             TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;
constexpr DWORD kRichEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                 ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
constexpr DWORD kGridStyle =
    0x50811401; // child, visible, border, tab stop, report, owner-drawn fixed, owner data
constexpr int kViewInitialSize = 100;
// The panes menu's commands, returned to it rather than sent anywhere.
constexpr UINT kFirstPaneCommand = 0x7E00;
bool CaptionAlways(short kind)
{
    return kind == HFC_TREE_CTRL || kind == HFC_LIST_BOX || kind == HFC_RICH_EDIT || kind == HFC_ATTACH ||
           kind == HFC_SELF_CREATING;
}

} // namespace

CKTHolderFrame::CKTHolderFrame() = default;

CKTHolderFrame::~CKTHolderFrame()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CKTHolderFrame::CreateHolderFrame(CWnd* parent, DWORD style, const CRect& rect,
                                       std::vector<sHOLDERFRAMECTRL>& records)
{
    m_nPaneCount = static_cast<int>(records.size());
    if (m_nPaneCount < 1)
    {
        AfxMessageBox("Number of Pane should be Greater Than One");
        return FALSE;
    }
    if (!(style & (HOLDER_HORIZONTAL | HOLDER_VERTICAL)))
        return FALSE;
    m_bHorizontal = (style & HOLDER_HORIZONTAL) ? TRUE : FALSE;
    m_pRequester = parent;

    LPCSTR className = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                                           LoadIcon(nullptr, IDI_APPLICATION));
    if (!parent || !parent->m_hWnd || !Create(className, "", WS_CHILD | WS_TABSTOP, rect, parent))
    {
        AfxMessageBox(m_bHorizontal ? "Failed To Create Horizontal Holder Frame"
                                    : "Failed To Create Vertical Holder Frame");
        return FALSE;
    }
    ShowWindow(SW_SHOW);
    ModifyStyleEx(0, WS_EX_DLGMODALFRAME, SWP_FRAMECHANGED);

    const int rows = m_bHorizontal ? m_nPaneCount : 1;
    const int cols = m_bHorizontal ? 1 : m_nPaneCount;
    if (!m_wndSplitter.CreateStatic(this, rows, cols, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
    {
        AfxMessageBox(m_bHorizontal ? "Failed To Create Horizontal Splitter"
                                    : "Failed To Create Vertical Splitter");
        return FALSE;
    }

    const char* requesterClass = parent->GetRuntimeClass()->m_lpszClassName;
    for (int i = 0; i < m_nPaneCount; ++i)
    {
        const int row = m_bHorizontal ? i : 0;
        const int col = m_bHorizontal ? 0 : i;
        if (!m_wndSplitter.CreateView(row, col, RUNTIME_CLASS(CHolderView),
                                      CSize(kViewInitialSize, kViewInitialSize), nullptr))
            return FALSE;
        sHOLDERFRAMECTRL& record = records[static_cast<std::size_t>(i)];
        char name[256];
        std::snprintf(name, sizeof name, "%s%u", requesterClass, record.m_nCtrlId);
        record.m_strName = name;
        auto* view = dynamic_cast<CHolderView*>(m_wndSplitter.GetPane(row, col));
        if (!view || !PlaceControl(view, record, parent))
            return FALSE;
    }

    m_wndSplitter.MoveWindow(0, 0, rect.Width(), rect.Height());
    m_wndSplitter.ShowWindow(SW_SHOW);
    m_arrPanes = records;
    // The splitter is the frame's pane: it fills the client area inside the double border.
    RecalcLayout();
    if (!m_bHorizontal)
        LoadPaneSizes();
    return TRUE;
}

BOOL CKTHolderFrame::CreateTwoGridHolder(CWnd* parent, DWORD style, const CRect& rect, CWnd* grid1,
                                         const std::string& caption1, UINT id1, CWnd* grid2,
                                         const std::string& caption2, UINT id2)
{
    std::vector<sHOLDERFRAMECTRL> records(2);
    records[0].m_nKind = HFC_GRID;
    records[0].m_nCtrlId = id1;
    records[0].m_pCtrl = grid1;
    records[0].m_strCaption = caption1;
    records[1].m_nKind = HFC_GRID;
    records[1].m_nCtrlId = id2;
    records[1].m_pCtrl = grid2;
    records[1].m_strCaption = caption2;
    CreateHolderFrame(parent, style, rect, records);
    return TRUE;
}

bool CKTHolderFrame::PlaceControl(CHolderView* view, sHOLDERFRAMECTRL& record, CWnd* requester)
{
    view->SetOwner(requester);
    CRect client;
    view->GetClientRect(&client);
    // Kinds the frame makes: the record's object, or one the frame keeps.
    const auto take = [&](auto made) -> decltype(made.get())
    {
        using Control = std::remove_pointer_t<decltype(made.get())>;
        if (auto* given = dynamic_cast<Control*>(record.m_pCtrl))
            return given;
        if (record.m_pCtrl)
            return nullptr; // an object of another class cannot be made into this kind
        Control* control = made.get();
        m_ownedControls.push_back(std::move(made));
        record.m_pCtrl = control;
        return control;
    };
    CWnd* control = nullptr;
    switch (record.m_nKind)
    {
    case HFC_LIST_CTRL:
    {
        CListCtrl* list = take(std::make_unique<CListCtrl>());
        if (!list || !list->Create(kListCtrlStyle, client, view, record.m_nCtrlId))
            return false;
        control = list;
        break;
    }
    case HFC_TREE_CTRL:
    {
        CTreeCtrl* tree = take(std::make_unique<CTreeCtrl>());
        if (!tree || !tree->Create(kTreeStyle, client, view, record.m_nCtrlId))
            return false;
        control = tree;
        break;
    }
    case HFC_RICH_EDIT:
    {
        CRichEditCtrl* edit = take(std::make_unique<CRichEditCtrl>());
        if (!edit || !edit->Create(kRichEditStyle, client, view, record.m_nCtrlId))
            return false;
        control = edit;
        break;
    }
    case HFC_LIST_BOX:
    {
        CListBox* box = take(std::make_unique<CListBox>());
        if (!box || !box->Create(kListBoxStyle | record.m_dwStyle, client, view, record.m_nCtrlId))
            return false;
        control = box;
        break;
    }
    case HFC_GRID:
    {
        CCommonListCtrl* grid = take(std::make_unique<CCommonListCtrl>());
        if (!grid || !grid->CreateEx(0, kGridStyle, client, view, record.m_nCtrlId))
            return false;
        grid->SetOwner(requester);
        control = grid;
        break;
    }
    case HFC_ATTACH:
        control = record.m_pCtrl;
        break;
    case HFC_REPARENT:
        control = record.m_pCtrl;
        if (control && control->m_hWnd)
            control->SetParent(view);
        break;
    case HFC_SELF_CREATING:
    {
        auto* self = dynamic_cast<CHolderPaneCtrl*>(record.m_pCtrl);
        if (!self || !self->CreateInPane(record.m_nCtrlId, requester, view, client))
            return false;
        control = self;
        break;
    }
    default:
        // 3, 5, 7 and 9 hold nothing; neither does a kind this frame does not know.
        return true;
    }
    if (!record.m_strCaption.empty() || CaptionAlways(record.m_nKind))
        view->AddStyle(HVS_CAPTION | HVS_CLOSE_BUTTON | HVS_GRADIENT);
    view->SetCaption(record.m_strCaption, RGB(255, 255, 255));
    view->SetControl(control);
    if (record.m_pFont && control && control->m_hWnd)
        control->SetFont(record.m_pFont);
    return true;
}

CHolderView* CKTHolderFrame::GetPaneView(int index) const
{
    if (!m_wndSplitter.m_hWnd || index < 0)
        return nullptr;
    CWnd* pane = nullptr;
    if (index < m_wndSplitter.GetColumnCount())
        pane = m_wndSplitter.GetPane(0, index);
    else if (index < m_wndSplitter.GetRowCount())
        pane = m_wndSplitter.GetPane(index, 0);
    return dynamic_cast<CHolderView*>(pane);
}

// ---- Stored pane sizes --------------------------------------------------------------------------

void CKTHolderFrame::SavePaneSizes()
{
    if (!m_wndSplitter.m_hWnd)
        return;
    const int count = m_bHorizontal ? m_wndSplitter.GetRowCount() : m_wndSplitter.GetColumnCount();
    if (count <= 1)
        return;
    const std::string path = GetUserSettingsPath();
    for (int i = 0; i < count && i < static_cast<int>(m_arrPanes.size()); ++i)
    {
        const std::string& key = m_arrPanes[static_cast<std::size_t>(i)].m_strName;
        if (key.empty())
            continue;
        int current = 0;
        int minimum = 0;
        if (m_bHorizontal)
            m_wndSplitter.GetRowInfo(i, current, minimum);
        else
            m_wndSplitter.GetColumnInfo(i, current, minimum);
        std::string value = std::to_string(current);
        std::string error;
        ReadWriteSetting(SETTING_WRITE, kHolderSizeSection, key, value, path, error);
    }
}

BOOL CKTHolderFrame::LoadPaneSizes()
{
    if (!m_wndSplitter.m_hWnd)
        return FALSE;
    const int count = m_bHorizontal ? m_wndSplitter.GetRowCount() : m_wndSplitter.GetColumnCount();
    if (count <= 1)
        return FALSE;
    BOOL loaded = FALSE;
    const std::string path = GetUserSettingsPath();
    for (int i = 0; i < count && i < static_cast<int>(m_arrPanes.size()); ++i)
    {
        std::string value;
        std::string error;
        if (!ReadWriteSetting(SETTING_READ, kHolderSizeSection,
                              m_arrPanes[static_cast<std::size_t>(i)].m_strName, value, path, error))
            continue;
        const std::optional<int> size = ParseStoredSize(value);
        // A pane closed when the window went down opens again: a start shows every pane.
        if (!size || *size == 0)
            continue;
        if (m_bHorizontal)
            m_wndSplitter.SetRowInfo(i, *size, 0);
        else
            m_wndSplitter.SetColumnInfo(i, *size, 0);
        loaded = TRUE;
    }
    m_wndSplitter.RecalcLayout();
    return loaded;
}

// ---- Closing and showing panes -------------------------------------------------------------------

void CKTHolderFrame::ShowPane(int index, bool show)
{
    CHolderView* view = GetPaneView(index);
    if (!view || !m_wndSplitter.m_hWnd || m_wndSplitter.IsPaneOpen(index) == show)
        return;
    if (show)
        m_wndSplitter.OpenPane(index);
    else
        view->ClosePane();
}

void CKTHolderFrame::ShowPanesMenu(CPoint screen)
{
    CMenu menu;
    menu.CreatePopupMenu();
    const int count = PaneCountAlongSplit();
    for (int i = 0; i < count; ++i)
    {
        const CHolderView* view = GetPaneView(i);
        const std::string caption = view ? view->GetCaption() : std::string();
        const auto first = caption.find_first_not_of(' ');
        if (first != std::string::npos)
            menu.AppendMenu(MF_STRING | (m_wndSplitter.IsPaneOpen(i) ? MF_CHECKED : MF_UNCHECKED),
                            kFirstPaneCommand + static_cast<UINT>(i), caption.substr(first).c_str());
    }
    if (menu.GetMenuItemCount() == 0)
        return;
    const UINT chosen = static_cast<UINT>(
        menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, this));
    if (chosen >= kFirstPaneCommand && chosen < kFirstPaneCommand + static_cast<UINT>(count))
    {
        const int index = static_cast<int>(chosen - kFirstPaneCommand);
        ShowPane(index, !m_wndSplitter.IsPaneOpen(index));
    }
}

// ---- Size, focus and Tab ------------------------------------------------------------------------

void CKTHolderFrame::OnSize(UINT type, int cx, int cy)
{
    if (!m_wndSplitter.m_hWnd)
    {
        CFlatFrameWnd::OnSize(type, cx, cy);
        return;
    }
    // A closed pane is one whose ideal size is 0 (its close button, a double-click on its bar); a
    // pane the frame had no room for keeps its ideal size and comes back as the frame grows.
    const auto collapsed = [](int count, auto ideal, int& lastVisible)
    {
        int zero = 0;
        for (int i = 0; i < count; ++i)
        {
            if (ideal(i) <= 0)
                ++zero;
            else
                lastVisible = i;
        }
        return zero;
    };
    const int rows = m_wndSplitter.GetRowCount();
    const int cols = m_wndSplitter.GetColumnCount();
    int visibleRow = -1;
    int visibleCol = -1;
    const int zeroRows = collapsed(
        rows, [this](int i) { return m_wndSplitter.GetRowIdeal(i); }, visibleRow);
    const int zeroCols = collapsed(
        cols, [this](int i) { return m_wndSplitter.GetColumnIdeal(i); }, visibleCol);
    CFlatFrameWnd::OnSize(type, cx, cy);
    CRect client;
    m_wndSplitter.GetClientRect(&client);
    // A single pane left open takes all the room, whatever its size was.
    if (visibleRow >= 0 && zeroRows == rows - 1)
    {
        int current = 0;
        int minimum = 0;
        m_wndSplitter.GetRowInfo(visibleRow, current, minimum);
        m_wndSplitter.SetRowInfo(visibleRow, client.Height() + 100, minimum);
        m_wndSplitter.RecalcLayout();
    }
    if (visibleCol >= 0 && zeroCols == cols - 1)
    {
        int current = 0;
        int minimum = 0;
        m_wndSplitter.GetColumnInfo(visibleCol, current, minimum);
        m_wndSplitter.SetColumnInfo(visibleCol, client.Width() + 100, minimum);
        m_wndSplitter.RecalcLayout();
    }
}

int CKTHolderFrame::PaneCountAlongSplit() const
{
    if (!m_wndSplitter.m_hWnd)
        return 0;
    return m_wndSplitter.GetColumnCount() > 1 ? m_wndSplitter.GetColumnCount() : m_wndSplitter.GetRowCount();
}

int CKTHolderFrame::FindFocusPane() const
{
    const HWND focus = ::GetFocus();
    if (!focus)
        return -1;
    const int count = PaneCountAlongSplit();
    for (int i = 0; i < count; ++i)
    {
        CHolderView* view = GetPaneView(i);
        CWnd* control = view ? view->GetControl() : nullptr;
        if (control && control->m_hWnd && (control->m_hWnd == focus || ::IsChild(control->m_hWnd, focus)))
            return i;
    }
    return -1;
}

void CKTHolderFrame::FocusPane(int index)
{
    CHolderView* view = GetPaneView(index);
    if (!view)
        return;
    CWnd* control = view->GetControl();
    if (!control || !control->m_hWnd || !::IsWindow(control->m_hWnd))
    {
        if (CWnd* owner = view->GetOwnerWindow(); owner && owner->m_hWnd)
            owner->SendMessage(WM_HOLDER_PANE_SIZE, 0, 0);
        return;
    }
    if (auto* box = dynamic_cast<CListBox*>(control))
    {
        const int selected = box->GetCurSel();
        box->SetFocus();
        box->SetCurSel(-1);
        box->SetCaretIndex(selected);
        return;
    }
    if (auto* list = dynamic_cast<CListCtrl*>(control))
    {
        list->SetFocus();
        const int selected = list->GetNextItem(-1, LVNI_SELECTED);
        if (selected >= 0)
            list->SetSelectionMark(selected);
        else if (list->GetItemCount() > 0)
            list->SetSelectionMark(0);
        return;
    }
    control->SetFocus();
}

void CKTHolderFrame::OnSetFocus(CWnd* oldWnd)
{
    CFlatFrameWnd::OnSetFocus(oldWnd);
    if (!m_wndSplitter.m_hWnd)
        return;
    if (!(GetKeyState(VK_SHIFT) & 0x8000))
        m_nFocusPane = FindFocusPane();
    if (m_nFocusPane == -1)
        m_nFocusPane = 0;
    FocusPane(m_nFocusPane);
}

void CKTHolderFrame::MoveFocus(bool backwards)
{
    const int current = FindFocusPane();
    if (current < 0)
        return;
    const int count = PaneCountAlongSplit();
    const int next = backwards ? current - 1 : current + 1;
    if (next >= 0 && next < count)
    {
        m_nFocusPane = next;
        FocusPane(next);
        return;
    }
    // Out of the frame: to the dialog's next (or previous) control, when inside a dialog.
    for (CWnd* ancestor = GetParent(); ancestor && ancestor->m_hWnd; ancestor = ancestor->GetParent())
    {
        if (!ancestor->IsKindOf(RUNTIME_CLASS(CKTBCGPDialog)))
            continue;
        if (CWnd* item = ancestor->GetNextDlgTabItem(this, backwards ? TRUE : FALSE))
            item->SetFocus();
        return;
    }
}

BOOL CKTHolderFrame::PreTranslateMessage(MSG* msg)
{
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && m_wndSplitter.m_hWnd)
    {
        MoveFocus((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return TRUE;
    }
    return CFlatFrameWnd::PreTranslateMessage(msg);
}

BOOL CKTHolderFrame::DestroyWindow()
{
    if (m_wndSplitter.m_hWnd)
        m_wndSplitter.DestroyWindow();
    return CFlatFrameWnd::DestroyWindow();
}
