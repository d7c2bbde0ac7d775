// What a checker sees when a request opens: the maker's request is published, the checker
// double-clicks its row, and the server answers the console's query with a reply built field by
// field and then its closing reply, through the in-process transport. The detail grid's sections
// are read back as the console shows them.
#include "ConsoleTestSupport.h"

#include "support/DetailSections.h"

namespace
{
using Sections = std::vector<ShownSection>;

enum class Kind
{
    User,
    Account,
    Limit
};

class DetailViewTest : public ConsoleTest
{
protected:
    void SetUp() override { m_console = &OpenConsole(); }

    Sections Show(Kind kind, const ReplyFields& fields) { return ShowReplies(kind, {fields}); }

    // Every reply in turn, then the closing one.
    Sections ShowReplies(Kind kind, const std::vector<ReplyFields>& replies)
    {
        static constexpr const char* kTypes[] = {"340", "354", "360"};
        std::vector<connect::Message> messages;
        for (const ReplyFields& fields : replies)
            messages.push_back(MakeReply(fields));
        server.SetScript(
            [messages](const connect::Message&, connect::ReplyStream& stream)
            {
                for (const connect::Message& message : messages)
                    stream.Reply(message);
                stream.Close(0, "OK");
            });
        const std::string key = "K" + std::to_string(++m_requests);
        Publish(PublishedRequest("auth pending", key, kTypes[static_cast<int>(kind)]).Add(64056, "BRK1"));
        // New requests come on top of the list; while the checker works in it (he opened the
        // last one) they wait there until he goes to the top.
        CFilterListCtrl& list = m_console->GetRequestList();
        list.ShowNewRows();
        CRect row;
        list.GetItemRect(0, &row, LVIR_LABEL);
        host.driver.DoubleClick(list.m_hWnd, row.CenterPoint());
        Settle();
        EXPECT_EQ(m_console->m_strDetailKey, key);
        std::vector<std::string> faults;
        Sections shown = ReadSections(m_console->GetDetailList(), &faults);
        for (const std::string& fault : faults)
            ADD_FAILURE() << fault;
        return shown;
    }

    // The rows of the one section with this title; a failure when there is not exactly one.
    static std::vector<ShownRow> RowsOf(const Sections& sections, const std::string& title)
    {
        const ShownSection* found = nullptr;
        for (const ShownSection& section : sections)
        {
            if (section.title != title)
                continue;
            if (found)
                ADD_FAILURE() << "two sections \"" << title << "\"";
            found = &section;
        }
        if (!found)
        {
            ADD_FAILURE() << "no section \"" << title << "\" in" << ::testing::PrintToString(sections);
            return {};
        }
        return found->rows;
    }

