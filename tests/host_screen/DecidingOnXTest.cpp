// A checker deciding requests on a real X screen (Xvfb, 1400 x 900, the size the checker's screen
// had), with real pointer and key events through xdotool. The terminal runs with its server on a
// new database and a script that sets each scene up and checks what the input did: it prints a
// line when the scene is ready and waits for a file the test makes once its input is sent.
// Skipped, with the reason, where Xvfb or xdotool is missing or no X server starts.
#include "XvfbScreen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;

// The request list's caption while new requests wait unseen, and an edited value's cell.
const QRgb kUnseenCaption = qRgb(255, 230, 0);
const QRgb kEditedValue = qRgb(238, 232, 170);

using xvfb::Count;
using xvfb::ReadFile;
using xvfb::Screen;
using xvfb::Spawn;

class DecidingOnX : public ::testing::Test
{
protected:
    // The screen the checker had: 1400 x 900.
    static void SetUpTestSuite() { s_skip = s_server.Start("1400x900x24"); }
    static void TearDownTestSuite() { s_server.Stop(); }

    void SetUp() override
    {
        if (!s_skip.empty())
            GTEST_SKIP() << s_skip;
        m_dir = std::make_unique<ScopedTempDir>(s_server.Dir().Path());
    }

    void TearDown() override
    {
        if (m_host > 0)
        {
            kill(m_host, SIGKILL);
            waitpid(m_host, nullptr, 0);
        }
    }

    // Starts the terminal on the screen with its server on a new database and 'script'; the
    // script's "wait-for-file go-NAME" lines wait for Go(NAME).
    void Start(const std::string& script)
    {
        std::string text;
        std::istringstream lines(script);
        for (std::string line; std::getline(lines, line);)
        {
            const std::string go = "wait-for-file go-";
            if (line.rfind(go, 0) == 0)
                line = "wait-for-file " + (*m_dir / ("go-" + line.substr(go.size())));
            text += line + "\n";
        }
        std::ofstream(*m_dir / "round.kivo") << text;
        setenv("APPDATA", (*m_dir / "appdata").c_str(), 1);
        setenv("XDG_DATA_HOME", (*m_dir / "data").c_str(), 1);
        m_output = *m_dir / "output.txt";
        m_host = Spawn({KIVO_HOST_PROGRAM, "--on-screen", "--check-repaint", "--fresh", "--db",
                        *m_dir / "kivo.db", "--script", *m_dir / "round.kivo"},
                       m_output);
        ASSERT_EQ(Xdo("search --sync --onlyvisible --name '^Kivo Terminal$'"), 0) << Output();
        // Without a window manager the keyboard follows the pointer: it rests on the log.
        Xdo("mousemove 700 820");
    }

    std::string Output() const { return ReadFile(m_output); }

    // Waits for a line the script printed that starts with 'text'; its rest.
    std::string WaitFor(const std::string& text)
    {
        for (int i = 0; i < 600; ++i)
        {
            std::istringstream lines(Output());
            for (std::string line; std::getline(lines, line);)
            {
                if (line.rfind(text, 0) == 0)
                    return line.substr(text.size());
            }
            std::this_thread::sleep_for(100ms);
        }
        ADD_FAILURE() << "the script never printed '" << text << "':\n" << Output();
        return {};
    }

    // Numbers the script printed after 'text' (a rectangle, a point).
    std::vector<int> NumbersAfter(const std::string& text)
    {
        std::istringstream in(WaitFor(text));
        std::vector<int> numbers;
        for (int n = 0; in >> n;)
            numbers.push_back(n);
        return numbers;
    }

    // The script goes on past its "wait-for-file go-NAME" line.
    void Go(const std::string& name)
    {
        Settle();
        std::ofstream(*m_dir / ("go-" + name)) << "go\n";
    }

