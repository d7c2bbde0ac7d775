// Image lists: adding bitmaps of several images, room and growth, masked drawing as the
// recording canvas reads it back and as pixels come out on a canvas that keeps them,
// blending, replacing and removing, the drag image, and CImageList.
#include "winlib/ImageList.h"
#include "winlib/Wnd.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

using winlib::DrawOp;

// A canvas that keeps its pixels, so that what a blit copies can be read back.
class PixelCanvas : public winlib::Canvas
{
public:
    PixelCanvas(int width, int height) { Resize(width, height); }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Resize(int width, int height) override
    {
        m_width = width;
        m_height = height;
        m_pixels.assign(static_cast<std::size_t>(width * height), RGB(0, 0, 0));
    }
    void SetClip(const winlib::Region& clip) override { m_clip = clip; }
    void FillRect(const RECT& r, COLORREF color) override
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                SetPixel(x, y, color);
    }
    void GradientRect(const RECT& r, COLORREF from, COLORREF, bool) override { FillRect(r, from); }
    void Line(POINT, POINT, const winlib::PenSpec&) override {}
    void Text(int, int, std::string_view, const LOGFONT&, COLORREF, std::optional<COLORREF>) override {}
    TEXTMETRIC Metrics(const LOGFONT& font) override { return winlib::ModelTextMetrics(font); }
    int TextWidth(std::string_view text, const LOGFONT& font) override
    {
        return winlib::ModelTextWidth(text, font);
    }
    void InvertRect(const RECT& r) override
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                SetPixel(x, y, GetPixel(x, y) ^ 0xFFFFFF);
    }
    void FocusRect(const RECT&) override {}
    void SetPixel(int x, int y, COLORREF color) override
    {
        if (Inside(x, y) && m_clip.Contains(POINT{x, y}))
            m_pixels[static_cast<std::size_t>(y * m_width + x)] = color;
    }
    COLORREF GetPixel(int x, int y) const override
    {
        return Inside(x, y) ? m_pixels[static_cast<std::size_t>(y * m_width + x)] : CLR_INVALID;
    }
    void Blit(const RECT& dest, Canvas& source, POINT origin, DWORD,
              std::optional<COLORREF> transparent) override
    {
        for (int y = dest.top; y < dest.bottom; ++y)
        {
            for (int x = dest.left; x < dest.right; ++x)
            {
                const COLORREF c = source.GetPixel(origin.x + x - dest.left, origin.y + y - dest.top);
                if (c != CLR_INVALID && (!transparent || c != *transparent))
                    SetPixel(x, y, c);
            }
        }
    }
    std::unique_ptr<Canvas> CreateCompatible(int width, int height) override
    {
        return std::make_unique<PixelCanvas>(width, height);
    }

private:
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;
    winlib::Region m_clip;
};

class PixelBackend : public winlib::HeadlessBackend
{
public:
    std::unique_ptr<winlib::Canvas> CreateMemoryCanvas(int width, int height) override
    {
        return std::make_unique<PixelCanvas>(width, height);
    }
};

constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kInk[] = {0xFF0000, 0x00FF00, 0x0000FF}; // red, green, blue as 0xRRGGBB

