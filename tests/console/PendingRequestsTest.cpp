// The pending requests on their own, without a window: a view that records what it is told and
// keeps its rows as a list of records in store order, handing out handles of its own.
#include "dozizedizizi/PendingRequests.h"
#include "connect/Message.h"
#include "connect/ReceivedMessage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace
{

class RecordingView : public CPendingRequestsView
{
public:
    struct Row
    {
        sMakeCheckStruct* request = nullptr;
        std::uint32_t handle = 0;
    };

    int RowCount() const override { return static_cast<int>(rows.size()); }
    const sMakeCheckStruct* RequestAt(int index) const override
    {
        return rows.at(static_cast<std::size_t>(index)).request;
    }
    int IndexOfRow(std::uint32_t row, const sMakeCheckStruct& request) const override
    {
        for (std::size_t i = 0; i < rows.size(); ++i)
        {
            if (rows[i].handle == row)
                return rows[i].request == &request ? static_cast<int>(i) : -1;
        }
        return -1;
    }

    std::uint32_t RowInserted(int index, sMakeCheckStruct& request) override
    {
        calls.push_back("insert " + std::to_string(index) + " " + request.m_strKey);
        if (!shows)
            return kNoRow;
        rows.insert(rows.begin() + index, Row{&request, nextHandle});
        return nextHandle++;
    }
    void RowChanged(int index) override { calls.push_back("change " + std::to_string(index)); }
    void RowRemoved(int index) override
    {
        // The record is still there to read while its row goes.
        calls.push_back("remove " + std::to_string(index) + " " +
                        rows.at(static_cast<std::size_t>(index)).request->m_strKey);
        rows.erase(rows.begin() + index);
    }
    void AllRemoved() override
    {
        calls.push_back("clear");
        rows.clear();
    }

    // Every row gets a new handle, as a list that compacts its store renumbers its slots.
    void Renumber()
    {
        for (Row& row : rows)
        {
            row.handle = nextHandle++;
            CPendingRequests::RowMoved(*row.request, row.handle);
        }
    }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const Row& row : rows)
            keys.push_back(row.request->m_strKey);
        return keys;
    }
    std::vector<std::string> TakeCalls() { return std::exchange(calls, {}); }

    std::vector<Row> rows; // store order: the oldest first
    std::vector<std::string> calls;
    std::uint32_t nextHandle = 100;
    bool shows = true;
};

std::set<int> g_roles;
int HeldRoles(int role)
{
    return g_roles.count(role) ? 1 : 0;
}

connect::Message Published(const std::string& status, const std::string& key, const std::string& type = "339",
                           const std::string& maker = "MAKER1")
{
    connect::Message message;
    message.Add(54211, status).Add(51803, key).Add(63713, type).Add(54247, maker);
    return message;
}

class PendingRequestsTest : public ::testing::Test
{
protected:
    PendingRequestsTest()
    {
        g_roles = {60302, 60303, 60304};
        requests.SetView(&view);
    }

    sPublishedOutcome Apply(const connect::Message& message)
    {
        return requests.Apply(connect::ReceivedMessage(message).Handle(), &HeldRoles, "CHECKER");
    }
    sPublishedOutcome Pending(const std::string& key, const std::string& type = "339")
    {
        return Apply(Published("auth pending", key, type).Add(31003, "D-" + key));
    }

    RecordingView view;
    CPendingRequests requests;
};

TEST_F(PendingRequestsTest, RequestsTakeTheirRowsByKeyNumberWhateverOrderTheyArriveIn)
{
    // In order, late, with zeros in front, a key that is no number, and one after it.
    for (const char* key : {"100105", "100103", "100107", "0100104", "100101", "ABC", "100102"})
        EXPECT_EQ(Pending(key).effect, PublishedEffect::Listed) << key;
    EXPECT_EQ(
        view.TakeCalls(),
        (std::vector<std::string>{"insert 0 100105", "insert 0 100103", "insert 2 100107", "insert 1 0100104",
                                  "insert 0 100101", "insert 5 ABC", "insert 6 100102"}))
        << "a key that is no number goes last, and one that comes after it is not placed past it";
    EXPECT_EQ(view.Keys(),
              (std::vector<std::string>{"100101", "100103", "0100104", "100105", "100107", "ABC", "100102"}));
    EXPECT_EQ(requests.Count(), 7);
    for (const RecordingView::Row& row : view.rows)
        EXPECT_EQ(requests.Find(row.request->m_strKey), row.request);
}

