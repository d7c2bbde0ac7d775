// What the list view and the header draw, read back from the recording canvas: custom-draw
// stages and their answers, selection and list colours, grid lines, header items, header
// custom draw and a subclass that paints the header's background itself.
#include "ListTestSupport.h"

#include "winlib/ImageList.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>

using listtest::Note;
using listtest::RecordingParent;
using winlib::DrawOp;
using winlib::testing::Driver;

namespace
{

class DrawTest : public ::testing::Test
{
protected:
    void MakeList(DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS, DWORD exStyle = LVS_EX_FULLROWSELECT)
    {
        ASSERT_TRUE(list.Create(style | WS_VISIBLE, CRect(0, 0, 400, 200), parent.get(), 41));
        list.SetExtendedStyle(exStyle);
        list.InsertColumn(0, "One", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "Two", LVCFMT_LEFT, 100);
        list.InsertColumn(2, "Three", LVCFMT_RIGHT, 100);
        for (int i = 0; i < 4; ++i)
        {
            const std::string n = std::to_string(i);
            list.InsertItem(i, ("a" + n).c_str());
            list.SetItemText(i, 1, ("b" + n).c_str());
            list.SetItemText(i, 2, ("c" + n).c_str());
        }
        driver.Pump();
    }

    void Repaint()
    {
        parent->Clear();
        driver.ClearDrawing();
        list.Invalidate();
        driver.Pump();
    }

    const DrawOp* Text(HWND hwnd, const std::string& text) const
    {
        for (const DrawOp& op : texts)
        {
            if (op.window == hwnd && op.text == text)
                return &op;
        }
        return nullptr;
    }

    void ReadBack()
    {
        texts = driver.Texts(list);
        const std::vector<DrawOp> headerTexts = driver.Texts(*list.GetHeaderCtrl());
        texts.insert(texts.end(), headerTexts.begin(), headerTexts.end());
        fills = driver.Fills(list);
    }

    // The fills of one colour that cover a point.
    int FillsAt(COLORREF color, POINT pt) const
    {
        return static_cast<int>(std::count_if(fills.begin(), fills.end(),
                                              [&](const DrawOp& op)
                                              { return op.color == color && op.local.PtInRect(pt); }));
    }

    CRect Cell(int item, int column) const
    {
        CRect r;
        list.GetSubItemRect(item, column, LVIR_BOUNDS, r);
        if (column == 0)
            list.GetItemRect(item, &r, LVIR_LABEL);
        return r;
    }