    // The terminal's exit code once its script is over (-1: it did not end).
    int Finish()
    {
        for (int i = 0; i < 600; ++i)
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

    static int Xdo(const std::string& args) { return xvfb::Xdo(args, 20); }

    static void Settle() { std::this_thread::sleep_for(700ms); }

    static QRect RectOf(const std::vector<int>& n)
    {
        return n.size() >= 4 ? QRect(QPoint(n[0], n[1]), QPoint(n[2] - 1, n[3] - 1)) : QRect();
    }

    static std::string MouseTo(QPoint at)
    {
        return "mousemove " + std::to_string(at.x()) + " " + std::to_string(at.y());
    }

    // The script's report: everything held and the repaint check found nothing.
    void ExpectTheScriptHeld()
    {
        EXPECT_EQ(Finish(), 0) << Output();
        EXPECT_EQ(Output().find("repaint check"), std::string::npos) << Output();
    }

    inline static xvfb::Server s_server;
    inline static std::string s_skip;
    std::unique_ptr<ScopedTempDir> m_dir;
    pid_t m_host = -1;
    std::string m_output;
};

// Item: rows move under the pointer. With the pointer resting on a row of a full list, three new
// requests arrive: the rows on screen do not move, the caption counts the newcomers in yellow,
// and a click on the check box under the pointer ticks the request that was there.
TEST_F(DecidingOnX, NewRequestsLeaveTheRowsUnderThePointerWhereTheyAre)
{
    Start(R"(click 1001
wait-for-rows 40+
print-rect grid 1
echo POINTER
wait-for-file go-pointer
note-row-under-pointer
echo ARRIVING
wait-for-file go-arriving
maker maker=MAKER1 add-user KV2001 name="Asha Rao" branch=KIVO-PUN
maker maker=MAKER2 modify-user KV1001 email=meera.iyer@kivo-trade.in
maker maker=MAKER1 modify-account KVC10001 email=new.mail@example.in
expect-under-pointer noted
print-rect row noted
echo ARRIVED
wait-for-file go-ticked
expect-ticked noted
expect-unticked last
keys home
expect-top-row last
quit
)");
    const QRect list = RectOf(NumbersAfter("grid 1: "));
    ASSERT_FALSE(list.isEmpty()) << Output();
    WaitFor("POINTER");
    // The pointer on the fourth row, to the right: the rows left of it are compared.
    const QPoint pointer(list.left() + 380, list.top() + 24 + 3 * 18);
    Xdo(MouseTo(pointer));
    Go("pointer");
    WaitFor("noted ");
    const QRect rows(list.left(), list.top() + 20, 340, list.height() - 20);
    const QRect caption(list.left(), list.top() - 17, list.width(), 16);
    Settle();
    const QImage before = Screen();
    EXPECT_EQ(Count(before, caption, kUnseenCaption), 0);
    Go("arriving");
    const std::vector<int> row = NumbersAfter("row noted: ");
    ASSERT_EQ(row.size(), 6u) << Output();
    Settle();
    const QImage after = Screen();
    EXPECT_EQ(before.copy(rows), after.copy(rows)) << "the rows on screen stayed where they were";
    EXPECT_GT(Count(after, caption, kUnseenCaption), 100) << "the caption counts the newcomers in yellow";
    Xdo(MouseTo(QPoint(row[4], row[5])) + " click 1");
    Go("ticked");
    ExpectTheScriptHeld();
}

// Item: keyboard-only checking. Recover, tick, open, the row menu, accept, reject with a reason,
// edit a limit and update, with real keys alone.
TEST_F(DecidingOnX, TheWholeRoundWorksFromTheKeyboard)
{
    Start(R"(expect-focus Accept
echo KEYS-RECOVER
wait-for-file go-recover
expect-focus Recover
expect-log Request sent to Recovery
expect-pending-listed
maker maker=MAKER1 add-user KV2001 name="Asha Rao" branch=KIVO-PUN
echo KEYS-OPEN
wait-for-file go-open
expect-ticked last
expect-request last auth pending
expect-detail DealerName | Asha Rao |
echo KEYS-ACCEPT
wait-for-file go-accept
expect-request last accepted
maker maker=MAKER1 modify-account KVC10001 email=new.mail@example.in
echo KEYS-REJECT
wait-for-file go-reject
expect-request last rejected
expect-reason last Documents not received
maker maker=MAKER2 limits client:KVC10001 cash-margin=2500000 order-quantity=5000
echo KEYS-UPDATE
wait-for-file go-update
expect-log Request sent to Update RMS Limits Authentication
expect-request last accepted
expect-field limits client:KVC10001 cash-margin 1800000.00
expect-pending-listed
quit
)");
    const auto keys = [](const std::string& sequence) { return Xdo("key --delay 120 " + sequence); };
    WaitFor("KEYS-RECOVER");
    // The focus starts on Accept: Tab to Recover, Space.
    keys("Tab Tab Tab space");
    Go("recover");
    WaitFor("KEYS-OPEN");
    // Into the list, the newest, tick, open (Enter does not press Accept).
    keys("Tab Home space Return");
    Go("open");
    WaitFor("KEYS-ACCEPT");
    // Its menu by Shift+F10 and by the menu key; back to Accept and press it.
    keys("shift+F10 Escape Menu Escape shift+F6 space");
    Go("accept");
    WaitFor("KEYS-REJECT");
    keys("F6 Home space shift+F6 Tab space");
    Settle();
    Xdo("type --delay 60 'Documents not received'");
    keys("Return");
    Go("reject");
    WaitFor("KEYS-UPDATE");
    // Open the limits, into the details, down to Cash Margin (title, owner, Cash Margin), edit.
    keys("F6 Home Return F6 Home Down Down F2");
    Xdo("type --delay 60 1800000");
    keys("Return F6 Tab Tab space");
    Go("update");
    ExpectTheScriptHeld();
}

// Item: Recover breaks newest on top. Requests that arrived live stay above the older ones the
// Recover button (clicked) sends again.
TEST_F(DecidingOnX, AfterRecoverTheListIsNewestOnTop)
{
    Start(R"(maker maker=MAKER1 add-user KV2001 name="Asha Rao" branch=KIVO-PUN
maker maker=MAKER2 modify-user KV1001 email=meera.iyer@kivo-trade.in
expect-rows 2
print-rect button 1001
echo CLICK
wait-for-file go-clicked
expect-log Request sent to Recovery
expect-pending-listed
expect-newest-first
expect-top-row last
quit
)");
    const QRect recover = RectOf(NumbersAfter("button 1001: "));
    ASSERT_FALSE(recover.isEmpty()) << Output();
    Xdo(MouseTo(recover.center()) + " click 1");
    Go("clicked");
    ExpectTheScriptHeld();
}

// Item: the amount editor. Clicked, "-5" typed and Enter reads -5.00, the edit is marked until
// Update sends it, and the server refuses it with its reason while the request stays pending.
TEST_F(DecidingOnX, ANegativeLimitKeepsItsSignAndIsRefusedByTheServer)
{
    Start(R"(click 1001
maker maker=MAKER2 limits client:KVC10001 cash-margin=2500000 order-quantity=5000
open-row last
print-rect detail Cash Margin
echo EDIT
wait-for-file go-edited
expect-detail Cash Margin | -5.00 |
echo MARKED
wait-for-file go-looked
click 1000
expect-log cannot be negative, not '-5.00'
expect-request last auth pending
expect-row last
echo SENT
wait-for-file go-done
quit
)");
    const QRect cash = RectOf(NumbersAfter("detail Cash Margin: "));
    ASSERT_FALSE(cash.isEmpty()) << Output();
    WaitFor("EDIT");
    Xdo(MouseTo(cash.center()) + " click 1");
    Settle();
    Xdo("type --delay 100 -- -5");
    Xdo("key Return");
    Go("edited");
    WaitFor("MARKED");
    // The next line selected, so that the edited value shows its mark.
    Xdo("key Down");
    Settle();
    EXPECT_GT(Count(Screen(), cash.adjusted(2, 2, -2, -2), kEditedValue), 500) << "marked until sent";
    Go("looked");
    WaitFor("SENT");
    Settle();
    EXPECT_LT(Count(Screen(), cash.adjusted(2, 2, -2, -2), kEditedValue), 50) << "sent: no longer marked";
    Go("done");
    ExpectTheScriptHeld();
}

// Item: every outcome confirmed. Accept clicked with nothing ticked says so; ticked and clicked,
// the log says it was sent and then that the server accepted it.
TEST_F(DecidingOnX, TheLogTellsEveryOutcomeOfTheButtons)
{
    Start(R"(click 1001
maker maker=MAKER1 add-user KV2001 name="Asha Rao" branch=KIVO-PUN
print-rect button 1
echo NOTHING
wait-for-file go-nothing
expect-log Nothing to accept: no request shown is ticked
expect-no-log Request sent to Accept
tick-row last
echo TICKED
wait-for-file go-accepted
expect-log Request sent to Accept Authentication
expect-log (ADD USER KV2001) accepted by CHECKER1
expect-request last accepted
quit
)");
    const QRect accept = RectOf(NumbersAfter("button 1: "));
    ASSERT_FALSE(accept.isEmpty()) << Output();
    WaitFor("NOTHING");
    Xdo(MouseTo(accept.center()) + " click 1");
    Go("nothing");
    WaitFor("TICKED");
    Xdo(MouseTo(accept.center()) + " click 1");
    Go("accepted");
    ExpectTheScriptHeld();
}

} // namespace
