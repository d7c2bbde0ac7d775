// Sending and posting messages, the queue and its pump, timers, the PreTranslateMessage
// walk and the thread-safe entry for other threads.
#include "Internal.h"
#include "winlib/Runtime.h"

#include <algorithm>
#include <climits>
#include <map>

namespace winlib::detail
{

namespace
{
// The message being handled now, for CWnd::Default and AfxGetCurrentMessage.
thread_local MSG g_currentMessage{};
} // namespace

LRESULT CallClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return 0;
    if (w->behaviour)
        return w->behaviour->Proc(hwnd, message, wParam, lParam);
    if (w->cls->proc)
        return w->cls->proc(hwnd, message, wParam, lParam);
    return ::DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return 0;
    const MSG saved = g_currentMessage;
    g_currentMessage = MSG{hwnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result;
    if (w->object && w->routed)
        result = g_objectHooks.windowProc(w->object, message, wParam, lParam);
    else
        result = CallClassProc(hwnd, message, wParam, lParam);
    g_currentMessage = saved;
    return result;
}

const MSG& CurrentMessage()
{
    return g_currentMessage;
}

void ProcessKeyState(UINT message, WPARAM vk)
{
    State& s = State::Get();
    const auto set = [&s](int key, bool down)
    {
        BYTE& k = s.keys[key & 0xFF];
        if (down)
        {
            if (!(k & 0x80))
                k ^= 0x01; // toggle state flips on each press
            k |= 0x80;
        }
        else
            k &= static_cast<BYTE>(~0x80);
    };
    switch (message)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        set(static_cast<int>(vk), true);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        set(static_cast<int>(vk), false);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        set(VK_LBUTTON, true);
        break;
    case WM_LBUTTONUP:
        set(VK_LBUTTON, false);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        set(VK_RBUTTON, true);
        break;
    case WM_RBUTTONUP:
        set(VK_RBUTTON, false);
        break;
    default:
        break;
    }
    // The generic shift keys follow their left and right variants.
    for (const auto& [generic, left, right] :
         {std::tuple{VK_SHIFT, VK_LSHIFT, VK_RSHIFT}, std::tuple{VK_CONTROL, VK_LCONTROL, VK_RCONTROL},
          std::tuple{VK_MENU, VK_LMENU, VK_RMENU}})
    {
        if (static_cast<int>(vk) == left || static_cast<int>(vk) == right)
            set(generic, (s.keys[left] | s.keys[right]) & 0x80);
    }
}

namespace
{

bool IsInputMessage(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCRBUTTONUP);
}

// Picks the timer that is due first; null when none is due.
Timer* DueTimer(DWORD now)
{
    State& s = State::Get();
    Timer* best = nullptr;
    for (Timer& t : s.timers)
    {
        if (t.pending || static_cast<int>(now - t.due) < 0)
            continue;
        if (!best || static_cast<int>(t.due - best->due) < 0)
            best = &t;
    }
    return best;
}

void DispatchQueued(MSG& msg)
{
    State& s = State::Get();
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && (msg.lParam & kDeviceKeyBit))
    {
        msg.lParam &= ~kDeviceKeyBit;
        msg.hwnd = KeyboardTarget();
        if (!msg.hwnd)
            return;
    }
    s.lastMessage = msg;
    if (msg.hwnd && !s.Find(msg.hwnd))
        return;
    if (IsInputMessage(msg.message))
    {
        ProcessKeyState(msg.message, msg.wParam);
        if (FilterTrackingMessage(msg))
            return;
    }
    if (msg.message == WM_TIMER)
    {
        for (Timer& t : s.timers)
        {
            if (t.hwnd == msg.hwnd && t.id == msg.wParam)
                t.pending = false;
        }
    }
    if (msg.hwnd && winlib::WalkPreTranslateTree(&msg))
        return;
    ::DispatchMessage(&msg);
}

} // namespace

} // namespace winlib::detail

using namespace winlib::detail;

const MSG* AfxGetCurrentMessage()
{
    return &CurrentMessage();
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    State& s = State::Get();
    if (hwnd && !s.Find(hwnd))
        return FALSE;
    s.queue.push_back(MSG{hwnd, message, wParam, lParam, GetTickCount(), s.cursor});
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    State& s = State::Get();
    s.quit = true;
    s.quitCode = exitCode;
}

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    State& s = State::Get();
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it)
    {
        if (hwnd && it->hwnd != hwnd && !IsChild(hwnd, it->hwnd))
            continue;
        if ((filterMin || filterMax) && (it->message < filterMin || it->message > filterMax))
            continue;
        *msg = *it;
        if (removeFlags & PM_REMOVE)
            s.queue.erase(it);
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    State& s = State::Get();
    winlib::RunUntil([&] { return s.quit || PeekMessage(msg, hwnd, filterMin, filterMax, PM_NOREMOVE); });
    if (s.quit)
    {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, GetTickCount(), s.cursor};
        return FALSE;
    }
    return PeekMessage(msg, hwnd, filterMin, filterMax, PM_REMOVE);
}