TEST_F(PendingRequestsTest, ARequestPublishedAgainIsTheSameRecordRefreshedInItsRow)
{
    Pending("100101");
    Apply(Published("auth pending", "100102", "360").Add(64056, "BRK1").Add(64053, "BR1"));
    const sMakeCheckStruct* limits = requests.Find("100102");
    ASSERT_NE(limits, nullptr);
    EXPECT_EQ(limits->m_strEntity, "Broker - BRK1");
    view.TakeCalls();

    // Without the broker the owner is the branch; the branch the message lacks stays as it was.
    const sPublishedOutcome outcome =
        Apply(Published("auth pending", "100102", "360", "MAKER2").Add(64053, "BR2"));
    EXPECT_EQ(outcome.effect, PublishedEffect::Refreshed);
    EXPECT_EQ(outcome.key, "100102");
    EXPECT_EQ(requests.Find("100102"), limits);
    EXPECT_EQ(limits->m_strEntity, "Branch - BR2");
    EXPECT_EQ(limits->m_strMaker, "MAKER2");
    EXPECT_EQ(limits->m_strBroker, "BRK1");
    EXPECT_EQ(view.TakeCalls(), (std::vector<std::string>{"change 1"}));
    EXPECT_EQ(requests.Count(), 2) << "a key is listed once";
    EXPECT_EQ(view.RowCount(), 2);

    // The same number written another way is another key: listed beside it.
    Pending("0100102");
    EXPECT_EQ(view.Keys(), (std::vector<std::string>{"100101", "100102", "0100102"}));
}

TEST_F(PendingRequestsTest, DecidedRequestsLeaveTheirRowsAndUnknownOnesAreStillReported)
{
    for (const char* key : {"1", "2", "3", "4"})
        Pending(key);
    view.TakeCalls();
    EXPECT_EQ(Apply(Published("accepted", "2")).effect, PublishedEffect::Decided);
    EXPECT_EQ(Apply(Published("rejected", "4")).effect, PublishedEffect::Decided);
    EXPECT_EQ(Apply(Published("accepted", "1")).effect, PublishedEffect::Decided);
    const sPublishedOutcome unknown = Apply(Published("rejected", "9"));
    EXPECT_EQ(unknown.effect, PublishedEffect::Decided) << "the console clears a view of it all the same";
    EXPECT_EQ(unknown.key, "9");
    EXPECT_EQ(view.TakeCalls(), (std::vector<std::string>{"remove 1 2", "remove 2 4", "remove 0 1"}));
    EXPECT_EQ(view.Keys(), (std::vector<std::string>{"3"}));
    EXPECT_EQ(requests.Count(), 1);
    EXPECT_EQ(requests.Find("2"), nullptr);

    // Another status, or a message without status or key, changes nothing.
    EXPECT_EQ(Apply(Published("withdrawn", "3")).effect, PublishedEffect::None);
    connect::Message noKey;
    noKey.Add(54211, "accepted");
    EXPECT_EQ(Apply(noKey).effect, PublishedEffect::None);
    connect::Message noStatus;
    noStatus.Add(51803, "3").Add(63713, "339");
    EXPECT_EQ(Apply(noStatus).effect, PublishedEffect::None);
    EXPECT_TRUE(view.TakeCalls().empty());
    EXPECT_EQ(requests.Count(), 1);
}

// The view's handles are the model's only way to its rows: once renumbered, the rows are found
// by the new ones; a row the view lost is not removed again, and the request goes all the same.
TEST_F(PendingRequestsTest, RowsAreFoundByTheHandlesTheViewGaveLast)
{
    for (const char* key : {"10", "20", "30", "40"})
        Pending(key);
    view.Renumber();
    view.TakeCalls();
    Apply(Published("accepted", "30"));
    Pending("25");
    Pending("40");
    EXPECT_EQ(view.TakeCalls(), (std::vector<std::string>{"remove 2 30", "insert 2 25", "change 3"}));

    view.rows.erase(view.rows.begin()); // "10", behind the model's back
    Pending("10");
    Apply(Published("accepted", "10"));
    EXPECT_EQ(view.TakeCalls(), (std::vector<std::string>{"change -1"}));
    EXPECT_EQ(requests.Find("10"), nullptr);
    EXPECT_EQ(view.Keys(), (std::vector<std::string>{"20", "25", "40"}));
}

