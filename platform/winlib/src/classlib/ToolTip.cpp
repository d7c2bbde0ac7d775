// CToolTipCtrl, and the class library's tooltips for windows that call EnableToolTips:
// one tooltip control for the process, fed from CWnd::PreTranslateMessage with the tool
// that the window's OnToolHitTest reports under the mouse. A text that OnToolHitTest
// gives is copied at once; the window keeps what it allocated.
#include "winlib/ToolTip.h"
#include "Internal.h"

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    return CreateEx(parent, style, 0);
}

BOOL CToolTipCtrl::CreateEx(CWnd* parent, DWORD style, DWORD exStyle)
{
    return CWnd::CreateEx(exStyle | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASS, nullptr,
                          (style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP, 0, 0, 0, 0,
                          parent ? parent->GetSafeHwnd() : nullptr, nullptr);
}

TOOLINFOA CToolTipCtrl::MakeInfo(CWnd* wnd, UINT_PTR id, bool wholeWindow) const
{
    TOOLINFOA info{};
    info.cbSize = sizeof(TOOLINFOA);
    const HWND hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    if (wholeWindow && hwnd)
    {
        // The whole window is the tool; the window that holds it answers for it.
        const HWND parent = ::GetParent(hwnd);
        info.hwnd = parent ? parent : hwnd;
        info.uId = reinterpret_cast<UINT_PTR>(hwnd);
        info.uFlags = TTF_IDISHWND;
    }
    else
    {
        info.hwnd = hwnd;
        info.uId = id;
    }
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCSTR text, LPCRECT rect, UINT_PTR id)
{
    if (!wnd)
        return FALSE;
    TOOLINFOA info = MakeInfo(wnd, id, id == 0 && !rect);
    if (rect && !(info.uFlags & TTF_IDISHWND))
        info.rect = *rect;
    info.lpszText = const_cast<LPSTR>(text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id)
{
    TOOLINFOA info = MakeInfo(wnd, id, id == 0);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(CWnd* wnd, UINT_PTR id, LPCRECT rect)
{
    if (!rect)
        return;
    TOOLINFOA info = MakeInfo(wnd, id, id == 0);
    info.rect = *rect;
    SendMessage(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* wnd, UINT_PTR id)
{
    TOOLINFOA info = MakeInfo(wnd, id, id == 0);
    info.lpszText = const_cast<LPSTR>(text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT, 0, 0));
}

BOOL CToolTipCtrl::GetToolInfo(TOOLINFOA& info, CWnd* wnd, UINT_PTR id) const
{
    const LPSTR buffer = info.lpszText;
    info = MakeInfo(wnd, id, id == 0);
    info.lpszText = buffer;
    return static_cast<BOOL>(SendMessage(TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::SetToolInfo(LPTOOLINFOA info)
{
    SendMessage(TTM_SETTOOLINFOA, 0, reinterpret_cast<LPARAM>(info));
}

void CToolTipCtrl::GetText(std::string& text, CWnd* wnd, UINT_PTR id) const
{
    char buffer[1024] = {};
    TOOLINFOA info = MakeInfo(wnd, id, id == 0);
    info.lpszText = buffer;
    SendMessage(TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
    text = buffer;
}

BOOL CToolTipCtrl::HitTest(CWnd* wnd, CPoint point, LPTOOLINFOA info) const
{
    if (!wnd || !info)
        return FALSE;
    TTHITTESTINFOA hit{};
    hit.hwnd = wnd->GetSafeHwnd();
    hit.pt = point;
    hit.ti.cbSize = sizeof(TOOLINFOA);
    if (!SendMessage(TTM_HITTESTA, 0, reinterpret_cast<LPARAM>(&hit)))
        return FALSE;
    *info = hit.ti;
    return TRUE;
}

BOOL CToolTipCtrl::GetCurrentTool(LPTOOLINFOA info) const
{
    return static_cast<BOOL>(SendMessage(TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(info)));
}

void CToolTipCtrl::RelayEvent(LPMSG msg)
{
    SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}
void CToolTipCtrl::Activate(BOOL activate)
{
    SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate), 0);
}

void CToolTipCtrl::SetDelayTime(UINT delay)
{
    SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(delay, 0));
}

void CToolTipCtrl::SetDelayTime(DWORD duration, int time)
{
    SendMessage(TTM_SETDELAYTIME, duration, MAKELPARAM(static_cast<WORD>(time), 0));
}

int CToolTipCtrl::GetDelayTime(DWORD duration) const
{
    return static_cast<int>(SendMessage(TTM_GETDELAYTIME, duration, 0));
}
int CToolTipCtrl::SetMaxTipWidth(int width)
{
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width));
}
int CToolTipCtrl::GetMaxTipWidth() const
{
    return static_cast<int>(SendMessage(TTM_GETMAXTIPWIDTH, 0, 0));
}
void CToolTipCtrl::SetMargin(LPRECT rect)
{
    SendMessage(TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(rect));
}
void CToolTipCtrl::GetMargin(LPRECT rect) const
{
    SendMessage(TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(rect));
}
void CToolTipCtrl::SetTipBkColor(COLORREF color)
{
    SendMessage(TTM_SETTIPBKCOLOR, color, 0);
}
COLORREF CToolTipCtrl::GetTipBkColor() const
{
    return static_cast<COLORREF>(SendMessage(TTM_GETTIPBKCOLOR, 0, 0));
}
void CToolTipCtrl::SetTipTextColor(COLORREF color)
{
    SendMessage(TTM_SETTIPTEXTCOLOR, color, 0);
}
COLORREF CToolTipCtrl::GetTipTextColor() const
{
    return static_cast<COLORREF>(SendMessage(TTM_GETTIPTEXTCOLOR, 0, 0));
}
void CToolTipCtrl::Pop()
{
    SendMessage(TTM_POP, 0, 0);
}
void CToolTipCtrl::Update()
{
    SendMessage(TTM_UPDATE, 0, 0);
}

// ---- Tooltips of windows with EnableToolTips ------------------------------------------------

namespace winlib::detail
{

namespace
{

// The process-wide tooltip control and the one tool it holds: the last hit that a window
// with tooltips enabled reported.
struct ProcessToolTip
{
    HWND tip = nullptr;
    bool hasTool = false;
    HWND owner = nullptr; // the window whose OnToolHitTest reported the tool
    INT_PTR hit = -1;
    HWND toolWindow = nullptr; // TOOLINFO hwnd of the tool
    UINT_PTR toolId = 0;
    // The message handled last, so that nested windows with tooltips see it once.
    const MSG* lastMessage = nullptr;
    MSG lastCopy{};
};

ProcessToolTip& Process()
{
    static ProcessToolTip process;
    return process;
}

HWND ProcessTip()
{
    ProcessToolTip& p = Process();
    if (IsWindow(p.tip) && GetClassNameString(p.tip) == TOOLTIPS_CLASS)
        return p.tip;
    p = ProcessToolTip{};
    p.tip = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASS, "", WS_POPUP | TTS_ALWAYSTIP, 0,
                           0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    return p.tip;
}

void DropTool()
{
    ProcessToolTip& p = Process();
    if (p.hasTool && IsWindow(p.tip))
    {
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.hwnd = p.toolWindow;
        info.uId = p.toolId;
        SendMessage(p.tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    p.hasTool = false;
    p.owner = nullptr;
    p.hit = -1;
}

bool IsMouse(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCRBUTTONUP);
}

bool SameMessage(const MSG& a, const MSG& b)
{
    return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam &&
           a.time == b.time && a.pt.x == b.pt.x && a.pt.y == b.pt.y;
}

} // namespace

void FilterToolTipMessage(CWnd* owner, MSG* msg)
{
    ProcessToolTip& p = Process();
    const HWND self = owner->GetSafeHwnd();
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)
    {
        if (p.owner == self && IsWindow(p.tip))
            SendMessage(p.tip, TTM_POP, 0, 0);
        return;
    }
    if (!IsMouse(msg->message))
        return;
    if (p.lastMessage == msg && SameMessage(p.lastCopy, *msg))
        return;
    p.lastMessage = msg;
    p.lastCopy = *msg;

    CPoint client(msg->pt);
    ScreenToClient(self, &client);
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    const INT_PTR hit = owner->OnToolHitTest(client, &info);
    if (hit == -1)
    {
        if (p.owner == self)
            DropTool();
        return;
    }
    const HWND toolWindow = info.hwnd ? info.hwnd : self;
    const HWND tip = ProcessTip();
    if (!tip)
        return;
    if (!p.hasTool || p.owner != self || p.hit != hit || p.toolWindow != toolWindow || p.toolId != info.uId)
    {
        DropTool();
        TOOLINFOA tool = info;
        tool.cbSize = sizeof tool;
        tool.hwnd = toolWindow;
        if (!(tool.uFlags & TTF_IDISHWND) && CRect(tool.rect).IsRectEmpty())
            GetClientRect(toolWindow, &tool.rect);
        if (!tool.lpszText)
            tool.lpszText = LPSTR_TEXTCALLBACK;
        SendMessage(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        p.hasTool = true;
        p.owner = self;
        p.hit = hit;
        p.toolWindow = toolWindow;
        p.toolId = info.uId;
    }
    // Relayed as the tool's own window would have received it.
    MSG relayed = *msg;
    relayed.hwnd = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : toolWindow;
    if (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST && msg->message != WM_MOUSEWHEEL)
    {
        POINT at = msg->pt;
        ScreenToClient(relayed.hwnd, &at);
        relayed.lParam = MAKELPARAM(at.x, at.y);
    }
    SendMessage(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void ForgetToolTipOwner(HWND owner)
{
    if (Process().owner == owner)
        DropTool();
}

} // namespace winlib::detail
