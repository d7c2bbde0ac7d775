// The terminal on a real X screen (Xvfb), driven as a user drives it: real pointer and key
// events through xdotool, what the screen shows read back from the X server, and the
// terminal's own repaint check running whenever its windows settle. Skipped, with the
// reason, where Xvfb or xdotool is missing or no X server starts.
#include "XvfbScreen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace
{

using namespace std::chrono_literals;

// Classic system colours the terminal paints with.
const QRgb kHighlight = qRgb(10, 36, 106);
const QRgb kMenu = qRgb(212, 208, 200);
const QRgb kText = qRgb(0, 0, 0);
const QRgb kWindow = qRgb(255, 255, 255);

// Where the main window sits on a screen without a window manager, and its frame.
constexpr int kLeft = 10;
constexpr int kTop = 10;
constexpr int kFrame = 4;    // thick frame
constexpr int kCaption = 19; // caption height
constexpr int kClientLeft = kLeft + kFrame;
constexpr int kClientTop = kTop + kFrame + kCaption;

using xvfb::Count;
using xvfb::ReadFile;
using xvfb::Screen;
using xvfb::Spawn;

// Xvfb and one terminal on it, for one test.
class TerminalOnX : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_skip = s_server.Start("1920x1080x24"); }
    static void TearDownTestSuite() { s_server.Stop(); }

    void SetUp() override
    {
        if (!s_skip.empty())
            GTEST_SKIP() << s_skip;
        m_errors = s_server.Dir() /
                   (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".err");
        m_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        setenv("APPDATA", (s_server.Dir() / ("appdata-" + m_name)).c_str(), 1);
        setenv("XDG_DATA_HOME", (s_server.Dir() / ("data-" + m_name)).c_str(), 1);
        StartHost();
    }

    // What the terminal is started with. No server: these tests look at the windows, and a first
    // start would seed a database.
    virtual std::vector<std::string> HostArguments() const { return {"--no-server"}; }

    void StartHost()
    {
        std::vector<std::string> args{KIVO_HOST_PROGRAM, "--check-repaint"};
        for (const std::string& arg : HostArguments())
            args.push_back(arg);
        m_host = Spawn(args, m_errors + std::to_string(++m_starts));
        ASSERT_EQ(Xdo("search --sync --onlyvisible --name '^Kivo Terminal$'"), 0);
        Settle();
        // Without a window manager the keyboard follows the pointer.
        Xdo("mousemove 700 600");
        Settle();
    }

    void TearDown() override
    {
        if (m_host > 0)
        {
            kill(m_host, SIGKILL);
            waitpid(m_host, nullptr, 0);
        }
    }

    static int Xdo(const std::string& args) { return xvfb::Xdo(args); }

    // Lets the terminal handle what was sent and paint it; its repaint check looks too.
    static void Settle() { std::this_thread::sleep_for(700ms); }

    // The geometry of a window found by its name, screen coordinates.
    static QRect Geometry(const std::string& name)
    {
        const std::string command = "timeout 10 xdotool search --onlyvisible --name '" + name +
                                    "' getwindowgeometry --shell 2>/dev/null";
        FILE* out = popen(command.c_str(), "r");
        if (!out)
            return QRect();
        int x = 0, y = 0, w = 0, h = 0;
        char line[128];
        while (fgets(line, sizeof line, out))
        {
            std::sscanf(line, "X=%d", &x);
            std::sscanf(line, "Y=%d", &y);
            std::sscanf(line, "WIDTH=%d", &w);
            std::sscanf(line, "HEIGHT=%d", &h);
        }
        pclose(out);
        return QRect(x, y, w, h);
    }

    // Ends the terminal from its File menu and gives its exit code (-1: it did not end).
    int ExitByKeyboard()
    {
        Xdo("key alt+f");
        Settle();
        Xdo("key x");
        for (int i = 0; i < 50; ++i)
        {
            int status = 0;
            if (waitpid(m_host, &status, WNOHANG) == m_host)
            {
                m_host = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(100ms);
        }
        return -1;
    }

    // The terminal's own report: its repaint check found nothing, in any of its starts.
    void ExpectNoRepaintDifference() const
    {
        for (int start = 1; start <= m_starts; ++start)
        {
            const std::string errors = ReadFile(m_errors + std::to_string(start));
            EXPECT_EQ(errors.find("repaint check"), std::string::npos) << errors;
        }
    }

    // The console's row of buttons (text and dark edges) inside a client area at 'origin'.
    static int ButtonInk(const QImage& screen, QPoint barClient)
    {
        return Count(screen, QRect(barClient + QPoint(150, 0), QSize(450, 40)), kText);
    }

    inline static xvfb::Server s_server;
    inline static std::string s_skip;
    pid_t m_host = -1;
    std::string m_errors;
    std::string m_name;
    int m_starts = 0;
};