COLORREF Colour(DWORD rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Image k of three 9 x 5 images: its ink, with white wherever (x + y) is a multiple of 3.
bool IsWhite(int x, int y)
{
    return (x + y) % 3 == 0;
}

HBITMAP ThreeImages()
{
    std::vector<DWORD> pixels(27 * 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 27; ++x)
            pixels[static_cast<std::size_t>(y * 27 + x)] = IsWhite(x % 9, y) ? kWhite : kInk[x / 9];
    return CreateBitmapFromPixels(27, 5, pixels.data());
}

HBITMAP Plain(int width, DWORD rgb)
{
    std::vector<DWORD> pixels(static_cast<std::size_t>(width * 5), rgb);
    return CreateBitmapFromPixels(width, 5, pixels.data());
}

COLORREF Mix(COLORREF c, COLORREF tint, int percent)
{
    const auto channel = [percent](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
    return RGB(channel(GetRValue(c), GetRValue(tint)), channel(GetGValue(c), GetGValue(tint)),
               channel(GetBValue(c), GetBValue(tint)));
}

TEST(ImageLists, AWideBitmapAddsSeveralImagesAndAFixedListRefusesMore)
{
    winlib::testing::Driver driver;
    const HIMAGELIST fixed = ImageList_Create(9, 5, ILC_COLOR24 | ILC_MASK, 3, 0);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(ImageList_AddMasked(fixed, ThreeImages(), RGB(255, 255, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(fixed), 3);
    EXPECT_EQ(ImageList_AddMasked(fixed, Plain(9, kWhite), RGB(255, 255, 255)), -1) << "no room, no growth";
    EXPECT_EQ(ImageList_GetImageCount(fixed), 3);
    int cx = 0;
    int cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(fixed, &cx, &cy));
    EXPECT_EQ(cx, 9);
    EXPECT_EQ(cy, 5);
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(fixed, 2, &info));
    EXPECT_EQ(CRect(info.rcImage), CRect(18, 0, 27, 5));
    EXPECT_FALSE(ImageList_GetImageInfo(fixed, 3, &info));

    const HIMAGELIST growing = ImageList_Create(9, 5, ILC_COLOR24, 1, 2);
    EXPECT_EQ(ImageList_Add(growing, ThreeImages(), nullptr), 0);
    EXPECT_EQ(ImageList_Add(growing, Plain(9, kWhite), nullptr), 3);
    EXPECT_EQ(ImageList_GetImageCount(growing), 4);
    EXPECT_EQ(ImageList_Add(growing, Plain(5, kWhite), nullptr), -1) << "narrower than one image";
    EXPECT_EQ(ImageList_Add(growing, nullptr, nullptr), -1);

    EXPECT_EQ(ImageList_Create(0, 5, ILC_COLOR24, 1, 1), nullptr);
    EXPECT_TRUE(ImageList_Destroy(fixed));
    EXPECT_FALSE(ImageList_Destroy(fixed));
    EXPECT_EQ(ImageList_GetImageCount(fixed), 0);
    ImageList_Destroy(growing);
}

class RecordedImageListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.CreateEx(0, nullptr, "Host", WS_POPUP | WS_VISIBLE, CRect(100, 100, 300, 200),
                                    nullptr, 0));
        m_driver.Pump();
        m_driver.ClearDrawing();
    }
    void TearDown() override { ImageList_Destroy(m_list); }
    void Draw(HIMAGELIST list, int index, UINT style)
    {
        const HDC hdc = GetDC(m_host.m_hWnd);
        EXPECT_TRUE(ImageList_Draw(list, index, hdc, 10, 10, style));
        ReleaseDC(m_host.m_hWnd, hdc);
    }
    std::vector<DrawOp> Ops(DrawOp::Kind kind)
    {
        std::vector<DrawOp> ops = m_driver.Ops(m_host.m_hWnd);
        ops.erase(
            std::remove_if(ops.begin(), ops.end(), [kind](const DrawOp& op) { return op.kind != kind; }),
            ops.end());
        return ops;
    }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    CWnd m_host;
    HIMAGELIST m_list = ImageList_Create(9, 5, ILC_COLOR24 | ILC_MASK, 3, 0);
};

TEST_F(RecordedImageListTest, AMaskedImageIsBlittedWithoutItsMaskColour)
{
    ASSERT_EQ(ImageList_AddMasked(m_list, ThreeImages(), RGB(255, 255, 255)), 0);
    Draw(m_list, 1, ILD_TRANSPARENT);

    const std::vector<DrawOp> blits = Ops(DrawOp::Kind::Blit);
    ASSERT_EQ(blits.size(), 1u);
    ASSERT_TRUE(blits.front().transparent.has_value());
    EXPECT_EQ(*blits.front().transparent, RGB(255, 255, 255));
    EXPECT_EQ(blits.front().local, CRect(10, 10, 19, 15));

    // What was copied: image 1's green pixels in place, none of its white ones, nothing of
    // the images beside it.
    int expected = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            expected += IsWhite(x, y) ? 0 : 1;
    const std::vector<DrawOp> pixels = Ops(DrawOp::Kind::Pixel);
    EXPECT_EQ(static_cast<int>(pixels.size()), expected);
    for (const DrawOp& pixel : pixels)
    {
        EXPECT_EQ(pixel.color, Colour(kInk[1]));
        EXPECT_FALSE(IsWhite(pixel.local.left - 10, pixel.local.top - 10));
        EXPECT_TRUE(CRect(10, 10, 19, 15).PtInRect(pixel.local.TopLeft()));
    }
    EXPECT_TRUE(Ops(DrawOp::Kind::Fill).empty()) << "ILD_TRANSPARENT paints nothing behind";
}