    Driver driver{winlib::HeadlessDrawing::Recording};
    std::unique_ptr<RecordingParent> parent = std::make_unique<RecordingParent>();
    CListCtrl list;
    std::vector<DrawOp> texts;
    std::vector<DrawOp> fills;
};

TEST_F(DrawTest, CustomDrawStagesAndAnswersAreHonoured)
{
    MakeList();
    constexpr COLORREF red = RGB(255, 0, 0);
    constexpr COLORREF blue = RGB(0, 0, 255);
    parent->answer = [](NMHDR* h) -> LRESULT
    {
        if (h->code != NM_CUSTOMDRAW || GetClassNameString(h->hwndFrom) != "SysListView32")
            return 0;
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(h);
        switch (cd->nmcd.dwDrawStage)
        {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPREPAINT:
            if (cd->nmcd.dwItemSpec == 1)
            {
                cd->clrText = red;
                return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
            }
            return cd->nmcd.dwItemSpec == 2 ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            if (cd->iSubItem == 1)
                return CDRF_SKIPDEFAULT;
            if (cd->iSubItem == 2)
                cd->clrTextBk = blue;
            return CDRF_DODEFAULT;
        default:
            return CDRF_DODEFAULT;
        }
    };
    Repaint();
    ReadBack();

    // The stages for the list, in order.
    std::vector<std::pair<DWORD, int>> stages;
    for (const Note& n : parent->Of(NM_CUSTOMDRAW))
    {
        if (n.from == list.m_hWnd)
            stages.emplace_back(n.stage, (n.stage & CDDS_SUBITEM) ? n.item * 10 + n.subItem : n.item);
    }
    const std::vector<std::pair<DWORD, int>> expected{
        {CDDS_PREPAINT, 0},
        {CDDS_ITEMPREPAINT, 0},
        {CDDS_ITEMPREPAINT, 1},
        {CDDS_ITEMPREPAINT | CDDS_SUBITEM, 10},
        {CDDS_ITEMPREPAINT | CDDS_SUBITEM, 11},
        {CDDS_ITEMPREPAINT | CDDS_SUBITEM, 12},
        {CDDS_ITEMPOSTPAINT, 1},
        {CDDS_ITEMPREPAINT, 2},
        {CDDS_ITEMPREPAINT, 3},
        {CDDS_POSTPAINT, 0},
    };
    EXPECT_EQ(stages, expected);

    ASSERT_NE(Text(list, "a0"), nullptr);
    EXPECT_EQ(Text(list, "a0")->color, GetSysColor(COLOR_WINDOWTEXT));
    ASSERT_NE(Text(list, "a1"), nullptr);
    EXPECT_EQ(Text(list, "a1")->color, red);
    EXPECT_EQ(Text(list, "b1"), nullptr) << "skipped sub-item";
    ASSERT_NE(Text(list, "c1"), nullptr);
    EXPECT_EQ(Text(list, "c1")->color, red) << "the item's colour carries to its sub-items";
    const CRect c1 = Cell(1, 2);
    EXPECT_EQ(FillsAt(blue, c1.CenterPoint()), 1);
    EXPECT_EQ(Text(list, "a2"), nullptr);
    EXPECT_EQ(Text(list, "c2"), nullptr) << "a skipped item draws nothing";
    // Right-aligned text ends near the right of its cell.
    EXPECT_GT(Text(list, "c1")->local.left, c1.CenterPoint().x);
}

TEST_F(DrawTest, SelectionAndListColours)
{
    MakeList();
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetFocus();
    Repaint();
    ReadBack();
    EXPECT_GE(FillsAt(GetSysColor(COLOR_HIGHLIGHT), Cell(1, 2).CenterPoint()), 1) << "the whole row";
    EXPECT_EQ(Text(list, "b1")->color, GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(FillsAt(GetSysColor(COLOR_HIGHLIGHT), Cell(0, 1).CenterPoint()), 0);

    // Without the focus the selection shows in the face colour (LVS_SHOWSELALWAYS).
    ::SetFocus(*parent);
    Repaint();
    ReadBack();
    EXPECT_EQ(FillsAt(GetSysColor(COLOR_HIGHLIGHT), Cell(1, 1).CenterPoint()), 0);
    EXPECT_GE(FillsAt(GetSysColor(COLOR_BTNFACE), Cell(1, 1).CenterPoint()), 1);

    constexpr COLORREF back = RGB(1, 2, 3);
    constexpr COLORREF text = RGB(0, 200, 0);
    constexpr COLORREF textBack = RGB(9, 9, 9);
    list.SetBkColor(back);
    list.SetTextColor(text);
    list.SetTextBkColor(textBack);
    EXPECT_EQ(list.GetBkColor(), back);
    list.SetItemState(1, 0, LVIS_SELECTED);
    Repaint();
    ReadBack();
    CRect client;
    list.GetClientRect(&client);
    EXPECT_GE(FillsAt(back, POINT{client.right - 2, client.bottom - 2}), 1)
        << "the background below the rows";
    EXPECT_GE(FillsAt(textBack, Cell(2, 1).CenterPoint()), 1);
    EXPECT_EQ(Text(list, "b2")->color, text);
    list.SetTextBkColor(CLR_NONE);
    Repaint();
    ReadBack();
    EXPECT_EQ(FillsAt(textBack, Cell(2, 1).CenterPoint()), 0);
}

TEST_F(DrawTest, GridLinesCheckBoxesAndDoubleBuffering)
{
    MakeList(LVS_REPORT, LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_DOUBLEBUFFER);
    list.SetCheck(0, TRUE);
    Repaint();
    ReadBack();
    ASSERT_NE(Text(list, "a0"), nullptr) << "double-buffered painting reads back like direct painting";
    int vertical = 0;
    for (const DrawOp& op : driver.Ops(list))
    {
        if (op.kind == DrawOp::Kind::Line && op.local.left == op.local.right &&
            (op.local.left == 99 || op.local.left == 199 || op.local.left == 299))
            ++vertical;
    }
    EXPECT_EQ(vertical, 3) << "a line at the right of each column";

    // A ticked box draws more than an empty one.
    const auto opsIn = [&](int item)
    {
        CRect box;
        list.GetItemRect(item, &box, LVIR_BOUNDS);
        box.right = box.left + 16;
        int count = 0;
        for (const DrawOp& op : driver.Ops(list))
        {
            if (op.kind != DrawOp::Kind::Text && box.PtInRect(op.local.CenterPoint()) &&
                op.local.Width() < 16)
                ++count;
        }
        return count;
    };
    EXPECT_GT(opsIn(0), opsIn(1));
}

TEST_F(DrawTest, HeaderItemsAndHeaderCustomDraw)
{
    MakeList();
    CHeaderCtrl* header = list.GetHeaderCtrl();
    parent->Clear();
    driver.ClearDrawing();
    header->Invalidate();
    driver.Pump();
    ReadBack();
    ASSERT_NE(Text(*header, "One"), nullptr);
    EXPECT_EQ(Text(*header, "One")->color, GetSysColor(COLOR_BTNTEXT));
    CRect three;
    header->GetItemRect(2, &three);
    ASSERT_NE(Text(*header, "Three"), nullptr);
    EXPECT_GT(Text(*header, "Three")->local.left, three.CenterPoint().x) << "right-aligned with its column";

    // A parent that sets colours in the context and answers CDRF_NEWFONT tints the item.
    constexpr COLORREF tint = RGB(238, 221, 130);
    parent->answer = [](NMHDR* h) -> LRESULT
    {
        if (h->code != NM_CUSTOMDRAW || GetClassNameString(h->hwndFrom) != "SysHeader32")
            return 0;
        auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(h);
        if (cd->dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (cd->dwDrawStage == CDDS_ITEMPREPAINT && cd->dwItemSpec == 1)
            return CDRF_SKIPDEFAULT;
        SetTextColor(cd->hdc, RGB(0, 0, 0));
        SetBkColor(cd->hdc, tint);
        return CDRF_NEWFONT;
    };
    driver.ClearDrawing();
    header->Invalidate();
    driver.Pump();
    ReadBack();
    const std::vector<DrawOp> headerFills = driver.Fills(*header);
    EXPECT_TRUE(std::any_of(headerFills.begin(), headerFills.end(),
                            [&](const DrawOp& op)
                            { return op.color == tint && op.local.PtInRect(three.CenterPoint()); }));
    ASSERT_NE(Text(*header, "One"), nullptr);
    EXPECT_EQ(Text(*header, "One")->color, RGB(0, 0, 0));
    EXPECT_EQ(Text(*header, "Two"), nullptr);
}

// Two 16 x 16 images of one colour each.
HIMAGELIST TwoImages(COLORREF first, COLORREF second)
{
    const HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 2, 0);
    for (COLORREF color : {first, second})
    {
        const DWORD pixel = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
        const std::vector<DWORD> pixels(16 * 16, pixel);
        const HBITMAP bitmap = CreateBitmapFromPixels(16, 16, pixels.data());
        ImageList_Add(images, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    return images;
}

// Where the drawing of one colour landed, in a window's client coordinates.
CRect Extent(const std::vector<DrawOp>& ops, COLORREF color)
{
    CRect extent;
    for (const DrawOp& op : ops)
    {
        if ((op.kind == DrawOp::Kind::Pixel || op.kind == DrawOp::Kind::Fill) && op.color == color)
            extent = extent.IsRectEmpty() ? op.local : (extent | op.local);
    }
    return extent;
}

TEST_F(DrawTest, ImagesBesideHeaderTextAndInTheIconColumn)
{
    constexpr COLORREF green = RGB(0, 160, 0);
    constexpr COLORREF purple = RGB(120, 0, 120);
    const HIMAGELIST images = TwoImages(green, purple);
    MakeList();
    CImageList arrows;
    arrows.Attach(images);
    CHeaderCtrl* header = list.GetHeaderCtrl();
    EXPECT_EQ(header->SetImageList(&arrows), nullptr);
    EXPECT_EQ(header->GetImageList(), &arrows);
    HDITEM item{};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.fmt = HDF_STRING | HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.iImage = 0;
    header->SetItem(0, &item);
    item.fmt = HDF_STRING | HDF_IMAGE;
    item.iImage = 1;
    header->SetItem(1, &item);
    EXPECT_EQ(list.SetImageList(&arrows, LVSIL_SMALL), nullptr);
    EXPECT_EQ(list.GetImageList(LVSIL_SMALL), &arrows);
    EXPECT_EQ(list.GetImageList(LVSIL_STATE), nullptr);
    LVITEM icon{};
    icon.mask = LVIF_IMAGE;
    icon.iItem = 2;
    icon.iImage = 1;
    list.SetItem(&icon);
    driver.ClearDrawing();
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    driver.Pump();
    ReadBack();

    const std::vector<DrawOp> headerOps = driver.Ops(*header);
    const CRect right = Extent(headerOps, green);
    ASSERT_FALSE(right.IsRectEmpty());
    ASSERT_NE(Text(*header, "One"), nullptr);
    EXPECT_GT(right.left, Text(*header, "One")->local.left) << "HDF_BITMAP_ON_RIGHT: after the text";
    EXPECT_EQ(right.Width(), 16);
    const CRect left = Extent(headerOps, purple);
    ASSERT_FALSE(left.IsRectEmpty());
    ASSERT_NE(Text(*header, "Two"), nullptr);
    EXPECT_LT(left.right, Text(*header, "Two")->local.left + 1) << "before the text";

    // In the list, item 2's image sits in its icon rectangle, the others' image 0 in theirs.
    CRect iconRect;
    list.GetItemRect(2, &iconRect, LVIR_ICON);
    EXPECT_EQ(iconRect.Width(), 16);
    const CRect drawn = Extent(driver.Ops(list), purple);
    EXPECT_EQ(drawn.left, iconRect.left);
    EXPECT_GE(drawn.top, iconRect.top);
    EXPECT_LE(drawn.bottom, iconRect.bottom);
    EXPECT_GE(Text(list, "a2")->local.left, iconRect.right);
    EXPECT_EQ(header->SetImageList(nullptr), &arrows);
    arrows.Detach();
    ImageList_Destroy(images);
}

// A header subclass that paints its own background, as the colour header does.
class TintedHeader : public CHeaderCtrl
{
public:
    static constexpr COLORREF kTint = RGB(218, 165, 32);
    std::vector<DRAWITEMSTRUCT> drawn;

protected:
    BOOL OnEraseBkgnd(CDC* dc) override
    {
        CRect client;
        GetClientRect(&client);
        dc->FillSolidRect(&client, kTint);
        return TRUE;
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override { drawn.push_back(*dis); }
};

TEST_F(DrawTest, SubclassTakesOverTheHeaderBackgroundAndOwnerDrawnItems)
{
    MakeList();
    TintedHeader header;
    ASSERT_TRUE(header.SubclassWindow(*list.GetHeaderCtrl()));
    EXPECT_EQ(list.GetHeaderCtrl(), &header);
    HDITEM item{};
    item.mask = HDI_FORMAT | HDI_LPARAM;
    item.fmt = HDF_OWNERDRAW;
    item.lParam = 55;
    header.SetItem(1, &item);
    driver.ClearDrawing();
    header.Invalidate();
    driver.Pump();

    CRect client;
    header.GetClientRect(&client);
    const POINT beyondItems{client.right - 5, client.Height() / 2};
    ASSERT_GT(beyondItems.x, 300);
    bool tinted = false;
    for (const DrawOp& op : driver.Fills(header))
    {
        if (op.local.PtInRect(beyondItems))
        {
            EXPECT_EQ(op.color, TintedHeader::kTint) << "the header painted over its subclass's background";
            tinted = true;
        }
    }
    EXPECT_TRUE(tinted);
    ASSERT_EQ(header.drawn.size(), 1U);
    EXPECT_EQ(header.drawn[0].CtlType, static_cast<UINT>(ODT_HEADER));
    EXPECT_EQ(header.drawn[0].itemID, 1U);
    EXPECT_EQ(header.drawn[0].itemData, static_cast<ULONG_PTR>(55));
    CRect rect;
    header.GetItemRect(1, &rect);
    EXPECT_EQ(CRect(header.drawn[0].rcItem).left, rect.left);
    header.UnsubclassWindow();
}

TEST_F(DrawTest, TheDragImageOfARowIsTheRowAsPaintedWhereverItLies)
{
    MakeList();
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    CRect row;
    list.GetItemRect(2, &row, LVIR_BOUNDS);
    POINT upperLeft{-1, -1};
    std::unique_ptr<CImageList> image(list.CreateDragImage(2, &upperLeft));
    ASSERT_TRUE(image);
    EXPECT_EQ(CPoint(upperLeft), row.TopLeft());
    IMAGEINFO info{};
    ASSERT_TRUE(image->GetImageInfo(0, &info));
    EXPECT_EQ(CRect(info.rcImage).Size(), row.Size());
    EXPECT_EQ(list.CreateDragImage(4, &upperLeft), nullptr) << "no such row";

    // Drawn on another window, the image brings the row's own texts at the row's offsets.
    driver.ClearDrawing();
    const HDC hdc = GetDC(parent->m_hWnd);
    image->Draw(CDC::FromHandle(hdc), 0, CPoint(0, 0), ILD_NORMAL);
    ReleaseDC(parent->m_hWnd, hdc);
    std::vector<std::string> drawn;
    for (const DrawOp& op : driver.Texts(parent->m_hWnd))
    {
        drawn.push_back(op.text);
        if (op.text == "b2")
        {
            EXPECT_EQ(op.local.left, Cell(2, 1).left - row.left + 4);
        }
    }
    EXPECT_EQ(drawn, (std::vector<std::string>{"a2", "b2", "c2"}));

    // A row scrolled out of view is drawn all the same.
    for (int i = 4; i < 40; ++i)
        list.InsertItem(i, ("a" + std::to_string(i)).c_str());
    list.EnsureVisible(39, FALSE);
    std::unique_ptr<CImageList> hidden(list.CreateDragImage(0, &upperLeft));
    ASSERT_TRUE(hidden);
    EXPECT_LT(upperLeft.y, 0);
    driver.ClearDrawing();
    const HDC again = GetDC(parent->m_hWnd);
    hidden->Draw(CDC::FromHandle(again), 0, CPoint(0, 0), ILD_NORMAL);
    ReleaseDC(parent->m_hWnd, again);
    drawn.clear();
    for (const DrawOp& op : driver.Texts(parent->m_hWnd))
        drawn.push_back(op.text);
    EXPECT_EQ(drawn, (std::vector<std::string>{"a0", "b0", "c0"}));
}

} // namespace
