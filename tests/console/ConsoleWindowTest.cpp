// The console window: its grids inside the holder frame, the request rows as published messages
// add and remove them, opening a request by double click, deciding ticked rows, and its layout.
#include "ConsoleTestSupport.h"

#include "dozizedizizi/DetailSection.h"
#include "dozizedizizi/MCConnection.h"
#include "holder/HolderView.h"
#include "holder/KTHolderFrame.h"

namespace
{

class ConsoleWindowTest : public ConsoleTest
{
protected:
    // A user request of maker MAKER1 about its dealer, published by the server.
    void PublishUser(const std::string& key, const std::string& type = "339", const std::string& dealer = "D")
    {
        Publish(PublishedRequest("auth pending", key, type)
                    .Add(31003, dealer)
                    .Add(64056, "BRK1")
                    .Add(64053, "BR1"));
    }

    std::vector<std::string> ListedKeys()
    {
        CFilterListCtrl& list = g_pDozizEdizizi->GetRequestList();
        std::vector<std::string> keys;
        for (int row = 0; row < list.GetItemCount(); ++row)
            keys.push_back(list.GetItemText(row, 2));
        return keys;
    }

    // Where the layout puts the holder frame: the console's window rectangle in its client
    // coordinates (the gripper band above the client area included), less the button band at the
    // top and the margin on the other sides.
    CRect HolderRectFor(CDozizEdizizi& console)
    {
        CRect r = RectIn(console, console);
        return CRect(r.left + 5, r.top + 55, r.right - 5, r.bottom - 5);
    }

    CRect RectIn(CWnd& wnd, CWnd& in)
    {
        CRect r;
        wnd.GetWindowRect(&r);
        in.ScreenToClient(&r);
        return r;
    }

    // A section of one row shown in the detail grid, as a detail builder would add it.
    void ShowSection(const std::string& title)
    {
        auto section = std::make_unique<sDetailSection>();
        section->m_pTitle = std::make_unique<sMCListStruct>();
        section->m_pTitle->m_strField = title;
        section->m_arrRows.push_back(std::make_unique<sMCListStruct>());
        section->m_arrRows.back()->m_strField = "Field";
        CMultiLineListCtrl& grid = g_pDozizEdizizi->GetDetailList();
        const int index = grid.GetSectionCount();
        grid.InsertSectionItem(index, " ");
        grid.SetSectionData(index, section.release(), 2);
    }
};

TEST_F(ConsoleWindowTest, TheGridsSitInTheHolderFrameBelowTheButtons)
{
    CDozizEdizizi& console = OpenConsole();
    CKTHolderFrame* holder = console.GetHolderFrame();
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(::IsWindow(holder->m_hWnd));
    EXPECT_EQ(holder->GetParent(), &console);
    EXPECT_TRUE(holder->IsHorizontal());
    EXPECT_EQ(RectIn(*holder, console), HolderRectFor(console));

    ASSERT_EQ(holder->GetPaneCount(), 2);
    EXPECT_EQ(holder->GetPaneView(0)->GetControl(), &console.GetRequestList());
    EXPECT_EQ(holder->GetPaneView(1)->GetControl(), &console.GetDetailList());
    EXPECT_EQ(console.GetRequestList().GetDlgCtrlID(), 4000);
    EXPECT_EQ(console.GetDetailList().GetDlgCtrlID(), 4001);
    EXPECT_EQ(holder->GetPanes()[0].m_strCaption, "Maker checker List");
    EXPECT_EQ(holder->GetPanes()[1].m_strCaption, "Maker Checker Details List");
    EXPECT_EQ(console.GetRequestList().m_strListName, "Maker-Checker");
    EXPECT_EQ(console.GetDetailList().m_strListName, "");
    EXPECT_EQ(console.GetRequestList().GetOwner(), &console);
}

TEST_F(ConsoleWindowTest, TheRequestListHasItsColumnsFilterRowAndCheckBoxes)
{
    CFilterListCtrl& list = OpenConsole().GetRequestList();
    const std::vector<std::pair<std::string, int>> columns = {
        {"Entity Name", 3}, {"Auth Type", 3}, {"Key", 4}, {"Maker", 3}, {"Branch", 3}, {"Broker", 3}};
    ASSERT_EQ(list.m_arrColumns.size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        EXPECT_EQ(list.m_arrColumns[i].GetName(), columns[i].first);
        EXPECT_EQ(list.m_arrColumns[i].m_nDataType, columns[i].second) << columns[i].first;
        EXPECT_EQ(list.m_arrColumns[i].m_nWidth, 75);
        EXPECT_EQ(list.m_arrColumns[i].m_nFormat, 1) << "right-aligned";
    }
    EXPECT_TRUE(list.IsDataMode());
    EXPECT_FALSE(list.m_bFilterBarShown) << "the filter row starts hidden; Ctrl+F shows it";
    EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_CHECKBOXES);
    EXPECT_EQ(list.GetCallbackMask() & LVIS_SELECTED, static_cast<UINT>(LVIS_SELECTED));
}

