// The tooltip control ("tooltips_class32"). The control window is itself the tip: a hidden
// top-level popup that the control sizes to its text and shows under the cursor once the
// mouse has rested on a tool for the initial delay. Mouse messages reach it through
// TTM_RELAYEVENT; it hides when the mouse leaves the tool, on a click, and after the
// auto-pop time.
#include "ControlUtil.h"
#include "winlib/ToolTip.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace winlib::detail
{

namespace
{

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
constexpr UINT_PTR kCheckTimer = 3;
constexpr UINT kCheckInterval = 100;
constexpr int kPaddingX = 3;
constexpr int kPaddingY = 1;
constexpr std::size_t kTextLimit = 80; // what TTM_GETTOOLINFO copies, as the system assumes

struct Tool
{
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    CRect rect;
    bool callback = false;
    std::string text;
    LPARAM lParam = 0;
    bool unicode = false; // the tool's window wants TTN_GETDISPINFOW

    bool Is(HWND window, UINT_PTR toolId) const { return hwnd == window && id == toolId; }
    HWND ToolWindow() const { return (flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(id) : hwnd; }
};

// A text pointer that is neither a string nor the callback marker: a resource number,
// which this library has no string table for.
bool IsResourceNumber(const void* text)
{
    return reinterpret_cast<UINT_PTR>(text) < 0x10000;
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text <= 0xFF ? static_cast<char>(*text) : '?';
    return out;
}

class ToolTipBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<Tool> m_tools;
    bool m_active = true;
    int m_initial = -1; // -1: the default, from the double-click time
    int m_autoPop = -1;
    int m_reshow = -1;
    int m_maxWidth = -1;
    CRect m_margin;
    COLORREF m_background = GetSysColor(COLOR_INFOBK);
    COLORREF m_foreground = GetSysColor(COLOR_INFOTEXT);

    // The tool under the mouse, as the last relayed message found it.
    bool m_hasCurrent = false;
    HWND m_currentHwnd = nullptr;
    UINT_PTR m_currentId = 0;
    bool m_shown = false;
    DWORD m_leftShownAt = 0; // when the mouse last left a tool whose tip was showing
    bool m_leftShown = false;
    bool m_suppressed = false; // clicked or timed out: no tip until the mouse leaves the tool
    POINT m_lastScreen{0, 0};  // where the last relayed message happened
    POINT m_cursorAtRelay{0, 0};
    std::string m_text;      // the text on show
    bool m_tracking = false; // TTM_TRACKACTIVATE
    POINT m_trackPosition{0, 0};

    int Delay(int which) const;
    Tool* Find(HWND window, UINT_PTR id);
    Tool* Current() { return m_hasCurrent ? Find(m_currentHwnd, m_currentId) : nullptr; }
    Tool* HitTool(HWND window, POINT client);
    CRect ToolOnScreen(const Tool& tool) const;
    UINT TextFormat(HWND hwnd) const;

    void Relay(HWND hwnd, const MSG& msg);
    void Enter(HWND hwnd, const Tool& tool);
    void Leave(HWND hwnd);
    void Show(HWND hwnd);
    void Hide(HWND hwnd);
    void Layout(HWND hwnd, const Tool& tool);
    void Notify(HWND hwnd, const Tool& tool, UINT code) const;
    std::string TextOf(HWND hwnd, Tool& tool) const;
    void FillInfo(const Tool& tool, TOOLINFOA* info) const;
    void Paint(HWND hwnd, HDC hdc) const;

    void OnTimer(HWND hwnd, UINT_PTR timer);
    LRESULT TipMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void SetDelay(int which, int time);
    void Update(HWND hwnd);
    void TrackActivate(HWND hwnd, bool on, const TOOLINFOA* info);
    void TrackPosition(HWND hwnd, POINT position);
    LRESULT ToolMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    Tool* ToolOf(const TOOLINFOA* info);
    BOOL AddTool(HWND hwnd, const TOOLINFOA& info);
    void DeleteTool(HWND hwnd, HWND window, UINT_PTR id);
    static void SetToolText(Tool& tool, const char* text);
    LRESULT GetText(HWND hwnd, Tool& tool, char* buffer, WPARAM size);
    LRESULT CurrentToolInfo(TOOLINFOA* info);
    LRESULT HitTestInfo(TTHITTESTINFOA* info);
};

int ToolTipBehaviour::Delay(int which) const
{
    const int base = static_cast<int>(GetDoubleClickTime());
    switch (which)
    {
    case TTDT_AUTOPOP:
        return m_autoPop >= 0 ? m_autoPop : base * 10;
    case TTDT_RESHOW:
        return m_reshow >= 0 ? m_reshow : base / 5;
    default:
        return m_initial >= 0 ? m_initial : base;
    }
}

Tool* ToolTipBehaviour::Find(HWND window, UINT_PTR id)
{
    const auto it =
        std::find_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.Is(window, id); });
    return it == m_tools.end() ? nullptr : &*it;
}

