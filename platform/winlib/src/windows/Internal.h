// Internal state of the window library: window records, classes, the message queue,
// timers, focus and capture. One instance for the process; only the user-interface
// thread touches it, except the posted-task queue, which has its own lock.
#pragma once

#include "winlib/Api.h"
#include "winlib/Backend.h"

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// The class library's object of a window. The window manager keeps it and hands it over, and
// reaches it only through the hooks the class library sets (ObjectHooks).
class CWnd;

namespace winlib::detail
{

// What the class library does with the objects it attaches to windows; it sets these when it is
// loaded, before any object can be attached.
struct ObjectHooks
{
    // The object's WindowProc, for a window whose messages the object routes.
    LRESULT (*windowProc)(CWnd* object, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
    // The object's PreTranslateMessage, on the walk from a queued message's window upwards.
    bool (*preTranslate)(CWnd* object, MSG* msg) = nullptr;
    HWND (*handleOf)(const CWnd* object) = nullptr;
    void (*setHandle)(CWnd* object, HWND hwnd) = nullptr;
    // Deletes an object the class library made for a window that has none (CWnd::FromHandle).
    void (*deleteTemporary)(CWnd* object) = nullptr;
    // EndDialog on a window whose object runs a modal loop.
    void (*endModalLoop)(CWnd* object, int result) = nullptr;
};
extern ObjectHooks g_objectHooks;

// The object whose window is being created: attached before the first message, as the class
// library's CreateEx hooks the creation (Window.cpp).
extern CWnd* g_creatingObject;

struct TemporaryObjectDeleter
{
    void operator()(CWnd* object) const { g_objectHooks.deleteTemporary(object); }
};

// The built-in behaviour of a window class together with the per-window state it needs
// (an edit's text buffer, a list box's items ...). Unhandled messages end in DefWindowProc.
class ControlBehaviour
{
public:
    virtual ~ControlBehaviour() = default;
    virtual LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

struct WindowClass
{
    std::string name;
    UINT style = CS_DBLCLKS;
    WNDPROC proc = nullptr;                                     // user-registered classes
    std::function<std::unique_ptr<ControlBehaviour>()> factory; // built-in classes
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;    // shown over the client area; the arrow when null
    int backgroundSysColor = -1; // erase with this system colour when background is null
};

struct ScrollBarState
{
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool visible = false;
};

struct WindowRecord
{
    HWND handle = nullptr;
    const WindowClass* cls = nullptr;
    std::unique_ptr<ControlBehaviour> behaviour;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT_PTR id = 0;
    HWND parent = nullptr;      // child windows
    HWND owner = nullptr;       // top-level windows
    std::vector<HWND> children; // z-order, topmost first
    CRect rect;                 // in the parent's client coordinates, or the screen for top-levels
    CRect ncReserved;           // non-client bands the window keeps for itself (WM_NCCALCSIZE), per side
    std::string text;
    HFONT font = nullptr;
    LONG_PTR userData = 0;

    CWnd* object = nullptr; // permanent C++ object
    bool routed = false;    // messages go through object->WindowProc
    std::unique_ptr<CWnd, TemporaryObjectDeleter> temporary;

    CRect invalid; // client coordinates; empty when valid
    bool eraseNeeded = false;
    bool frameNeeded = false;
    bool redraw = true; // WM_SETREDRAW
    bool destroying = false;
    bool created = false; // WM_CREATE has returned successfully
    ScrollBarState hscroll;
    ScrollBarState vscroll;
    DWORD displayAffinity = WDA_NONE;
    HWND lastFocus = nullptr; // dialogs: control to give the focus back to on activation

    std::unique_ptr<Surface> surface; // top-level windows only
};

struct Timer
{
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
    bool pending; // a WM_TIMER for it waits in the queue
};

// Per-DC state; DCs live in a handle table like windows.
struct DcRecord;

class State
{
public:
    static State& Get();

    // Windows
    WindowRecord* Find(HWND hwnd);
    WindowRecord& Require(HWND hwnd); // caller checked IsWindow
    HWND NewHandle();
    void Erase(HWND hwnd);
    std::unordered_map<UINT_PTR, std::unique_ptr<WindowRecord>> windows;
    struct FoundWindow
    {
        UINT_PTR key = 0;
        WindowRecord* record = nullptr;
    };
    std::array<FoundWindow, 16> findCache{}; // recent lookups of Find, by handle
    std::vector<HWND> topLevels;             // z-order, topmost first
    UINT_PTR nextHandle = 0x10000;

