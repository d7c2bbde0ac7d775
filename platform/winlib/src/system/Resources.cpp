#include "winlib/Resources.h"

#include <map>

namespace winlib
{

namespace
{
std::map<UINT, BitmapResource>& Bitmaps()
{
    static std::map<UINT, BitmapResource> bitmaps;
    return bitmaps;
}

std::map<UINT, DialogTemplate>& Dialogs()
{
    static std::map<UINT, DialogTemplate> dialogs;
    return dialogs;
}
} // namespace

void RegisterBitmapResource(BitmapResource bitmap)
{
    const UINT id = bitmap.id;
    Bitmaps()[id] = std::move(bitmap);
}

const BitmapResource* FindBitmapResource(UINT id)
{
    const auto it = Bitmaps().find(id);
    return it == Bitmaps().end() ? nullptr : &it->second;
}

void RegisterDialogTemplate(DialogTemplate dialog)
{
    const UINT id = dialog.id;
    Dialogs()[id] = std::move(dialog);
}

const DialogTemplate* FindDialogTemplate(UINT id)
{
    const auto it = Dialogs().find(id);
    return it == Dialogs().end() ? nullptr : &it->second;
}

} // namespace winlib
