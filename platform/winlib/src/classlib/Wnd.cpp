// CCmdTarget, CCmdUI, CWnd and the application object.
#include "GdiInternal.h"
#include "Internal.h"
#include "winlib/App.h"
#include "winlib/Menu.h"
#include "winlib/Runtime.h"

#include <algorithm>
#include <vector>

namespace winlib::detail
{
// The process-wide tooltip of windows with EnableToolTips (ToolTip.cpp).
void FilterToolTipMessage(CWnd* owner, MSG* msg);
void ForgetToolTipOwner(HWND owner);

namespace
{

// The window manager reaches the objects attached to its windows through these.
const bool g_objectHooksSet = []
{
    g_objectHooks.windowProc = [](CWnd* object, UINT message, WPARAM wParam, LPARAM lParam)
    { return object->WindowProc(message, wParam, lParam); };
    g_objectHooks.preTranslate = [](CWnd* object, MSG* msg)
    { return object->PreTranslateMessage(msg) != FALSE; };
    g_objectHooks.handleOf = [](const CWnd* object) { return object->m_hWnd; };
    g_objectHooks.setHandle = [](CWnd* object, HWND hwnd) { object->m_hWnd = hwnd; };
    g_objectHooks.deleteTemporary = [](CWnd* object) { delete object; };
    g_objectHooks.endModalLoop = [](CWnd* object, int result) { object->EndModalLoop(result); };
    return true;
}();

} // namespace
} // namespace winlib::detail

using namespace winlib::detail;

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BOOL CCmdTarget::OnCmdMsg(UINT, int, void*, void*) { return FALSE; }

void CCmdUI::Enable(BOOL on)
{
    if (m_pOther)
        m_pOther->EnableWindow(on);
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check)
{
    if (m_pOther)
        m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(check), 0);
}

void CCmdUI::SetText(LPCSTR text)
{
    if (m_pOther)
        m_pOther->SetWindowText(text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler)
{
    m_bEnableChanged = FALSE;
    const BOOL handled = target ? target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr) : FALSE;
    if (!handled && disableIfNoHandler && !m_bEnableChanged)
        Enable(FALSE);
    return handled;
}

// ---- CWnd ---------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
    {
        WindowRecord* w = State::Get().Find(m_hWnd);
        if (w && w->object == this)
            ::DestroyWindow(m_hWnd);
        else if (w && w->temporary.get() != this)
            m_hWnd = nullptr;
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    return w ? w->object : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return nullptr;
    if (w->object)
        return w->object;
    if (!w->temporary)
    {
        w->temporary = std::unique_ptr<CWnd, TemporaryObjectDeleter>(new CWnd);
        w->temporary->m_hWnd = hwnd;
    }
    return w->temporary.get();
}

BOOL CWnd::Attach(HWND hwnd)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w || w->object)
        return FALSE;
    w->object = this;
    w->routed = false;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    const HWND hwnd = m_hWnd;
    if (WindowRecord* w = State::Get().Find(hwnd))
    {
        if (w->object == this)
        {
            w->object = nullptr;
            w->routed = false;
        }
    }
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd))
        return FALSE;
    PreSubclassWindow();
    if (WindowRecord* w = State::Get().Find(hwnd))
        w->routed = true;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent)
        return FALSE;
    const HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, LPVOID)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param)
{
    const CRect r(rect);
    return CreateEx(exStyle, className, windowName, style, r.left, r.top, r.Width(), r.Height(),
                    parent ? parent->m_hWnd : nullptr, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param)
{
    CREATESTRUCT cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className ? className : "AfxWnd";
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }
    g_creatingObject = this;
    const HWND hwnd = ::CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x,
                                       cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, nullptr, cs.lpCreateParams);
    g_creatingObject = nullptr;
    if (!hwnd)
    {
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyle(HWND hwnd, DWORD remove, DWORD add, UINT flags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLong(hwnd, GWL_STYLE));
    const DWORD updated = (style & ~remove) | add;
    if (style == updated)
        return FALSE;
    ::SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>(updated));
    if (flags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(HWND hwnd, DWORD remove, DWORD add, UINT flags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLong(hwnd, GWL_EXSTYLE));
    const DWORD updated = (style & ~remove) | add;
    if (style == updated)
        return FALSE;
    ::SetWindowLong(hwnd, GWL_EXSTYLE, static_cast<LONG>(updated));
    if (flags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) { return ModifyStyle(m_hWnd, remove, add, flags); }
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) { return ModifyStyleEx(m_hWnd, remove, add, flags); }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd* CWnd::SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr)); }

CWnd* CWnd::GetOwner() const
{
    const WindowRecord* w = State::Get().Find(m_hWnd);
    if (!w)
        return nullptr;
    return FromHandle(w->parent ? (w->owner ? w->owner : w->parent) : w->owner);
}