TEST_F(ConsoleWindowTest, TheDetailGridHasItsColumnsAndColours)
{
    CMultiLineListCtrl& grid = OpenConsole().GetDetailList();
    const std::vector<std::tuple<std::string, int, int>> columns = {
        {"Field", 160, 0}, {"Value", 200, 2}, {"Old Value", 200, 2}};
    ASSERT_EQ(grid.m_arrColumns.size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        const auto& [name, width, format] = columns[i];
        EXPECT_EQ(grid.m_arrColumns[i].GetName(), name);
        EXPECT_EQ(grid.m_arrColumns[i].m_nWidth, width) << name;
        EXPECT_EQ(grid.m_arrColumns[i].m_nFormat, format) << name;
        EXPECT_EQ(grid.m_arrColumns[i].m_nDataType, 3) << name;
    }
    EXPECT_TRUE(grid.IsSectionMode());
    EXPECT_EQ(grid.GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(grid.GetTextColor(), RGB(0, 0, 0));
    EXPECT_TRUE(grid.GetExtendedStyle() & LVS_EX_GRIDLINES);
    EXPECT_FALSE(grid.GetExtendedStyle() & LVS_EX_HEADERDRAGDROP) << "the columns keep their order";
    EXPECT_EQ(grid.GetDataDescriptor(), &DescribeDetailSection);
}

TEST_F(ConsoleWindowTest, RequestsShowNewestFirstWithTheirTexts)
{
    OpenConsole();
    PublishUser("1001", "339", "DEALER1");
    Publish(PublishedRequest("auth pending", "1002", "777").Add(64056, "BRK2"));
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"1002", "1001"})) << "the later request on top";
    CFilterListCtrl& list = g_pDozizEdizizi->GetRequestList();
    EXPECT_EQ(list.GetItemText(1, 0), "DEALER1");
    EXPECT_EQ(list.GetItemText(1, 1), "ADD USER");
    EXPECT_EQ(list.GetItemText(1, 3), "MAKER1");
    EXPECT_EQ(list.GetItemText(1, 4), "BR1");
    EXPECT_EQ(list.GetItemText(1, 5), "BRK1");
    EXPECT_EQ(list.GetItemText(0, 1), "") << "an unknown type shows no text";

    // Refreshing a request changes its row in place.
    PublishUser("1001", "340", "DEALER9");
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"1002", "1001"}));
    EXPECT_EQ(list.GetItemText(1, 0), "DEALER9");
    EXPECT_EQ(list.GetItemText(1, 1), "MODIFY USER");

    // Cell texts stop at 255 characters.
    PublishUser("K1", "339", std::string(400, 'e'));
    EXPECT_EQ(list.GetItemText(0, 0), std::string(255, 'e'));
}

