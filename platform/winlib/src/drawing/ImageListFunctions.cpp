// Image lists. The images of a list lie side by side on one canvas of the backend, image
// i at x = i * cx; a masked image keeps the colour that stands for its transparent pixels,
// and drawing is one blit with that colour left out. The recording canvas reads such a
// blit back with its colour; a canvas that keeps pixels skips them for real.
#include "GdiInternal.h"
#include "winlib/ImageList.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

namespace winlib::detail
{

namespace
{

struct ImageListRecord
{
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int initial = 0;
    int grow = 0;
    int count = 0;
    int capacity = 0;
    COLORREF background = CLR_NONE;
    std::unique_ptr<Canvas> strip;
    std::vector<std::optional<COLORREF>> keys; // per image: the colour not drawn

    bool Masked() const { return (flags & ILC_MASK) != 0; }
    CRect Slot(int index) const { return CRect(index * cx, 0, (index + 1) * cx, cy); }
};

struct ImageListTable
{
    std::unordered_map<UINT_PTR, std::unique_ptr<ImageListRecord>> lists;
    UINT_PTR next = 0x50001;
};

ImageListTable& Table()
{
    static ImageListTable table;
    return table;
}

ImageListRecord* Find(HIMAGELIST himl)
{
    ImageListTable& t = Table();
    const auto it = t.lists.find(reinterpret_cast<UINT_PTR>(himl));
    return it == t.lists.end() ? nullptr : it->second.get();
}

HIMAGELIST Add(std::unique_ptr<ImageListRecord> record)
{
    ImageListTable& t = Table();
    t.next += 2;
    t.lists.emplace(t.next, std::move(record));
    return reinterpret_cast<HIMAGELIST>(t.next);
}

// Makes a canvas ready to be drawn on as a whole.
Canvas& Open(Canvas& canvas)
{
    canvas.SetSource(nullptr, POINT{0, 0});
    canvas.SetClip(winlib::Region(CRect(0, 0, canvas.Width(), canvas.Height())));
    return canvas;
}

std::unique_ptr<Canvas> NewStrip(const ImageListRecord& r, int capacity)
{
    return winlib::GetBackend().CreateMemoryCanvas(std::max(1, capacity * r.cx), std::max(1, r.cy));
}

void CopySlots(const ImageListRecord& r, Canvas& to, int toSlot, Canvas& from, int fromSlot, int n)
{
    if (n <= 0)
        return;
    Open(to).Blit(CRect(toSlot * r.cx, 0, (toSlot + n) * r.cx, r.cy), from, POINT{fromSlot * r.cx, 0},
                  SRCCOPY, std::nullopt);
}

// Makes room for 'needed' images: by the growth step, or exactly when 'force' says so.
bool Reserve(ImageListRecord& r, int needed, bool force)
{
    if (needed <= r.capacity)
        return true;
    if (!force && r.grow <= 0)
        return false;
    int capacity = needed;
    if (!force)
    {
        const int steps = (needed - r.capacity + r.grow - 1) / r.grow;
        capacity = r.capacity + steps * r.grow;
    }
    std::unique_ptr<Canvas> strip = NewStrip(r, capacity);
    CopySlots(r, *strip, 0, *r.strip, 0, r.count);
    r.strip = std::move(strip);
    r.capacity = capacity;
    return true;
}

// A fresh strip holding the images that 'keep' lists, in that order.
void Rebuild(ImageListRecord& r, const std::vector<int>& keep)
{
    std::unique_ptr<Canvas> strip = NewStrip(r, r.capacity);
    std::vector<std::optional<COLORREF>> keys;
    for (std::size_t slot = 0; slot < keep.size(); ++slot)
    {
        CopySlots(r, *strip, static_cast<int>(slot), *r.strip, keep[slot], 1);
        keys.push_back(r.keys[static_cast<std::size_t>(keep[slot])]);
    }
    r.strip = std::move(strip);
    r.keys = std::move(keys);
    r.count = static_cast<int>(keep.size());
}

const GdiObject* BitmapOf(HBITMAP bitmap)
{
    const GdiObject* o = GdiTable::Get().Object(static_cast<HGDIOBJ>(static_cast<void*>(bitmap)));
    return (o && o->type == GdiObject::Type::Bitmap && o->bitmap) ? o : nullptr;
}

// A colour that no pixel of the slot has, to stand for the pixels a mask bitmap hides.
COLORREF UnusedColour(Canvas& strip, const CRect& slot)
{
    std::vector<COLORREF> used;
    for (int y = slot.top; y < slot.bottom; ++y)
    {
        for (int x = slot.left; x < slot.right; ++x)
            used.push_back(strip.GetPixel(x, y));
    }
    std::sort(used.begin(), used.end());
    COLORREF candidate = RGB(255, 0, 255);
    while (std::binary_search(used.begin(), used.end(), candidate))
        candidate = (candidate + 0x010307) & 0xFFFFFF;
    return candidate;
}

// Applies a mask bitmap (white: transparent) to images first..first+n-1, whose pixels came
// from the bitmap's left edge on. Without pixels to read the images stay opaque.
void ApplyMask(ImageListRecord& r, int first, int n, const GdiObject& mask)
{
    Canvas& strip = Open(*r.strip);
    for (int k = 0; k < n; ++k)
    {
        const int image = first + k;
        const CRect slot = r.Slot(image);
        r.keys[static_cast<std::size_t>(image)].reset();
        if (mask.bitmap->GetPixel(0, 0) == CLR_INVALID || strip.GetPixel(slot.left, 0) == CLR_INVALID)
            continue;
        const COLORREF key = UnusedColour(strip, slot);
        for (int y = 0; y < std::min(r.cy, mask.height); ++y)
        {
            for (int x = 0; x < r.cx && k * r.cx + x < mask.width; ++x)
            {
                if (mask.bitmap->GetPixel(k * r.cx + x, y) != RGB(0, 0, 0))
                    strip.SetPixel(slot.left + x, y, key);
            }
        }
        r.keys[static_cast<std::size_t>(image)] = key;
    }
}

// Copies the images of a bitmap into slots first.. of the strip; returns how many.
int CopyBitmap(ImageListRecord& r, int first, const GdiObject& image, int maxImages)
{
    const int n = std::min(image.width / r.cx, maxImages);
    if (n <= 0)
        return 0;
    Open(*r.strip).Blit(CRect(first * r.cx, 0, (first + n) * r.cx, std::min(r.cy, image.height)),
                        *image.bitmap, POINT{0, 0}, SRCCOPY, std::nullopt);
    return n;
}

int AddImages(HIMAGELIST himl, HBITMAP image, const GdiObject* mask, std::optional<COLORREF> maskColour)
{
    ImageListRecord* r = Find(himl);
    const GdiObject* bitmap = BitmapOf(image);
    if (!r || !bitmap)
        return -1;
    const int n = bitmap->width / r->cx;
    if (n <= 0 || !Reserve(*r, r->count + n, false))
        return -1;
    const int first = r->count;
    CopyBitmap(*r, first, *bitmap, n);
    r->count += n;
    r->keys.resize(static_cast<std::size_t>(r->count));
    if (!r->Masked())
        return first;
    if (mask)
        ApplyMask(*r, first, n, *mask);
    else if (maskColour)
    {
        std::optional<COLORREF> key = maskColour;
        if (*maskColour == CLR_DEFAULT)
        {
            // The colour of the bitmap's top-left pixel, when the canvas can tell.
            const COLORREF corner = bitmap->bitmap->GetPixel(0, 0);
            key = corner == CLR_INVALID ? std::nullopt : std::optional<COLORREF>(corner);
        }
        for (int k = first; k < r->count; ++k)
            r->keys[static_cast<std::size_t>(k)] = key;
    }
    return first;
}

COLORREF Mix(COLORREF colour, COLORREF tint, int percent)
{
    const auto channel = [percent](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
    return RGB(channel(GetRValue(colour), GetRValue(tint)), channel(GetGValue(colour), GetGValue(tint)),
               channel(GetBValue(colour), GetBValue(tint)));
}

} // namespace

} // namespace winlib::detail

using namespace winlib::detail;
using winlib::Canvas;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow)
{
    if (cx <= 0 || cy <= 0)
        return nullptr;
    auto record = std::make_unique<ImageListRecord>();
    record->cx = cx;
    record->cy = cy;
    record->flags = flags;
    record->initial = std::max(0, initial);
    record->grow = std::max(0, grow);
    record->capacity = record->initial;
    record->strip = NewStrip(*record, record->capacity);
    return Add(std::move(record));
}

