// System services: metrics, classic colours, message boxes, beeps, the clipboard, global
// memory, display affinity, modules and error codes.
#include "GdiInternal.h"
#include "winlib/Faults.h"
#include "winlib/Modal.h"
#include "winlib/Modules.h"
#include "winlib/Observe.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <set>
#include <utility>

namespace winlib::detail
{
int RunMessageBoxWindow(HWND owner, const std::string& text, const std::string& caption, UINT type);
}

using namespace winlib::detail;

namespace winlib
{

Observations& Observed()
{
    static Observations observations;
    return observations;
}

namespace
{
std::map<Fault, int>& Armed()
{
    static std::map<Fault, int> armed;
    return armed;
}

ModalAnswerer& Answerer()
{
    static ModalAnswerer answerer;
    return answerer;
}
} // namespace

void FailNext(Fault fault, int times) { Armed()[fault] += times; }

bool ShouldFail(Fault fault)
{
    auto it = Armed().find(fault);
    if (it == Armed().end() || it->second <= 0)
        return false;
    --it->second;
    return true;
}

void ClearFaults() { Armed().clear(); }

ModalAnswerer SetModalAnswerer(ModalAnswerer answerer) { return std::exchange(Answerer(), std::move(answerer)); }

ModalAnswer AskModalAnswerer(const ModalRequest& request, bool* asked)
{
    // The answerer may itself open modal loops; it is out of the way meanwhile.
    ModalAnswerer answerer = Answerer();
    if (asked)
        *asked = static_cast<bool>(answerer);
    if (!answerer)
        return ModalAnswer{};
    return answerer(request);
}

} // namespace winlib

int GetSystemMetrics(int index)
{
    switch (index)
    {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return winlib::GetBackend().ScreenSize().cx;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
        return winlib::GetBackend().ScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CYSMCAPTION:
        return 15;
    case SM_CYMENU:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    default:
        return 0;
    }
}

// The classic Windows scheme.
DWORD GetSysColor(int index)
{
    switch (index)
    {
    case COLOR_SCROLLBAR:
        return RGB(212, 208, 200);
    case COLOR_BACKGROUND:
        return RGB(58, 110, 165);
    case COLOR_ACTIVECAPTION:
        return RGB(10, 36, 106);
    case COLOR_INACTIVECAPTION:
        return RGB(128, 128, 128);
    case COLOR_MENU:
        return RGB(212, 208, 200);
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME:
        return RGB(0, 0, 0);
    case COLOR_MENUTEXT:
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_INFOTEXT:
        return RGB(0, 0, 0);
    case COLOR_CAPTIONTEXT:
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER:
    case COLOR_BTNFACE:
    case COLOR_3DLIGHT:
    case COLOR_MENUBAR:
        return RGB(212, 208, 200);
    case COLOR_INACTIVECAPTIONTEXT:
        return RGB(212, 208, 200);
    case COLOR_APPWORKSPACE:
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT:
        return RGB(128, 128, 128);
    case COLOR_HIGHLIGHT:
    case COLOR_MENUHILIGHT:
        return RGB(10, 36, 106);
    case COLOR_3DDKSHADOW:
        return RGB(64, 64, 64);
    case COLOR_INFOBK:
        return RGB(255, 255, 225);
    case COLOR_HOTLIGHT:
        return RGB(0, 0, 128);
    case COLOR_GRADIENTACTIVECAPTION:
        return RGB(166, 202, 240);
    case COLOR_GRADIENTINACTIVECAPTION:
        return RGB(192, 192, 192);
    default:
        return 0;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::map<int, HBRUSH> brushes;
    auto it = brushes.find(index);
    if (it != brushes.end())
        return it->second;
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Brush;
    o->brush = LOGBRUSH{BS_SOLID, GetSysColor(index), 0};
    o->stock = true;
    const HBRUSH brush = static_cast<HBRUSH>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
    brushes.emplace(index, brush);
    return brush;
}

namespace
{
std::vector<int> MessageBoxButtons(UINT type)
{
    switch (type & MB_TYPEMASK)
    {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}
} // namespace

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const std::string body = text ? text : "";
    const std::string title = caption ? caption : "Error";
    winlib::ModalRequest request(winlib::ModalKind::MessageBox);
    request.window = owner;
    request.text = body;
    request.caption = title;
    request.type = type;
    bool asked = false;
    const winlib::ModalAnswer answer = winlib::AskModalAnswerer(request, &asked);
    int result;
    if (asked && answer.answered)
        result = static_cast<int>(answer.result);
    else if (winlib::GetHeadlessBackend())
    {
        const std::vector<int> buttons = MessageBoxButtons(type);
        const std::size_t index = std::min<std::size_t>((type & MB_DEFMASK) >> 8, buttons.size() - 1);
        result = buttons[index];
    }
    else
        result = RunMessageBoxWindow(owner, body, title, type);
    winlib::Observed().messageBoxes.push_back(winlib::MessageBoxRecord{owner, body, title, type, result});
    return result;
}

BOOL MessageBeep(UINT type)
{
    winlib::Observed().beeps.push_back(winlib::BeepRecord{0, 0, type});
    return TRUE;
}

BOOL Beep(DWORD frequency, DWORD durationMs)
{
    if (winlib::Observed().keepBeeps)
        winlib::Observed().beeps.push_back(winlib::BeepRecord{frequency, durationMs, 0});
    return TRUE;
}

BOOL SetWindowDisplayAffinity(HWND hwnd, DWORD affinity)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w || w->parent)
        return FALSE; // only top-level windows carry an affinity
    w->displayAffinity = affinity;
    winlib::Observed().affinityChanges.push_back(winlib::AffinityRecord{hwnd, affinity});
    return TRUE;
}

