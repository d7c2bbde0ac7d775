// File-system calls of the Windows API that the system uses, over the C++ standard library.
// Paths may separate folders with "\" (as the system's own code builds them) or "/".
#pragma once

#include "winlib/WinDef.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

constexpr DWORD MAX_PATH = 260;
constexpr int CSIDL_APPDATA = 0x001a; // the user's roaming application data

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

// The path with every "\" turned into "/", ready for the C++ and C libraries.
std::string ToNativePath(LPCSTR path);

// Writes the folder (at most MAX_PATH characters with the NUL) into path. Only CSIDL_APPDATA is
// known: $APPDATA when set, else $XDG_CONFIG_HOME, else $HOME/.config. A variable that does not hold
// an absolute path is passed over, as if it were not set: a relative folder would move with the
// working directory. With create, a missing folder is created with its parents.
BOOL SHGetSpecialFolderPath(HWND owner, LPSTR path, int csidl, BOOL create);

// Creates one folder; fails when it exists already or its parent does not.
BOOL CreateDirectory(LPCSTR path, void* securityAttributes);

// FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL; INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD GetFileAttributes(LPCSTR path);

BOOL PathFileExists(LPCSTR path);

// fopen after separator translation; the Windows text-mode letter "t" is accepted and dropped. Only
// plain files open: a folder, device, pipe or socket at the path fails (errno EISDIR or ENODEV), as
// a folder does on Windows, so that nothing waits on a pipe or reads a device without end.
FILE* _tfopen(LPCSTR path, LPCSTR mode);

namespace winlib
{
enum class FileReadStatus
{
    Read,
    Missing,       // nothing at the path (or a folder on the way is missing)
    Folder,        // a folder stands where the file should be
    NotAPlainFile, // a device, pipe or socket
    TooLarge,      // longer than the limit
    Unreadable,    // no access, or a read error
};

// Reads the plain file at path whole into content. Folders, devices, pipes and sockets are refused
// without a byte read, and so is a file longer than limit bytes (also one that grows past it while
// it is read), so that a read always ends and never takes more than limit bytes of memory.
FileReadStatus ReadPlainFile(LPCSTR path, std::size_t limit, std::string& content);

// One sentence naming the path and what is wrong, for messages: "... is a folder, not a file".
std::string DescribeFileRead(FileReadStatus status, const std::string& path, std::size_t limit);

// The application-data variables that are set but were passed over because they do not hold an
// absolute path, as "NAME=value", so that a program can say why its settings are elsewhere.
std::vector<std::string> RefusedAppDataVariables();
} // namespace winlib
