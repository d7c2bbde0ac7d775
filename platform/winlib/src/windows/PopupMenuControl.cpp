// Popup menus: TrackPopupMenu and the menu window class ("#32768"). A tracked menu asks
// the modal answerer first; on screen it opens one window per menu level and runs a
// modal loop of its own, with the mouse captured and the keyboard taken before the
// focus window sees it, until an item is chosen or the menu is dismissed.
#include "ControlUtil.h"
#include "MenuInternal.h"
#include "winlib/CommCtrl.h"
#include "winlib/Modal.h"
#include "winlib/Runtime.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

namespace winlib::detail
{

namespace
{

constexpr int kBorder = 3;       // the raised edge around the items
constexpr int kGutter = 20;      // the check-mark column
constexpr int kArrowColumn = 16; // the submenu arrow at the right
constexpr int kAccelGap = 24;    // between the longest label and the accelerator column
constexpr int kSeparatorHeight = 9;
constexpr int kMinWidth = 80;

struct ItemText
{
    std::string label;
    std::string accelerator;
};

ItemText SplitText(const std::string& text)
{
    const std::size_t tab = text.find('\t');
    if (tab == std::string::npos)
        return ItemText{text, {}};
    return ItemText{text.substr(0, tab), text.substr(tab + 1)};
}

HFONT MenuFont(bool bold)
{
    static HFONT normal = nullptr;
    static HFONT heavy = nullptr;
    HFONT& slot = bold ? heavy : normal;
    if (!slot)
    {
        LOGFONT lf{};
        GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        slot = CreateFontIndirect(&lf);
    }
    return slot;
}

int TextWidth(HDC hdc, const std::string& text, UINT format)
{
    if (text.empty())
        return 0;
    CRect r(0, 0, 0, 0);
    DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT | DT_SINGLELINE);
    return r.Width();
}

// Where each item of a menu lies in its window, and the window's size.
struct MenuLayout
{
    std::vector<CRect> items;
    int acceleratorRight = 0; // the accelerator column is right-aligned on this x
    CSize size;
};

MenuLayout LayOut(const MenuRecord& menu)
{
    MenuLayout layout;
    const HDC hdc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(hdc, MenuFont(false));
    TEXTMETRIC tm{};
    GetTextMetrics(hdc, &tm);
    const int itemHeight = tm.tmHeight + 6;
    int labelWidth = 0;
    int acceleratorWidth = 0;
    for (const MenuItem& item : menu.items)
    {
        if (item.flags & MF_SEPARATOR)
            continue;
        const ItemText text = SplitText(item.text);
        SelectObject(hdc, MenuFont((item.flags & MF_DEFAULT) != 0));
        labelWidth = std::max(labelWidth, TextWidth(hdc, text.label, 0));
        acceleratorWidth = std::max(acceleratorWidth, TextWidth(hdc, text.accelerator, DT_NOPREFIX));
    }
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);

    const int width =
        std::max(kMinWidth, 2 * kBorder + kGutter + labelWidth +
                                (acceleratorWidth ? kAccelGap + acceleratorWidth : 0) + kArrowColumn);
    int y = kBorder;
    for (const MenuItem& item : menu.items)
    {
        const int height = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : itemHeight;
        layout.items.emplace_back(kBorder, y, width - kBorder, y + height);
        y += height;
    }
    layout.acceleratorRight = width - kBorder - kArrowColumn;
    layout.size = CSize(width, y + kBorder);
    return layout;
}

class PopupMenuBehaviour : public ControlBehaviour
{
public:
    HMENU menu = nullptr;
    MenuLayout layout;
    int highlight = -1;

    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    int ItemAt(POINT client) const
    {
        for (std::size_t i = 0; i < layout.items.size(); ++i)
        {
            if (layout.items[i].PtInRect(client))
                return static_cast<int>(i);
        }
        return -1;
    }

    void SetHighlight(HWND hwnd, int index)
    {
        if (index == highlight)
            return;
        for (int changed : {highlight, index})
        {
            if (changed >= 0 && static_cast<std::size_t>(changed) < layout.items.size())
                InvalidateRect(hwnd, &layout.items[static_cast<std::size_t>(changed)], TRUE);
        }
        highlight = index;
    }

private:
    void Paint(HWND hwnd, HDC hdc) const;
    void PaintItem(HDC hdc, const MenuItem& item, const CRect& r, bool highlighted) const;
};

