// Modules and their exported functions, looked up by name as the system does: the main
// program (the host executable), shared libraries, and the system libraries that some
// code loads by name (msimg32.dll for GradientFill, UxTheme.dll for SetWindowTheme).
#pragma once

#include "winlib/Api.h"

#include <string>

HMODULE LoadLibrary(LPCSTR name);
BOOL FreeLibrary(HMODULE module);

namespace winlib
{

// Makes GetProcAddress report a name as missing (tests of an older host), or finds it again.
void HideExport(const std::string& name);
void UnhideExport(const std::string& name);
void UnhideAllExports();
// Makes LoadLibrary fail for one of the built-in system libraries, or succeed again.
void HideSystemLibrary(const std::string& name, bool hidden);

// The theme names set on a window through SetWindowTheme (empty when never set).
std::wstring WindowThemeName(HWND hwnd);

} // namespace winlib

using HRESULT = long;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005L);
HRESULT SetWindowTheme(HWND hwnd, const wchar_t* subAppName, const wchar_t* subIdList);