BOOL ImageList_Destroy(HIMAGELIST himl)
{
    return Table().lists.erase(reinterpret_cast<UINT_PTR>(himl)) ? TRUE : FALSE;
}

HIMAGELIST ImageList_Duplicate(HIMAGELIST himl)
{
    const ImageListRecord* r = Find(himl);
    if (!r)
        return nullptr;
    auto copy = std::make_unique<ImageListRecord>();
    *copy = ImageListRecord{r->cx,       r->cy,         r->flags,
                            r->initial,  r->grow,       r->count,
                            r->capacity, r->background, NewStrip(*r, r->capacity),
                            r->keys};
    CopySlots(*copy, *copy->strip, 0, *r->strip, 0, r->count);
    return Add(std::move(copy));
}

int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask)
{
    return AddImages(himl, image, mask ? BitmapOf(mask) : nullptr, std::nullopt);
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask)
{
    return AddImages(himl, image, nullptr, mask);
}

BOOL ImageList_Replace(HIMAGELIST himl, int index, HBITMAP image, HBITMAP mask)
{
    ImageListRecord* r = Find(himl);
    const GdiObject* bitmap = BitmapOf(image);
    if (!r || !bitmap || index < 0 || index >= r->count || bitmap->width < r->cx)
        return FALSE;
    // A fresh strip without the old image, so that nothing of it shows through the new one.
    std::unique_ptr<Canvas> strip = NewStrip(*r, r->capacity);
    CopySlots(*r, *strip, 0, *r->strip, 0, index);
    CopySlots(*r, *strip, index + 1, *r->strip, index + 1, r->count - index - 1);
    r->strip = std::move(strip);
    CopyBitmap(*r, index, *bitmap, 1);
    r->keys[static_cast<std::size_t>(index)].reset();
    if (const GdiObject* maskBitmap = mask ? BitmapOf(mask) : nullptr; maskBitmap && r->Masked())
        ApplyMask(*r, index, 1, *maskBitmap);
    return TRUE;
}

