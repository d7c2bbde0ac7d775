// Window records: creation and destruction in the Windows order, relationships,
// geometry and visibility (texts and window longs are in WindowText.cpp).
#include "Internal.h"
#include "winlib/Faults.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace winlib::detail
{

// The object whose CreateEx is running: attached before the first message, as the class
// library does, so that it sees WM_NCCREATE and WM_CREATE.
CWnd* g_creatingObject = nullptr;

// Constant-initialised: the class library sets them while it loads, in whatever order.
constinit ObjectHooks g_objectHooks;

State& State::Get()
{
    // Never destroyed: windows of other modules may still be torn down during exit.
    static State* state = new State;
    return *state;
}

std::string ToLower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

WindowRecord* State::Find(HWND hwnd)
{
    // A message goes by the same few windows many times over; the last ones looked up are kept
    // by handle (handles are never reused, and Erase forgets them).
    const auto key = reinterpret_cast<UINT_PTR>(hwnd);
    FoundWindow& cached = findCache[(key >> 1) % findCache.size()];
    if (cached.key == key && key != 0)
        return cached.record;
    const auto it = windows.find(key);
    if (it == windows.end())
        return nullptr;
    cached = FoundWindow{key, it->second.get()};
    return cached.record;
}

WindowRecord& State::Require(HWND hwnd)
{
    return *Find(hwnd);
}

HWND State::NewHandle()
{
    nextHandle += 2;
    return reinterpret_cast<HWND>(nextHandle);
}

void State::Erase(HWND hwnd)
{
    const auto key = reinterpret_cast<UINT_PTR>(hwnd);
    FoundWindow& cached = findCache[(key >> 1) % findCache.size()];
    if (cached.key == key)
        cached = FoundWindow{};
    windows.erase(key);
}

const WindowClass* State::FindClass(const std::string& name)
{
    static bool builtinsRegistered = false;
    if (!builtinsRegistered)
    {
        builtinsRegistered = true;
        RegisterBuiltinClasses();
    }
    const auto it = classes.find(ToLower(name));
    return it == classes.end() ? nullptr : it->second.get();
}

void State::RegisterBuiltin(const std::string& name,
                            std::function<std::unique_ptr<ControlBehaviour>()> factory,
                            int backgroundSysColor, UINT style)
{
    auto cls = std::make_unique<WindowClass>();
    cls->name = name;
    cls->style = style;
    cls->factory = std::move(factory);
    cls->backgroundSysColor = backgroundSysColor;
    classes[ToLower(name)] = std::move(cls);
}

CRect StandardNonClientInsets(const WindowRecord& w)
{
    int edge = 0;
    if (w.style & WS_THICKFRAME)
        edge = GetSystemMetrics(SM_CXFRAME);
    else if ((w.style & WS_DLGFRAME) || (w.exStyle & WS_EX_DLGMODALFRAME))
        edge = GetSystemMetrics(SM_CXDLGFRAME);
    else if (w.style & WS_BORDER)
        edge = GetSystemMetrics(SM_CXBORDER);
    if (w.exStyle & WS_EX_CLIENTEDGE)
        edge += GetSystemMetrics(SM_CXEDGE);
    if (w.exStyle & WS_EX_STATICEDGE)
        edge += GetSystemMetrics(SM_CXBORDER);
    CRect insets(edge, edge, edge, edge);
    if ((w.style & WS_CAPTION) == WS_CAPTION)
        insets.top += (w.exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION)
                                                     : GetSystemMetrics(SM_CYCAPTION);
    if (w.style & WS_VSCROLL)
        insets.right += GetSystemMetrics(SM_CXVSCROLL);
    if (w.style & WS_HSCROLL)
        insets.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return insets;
}

CRect NonClientInsets(const WindowRecord& w)
{
    const CRect standard = StandardNonClientInsets(w);
    return CRect(standard.left + w.ncReserved.left, standard.top + w.ncReserved.top,
                 standard.right + w.ncReserved.right, standard.bottom + w.ncReserved.bottom);
}

void RecalcReservedNonClient(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    RECT proposed = w->rect;
    Dispatch(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed));
    w = s.Find(hwnd);
    if (!w)
        return;
    // A window that left the rectangle alone (or widened it) keeps only the standard frame.
    const CRect standard = StandardNonClientInsets(*w);
    const CRect inside(w->rect.left + standard.left, w->rect.top + standard.top,
                       w->rect.right - standard.right, w->rect.bottom - standard.bottom);
    w->ncReserved = CRect(
        std::max<LONG>(0, proposed.left - inside.left), std::max<LONG>(0, proposed.top - inside.top),
        std::max<LONG>(0, inside.right - proposed.right), std::max<LONG>(0, inside.bottom - proposed.bottom));
}

