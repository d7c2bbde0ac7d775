// What the list view and the header need of image lists: the size of an image, the number
// of images and drawing one.
#pragma once

#include "winlib/ImageList.h"

namespace winlib::detail
{

inline SIZE ImageSize(HIMAGELIST images)
{
    SIZE size{0, 0};
    int cx = 0;
    int cy = 0;
    if (images && ImageList_GetIconSize(images, &cx, &cy))
        size = SIZE{cx, cy};
    return size;
}

inline int ImageCount(HIMAGELIST images)
{
    return images ? ImageList_GetImageCount(images) : 0;
}

// Draws image 'index' with its top left corner at (x, y); false when there is nothing to draw.
inline bool DrawImage(HIMAGELIST images, int index, HDC hdc, int x, int y, UINT style)
{
    if (!images || index < 0 || index >= ImageList_GetImageCount(images))
        return false;
    return ImageList_Draw(images, index, hdc, x, y, style) != FALSE;
}

} // namespace winlib::detail
