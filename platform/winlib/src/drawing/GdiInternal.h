// GDI object and device-context records behind HGDIOBJ and HDC handles.
#pragma once

#include "winlib/Backend.h"
#include "winlib/Gdi.h"

#include <memory>
#include <optional>
#include <unordered_map>

namespace winlib::detail
{

struct GdiObject
{
    enum class Type
    {
        Pen,
        Brush,
        Font,
        Bitmap
    };
    Type type = Type::Pen;
    LOGPEN pen{};
    LOGBRUSH brush{};
    LOGFONT font{};
    std::unique_ptr<Canvas> bitmap; // a bitmap's pixels
    int width = 0;
    int height = 0;
    bool stock = false;
    CGdiObject* attached = nullptr;          // the class-library object owning the handle
    std::unique_ptr<CGdiObject> wrapper;     // a wrapper handed out for an unowned handle
    int selections = 0;                      // device contexts that have it selected
};

struct DcState
{
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    POINT position{0, 0};
    POINT viewport{0, 0};
    Region clip; // device coordinates
};

struct DcRecord
{
    HDC handle = nullptr;
    HWND window = nullptr;        // null for memory contexts
    bool client = true;           // client-area context (else the whole window)
    Canvas* canvas = nullptr;     // drawing target
    std::unique_ptr<Canvas> own;  // a memory context's canvas while no bitmap is selected
    HBITMAP bitmap = nullptr;     // selected bitmap of a memory context
    POINT origin{0, 0};           // device position of the window's client (or window) origin
    Region baseClip;              // what the window may touch at all
    DcState state;
    std::vector<DcState> saved;
    std::unique_ptr<CDC> wrapper; // CDC handed out by CDC::FromHandle
};

class GdiTable
{
public:
    static GdiTable& Get();
    GdiObject* Object(HGDIOBJ h);
    DcRecord* Dc(HDC h);
    HGDIOBJ Add(std::unique_ptr<GdiObject> object);
    HDC AddDc(std::unique_ptr<DcRecord> dc);
    void RemoveObject(HGDIOBJ h);
    void RemoveDc(HDC h);
    HGDIOBJ Stock(int index);

private:
    GdiTable();
    std::unordered_map<UINT_PTR, std::unique_ptr<GdiObject>> m_objects;
    std::unordered_map<UINT_PTR, std::unique_ptr<DcRecord>> m_dcs;
    std::unordered_map<int, HGDIOBJ> m_stock;
    UINT_PTR m_next = 0x20001;
};

// The font a context draws with (its selected font, or the default GUI font).
const LOGFONT& DcFont(const DcRecord& dc);
// Prepares the canvas for one operation of this context.
Canvas& Prepare(DcRecord& dc);
// Logical to device coordinates.
POINT ToDevice(const DcRecord& dc, POINT p);
CRect ToDevice(const DcRecord& dc, const RECT& r);

// Text layout shared by every canvas (DrawText)
int LayoutAndDrawText(HDC hdc, std::string_view text, RECT* rect, UINT format);

} // namespace winlib::detail
