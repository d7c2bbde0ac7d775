// Random messages to the order server, and random makers' requests: every message is answered
// with exactly one closing reply, last, whose status says whether it was done; refused decisions
// change no request; and the database keeps its integrity and the server's own rules however the
// messages come (checked every few hundred inputs and once more at the end).
#include "connect/Message.h"
#include "connect/Publisher.h"
#include "connect/ReplyStream.h"
#include "oms/FieldCatalogue.h"
#include "oms/MakerError.h"
#include "oms/OmsServer.h"
#include "oms/RequestRecord.h"
#include "oms/Store.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

class Discard : public connect::Publisher
{
public:
    bool Publish(const connect::Message&) override { return true; }
};

const char* const kFunctions[] = {"om_authenticate_functionality",
                                  "om_get_auth_user_details",
                                  "om_get_auth_account_details",
                                  "om_get_auth_limits_details",
                                  "om_get_functionality_details",
                                  "om_something_else",
                                  ""};
const char* const kUsers[] = {"CHECKER1", "CHECKER2", "MAKER1", "MAKER2", "ASMAKER1",
                              "KIVO",     "KIVO-MUM", "NOBODY", ""};
const int kFields[] = {0,     31003, 54001, 54294, 51803, 63713, 10303, 32766, 54247, 64031,
                       64037, 41236, 64211, 13034, 64312, 30001, 64056, 64053, 99999, -1};
const char* const kTexts[] = {"accepted", "rejected", "yes", "no",  "E",   "2500.00", "12",
                              "-5",       "1e9",      "340", "360", "353", "",        "KV1001"};

void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz_server: %s\n", why);
    std::abort();
}

struct World
{
    std::filesystem::path folder;
    Discard publisher;
    std::unique_ptr<oms::OmsServer> server;
    std::vector<std::string> keys;
    std::vector<std::string> makers; // of each key
    long inputs = 0;

    World()
    {
        char pattern[] = "/tmp/kivo-fuzz-server-XXXXXX";
        if (!mkdtemp(pattern))
            Fail("no temporary folder");
        folder = pattern;
        oms::OmsServer::Options options;
        options.databasePath = (folder / "kivo-oms.db").string();
        options.watchIntervalMs = 0;
        options.seedSize.dealersPerBroker = 6;
        options.seedSize.accountsPerBroker = 8;
        options.seedSize.investorsPerBroker = 2;
        options.seedSize.pendingRequests = 30;
        server = std::make_unique<oms::OmsServer>(options, publisher);
        server->Start();
        server->WithStore(
            [this](oms::Store& store)
            {
                store.ForEachPending(
                    [this](const oms::RequestRecord& r)
                    {
                        keys.push_back(std::to_string(r.key));
                        makers.push_back(r.maker);
                    });
            });
    }

    ~World()
    {
        Check();
        server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Check()
    {
        server->WithStore(
            [](oms::Store& store)
            {
                for (const std::string& problem : store.CheckConsistency())
                {
                    std::fprintf(stderr, "fuzz_server: %s\n", problem.c_str());
                    std::abort();
                }
            });
    }
};

World& TheWorld()
{
    static World world;
    return world;
}

std::string Text(FuzzedDataProvider& data, const World& world)
{
    switch (data.ConsumeIntegralInRange<int>(0, 3))
    {
    case 0:
        return data.PickValueInArray(kTexts);
    case 1:
        return data.PickValueInArray(kUsers);
    case 2:
        return world.keys[data.ConsumeIntegralInRange<std::size_t>(0, world.keys.size() - 1)];
    default:
        return data.ConsumeRandomLengthString(40);
    }
}

// A message in the shape the console sends: a decision or a query about a request that exists,
// by users who may or may not be allowed to, with now and then a field that should not be there.
connect::Message ShapedMessage(FuzzedDataProvider& data, const World& world)
{
    connect::Message message;
    const bool decision = data.ConsumeBool();
    message.Add(0, decision ? "om_authenticate_functionality" : data.PickValueInArray(kFunctions));
    const std::size_t index = data.ConsumeIntegralInRange<std::size_t>(0, world.keys.size() - 1);
    const std::string& key = world.keys[index];
    if (decision)
    {
        // Now and then the request's own maker: a decision the server must always refuse.
        const std::string checker = data.ConsumeBool() ? world.makers[index] : data.PickValueInArray(kUsers);
        message.Add(54294, checker).Add(51803, key);
        if (data.ConsumeBool())
            message.Add(63713, data.PickValueInArray(kTexts));
        const bool accept = data.ConsumeBool();
        if (!accept)
            message.Add(32766, data.ConsumeRandomLengthString(20));
        message.Add(10303, accept ? "accepted" : "rejected");
        // Edited limits, good and bad.
        while (data.remaining_bytes() > 0 && data.ConsumeIntegralInRange<int>(0, 3) == 0)
            message.Add(data.PickValueInArray(kFields), data.PickValueInArray(kTexts));
    }
    else
        message.Add(54247, data.PickValueInArray(kUsers))
            .Add(31003, data.PickValueInArray(kUsers))
            .Add(51803, key);
    return message;
}

void SendMessage(FuzzedDataProvider& data, World& world)
{
    const bool shaped = data.ConsumeBool();
    connect::Message message = shaped ? ShapedMessage(data, world) : connect::Message();
    const std::string function = shaped               ? *message.Value(0)
                                 : data.ConsumeBool() ? data.PickValueInArray(kFunctions)
                                                      : data.ConsumeRandomLengthString(30);
    if (!shaped)
        message.Add(0, function);
    const int fields = shaped ? 0 : data.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < fields; ++i)
    {
        const int id = data.ConsumeBool() ? data.PickValueInArray(kFields) : data.ConsumeIntegral<int>();
        message.Add(id, Text(data, world));
    }
    connect::Session session;
    if (data.ConsumeBool())
        session = {data.PickValueInArray(kUsers), data.ConsumeBool() ? "KIVO" : "ASHV",
                   data.ConsumeIntegralInRange<int>(-1, 5)};
    // A few ids, so that the same message comes again now and then.
    const std::string messageId =
        data.ConsumeBool() ? "m-" + std::to_string(data.ConsumeIntegralInRange<int>(0, 20)) : "";

