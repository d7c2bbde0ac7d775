// The drag list on the screen backend (offscreen): a self-drawn list marks the drop row grey while
// rows are dragged, and the drag image shows the dragged rows with the rows between them left out.
#include "controls/KTDragListCtrl.h"
#include "winlib/qt/QtBackend.h"
#include "winlib_qt/QtTestSupport.h"

#include <cstdlib>
#include <string>

namespace
{

void CellText(CWnd*, int row, int column, int, std::string& text)
{
    text = column == 0 ? "Row " + std::to_string(row) : "";
}

HWND DragImageWindow()
{
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetClassNameString(h) == "ImageListDragImage")
            return h;
    return nullptr;
}

class DragListPixelTest : public qttest::QtWindowTest
{
};

TEST_F(DragListPixelTest, TheDropRowIsGreyAndTheDragImageShowsOnlyTheDraggedRows)
{
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(40, 40, 340, 280), nullptr, 0));
    CKTDragListCtrl list;
    ASSERT_TRUE(
        list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(0, 0, 300, 240), &top, 1));
    list.InsertColumn(0, "Column", LVCFMT_LEFT, 200);
    for (int row = 0; row < 8; ++row)
        list.InsertItem(row, "");
    list.SetTextCallback(&CellText);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    m_driver.Pump();

    CRect rows[8];
    for (int row = 0; row < 8; ++row)
        list.GetItemRect(row, &rows[row], LVIR_BOUNDS);
    // A point of a row where no text is drawn, in the top window's coordinates.
    auto blank = [&](int row)
    {
        CPoint p(rows[row].right - 20, rows[row].CenterPoint().y);
        list.MapWindowPoints(&top, &p, 1);
        return p;
    };
    const CPoint press(20, rows[3].CenterPoint().y);
    m_driver.MouseDown(list.m_hWnd, press);
    m_driver.MouseMove(list.m_hWnd, CPoint(press.x + 6, press.y + 6));
    m_driver.MouseMove(list.m_hWnd, CPoint(press.x, rows[6].CenterPoint().y));
    ASSERT_TRUE(list.IsDragging());
    ASSERT_EQ(list.GetDropRow(), 6);
    m_driver.Pump();

    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, blank(6).x, blank(6).y), CKTDragListCtrl::kDropFill);
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, blank(5).x, blank(5).y), RGB(255, 255, 255));

    // The image: rows 1 and 3 as the list draws them (grey, selected); row 2 between them is
    // the transparent colour, never shown.
    const HWND image = DragImageWindow();
    ASSERT_NE(image, nullptr);
    const int x = rows[1].Width() - 20;
    const int y1 = rows[1].Height() / 2;
    const int y2 = rows[2].CenterPoint().y - rows[1].top;
    const int y3 = rows[3].CenterPoint().y - rows[1].top;
    EXPECT_EQ(winlib::qt::WindowPixel(image, x, y1), CKTDragListCtrl::kDropFill);
    EXPECT_EQ(winlib::qt::WindowPixel(image, x, y3), CKTDragListCtrl::kDropFill);
    EXPECT_NE(winlib::qt::WindowPixel(image, x, y2), CKTDragListCtrl::kDragMask);
    EXPECT_NE(winlib::qt::WindowPixel(image, x, y2), CKTDragListCtrl::kDropFill);
    if (const char* folder = std::getenv("KIVO_SCREENSHOT_DIR"))
    {
        winlib::qt::SaveScreenPng(std::string(folder) + "/drag-list-screen.png");
        winlib::qt::SaveWindowPng(image, std::string(folder) + "/drag-list-image.png");
    }

    m_driver.MouseUp(list.m_hWnd, CPoint(press.x, rows[6].CenterPoint().y));
    m_driver.Pump();
    // Rows 1 and 3 now follow row 6: rows 5 and 6 of the list, drawn selected.
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, blank(4).x, blank(4).y), RGB(255, 255, 255));
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, blank(5).x, blank(5).y), CKTDragListCtrl::kDropFill);
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, blank(6).x, blank(6).y), CKTDragListCtrl::kDropFill);
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, blank(7).x, blank(7).y), RGB(255, 255, 255));
}

} // namespace