BOOL GetWindowDisplayAffinity(HWND hwnd, DWORD* affinity)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w || !affinity)
        return FALSE;
    *affinity = w->displayAffinity;
    return TRUE;
}

// ---- Global memory and the clipboard ---------------------------------------------------

namespace
{
struct GlobalBlock
{
    std::vector<char> bytes;
    int locks = 0;
};

std::set<GlobalBlock*>& Blocks()
{
    static std::set<GlobalBlock*> blocks;
    return blocks;
}

GlobalBlock* Block(HGLOBAL h)
{
    auto* block = reinterpret_cast<GlobalBlock*>(h);
    return Blocks().count(block) ? block : nullptr;
}

HGLOBAL& ClipboardMemory()
{
    static HGLOBAL memory = nullptr;
    return memory;
}
} // namespace

HGLOBAL GlobalAlloc(UINT, std::size_t bytes)
{
    if (winlib::ShouldFail(winlib::Fault::GlobalAlloc))
        return nullptr;
    auto* block = new GlobalBlock;
    block->bytes.assign(std::max<std::size_t>(bytes, 1), '\0');
    Blocks().insert(block);
    return reinterpret_cast<HGLOBAL>(block);
}

LPVOID GlobalLock(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    if (!block || winlib::ShouldFail(winlib::Fault::GlobalLock))
        return nullptr;
    ++block->locks;
    return block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    if (!block || block->locks == 0)
        return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    GlobalBlock* block = Block(memory);
    if (!block)
        return memory;
    Blocks().erase(block);
    delete block;
    return nullptr;
}

std::size_t GlobalSize(HGLOBAL memory)
{
    const GlobalBlock* block = Block(memory);
    return block ? block->bytes.size() : 0;
}

BOOL OpenClipboard(HWND owner)
{
    State& s = State::Get();
    if (s.clipboardOpen || winlib::ShouldFail(winlib::Fault::OpenClipboard))
        return FALSE;
    s.clipboardOpen = true;
    s.clipboardOwner = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    State& s = State::Get();
    if (!s.clipboardOpen)
        return FALSE;
    s.clipboardOpen = false;
    return TRUE;
}

BOOL EmptyClipboard()
{
    State& s = State::Get();
    if (!s.clipboardOpen)
        return FALSE;
    winlib::GetBackend().SetClipboardText("");
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    State& s = State::Get();
    if (!s.clipboardOpen || format != CF_TEXT)
        return nullptr;
    GlobalBlock* block = Block(static_cast<HGLOBAL>(data));
    if (!block)
        return nullptr;
    const std::string text(block->bytes.data(), strnlen(block->bytes.data(), block->bytes.size()));
    winlib::GetBackend().SetClipboardText(text);
    winlib::Observed().clipboardWrites.push_back(text);
    // The system owns the memory now.
    if (ClipboardMemory())
        GlobalFree(ClipboardMemory());
    ClipboardMemory() = static_cast<HGLOBAL>(data);
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    State& s = State::Get();
    if (!s.clipboardOpen || format != CF_TEXT)
        return nullptr;
    const std::string text = winlib::GetBackend().GetClipboardText();
    if (ClipboardMemory())
        GlobalFree(ClipboardMemory());
    ClipboardMemory() = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (GlobalBlock* block = Block(ClipboardMemory()))
        std::memcpy(block->bytes.data(), text.c_str(), text.size() + 1);
    return ClipboardMemory();
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    return (format == CF_TEXT && !winlib::GetBackend().GetClipboardText().empty()) ? TRUE : FALSE;
}