Tool* ToolTipBehaviour::HitTool(HWND window, POINT client)
{
    for (Tool& tool : m_tools)
    {
        if (tool.flags & TTF_IDISHWND)
        {
            const HWND whole = reinterpret_cast<HWND>(tool.id);
            if (window == whole || IsChild(whole, window))
                return &tool;
        }
        else if (tool.hwnd == window && tool.rect.PtInRect(client))
            return &tool;
    }
    return nullptr;
}

CRect ToolTipBehaviour::ToolOnScreen(const Tool& tool) const
{
    CRect r;
    if (tool.flags & TTF_IDISHWND)
    {
        GetWindowRect(reinterpret_cast<HWND>(tool.id), &r);
        return r;
    }
    r = tool.rect;
    POINT origin{0, 0};
    ClientToScreen(tool.hwnd, &origin);
    r.OffsetRect(origin.x, origin.y);
    return r;
}

UINT ToolTipBehaviour::TextFormat(HWND hwnd) const
{
    UINT format = DT_LEFT | DT_EXPANDTABS;
    if (StyleOf(hwnd) & TTS_NOPREFIX)
        format |= DT_NOPREFIX;
    format |= m_maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE;
    return format;
}

void ToolTipBehaviour::Notify(HWND hwnd, const Tool& tool, UINT code) const
{
    if (!IsWindow(tool.hwnd))
        return;
    NMHDR header{hwnd, tool.id, code};
    SendMessage(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&header));
}

std::string ToolTipBehaviour::TextOf(HWND hwnd, Tool& tool) const
{
    if (!tool.callback)
        return tool.text;
    if (!IsWindow(tool.hwnd))
        return {};
    std::string text;
    UINT flags = 0;
    if (tool.unicode)
    {
        NMTTDISPINFOW info{};
        info.hdr = NMHDR{hwnd, tool.id, TTN_GETDISPINFOW};
        info.lpszText = info.szText;
        info.uFlags = tool.flags;
        info.lParam = tool.lParam;
        SendMessage(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&info));
        if (info.lpszText && info.lpszText != LPSTR_TEXTCALLBACKW && !IsResourceNumber(info.lpszText))
            text = Narrow(info.lpszText);
        flags = info.uFlags;
    }
    else
    {
        NMTTDISPINFOA info{};
        info.hdr = NMHDR{hwnd, tool.id, TTN_GETDISPINFOA};
        info.lpszText = info.szText;
        info.uFlags = tool.flags;
        info.lParam = tool.lParam;
        SendMessage(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&info));
        if (info.lpszText && info.lpszText != LPSTR_TEXTCALLBACKA && !IsResourceNumber(info.lpszText))
            text = info.lpszText;
        flags = info.uFlags;
    }
    if (flags & TTF_DI_SETITEM)
    {
        // The answer is kept: the tool stops asking.
        tool.callback = false;
        tool.text = text;
    }
    return text;
}

void ToolTipBehaviour::FillInfo(const Tool& tool, TOOLINFOA* info) const
{
    info->uFlags = tool.flags;
    info->hwnd = tool.hwnd;
    info->uId = tool.id;
    info->rect = tool.rect;
    info->hinst = nullptr;
    info->lParam = tool.lParam;
    if (tool.callback)
        info->lpszText = LPSTR_TEXTCALLBACK;
    else if (info->lpszText && info->lpszText != LPSTR_TEXTCALLBACK && !IsResourceNumber(info->lpszText))
    {
        const std::size_t n = std::min(tool.text.size(), kTextLimit - 1);
        std::memcpy(info->lpszText, tool.text.data(), n);
        info->lpszText[n] = '\0';
    }
}

