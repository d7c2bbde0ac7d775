// CFrameWnd and CView: a frame whose client area holds a view (or a workspace) and whose
// control bars are brought up to date when the loop runs dry.
#include "winlib/Frame.h"

#include "BarHolders.h"
#include "winlib/App.h"
#include "winlib/Runtime.h"

#include <utility>
#include <vector>

IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

namespace
{
std::vector<CRuntimeClass*>& BarHolderClasses()
{
    static std::vector<CRuntimeClass*> classes;
    return classes;
}
} // namespace

void winlib::detail::AddBarHolderClass(CRuntimeClass* holder)
{
    BarHolderClasses().push_back(holder);
}

bool winlib::detail::IsBarHolder(const CWnd& wnd)
{
    for (CRuntimeClass* holder : BarHolderClasses())
    {
        if (wnd.IsKindOf(holder))
            return true;
    }
    return false;
}

// ---- CView --------------------------------------------------------------------------------

CFrameWnd* CView::GetParentFrame() const
{
    for (CWnd* parent = GetParent(); parent && parent->m_hWnd; parent = parent->GetParent())
    {
        if (auto* frame = dynamic_cast<CFrameWnd*>(parent))
            return frame;
        if (!(parent->GetStyle() & WS_CHILD))
            break;
    }
    return nullptr;
}

void CView::OnInitialUpdate() { Invalidate(); }

BOOL CView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITIALUPDATE)
    {
        OnInitialUpdate();
        *result = 0;
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

void CView::OnDraw(CDC*) {}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnDraw(&dc);
}

void CView::OnDestroy()
{
    if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this)
        frame->SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}

void CView::PostNcDestroy() { delete this; }

// ---- CFrameWnd ----------------------------------------------------------------------------

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    // Destroyed here, while the object is still a frame, so that OnDestroy stops the idle work.
    if (m_hWnd)
        DestroyWindow();
    StopIdle();
}

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, LPCSTR,
                       DWORD exStyle, CCreateContext* context)
{
    m_pCreateContext = context;
    const bool byDefault = rect.left == rectDefault.left && rect.top == rectDefault.top &&
                           rect.right == rectDefault.right && rect.bottom == rectDefault.bottom;
    const CRect r(rect);
    const BOOL created = CWnd::CreateEx(exStyle, className, windowName, style, byDefault ? CW_USEDEFAULT : r.left,
                                        byDefault ? CW_USEDEFAULT : r.top, byDefault ? CW_USEDEFAULT : r.Width(),
                                        byDefault ? CW_USEDEFAULT : r.Height(), parent ? parent->m_hWnd : nullptr,
                                        nullptr, context);
    m_pCreateContext = nullptr;
    return created;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!cs.lpszClass || std::string(cs.lpszClass) == "AfxWnd")
        cs.lpszClass = "AfxFrameOrView";
    // A frame inside another window gets the sunken edge its view would otherwise draw.
    if (cs.style & WS_CHILD)
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    CCreateContext* context = m_pCreateContext ? m_pCreateContext : static_cast<CCreateContext*>(cs->lpCreateParams);
    if (!OnCreateClient(cs, context))
        return -1;
    StopIdle();
    m_nIdleHandler = winlib::AddIdleHandler([this] { OnIdle(); });
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context)
{
    if (context && context->m_pNewViewClass)
        return CreateView(context, AFX_IDW_PANE_FIRST) ? TRUE : FALSE;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id)
{
    if (!context || !context->m_pNewViewClass)
        return nullptr;
    CObject* object = context->m_pNewViewClass->CreateObject();
    auto* wnd = dynamic_cast<CWnd*>(object);
    if (!wnd)
    {
        delete object;
        return nullptr;
    }
    // A view that fails to be created cleans itself up in PostNcDestroy, as views do.
    if (!wnd->CreateEx(0, "AfxFrameOrView", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0), this,
                       id, context))
        return nullptr;
    if (auto* view = dynamic_cast<CView*>(wnd); view && !m_pActiveView)
        SetActiveView(view, FALSE);
    return wnd;
}

