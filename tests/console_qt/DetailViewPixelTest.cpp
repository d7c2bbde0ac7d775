// A request of each kind open in the console on the screen: the server's reply drawn as titled
// sections, each title line on its pale lilac and the rows on white, and nothing left unpainted
// when the view changes. With KIVO_DETAIL_SCREENSHOTS naming a folder, each view is also saved
// there as a PNG (user.png, account.png, limits.png).
#include "console/ConsoleTestSupport.h"
#include "support/DetailSections.h"
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

const ReplyFields kUserReply = {{31003, {"DEALER12"}},
                                {30001, {"Asha Rao", "A Rao"}},
                                {50110, {"asha.rao@kivo.example", "arao@kivo.example"}},
                                {63225, {"Y", "N"}},
                                {54036, {"DEALER"}},
                                {64056, {"KIVO"}},
                                {64053, {"BR07"}},
                                {63212, {"TRADER", "VIEWER"}},
                                {63227, {"50", "25"}},
                                {63213, {"ACTIVE", "SUSPENDED"}},
                                {63001, {"nse_fo"}},
                                {63076, {"Y", "N"}},
                                {64013, {"-1", "NFO0042"}},
                                {64025, {"OK", "NOTOK"}},
                                {64020, {"CNC|MIS|ML", "CNC|MIS"}},
                                {10109, {"LIMIT", "MARKET", "SL"}}};

const ReplyFields kAccountReply = {{54001, {"CLIENT22"}},
                                   {54002, {"Vikram Mehta", "Vikram S Mehta"}},
                                   {50111, {"9820012345", "9820054321"}},
                                   {64840, {"NSE22X"}},
                                   {12014, {"Online-NonSqroff", "Offline-Sqroff"}},
                                   {64807, {"Y", "N"}},
                                   {64953, {"004512345678"}},
                                   {64911, {"State Bank"}},
                                   {64836, {"RTGS", "NEFT"}},
                                   {64839, {"SBIN0001234", "SBIN0000001"}},
                                   {64966, {"IN30012345678901"}},
                                   {44513, {"Mumbai"}},
                                   {64021, {"nse_cm|nse_fo|mcx_fo"}},
                                   {64700, {"P-NSE-22"}},
                                   {64701, {"P-NFO-22"}},
                                   {64704, {"P-MCX-22"}},
                                   {64020, {"CNC|ML", "CNC"}}};

const ReplyFields kLimitsReply = {{54001, {"CLIENT31"}},
                                  {13034, {"RETAIL"}},
                                  {64031, {"250000", "200000"}},
                                  {64174, {"OK"}},
                                  {64158, {"15000", "10000"}},
                                  {64211, {"500", "400"}},
                                  {54019, {"-25000", "-20000"}},
                                  {41236, {"5000", "2500"}},
                                  {64312, {"raised after review", "initial"}},
                                  {64037, {"yes", "no"}},
                                  {41282, {"100000"}}};

class DetailViewPixelTest : public ConsoleTest
{
protected:
    DetailViewPixelTest() : ConsoleTest(&InstallScreen) {}

    COLORREF Pixel(CWnd& wnd, int x, int y)
    {
        CPoint p(x, y);
        wnd.MapWindowPoints(&host.frame, &p, 1);
        CRect window;
        host.frame.GetWindowRect(&window);
        CPoint origin(0, 0);
        host.frame.ClientToScreen(&origin);
        return winlib::qt::WindowPixel(host.frame.m_hWnd, p.x + origin.x - window.left,
                                       p.y + origin.y - window.top);
    }

    // The request published, opened as the checker does (a double click on its row, the newest
    // on top), answered by the server, and the view checked line by line on the screen.
    void OpenAndCheck(const std::string& key, const std::string& type, int ownerField,
                      const std::string& owner, const ReplyFields& fields, const char* picture)
    {
        server.SetScript(
            [reply = MakeReply(fields)](const connect::Message&, connect::ReplyStream& replies)
            {
                replies.Reply(reply);
                replies.Close(0, "done");
            });
        Publish(
            PublishedRequest("auth pending", key, type, "MAKER7").Add(ownerField, owner).Add(64056, "KIVO"));
        CDozizEdizizi& console = *g_pDozizEdizizi;
        CFilterListCtrl& list = console.GetRequestList();
        // While the checker works in the list (he opened the previous one) the new request waits
        // on top until he goes there.
        list.ShowNewRows();
        CRect row;
        list.GetItemRect(0, &row, LVIR_LABEL);
        host.driver.DoubleClick(list.m_hWnd, row.CenterPoint());
        Settle();
        host.driver.Pump();
        ASSERT_EQ(console.m_strDetailKey, key);

        // Only the first view after the grid's creation opens by itself: the checker opens the
        // sections of the others, bottom first so that the lines above keep their places.
        auto& grid = console.GetDetailList();
        for (int line = grid.GetLineCount() - 1; line >= 0; --line)
        {
            if (grid.IsTitleLine(line) && !grid.IsSectionExpanded(line))
                grid.ToggleSection(line);
        }
        host.driver.Pump();

        // Every displayed line: a title line on the lilac, a row line on white, beside the text.
        const std::vector<ShownSection> sections = ReadSections(grid);
        ASSERT_FALSE(sections.empty());
        CRect client;
        grid.GetClientRect(&client);
        int titles = 0;
        for (int line = 0; line < grid.GetLineCount(); ++line)
        {
            CRect r;
            grid.GetItemRect(line, &r, LVIR_BOUNDS);
            if (r.top >= client.bottom)
                break;
            const bool title = grid.IsTitleLine(line);
            titles += title ? 1 : 0;
            EXPECT_EQ(Pixel(grid, std::min(r.right, client.right) - 3, r.CenterPoint().y),
                      title ? RGB(0xEE, 0xDF, 0xDF) : RGB(255, 255, 255))
                << picture << " line " << line;
        }
        EXPECT_GE(titles, 1);

        if (const char* folder = std::getenv("KIVO_DETAIL_SCREENSHOTS"))
        {
            EXPECT_TRUE(winlib::qt::SaveWindowPng(host.frame.m_hWnd, std::string(folder) + "/" + picture));
        }
    }
};

TEST_F(DetailViewPixelTest, EachKindOfRequestOpenInTheConsole)
{
    OpenConsole();
    OpenAndCheck("200101", "340", 31003, "DEALER12", kUserReply, "user.png");
    OpenAndCheck("200102", "354", 54001, "CLIENT22", kAccountReply, "account.png");
    OpenAndCheck("200103", "360", 54001, "CLIENT31", kLimitsReply, "limits.png");
}

} // namespace
