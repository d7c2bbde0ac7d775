// Control bars of the docking library: the gripper band in the non-client area, docking
// into a frame, floating into a mini-frame (by a drag of the gripper or on request) and
// back, showing and hiding with the frame's relayout, and the idle update of the controls.
#include "FrameInternal.h"

#include <cstdlib>

IMPLEMENT_DYNAMIC(CBCGPBaseControlBar, CWnd)
IMPLEMENT_DYNAMIC(CBCGPControlBar, CBCGPBaseControlBar)
IMPLEMENT_DYNAMIC(CBCGPDockingControlBar, CBCGPControlBar)

CBCGPBaseControlBar::CBCGPBaseControlBar() = default;

CBCGPBaseControlBar::~CBCGPBaseControlBar()
{
    // Destroyed while the object is still a bar, so that its frame forgets it.
    if (m_pMiniFrame && m_pMiniFrame->m_hWnd)
        m_pMiniFrame->DestroyWindow();
    if (m_hWnd)
        DestroyWindow();
}

void CBCGPBaseControlBar::EnableDocking(DWORD alignment) { m_dwEnabledAlignment = alignment & CBRS_ALIGN_ANY; }

DWORD CBCGPBaseControlBar::GetCurrentAlignment() const { return IsDocked() ? (m_dwStyle & CBRS_ALIGN_ANY) : 0; }

BOOL CBCGPBaseControlBar::IsFloating() const { return m_pMiniFrame != nullptr; }

BOOL CBCGPBaseControlBar::IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE) ? TRUE : FALSE; }

CWnd* CBCGPBaseControlBar::GetParentMiniFrame() const { return m_pMiniFrame; }

std::string CBCGPBaseControlBar::GetCaption() const { return m_hWnd ? GetWindowText() : std::string(); }

int CBCGPBaseControlBar::GetGripperSize() const { return m_bHasGripper && !IsFloating() ? kGripperBand : 0; }

CRect CBCGPBaseControlBar::GetGripperRect() const
{
    const int band = GetGripperSize();
    if (!m_hWnd || band == 0)
        return CRect();
    CRect window;
    GetWindowRect(&window);
    CRect client;
    GetClientRect(&client);
    ClientToScreen(&client);
    client.OffsetRect(-window.left, -window.top);
    if (winlib::detail::GripperOnLeft(m_dwStyle))
        return CRect(client.left - band, client.top, client.left, client.bottom);
    return CRect(client.left, client.top - band, client.right, client.top);
}

CSize CBCGPBaseControlBar::CalcFixedLayout(BOOL stretch, BOOL horizontal)
{
    CSize size = m_sizeDocked;
    if (size.cx == 0 && size.cy == 0 && m_hWnd)
    {
        CRect client;
        GetClientRect(&client);
        size = client.Size();
    }
    const int band = m_bHasGripper ? kGripperBand : 0;
    if (horizontal)
        return CSize(stretch ? 32767 : size.cx, size.cy + band);
    return CSize(size.cx + band, stretch ? 32767 : size.cy);
}

CSize CBCGPBaseControlBar::CalcDynamicLayout(int, DWORD mode)
{
    return CalcFixedLayout((mode & LM_STRETCH) ? TRUE : FALSE, (mode & LM_HORZ) ? TRUE : FALSE);
}

CSize CBCGPBaseControlBar::CalcFloatingSize()
{
    if (!m_rectFloating.IsRectEmpty())
        return winlib::detail::MiniFrameClientSize(m_rectFloating.Size());
    CSize size = m_sizeDocked;
    if ((size.cx == 0 || size.cy == 0) && m_hWnd)
    {
        CRect client;
        GetClientRect(&client);
        size = client.Size();
    }
    return size;
}

int CBCGPBaseControlBar::GetMinimumThickness(BOOL horizontal)
{
    const CSize wanted = CalcFixedLayout(FALSE, horizontal);
    const int whole = horizontal ? wanted.cy : wanted.cx;
    if (!m_bHasGripper)
        return whole;
    return std::min(whole, kGripperBand + kMinimumContents);
}

void CBCGPBaseControlBar::OnAfterFloat() {}
void CBCGPBaseControlBar::OnAfterDock() {}