// ---- Modules -----------------------------------------------------------------------------

namespace
{
std::set<std::string>& HiddenExports()
{
    static std::set<std::string> hidden;
    return hidden;
}

struct SystemLibrary
{
    std::map<std::string, FARPROC> exports;
    bool hidden = false;
};

std::map<std::string, SystemLibrary>& SystemLibraries()
{
    static std::map<std::string, SystemLibrary> libraries = [] {
        std::map<std::string, SystemLibrary> m;
        m["msimg32.dll"].exports["GradientFill"] = reinterpret_cast<FARPROC>(&::GradientFill);
        m["uxtheme.dll"].exports["SetWindowTheme"] = reinterpret_cast<FARPROC>(&::SetWindowTheme);
        return m;
    }();
    return libraries;
}

std::map<HWND, std::wstring>& Themes()
{
    static std::map<HWND, std::wstring> themes;
    return themes;
}
} // namespace

HMODULE GetModuleHandle(LPCSTR moduleName)
{
    if (!moduleName)
    {
        static void* self = dlopen(nullptr, RTLD_NOW);
        return static_cast<HMODULE>(self);
    }
    const auto it = SystemLibraries().find(ToLower(moduleName));
    if (it != SystemLibraries().end())
        return it->second.hidden ? nullptr : reinterpret_cast<HMODULE>(&it->second);
    return static_cast<HMODULE>(dlopen(moduleName, RTLD_NOW | RTLD_NOLOAD));
}

HMODULE LoadLibrary(LPCSTR name)
{
    if (!name)
        return nullptr;
    const auto it = SystemLibraries().find(ToLower(name));
    if (it != SystemLibraries().end())
        return it->second.hidden ? nullptr : reinterpret_cast<HMODULE>(&it->second);
    return static_cast<HMODULE>(dlopen(name, RTLD_NOW));
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module)
        return FALSE;
    for (auto& entry : SystemLibraries())
    {
        if (reinterpret_cast<HMODULE>(&entry.second) == module)
            return TRUE;
    }
    return dlclose(module) == 0 ? TRUE : FALSE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (!module || !name || HiddenExports().count(name))
        return nullptr;
    for (auto& entry : SystemLibraries())
    {
        if (reinterpret_cast<HMODULE>(&entry.second) == module)
        {
            const auto it = entry.second.exports.find(name);
            return it == entry.second.exports.end() ? nullptr : it->second;
        }
    }
    void* symbol = dlsym(module, name);
    return reinterpret_cast<FARPROC>(symbol);
}

HRESULT SetWindowTheme(HWND hwnd, const wchar_t* subAppName, const wchar_t* subIdList)
{
    if (!IsWindow(hwnd))
        return E_FAIL;
    std::wstring name = subAppName ? subAppName : L"";
    if (subIdList)
        name += std::wstring(L"|") + subIdList;
    Themes()[hwnd] = name;
    InvalidateWindow(hwnd, nullptr, true, true);
    return S_OK;
}

namespace winlib
{
void HideExport(const std::string& name) { HiddenExports().insert(name); }
void UnhideExport(const std::string& name) { HiddenExports().erase(name); }
void UnhideAllExports() { HiddenExports().clear(); }
void HideSystemLibrary(const std::string& name, bool hidden) { SystemLibraries()[ToLower(name)].hidden = hidden; }
std::wstring WindowThemeName(HWND hwnd)
{
    const auto it = Themes().find(hwnd);
    return it == Themes().end() ? std::wstring() : it->second;
}
} // namespace winlib

DWORD GetLastError() { return State::Get().lastError; }
void SetLastError(DWORD error) { State::Get().lastError = error; }