CRect ClientRectOf(const WindowRecord& w)
{
    const CRect insets = NonClientInsets(w);
    CRect client(insets.left, insets.top, w.rect.Width() - insets.right, w.rect.Height() - insets.bottom);
    if (client.right < client.left)
        client.right = client.left;
    if (client.bottom < client.top)
        client.bottom = client.top;
    return client;
}

POINT WindowOriginOnScreen(HWND hwnd)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    if (!w)
        return POINT{0, 0};
    if (!w->parent)
        return POINT{w->rect.left, w->rect.top};
    const POINT parentClient = ClientOriginOnScreen(w->parent);
    return POINT{parentClient.x + w->rect.left, parentClient.y + w->rect.top};
}

POINT ClientOriginOnScreen(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return POINT{0, 0};
    const POINT origin = WindowOriginOnScreen(hwnd);
    const CRect client = ClientRectOf(*w);
    return POINT{origin.x + client.left, origin.y + client.top};
}

HWND TopLevelOf(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    while (w && w->parent)
        w = s.Find(w->parent);
    return w ? w->handle : nullptr;
}

bool IsVisibleChain(HWND hwnd)
{
    State& s = State::Get();
    for (WindowRecord* w = s.Find(hwnd); w; w = s.Find(w->parent))
    {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!w->parent)
            return true;
    }
    return false;
}