void ToolTipBehaviour::Enter(HWND hwnd, const Tool& tool)
{
    // Coming from a tip that was showing a moment ago, the next one follows quickly.
    const bool wasShown =
        m_shown || (m_leftShown && GetTickCount() - m_leftShownAt <= static_cast<DWORD>(Delay(TTDT_INITIAL)));
    Hide(hwnd);
    m_hasCurrent = true;
    m_currentHwnd = tool.hwnd;
    m_currentId = tool.id;
    m_suppressed = false;
    // Moving from one tip straight to the next tool shows it after the shorter reshow delay.
    SetTimer(hwnd, kShowTimer, static_cast<UINT>(Delay(wasShown ? TTDT_RESHOW : TTDT_INITIAL)), nullptr);
    SetTimer(hwnd, kCheckTimer, kCheckInterval, nullptr);
}

void ToolTipBehaviour::Leave(HWND hwnd)
{
    m_leftShown = m_shown;
    m_leftShownAt = GetTickCount();
    Hide(hwnd);
    KillTimer(hwnd, kShowTimer);
    KillTimer(hwnd, kCheckTimer);
    m_hasCurrent = false;
    m_suppressed = false;
}

void ToolTipBehaviour::Relay(HWND hwnd, const MSG& msg)
{
    if (!m_active || m_tracking)
        return;
    switch (msg.message)
    {
    case WM_MOUSEMOVE:
    {
        const POINT client{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        POINT screen = client;
        ClientToScreen(msg.hwnd, &screen);
        const bool moved = screen.x != m_lastScreen.x || screen.y != m_lastScreen.y;
        m_lastScreen = screen;
        GetCursorPos(&m_cursorAtRelay);
        const Tool* tool = HitTool(msg.hwnd, client);
        if (!tool)
        {
            if (m_hasCurrent)
                Leave(hwnd);
            return;
        }
        if (!m_hasCurrent || !tool->Is(m_currentHwnd, m_currentId))
        {
            Enter(hwnd, *tool);
            return;
        }
        // Still on the same tool: the tip waits for the mouse to rest.
        if (!m_shown && !m_suppressed && moved)
            SetTimer(hwnd, kShowTimer, static_cast<UINT>(Delay(TTDT_INITIAL)), nullptr);
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        Hide(hwnd);
        KillTimer(hwnd, kShowTimer);
        m_suppressed = m_hasCurrent;
        return;
    case WM_NCMOUSEMOVE:
        if (m_hasCurrent)
            Leave(hwnd);
        return;
    default:
        return;
    }
}

void ToolTipBehaviour::Layout(HWND hwnd, const Tool& tool)
{
    const HDC hdc = GetDC(hwnd);
    const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
    CRect text(0, 0, m_maxWidth > 0 ? m_maxWidth : 0, 0);
    DrawText(hdc, m_text.c_str(), static_cast<int>(m_text.size()), &text, TextFormat(hwnd) | DT_CALCRECT);
    SelectObject(hdc, oldFont);
    ReleaseDC(hwnd, hdc);

    const int border = 2 * GetSystemMetrics(SM_CXBORDER);
    const int width = text.Width() + 2 * kPaddingX + m_margin.left + m_margin.right + border;
    const int height = text.Height() + 2 * kPaddingY + m_margin.top + m_margin.bottom + border;
    CPoint at;
    if (m_tracking)
        at = m_trackPosition;
    else if (tool.flags & TTF_CENTERTIP)
    {
        const CRect r = ToolOnScreen(tool);
        at = CPoint(r.CenterPoint().x - width / 2, r.bottom);
    }
    else
        at = CPoint(m_lastScreen.x, m_lastScreen.y + GetSystemMetrics(SM_CYCURSOR) * 5 / 8);
    // Keep it on the screen: above the point rather than below the bottom edge.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (at.x + width > screenWidth)
        at.x = screenWidth - width;
    if (at.y + height > screenHeight)
        at.y = m_lastScreen.y - height;
    at.x = std::max<LONG>(0, at.x);
    at.y = std::max<LONG>(0, at.y);
    SetWindowPos(hwnd, HWND_TOPMOST, at.x, at.y, width, height, SWP_NOACTIVATE);
}

void ToolTipBehaviour::Show(HWND hwnd)
{
    KillTimer(hwnd, kShowTimer);
    Tool* tool = Current();
    if (!tool || !m_active)
        return;
    m_text = TextOf(hwnd, *tool);
    tool = Current(); // the answer may have changed the tools
    if (!tool || m_text.empty())
        return;
    Layout(hwnd, *tool);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, TRUE);
    m_shown = true;
    Notify(hwnd, *tool, TTN_SHOW);
    if (!m_tracking)
        SetTimer(hwnd, kPopTimer, static_cast<UINT>(Delay(TTDT_AUTOPOP)), nullptr);
}

void ToolTipBehaviour::Hide(HWND hwnd)
{
    KillTimer(hwnd, kPopTimer);
    if (!m_shown)
        return;
    m_shown = false;
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW | SWP_NOACTIVATE);
    if (const Tool* tool = Current())
        Notify(hwnd, *tool, TTN_POP);
}