    CDozizEdizizi* m_console = nullptr;
    int m_requests = 0;
};

TEST_F(DetailViewTest, EveryReplyAddsItsSectionsAndTheNextRequestStartsAfresh)
{
    const Sections first =
        ShowReplies(Kind::User, {{{31003, {"DLR1"}}, {64017, {"T1"}}}, {{31003, {"DLR1"}}, {44201, {"A"}}}});
    EXPECT_EQ(first, (Sections{{"General", "", "", {{"Dealer ID", "DLR1", ""}, {"Target UserID", "T1", ""}}},
                               {"General", "", "", {{"Dealer ID", "DLR1", ""}}},
                               {"Attributes", "", "", {{"", "A", ""}}}}));
    // The closing reply opened every section: all their lines are on show.
    EXPECT_EQ(m_console->GetDetailList().GetExtraLineCount(), 4);
    EXPECT_EQ(Show(Kind::Limit, {{64056, {"BRK"}}}), (Sections{{"No Parameters are Modified", "", "", {}}}));
}

// The checker opens one request and, before its details come, the next: the first one's replies
// arrive after the view was cleared for the second, and must not show under it.
TEST_F(DetailViewTest, RepliesToARequestLeftBeforeTheyCameAreNotShown)
{
    server.SetScript(
        [](const connect::Message& query, connect::ReplyStream& stream)
        {
            const std::string* key = query.Value(51803);
            stream.Reply(MakeReply({{31003, {key ? *key : ""}}, {64017, {"OF " + (key ? *key : "")}}}));
            stream.Close(0, "OK");
        });
    Publish(PublishedRequest("auth pending", "K1", "340").Add(31003, "FIRST").Add(64056, "BRK1"));
    Publish(PublishedRequest("auth pending", "K2", "340").Add(31003, "SECOND").Add(64056, "BRK1"));
    Settle();
    // Both opened before the user-interface thread takes any reply (the server has answered the
    // first by the time the second opens).
    m_console->OpenRequest(m_console->FindRequest("K1"));
    host.transport.WaitIdle();
    m_console->OpenRequest(m_console->FindRequest("K2"));
    Settle();
    ASSERT_EQ(m_console->m_strDetailKey, "K2");
    std::vector<std::string> faults;
    const Sections shown = ReadSections(m_console->GetDetailList(), &faults);
    EXPECT_EQ(shown,
              (Sections{{"General", "", "", {{"Dealer ID", "K2", ""}, {"Target UserID", "OF K2", ""}}}}));
    EXPECT_EQ(m_console->GetDetailList().GetExtraLineCount(), 2) << "the second request's view was completed";
}

// ---- Users ----

TEST_F(DetailViewTest, OneModifiedExchangeShowsItsStatusOnTwoRows)
{
    EXPECT_EQ(
        Show(Kind::User, {{31003, {"DLR7", "DLR6"}}, {63001, {"nse_fo", "bse_cm"}}, {63076, {"Y", "N"}}}),
        (Sections{{"Exchange:NFO", "", "", {{"Status", "Enabled", ""}, {"Status", "", "Disabled"}}}}));
}

TEST_F(DetailViewTest, NewUserExchangesMapDatesMarkersAndRoutes)
{
    const Sections shown = Show(Kind::User, {{31003, {"DLR7"}},
                                             {63001, {"nse_cm", "xyz_fo", "mcx_sx"}},
                                             {64018, {"0", "20261231", "0"}},
                                             {63076, {"N"}},
                                             {64013, {"-1", "E2", "-1"}},
                                             {64027, {"I1", "-1", "I3"}},
                                             {64025, {"OK", "NOT", "ok"}}});
    EXPECT_EQ(shown, (Sections{{"Exchange:NSE",
                                "",
                                "",
                                {{"Expiry Date", "NA", ""},
                                 {"Status", "Disabled", ""},
                                 {"Exch User ID", "Default", ""},
                                 {"Exch User Info", "I1", ""},
                                 {"Route to RMS", "Yes", ""}}},
                               {"Exchange:",
                                "",
                                "",
                                {{"Expiry Date", "20261231", ""},
                                 {"Status", "Disabled", ""},
                                 {"Exch User ID", "E2", ""},
                                 {"Exch User Info", "Default", ""},
                                 {"Route to RMS", "NO", ""}}},
                               {"Exchange:MCXSX",
                                "",
                                "",
                                {{"Expiry Date", "NA", ""},
                                 {"Status", "Disabled", ""},
                                 {"Exch User ID", "Default", ""},
                                 {"Exch User Info", "I3", ""},
                                 {"Route to RMS", "NO", ""}}}}));
}

TEST_F(DetailViewTest, AccessTypeComesFromEitherFieldAndShowsOnce)
{
    EXPECT_EQ(RowsOf(Show(Kind::User, {{31003, {"D"}}, {63220, {"TRADER", "VIEWER"}}}), "Access Type"),
              (std::vector<ShownRow>{{"", "TRADER", "VIEWER"}}));
    EXPECT_EQ(
        RowsOf(Show(Kind::User, {{31003, {"D"}}, {63212, {"ADMIN"}}, {63220, {"TRADER"}}}), "Access Type"),
        (std::vector<ShownRow>{{"", "ADMIN", ""}}));
}

// ---- Accounts ----

// Values the mappings do not know show as empty texts.
TEST_F(DetailViewTest, UnknownSquareOffAndSorValuesShowEmpty)
{
    EXPECT_EQ(RowsOf(Show(Kind::Account, {{54001, {"C1"}}, {12014, {"online-sqroff"}}, {64807, {"X", "Y"}}}),
                     "General"),
              (std::vector<ShownRow>{{"Client Id", "C1", ""},
                                     {"Client Context", "", ""},
                                     {"Square Off", "", ""},
                                     {"SOR Enabled", "", "YES"}}));
}

TEST_F(DetailViewTest, PaymentModeChoosesThePaymentCodeField)
{
    const ReplyFields codes = {
        {54001, {"C1"}}, {64955, {"ECS-1"}}, {64839, {"IFSC-NEW", "IFSC-OLD"}}, {64832, {"NEFT-1"}}};
    const auto bankRows = [&](const std::string& mode)
    {
        ReplyFields fields = codes;
        fields.push_back({64836, {mode}});
        return RowsOf(Show(Kind::Account, fields), "Bank Details");
    };
    EXPECT_EQ(bankRows("RTGS"), (std::vector<ShownRow>{{"Payment Mode", "RTGS", ""},
                                                       {"Payment Code", "IFSC-NEW", "IFSC-OLD"}}));
    EXPECT_EQ(bankRows("ECS"),
              (std::vector<ShownRow>{{"Payment Mode", "ECS", ""}, {"Payment Code", "ECS-1", ""}}));
    EXPECT_EQ(bankRows("NEFT"),
              (std::vector<ShownRow>{{"Payment Mode", "NEFT", ""}, {"Payment Code", "NEFT-1", ""}}));
    EXPECT_EQ(bankRows("rtgs"), (std::vector<ShownRow>{{"Payment Mode", "rtgs", ""}}));
    // The payment code follows the first account's fields and comes before the second account's.
    EXPECT_EQ(RowsOf(Show(Kind::Account, {{54001, {"C1"}},
                                          {64836, {"RTGS"}},
                                          {64839, {"IFSC"}},
                                          {64916, {"PAN"}},
                                          {64956, {"BANK2"}}}),
                     "Bank Details"),
              (std::vector<ShownRow>{{"Payment Mode", "RTGS", ""},
                                     {"Pan No", "PAN", ""},
                                     {"Payment Code", "IFSC", ""},
                                     {"Bank Name 2", "BANK2", ""}}));
}

TEST_F(DetailViewTest, SegmentsGiveOneExchangeSectionEachWithItsPCode)
{
    const Sections shown = Show(Kind::Account, {{54001, {"C1"}},
                                                {64021, {"nse_cm|nse_fo||abc_xx"}},
                                                {64700, {"PC-NSE", "PC-NSE-OLD"}},
                                                {64701, {"PC-NFO"}}});
    EXPECT_EQ(Sections(shown.begin() + 1, shown.end()),
              (Sections{{"Exchange:", "NSE", "", {{"PCode", "PC-NSE", ""}}},
                        {"Exchange:", "NFO", "", {{"PCode", "PC-NFO", ""}}},
                        {"Exchange:", "", "", {}}}));
    // An empty new list names no segment, and the exchanges' codes are not listed instead.
    EXPECT_EQ(
        Show(Kind::Account, {{54001, {"C1"}}, {64021, {"", "bse_cm"}}, {64703, {"PC-BSE"}}}).back().title,
        "General");
}

TEST_F(DetailViewTest, WithoutSegmentsEveryExchangeCodeIsListedInOneSection)
{
    const Sections shown = Show(Kind::Account, {{54001, {"C1"}},
                                                {54002, {"Client One"}},
                                                {64704, {"M1", "M0"}},
                                                {64700, {"N1"}},
                                                {64731, {"S1"}},
                                                {61626, {"C1"}}});
    EXPECT_EQ(shown.back(), (ShownSection{"",
                                          "",
                                          "",
                                          {{"NSE PCode", "N1", ""},
                                           {"MCX PCode", "M1", "M0"},
                                           {"MCX PCode", "M1", "M0"},
                                           {"nse_slb PCode", "S1", ""},
                                           {"NCO PCode", "C1", ""}}}));
}

// ---- Limits ----

TEST_F(DetailViewTest, BrokerLimitsShowOnlyWithABrokerLevelField)
{
    const ReplyFields numbers = {{64056, {"BRK1"}}, {64031, {"2500"}}, {64033, {"10"}}};
    EXPECT_EQ(Show(Kind::Limit, numbers), (Sections{{"No Parameters are Modified", "", "", {}}}));
    ReplyFields withDane = numbers;
    withDane.push_back({41282, {"D-LIMIT"}});
    withDane.push_back({54001, {"C9"}}); // the broker still names the owner
    EXPECT_EQ(Show(Kind::Limit, withDane), (Sections{{"RMS Limits",
                                                      "",
                                                      "",
                                                      {{"RMS Limit For", "Broker - BRK1", ""},
                                                       {"Cash Margin", "2500.00", "", MC_EDIT_PRICE},
                                                       {"Exposure Limit", "10.00", "", MC_EDIT_PRICE},
                                                       {"Dane Limit", "D-LIMIT", "", MC_EDIT_PRICE}}}}));
    for (int field : {64420, 64421, 41336})
    {
        ReplyFields fields = numbers;
        fields.push_back({field, {"X"}});
        EXPECT_EQ(Show(Kind::Limit, fields).front().rows.size(), 4u) << field;
    }
}

TEST_F(DetailViewTest, LimitOwnersInOrder)
{
    const auto owner = [&](const ReplyFields& owners)
    {
        ReplyFields fields = owners;
        fields.push_back({41336, {"1"}});
        return Show(Kind::Limit, fields).front().rows.front();
    };
    EXPECT_EQ(owner({{64053, {"BR"}}, {64052, {"AG"}}}), (ShownRow{"RMS Limit For", "Branch - BR", ""}));
    EXPECT_EQ(owner({{64052, {"AG"}}, {31003, {"D"}}}),
              (ShownRow{"RMS Limit For", "Account Group - AG", ""}));
    EXPECT_EQ(owner({{31003, {"D"}}, {54001, {"C"}}}), (ShownRow{"RMS Limit For", "Dealer - D", ""}));
    EXPECT_EQ(owner({{54001, {"C"}}}), (ShownRow{"RMS Limit For", "Client - C", ""}));
    EXPECT_EQ(owner({}), (ShownRow{"Premium Net Limit", "1", "", MC_EDIT_PRICE}));
}

TEST_F(DetailViewTest, LimitNumbersAndWholeNumbers)
{
    const Sections shown = Show(Kind::Limit, {{54001, {"C1"}},
                                              {64031, {"2500", "2000"}},
                                              {64302, {"123456789.125"}},
                                              {64164, {"not a number", "5"}},
                                              {64211, {"12", "10"}},
                                              {64210, {"12.5"}},
                                              {41236, {"1500", "1200"}},
                                              {41235, {"-0.004"}}});
    EXPECT_EQ(shown.front().rows,
              (std::vector<ShownRow>{{"RMS Limit For", "Client - C1", ""},
                                     {"Cash Margin", "2500.00", "2000", MC_EDIT_PRICE},
                                     {"Notional cash", "123456792.00", "", MC_EDIT_PRICE},
                                     {"Buy Sec Limit", "12", "10", MC_EDIT_PRICE},
                                     {"Order Value Limit", "-0.00", "", MC_EDIT_PRICE},
                                     {"Order quantity limit", "1500", "1200", MC_EDIT_PRICE}}));
}

TEST_F(DetailViewTest, GroupWiseValidationAndAdhocMargin)
{
    const auto rows = [&](const ReplyFields& limits)
    {
        ReplyFields fields = {{31003, {"D1"}}};
        fields.insert(fields.end(), limits.begin(), limits.end());
        std::vector<ShownRow> shown = Show(Kind::Limit, fields).front().rows;
        shown.erase(shown.begin());
        return shown;
    };
    EXPECT_EQ(rows({{64037, {"yes", "no"}}}),
              (std::vector<ShownRow>{{"GroupWise Validation", "E", "D", MC_EDIT_TEXT}}));
    EXPECT_EQ(rows({{64037, {"Yes", "off"}}}),
              (std::vector<ShownRow>{{"GroupWise Validation", "Yes", "off", MC_EDIT_TEXT}}));
    EXPECT_EQ(rows({{64158, {"50"}}, {64031, {"1"}}}),
              (std::vector<ShownRow>{{"Cash Margin", "1.00", "", MC_EDIT_PRICE}}));
    EXPECT_EQ(rows({{64158, {"50"}}, {64174, {"ok"}}}), (std::vector<ShownRow>{}));
    EXPECT_EQ(rows({{64158, {"50", "40"}}, {64174, {"OK"}}}),
              (std::vector<ShownRow>{{"Adhoc Margin", "50.00", "40", MC_EDIT_PRICE}}));
}

TEST_F(DetailViewTest, WithoutTheModifyRightNoLimitIsEditable)
{
    TestHost().modifyRight = 0;
    const Sections shown = Show(Kind::Limit, {{54001, {"C1"}},
                                              {13034, {"CAT"}},
                                              {64031, {"1"}},
                                              {64312, {"note"}},
                                              {64037, {"no"}},
                                              {41282, {"x"}}});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front().rows.size(), 6u);
    for (const ShownRow& row : shown.front().rows)
        EXPECT_EQ(row.editType, MC_EDIT_NONE) << row.field;
    // Asked again for the next reply.
    TestHost().modifyRight = 1;
    EXPECT_EQ(Show(Kind::Limit, {{54001, {"C1"}}, {64031, {"1"}}}).front().rows.back().editType,
              MC_EDIT_PRICE);
}
} // namespace
