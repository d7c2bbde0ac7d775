// The console as the screen shows it: a dozen requests of every type in the request list (green on
// black, the newest on top) and one limits request open in the detail grid below.
#include "console/ConsoleTestSupport.h"
#include "holder/KTHolderFrame.h"
#include "winlib/qt/QtBackend.h"

#include <algorithm>
#include <cstdlib>

namespace
{

void InstallScreen()
{
    static int argc = 1;
    static char name[] = "console_qt_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    winlib::qt::InstallQtBackend(argc, argv);
}

class ConsolePixelTest : public ConsoleTest
{
protected:
    ConsolePixelTest() : ConsoleTest(&InstallScreen) {}

    // Where a window's client point lies in the frame's image (window coordinates, its border
    // and caption included).
    CPoint InFrameImage(CWnd& wnd, CPoint p)
    {
        wnd.MapWindowPoints(&host.frame, &p, 1);
        CRect window;
        host.frame.GetWindowRect(&window);
        CPoint origin(0, 0);
        host.frame.ClientToScreen(&origin);
        return CPoint(p.x + origin.x - window.left, p.y + origin.y - window.top);
    }

    COLORREF Pixel(CWnd& wnd, int x, int y)
    {
        const CPoint p = InFrameImage(wnd, CPoint(x, y));
        return winlib::qt::WindowPixel(host.frame.m_hWnd, p.x, p.y);
    }

    // An area of a window's client, row by row, read from the image in one go.
    std::vector<COLORREF> Pixels(CWnd& wnd, const CRect& area)
    {
        const CPoint topLeft = InFrameImage(wnd, area.TopLeft());
        const RECT inImage = {topLeft.x, topLeft.y, topLeft.x + area.Width(), topLeft.y + area.Height()};
        return winlib::qt::WindowPixels(host.frame.m_hWnd, inImage);
    }

    int Count(CWnd& wnd, const CRect& area, const std::function<bool(COLORREF)>& match)
    {
        const std::vector<COLORREF> pixels = Pixels(wnd, area);
        return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), match));
    }

    // What a window shows, pixel by pixel.
    std::vector<COLORREF> Shown(CWnd& wnd)
    {
        CRect client;
        wnd.GetClientRect(&client);
        return Pixels(wnd, client);
    }

    static void InvalidateTree(HWND hwnd)
    {
        ::InvalidateRect(hwnd, nullptr, TRUE);
        for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            InvalidateTree(child);
    }

    // Painted afresh, the window must look as it did: anything else is a change nobody repainted.
    void ExpectNothingStale(CWnd& wnd, const char* step)
    {
        host.driver.Pump();
        const std::vector<COLORREF> before = Shown(wnd);
        InvalidateTree(wnd.m_hWnd);
        host.driver.Pump();
        const std::vector<COLORREF> after = Shown(wnd);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
            differing += before[i] != after[i] ? 1 : 0;
        EXPECT_EQ(differing, 0u) << step;
    }

    void PublishDozen()
    {
        const std::vector<std::tuple<std::string, int, std::string, std::string>> requests = {
            {"339", 31003, "DEALER11", ""},
            {"340", 31003, "DEALER12", ""},
            {"365", 31003, "DEALER13", ""},
            {"353", 54001, "CLIENT21", ""},
            {"354", 54001, "CLIENT22", ""},
            {"366", 54001, "CLIENT23", ""},
            {"360", 64056, "KIVO", ""},
            {"360", 64053, "BR07", ""},
            {"360", 54001, "CLIENT31", ""},
            {"339", 31003, "INV41", "INVESTOR_CLIENT"},
            {"353", 54001, "INVC41", "INVESTOR_CLIENT"},
            {"340", 31003, "DEALER14", ""}};
        int key = 100100;
        for (const auto& [type, field, entity, category] : requests)
        {
            connect::Message message =
                PublishedRequest("auth pending", std::to_string(++key), type, "MAKER7");
            message.Add(field, entity).Add(64053, "BR07");
            if (field != 64056)
                message.Add(64056, "KIVO");
            if (!category.empty())
                message.Add(54036, category).Add(31003, "INV41");
            Publish(message);
        }
    }
};

TEST_F(ConsolePixelTest, RequestsAndAnOpenLimitsRequestAsTheScreenShowsThem)
{
    CDozizEdizizi& console = OpenConsole();
    server.SetScript(
        [](const connect::Message& request, connect::ReplyStream& replies)
        {
            if (*request.Value(0) == "om_get_auth_limits_details")
            {
                connect::Message reply;
                reply.Add(64056, "KIVO").Add(31003, "DEALER11");
                reply.AddValues(64031, {"250000", "200000"});
                reply.AddValues(64033, {"1500000", "1000000"});
                reply.AddValues(41236, {"5000", "2500"});
                reply.AddValues(64037, {"yes", "no"});
                reply.AddValues(64312, {"raised after review", "initial"});
                replies.Reply(reply);
            }
            replies.Close(0, "done");
        });
    PublishDozen();
    ExpectNothingStale(console, "a dozen requests arrived");
    console.OpenRequest(console.FindRequest("100107"));
    Settle();
    ExpectNothingStale(console, "a limits request opened");

    if (const char* path = std::getenv("KIVO_CONSOLE_SCREENSHOT"))
    {
        EXPECT_TRUE(winlib::qt::SaveWindowPng(host.frame.m_hWnd, path));
    }

    // The request list: black rows with green text.
    CFilterListCtrl& list = console.GetRequestList();
    ASSERT_EQ(list.GetItemCount(), 12);
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(Pixel(list, row.right - 2, row.top + 1), RGB(0, 0, 0));
    EXPECT_GT(Count(list, row, [](COLORREF c) { return GetGValue(c) > 128 && GetRValue(c) < 100; }), 20)
        << "green text on the newest row";

    // The detail grid: the section's title line on its pale lilac, its rows on white.
    CMultiLineEditListCtrl& grid = console.GetDetailList();
    ASSERT_GE(grid.GetLineCount(), 6);
    CRect title;
    grid.GetItemRect(0, &title, LVIR_BOUNDS);
    EXPECT_EQ(Pixel(grid, title.left + 400, title.CenterPoint().y), RGB(0xEE, 0xDF, 0xDF));
    CRect line;
    grid.GetItemRect(2, &line, LVIR_BOUNDS);
    EXPECT_EQ(Pixel(grid, line.left + 400, line.CenterPoint().y), RGB(255, 255, 255));

    // Requests decided elsewhere leave; the view of the open one goes with it.
    Publish(PublishedRequest("accepted", "100110", "339").Add(64056, "KIVO"));
    Publish(PublishedRequest("accepted", "100107", "360").Add(64056, "KIVO"));
    ExpectNothingStale(console, "two requests decided");
    EXPECT_EQ(list.GetItemCount(), 10);
    EXPECT_EQ(grid.GetLineCount(), 0);
}

} // namespace