    std::vector<connect::Message> replies;
    connect::ReplyStream stream(
        function, [&replies](const connect::Message& reply) { replies.push_back(reply); }, messageId,
        session);
    world.server->OnRequest(message, stream);

    if (replies.empty() || !stream.Closed())
        Fail("a message was not answered");
    for (std::size_t i = 0; i + 1 < replies.size(); ++i)
    {
        if (replies[i].Has(32766))
            Fail("a reply before the last closed the request");
    }
    const connect::Message& closing = replies.back();
    if (closing.ValueCount(32766) < 2 || !closing.Value(32767) || *closing.Value(32767) != function)
        Fail("the closing reply lacks its status or function");
    const std::string& code = *closing.Value(32766, 0);
    if (code.empty() || code.find_first_not_of("0123456789") != std::string::npos)
        Fail("the status is not a number");
    const std::string& text = *closing.Value(32766, closing.ValueCount(32766) - 1);
    if (text.empty())
        Fail("a status without its text");
    // Only successful queries and recovery send data before closing.
    if (code != "0" && replies.size() != 1)
        Fail("a refused message sent data");
}

void EnterRequest(FuzzedDataProvider& data, World& world)
{
    static const int kTypes[] = {339, 340, 365, 353, 354, 366, 360, 341};
    oms::MakerRequest request;
    request.maker = data.PickValueInArray(kUsers);
    request.type = data.PickValueInArray(kTypes);
    request.entity = data.ConsumeBool() ? Text(data, world) : data.ConsumeRandomLengthString(24);
    const oms::EntityKind kind = request.type == 360 ? oms::EntityKind::Limits
                                 : (request.type == 353 || request.type == 354 || request.type == 366)
                                     ? oms::EntityKind::Account
                                     : oms::EntityKind::User;
    const auto catalogue = oms::FieldCatalogue::For(kind);
    const int fields = data.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < fields; ++i)
    {
        const std::string name =
            data.ConsumeBool()
                ? catalogue[data.ConsumeIntegralInRange<std::size_t>(0, catalogue.size() - 1)].key
                : data.ConsumeRandomLengthString(12);
        request.fields.emplace_back(name, Text(data, world));
    }
    try
    {
        world.keys.push_back(std::to_string(world.server->Enter(request)));
        world.makers.push_back(request.maker);
    }
    catch (const oms::MakerError&)
    {
        // Refused with its reason, which is what a bad request gets.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    World& world = TheWorld();
    FuzzedDataProvider data(bytes, size);
    while (data.remaining_bytes() > 0)
    {
        if (data.ConsumeIntegralInRange<int>(0, 4) == 0)
            EnterRequest(data, world);
        else
            SendMessage(data, world);
    }
    if (++world.inputs % 500 == 0)
        world.Check();
    return 0;
}