void ToolTipBehaviour::Paint(HWND hwnd, HDC hdc) const
{
    CRect client = ClientOf(hwnd);
    const HBRUSH background = CreateSolidBrush(m_background);
    FillRect(hdc, &client, background);
    DeleteObject(background);
    const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
    SetTextColor(hdc, m_foreground);
    SetBkMode(hdc, TRANSPARENT);
    CRect text(client.left + kPaddingX + m_margin.left, client.top + kPaddingY + m_margin.top,
               client.right - kPaddingX - m_margin.right, client.bottom - kPaddingY - m_margin.bottom);
    DrawText(hdc, m_text.c_str(), static_cast<int>(m_text.size()), &text, TextFormat(hwnd));
    SelectObject(hdc, oldFont);
}

LRESULT ToolTipBehaviour::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_USER)
        return TipMessage(hwnd, message, wParam, lParam);
    switch (message)
    {
    case WM_CREATE:
        // The tip draws a border of its own and never joins the task bar or takes activation.
        SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>((StyleOf(hwnd) & ~WS_CHILD) | WS_POPUP | WS_BORDER));
        SetWindowLong(hwnd, GWL_EXSTYLE,
                      GetWindowLong(hwnd, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // The mouse got onto the tip itself: it makes way.
        Hide(hwnd);
        m_suppressed = m_hasCurrent;
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        const HDC hdc = BeginPaint(hwnd, &ps);
        Paint(hwnd, hdc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER:
        OnTimer(hwnd, wParam);
        return 0;
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void ToolTipBehaviour::OnTimer(HWND hwnd, UINT_PTR timer)
{
    if (timer == kShowTimer)
        Show(hwnd);
    else if (timer == kPopTimer)
    {
        Hide(hwnd);
        m_suppressed = m_hasCurrent;
    }
    else if (timer == kCheckTimer)
    {
        // The mouse may have left without a relayed message (onto another window).
        POINT cursor;
        GetCursorPos(&cursor);
        const Tool* tool = Current();
        const bool cursorMoved = cursor.x != m_cursorAtRelay.x || cursor.y != m_cursorAtRelay.y;
        if (!tool || !IsWindow(tool->ToolWindow()) || !IsWindowVisible(tool->ToolWindow()) ||
            (cursorMoved && !ToolOnScreen(*tool).PtInRect(cursor)))
            Leave(hwnd);
    }
}

// The control's messages about the tip itself: showing, timing and looks; tools go on.
LRESULT ToolTipBehaviour::TipMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case TTM_RELAYEVENT:
        if (const MSG* msg = reinterpret_cast<const MSG*>(lParam); msg && IsWindow(msg->hwnd))
            Relay(hwnd, *msg);
        return 0;
    case TTM_WINDOWFROMPOINT:
        return reinterpret_cast<LRESULT>(WindowFromPoint(*reinterpret_cast<const POINT*>(lParam)));
    case TTM_ACTIVATE:
        m_active = wParam != 0;
        if (!m_active)
            Leave(hwnd);
        return 0;
    case TTM_SETDELAYTIME:
        SetDelay(static_cast<int>(wParam), static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam))));
        return 0;
    case TTM_GETDELAYTIME:
        return Delay(static_cast<int>(wParam));
    case TTM_SETMAXTIPWIDTH:
        return std::exchange(m_maxWidth, static_cast<int>(lParam));
    case TTM_GETMAXTIPWIDTH:
        return m_maxWidth;
    case TTM_SETMARGIN:
        if (lParam)
            m_margin = *reinterpret_cast<const RECT*>(lParam);
        return 0;
    case TTM_GETMARGIN:
        if (lParam)
            *reinterpret_cast<RECT*>(lParam) = m_margin;
        return 0;
    case TTM_SETTIPBKCOLOR:
        m_background = static_cast<COLORREF>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        m_foreground = static_cast<COLORREF>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TTM_GETTIPBKCOLOR:
        return static_cast<LRESULT>(m_background);
    case TTM_GETTIPTEXTCOLOR:
        return static_cast<LRESULT>(m_foreground);
    case TTM_POP:
        Hide(hwnd);
        KillTimer(hwnd, kShowTimer);
        m_suppressed = m_hasCurrent;
        return 0;
    case TTM_POPUP:
        if (m_hasCurrent)
            Show(hwnd);
        return 0;
    case TTM_UPDATE:
        Update(hwnd);
        return 0;
    case TTM_TRACKACTIVATE:
        TrackActivate(hwnd, wParam != 0, reinterpret_cast<const TOOLINFOA*>(lParam));
        return 0;
    case TTM_TRACKPOSITION:
        TrackPosition(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case TTM_SETTITLEA:
        return TRUE;
    default:
        return ToolMessage(hwnd, message, wParam, lParam);
    }
}