TEST_F(ConsoleWindowTest, DecidedRequestsLeaveTheListEvenWhenTheFilterHidesThem)
{
    CDozizEdizizi& console = OpenConsole();
    for (const char* key : {"A1", "B2", "A3", "B4"})
        PublishUser(key, "339", std::string("DEALER-") + key);
    CFilterListCtrl& list = console.GetRequestList();
    list.SetColumnFilter(2, "A");
    list.ApplyFilter();
    ASSERT_EQ(ListedKeys(), (std::vector<std::string>{"A3", "A1"}));

    Publish(PublishedRequest("accepted", "B2", "339").Add(64056, "BRK1"));
    Publish(PublishedRequest("rejected", "A3", "339").Add(64056, "BRK1"));
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"A1"}));
    EXPECT_EQ(console.GetRequestCount(), 2);
    EXPECT_EQ(list.GetStoreCount(), 2) << "the hidden row went with its record";

    list.SetColumnFilter(2, "");
    list.ApplyFilter();
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"B4", "A1"}));
    // A request that arrives while the filter hides it is listed all the same.
    list.SetColumnFilter(2, "B");
    list.ApplyFilter();
    PublishUser("A5");
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"B4"}));
    list.SetColumnFilter(2, "");
    list.ApplyFilter();
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"A5", "B4", "A1"}));
}

TEST_F(ConsoleWindowTest, ManyRequestsComeAndGoInAnyOrder)
{
    CDozizEdizizi& console = OpenConsole();
    std::vector<std::string> keys;
    for (int i = 0; i < 300; ++i)
    {
        keys.push_back("K" + std::to_string(i));
        HandlePublishMsg(
            connect::ReceivedMessage(PublishedRequest("auth pending", keys.back(), "360")).Handle());
    }
    // Every third request decided, from the middle outwards, then the rest from the oldest.
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i)
    {
        if (i % 3 == 0)
            HandlePublishMsg(connect::ReceivedMessage(
                                 PublishedRequest("accepted", keys[static_cast<std::size_t>(i)], "360"))
                                 .Handle());
    }
    for (int i = 299; i >= 0; --i)
    {
        if (i % 3 != 0)
            expected.push_back(keys[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(ListedKeys(), expected);
    for (int i = 0; i < 300; ++i)
        HandlePublishMsg(
            connect::ReceivedMessage(PublishedRequest("rejected", keys[static_cast<std::size_t>(i)], "360"))
                .Handle());
    EXPECT_TRUE(ListedKeys().empty());
    EXPECT_EQ(console.GetRequestCount(), 0);
    EXPECT_EQ(console.GetRequestList().GetStoreCount(), 0);
}

TEST_F(ConsoleWindowTest, ADoubleClickOpensTheSelectedRequest)
{
    CDozizEdizizi& console = OpenConsole();
    PublishUser("U1", "339");
    PublishUser("X1", "365");
    CFilterListCtrl& list = console.GetRequestList();
    ShowSection("Earlier");
    ASSERT_EQ(console.GetDetailList().GetSectionCount(), 1);

    // Row 1 is the older request, the user: its details are asked for.
    CRect row;
    list.GetItemRect(1, &row, LVIR_LABEL);
    host.driver.DoubleClick(list.m_hWnd, row.CenterPoint());
    Settle();
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(*Sent()[0].Value(0), "om_get_auth_user_details");
    EXPECT_EQ(*Sent()[0].Value(51803), "U1");
    EXPECT_EQ(console.m_strDetailKey, "U1");
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 0) << "the view was cleared first";

    // A deletion clears the view and asks for nothing.
    ShowSection("Stale");
    host.wire.Clear();
    list.GetItemRect(0, &row, LVIR_LABEL);
    host.driver.DoubleClick(list.m_hWnd, row.CenterPoint());
    Settle();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 0);
    EXPECT_EQ(console.m_strDetailKey, "U1");
}

TEST_F(ConsoleWindowTest, ADoubleClickBelowTheRowsDoesNothing)
{
    CDozizEdizizi& console = OpenConsole();
    ShowSection("Kept");
    CFilterListCtrl& list = console.GetRequestList();
    CRect client;
    list.GetClientRect(&client);
    host.driver.DoubleClick(list.m_hWnd, CPoint(client.CenterPoint().x, client.bottom - 3));
    Settle();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 1);

    // With a row selected too: the first click below the rows takes the selection away, so the
    // double click opens nothing (it once opened the selected row again and emptied the view).
    PublishUser("A1");
    list.ShowNewRows(); // it waited on top while the pointer rested on the list
    CRect row;
    list.GetItemRect(0, &row, LVIR_LABEL);
    host.driver.Click(list.m_hWnd, row.CenterPoint());
    Settle();
    ASSERT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 0);
    host.wire.Clear();
    host.driver.DoubleClick(list.m_hWnd, CPoint(client.CenterPoint().x, client.bottom - 3));
    Settle();
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 1);
}