// Below the menu bar (20) and the console's gripper band (18).
const QPoint kDockedConsoleClient(kClientLeft, kClientTop + 20 + 18);

TEST_F(TerminalOnX, FloatingAndDockingByTheViewMenuPaintsTheConsoleButtons)
{
    ASSERT_GT(ButtonInk(Screen(), kDockedConsoleClient), 50) << "the docked console at start";

    Xdo("key alt+v Return"); // View > Float Maker Checker
    Settle();
    const QRect floating = Geometry("^Maker Checker$");
    ASSERT_FALSE(floating.isEmpty()) << "the console's floating window";
    const QPoint floatingClient = floating.topLeft() + QPoint(kFrame, kFrame + 15);
    EXPECT_GT(ButtonInk(Screen(), floatingClient), 50) << "every button of the floating console";

    Xdo("key alt+v Down Return"); // View > Dock Maker Checker
    Settle();
    EXPECT_TRUE(Geometry("^Maker Checker$").isEmpty());
    EXPECT_GT(ButtonInk(Screen(), kDockedConsoleClient), 50) << "every button of the docked console";
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(TerminalOnX, AConsoleClosedByItsCloseBoxDocksAgainFromTheViewMenu)
{
    Xdo("key alt+v Return");
    Settle();
    const QRect floating = Geometry("^Maker Checker$");
    ASSERT_FALSE(floating.isEmpty());
    // The close box sits at the right end of the small caption.
    Xdo("mousemove " + std::to_string(floating.right() - kFrame - 6) + " " +
        std::to_string(floating.top() + kFrame + 7) + " click 1");
    Settle();
    EXPECT_TRUE(Geometry("^Maker Checker$").isEmpty()) << "closed";
    EXPECT_LT(ButtonInk(Screen(), kDockedConsoleClient), 10) << "and not docked either";

    Xdo("mousemove 700 600");
    Xdo("key alt+v Down Return");
    Settle();
    EXPECT_GT(ButtonInk(Screen(), kDockedConsoleClient), 50) << "back, docked and painted";
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(TerminalOnX, AWindowManagersResizeLaysTheTerminalOutAgainWithTheLogInView)
{
    ASSERT_EQ(Xdo("search --onlyvisible --name '^Kivo Terminal$' windowsize 1292 792"), 0);
    Settle();
    const QImage screen = Screen();
    // The log's list runs along the bottom of the smaller window.
    const int logRow = kTop + 792 - kFrame - 12;
    EXPECT_GT(Count(screen, QRect(kClientLeft + 10, logRow, 600, 4), kWindow), 1500);
    // And nothing is left of the old picture beyond the new size.
    EXPECT_EQ(Count(screen, QRect(kLeft + 1300, kTop + 100, 300, 600), kMenu), 0);
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(TerminalOnX, MenusOpenFromTheKeyboardAndRightClickOpensContextMenus)
{
    // Alt+V: the View menu under its title, its first item selected.
    const QRect belowView(kClientLeft + 100, kClientTop + 20, 160, 30);
    EXPECT_EQ(Count(Screen(), belowView, kHighlight), 0);
    Xdo("key alt+v");
    Settle();
    EXPECT_GT(Count(Screen(), belowView, kHighlight), 300);
    Xdo("key Escape");
    Settle();
    EXPECT_EQ(Count(Screen(), belowView, kHighlight), 0);

    // F10: the first menu.
    const QRect belowFile(kClientLeft + 2, kClientTop + 20, 120, 30);
    Xdo("key F10");
    Settle();
    EXPECT_GT(Count(Screen(), belowFile, kHighlight), 300);
    Xdo("key Escape");
    Settle();

    // Right-click on the log: its menu opens where the pointer is.
    const QPoint inLog(kClientLeft + 400, kTop + 1020 - kFrame - 40);
    const QRect belowPointer(inLog + QPoint(2, 2), QSize(60, 30));
    EXPECT_EQ(Count(Screen(), belowPointer, kMenu), 0);
    Xdo("mousemove " + std::to_string(inLog.x()) + " " + std::to_string(inLog.y()) + " click 3");
    Settle();
    EXPECT_GT(Count(Screen(), belowPointer, kMenu), 600);
    Xdo("key Escape");
    Settle();

    // Right-click on the caption: the system menu.
    const QPoint onCaption(kLeft + 600, kTop + 10);
    Xdo("mousemove " + std::to_string(onCaption.x()) + " " + std::to_string(onCaption.y()) + " click 3");
    Settle();
    EXPECT_GT(Count(Screen(), QRect(onCaption + QPoint(2, 2), QSize(60, 30)), kMenu), 600);
    Xdo("key Escape");
    Settle();

    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

// The terminal with its server and the demo maker entering requests, as a checker meets it.
// Places below are on the terminal as it opens on this screen.
class CheckerOnX : public TerminalOnX
{
protected:
    // A request every three seconds: rows to work on, arriving seldom enough that what a test
    // looks at between two arrivals stays where it is.
    std::vector<std::string> HostArguments() const override { return {"--fresh", "--maker-every", "3"}; }

    void SetUp() override
    {
        TerminalOnX::SetUp();
        if (!IsSkipped())
            std::this_thread::sleep_for(3500ms); // the first request in
    }

    static void Click(QPoint at, int button = 1)
    {
        Xdo("mousemove " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click " +
            std::to_string(button));
        Settle();
    }
    static void Keys(const std::string& keys)
    {
        Xdo("key " + keys);
        Settle();
    }
    // Menu-coloured pixels where a popup opened at 'at' would be.
    static int MenuAt(QPoint at) { return Count(Screen(), QRect(at + QPoint(2, 2), QSize(60, 30)), kMenu); }
    static int WindowCount(const std::string& name)
    {
        FILE* out =
            popen(("timeout 10 xdotool search --onlyvisible --name '" + name + "' 2>/dev/null").c_str(), "r");
        int lines = 0;
        char line[64];
        while (out && fgets(line, sizeof line, out))
            ++lines;
        if (out)
            pclose(out);
        return lines;
    }
    // The terminal's windows on view (each popup menu is one).
    int VisibleWindows() const
    {
        FILE* out =
            popen(("timeout 10 xdotool search --onlyvisible --pid " + std::to_string(m_host) + " 2>/dev/null")
                      .c_str(),
                  "r");
        int lines = 0;
        char line[64];
        while (out && fgets(line, sizeof line, out))
            ++lines;
        if (out)
            pclose(out);
        return lines;
    }
    // The detail grid's white.
    static int DetailsWhite() { return Count(Screen(), kDetailsArea, kWindow); }

    inline static const QPoint kFirstRow{130, 156};
    inline static const QPoint kListCaption{300, 119};
    inline static const QPoint kDetailsClose{1668, 404};
    inline static const QRect kDetailsArea{40, 480, 1500, 280};
    inline static const QRect kListHeader{14, 132, 1660, 12};
};

TEST_F(CheckerOnX, TheFileIsGeneratedBoxKeepsTheGridFromInputUntilItIsClosed)
{
    Click(kFirstRow);
    Keys("shift+e");
    ASSERT_EQ(WindowCount("^Kivo Terminal$"), 2) << "the terminal and the box";
    Click(kFirstRow, 3);
    EXPECT_LT(MenuAt(kFirstRow), 100) << "no row menu while the box is up";
    Keys("Return");
    EXPECT_EQ(WindowCount("^Kivo Terminal$"), 1);
    Click(kFirstRow, 3);
    EXPECT_GT(MenuAt(kFirstRow), 600) << "the row menu once the box is closed";
    Keys("Escape");
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(CheckerOnX, CustomizeAppearanceKeepsItsControlsPaintedAfterItsColourDialogCloses)
{
    Click(kFirstRow);
    Keys("ctrl+shift+c");
    const QRect dialog = Geometry("^Customize Appearance");
    ASSERT_FALSE(dialog.isEmpty());
    const int ink = Count(Screen(), dialog, kText);
    ASSERT_GT(ink, 300) << "labels, groups and buttons";
    // Tab from "Property For" to the colour button, Space opens the colour dialog.
    Keys("Tab space");
    ASSERT_FALSE(Geometry("^Color$").isEmpty()) << "the colour dialog";
    Keys("Escape");
    ASSERT_TRUE(Geometry("^Color$").isEmpty());
    EXPECT_GT(Count(Screen(), dialog, kText), ink * 9 / 10) << "everything painted again";
    Keys("Escape");
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(CheckerOnX, AClosedDetailsPaneComesBackByItsMenuAndAtTheNextStartWhateverTheSize)
{
    ASSERT_GT(DetailsWhite(), 100000);
    Click(kDetailsClose);
    EXPECT_LT(DetailsWhite(), 1000) << "closed";
    // The panes' menu on the list's caption: the second item is the details.
    Click(kListCaption, 3);
    Keys("Down Down Return");
    EXPECT_GT(DetailsWhite(), 30000) << "back from the menu";

    // Closed (by the same menu) when the terminal exits, the details are there at the next start.
    Click(kListCaption, 3);
    Keys("Down Down Return");
    ASSERT_LT(DetailsWhite(), 1000);
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    StartHost();
    EXPECT_GT(DetailsWhite(), 100000) << "a start shows every pane";

    // Shrunk to 420 x 300 and grown back, both panes are there again.
    Xdo("search --onlyvisible --name '^Kivo Terminal$' windowsize 420 300");
    Settle();
    Xdo("search --onlyvisible --name '^Kivo Terminal$' windowsize 1680 1020");
    Settle();
    EXPECT_GT(DetailsWhite(), 100000);
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(CheckerOnX, MenusTickWhatIsOnAndTheMenuKeyOpensTheRowMenuAlone)
{
    // The View menu under its title: Tabbed Log is ticked while the log shows.
    const QRect viewGutter(kClientLeft + 90, kClientTop + 22, 40, 120);
    Keys("alt+v");
    const int logShown = Count(Screen(), viewGutter, kText);
    Keys("Escape");
    Keys("alt+v Down Down Return"); // Tabbed Log: hidden
    Keys("alt+v");
    const int logHidden = Count(Screen(), viewGutter, kText);
    Keys("Escape");
    Keys("alt+v Down Down Return");
    EXPECT_GT(logShown - logHidden, 10) << "the tick beside Tabbed Log";

    // The row menu ticks Draw Grid Lines while the lines are drawn.
    const QRect rowGutter(kFirstRow + QPoint(3, 3), QSize(20, 80));
    Click(kFirstRow, 3);
    const int linesOff = Count(Screen(), rowGutter, kText);
    Keys("Down Down Return");
    Click(kFirstRow, 3);
    const int linesOn = Count(Screen(), rowGutter, kText);
    Keys("Escape");
    EXPECT_GT(linesOn - linesOff, 10) << "the tick beside Draw Grid Lines";

    // The menu key with the pointer resting on the header: the row menu, at the focused row, and
    // nothing after it (each popup menu is a window of its own on the X server).
    Click(kFirstRow);
    const QPoint onHeader(kListHeader.left() + 600, kListHeader.center().y());
    Xdo("mousemove " + std::to_string(onHeader.x()) + " " + std::to_string(onHeader.y()));
    Settle();
    // The key is let go only after the menu closed again, as a slow hand does.
    Xdo("keydown Menu");
    Settle();
    const int withMenu = VisibleWindows();
    EXPECT_GT(Count(Screen(), QRect(kFirstRow + QPoint(-110, 0), QSize(120, 40)), kMenu), 600)
        << "at the focused row, not at the pointer";
    Keys("Escape");
    Xdo("keyup Menu");
    Settle();
    EXPECT_EQ(VisibleWindows(), 1) << "no header menu follows the row menu, no tooltip stays";
    EXPECT_EQ(withMenu, 2) << "the terminal and the one menu, no header tooltip over it";
    Keys("Escape");
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(CheckerOnX, TheFloatingConsolesCaptionLooksActiveWhileTheFocusIsInsideIt)
{
    Xdo("key alt+v Return"); // View > Float Maker Checker
    Settle();
    const QRect floating = Geometry("^Maker Checker$");
    ASSERT_FALSE(floating.isEmpty());
    const QPoint caption = floating.topLeft() + QPoint(kFrame + 2, kFrame + 4);
    // The focus stayed on the console's button as it floated out.
    EXPECT_EQ(Screen().pixel(caption) & 0xFFFFFF, kHighlight & 0xFFFFFF) << "the active caption's colour";
    // A click on its request list puts the focus there.
    Click(floating.topLeft() + QPoint(200, 130));
    EXPECT_EQ(Screen().pixel(caption) & 0xFFFFFF, kHighlight & 0xFFFFFF);
    // Tab from the main window's log back into the console.
    Click(QPoint(kClientLeft + 400, kTop + 1020 - kFrame - 40));
    Keys("Tab");
    EXPECT_EQ(Screen().pixel(caption) & 0xFFFFFF, kHighlight & 0xFFFFFF);
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(CheckerOnX, OneSortArrowOnTheColumnThatOrdersTheRows)
{
    // The header's items, found by their dividers (the shadow line at each item's right edge).
    const auto items = []
    {
        const QImage screen = Screen();
        std::vector<int> edges{kListHeader.left()};
        for (int x = kListHeader.left() + 2; x < kListHeader.right(); ++x)
        {
            if ((screen.pixel(x, kListHeader.center().y()) & 0xFFFFFF) == (qRgb(128, 128, 128) & 0xFFFFFF) &&
                x - edges.back() > 4)
                edges.push_back(x);
        }
        return edges;
    };
    const std::vector<int> edges = items();
    ASSERT_GE(edges.size(), 6u) << "Entity Name, Auth Type, Key, Maker, Branch, Broker";
    const auto title = [&](int item)
    { return QPoint((edges[item] + edges[item + 1]) / 2, kListHeader.top() + 2); };
    // The arrows' ink: black in the header band, where the titles are black too. None at first
    // sight: the rows are in the order they came.
    const auto ink = [] { return Count(Screen(), kListHeader, kText); };
    const int titles = ink();
    Click(title(2)); // Key
    const int oneArrow = ink();
    EXPECT_GT(oneArrow - titles, 10) << "an arrow on Key";
    Click(title(0)); // Entity Name
    EXPECT_EQ(ink(), oneArrow) << "one arrow, moved to Entity Name, none left on Key";

    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(TerminalOnX, TheHotKeyBringsTheConsoleBackAfterThePluginWasStopped)
{
    ASSERT_GT(ButtonInk(Screen(), kDockedConsoleClient), 50);
    Xdo("key alt+p");
    Settle();
    Xdo("key t"); // Plug-in > Stop
    Settle();
    ASSERT_LT(ButtonInk(Screen(), kDockedConsoleClient), 10) << "stopped, the console is gone";
    Xdo("key ctrl+shift+m");
    Settle();
    EXPECT_GT(ButtonInk(Screen(), kDockedConsoleClient), 50) << "the hot key starts it again";
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

TEST_F(CheckerOnX, TheDetailGridKeepsItsStoredColoursAtTheNextStart)
{
    Xdo("mousemove 700 600");
    ASSERT_EQ(ExitByKeyboard(), 0);
    // Blue (0xBBGGRR) stored for the detail grid, which has no name: key "-4001".
    const std::string folder = s_server.Dir() / ("appdata-" + m_name) + "/DarvKIVO/KivoVovode";
    std::ofstream(folder + "/UserSetting.ini", std::ios::app)
        << "[CUSTOMIZE_LISTS]\n-4001=FF0000,FFFFFF,MS Shell Dlg 2,8\n";
    StartHost();
    EXPECT_GT(Count(Screen(), kDetailsArea, qRgb(0, 0, 255)), 100000) << "the stored blue, not white";
    EXPECT_LT(DetailsWhite(), 10000);
    Xdo("mousemove 700 600");
    EXPECT_EQ(ExitByKeyboard(), 0);
    ExpectNoRepaintDifference();
}

} // namespace