BOOL ImageList_Remove(HIMAGELIST himl, int index)
{
    ImageListRecord* r = Find(himl);
    if (!r || index < -1 || index >= r->count)
        return FALSE;
    if (index == -1)
    {
        r->count = 0;
        r->keys.clear();
        r->capacity = r->initial;
        r->strip = NewStrip(*r, r->capacity);
        return TRUE;
    }
    std::vector<int> keep;
    for (int i = 0; i < r->count; ++i)
    {
        if (i != index)
            keep.push_back(i);
    }
    Rebuild(*r, keep);
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl)
{
    const ImageListRecord* r = Find(himl);
    return r ? r->count : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT count)
{
    ImageListRecord* r = Find(himl);
    if (!r)
        return FALSE;
    const int wanted = static_cast<int>(count);
    if (wanted < r->count)
    {
        std::vector<int> keep;
        for (int i = 0; i < wanted; ++i)
            keep.push_back(i);
        Rebuild(*r, keep);
        return TRUE;
    }
    Reserve(*r, wanted, true);
    r->count = wanted;
    r->keys.resize(static_cast<std::size_t>(wanted));
    return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy)
{
    const ImageListRecord* r = Find(himl);
    if (!r || !cx || !cy)
        return FALSE;
    *cx = r->cx;
    *cy = r->cy;
    return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy)
{
    ImageListRecord* r = Find(himl);
    if (!r || cx <= 0 || cy <= 0)
        return FALSE;
    r->cx = cx;
    r->cy = cy;
    return ImageList_Remove(himl, -1);
}

BOOL ImageList_GetImageInfo(HIMAGELIST himl, int index, IMAGEINFO* info)
{
    const ImageListRecord* r = Find(himl);
    if (!r || !info || index < 0 || index >= r->count)
        return FALSE;
    // The images live on the list's canvas, not in bitmaps of their own.
    *info = IMAGEINFO{nullptr, nullptr, 0, 0, r->Slot(index)};
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF color)
{
    ImageListRecord* r = Find(himl);
    return r ? std::exchange(r->background, color) : CLR_NONE;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl)
{
    const ImageListRecord* r = Find(himl);
    return r ? r->background : CLR_NONE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int index, HDC hdc, int x, int y, UINT style)
{
    return ImageList_DrawEx(himl, index, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style)
{
    ImageListRecord* r = Find(himl);
    DcRecord* dc = GdiTable::Get().Dc(hdc);
    if (!r || !dc || index < 0 || index >= r->count)
        return FALSE;
    const int width = dx > 0 ? std::min(dx, r->cx) : r->cx;
    const int height = dy > 0 ? std::min(dy, r->cy) : r->cy;
    const std::optional<COLORREF> key = r->Masked() ? r->keys[static_cast<std::size_t>(index)] : std::nullopt;
    COLORREF behind = background == CLR_DEFAULT ? r->background : background;
    if (style & ILD_TRANSPARENT)
        behind = CLR_NONE;
    const CRect dest = ToDevice(*dc, CRect(x, y, x + width, y + height));
    if (key && behind != CLR_NONE)
        Prepare(*dc).FillRect(dest, behind);

    Canvas* source = r->strip.get();
    POINT origin{index * r->cx, 0};
    std::unique_ptr<Canvas> blended;
    const COLORREF tint = foreground == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : foreground;
    if ((style & (ILD_BLEND25 | ILD_BLEND50)) && tint != CLR_NONE)
    {
        // Selected and focused images are mixed with the highlight colour, pixel by pixel,
        // on a canvas that keeps pixels; the transparent ones stay as they are.
        blended = source->CreateCompatible(width, height);
        Open(*blended).Blit(CRect(0, 0, width, height), *source, origin, SRCCOPY, std::nullopt);
        const int percent = (style & ILD_BLEND50) ? 50 : 25;
        bool pixels = true;
        for (int py = 0; py < height && pixels; ++py)
        {
            for (int px = 0; px < width; ++px)
            {
                const COLORREF c = blended->GetPixel(px, py);
                if (c == CLR_INVALID)
                {
                    pixels = false;
                    break;
                }
                if (!key || c != *key)
                    blended->SetPixel(px, py, Mix(c, tint, percent));
            }
        }
        source = blended.get();
        origin = POINT{0, 0};
    }
    Prepare(*dc).Blit(dest, *source, origin, SRCCOPY, key);
    return TRUE;
}