void CWnd::SetOwner(CWnd* owner)
{
    if (WindowRecord* w = State::Get().Find(m_hWnd))
        w->owner = owner ? owner->m_hWnd : nullptr;
}

CWnd* CWnd::GetTopLevelParent() const { return FromHandle(TopLevelOf(m_hWnd)); }

CWnd* CWnd::GetParentOwner() const
{
    HWND hwnd = m_hWnd;
    while (hwnd && (::GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD))
        hwnd = ::GetParent(hwnd);
    return FromHandle(hwnd);
}

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int id) { return static_cast<int>(::SetWindowLongPtr(m_hWnd, GWL_ID, id)); }
CWnd* CWnd::GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetNextWindow(UINT flag) const { return FromHandle(::GetWindow(m_hWnd, flag)); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::ShowWindow(int cmdShow) { return ::ShowWindow(m_hWnd, cmdShow); }
BOOL CWnd::IsChild(const CWnd* wnd) const { return wnd ? ::IsChild(m_hWnd, wnd->m_hWnd) : FALSE; }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }

void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) { ::MoveWindow(m_hWnd, x, y, width, height, repaint); }

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint)
{
    const CRect r(*rect);
    ::MoveWindow(m_hWnd, r.left, r.top, r.Width(), r.Height(), repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    HWND after = nullptr;
    if (insertAfter == reinterpret_cast<const CWnd*>(HWND_BOTTOM))
        after = HWND_BOTTOM;
    else if (insertAfter == reinterpret_cast<const CWnd*>(HWND_TOPMOST))
        after = HWND_TOPMOST;
    else if (insertAfter == reinterpret_cast<const CWnd*>(HWND_NOTOPMOST))
        after = HWND_NOTOPMOST;
    else if (insertAfter)
        after = insertAfter->m_hWnd;
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
}

void CWnd::ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }

void CWnd::ClientToScreen(LPRECT rect) const
{
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::OffsetRect(rect, origin.x, origin.y);
}

void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }

void CWnd::ScreenToClient(LPRECT rect) const
{
    POINT origin{0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    ::OffsetRect(rect, -origin.x, -origin.y);
}

void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const
{
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, points, count);
}

void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const
{
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

CWnd* CWnd::WindowFromPoint(POINT point) { return FromHandle(::WindowFromPoint(point)); }

CWnd* CWnd::ChildWindowFromPoint(POINT point) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, point)); }

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    CRect mine;
    GetWindowRect(&mine);
    CRect area;
    CWnd* over = alternateOwner ? alternateOwner : GetOwner();
    if (!over && (GetStyle() & WS_CHILD))
        over = GetParent();
    if (over && over->m_hWnd)
        over->GetWindowRect(&area);
    else
        area = CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    CPoint topLeft(area.left + (area.Width() - mine.Width()) / 2, area.top + (area.Height() - mine.Height()) / 2);
    if (GetStyle() & WS_CHILD)
        ::ScreenToClient(::GetParent(m_hWnd), &topLeft);
    ::SetWindowPos(m_hWnd, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowText(m_hWnd, text); }
int CWnd::GetWindowText(LPSTR buffer, int size) const { return ::GetWindowText(m_hWnd, buffer, size); }
void CWnd::GetWindowText(std::string& text) const { text = ::GetWindowTextString(m_hWnd); }
std::string CWnd::GetWindowText() const { return ::GetWindowTextString(m_hWnd); }
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLength(m_hWnd); }

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? HFONT(*font) : nullptr), MAKELPARAM(redraw, 0));
}

CFont* CWnd::GetFont() const
{
    const HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0));
    return font ? CFont::FromHandle(font) : nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessage(m_hWnd, id, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        ::SendMessage(child, message, wParam, lParam);
        if (deep && ::IsWindow(child))
            FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, TRUE);
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapseMs, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::ValidateRect(LPCRECT rect) { ::ValidateRect(m_hWnd, rect); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT rect, HRGN region, UINT flags) { return ::RedrawWindow(m_hWnd, rect, region, flags); }
void CWnd::SetRedraw(BOOL redraw) { SendMessage(WM_SETREDRAW, static_cast<WPARAM>(redraw), 0); }
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* dc) { return dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0; }

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
int CWnd::GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) { ::SetScrollRange(m_hWnd, bar, minPos, maxPos, redraw); }
void CWnd::GetScrollRange(int bar, LPINT minPos, LPINT maxPos) const { ::GetScrollRange(m_hWnd, bar, minPos, maxPos); }
BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw) { return ::SetScrollInfo(m_hWnd, bar, info, redraw) >= 0; }

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask)
{
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, bar, info);
}