// Without a mouse: the arrows move the focus, Space ticks the focused row (and the other selected
// rows with it), Enter opens it, and Enter never presses Accept, the console's default button.
TEST_F(ConsoleWindowTest, TheKeyboardTicksAndOpensTheFocusedRequest)
{
    CDozizEdizizi& console = OpenConsole();
    for (const char* key : {"A1", "B2", "C3"})
        PublishUser(key);
    CFilterListCtrl& list = console.GetRequestList();
    list.SetFocus();
    host.driver.Press(VK_HOME);
    host.driver.Press(VK_DOWN);
    ASSERT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    host.driver.Press(VK_SPACE);
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"C3", "B2", "A1"}));
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_TRUE(list.GetCheck(1)) << "Space ticks the focused row";
    host.driver.Press(VK_SPACE);
    EXPECT_FALSE(list.GetCheck(1)) << "and clears it again";

    // Another row selected with Ctrl takes the state the focused row gets.
    CRect row;
    list.GetItemRect(2, &row, LVIR_LABEL);
    host.driver.Click(list.m_hWnd, row.CenterPoint(), winlib::testing::Ctrl);
    ASSERT_EQ(list.GetSelectedCount(), 2u);
    ASSERT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    host.driver.Press(VK_SPACE);
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_FALSE(list.GetCheck(0));
    // Ctrl+Space selects; it ticks nothing.
    host.driver.Press(VK_UP, winlib::testing::Ctrl);
    host.driver.Press(VK_UP, winlib::testing::Ctrl);
    host.driver.Press(VK_SPACE, winlib::testing::Ctrl);
    EXPECT_FALSE(list.GetCheck(0));

    host.driver.Press(VK_HOME);
    host.driver.Press(VK_DOWN);
    host.driver.Press(VK_RETURN);
    Settle();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u) << "Enter opened the request and accepted nothing";
    EXPECT_EQ(*sent[0].Value(0), "om_get_auth_user_details");
    EXPECT_EQ(*sent[0].Value(51803), "B2");
    EXPECT_EQ(GetFocus(), list.m_hWnd);
}

// F6 and Shift+F6 go round the buttons, the request list and the detail grid, which keeps Tab
// for its editors; a part that is not shown is passed over.
TEST_F(ConsoleWindowTest, F6MovesBetweenTheButtonsAndTheTwoGrids)
{
    CDozizEdizizi& console = OpenConsole();
    CWnd* accept = console.GetDlgItem(IDC_MC_ACCEPT);
    CWnd* reject = console.GetDlgItem(IDC_MC_REJECT);
    CFilterListCtrl& list = console.GetRequestList();
    CMultiLineEditListCtrl& grid = console.GetDetailList();
    reject->SetFocus();
    host.driver.Press(VK_F6);
    EXPECT_EQ(GetFocus(), list.m_hWnd);
    host.driver.Press(VK_F6);
    EXPECT_EQ(GetFocus(), grid.m_hWnd);
    host.driver.Press(VK_TAB);
    EXPECT_EQ(GetFocus(), grid.m_hWnd) << "Tab stays in the detail grid";
    host.driver.Press(VK_F6);
    EXPECT_EQ(GetFocus(), accept->m_hWnd);
    host.driver.Press(VK_F6, winlib::testing::Shift);
    EXPECT_EQ(GetFocus(), grid.m_hWnd);
    host.driver.Press(VK_F6, winlib::testing::Shift);
    EXPECT_EQ(GetFocus(), list.m_hWnd);

    grid.GetParent()->ShowWindow(SW_HIDE); // its pane closed
    host.driver.Press(VK_F6);
    EXPECT_EQ(GetFocus(), accept->m_hWnd);
}

