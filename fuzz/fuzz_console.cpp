// A running console fed random published requests and replies: random statuses, keys, types,
// categories, makers (the checker among them), entity and owner fields with one or more values,
// unknown fields, replies of every function name with and without their closing field, roles
// granted and withdrawn, filters set on any column, and a request on view. Nothing may crash, the
// console must free everything it made when it closes (leaks are caught), and after every message
// the request list must hold exactly the records of the pending-request map: each record once,
// under its own key, with no row left for a record that is gone.
#include "base/PluginGlobals.h"
#include "connect/Message.h"
#include "connect/ReceivedMessage.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "dozizedizizi/MCConnection.h"
#include "dozizedizizi/MCRxr.h"
#include "plugin/Exports.h"
#include "plugin/TestHost.h"
#include "winlib/Observe.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace
{

const char* const kStatuses[] = {"auth pending", "accepted", "rejected", "withdrawn", "", "AUTH PENDING"};
const char* const kKeys[] = {"1", "2", "3", "4", "4000000000", ""};
const char* const kTypes[] = {"339", "340", "365", "353", "354", "366", "360", "999", "", "3390"};
const char* const kCategories[] = {"RETAIL", "INVESTOR_CLIENT", "", "investor_client"};
const char* const kMakers[] = {"MAKER1", "MAKER2", "CHK1", "", "chk1"};
const char* const kFunctions[] = {"om_get_auth_user_details",
                                  "om_get_auth_account_details",
                                  "om_get_auth_limits_details",
                                  "om_get_functionality_details",
                                  "om_get_auth_user_details ",
                                  "om_something_else",
                                  ""};
// Owner and entity fields of a request, and fields the detail builders read.
const int kFields[] = {31003, 54001, 64056, 64053, 64052, 54036, 64031, 64037, 41236, 64312,
                       63001, 64018, 13034, 64174, 30004, 0,     -1,    99999, 54211, 51803};
const int kRoles[] = {60302, 60303, 60304};

void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz_console: %s\n", why);
    std::abort();
}

// A text from the list, or a short one made of the input's bytes.
std::string Text(FuzzedDataProvider& input, const char* const* list, std::size_t count)
{
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0)
        return input.ConsumeRandomLengthString(24);
    return list[input.ConsumeIntegralInRange<std::size_t>(0, count - 1)];
}

// A field mostly carries one value; sometimes it is left out or carries two or three.
void MaybeAdd(FuzzedDataProvider& input, connect::Message& message, int id, const char* const* list,
              std::size_t count)
{
    static constexpr int kValues[] = {1, 1, 1, 1, 1, 0, 2, 3};
    const int values = kValues[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kValues) - 1)];
    for (int i = 0; i < values; ++i)
        message.Add(id, Text(input, list, count));
}

#define KIVO_LIST(list) list, std::size(list)

connect::Message PublishedMessage(FuzzedDataProvider& input)
{
    connect::Message message;
    MaybeAdd(input, message, 54211, KIVO_LIST(kStatuses));
    MaybeAdd(input, message, 51803, KIVO_LIST(kKeys));
    MaybeAdd(input, message, 63713, KIVO_LIST(kTypes));
    MaybeAdd(input, message, 54036, KIVO_LIST(kCategories));
    MaybeAdd(input, message, 54247, KIVO_LIST(kMakers));
    for (int id : {31003, 54001, 64056, 64053, 64052})
        MaybeAdd(input, message, id, KIVO_LIST(kMakers));
    return message;
}

connect::Message Reply(FuzzedDataProvider& input)
{
    connect::Message reply = PublishedMessage(input);
    MaybeAdd(input, reply, 32767, KIVO_LIST(kFunctions));
    const int extra = input.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < extra; ++i)
    {
        const int id = kFields[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kFields) - 1)];
        if (!reply.Has(id))
            MaybeAdd(input, reply, id, KIVO_LIST(kMakers));
    }
    if (input.ConsumeBool())
        MaybeAdd(input, reply, 32766, KIVO_LIST(kKeys));
    return reply;
}

