// Resources by identifier: bitmaps and dialog templates carried as data. A module
// registers its resources when it loads; lookups search every registered module,
// as the application's resource chain does.
#pragma once

#include "winlib/WinDef.h"

#include <string>
#include <vector>

namespace winlib
{

struct BitmapResource
{
    UINT id;
    int width;
    int height;
    std::vector<DWORD> pixels; // 0x00RRGGBB, rows top to bottom
};

void RegisterBitmapResource(BitmapResource bitmap);
const BitmapResource* FindBitmapResource(UINT id);

// One control of a dialog template; position and size in dialog units.
struct DialogItemTemplate
{
    std::string className; // "Button", "Edit", "Static", "ListBox", "ComboBox", "SysListView32" ...
    std::string text;
    int id;
    DWORD style; // WS_CHILD is implied
    DWORD exStyle;
    short x;
    short y;
    short cx;
    short cy;
};

struct DialogTemplate
{
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x;
    short y;
    short cx;
    short cy;
    std::string caption;
    std::string fontFace; // with DS_SETFONT
    WORD pointSize;
    std::vector<DialogItemTemplate> items;
};

void RegisterDialogTemplate(DialogTemplate dialog);
const DialogTemplate* FindDialogTemplate(UINT id);

} // namespace winlib
