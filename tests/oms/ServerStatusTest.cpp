// What the server says of itself: its status to operators and monitors, and its log for a
// collector, one JSON object a line.
#include "OmsTestSupport.h"

#include "oms/ServerLog.h"
#include "oms/ServerStatus.h"

#include <gmock/gmock.h>

using namespace oms_test;
using testing::HasSubstr;

namespace
{

const connect::Message kStatusRequest = connect::Message().Add(0, "om_get_server_status");

TEST(ServerLogTest, EachEventIsOneLineOfJsonWhateverItsTexts)
{
    const std::string line = oms::ServerLog::Line("2026-01-01T00:00:00Z", "refused",
                                                  {{"sender", std::string("a\"b\\c\nd\x01")}, {"status", std::int64_t{10}}});
    EXPECT_EQ(line, "{\"time\":\"2026-01-01T00:00:00Z\",\"event\":\"refused\",\"sender\":\"a\\\"b\\\\c\\u000ad\\u0001\","
                    "\"status\":10}");
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST_F(ServerTest, AnOperatorAsksForTheStatusAndADealerMayNot)
{
    const oms::RequestRecord r = Pending(oms::kModifyUser);
    ASSERT_EQ(Ask(Reject(r, "CHECKER2", "No"), "s-1", {"CHECKER2", "KIVO", 0}).Code(), oms::kStatusOk);
    const std::int64_t pending = Read<std::int64_t>([](oms::Store& s) { return s.CountRequests(oms::kPending); });

    Answer status = AskAs(kStatusRequest, "CHECKER1", {"CHECKER1", "KIVO", 0});
    ASSERT_EQ(status.Code(), oms::kStatusOk) << status.Text();
    ASSERT_EQ(status.Data().size(), 1u);
    const std::string json = *status.Data()[0].Value(1);
    EXPECT_THAT(json, HasSubstr("\"pending\":" + std::to_string(pending) + ","));
    EXPECT_THAT(json, HasSubstr("\"outbox\":0,"));
    EXPECT_THAT(json, HasSubstr("\"decisions_applied\":1,"));
    EXPECT_THAT(json, HasSubstr("\"last_commit\":\"20"));
    EXPECT_THAT(json, HasSubstr("\"version\":\""));

    EXPECT_EQ(AskAs(kStatusRequest, "KV1001", {"KV1001", "KIVO", 4}).Code(), oms::kStatusNotAuthorised);
    EXPECT_EQ(AskAs(kStatusRequest, "NOBODY").Code(), oms::kStatusUnknownUser);
}

TEST_F(ServerTest, TheLogTellsOfDecisionsPublicationsAndRefusals)
{
    std::vector<std::string> lines;
    server->Log().SetSink([&lines](const std::string& line) { lines.push_back(line); });
    const oms::RequestRecord r = Pending(oms::kModifyUser);
    ASSERT_EQ(Ask(Reject(r, "CHECKER2", "No"), "l-1", {"CHECKER2", "KIVO", 0}).Code(), oms::kStatusOk);
    AskAs(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "KV1001"), "KV1001",
          {"KV1001", "KIVO", 0});
    ASSERT_EQ(lines.size(), 3u) << testing::PrintToString(lines);
    EXPECT_THAT(lines[0], HasSubstr("\"event\":\"decisions\",\"messages\":1,\"applied\":1,\"repeated\":0,\"refused\":0"));
    EXPECT_THAT(lines[1], HasSubstr("\"event\":\"published\",\"messages\":1,"));
    EXPECT_THAT(lines[2], HasSubstr("\"event\":\"refused\",\"sender\":\"KV1001\",\"function\":\"om_get_functionality_details\""));
}

} // namespace