TEST_F(RecordedImageListTest, TheBackgroundColourFillsBehindAMaskedImageDrawnNormally)
{
    ImageList_AddMasked(m_list, ThreeImages(), RGB(255, 255, 255));
    EXPECT_EQ(ImageList_SetBkColor(m_list, RGB(1, 2, 3)), CLR_NONE);
    EXPECT_EQ(ImageList_GetBkColor(m_list), RGB(1, 2, 3));
    Draw(m_list, 0, ILD_NORMAL);
    const std::vector<DrawOp> fills = Ops(DrawOp::Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills.front().color, RGB(1, 2, 3));
    EXPECT_EQ(fills.front().local, CRect(10, 10, 19, 15));

    m_driver.ClearDrawing();
    Draw(m_list, 0, ILD_TRANSPARENT);
    EXPECT_TRUE(Ops(DrawOp::Kind::Fill).empty()) << "ILD_TRANSPARENT overrides the background";
}

TEST_F(RecordedImageListTest, AListWithoutAMaskCopiesEveryPixel)
{
    const HIMAGELIST plain = ImageList_Create(9, 5, ILC_COLOR24, 3, 0);
    ImageList_AddMasked(plain, ThreeImages(), RGB(255, 255, 255));
    Draw(plain, 2, ILD_TRANSPARENT);
    EXPECT_TRUE(Ops(DrawOp::Kind::Blit).empty()) << "an opaque copy reads back as what it copied";
    const std::vector<DrawOp> pixels = Ops(DrawOp::Kind::Pixel);
    EXPECT_EQ(pixels.size(), 45u);
    EXPECT_EQ(std::count_if(pixels.begin(), pixels.end(),
                            [](const DrawOp& p) { return p.color == RGB(255, 255, 255); }),
              15);
    ImageList_Destroy(plain);
}

// ---- On a canvas that keeps pixels --------------------------------------------------------------