    // Classes
    std::map<std::string, std::unique_ptr<WindowClass>> classes; // keyed by lower-case name
    const WindowClass* FindClass(const std::string& name);
    void RegisterBuiltin(const std::string& name, std::function<std::unique_ptr<ControlBehaviour>()> factory,
                         int backgroundSysColor, UINT style = CS_DBLCLKS);

    // Messages
    std::deque<MSG> queue;
    std::mutex taskLock;
    std::deque<std::function<void()>> tasks;
    bool quit = false;
    int quitCode = 0;
    MSG lastMessage{}; // the last message retrieved from the queue (time, position)
    std::map<std::string, UINT> registeredMessages;
    UINT nextRegisteredMessage = 0xC000;

    // Timers
    std::vector<Timer> timers;

    // Focus, activation, capture, input state
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    BYTE keys[256] = {};
    POINT cursor{0, 0};

    // Clipboard
    HWND clipboardOwner = nullptr;
    bool clipboardOpen = false;
};

// Sends to the object or the class proc of a window, keeping track of the current message.
LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the class behaviour of a window (what CWnd::Default reaches).
LRESULT CallClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
const MSG& CurrentMessage();

// Geometry helpers
CRect NonClientInsets(const WindowRecord& w);         // left/top/right/bottom thickness of the frame
CRect StandardNonClientInsets(const WindowRecord& w); // the same without the window's own bands
// Asks the window for its client area (WM_NCCALCSIZE) and keeps what it reserved beyond the standard frame.
void RecalcReservedNonClient(HWND hwnd);
CRect ClientRectOf(const WindowRecord& w); // client area in window coordinates
POINT ClientOriginOnScreen(HWND hwnd);
POINT WindowOriginOnScreen(HWND hwnd);
HWND TopLevelOf(HWND hwnd);
bool IsVisibleChain(HWND hwnd); // the window and every ancestor visible

// Painting helpers
void InvalidateWindow(HWND hwnd, const RECT* clientRect, bool erase, bool includeChildren);
// An area of a window whose pixels are not on its surface (shown, moved, reparented, or
// uncovered by a window that went away): the window and every descendant in it, clipped
// children too, erase and paint it with their frames, as RDW_ALLCHILDREN asks.
void InvalidateUncovered(HWND hwnd, const RECT* clientRect);
bool NeedsPaint(const WindowRecord& w);
HWND FindWindowNeedingPaint();
void PaintWindowNow(HWND hwnd);
Canvas& CanvasFor(HWND hwnd); // the top-level surface, or the measuring canvas
Canvas& MeasuringCanvas();
// The clip of a window's client area on its top-level surface, in surface coordinates.
Region VisibleClientRegion(HWND hwnd, bool clipChildren);
void PresentTopLevel(HWND hwnd, const RECT& dirtyWindowRect);

// DC creation for window painting; the DC is owned by the handle table.
HDC CreateWindowDc(HWND hwnd, bool client, const Region* clip);
void ReleaseWindowDc(HDC hdc);

// Input
void ProcessKeyState(UINT message, WPARAM vk);
// Keys and characters from the devices carry this reserved bit of lParam while they wait in the
// queue: they go to the window that has the keyboard focus when they are taken from it, as on
// Windows, not to the one that had it when they were typed (keys typed in a burst would all go to
// the window that had the focus before the first of them moved it).
constexpr LPARAM kDeviceKeyBit = LPARAM{1} << 25;
// The window keys go to: the focus, or the active window when nothing has the focus.
HWND KeyboardTarget();

// Modal support
struct ModalHooks;

// The default non-client painting (frame, caption, scroll bars).
void PaintNonClient(HWND hwnd);
int NonClientHitTest(HWND hwnd, POINT screenPoint);
// Default handling of clicks in the non-client area (scroll bars, caption dragging).
bool HandleNonClientMouse(HWND hwnd, UINT message, WPARAM hitTest, POINT screenPoint);
// Takes the mouse messages of a scroll-bar, caption or border drag in progress.
bool FilterTrackingMessage(const MSG& msg);

// Registers the window classes every program finds: the window manager's own, then those of
// each registrar that the parts above it added.
void RegisterBuiltinClasses();
void AddClassRegistrar(void (*registrar)());

std::string ToLower(std::string s);

} // namespace winlib::detail