TEST_F(PendingRequestsTest, ClearEmptiesTheViewOnceAndRecoveryListsEachRequestAgain)
{
    for (const char* key : {"7", "8", "9"})
        Pending(key);
    view.TakeCalls();
    requests.Clear();
    EXPECT_EQ(view.TakeCalls(), (std::vector<std::string>{"clear"}));
    EXPECT_EQ(requests.Count(), 0);
    EXPECT_EQ(requests.Find("8"), nullptr);

    // Recovery sends the oldest first, while newer ones arrive live in between.
    for (const char* key : {"9", "5", "6", "7", "8", "9"})
        Pending(key);
    EXPECT_EQ(view.Keys(), (std::vector<std::string>{"5", "6", "7", "8", "9"}));
    EXPECT_EQ(requests.Count(), 5);
    EXPECT_EQ(view.TakeCalls().back(), "change 4") << "the second 9 refreshes the first";
}

TEST_F(PendingRequestsTest, RolesAndTheCheckersOwnRequestsDecideWhatIsListed)
{
    g_roles = {60303};
    EXPECT_EQ(Pending("1", "339").effect, PublishedEffect::Listed);
    EXPECT_EQ(Pending("2", "353").effect, PublishedEffect::None) << "clients need 60304";
    EXPECT_EQ(Pending("3", "999").effect, PublishedEffect::Listed) << "an unknown type needs no role";
    EXPECT_EQ(Apply(Published("auth pending", "4", "339", "CHECKER")).effect, PublishedEffect::None);
    EXPECT_EQ(view.Keys(), (std::vector<std::string>{"1", "3"}));
    view.TakeCalls();

    // A listed request that now needs a role he lacks leaves.
    const sPublishedOutcome unlisted = Pending("1", "360");
    EXPECT_EQ(unlisted.effect, PublishedEffect::Unlisted);
    EXPECT_EQ(unlisted.key, "1");
    EXPECT_EQ(requests.Find("1"), nullptr);
    EXPECT_EQ(view.TakeCalls(), (std::vector<std::string>{"remove 0 1"}));

    // One published again as his own stays, with the message's fields, and nobody is told.
    const sMakeCheckStruct* listed = requests.Find("3");
    EXPECT_EQ(Apply(Published("auth pending", "3", "999", "CHECKER")).effect, PublishedEffect::None);
    EXPECT_EQ(requests.Find("3"), listed);
    EXPECT_EQ(listed->m_strMaker, "CHECKER");
    EXPECT_TRUE(view.TakeCalls().empty());

    // Without the host's role check only what needs no role is listed.
    EXPECT_EQ(requests
                  .Apply(connect::ReceivedMessage(Published("auth pending", "5", "339")).Handle(), nullptr,
                         "CHECKER")
                  .effect,
              PublishedEffect::None);
    EXPECT_EQ(requests
                  .Apply(connect::ReceivedMessage(Published("auth pending", "6", "999")).Handle(), nullptr,
                         "CHECKER")
                  .effect,
              PublishedEffect::Listed);
}

TEST_F(PendingRequestsTest, ClientRequestsNameTheAccountAndAnInvestorsUser)
{
    Apply(Published("auth pending", "1", "353")
              .Add(54001, "ACC1")
              .Add(31003, "U1")
              .Add(54036, "INVESTOR_CLIENT"));
    ASSERT_NE(requests.Find("1"), nullptr);
    EXPECT_EQ(requests.Find("1")->m_strEntity, "ACC1");
    EXPECT_EQ(requests.Find("1")->m_strLinkedUser, "U1");
    Apply(Published("auth pending", "1", "354").Add(54001, "ACC1").Add(31003, "U1").Add(54036, "RETAIL"));
    EXPECT_EQ(requests.Find("1")->m_strLinkedUser, "") << "an ordinary client has no linked user";
}

// A view that shows nothing (a console without its window) hands out no rows: the requests are
// kept by key and leave without a row to remove.
TEST(PendingRequestsWithoutRows, RequestsAreKeptByKeyAlone)
{
    RecordingView view;
    view.shows = false;
    CPendingRequests requests;
    requests.SetView(&view);
    for (const char* key : {"2", "1"})
        requests.Apply(connect::ReceivedMessage(Published("auth pending", key)).Handle(), nullptr, "C");
    requests.Apply(connect::ReceivedMessage(Published("auth pending", "3", "999")).Handle(), nullptr, "C");
    EXPECT_EQ(requests.Count(), 1);
    EXPECT_NE(requests.Find("3"), nullptr);
    requests.Remove("3");
    EXPECT_EQ(requests.Count(), 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"insert 0 3"}));

    CPendingRequests alone;
    alone.Apply(connect::ReceivedMessage(Published("auth pending", "4", "999")).Handle(), nullptr, "C");
    EXPECT_NE(alone.Find("4"), nullptr) << "no view at all";
    EXPECT_TRUE(alone.Remove("4"));
    EXPECT_FALSE(alone.Remove("4"));
}

} // namespace