// While the checker works in the list, new requests never move the rows he sees: they wait on
// top, and the list's caption counts them, in yellow, until he goes to the top.
TEST_F(ConsoleWindowTest, NewRequestsWaitOnTopWithTheirCountInTheCaptionWhileTheCheckerWorks)
{
    CDozizEdizizi& console = OpenConsole();
    for (int i = 0; i < 40; ++i)
        PublishUser("R" + std::to_string(i));
    CFilterListCtrl& list = console.GetRequestList();
    auto* view = dynamic_cast<CHolderView*>(list.GetParent());
    ASSERT_NE(view, nullptr);
    const COLORREF plain = view->GetCaptionColor();
    CRect row;
    list.GetItemRect(3, &row, LVIR_LABEL);
    host.driver.Click(list.m_hWnd, row.CenterPoint()); // R36 selected, the pointer on it
    const int top = list.GetTopIndex();
    const int rowUnderPointer = list.HitTest(row.CenterPoint());
    ASSERT_EQ(list.GetItemText(rowUnderPointer, 2), "R36");

    PublishUser("N1");
    PublishUser("N2");
    EXPECT_EQ(list.GetItemText(list.HitTest(row.CenterPoint()), 2), "R36") << "the row under the pointer";
    EXPECT_EQ(list.GetItemText(list.GetNextItem(-1, LVNI_SELECTED), 2), "R36");
    EXPECT_EQ(list.GetTopIndex(), top + 2);
    EXPECT_EQ(view->GetCaption(), " Maker checker List  -  2 new requests on top (Home shows them)");
    EXPECT_NE(view->GetCaptionColor(), plain);
    EXPECT_EQ(BeepCount(), 42u) << "each still beeps";

    // A double click there opens what is under the pointer.
    host.wire.Clear();
    host.driver.DoubleClick(list.m_hWnd, row.CenterPoint());
    Settle();
    ASSERT_FALSE(Sent().empty());
    EXPECT_EQ(*Sent()[0].Value(51803), "R36");

    // Home: the newest requests, and the caption as it was.
    list.SetFocus();
    host.driver.Press(VK_HOME);
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_EQ(list.GetItemText(0, 2), "N2");
    host.driver.Pump();
    EXPECT_EQ(view->GetCaption(), " Maker checker List");
    EXPECT_EQ(view->GetCaptionColor(), plain);
    PublishUser("N3");
    EXPECT_EQ(view->GetCaption(), " Maker checker List  -  1 new request on top (Home shows it)");
}

// Recover sends every pending request again, the oldest first: those older than the requests
// that arrived live go below them, so that the list is newest on top, each request once, whether
// or not the filter shows them, and the place of the ticks and of what was removed stays right.
TEST_F(ConsoleWindowTest, AfterRecoverTheListIsNewestOnTopWithEachRequestOnce)
{
    CDozizEdizizi& console = OpenConsole();
    for (const char* key : {"100117", "100118", "100119"})
        PublishUser(key);
    CFilterListCtrl& list = console.GetRequestList();
    list.SetCheck(1, TRUE); // 100118
    server.SetScript(
        [](const connect::Message& request, connect::ReplyStream& replies)
        {
            if (*request.Value(0) != "om_get_functionality_details")
                return;
            for (const char* key : {"100002", "100003", "100116", "100117", "100118", "100119", "100120"})
                replies.Reply(
                    PublishedRequest("auth pending", key, "339").Add(31003, "D").Add(64056, "BRK1"));
            replies.Close(0, "7 pending requests");
        });
    console.OnRecover();
    Settle();
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"100120", "100119", "100118", "100117", "100116",
                                                      "100003", "100002"}));
    EXPECT_EQ(console.GetRequestCount(), 7);
    EXPECT_TRUE(list.GetCheck(2)) << "the tick stayed with 100118";
    EXPECT_FALSE(list.GetCheck(1));

    // Removing by key still finds each row where the order put it, and an old request arriving
    // late (a key written with zeros in front of it) goes where its number belongs.
    Publish(PublishedRequest("accepted", "100003", "339").Add(64056, "BRK1"));
    Publish(PublishedRequest("accepted", "100119", "339").Add(64056, "BRK1"));
    PublishUser("0100004");
    EXPECT_EQ(ListedKeys(),
              (std::vector<std::string>{"100120", "100118", "100117", "100116", "0100004", "100002"}));

    // Under a filter the hidden ones keep their places too.
    list.SetColumnFilter(2, "1001");
    list.ApplyFilter();
    PublishUser("100100");
    list.SetColumnFilter(2, "");
    list.ApplyFilter();
    EXPECT_EQ(ListedKeys(), (std::vector<std::string>{"100120", "100118", "100117", "100116", "100100",
                                                      "0100004", "100002"}));
    for (const std::string& key : ListedKeys())
        Publish(PublishedRequest("rejected", key, "339").Add(64056, "BRK1"));
    EXPECT_EQ(console.GetRequestCount(), 0);
    EXPECT_EQ(list.GetStoreCount(), 0);
}

