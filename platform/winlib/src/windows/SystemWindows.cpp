// The system services that know windows: message boxes, display affinity, the clipboard,
// modules and window themes.
#include "GlobalMemory.h"
#include "Internal.h"
#include "winlib/Faults.h"
#include "winlib/Gdi.h"
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

// ---- The clipboard -----------------------------------------------------------------------

namespace
{
HGLOBAL& ClipboardMemory()
{
    static HGLOBAL memory = nullptr;
    return memory;
}
} // namespace

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
    const std::vector<char>* bytes = GlobalBytes(static_cast<HGLOBAL>(data));
    if (!bytes)
        return nullptr;
    const std::string text(bytes->data(), strnlen(bytes->data(), bytes->size()));
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
    if (std::vector<char>* bytes = GlobalBytes(ClipboardMemory()))
        std::memcpy(bytes->data(), text.c_str(), text.size() + 1);
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