void CBCGPBaseControlBar::ShowControlBar(BOOL show, BOOL delay, BOOL activate)
{
    if (!m_hWnd)
        return;
    ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (m_pMiniFrame && m_pMiniFrame->m_hWnd)
        m_pMiniFrame->ShowWindow(show ? (activate ? SW_SHOW : SW_SHOWNOACTIVATE) : SW_HIDE);
    if (m_pDockFrame && m_pDockFrame->m_hWnd)
    {
        if (delay)
            m_pDockFrame->DelayRecalcLayout();
        else
            m_pDockFrame->RecalcLayout();
    }
    if (show && activate && m_hWnd)
        SetFocus();
}

void CBCGPBaseControlBar::AttachToFrame(CFrameWnd* frame, DWORD side)
{
    m_pDockFrame = frame;
    m_dwStyle = (m_dwStyle & ~CBRS_ALIGN_ANY) | side;
    m_dwLastAlignment = side;
    if (GetParent() != frame)
        SetParent(frame);
    SetOwner(frame);
    // The gripper may change sides, or come back after floating.
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

BOOL CBCGPBaseControlBar::FloatControlBar(CRect rect, BOOL delayRecalcLayout)
{
    if (!m_hWnd)
        return FALSE;
    if (!m_pDockFrame)
        m_pDockFrame = dynamic_cast<CFrameWnd*>(GetParent());
    if (!m_pDockFrame || !m_pDockFrame->m_hWnd)
        return FALSE;
    if (m_pMiniFrame)
    {
        if (!rect.IsRectEmpty())
            m_pMiniFrame->MoveWindow(&rect);
        return TRUE;
    }
    if (IsDocked())
        m_dwLastAlignment = m_dwStyle & CBRS_ALIGN_ANY;
    if (rect.IsRectEmpty())
    {
        if (!m_rectFloating.IsRectEmpty())
            rect = m_rectFloating;
        else
        {
            CRect window;
            GetWindowRect(&window);
            rect = winlib::detail::MiniFrameRectFor(CalcFloatingSize(), window.TopLeft());
        }
    }

    auto* miniFrame = new CBCGPMiniFrameWnd;
    if (!miniFrame->Create(this, rect))
    {
        // Only a created mini-frame deletes itself.
        delete miniFrame;
        return FALSE;
    }
    const bool visible = (GetStyle() & WS_VISIBLE) != 0;
    m_pMiniFrame = miniFrame;
    m_rectFloating = rect;
    SetParent(miniFrame);
    CRect client;
    miniFrame->GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, client.Width(), client.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (visible)
        miniFrame->ShowWindow(SW_SHOWNOACTIVATE);
    // The focus belongs to the active window: a bar that floats out holding it takes the activation
    // along, or its mini-frame would show an inactive caption with the focus inside it.
    const HWND focus = ::GetFocus();
    if (visible && focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus)))
        miniFrame->SetActiveWindow();
    if (delayRecalcLayout)
        m_pDockFrame->DelayRecalcLayout();
    else
        m_pDockFrame->RecalcLayout();
    OnAfterFloat();
    return TRUE;
}

BOOL CBCGPBaseControlBar::DockToFrameWindow(DWORD alignment)
{
    auto* frame = dynamic_cast<CBCGPFrameWnd*>(m_pDockFrame);
    if (!m_hWnd || !frame || !frame->m_hWnd)
        return FALSE;
    const DWORD side = frame->FindDockSide(this, alignment ? alignment : m_dwLastAlignment);
    if (!side)
        return FALSE;
    EndGripperDrag();
    auto* miniFrame = static_cast<CBCGPMiniFrameWnd*>(m_pMiniFrame);
    if (miniFrame)
        m_rectFloating = winlib::detail::WindowRectOf(*miniFrame);
    m_pMiniFrame = nullptr;
    frame->AddControlBar(this);
    AttachToFrame(frame, side);
    if (miniFrame)
    {
        miniFrame->m_pBar = nullptr;
        miniFrame->DestroyWindow();
    }
    frame->RecalcLayout();
    OnAfterDock();
    return TRUE;
}