TEST_F(ConsoleWindowTest, AcceptAndRejectTakeTheTickedRowsThatShowFromTopToBottom)
{
    CDozizEdizizi& console = OpenConsole();
    for (const char* key : {"A1", "B2", "A3", "A4"})
        PublishUser(key);
    CFilterListCtrl& list = console.GetRequestList();
    // Shown: A4, A3, B2, A1. Ticked: A4, B2, A1; then B2 is filtered out.
    for (int row : {0, 2, 3})
        list.SetCheck(row, TRUE);
    list.SetColumnFilter(2, "A");
    list.ApplyFilter();
    host.driver.Click(console.GetDlgItem(IDC_MC_ACCEPT)->m_hWnd, CPoint(3, 3));
    Settle();
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(*sent[0].Value(51803), "A4");
    EXPECT_EQ(*sent[1].Value(51803), "A1");
    EXPECT_EQ(console.GetRequestCount(), 4) << "a decision changes nothing until it is published";

    host.wire.Clear();
    host.driver.AnswerNextDialog(
        [this](HWND)
        {
            host.driver.Type("not now");
            host.driver.Press(VK_RETURN);
        });
    host.driver.Click(console.GetDlgItem(IDC_MC_REJECT)->m_hWnd, CPoint(3, 3));
    Settle();
    sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(*sent[0].Value(51803), "A4");
    EXPECT_EQ(*sent[0].Value(32766), "not now");
    EXPECT_EQ(*sent[1].Value(51803), "A1");
    EXPECT_TRUE(list.GetCheck(0)) << "the ticks stay";
}

TEST_F(ConsoleWindowTest, TheViewOfADecidedRequestIsClearedWhetherListedOrNotAndByRecover)
{
    CDozizEdizizi& console = OpenConsole();
    PublishUser("U1");
    console.m_strDetailKey = "GONE";
    ShowSection("General");
    Publish(PublishedRequest("accepted", "OTHER", "339").Add(64056, "BRK1"));
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 1) << "another key leaves the view";
    Publish(PublishedRequest("accepted", "GONE", "339").Add(64056, "BRK1"));
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 0);
    EXPECT_EQ(console.m_strDetailKey, "GONE") << "the key on view stays for a later Update";
    EXPECT_EQ(console.GetRequestCount(), 1);

    ShowSection("General");
    host.driver.Click(console.GetDlgItem(IDC_MC_RECOVER)->m_hWnd, CPoint(3, 3));
    Settle();
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 0);
    EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(ConsoleWindowTest, TheClosingDetailReplyOpensEverySectionAndFitsTheColumns)
{
    CDozizEdizizi& console = OpenConsole();
    PublishUser("U1");
    server.SetScript(
        [](const connect::Message& request, connect::ReplyStream& replies)
        {
            // A reply of another function changes nothing on the way.
            connect::Message foreign;
            foreign.Add(32767, "om_get_auth_nothing").Add(51803, "U1");
            replies.Reply(foreign);
            replies.Close(0, "done", connect::Message{}.Add(51803, *request.Value(51803)));
        });
    // Opened without pumping: the replies wait in the queue until the test settles.
    console.OpenRequest(console.FindRequest("U1"));
    // The sections arrive collapsed, as the builders add them; the closing reply is still to come.
    ShowSection("General");
    ShowSection("Details");
    CMultiLineListCtrl& grid = console.GetDetailList();
    ASSERT_EQ(grid.GetLineCount(), 2);
    Settle();
    EXPECT_EQ(grid.GetLineCount(), 4) << "both sections opened";
    CRect client;
    grid.GetClientRect(&client);
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(grid.GetColumnWidth(column), client.Width() / 3) << column;
}