void ToolTipBehaviour::SetDelay(int which, int time)
{
    switch (which)
    {
    case TTDT_AUTOMATIC:
        m_initial = time;
        m_autoPop = time >= 0 ? time * 10 : -1;
        m_reshow = time >= 0 ? time / 5 : -1;
        break;
    case TTDT_INITIAL:
        m_initial = time;
        break;
    case TTDT_AUTOPOP:
        m_autoPop = time;
        break;
    case TTDT_RESHOW:
        m_reshow = time;
        break;
    default:
        break;
    }
}

void ToolTipBehaviour::Update(HWND hwnd)
{
    Tool* tool = m_shown ? Current() : nullptr;
    if (!tool)
        return;
    m_text = TextOf(hwnd, *tool);
    if (m_text.empty())
        Hide(hwnd);
    else if ((tool = Current()) != nullptr)
    {
        Layout(hwnd, *tool);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void ToolTipBehaviour::TrackActivate(HWND hwnd, bool on, const TOOLINFOA* info)
{
    const bool known = on && ToolOf(info);
    Hide(hwnd);
    if (!known)
    {
        m_tracking = false;
        m_hasCurrent = false;
        return;
    }
    m_tracking = true;
    m_hasCurrent = true;
    m_currentHwnd = info->hwnd;
    m_currentId = info->uId;
    Show(hwnd);
}

void ToolTipBehaviour::TrackPosition(HWND hwnd, POINT position)
{
    m_trackPosition = position;
    if (m_tracking && m_shown)
    {
        if (const Tool* tool = Current())
            Layout(hwnd, *tool);
    }
}

// The control's messages about its tools.
LRESULT ToolTipBehaviour::ToolMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
    switch (message)
    {
    case TTM_ADDTOOLA:
        return info ? AddTool(hwnd, *info) : FALSE;
    case TTM_DELTOOLA:
        if (ToolOf(info))
            DeleteTool(hwnd, info->hwnd, info->uId);
        return 0;
    case TTM_NEWTOOLRECTA:
        if (Tool* tool = ToolOf(info))
            tool->rect = info->rect;
        return 0;
    case TTM_GETTOOLINFOA:
        if (const Tool* tool = ToolOf(info))
        {
            FillInfo(*tool, reinterpret_cast<TOOLINFOA*>(lParam));
            return TRUE;
        }
        return FALSE;
    case TTM_SETTOOLINFOA:
        if (Tool* tool = ToolOf(info))
        {
            tool->flags = info->uFlags;
            tool->rect = info->rect;
            tool->lParam = info->lParam;
            SetToolText(*tool, info->lpszText);
        }
        return 0;
    case TTM_UPDATETIPTEXTA:
        if (Tool* tool = ToolOf(info))
        {
            SetToolText(*tool, info->lpszText);
            if (m_shown && tool == Current())
                SendMessage(hwnd, TTM_UPDATE, 0, 0);
        }
        return 0;
    case TTM_GETTEXTA:
        if (Tool* tool = ToolOf(info))
            return GetText(hwnd, *tool, info->lpszText, wParam);
        return 0;
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(m_tools.size());
    case TTM_ENUMTOOLSA:
        if (!lParam || wParam >= m_tools.size())
            return FALSE;
        FillInfo(m_tools[wParam], reinterpret_cast<TOOLINFOA*>(lParam));
        return TRUE;
    case TTM_GETCURRENTTOOLA:
        return CurrentToolInfo(reinterpret_cast<TOOLINFOA*>(lParam));
    case TTM_HITTESTA:
        return HitTestInfo(reinterpret_cast<TTHITTESTINFOA*>(lParam));
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

BOOL ToolTipBehaviour::AddTool(HWND hwnd, const TOOLINFOA& info)
{
    Tool tool;
    tool.flags = info.uFlags;
    tool.hwnd = info.hwnd;
    tool.id = info.uId;
    tool.rect = info.rect;
    tool.lParam = info.lParam;
    SetToolText(tool, info.lpszText);
    if (tool.hwnd)
        tool.unicode =
            SendMessage(tool.hwnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_QUERY) == NFR_UNICODE;
    if (Tool* existing = Find(tool.hwnd, tool.id))
        *existing = std::move(tool);
    else
        m_tools.push_back(std::move(tool));
    return TRUE;
}

Tool* ToolTipBehaviour::ToolOf(const TOOLINFOA* info)
{
    return info ? Find(info->hwnd, info->uId) : nullptr;
}

void ToolTipBehaviour::DeleteTool(HWND hwnd, HWND window, UINT_PTR id)
{
    if (m_hasCurrent && m_currentHwnd == window && m_currentId == id)
        Leave(hwnd);
    m_tools.erase(
        std::remove_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.Is(window, id); }),
        m_tools.end());
}

void ToolTipBehaviour::SetToolText(Tool& tool, const char* text)
{
    tool.callback = text == LPSTR_TEXTCALLBACK;
    tool.text = (!tool.callback && text && !IsResourceNumber(text)) ? text : "";
}

LRESULT ToolTipBehaviour::GetText(HWND hwnd, Tool& tool, char* buffer, WPARAM size)
{
    if (!buffer || buffer == LPSTR_TEXTCALLBACK)
        return 0;
    const std::string text = TextOf(hwnd, tool);
    const std::size_t room = size ? static_cast<std::size_t>(size) : kTextLimit;
    const std::size_t n = std::min(text.size(), room - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT ToolTipBehaviour::CurrentToolInfo(TOOLINFOA* info)
{
    const Tool* tool = m_shown ? Current() : nullptr;
    if (tool && info)
        FillInfo(*tool, info);
    return tool ? TRUE : FALSE;
}

LRESULT ToolTipBehaviour::HitTestInfo(TTHITTESTINFOA* info)
{
    const Tool* tool = info ? HitTool(info->hwnd, info->pt) : nullptr;
    if (!tool)
        return FALSE;
    info->ti.lpszText = nullptr;
    FillInfo(*tool, &info->ti);
    return TRUE;
}

} // namespace

void RegisterToolTipClass()
{
    State::Get().RegisterBuiltin(
        TOOLTIPS_CLASS, [] { return std::make_unique<ToolTipBehaviour>(); }, -1, CS_SAVEBITS | CS_DBLCLKS);
}

} // namespace winlib::detail