DWORD CBCGPBaseControlBar::DockSideAt(CPoint screen) const
{
    auto* frame = dynamic_cast<CBCGPFrameWnd*>(m_pDockFrame);
    if (!frame || !frame->m_hWnd)
        return 0;
    CRect client;
    frame->GetClientRect(&client);
    frame->ClientToScreen(&client);
    if (!client.PtInRect(screen))
        return 0;
    const DWORD allowed = frame->GetDockAlignment() & m_dwEnabledAlignment;
    const int band = winlib::detail::kDockEdgeBand;
    if ((allowed & CBRS_ALIGN_TOP) && screen.y < client.top + band)
        return CBRS_ALIGN_TOP;
    if ((allowed & CBRS_ALIGN_BOTTOM) && screen.y >= client.bottom - band)
        return CBRS_ALIGN_BOTTOM;
    if ((allowed & CBRS_ALIGN_LEFT) && screen.x < client.left + band)
        return CBRS_ALIGN_LEFT;
    if ((allowed & CBRS_ALIGN_RIGHT) && screen.x >= client.right - band)
        return CBRS_ALIGN_RIGHT;
    return 0;
}

void CBCGPBaseControlBar::EndGripperDrag()
{
    const bool active = m_drag.active;
    m_drag = GripperDrag{};
    if (active && m_hWnd && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

LRESULT CBCGPBaseControlBar::OnNcHitTest(CPoint point)
{
    const LRESULT hit = CWnd::OnNcHitTest(point);
    CRect gripper = GetGripperRect();
    if (!gripper.IsRectEmpty())
    {
        CRect window;
        GetWindowRect(&window);
        gripper.OffsetRect(window.left, window.top);
        if (gripper.PtInRect(point))
            return HTCAPTION;
    }
    return hit;
}

void CBCGPBaseControlBar::OnNcLButtonDown(UINT hitTest, CPoint point)
{
    if (hitTest == HTCAPTION && GetGripperSize() > 0 && IsDocked())
    {
        m_drag = GripperDrag{};
        m_drag.active = true;
        m_drag.start = point;
        SetCapture();
        return;
    }
    Default();
}

void CBCGPBaseControlBar::OnNcLButtonDblClk(UINT hitTest, CPoint point)
{
    if (hitTest == HTCAPTION && GetGripperSize() > 0 && IsDocked())
    {
        FloatControlBar(CRect());
        return;
    }
    CWnd::OnNcLButtonDblClk(hitTest, point);
}

void CBCGPBaseControlBar::OnNcPaint()
{
    Default();
    const CRect gripper = GetGripperRect();
    if (gripper.IsRectEmpty())
        return;
    CDC* dc = GetWindowDC();
    if (!dc)
        return;
    dc->FillSolidRect(&gripper, GetSysColor(COLOR_BTNFACE));
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    if (winlib::detail::GripperOnLeft(m_dwStyle))
    {
        // No turned text in the library: a vertical band shows its raised line only.
        const int x = gripper.left + gripper.Width() / 2 - 1;
        dc->Draw3dRect(x, gripper.top + 4, 3, std::max(0, gripper.Height() - 8), light, dark);
    }
    else
    {
        const HGDIOBJ oldFont = dc->SelectObject(::GetStockObject(DEFAULT_GUI_FONT));
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(GetSysColor(COLOR_BTNTEXT));
        const std::string caption = GetCaption();
        CRect text(gripper.left + 4, gripper.top, gripper.right - 4, gripper.bottom);
        dc->DrawText(caption, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        const int textWidth = caption.empty() ? 0 : dc->GetTextExtent(caption).cx + 6;
        dc->SelectObject(oldFont);
        const int left = gripper.left + 4 + textWidth;
        const int width = gripper.right - 4 - left;
        if (width > 0)
            dc->Draw3dRect(left, gripper.top + gripper.Height() / 2 - 1, width, 3, light, dark);
    }
    ReleaseDC(dc);
}

BOOL CBCGPBaseControlBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message)
    {
    case WM_NCCALCSIZE:
    {
        Default();
        RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        const int band = GetGripperSize();
        if (r && band)
        {
            if (winlib::detail::GripperOnLeft(m_dwStyle))
                r->left = std::min(r->right, r->left + band);
            else
                r->top = std::min(r->bottom, r->top + band);
        }
        *result = 0;
        return TRUE;
    }
    case WM_IDLEUPDATECMDUI:
        if (GetStyle() & WS_VISIBLE)
        {
            CFrameWnd* target = m_pDockFrame ? m_pDockFrame : dynamic_cast<CFrameWnd*>(GetParent());
            OnUpdateCmdUI(target, static_cast<BOOL>(wParam));
        }
        *result = 0;
        return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (!m_drag.active)
            break;
        {
            const DWORD pos = ::GetMessagePos();
            const CPoint screen(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
            if (message == WM_LBUTTONUP)
                EndGripperDrag();
            else
                ContinueGripperDrag(screen);
        }
        *result = 0;
        return TRUE;
    case WM_CAPTURECHANGED:
        if (m_drag.active && reinterpret_cast<HWND>(lParam) != m_hWnd)
            m_drag = GripperDrag{};
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
    {
        if (CWnd::OnWndMsg(message, wParam, lParam, result))
            return TRUE;
        // What the bar does not handle goes to its frame, as if the controls were the frame's.
        CWnd* owner = m_pDockFrame ? static_cast<CWnd*>(m_pDockFrame) : GetParent();
        if (owner && owner->m_hWnd)
        {
            *result = owner->SendMessage(message, wParam, lParam);
            return TRUE;
        }
        return FALSE;
    }
    default:
        break;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

void CBCGPBaseControlBar::ContinueGripperDrag(CPoint screen)
{
    if (!m_drag.floated)
    {
        const CPoint moved = screen - m_drag.start;
        if (std::abs(moved.x) <= GetSystemMetrics(SM_CXDRAG) && std::abs(moved.y) <= GetSystemMetrics(SM_CYDRAG))
            return;
        CRect window;
        GetWindowRect(&window);
        const CRect rect = winlib::detail::MiniFrameRectFor(CalcFloatingSize(), window.TopLeft() + moved);
        m_drag.floated = true;
        if (!FloatControlBar(rect))
        {
            EndGripperDrag();
            return;
        }
        m_drag.miniFrameOffset = rect.TopLeft() - screen;
        m_drag.awayFromEdges = DockSideAt(screen) == 0;
        return;
    }
    if (!m_pMiniFrame)
        return;
    const CPoint origin = screen + m_drag.miniFrameOffset;
    m_pMiniFrame->SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const DWORD side = DockSideAt(screen);
    if (!side)
        m_drag.awayFromEdges = true;
    else if (m_drag.awayFromEdges)
        DockToFrameWindow(side);
}

void CBCGPBaseControlBar::OnDestroy()
{
    EndGripperDrag();
    if (auto* frame = dynamic_cast<CBCGPFrameWnd*>(m_pDockFrame))
        frame->RemoveControlBar(this);
    m_pDockFrame = nullptr;
    if (auto* miniFrame = static_cast<CBCGPMiniFrameWnd*>(m_pMiniFrame))
    {
        // An empty mini-frame goes away once this message is over.
        miniFrame->m_pBar = nullptr;
        miniFrame->PostMessage(WM_CLOSE);
    }
    m_pMiniFrame = nullptr;
    CWnd::OnDestroy();
}

// ---- CBCGPControlBar ----------------------------------------------------------------------

void CBCGPControlBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children)
    {
        if (!::IsWindow(child))
            continue;
        const int id = ::GetDlgCtrlID(child);
        if (id <= 0)
            continue;
        CCmdUI state;
        state.m_nID = static_cast<UINT>(id);
        state.m_pOther = CWnd::FromHandle(child);
        BOOL handled = OnCmdMsg(state.m_nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!handled && target && target != static_cast<CWnd*>(this))
            handled = target->OnCmdMsg(state.m_nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        // Only buttons that act through commands are disabled: edits, lists and the
        // buttons that check themselves work without anyone handling them.
        if (!handled && disableIfNoHandler && !state.m_bEnableChanged && winlib::detail::IsCommandButton(child))
            state.Enable(FALSE);
    }
}

// ---- CBCGPDockingControlBar ---------------------------------------------------------------

BOOL CBCGPDockingControlBar::Create(LPCSTR caption, CWnd* parent, const RECT& rect, BOOL hasGripper, UINT id,
                                    DWORD style)
{
    m_dwStyle = style & CBRS_ALL;
    m_bHasGripper = hasGripper || (style & CBRS_GRIPPER) ? TRUE : FALSE;
    m_sizeDocked = CRect(rect).Size();
    const DWORD windowStyle = (style & ~CBRS_ALL) | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    CRect window(rect);
    if (m_bHasGripper)
    {
        if (winlib::detail::GripperOnLeft(m_dwStyle))
            window.right += kGripperBand;
        else
            window.bottom += kGripperBand;
    }
    return CreateEx(0, "AfxControlBar", caption, windowStyle, window, parent, id);
}