namespace
{

void Unlink(State& s, WindowRecord& w)
{
    auto& list = w.parent ? s.Require(w.parent).children : s.topLevels;
    list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
}

void SendDestroyTree(HWND hwnd)
{
    State& s = State::Get();
    if (!s.Find(hwnd))
        return;
    Dispatch(hwnd, WM_DESTROY, 0, 0);
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    const std::vector<HWND> children = w->children;
    for (HWND child : children)
    {
        if (WindowRecord* c = s.Find(child))
        {
            c->destroying = true;
            SendDestroyTree(child);
        }
    }
}

void FreeTree(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    const std::vector<HWND> children = w->children;
    for (HWND child : children)
        FreeTree(child);

    s.timers.erase(
        std::remove_if(s.timers.begin(), s.timers.end(), [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
        s.timers.end());
    Dispatch(hwnd, WM_NCDESTROY, 0, 0);

    w = s.Find(hwnd);
    if (!w)
        return;
    // An object still attached after WM_NCDESTROY loses its handle here.
    if (w->object && g_objectHooks.handleOf(w->object) == hwnd)
        g_objectHooks.setHandle(w->object, nullptr);
    w->object = nullptr;
    if (w->temporary)
        g_objectHooks.setHandle(w->temporary.get(), nullptr);
    if (s.focus == hwnd)
        s.focus = nullptr;
    if (s.active == hwnd)
        s.active = nullptr;
    if (s.capture == hwnd)
        s.capture = nullptr;
    if (s.clipboardOwner == hwnd)
        s.clipboardOwner = nullptr;
    Unlink(s, *w);
    s.Erase(hwnd);
}

bool ContainsWindow(HWND ancestor, HWND hwnd)
{
    State& s = State::Get();
    for (WindowRecord* w = s.Find(hwnd); w; w = s.Find(w->parent))
    {
        if (w->handle == ancestor)
            return true;
    }
    return false;
}

// Moves the keyboard focus out of a window that disappears, as the system does: to the
// parent of a child window, or nowhere for a top-level window.
void MoveFocusOutOf(HWND hwnd)
{
    State& s = State::Get();
    if (!s.focus || !ContainsWindow(hwnd, s.focus))
        return;
    const WindowRecord* w = s.Find(hwnd);
    HWND target = w ? w->parent : nullptr;
    while (target && !IsVisibleChain(target))
        target = s.Find(target) ? s.Find(target)->parent : nullptr;
    ::SetFocus(target);
}

void ActivateAnotherTopLevel(HWND leaving)
{
    State& s = State::Get();
    if (s.active != leaving)
        return;
    const WindowRecord* w = s.Find(leaving);
    HWND next = (w && w->owner && IsVisibleChain(w->owner) && IsWindowEnabled(w->owner)) ? w->owner : nullptr;
    if (!next)
    {
        for (HWND top : s.topLevels)
        {
            if (top != leaving && IsVisibleChain(top) && IsWindowEnabled(top))
            {
                next = top;
                break;
            }
        }
    }
    ::SetActiveWindow(next);
}

} // namespace

} // namespace winlib::detail

using namespace winlib::detail;

ATOM RegisterClass(const WNDCLASS* wc)
{
    if (!wc || !wc->lpszClassName)
        return 0;
    State& s = State::Get();
    s.FindClass(""); // makes sure the built-in classes exist before a user class can shadow one
    const std::string key = ToLower(wc->lpszClassName);
    if (s.classes.count(key))
    {
        SetLastError(1410); // class already exists
        return 0;
    }
    auto cls = std::make_unique<WindowClass>();
    cls->name = wc->lpszClassName;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->background = wc->hbrBackground;
    cls->cursor = wc->hCursor;
    s.classes[key] = std::move(cls);
    return static_cast<ATOM>(s.classes.size());
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE)
{
    if (!className)
        return FALSE;
    return State::Get().classes.erase(ToLower(className)) ? TRUE : FALSE;
}

BOOL GetClassInfo(HINSTANCE, LPCSTR className, WNDCLASS* wc)
{
    const WindowClass* cls = className ? State::Get().FindClass(className) : nullptr;
    if (!cls || !wc)
        return FALSE;
    *wc = WNDCLASS{};
    wc->style = cls->style;
    wc->lpfnWndProc = cls->proc;
    wc->hbrBackground = cls->background;
    wc->hCursor = cls->cursor;
    wc->lpszClassName = cls->name.c_str();
    return TRUE;
}

std::string GetClassNameString(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    return w ? w->cls->name : std::string();
}

int GetClassName(HWND hwnd, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const std::string name = GetClassNameString(hwnd);
    const int n = std::min<int>(static_cast<int>(name.size()), size - 1);
    std::memcpy(buffer, name.data(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param)
{
    State& s = State::Get();
    CWnd* object = g_creatingObject;
    g_creatingObject = nullptr;

    const WindowClass* cls = className ? s.FindClass(className) : nullptr;
    if (cls && winlib::ShouldFail(winlib::Fault::CreateWindow))
    {
        SetLastError(8); // not enough memory
        return nullptr;
    }
    if (!cls)
    {
        SetLastError(1407); // cannot find window class
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    if (child && !s.Find(parent))
    {
        SetLastError(1406); // cannot create a top-level child window
        return nullptr;
    }

    auto record = std::make_unique<WindowRecord>();
    WindowRecord& w = *record;
    w.handle = s.NewHandle();
    w.cls = cls;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.text = windowName ? windowName : "";
    if (child)
    {
        w.parent = parent;
        w.id = reinterpret_cast<UINT_PTR>(menuOrId);
    }
    else
    {
        w.owner = parent ? TopLevelOf(parent) : nullptr;
        // Overlapped windows always have a caption and a border.
        if (!(style & WS_POPUP))
            w.style |= WS_CAPTION | WS_CLIPSIBLINGS;
        if (x == CW_USEDEFAULT)
        {
            x = 40 + 24 * static_cast<int>(s.topLevels.size() % 10);
            y = 40 + 24 * static_cast<int>(s.topLevels.size() % 10);
        }
        if (width == CW_USEDEFAULT)
        {
            width = 800;
            height = 600;
        }
    }
    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (width == CW_USEDEFAULT)
        width = height = 0;
    w.rect = CRect(x, y, x + width, y + height);
    if (cls->factory)
        w.behaviour = cls->factory();

    const HWND hwnd = w.handle;
    s.windows.emplace(reinterpret_cast<UINT_PTR>(hwnd), std::move(record));
    if (child)
        s.Require(parent).children.push_back(hwnd); // bottom of the z-order: tab order is creation order
    else
        s.topLevels.insert(s.topLevels.begin(), hwnd);

    if (object)
    {
        w.object = object;
        w.routed = true;
        g_objectHooks.setHandle(object, hwnd);
    }
    if (!child)
    {
        CRect screen = w.rect;
        s.Require(hwnd).surface = winlib::GetBackend().CreateSurface(hwnd, screen);
        s.Require(hwnd).surface->SetTitle(s.Require(hwnd).text);
    }

    CREATESTRUCT cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menuOrId;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;

    if (!Dispatch(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)))
    {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!s.Find(hwnd))
        return nullptr;
    RecalcReservedNonClient(hwnd);
    if (!s.Find(hwnd))
        return nullptr;
    if (Dispatch(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1)
    {
        DestroyWindow(hwnd);
        return nullptr;
    }
    WindowRecord* created = s.Find(hwnd);
    if (!created)
        return nullptr;
    created->created = true;
    const CRect client = ClientRectOf(*created);
    Dispatch(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    if (s.Find(hwnd))
        Dispatch(hwnd, WM_MOVE, 0,
                 MAKELPARAM(created->rect.left + client.left, created->rect.top + client.top));
    if (s.Find(hwnd) && (style & WS_VISIBLE))
        ShowWindow(hwnd, SW_SHOW);
    return s.Find(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w || w->destroying)
        return FALSE;
    w->destroying = true;

    // Owned windows go first.
    const std::vector<HWND> tops = s.topLevels;
    for (HWND top : tops)
    {
        const WindowRecord* t = s.Find(top);
        if (t && t->owner == hwnd)
            DestroyWindow(top);
    }

    w = s.Find(hwnd);
    if (!w)
        return TRUE;
    if (w->style & WS_VISIBLE)
    {
        w->style &= ~WS_VISIBLE;
        if (w->parent)
        {
            RECT area = w->rect;
            InvalidateUncovered(w->parent, &area);
        }
        else if (w->surface)
            w->surface->SetVisible(false);
    }
    if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture)))
        ReleaseCapture();
    MoveFocusOutOf(hwnd);
    if (!w->parent)
        ActivateAnotherTopLevel(hwnd);

    SendDestroyTree(hwnd);
    FreeTree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return State::Get().Find(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    return IsVisibleChain(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    return (w && !(w->style & WS_DISABLED)) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable == !wasDisabled)
        return wasDisabled;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
    {
        w->style |= WS_DISABLED;
        if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus)))
            ::SetFocus(nullptr);
        if (s.capture == hwnd)
            ReleaseCapture();
    }
    Dispatch(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    // As InvalidateRect does: what the window erases of its children (it does not clip them) is
    // theirs to paint again. Left out, a dialog disabled under a modal one lost every control.
    InvalidateWindow(hwnd, nullptr, true, true);
    return wasDisabled;
}

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return FALSE;
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    const bool show = cmdShow != SW_HIDE;
    const bool activate = show && !w->parent &&
                          (cmdShow == SW_SHOW || cmdShow == SW_SHOWNORMAL || cmdShow == SW_RESTORE ||
                           cmdShow == SW_SHOWMAXIMIZED || cmdShow == SW_SHOWDEFAULT);
    if (show != wasVisible)
    {
        Dispatch(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        w = s.Find(hwnd);
        if (!w)
            return wasVisible ? TRUE : FALSE;
        if (show)
        {
            w->style |= WS_VISIBLE;
            InvalidateUncovered(hwnd, nullptr);
            if (w->surface)
                w->surface->SetVisible(true);
        }
        else
        {
            w->style &= ~WS_VISIBLE;
            if (w->parent)
            {
                RECT area = w->rect;
                InvalidateWindow(w->parent, &area, true, true);
            }
            else if (w->surface)
                w->surface->SetVisible(false);
            MoveFocusOutOf(hwnd);
            if (!w->parent)
                ActivateAnotherTopLevel(hwnd);
        }
    }
    if (activate && s.Find(hwnd) && !(s.Require(hwnd).exStyle & WS_EX_NOACTIVATE))
        ::SetActiveWindow(hwnd);
    return wasVisible ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    while (w && w->parent)
    {
        if (w->parent == parent)
            return TRUE;
        w = s.Find(w->parent);
    }
    return FALSE;
}

BOOL IsIconic(HWND)
{
    return FALSE;
}

BOOL IsZoomed(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    return (w && (w->style & WS_MAXIMIZE)) ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return nullptr;
    if (w->parent)
        return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND hwnd, HWND newParent)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w || (newParent && !s.Find(newParent)) || newParent == hwnd ||
        (newParent && IsChild(hwnd, newParent)))
        return nullptr;
    const HWND old = w->parent;
    const bool visible = (w->style & WS_VISIBLE) != 0;
    if (visible && old)
    {
        RECT area = w->rect;
        InvalidateUncovered(old, &area);
    }
    Unlink(s, *w);
    if (newParent)
    {
        // A top-level window becoming a child keeps its screen position relative to the new parent.
        w->parent = newParent;
        w->style = (w->style & ~WS_POPUP) | WS_CHILD;
        s.Require(newParent).children.insert(s.Require(newParent).children.begin(), hwnd);
        w->surface.reset();
    }
    else
    {
        w->parent = nullptr;
        w->style &= ~WS_CHILD;
        s.topLevels.insert(s.topLevels.begin(), hwnd);
        w->surface = winlib::GetBackend().CreateSurface(hwnd, w->rect);
        w->surface->SetVisible(visible);
    }
    // Nothing of it is on its new surface yet.
    if (visible)
        InvalidateUncovered(hwnd, nullptr);
    return old ? old : GetDesktopWindow();
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    if (!w)
        return nullptr;
    if (cmd == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (cmd == GW_OWNER)
        return w->owner;
    const std::vector<HWND>& siblings = w->parent ? s.Require(w->parent).children : s.topLevels;
    const auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (cmd)
    {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return (it != siblings.end() && it + 1 != siblings.end()) ? *(it + 1) : nullptr;
    case GW_HWNDPREV:
        return (it != siblings.end() && it != siblings.begin()) ? *(it - 1) : nullptr;
    default:
        return nullptr;
    }
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    if (!w)
        return nullptr;
    switch (flags)
    {
    case GA_PARENT:
        return w->parent;
    case GA_ROOT:
        return TopLevelOf(hwnd);
    case GA_ROOTOWNER:
    {
        HWND root = TopLevelOf(hwnd);
        while (const WindowRecord* r = s.Find(root))
        {
            if (!r->owner)
                break;
            root = r->owner;
        }
        return root;
    }
    default:
        return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd)
{
    if (!hwnd)
    {
        const State& s = State::Get();
        return s.topLevels.empty() ? nullptr : s.topLevels.front();
    }
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow()
{
    return nullptr;
}

HWND GetDlgItem(HWND dialog, int id)
{
    const WindowRecord* w = State::Get().Find(dialog);
    if (!w)
        return nullptr;
    for (HWND child : w->children)
    {
        if (static_cast<int>(State::Get().Require(child).id) == id)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    return (w && w->parent) ? static_cast<int>(w->id) : 0;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w || !rect)
        return FALSE;
    const POINT origin = WindowOriginOnScreen(hwnd);
    *rect = CRect(CPoint(origin), w->rect.Size());
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w || !rect)
        return FALSE;
    const CRect client = ClientRectOf(*w);
    *rect = CRect(0, 0, client.Width(), client.Height());
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return FALSE;
    WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE)
    {
        pos.x = w->rect.left;
        pos.y = w->rect.top;
    }
    if (flags & SWP_NOSIZE)
    {
        pos.cx = w->rect.Width();
        pos.cy = w->rect.Height();
    }
    if (!(flags & SWP_NOSENDCHANGING))
        Dispatch(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    w = s.Find(hwnd);
    if (!w)
        return FALSE;
    pos.cx = std::max(0, pos.cx);
    pos.cy = std::max(0, pos.cy);

    const CRect oldRect = w->rect;
    const CRect oldClient = ClientRectOf(*w);
    const CRect newRect(pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy);
    const bool moved = newRect.TopLeft() != oldRect.TopLeft();
    const bool sized = newRect.Size() != oldRect.Size();
    const bool visible = (w->style & WS_VISIBLE) != 0;

    bool raised = false;
    if (!(flags & SWP_NOZORDER))
    {
        auto& list = w->parent ? s.Require(w->parent).children : s.topLevels;
        const auto before = std::find(list.begin(), list.end(), hwnd) - list.begin();
        list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
        if (insertAfter == HWND_BOTTOM)
            list.push_back(hwnd);
        else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST ||
                 !insertAfter)
            list.insert(list.begin(), hwnd);
        else
        {
            auto it = std::find(list.begin(), list.end(), insertAfter);
            list.insert(it == list.end() ? list.end() : it + 1, hwnd);
        }
        // A child coming up over its siblings shows parts that were covered.
        raised = w->parent && std::find(list.begin(), list.end(), hwnd) - list.begin() < before;
    }

    w->rect = newRect;
    if (!w->parent && w->surface && (moved || sized))
        w->surface->SetGeometry(newRect);
    if (sized || (flags & SWP_FRAMECHANGED))
    {
        RecalcReservedNonClient(hwnd);
        w = s.Find(hwnd);
        if (!w)
            return FALSE;
    }

    if (!(flags & SWP_NOREDRAW) && visible && (moved || sized || raised || (flags & SWP_FRAMECHANGED)))
    {
        // What the window covered shows what lies below; a moved or raised window is drawn
        // anew with its children, as no pixels are copied along.
        if (w->parent && (moved || sized))
        {
            RECT oldArea = oldRect;
            InvalidateUncovered(w->parent, &oldArea);
        }
        if (moved || raised)
            InvalidateUncovered(hwnd, nullptr);
        else
        {
            InvalidateWindow(hwnd, nullptr, true, true);
            // A window that grew shows parts of its children that were clipped away before.
            const CRect grown = ClientRectOf(*w);
            const RECT right{oldClient.Width(), 0, grown.Width(), grown.Height()};
            const RECT below{0, oldClient.Height(), grown.Width(), grown.Height()};
            if (grown.Width() > oldClient.Width())
                InvalidateUncovered(hwnd, &right);
            if (grown.Height() > oldClient.Height())
                InvalidateUncovered(hwnd, &below);
        }
        w->frameNeeded = true;
    }
    if (flags & SWP_FRAMECHANGED)
        w->frameNeeded = true;
    if (flags & SWP_SHOWWINDOW && !visible)
    {
        w->style |= WS_VISIBLE;
        InvalidateUncovered(hwnd, nullptr);
        if (w->surface)
            w->surface->SetVisible(true);
    }
    else if (flags & SWP_HIDEWINDOW && visible)
    {
        w->style &= ~WS_VISIBLE;
        if (w->parent)
        {
            RECT area = w->rect;
            InvalidateUncovered(w->parent, &area);
        }
        else if (w->surface)
            w->surface->SetVisible(false);
        MoveFocusOutOf(hwnd);
    }

    pos.flags = flags | (moved ? 0u : SWP_NOMOVE) | (sized ? 0u : SWP_NOSIZE);
    const bool clientChanged = ClientRectOf(*w) != oldClient || moved;
    if (moved || sized || (flags & (SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW)) ||
        !(flags & SWP_NOZORDER))
    {
        if (clientChanged)
            pos.flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
        Dispatch(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    if (!(flags & SWP_NOACTIVATE) && s.Find(hwnd) && !s.Require(hwnd).parent && IsVisibleChain(hwnd))
        SetActiveWindow(hwnd);
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    if (!IsWindow(hwnd) || !point)
        return FALSE;
    const POINT origin = ClientOriginOnScreen(hwnd);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point)
{
    if (!IsWindow(hwnd) || !point)
        return FALSE;
    const POINT origin = ClientOriginOnScreen(hwnd);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    const POINT a = from ? ClientOriginOnScreen(from) : POINT{0, 0};
    const POINT b = to ? ClientOriginOnScreen(to) : POINT{0, 0};
    const int dx = a.x - b.x;
    const int dy = a.y - b.y;
    for (UINT i = 0; i < count; ++i)
    {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

namespace
{
HWND DescendFromPoint(HWND hwnd, POINT screen)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    const POINT origin = ClientOriginOnScreen(hwnd);
    const CRect client = ClientRectOf(*w);
    const POINT inClient{screen.x - origin.x, screen.y - origin.y};
    if (!CRect(0, 0, client.Width(), client.Height()).PtInRect(inClient))
        return hwnd;
    for (HWND child : w->children)
    {
        const WindowRecord* c = s.Find(child);
        if (!c || !(c->style & WS_VISIBLE) || !c->rect.PtInRect(inClient))
            continue;
        if (Dispatch(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT)
            continue;
        if (c->style & WS_DISABLED)
            return hwnd;
        return DescendFromPoint(child, screen);
    }
    return hwnd;
}
} // namespace

HWND WindowFromPoint(POINT screenPoint)
{
    State& s = State::Get();
    const std::vector<HWND> tops = s.topLevels;
    for (HWND top : tops)
    {
        const WindowRecord* w = s.Find(top);
        if (!w || !(w->style & WS_VISIBLE) || !w->rect.PtInRect(screenPoint))
            continue;
        // Tooltips and drag images let the point through to what lies below, as children can.
        if (Dispatch(top, WM_NCHITTEST, 0, MAKELPARAM(screenPoint.x, screenPoint.y)) == HTTRANSPARENT)
            continue;
        return DescendFromPoint(top, screenPoint);
    }
    return nullptr;
}

HWND ChildWindowFromPointEx(HWND parent, POINT clientPoint, UINT flags)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(parent);
    if (!w)
        return nullptr;
    const CRect client = ClientRectOf(*w);
    if (!CRect(0, 0, client.Width(), client.Height()).PtInRect(clientPoint))
        return nullptr;
    for (HWND child : w->children)
    {
        const WindowRecord* c = s.Find(child);
        if (!c || !c->rect.PtInRect(clientPoint))
            continue;
        if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE))
            continue;
        if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED))
            continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT))
            continue;
        return child;
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint)
{
    return ChildWindowFromPointEx(parent, clientPoint, CWP_ALL);
}
