// Image lists: equal-sized images kept side by side on one canvas of the backend, drawn
// with the canvas's blit (a masked image with its mask colour left out), and the image
// drag functions, whose drag image is a top-level popup that follows ImageList_DragMove.
// The functions and the class library's CImageList.
#pragma once

#include "winlib/CommCtrl.h"
#include "winlib/Gdi.h"

class CWnd;

// ---- Functions ---------------------------------------------------------------------------
// Room for 'initial' images; 'grow' more each time it runs out (0: a list of fixed size
// that refuses images beyond its room).
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST himl);
HIMAGELIST ImageList_Duplicate(HIMAGELIST himl);
// A bitmap wider than the images adds one image per image width. Returns the index of the
// first image added, or -1. With ILC_MASK the mask bitmap's white pixels are transparent.
int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask);
// With ILC_MASK the pixels of 'mask' (CLR_DEFAULT: the top-left pixel's colour) are transparent.
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask);
BOOL ImageList_Replace(HIMAGELIST himl, int index, HBITMAP image, HBITMAP mask);
// -1 removes every image.
BOOL ImageList_Remove(HIMAGELIST himl, int index);
inline BOOL ImageList_RemoveAll(HIMAGELIST himl)
{
    return ImageList_Remove(himl, -1);
}
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT count);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Changes the image size and removes every image.
BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy);
BOOL ImageList_GetImageInfo(HIMAGELIST himl, int index, IMAGEINFO* info);
// The colour behind masked images drawn with ILD_NORMAL; CLR_NONE draws them transparently.
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF color);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);

// ILD_NORMAL, ILD_TRANSPARENT, ILD_SELECTED (half blended with the highlight colour) and
// ILD_FOCUS (a quarter).
BOOL ImageList_Draw(HIMAGELIST himl, int index, HDC hdc, int x, int y, UINT style);
// 'dx' x 'dy' of the image (0: all of it); 'background' CLR_DEFAULT is the list's colour,
// 'foreground' CLR_DEFAULT the highlight colour blended in by ILD_SELECTED and ILD_FOCUS.
BOOL ImageList_DrawEx(HIMAGELIST himl, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style);

// One drag at a time. The hot spot is the point of the image that follows the positions
// given; DragEnter and DragMove take them relative to the locked window's upper-left
// corner (its window rectangle; null: the screen).
BOOL ImageList_BeginDrag(HIMAGELIST track, int index, int dxHotspot, int dyHotspot);
BOOL ImageList_DragEnter(HWND lock, int x, int y);
BOOL ImageList_DragMove(int x, int y);
BOOL ImageList_DragLeave(HWND lock);
void ImageList_EndDrag();
BOOL ImageList_DragShowNolock(BOOL show);
// The list being dragged, and where: the position given last and the hot spot.
HIMAGELIST ImageList_GetDragImage(POINT* position, POINT* hotspot);

// ---- CImageList ---------------------------------------------------------------------------
class CImageList : public CObject
{
    DECLARE_DYNAMIC(CImageList)
public:
    CImageList() = default;
    // Destroys an attached list.
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL Attach(HIMAGELIST himl);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int GetImageCount() const;
    BOOL SetImageCount(UINT count);
    int Add(CBitmap* bitmap, CBitmap* mask);
    int Add(CBitmap* bitmap, COLORREF mask);
    BOOL Replace(int index, CBitmap* bitmap, CBitmap* mask);
    BOOL Remove(int index);
    BOOL GetImageInfo(int index, IMAGEINFO* info) const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    BOOL Draw(CDC* dc, int index, POINT point, UINT style);
    BOOL DrawEx(CDC* dc, int index, POINT point, SIZE size, COLORREF background, COLORREF foreground,
                UINT style);

    BOOL BeginDrag(int index, CPoint hotspot);
    static BOOL DragEnter(CWnd* lock, CPoint point);
    static BOOL DragMove(CPoint point);
    static BOOL DragLeave(CWnd* lock);
    static void EndDrag();
    static BOOL DragShowNolock(BOOL show);
};