int CWnd::GetScrollLimit(int bar)
{
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(m_hWnd, bar, &info);
    return std::max(info.nMin, info.nMax - std::max<int>(static_cast<int>(info.nPage) - 1, 0));
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) { ::ShowScrollBar(m_hWnd, static_cast<int>(bar), show); }
void CWnd::ScrollWindow(int dx, int dy, LPCRECT scrollRect, LPCRECT clipRect) { ::ScrollWindow(m_hWnd, dx, dy, scrollRect, clipRect); }

void CWnd::CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
UINT CWnd::IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
void CWnd::SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemText(m_hWnd, id, text); }

int CWnd::GetDlgItemText(int id, std::string& text) const
{
    text = ::GetWindowTextString(::GetDlgItem(m_hWnd, id));
    return static_cast<int>(text.size());
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const
{
    return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* control, BOOL previous) const
{
    return FromHandle(::GetNextDlgTabItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* control, BOOL previous) const
{
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type)
{
    return ::MessageBox(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

namespace
{
std::vector<HWND>& ToolTipWindows()
{
    static std::vector<HWND> windows;
    return windows;
}
} // namespace

BOOL CWnd::EnableToolTips(BOOL enable)
{
    auto& windows = ToolTipWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), m_hWnd), windows.end());
    if (enable)
        windows.push_back(m_hWnd);
    else
        ForgetToolTipOwner(m_hWnd);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallClassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& current = CurrentMessage();
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result)
{
    CWnd* wnd = FromHandlePermanent(child);
    if (!wnd)
        return FALSE;
    return wnd->SendChildNotifyLastMsg(result);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* result)
{
    const MSG& current = CurrentMessage();
    LRESULT local = 0;
    return OnChildNotify(current.message, current.wParam, current.lParam, result ? result : &local);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT* result)
{
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
    {
        CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
        if (HBRUSH brush = CtlColor(dc, message - WM_CTLCOLORMSGBOX))
        {
            *result = reinterpret_cast<LRESULT>(brush);
            return TRUE;
        }
    }
    return FALSE;
}

HBRUSH CWnd::CtlColor(CDC*, UINT) { return nullptr; }

BOOL CWnd::PreTranslateMessage(MSG* msg)
{
    const auto& windows = ToolTipWindows();
    if (msg && m_hWnd && std::find(windows.begin(), windows.end(), m_hWnd) != windows.end())
        FilterToolTipMessage(this, msg);
    return FALSE;
}
BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }
void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}
INT_PTR CWnd::OnToolHitTest(CPoint, TOOLINFOA*) const { return -1; }
void CWnd::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    int code = HIWORD(wParam);
    if (!control)
        code = CN_COMMAND;
    else if (ReflectLastMsg(control))
        return TRUE; // the control took it
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (header->hwndFrom && ReflectLastMsg(header->hwndFrom, result))
        return TRUE; // the control took it
    return OnCmdMsg(static_cast<UINT>(header->idFrom), MAKELONG(header->code, WM_NOTIFY), const_cast<NMHDR*>(header),
                    result);
}

int CWnd::RunModalLoop(DWORD)
{
    m_bModalLoopActive = TRUE;
    m_nModalResult = -1;
    const HWND self = m_hWnd;
    winlib::RunUntil([this, self] { return !::IsWindow(self) || !ContinueModal(); });
    m_bModalLoopActive = FALSE;
    return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return m_bModalLoopActive; }

void CWnd::EndModalLoop(int result)
{
    m_nModalResult = result;
    m_bModalLoopActive = FALSE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    // Every message with a handler here is the system's own; a control's messages (LVM_, HDM_
    // ..., from WM_USER up), most of what a list is sent, go on without a walk through the tables.
    if (message >= WM_USER)
        return FALSE;
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message)
    {
    case WM_CREATE:
        *result = OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_NCDESTROY:
        OnNcDestroy();
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return TRUE;
    case WM_MOVE:
        OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return TRUE;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        return TRUE;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));
        return TRUE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_ERASEBKGND:
        *result = OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
        return TRUE;
    case WM_NCPAINT:
        OnNcPaint();
        return TRUE;
    case WM_NCHITTEST:
        *result = OnNcHitTest(point);
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return TRUE;
    case WM_SETTINGCHANGE:
        OnSettingChange(static_cast<UINT>(wParam), reinterpret_cast<LPCSTR>(lParam));
        return TRUE;
    default:
        return OnInputMsg(message, wParam, lParam, result);
    }
}

