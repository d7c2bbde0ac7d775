// The private-profile (INI file) functions of the Windows API.
//
// A file is a sequence of lines: "[section]" headers, "key=value" entries, ";" comments and blank
// lines. Section and key names match case-insensitively, blanks around names and values are
// trimmed, and a value wrapped in one pair of matching quotes (' or ") reads without them. When a
// section or a key occurs twice, the first one counts. Writing rewrites only the line concerned, so
// other sections, keys, comments and the order of lines are kept.
#pragma once

#include "winlib/WinDef.h"

// Copies the value of key in section into buffer, cut to size - 1 characters, and returns the number
// of characters copied. A missing file, section or key gives the default (NULL reads as "", trailing
// blanks dropped). A NULL section lists the section names, a NULL key the keys of the section: each
// name ends with a NUL and the list with a second one; when it does not fit, it is cut so that it
// still ends with two NULs and size - 2 is returned.
DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName);

// The value as an unsigned number: decimal, or hexadecimal after "0x"; a leading "-" negates modulo
// 2^32. Reading stops at the first character that is no digit. A missing or empty value gives
// defaultValue.
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);

// Sets key in section to value, creating the file (when its folder exists), the section (at the end
// of the file) or the key (at the end of its section) as needed. A NULL value deletes the key, a NULL
// key deletes the section, every header of that name with its lines. Names or values holding a line break, a key holding "=" and a
// section holding "]" are refused, since they could not be read back.
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
