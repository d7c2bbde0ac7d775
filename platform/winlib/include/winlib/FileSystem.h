// File-system calls of the Windows API that the system uses, over the C++ standard library.
// Paths may separate folders with "\" (as the system's own code builds them) or "/".
#pragma once

#include "winlib/WinDef.h"

#include <cstdio>
#include <string>

constexpr DWORD MAX_PATH = 260;
constexpr int CSIDL_APPDATA = 0x001a; // the user's roaming application data

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

// The path with every "\" turned into "/", ready for the C++ and C libraries.
std::string ToNativePath(LPCSTR path);

// Writes the folder (at most MAX_PATH characters with the NUL) into path. Only CSIDL_APPDATA is
// known: $APPDATA when set, else $XDG_CONFIG_HOME, else $HOME/.config. With create, a missing folder
// is created with its parents.
BOOL SHGetSpecialFolderPath(HWND owner, LPSTR path, int csidl, BOOL create);

// Creates one folder; fails when it exists already or its parent does not.
BOOL CreateDirectory(LPCSTR path, void* securityAttributes);

// FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL; INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD GetFileAttributes(LPCSTR path);

BOOL PathFileExists(LPCSTR path);

// fopen after separator translation; the Windows text-mode letter "t" is accepted and dropped.
FILE* _tfopen(LPCSTR path, LPCSTR mode);
