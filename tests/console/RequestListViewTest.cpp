// The request list as the pending requests' view, at a size where its store is swept many times
// over: whatever order requests arrive and leave in, and whether the filter shows them or not,
// the list's store holds exactly the listed requests, in key order.
#include "ConsoleTestSupport.h"

#include <algorithm>
#include <random>

namespace
{

class RequestListViewTest : public ConsoleTest
{
protected:
    // The keys of the records in the list's store, oldest first.
    std::vector<std::string> StoreKeys(const CFilterListCtrl& list) const
    {
        std::vector<std::string> keys;
        const FilterRows& rows = list.Rows();
        for (std::uint32_t slot = rows.FirstSlot(); slot != FilterRows::kNone; slot = rows.NextSlot(slot))
            keys.push_back(reinterpret_cast<const sMakeCheckStruct*>(rows.At(slot).item)->m_strKey);
        return keys;
    }
    static void Deliver(const connect::Message& message)
    {
        HandlePublishMsg(connect::ReceivedMessage(message).Handle());
    }
};

TEST_F(RequestListViewTest, TheStoreHoldsTheListedRequestsInKeyOrderThroughSweeps)
{
    CDozizEdizizi& console = OpenConsole();
    CFilterListCtrl& list = console.GetRequestList();
    list.SetColumnFilter(2, "5");
    list.ApplyFilter();

    std::mt19937 random(5);
    std::vector<int> numbers(1200);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = 200000 + static_cast<int>(i);
    // Mostly in order, as the server publishes; every fifth one late, as a recovery sends it.
    std::vector<int> arrivals;
    std::vector<int> late;
    for (int number : numbers)
        (random() % 5 ? arrivals : late).push_back(number);
    std::shuffle(late.begin(), late.end(), random);
    arrivals.insert(arrivals.end(), late.begin(), late.end());

    std::vector<std::string> listed;
    auto check = [&](const char* when)
    {
        std::vector<std::string> expected = listed;
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(StoreKeys(list), expected) << when;
        const auto shown = std::count_if(expected.begin(), expected.end(),
                                         [&](const std::string& key) { return list.MatchFilter(key, "5"); });
        ASSERT_EQ(list.GetItemCount(), shown) << when;
        ASSERT_EQ(console.GetRequestCount(), static_cast<int>(expected.size())) << when;
    };
    for (std::size_t i = 0; i < arrivals.size(); ++i)
    {
        listed.push_back(std::to_string(arrivals[i]));
        Deliver(PublishedRequest("auth pending", listed.back(), "360"));
        if (i % 100 == 99)
        {
            ASSERT_NO_FATAL_FAILURE(check("arriving"));
        }
    }
    ASSERT_NO_FATAL_FAILURE(check("all arrived"));

    // Decided at random, shown or hidden, with a few late ones and refreshes between them.
    std::shuffle(listed.begin(), listed.end(), random);
    for (int round = 0; round < 1000; ++round)
    {
        Deliver(PublishedRequest(round % 2 ? "accepted" : "rejected", listed.back(), "360"));
        listed.pop_back();
        if (round % 50 == 0)
        {
            // The newest leaves first: the store's last slot is then a removed record's.
            const auto newest = std::max_element(listed.begin(), listed.end());
            Deliver(PublishedRequest("accepted", *newest, "360"));
            listed.erase(newest);
            listed.push_back(std::to_string(100000 + round));
            Deliver(PublishedRequest("auth pending", listed.back(), "360"));
            Deliver(PublishedRequest("auth pending", listed.front(), "360", "MAKER2"));
        }
        if (round % 100 == 99)
        {
            ASSERT_NO_FATAL_FAILURE(check("leaving"));
        }
    }
    for (const std::string& key : std::vector<std::string>(listed))
        Deliver(PublishedRequest("accepted", key, "360"));
    listed.clear();
    ASSERT_NO_FATAL_FAILURE(check("all decided"));
}

} // namespace