void CFrameWnd::SetActiveView(CView* view, BOOL) { m_pActiveView = view; }

CRect CFrameWnd::CalcLayout(std::vector<DockedBarPlace>*) const
{
    CRect client;
    GetClientRect(&client);
    return client;
}

CRect CFrameWnd::GetWorkspaceRect() const
{
    if (!m_hWnd)
        return CRect();
    return CalcLayout(nullptr);
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd || m_bInRecalcLayout)
        return;
    m_bInRecalcLayout = TRUE;
    m_bDelayedLayout = FALSE;
    std::vector<DockedBarPlace> places;
    const CRect workspace = CalcLayout(&places);
    for (const DockedBarPlace& place : places)
    {
        CRect now;
        place.bar->GetWindowRect(&now);
        ScreenToClient(&now);
        if (!now.EqualRect(place.rect))
            place.bar->SetWindowPos(nullptr, place.rect.left, place.rect.top, place.rect.Width(),
                                    place.rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (HWND pane = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_PANE_FIRST)))
    {
        CRect now;
        ::GetWindowRect(pane, &now);
        ScreenToClient(&now);
        if (!now.EqualRect(workspace))
            ::SetWindowPos(pane, nullptr, workspace.left, workspace.top, workspace.Width(), workspace.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::DelayRecalcLayout(BOOL) { m_bDelayedLayout = TRUE; }

void CFrameWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED)
        RecalcLayout();
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* dc)
{
    // The view (or workspace) and the docked bars around it cover the client area.
    if (HWND pane = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_PANE_FIRST)); pane && ::IsWindowVisible(pane))
        return TRUE;
    return CWnd::OnEraseBkgnd(dc);
}

void CFrameWnd::OnIdle()
{
    if (!m_hWnd)
        return;
    if (m_bDelayedLayout)
        RecalcLayout();
    UpdateControlBars();
}

void CFrameWnd::UpdateControlBars()
{
    if (!m_hWnd)
        return;
    // The bars are the frame's children, and the ones floating in mini-frames it owns.
    std::vector<HWND> targets;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        targets.push_back(child);
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
    {
        if (::GetWindow(top, GW_OWNER) != m_hWnd)
            continue;
        if (CWnd* owned = FromHandlePermanent(top); owned && winlib::detail::IsBarHolder(*owned))
            targets.push_back(top);
    }
    for (HWND target : targets)
    {
        if (::IsWindow(target))
            ::SendMessage(target, WM_IDLEUPDATECMDUI, TRUE, 0);
    }
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo)
{
    if (m_pActiveView && m_pActiveView->m_hWnd && m_pActiveView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWinApp* app = AfxGetApp())
        return app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    return FALSE;
}

void CFrameWnd::OnActivate(UINT state, CWnd* other, BOOL minimized)
{
    // A frame is no dialog: nothing else gives the focus back to the control that had it when a
    // picker or another window took the activation (otherwise the frame's first control gets it,
    // and the next key lands there).
    if (state == WA_INACTIVE)
    {
        const HWND focus = ::GetFocus();
        m_hWndLastFocus = (focus && ::IsChild(m_hWnd, focus)) ? focus : nullptr;
        CWnd::OnActivate(state, other, minimized);
        return;
    }
    const HWND last = std::exchange(m_hWndLastFocus, nullptr);
    if (!minimized && last && ::IsWindow(last) && ::IsChild(m_hWnd, last) && ::IsWindowVisible(last) &&
        ::IsWindowEnabled(last))
    {
        ::SetFocus(last);
        return;
    }
    CWnd::OnActivate(state, other, minimized);
}

void CFrameWnd::OnDestroy()
{
    StopIdle();
    m_pActiveView = nullptr;
    m_hWndLastFocus = nullptr;
    CWnd::OnDestroy();
}

void CFrameWnd::StopIdle()
{
    if (m_nIdleHandler)
        winlib::RemoveIdleHandler(m_nIdleHandler);
    m_nIdleHandler = 0;
}