class PixelImageListTest : public ::testing::Test
{
protected:
    PixelImageListTest()
    {
        winlib::SetBackend(std::make_unique<PixelBackend>());
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateCompatibleBitmap(m_dc, 40, 20);
        SelectObject(m_dc, m_bitmap);
        Clear();
    }
    ~PixelImageListTest() override
    {
        ImageList_Destroy(m_list);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    void Clear()
    {
        const CRect all(0, 0, 40, 20);
        const HBRUSH brush = CreateSolidBrush(kBackground);
        FillRect(m_dc, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }

    static constexpr COLORREF kBackground = RGB(10, 20, 30);
    winlib::testing::Driver m_driver; // its clock is not used: the backend is replaced
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HIMAGELIST m_list = nullptr;
};

TEST_F(PixelImageListTest, MaskPixelsAreNotCopied)
{
    m_list = ImageList_Create(9, 5, ILC_COLOR24 | ILC_MASK, 3, 0);
    ImageList_AddMasked(m_list, ThreeImages(), RGB(255, 255, 255));
    ASSERT_TRUE(ImageList_Draw(m_list, 1, m_dc, 2, 3, ILD_TRANSPARENT));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(At(2 + x, 3 + y), IsWhite(x, y) ? kBackground : Colour(kInk[1])) << x << "," << y;
    EXPECT_EQ(At(11, 3), kBackground) << "nothing beyond the image";

    ImageList_SetBkColor(m_list, RGB(9, 9, 9));
    ImageList_Draw(m_list, 0, m_dc, 20, 0, ILD_NORMAL);
    EXPECT_EQ(At(20, 0), RGB(9, 9, 9)) << "(0,0) is a mask pixel: the list's background shows";
    EXPECT_EQ(At(21, 0), Colour(kInk[0]));

    const HIMAGELIST plain = ImageList_Create(9, 5, ILC_COLOR24, 3, 0);
    ImageList_AddMasked(plain, ThreeImages(), RGB(255, 255, 255));
    Clear();
    ImageList_Draw(plain, 2, m_dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(At(0, 0), RGB(255, 255, 255)) << "without ILC_MASK the white is copied";
    EXPECT_EQ(At(1, 0), Colour(kInk[2]));
    ImageList_Destroy(plain);
}

TEST_F(PixelImageListTest, AMaskBitmapHidesItsWhitePixels)
{
    m_list = ImageList_Create(9, 5, ILC_COLOR24 | ILC_MASK, 1, 0);
    // The mask is white (transparent) in the three left columns.
    std::vector<DWORD> mask(9 * 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            mask[static_cast<std::size_t>(y * 9 + x)] = x < 3 ? kWhite : 0;
    const HBITMAP maskBitmap = CreateBitmapFromPixels(9, 5, mask.data());
    ASSERT_EQ(ImageList_Add(m_list, Plain(9, 0xFF00FF), maskBitmap), 0);
    ImageList_Draw(m_list, 0, m_dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(At(2, 2), kBackground);
    EXPECT_EQ(At(3, 2), RGB(255, 0, 255)) << "the image's own colour, even the usual key colour, is kept";
}

TEST_F(PixelImageListTest, SelectedAndFocusedImagesBlendWithTheHighlight)
{
    m_list = ImageList_Create(9, 5, ILC_COLOR24 | ILC_MASK, 3, 0);
    ImageList_AddMasked(m_list, ThreeImages(), RGB(255, 255, 255));
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    ImageList_Draw(m_list, 0, m_dc, 0, 0, ILD_TRANSPARENT | ILD_SELECTED);
    ImageList_Draw(m_list, 0, m_dc, 10, 0, ILD_TRANSPARENT | ILD_FOCUS);
    EXPECT_EQ(At(1, 0), Mix(Colour(kInk[0]), highlight, 50));
    EXPECT_EQ(At(11, 0), Mix(Colour(kInk[0]), highlight, 25));
    EXPECT_EQ(At(0, 0), kBackground) << "mask pixels stay transparent when blended";
    ImageList_DrawEx(m_list, 0, m_dc, 20, 0, 0, 0, CLR_NONE, RGB(0, 0, 0), ILD_TRANSPARENT | ILD_SELECTED);
    EXPECT_EQ(At(21, 0), Mix(Colour(kInk[0]), RGB(0, 0, 0), 50)) << "the blend colour can be given";
    ImageList_DrawEx(m_list, 0, m_dc, 30, 10, 4, 2, CLR_NONE, CLR_DEFAULT, ILD_TRANSPARENT);
    EXPECT_EQ(At(31, 10), Colour(kInk[0]));
    EXPECT_EQ(At(31, 12), kBackground) << "only 4 x 2 of it";
}

TEST_F(PixelImageListTest, ReplacingAndRemovingKeepTheOthersInOrder)
{
    m_list = ImageList_Create(9, 5, ILC_COLOR24 | ILC_MASK, 3, 0);
    ImageList_AddMasked(m_list, ThreeImages(), RGB(255, 255, 255));
    ASSERT_TRUE(ImageList_Remove(m_list, 1));
    EXPECT_EQ(ImageList_GetImageCount(m_list), 2);
    ImageList_Draw(m_list, 1, m_dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(At(1, 0), Colour(kInk[2])) << "the last image moved down";
    EXPECT_EQ(At(0, 0), kBackground) << "with its mask";

    ASSERT_TRUE(ImageList_Replace(m_list, 0, Plain(9, 0xFFFF00), nullptr));
    ImageList_Draw(m_list, 0, m_dc, 10, 0, ILD_TRANSPARENT);
    EXPECT_EQ(At(10, 0), RGB(255, 255, 0)) << "replaced without a mask: every pixel";
    EXPECT_FALSE(ImageList_Replace(m_list, 2, Plain(9, 0xFFFF00), nullptr));

    EXPECT_EQ(ImageList_AddMasked(m_list, Plain(9, kWhite), RGB(255, 255, 255)), 2) << "room again";
    ASSERT_TRUE(ImageList_Remove(m_list, -1));
    EXPECT_EQ(ImageList_GetImageCount(m_list), 0);
    EXPECT_FALSE(ImageList_Draw(m_list, 0, m_dc, 0, 0, ILD_NORMAL));
    ASSERT_TRUE(ImageList_SetImageCount(m_list, 4));
    EXPECT_EQ(ImageList_GetImageCount(m_list), 4) << "set explicitly, beyond the room";
}

// ---- Dragging ---------------------------------------------------------------------------------

HWND DragWindow()
{
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    {
        if (GetClassNameString(h) == "ImageListDragImage")
            return h;
    }
    return nullptr;
}

TEST_F(RecordedImageListTest, TheDragImageIsAPopupThatFollowsTheDrag)
{
    ImageList_AddMasked(m_list, ThreeImages(), RGB(255, 255, 255));
    EXPECT_FALSE(ImageList_DragEnter(m_host.m_hWnd, 0, 0)) << "no drag begun";
    ASSERT_TRUE(ImageList_BeginDrag(m_list, 1, 4, 2));
    EXPECT_EQ(DragWindow(), nullptr) << "nothing shows before DragEnter";
    ASSERT_TRUE(ImageList_DragEnter(m_host.m_hWnd, 50, 40));
    const HWND drag = DragWindow();
    ASSERT_NE(drag, nullptr);
    EXPECT_TRUE(IsWindowVisible(drag));
    EXPECT_TRUE(GetWindowLong(drag, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLong(drag, GWL_EXSTYLE) & WS_EX_TOPMOST);
    CRect r;
    GetWindowRect(drag, &r);
    EXPECT_EQ(r, CRect(146, 138, 155, 143)) << "the hot spot on the point, from the window's corner";
    EXPECT_NE(GetActiveWindow(), drag);

    m_driver.Pump();
    const std::vector<DrawOp> painted = m_driver.Ops(drag);
    EXPECT_TRUE(std::any_of(painted.begin(), painted.end(),
                            [](const DrawOp& op) {
                                return op.kind == DrawOp::Kind::Blit && op.transparent == RGB(255, 255, 255);
                            }))
        << "it shows the masked image";

    EXPECT_EQ(WindowFromPoint(r.CenterPoint()), m_host.m_hWnd) << "the mouse goes through the image";
    ImageList_DragMove(60, 45);
    GetWindowRect(drag, &r);
    EXPECT_EQ(r.TopLeft(), CPoint(156, 143));
    POINT position{};
    POINT hotspot{};
    EXPECT_NE(ImageList_GetDragImage(&position, &hotspot), nullptr);
    EXPECT_EQ(CPoint(position), CPoint(60, 45));
    EXPECT_EQ(CPoint(hotspot), CPoint(4, 2));

    ImageList_DragShowNolock(FALSE);
    EXPECT_FALSE(IsWindowVisible(drag));
    ImageList_DragShowNolock(TRUE);
    EXPECT_TRUE(IsWindowVisible(drag));
    ImageList_DragLeave(m_host.m_hWnd);
    EXPECT_FALSE(IsWindowVisible(drag));
    ImageList_EndDrag();
    EXPECT_FALSE(IsWindow(drag));
    EXPECT_FALSE(ImageList_DragMove(0, 0));
    EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(m_list), 3) << "the dragged list is left alone";
}

TEST_F(RecordedImageListTest, CImageListOwnsWhatItCreates)
{
    HIMAGELIST kept = nullptr;
    HIMAGELIST destroyed = nullptr;
    {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.Attach(ThreeImages()));
        CImageList list;
        ASSERT_TRUE(list.Create(9, 5, ILC_COLOR24 | ILC_MASK, 3, 0));
        EXPECT_FALSE(list.Create(9, 5, ILC_COLOR24, 1, 0)) << "one list per object";
        EXPECT_EQ(list.Add(&bitmap, RGB(255, 255, 255)), 0);
        EXPECT_EQ(list.GetImageCount(), 3);
        CClientDC dc(&m_host);
        EXPECT_TRUE(list.Draw(&dc, 2, CPoint(10, 10), ILD_TRANSPARENT));
        destroyed = list.GetSafeHandle();

        CImageList other;
        other.Create(9, 5, ILC_COLOR24, 1, 1);
        kept = other.Detach();
        EXPECT_EQ(other.GetSafeHandle(), nullptr);
    }
    const std::vector<DrawOp> blits = Ops(DrawOp::Kind::Blit);
    ASSERT_EQ(blits.size(), 1u);
    EXPECT_EQ(blits.front().transparent, RGB(255, 255, 255));
    EXPECT_FALSE(ImageList_Destroy(destroyed)) << "the destructor destroyed it";
    EXPECT_TRUE(ImageList_Destroy(kept)) << "a detached list lives on";
}

} // namespace