// The keyboard, the mouse, focus and activation.
BOOL CWnd::OnInputMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    const auto window = [](WPARAM h) { return FromHandle(reinterpret_cast<HWND>(h)); };
    switch (message)
    {
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_KEYUP:
        OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_SYSKEYDOWN:
        OnSysKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_RBUTTONUP:
        OnRButtonUp(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_RBUTTONDBLCLK:
        OnRButtonDblClk(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_MBUTTONDOWN:
        OnMButtonDown(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_MBUTTONUP:
        OnMButtonUp(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_MOUSEWHEEL:
        *result = OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), point);
        return TRUE;
    case WM_NCLBUTTONDOWN:
        OnNcLButtonDown(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_NCLBUTTONDBLCLK:
        OnNcLButtonDblClk(static_cast<UINT>(wParam), point);
        return TRUE;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(window(static_cast<WPARAM>(lParam)));
        return TRUE;
    case WM_SETFOCUS:
        OnSetFocus(window(wParam));
        return TRUE;
    case WM_KILLFOCUS:
        OnKillFocus(window(wParam));
        return TRUE;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam), window(static_cast<WPARAM>(lParam)), HIWORD(wParam));
        return TRUE;
    case WM_MOUSEACTIVATE:
        *result = OnMouseActivate(window(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_ENABLE:
        OnEnable(static_cast<BOOL>(wParam));
        return TRUE;
    case WM_CONTEXTMENU:
        OnContextMenu(window(wParam), point);
        return TRUE;
    case WM_SETCURSOR:
        *result = OnSetCursor(window(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    default:
        return OnControlMsg(message, wParam, lParam, result);
    }
}

// What controls send their parent: scrolling, owner draw, colours, commands and notifications.
BOOL CWnd::OnControlMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto window = [](WPARAM h) { return FromHandle(reinterpret_cast<HWND>(h)); };
    switch (message)
    {
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam),
                  lParam ? reinterpret_cast<CScrollBar*>(FromHandle(reinterpret_cast<HWND>(lParam))) : nullptr);
        return TRUE;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), HIWORD(wParam),
                  lParam ? reinterpret_cast<CScrollBar*>(FromHandle(reinterpret_cast<HWND>(lParam))) : nullptr);
        return TRUE;
    case WM_GETDLGCODE:
        *result = OnGetDlgCode();
        return TRUE;
    case WM_DRAWITEM:
        OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    case WM_MEASUREITEM:
        OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    {
        // Owner-drawn list and combo boxes ask these of their parent; the control's object answers first.
        const HWND item = !lParam                        ? nullptr
                          : message == WM_COMPAREITEM ? reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem
                                                      : reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
        return item && ReflectLastMsg(item, result);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        *result = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),
                                                       window(static_cast<WPARAM>(lParam)), message - WM_CTLCOLORMSGBOX));
        return TRUE;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
    {
        LRESULT notifyResult = 0;
        if (OnNotify(wParam, lParam, &notifyResult))
        {
            *result = notifyResult;
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }

void CWnd::OnNcDestroy()
{
    Default();
    EnableToolTips(FALSE);
    Detach();
    PostNcDestroy();
}

void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnNcPaint() { Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT dis)
{
    if (dis && dis->CtlType != ODT_MENU && ReflectLastMsg(dis->hwndItem))
        return;
    Default();
}

void CWnd::OnMeasureItem(int idCtl, LPMEASUREITEMSTRUCT mis)
{
    if (mis && mis->CtlType != ODT_MENU)
    {
        if (HWND control = ::GetDlgItem(m_hWnd, idCtl); control && ReflectLastMsg(control))
            return;
    }
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* wnd, UINT)
{
    LRESULT reflected = 0;
    if (wnd && ReflectLastMsg(wnd->m_hWnd, &reflected))
        return reinterpret_cast<HBRUSH>(reflected);
    return reinterpret_cast<HBRUSH>(Default());
}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnSettingChange(UINT, LPCSTR) { Default(); }
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }

// ---- Application ----------------------------------------------------------------------------

namespace
{
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(LPCSTR appName) : m_strAppName(appName ? appName : "")
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Run()
{
    const int code = winlib::RunMessageLoop();
    const int exitCode = ExitInstance();
    return exitCode ? exitCode : code;
}

CWinApp* AfxGetApp() { return g_app; }
LPCSTR AfxGetAppName() { return (g_app && !g_app->m_strAppName.empty()) ? g_app->m_strAppName.c_str() : nullptr; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    HWND owner = ::GetActiveWindow();
    if (!owner && AfxGetMainWnd())
        owner = AfxGetMainWnd()->m_hWnd;
    const char* caption = AfxGetAppName();
    return ::MessageBox(owner, text, caption ? caption : "Error", type);
}

int AfxMessageBox(const std::string& text, UINT type, UINT helpId) { return AfxMessageBox(text.c_str(), type, helpId); }

HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandle(nullptr); }
HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandle(nullptr); }
