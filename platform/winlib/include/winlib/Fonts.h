// Font enumeration with the Windows names: EnumFontFamiliesEx and EnumFontFamilies over the
// families the backend has installed (Backend::FontFamilies). Every family is reported once, as
// a TrueType font of the ANSI character set in its regular style; a family named in the LOGFONT
// (case ignored) is reported alone, and a character set other than ANSI or DEFAULT finds nothing.
#pragma once

#include "winlib/WinGdi.h"

constexpr int LF_FULLFACESIZE = 64;

struct ENUMLOGFONTEX
{
    LOGFONT elfLogFont;
    BYTE elfFullName[LF_FULLFACESIZE];
    BYTE elfStyle[LF_FACESIZE];
    BYTE elfScript[LF_FACESIZE];
};
using LPENUMLOGFONTEX = ENUMLOGFONTEX*;

struct NEWTEXTMETRIC : TEXTMETRIC
{
    DWORD ntmFlags;
    UINT ntmSizeEM;
    UINT ntmCellHeight;
    UINT ntmAvgWidth;
};

struct FONTSIGNATURE
{
    DWORD fsUsb[4];
    DWORD fsCsb[2];
};

struct NEWTEXTMETRICEX
{
    NEWTEXTMETRIC ntmTm;
    FONTSIGNATURE ntmFontSig;
};

constexpr DWORD RASTER_FONTTYPE = 0x0001;
constexpr DWORD DEVICE_FONTTYPE = 0x0002;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;
constexpr DWORD NTM_REGULAR = 0x00000040;

// As on Windows, the LOGFONT is the first member of an ENUMLOGFONTEX and the TEXTMETRIC the
// first member of a NEWTEXTMETRICEX. A zero result ends the enumeration.
using FONTENUMPROC = int (*)(const LOGFONT* font, const TEXTMETRIC* metrics, DWORD fontType, LPARAM data);

// The callback's last result; 1 when no family was reported. 'hdc' may be null (the screen).
int EnumFontFamiliesEx(HDC hdc, LPLOGFONT font, FONTENUMPROC proc, LPARAM data, DWORD flags);
// The families (family null) or the one family named.
int EnumFontFamilies(HDC hdc, LPCSTR family, FONTENUMPROC proc, LPARAM data);
