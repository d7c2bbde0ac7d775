// The terminal on a real X screen (Xvfb), driven as a user drives it: real pointer and key
// events through xdotool, what the screen shows read back from the X server, and the
// terminal's own repaint check running whenever its windows settle. Skipped, with the
// reason, where Xvfb or xdotool is missing or no X server starts.
#include "support/ScopedTempDir.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

bool OnPath(const std::string& program)
{
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& errorFile, int keepFd = -1)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err >= 0)
        {
            dup2(err, 2);
            dup2(err, 1);
        }
        for (int fd = 3; fd < 256; ++fd)
        {
            if (fd != keepFd)
                close(fd);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Xvfb and one terminal on it, for one test.
class TerminalOnX : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!OnPath("Xvfb") || !OnPath("xdotool"))
        {
            s_skip = "Xvfb or xdotool is not installed (scripts/deps installs them)";
            return;
        }
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
        {
            s_skip = "no pipe for Xvfb's display number";
            return;
        }
        s_dir = new ScopedTempDir;
        s_xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1920x1080x24",
                        "-nolisten", "tcp"},
                       *s_dir / "xvfb.log", pipeFds[1]);
        close(pipeFds[1]);
        std::string display;
        char c;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
            display += c;
        close(pipeFds[0]);
        if (display.empty())
        {
            s_skip = "no X server could be started: " + ReadFile(*s_dir / "xvfb.log");
            return;
        }
        setenv("DISPLAY", (":" + display).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("XDG_RUNTIME_DIR", s_dir->Path().c_str(), 1);
        static int argc = 1;
        static char name[] = "host_screen_tests";
        static char* argv[] = {name, nullptr};
        s_app = new QGuiApplication(argc, argv);
    }

    static void TearDownTestSuite()
    {
        delete s_app;
        s_app = nullptr;
        if (s_xvfb > 0)
        {
            kill(s_xvfb, SIGTERM);
            waitpid(s_xvfb, nullptr, 0);
        }
        s_xvfb = -1;
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override
    {
        if (!s_skip.empty())
            GTEST_SKIP() << s_skip;
        m_errors =
            *s_dir / (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".err");
        setenv("APPDATA", (*s_dir / "appdata").c_str(), 1);
        // No server: these tests look at the windows, and a first start would seed a database.
        m_host = Spawn({KIVO_HOST_PROGRAM, "--check-repaint", "--no-server"}, m_errors);
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

    static int Xdo(const std::string& args)
    {
        return WEXITSTATUS(std::system(("timeout 10 xdotool " + args + " > /dev/null 2>&1").c_str()));
    }

    // Lets the terminal handle what was sent and paint it; its repaint check looks too.
    static void Settle() { std::this_thread::sleep_for(700ms); }

    static QImage Screen()
    {
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
            QImage::Format_RGB32);
    }

    static int Count(const QImage& image, QRect area, QRgb colour)
    {
        int n = 0;
        area &= image.rect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    }

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

    // The terminal's own report: its repaint check found nothing.
    void ExpectNoRepaintDifference() const
    {
        const std::string errors = ReadFile(m_errors);
        EXPECT_EQ(errors.find("repaint check"), std::string::npos) << errors;
    }

    // The console's row of buttons (text and dark edges) inside a client area at 'origin'.
    static int ButtonInk(const QImage& screen, QPoint barClient)
    {
        return Count(screen, QRect(barClient + QPoint(150, 0), QSize(450, 40)), kText);
    }

    inline static std::string s_skip;
    inline static ScopedTempDir* s_dir = nullptr;
    inline static pid_t s_xvfb = -1;
    inline static QGuiApplication* s_app = nullptr;
    pid_t m_host = -1;
    std::string m_errors;
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

} // namespace