// Character messages are generated by the input layer itself (from the key and the text
// the keyboard produced), so there is nothing left to translate here.
BOOL TranslateMessage(const MSG*)
{
    return FALSE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam)
    {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    return Dispatch(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

UINT RegisterWindowMessage(LPCSTR name)
{
    if (!name || !*name)
        return 0;
    State& s = State::Get();
    const std::string key = ToLower(name);
    const auto it = s.registeredMessages.find(key);
    if (it != s.registeredMessages.end())
        return it->second;
    const UINT id = s.nextRegisteredMessage++;
    s.registeredMessages.emplace(key, id);
    return id;
}

DWORD GetMessagePos()
{
    const POINT pt = State::Get().lastMessage.pt;
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
}

LONG GetMessageTime()
{
    return static_cast<LONG>(State::Get().lastMessage.time);
}

DWORD GetTickCount()
{
    return winlib::GetBackend().Now();
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    State& s = State::Get();
    if (hwnd && !s.Find(hwnd))
        return 0;
    if (!hwnd)
    {
        static UINT_PTR nextId = 0x7000;
        id = ++nextId;
    }
    const UINT elapse = std::max<UINT>(elapseMs, 10);
    const DWORD due = GetTickCount() + elapse;
    for (Timer& t : s.timers)
    {
        if (t.hwnd == hwnd && t.id == id)
        {
            t.elapse = elapse;
            t.proc = proc;
            t.due = due;
            return id ? id : 1;
        }
    }
    s.timers.push_back(Timer{hwnd, id, elapse, proc, due, false});
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    State& s = State::Get();
    const auto it = std::find_if(s.timers.begin(), s.timers.end(),
                                 [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == s.timers.end())
        return FALSE;
    s.timers.erase(it);
    // A WM_TIMER already waiting in the queue is removed too, as the system does.
    s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(),
                                 [&](const MSG& m)
                                 { return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id; }),
                  s.queue.end());
    return TRUE;
}

namespace winlib
{

void PostToUiThread(std::function<void()> task)
{
    State& s = State::Get();
    {
        std::lock_guard<std::mutex> lock(s.taskLock);
        s.tasks.push_back(std::move(task));
    }
    GetBackend().Wake();
}

bool PumpOne()
{
    State& s = State::Get();
    std::function<void()> task;
    {
        std::lock_guard<std::mutex> lock(s.taskLock);
        if (!s.tasks.empty())
        {
            task = std::move(s.tasks.front());
            s.tasks.pop_front();
        }
    }
    if (task)
    {
        task();
        return true;
    }
    if (!s.queue.empty())
    {
        MSG msg = s.queue.front();
        s.queue.pop_front();
        DispatchQueued(msg);
        return true;
    }
    const DWORD now = GetTickCount();
    if (Timer* t = DueTimer(now))
    {
        t->due = now + t->elapse;
        MSG msg{t->hwnd, WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc), now, s.cursor};
        DispatchQueued(msg);
        return true;
    }
    if (HWND hwnd = FindWindowNeedingPaint())
    {
        PaintWindowNow(hwnd);
        return true;
    }
    return false;
}

namespace
{
std::map<int, std::function<void()>>& IdleHandlers()
{
    static std::map<int, std::function<void()>> handlers;
    return handlers;
}

// Runs the idle handlers once; true when they left new work behind.
bool RunIdleHandlers()
{
    if (IdleHandlers().empty())
        return false;
    const auto handlers = IdleHandlers();
    for (const auto& [id, handler] : handlers)
    {
        if (IdleHandlers().count(id))
            handler();
    }
    return !State::Get().queue.empty();
}
} // namespace

int AddIdleHandler(std::function<void()> handler)
{
    static int nextId = 0;
    IdleHandlers().emplace(++nextId, std::move(handler));
    return nextId;
}

void RemoveIdleHandler(int id)
{
    IdleHandlers().erase(id);
}

int PumpPending()
{
    int count = 0;
    for (;;)
    {
        while (PumpOne())
            ++count;
        if (count == 0 || !RunIdleHandlers())
            break;
    }
    return count;
}

namespace
{
int MillisecondsToNextTimer()
{
    State& s = State::Get();
    if (s.timers.empty())
        return -1;
    const DWORD now = GetTickCount();
    int best = INT_MAX;
    for (const Timer& t : s.timers)
        best = std::min(best, std::max(0, static_cast<int>(t.due - now)));
    return best;
}
} // namespace

void RunUntil(const std::function<bool()>& done)
{
    HeadlessBackend* headless = GetHeadlessBackend();
    const bool manual = headless && headless->ManualClock();
    bool busy = true;
    while (!done())
    {
        if (PumpOne())
        {
            busy = true;
            continue;
        }
        if (busy)
        {
            busy = false;
            if (RunIdleHandlers())
                continue;
        }
        if (manual)
            return;
        if (State::Get().quit)
            return;
        GetBackend().WaitForEvents(MillisecondsToNextTimer());
    }
}

int RunMessageLoop()
{
    State& s = State::Get();
    RunUntil([&s] { return s.quit; });
    return s.quitCode;
}

bool QuitRequested()
{
    return State::Get().quit;
}

bool IsIdle()
{
    State& s = State::Get();
    {
        std::lock_guard<std::mutex> lock(s.taskLock);
        if (!s.tasks.empty())
            return false;
    }
    return s.queue.empty() && !DueTimer(GetTickCount()) && !FindWindowNeedingPaint();
}

bool WalkPreTranslateTree(MSG* msg)
{
    State& s = State::Get();
    const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                       (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    for (HWND hwnd = msg->hwnd; hwnd;)
    {
        WindowRecord* w = s.Find(hwnd);
        if (!w)
            return false;
        const HWND parent = w->parent;
        if (w->object && g_objectHooks.preTranslate(w->object, msg))
            return true;
        // A dialog without a class-library object (a message box, a dialog of the raw
        // functions) gets the dialog manager's keyboard as its own loop would give it.
        if (!w->object && input && !parent && w->cls->name == "#32770" && ::IsDialogMessage(hwnd, msg))
            return true;
        hwnd = parent;
    }
    return false;
}

} // namespace winlib