TEST_F(ConsoleWindowTest, TheGridsFollowTheConsolesSize)
{
    CDozizEdizizi& console = OpenConsole();
    console.MoveWindow(0, 0, 900, 600, TRUE);
    host.driver.Pump();
    EXPECT_EQ(RectIn(*console.GetHolderFrame(), console), HolderRectFor(console));
    EXPECT_EQ(RectIn(console, console).Width(), 900);
    // Each grid fills its pane below the pane's caption.
    for (int pane = 0; pane < 2; ++pane)
    {
        CHolderView* view = console.GetHolderFrame()->GetPaneView(pane);
        CRect inView;
        view->GetClientRect(&inView);
        inView.top += 17;
        EXPECT_EQ(RectIn(*view->GetControl(), *view), inView) << pane;
    }
}

TEST_F(ConsoleWindowTest, TheRequestListStartsWithTwoFifthsOfTheGridsAndTheCheckersSplitIsKept)
{
    OpenConsole();
    const auto splitter = [] { return &g_pDozizEdizizi->GetHolderFrame()->GetSplitter(); };
    const auto listHeight = [&]
    {
        int current = 0;
        int minimum = 0;
        splitter()->GetRowInfo(0, current, minimum);
        return current;
    };
    const auto share = [&]
    {
        CRect inside;
        splitter()->GetClientRect(&inside);
        return inside.Height() * 40 / 100;
    };
    EXPECT_GT(share(), 150);
    EXPECT_EQ(listHeight(), share());
    g_pDozizEdizizi->MoveWindow(0, 0, 900, 800, TRUE);
    host.driver.Pump();
    EXPECT_EQ(listHeight(), share()) << "the share follows the console's size";

    // The checker drags the bar 60 pixels down: his split stands whatever the size.
    const int before = listHeight();
    host.driver.Drag(splitter()->m_hWnd, CPoint(100, 1 + before + 2), CPoint(100, 1 + before + 62));
    const int dragged = listHeight();
    EXPECT_EQ(dragged, before + 60);
    g_pDozizEdizizi->MoveWindow(0, 0, 900, 700, TRUE);
    host.driver.Pump();
    EXPECT_EQ(listHeight(), dragged);

    // And it is what the next start shows.
    ExitKivoPlugin();
    OpenConsole();
    EXPECT_EQ(listHeight(), dragged);
}

TEST_F(ConsoleWindowTest, ASecondStartPlacesTheConsoleForAWideScreenAndDocksItAgain)
{
    CDozizEdizizi& console = OpenConsole();
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    EXPECT_EQ(g_pDozizEdizizi, &console);
    // Placed now; the docking layout moves the bar to its docked place on the next idle. The
    // holder frame, first moved to the bar's new rectangle, follows the bar's size change.
    EXPECT_EQ(RectIn(console, *console.GetParent()), CRect(5, 35, 1675, 395));
    EXPECT_EQ(RectIn(*console.GetHolderFrame(), console), HolderRectFor(console));
    EXPECT_EQ(console.GetRequestList().GetParent(), console.GetHolderFrame()->GetPaneView(0));
    host.driver.Pump();
    EXPECT_TRUE(console.IsDocked());
    EXPECT_TRUE(console.IsWindowVisible());
}

TEST_F(ConsoleWindowTest, ExitDeletesEveryRecordAndSection)
{
    CDozizEdizizi& console = OpenConsole();
    for (const char* key : {"K1", "K2", "K3"})
        PublishUser(key);
    ShowSection("General");
    ShowSection("Details");
    ExitKivoPlugin();
    EXPECT_EQ(g_pDozizEdizizi, nullptr);
    // The sanitizer build reports any record or section left behind.
    (void)console;
}

} // namespace