// The menu being tracked: one level per open menu window, the root first.
struct Tracker
{
    struct Level
    {
        HMENU menu;
        HWND window;
    };
    HWND owner = nullptr;
    UINT flags = 0;
    std::vector<Level> levels;
    bool done = false;
    UINT command = 0;
};

Tracker* g_tracker = nullptr;

PopupMenuBehaviour* BehaviourOf(HWND hwnd)
{
    WindowRecord* w = State::Get().Find(hwnd);
    return w ? dynamic_cast<PopupMenuBehaviour*>(w->behaviour.get()) : nullptr;
}

void PopupMenuBehaviour::PaintItem(HDC hdc, const MenuItem& item, const CRect& r, bool highlighted) const
{
    if (item.flags & MF_SEPARATOR)
    {
        CRect line(r.left + 1, r.top + r.Height() / 2 - 1, r.right - 1, r.top + r.Height() / 2 + 1);
        DrawEdge(hdc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    const bool grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (highlighted)
        FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    const COLORREF ink = grayed        ? GetSysColor(COLOR_GRAYTEXT)
                         : highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                       : GetSysColor(COLOR_MENUTEXT);
    SetTextColor(hdc, ink);
    SetBkMode(hdc, TRANSPARENT);

    if (item.flags & MF_CHECKED)
    {
        // A tick two pixels thick, centred in the gutter.
        const int cx = r.left + kGutter / 2;
        const int cy = r.top + r.Height() / 2;
        const HPEN pen = CreatePen(PS_SOLID, 1, ink);
        const HGDIOBJ oldPen = SelectObject(hdc, pen);
        for (int thick = 0; thick < 2; ++thick)
        {
            const POINT tick[] = {
                {cx - 4, cy - 1 + thick}, {cx - 1, cy + 2 + thick}, {cx + 5, cy - 4 + thick}};
            Polyline(hdc, tick, 3);
        }
        SelectObject(hdc, oldPen);
        DeleteObject(pen);
    }

    const ItemText text = SplitText(item.text);
    const HGDIOBJ oldFont = SelectObject(hdc, MenuFont((item.flags & MF_DEFAULT) != 0));
    CRect labelRect(r.left + kGutter, r.top, layout.acceleratorRight, r.bottom);
    DrawText(hdc, text.label.c_str(), static_cast<int>(text.label.size()), &labelRect,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (!text.accelerator.empty())
    {
        CRect acceleratorRect(r.left + kGutter, r.top, layout.acceleratorRight, r.bottom);
        DrawText(hdc, text.accelerator.c_str(), static_cast<int>(text.accelerator.size()), &acceleratorRect,
                 DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(hdc, oldFont);

    if (item.flags & MF_POPUP)
    {
        // A small right-pointing triangle, one column at a time.
        const int x = r.right - kArrowColumn + 5;
        const int cy = r.top + r.Height() / 2;
        for (int k = 0; k < 4; ++k)
        {
            const CRect column(x + k, cy - 3 + k, x + k + 1, cy + 4 - k);
            FillRect(hdc, &column,
                     GetSysColorBrush(grayed        ? COLOR_GRAYTEXT
                                      : highlighted ? COLOR_HIGHLIGHTTEXT
                                                    : COLOR_MENUTEXT));
        }
    }
}

void PopupMenuBehaviour::Paint(HWND hwnd, HDC hdc) const
{
    CRect client = ClientOf(hwnd);
    FillRect(hdc, &client, GetSysColorBrush(COLOR_MENU));
    DrawEdge(hdc, &client, EDGE_RAISED, BF_RECT);
    const MenuRecord* record = FindMenu(menu);
    if (!record)
        return;
    const std::size_t count = std::min(record->items.size(), layout.items.size());
    for (std::size_t i = 0; i < count; ++i)
        PaintItem(hdc, record->items[i], layout.items[i], static_cast<int>(i) == highlight);
}

LRESULT PopupMenuBehaviour::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case MN_GETHMENU:
        return reinterpret_cast<LRESULT>(menu);
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        const HDC hdc = BeginPaint(hwnd, &ps);
        Paint(hwnd, hdc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: the menu gives up, as the system's does.
        if (g_tracker && !g_tracker->levels.empty() && g_tracker->levels.front().window == hwnd &&
            reinterpret_cast<HWND>(lParam) != hwnd)
            g_tracker->done = true;
        return 0;
    case WM_CANCELMODE:
        if (g_tracker)
            g_tracker->done = true;
        return 0;
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// ---- Tracking -------------------------------------------------------------------------------

void NotifySelect(const Tracker& t, HMENU menu, int index)
{
    if (t.flags & TPM_NONOTIFY)
        return;
    const MenuRecord* record = FindMenu(menu);
    if (!record || index < 0 || static_cast<std::size_t>(index) >= record->items.size())
        return;
    const MenuItem& item = record->items[static_cast<std::size_t>(index)];
    const UINT id = (item.flags & MF_POPUP) ? static_cast<UINT>(index) : static_cast<UINT>(item.id);
    SendMessage(t.owner, WM_MENUSELECT, MAKEWPARAM(id, item.flags & 0xFFFF), reinterpret_cast<LPARAM>(menu));
}

CPoint PlaceOnScreen(CPoint at, CSize size, UINT flags, const RECT* exclude)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    CPoint p = at;
    if (flags & TPM_CENTERALIGN)
        p.x -= size.cx / 2;
    else if (flags & TPM_RIGHTALIGN)
        p.x -= size.cx;
    if (flags & TPM_VCENTERALIGN)
        p.y -= size.cy / 2;
    else if (flags & TPM_BOTTOMALIGN)
        p.y -= size.cy;
    // Flip to the other side of the point rather than run off the screen.
    if (p.x + size.cx > screenWidth)
        p.x = at.x - size.cx >= 0 ? at.x - size.cx : screenWidth - size.cx;
    if (p.y + size.cy > screenHeight)
        p.y = at.y - size.cy >= 0 ? at.y - size.cy : screenHeight - size.cy;
    if (exclude)
    {
        const CRect avoid(*exclude);
        CRect mine(p, size);
        if (!(mine & avoid).IsRectEmpty())
        {
            if (avoid.bottom + size.cy <= screenHeight)
                p.y = avoid.bottom;
            else
                p.y = avoid.top - size.cy;
        }
    }
    p.x = std::max<LONG>(0, p.x);
    p.y = std::max<LONG>(0, p.y);
    return p;
}

HWND OpenLevel(Tracker& t, HMENU menu, CPoint at, UINT flags, const RECT* exclude)
{
    const MenuRecord* record = FindMenu(menu);
    if (!record)
        return nullptr;
    MenuLayout layout = LayOut(*record);
    const CPoint position = PlaceOnScreen(at, layout.size, flags, exclude);
    const HWND hwnd =
        CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "#32768", "", WS_POPUP | WS_CLIPSIBLINGS, position.x,
                       position.y, layout.size.cx, layout.size.cy, t.owner, nullptr, nullptr, nullptr);
    PopupMenuBehaviour* behaviour = BehaviourOf(hwnd);
    if (!behaviour)
        return nullptr;
    behaviour->menu = menu;
    behaviour->layout = std::move(layout);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    t.levels.push_back(Tracker::Level{menu, hwnd});
    return hwnd;
}

void CloseLevelsAbove(Tracker& t, std::size_t keep)
{
    while (t.levels.size() > keep)
    {
        const HWND window = t.levels.back().window;
        t.levels.pop_back();
        if (IsWindow(window))
            DestroyWindow(window);
    }
}

// Opens the submenu of item 'index' of level 'level' (after closing anything deeper).
void OpenSubmenu(Tracker& t, std::size_t level, int index, bool highlightFirst)
{
    const MenuRecord* record = FindMenu(t.levels[level].menu);
    PopupMenuBehaviour* parent = BehaviourOf(t.levels[level].window);
    if (!record || !parent || index < 0 || static_cast<std::size_t>(index) >= record->items.size())
        return;
    const MenuItem& item = record->items[static_cast<std::size_t>(index)];
    const HMENU sub = item.Submenu();
    if (!sub || !item.Selectable())
        return;
    if (t.levels.size() > level + 1 && t.levels[level + 1].menu == sub)
        return; // already open
    CloseLevelsAbove(t, level + 1);
    if (!(t.flags & TPM_NONOTIFY))
        SendMessage(t.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(index, FALSE));
    parent = BehaviourOf(t.levels[level].window);
    if (!g_tracker || t.done || !FindMenu(sub) || !parent ||
        static_cast<std::size_t>(index) >= parent->layout.items.size())
        return;
    CRect parentRect;
    GetWindowRect(t.levels[level].window, &parentRect);
    const CRect itemRect = parent->layout.items[static_cast<std::size_t>(index)];
    CPoint at(parentRect.right - kBorder, parentRect.top + itemRect.top - kBorder);
    const MenuRecord* subRecord = FindMenu(sub);
    const CSize size = LayOut(*subRecord).size;
    if (at.x + size.cx > GetSystemMetrics(SM_CXSCREEN))
        at.x = parentRect.left - size.cx + kBorder;
    const HWND window = OpenLevel(t, sub, at, TPM_LEFTALIGN | TPM_TOPALIGN, nullptr);
    if (window && highlightFirst)
    {
        for (std::size_t i = 0; i < subRecord->items.size(); ++i)
        {
            if (!(subRecord->items[i].flags & MF_SEPARATOR))
            {
                BehaviourOf(window)->SetHighlight(window, static_cast<int>(i));
                NotifySelect(t, sub, static_cast<int>(i));
                break;
            }
        }
    }
}

// Highlights an item of a level; an enabled submenu item opens its submenu.
void Highlight(Tracker& t, std::size_t level, int index)
{
    PopupMenuBehaviour* behaviour = BehaviourOf(t.levels[level].window);
    const MenuRecord* record = FindMenu(t.levels[level].menu);
    if (!behaviour || !record)
        return;
    if (index >= static_cast<int>(record->items.size()) ||
        (index >= 0 && (record->items[static_cast<std::size_t>(index)].flags & MF_SEPARATOR)))
        index = -1;
    const bool keepsChild =
        index >= 0 && t.levels.size() > level + 1 &&
        record->items[static_cast<std::size_t>(index)].Submenu() == t.levels[level + 1].menu;
    if (!keepsChild)
        CloseLevelsAbove(t, level + 1);
    if (index != behaviour->highlight)
    {
        behaviour->SetHighlight(t.levels[level].window, index);
        NotifySelect(t, t.levels[level].menu, index);
    }
    if (index >= 0)
        OpenSubmenu(t, level, index, false);
}

void Choose(Tracker& t, UINT command)
{
    t.command = command;
    t.done = true;
}

// The level and item under a screen point; false when it is outside every menu window.
bool HitTest(const Tracker& t, POINT screen, std::size_t* level, int* index)
{
    for (std::size_t i = t.levels.size(); i-- > 0;)
    {
        CRect r;
        GetWindowRect(t.levels[i].window, &r);
        if (!r.PtInRect(screen))
            continue;
        *level = i;
        POINT client = screen;
        ScreenToClient(t.levels[i].window, &client);
        const PopupMenuBehaviour* behaviour = BehaviourOf(t.levels[i].window);
        *index = behaviour ? behaviour->ItemAt(client) : -1;
        return true;
    }
    return false;
}

const MenuItem* ItemOf(const Tracker& t, std::size_t level, int index)
{
    const MenuRecord* record = FindMenu(t.levels[level].menu);
    if (!record || index < 0 || static_cast<std::size_t>(index) >= record->items.size())
        return nullptr;
    return &record->items[static_cast<std::size_t>(index)];
}

void HandleMouse(Tracker& t, const MSG& msg)
{
    std::size_t level = 0;
    int index = -1;
    const bool inside = HitTest(t, msg.pt, &level, &index);
    switch (msg.message)
    {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        if (inside)
            Highlight(t, level, index);
        else if (PopupMenuBehaviour* deepest = BehaviourOf(t.levels.back().window))
            deepest->SetHighlight(t.levels.back().window, -1);
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        // A press outside every menu window dismisses the menu and goes no further.
        if (!inside)
            Choose(t, 0);
        else
            Highlight(t, level, index);
        return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP:
    {
        const bool right = msg.message == WM_RBUTTONUP || msg.message == WM_NCRBUTTONUP;
        if (!inside || (right && !(t.flags & TPM_RIGHTBUTTON)))
            return;
        const MenuItem* item = ItemOf(t, level, index);
        if (item && item->Selectable() && !(item->flags & MF_POPUP))
            Choose(t, static_cast<UINT>(item->id));
        return;
    }
    default:
        return;
    }
}

void MoveHighlight(Tracker& t, int step)
{
    const std::size_t level = t.levels.size() - 1;
    const MenuRecord* record = FindMenu(t.levels[level].menu);
    PopupMenuBehaviour* behaviour = BehaviourOf(t.levels[level].window);
    if (!record || !behaviour || record->items.empty())
        return;
    const int count = static_cast<int>(record->items.size());
    int index = behaviour->highlight < 0 ? (step > 0 ? -1 : count) : behaviour->highlight;
    for (int k = 0; k < count; ++k)
    {
        index = ((index + step) % count + count) % count;
        if (!(record->items[static_cast<std::size_t>(index)].flags & MF_SEPARATOR))
        {
            CloseLevelsAbove(t, level + 1);
            behaviour->SetHighlight(t.levels[level].window, index);
            NotifySelect(t, t.levels[level].menu, index);
            return;
        }
    }
}

// Enter, or the mnemonic of an item: open its submenu or choose it.
void Activate(Tracker& t, std::size_t level, int index)
{
    const MenuItem* item = ItemOf(t, level, index);
    if (!item || !item->Selectable())
        return;
    if (item->flags & MF_POPUP)
    {
        Highlight(t, level, index);
        OpenSubmenu(t, level, index, true);
    }
    else
        Choose(t, static_cast<UINT>(item->id));
}

int MnemonicItem(const MenuRecord& record, char ch)
{
    const int wanted = std::tolower(static_cast<unsigned char>(ch));
    for (std::size_t i = 0; i < record.items.size(); ++i)
    {
        const std::string label = SplitText(record.items[i].text).label;
        for (std::size_t k = 0; k + 1 < label.size(); ++k)
        {
            if (label[k] != '&')
                continue;
            if (label[k + 1] == '&')
            {
                ++k;
                continue;
            }
            if (std::tolower(static_cast<unsigned char>(label[k + 1])) == wanted)
                return static_cast<int>(i);
            break;
        }
    }
    return -1;
}

void HandleKey(Tracker& t, const MSG& msg)
{
    const std::size_t deepest = t.levels.size() - 1;
    const PopupMenuBehaviour* behaviour = BehaviourOf(t.levels[deepest].window);
    const int highlight = behaviour ? behaviour->highlight : -1;
    if (msg.message == WM_CHAR)
    {
        if (const MenuRecord* record = FindMenu(t.levels[deepest].menu))
            Activate(t, deepest, MnemonicItem(*record, static_cast<char>(msg.wParam)));
        return;
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return;
    switch (msg.wParam)
    {
    case VK_ESCAPE:
        if (t.levels.size() > 1)
            CloseLevelsAbove(t, t.levels.size() - 1);
        else
            Choose(t, 0);
        return;
    case VK_MENU:
    case VK_F10:
        Choose(t, 0);
        return;
    case VK_UP:
        MoveHighlight(t, -1);
        return;
    case VK_DOWN:
        MoveHighlight(t, 1);
        return;
    case VK_LEFT:
        if (t.levels.size() > 1)
            CloseLevelsAbove(t, t.levels.size() - 1);
        return;
    case VK_RIGHT:
        if (const MenuItem* item = ItemOf(t, deepest, highlight); item && (item->flags & MF_POPUP))
            Activate(t, deepest, highlight);
        return;
    case VK_RETURN:
        Activate(t, deepest, highlight);
        return;
    default:
        return;
    }
}

bool IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCRBUTTONUP);
}

bool IsKeyMessage(UINT message)
{
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

int MillisecondsToNextTimer()
{
    const State& s = State::Get();
    if (s.timers.empty())
        return -1;
    const DWORD now = GetTickCount();
    int best = INT_MAX;
    for (const Timer& timer : s.timers)
        best = std::min(best, std::max(0, static_cast<int>(timer.due - now)));
    return best;
}

void RunTrackingLoop(Tracker& t)
{
    while (!t.done)
    {
        if (t.levels.empty() || !IsWindow(t.levels.front().window) || !IsWindow(t.owner))
            break;
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (IsMouseMessage(msg.message))
            {
                ProcessKeyState(msg.message, msg.wParam);
                HandleMouse(t, msg);
            }
            else if (IsKeyMessage(msg.message))
            {
                ProcessKeyState(msg.message, msg.wParam);
                HandleKey(t, msg);
            }
            else
                DispatchMessage(&msg);
            continue;
        }
        if (winlib::PumpOne())
            continue;
        if (winlib::QuitRequested())
            break;
        const HeadlessBackend* headless = GetHeadlessBackend();
        if (headless && headless->ManualClock())
            break; // nothing will ever arrive
        GetBackend().WaitForEvents(MillisecondsToNextTimer());
    }
}

std::vector<MenuItemSnapshot> Snapshot(HMENU menu)
{
    std::vector<MenuItemSnapshot> items;
    if (const MenuRecord* record = FindMenu(menu))
    {
        for (const MenuItem& item : record->items)
        {
            const UINT id = (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
            items.push_back(MenuItemSnapshot{id, item.flags, item.text});
        }
    }
    return items;
}

} // namespace

void RegisterPopupMenuClass()
{
    State::Get().RegisterBuiltin(
        "#32768", [] { return std::make_unique<PopupMenuBehaviour>(); }, COLOR_MENU,
        CS_SAVEBITS | CS_DBLCLKS);
}

UINT RunPopupMenuWindow(HMENU menu, UINT flags, POINT at, HWND owner, const RECT* exclude)
{
    Tracker t;
    t.owner = owner;
    t.flags = flags;
    const HWND root = OpenLevel(t, menu, CPoint(at), flags, exclude);
    if (!root)
        return 0;
    g_tracker = &t;
    SetCapture(root);
    RunTrackingLoop(t);
    g_tracker = nullptr;
    // The windows go away before the command is delivered.
    CloseLevelsAbove(t, 0);
    if (!(flags & TPM_NONOTIFY) && IsWindow(owner))
        SendMessage(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    return t.done ? t.command : 0;
}

} // namespace winlib::detail

using namespace winlib::detail;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params)
{
    if (!FindMenu(menu) || !IsWindow(owner))
    {
        SetLastError(1401); // invalid menu handle
        return FALSE;
    }
    if (g_tracker)
        return FALSE; // one popup menu at a time
    const bool notify = !(flags & TPM_NONOTIFY);
    // A tooltip shown (or about to show) over what the menu came from would stay on screen over
    // the menu: tips go when a menu opens, as the mouse leaving their tool would take them.
    const std::vector<HWND> tops = State::Get().topLevels;
    for (HWND top : tops)
    {
        char cls[32] = {};
        GetClassName(top, cls, sizeof cls);
        if (std::strcmp(cls, TOOLTIPS_CLASS) == 0)
            SendMessage(top, TTM_POP, 0, 0);
    }
    SendMessage(owner, WM_ENTERMENULOOP, TRUE, 0);
    if (notify && IsWindow(owner))
    {
        SendMessage(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        if (IsWindow(owner))
            SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    }
    UINT command = 0;
    if (IsWindow(owner) && FindMenu(menu))
    {
        winlib::ModalRequest request(winlib::ModalKind::PopupMenu);
        request.window = owner;
        request.type = flags;
        request.point = POINT{x, y};
        request.items = Snapshot(menu);
        bool asked = false;
        const winlib::ModalAnswer answer = winlib::AskModalAnswerer(request, &asked);
        if (asked && answer.answered)
        {
            // Only what a user could have clicked counts as an answer.
            command = static_cast<UINT>(answer.result);
            if (!IsChoosableCommand(menu, command))
                command = 0;
        }
        else if (!winlib::GetHeadlessBackend())
            command =
                RunPopupMenuWindow(menu, flags, POINT{x, y}, owner, params ? &params->rcExclude : nullptr);
    }
    if (IsWindow(owner))
        SendMessage(owner, WM_EXITMENULOOP, TRUE, 0);
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(command);
    if (command && notify && IsWindow(owner))
        SendMessage(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT* rect)
{
    if (!rect)
        return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
    TPMPARAMS params{sizeof(TPMPARAMS), *rect};
    return TrackPopupMenuEx(menu, flags, x, y, owner, &params);
}

namespace
{
// The open menu window showing 'menu' (and, when given, being 'hwnd').
HWND ShowingWindow(HWND hwnd, HMENU menu)
{
    if (!g_tracker)
        return nullptr;
    for (const Tracker::Level& level : g_tracker->levels)
    {
        if (level.menu == menu && (!hwnd || level.window == hwnd))
            return level.window;
    }
    return nullptr;
}
} // namespace

BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect)
{
    const HWND window = ShowingWindow(hwnd, menu);
    const PopupMenuBehaviour* behaviour = BehaviourOf(window);
    if (!behaviour || !rect || item >= behaviour->layout.items.size())
        return FALSE;
    CRect r = behaviour->layout.items[item];
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    r.OffsetRect(origin.x, origin.y);
    *rect = r;
    return TRUE;
}

int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen)
{
    const HWND window = ShowingWindow(hwnd, menu);
    const PopupMenuBehaviour* behaviour = BehaviourOf(window);
    if (!behaviour)
        return -1;
    ScreenToClient(window, &screen);
    return behaviour->ItemAt(screen);
}

BOOL EndMenu()
{
    if (!g_tracker)
        return FALSE;
    g_tracker->command = 0;
    g_tracker->done = true;
    return TRUE;
}