// The request list and the pending-request map hold the same records.
void CheckListMatchesMap(const CDozizEdizizi& console)
{
    const CFilterListCtrl& list = const_cast<CDozizEdizizi&>(console).GetRequestList();
    const FilterRows& rows = list.Rows();
    if (static_cast<int>(rows.StoreCount()) != console.GetRequestCount())
        Fail("the list and the map hold different numbers of requests");
    std::set<std::uint64_t> seen;
    for (std::uint32_t slot = rows.FirstSlot(); slot != FilterRows::kNone; slot = rows.NextSlot(slot))
    {
        const std::uint64_t item = rows.At(slot).item;
        const auto* request = reinterpret_cast<const sMakeCheckStruct*>(item);
        if (!request || !seen.insert(item).second)
            Fail("a row without a record, or a record with two rows");
        if (console.FindRequest(request->m_strKey) != request)
            Fail("a row whose record is not the map's record for its key");
    }
    const int shown = list.GetItemCount();
    if (shown > static_cast<int>(rows.StoreCount()))
        Fail("more rows shown than stored");
    for (int row = 0; row < shown; ++row)
    {
        if (!seen.count(static_cast<std::uint64_t>(list.GetItemData(row))))
            Fail("a shown row whose record is not stored");
    }
}

// The terminal the console runs in, made once: its main frame, host functions and transport.
struct Host
{
    Host() { winlib::Observed().keepBeeps = false; }
    PluginFixture fixture;
};

// Starts each input from an empty console, as the previous one left it: every listed request
// decided, no filter, nothing on view, every role held. The console itself is made once (making
// its window for every input would leave little time for the messages); whatever it holds when
// the program ends is freed by its exit, where the leak check looks.
CDozizEdizizi& FreshConsole()
{
    static Host host;
    if (!g_pDozizEdizizi)
    {
        InitKivoPlugin(nullptr, "Terminal", nullptr, "");
        // Closed before the tables it fills at its start are destroyed, and before the leak check.
        std::atexit(
            []
            {
                ExitKivoPlugin();
                delete g_pDozizEdizizi;
                g_pDozizEdizizi = nullptr;
            });
    }
    CDozizEdizizi* console = g_pDozizEdizizi;
    if (!console || !console->m_hWnd)
        Fail("the console did not start");
    TestHost().roles = {60302, 60303, 60304};
    std::vector<std::string> keys;
    console->GetPendingRequests().ForEach([&](const std::string& key, sMakeCheckStruct*)
                                          { keys.push_back(key); });
    for (const std::string& key : keys)
    {
        connect::Message decided;
        decided.Add(54211, "accepted").Add(51803, key);
        HandlePublishMsg(connect::ReceivedMessage(decided).Handle());
    }
    if (console->GetRequestCount() != 0 || console->GetRequestList().GetStoreCount() != 0)
        Fail("deciding every listed request left some behind");
    console->GetRequestList().ResetFilters();
    console->GetRequestList().ApplyFilter();
    console->ClearDetailView();
    console->m_strDetailKey.clear();
    winlib::Observed().Clear();
    TestHost().log.clear();
    return *console;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CDozizEdizizi* console = &FreshConsole();
    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0)
    {
        switch (input.ConsumeIntegralInRange<int>(0, 9))
        {
        case 0:
        case 1:
        case 2:
        case 3:
            HandlePublishMsg(connect::ReceivedMessage(PublishedMessage(input)).Handle());
            break;
        case 4:
        case 5:
            console->GetConnection()->m_pRxr0->OnMessage(
                nullptr, connect::ReceivedMessage(Reply(input)).Handle(), nullptr);
            break;
        case 6:
        {
            const int role = kRoles[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kRoles) - 1)];
            if (!TestHost().roles.erase(role))
                TestHost().roles.insert(role);
            break;
        }
        case 7:
        {
            CFilterListCtrl& list = console->GetRequestList();
            list.SetColumnFilter(input.ConsumeIntegralInRange<int>(0, 5), Text(input, KIVO_LIST(kMakers)));
            list.ApplyFilter();
            break;
        }
        case 8:
            // A request on view: the detail key a query would have set.
            console->m_strDetailKey = Text(input, KIVO_LIST(kKeys));
            break;
        default:
            console->ClearDetailView();
            break;
        }
        CheckListMatchesMap(*console);
    }

    return 0;
}
