// Font measurements for controls that lay themselves out by their font, taken on a screen
// context so that measuring never touches a window's surface.
#pragma once

#include "ControlUtil.h"

#include <string_view>

namespace winlib::detail
{

// Registered message a header sends its parent when the height it needs has changed (the
// filter bar was switched on or off, or its font changed); a list view lays itself out again.
inline constexpr char kHeaderLayoutChangedMessage[] = "winlib.Header.LayoutChanged";

// A header item is at most as wide as a window can be, and a header holds at most 65,535 items, so
// that the sum of all widths, and every item's left and right edge, stay within an int whatever
// widths a caller asks for (a hand-edited settings file may ask for 2,147,483,647).
inline constexpr int kLargestHeaderItemWidth = 32767;
inline constexpr int kMostHeaderItems = 65535;

// The font a control draws with: its WM_SETFONT font, else the default GUI font.
inline HFONT ControlFont(HWND hwnd)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessage(hwnd, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT)));
    return font;
}

inline TEXTMETRIC FontMetrics(HFONT font)
{
    TEXTMETRIC tm{};
    const HDC hdc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(hdc, font);
    GetTextMetrics(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);
    return tm;
}

// Measures strings with one font on one screen context.
class TextMeasure
{
public:
    explicit TextMeasure(HFONT font) : m_hdc(GetDC(nullptr)), m_old(SelectObject(m_hdc, font)) {}
    ~TextMeasure()
    {
        SelectObject(m_hdc, m_old);
        ReleaseDC(nullptr, m_hdc);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    int Width(std::string_view text) const
    {
        SIZE size{0, 0};
        GetTextExtentPoint32(m_hdc, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};

} // namespace winlib::detail
