// The console under a flood of published requests, each figure beside a baseline measured in the
// same run: pending requests listed through the published-message entry point into a request list
// with a filter active, found again by key, filtered afresh, and removed by "accepted" messages in
// arrival order and in random order; and the heap one pending request takes.
//
// The baseline does what any reader of the published stream must: it reads the same fields through
// the messaging library into records kept under their keys in a standard hash map, with rows in
// arrival order that can lose any row at once and a broker filter checked on every new row. The
// ratio console / baseline is what the console's own machinery (its map, its list and store, the
// role checks, the window) costs on top. The beep is muted through the platform.
//
// At the end the medians are printed side by side with their ratios, and the growth from 100,000
// to 1,000,000 requests.
#include "base/PluginGlobals.h"
#include "bench/HeapInUse.h"
#include "connect/ReceivedMessage.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "dozizedizizi/MessageFields.h"
#include "plugin/Exports.h"
#include "plugin/TestHost.h"
#include "winlib/Observe.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

using Messages = std::vector<std::unique_ptr<connect::ReceivedMessage>>;

constexpr std::int64_t kKeyBase = 4000000000LL;

// Requests with field lengths as the server sends them: keys of ten digits, dealers, accounts and
// makers of eight to twelve characters, two brokers of which the filter shows one.
Messages PendingRequests(int count)
{
    static const char* const kTypes[] = {"339", "340", "365", "353", "354", "366", "360"};
    Messages messages;
    messages.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        connect::Message message;
        const std::string type = kTypes[i % 7];
        message.Add(54211, "auth pending").Add(51803, std::to_string(kKeyBase + i)).Add(63713, type);
        message.Add(54247, "MAKER" + std::to_string(100 + i % 50));
        message.Add(64056, i % 2 ? "KIVO" : "ZENITH").Add(64053, "BR" + std::to_string(10 + i % 40));
        message.Add(54036, i % 3 ? "RETAIL" : "CORPORATE");
        if (type == "353" || type == "354" || type == "366")
            message.Add(54001, "CL" + std::to_string(1000000 + i));
        else if (type != "360")
            message.Add(31003, "DEALER" + std::to_string(10000 + i));
        messages.push_back(std::make_unique<connect::ReceivedMessage>(message));
    }
    return messages;
}

std::vector<int> Order(int count, bool randomOrder)
{
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    if (randomOrder)
        std::shuffle(order.begin(), order.end(), std::mt19937(20240607));
    return order;
}

Messages Decisions(int count, bool randomOrder)
{
    Messages messages;
    messages.reserve(static_cast<std::size_t>(count));
    for (int i : Order(count, randomOrder))
    {
        connect::Message message;
        message.Add(54211, "accepted").Add(51803, std::to_string(kKeyBase + i)).Add(64056, "KIVO");
        messages.push_back(std::make_unique<connect::ReceivedMessage>(message));
    }
    return messages;
}

// Made once per size for every repetition and both stores.
const Messages& CachedPending(int count)
{
    static std::map<int, Messages> made;
    auto& messages = made[count];
    if (messages.empty())
        messages = PendingRequests(count);
    return messages;
}

const Messages& CachedDecisions(int count, bool randomOrder)
{
    static std::map<std::pair<int, bool>, Messages> made;
    auto& messages = made[{count, randomOrder}];
    if (messages.empty())
        messages = Decisions(count, randomOrder);
    return messages;
}

// The console as the terminal starts it, its request list filtered to one broker.
class ConsoleStore
{
public:
    ConsoleStore()
    {
        winlib::Observed().keepBeeps = false;
        InitKivoPlugin(nullptr, "Terminal", nullptr, "");
        m_host.driver.Pump();
        Filter("KIVO");
    }
    ~ConsoleStore() { ExitKivoPlugin(); }

    void Handle(MnmHndl message) { HandlePublishMsg(message); }
    int Count() const { return g_pDozizEdizizi->GetRequestCount(); }
    int Rows() const { return g_pDozizEdizizi->GetRequestList().GetStoreCount(); }
    bool Find(const std::string& key) const { return g_pDozizEdizizi->FindRequest(key) != nullptr; }
    int Filter(const std::string& broker)
    {
        CFilterListCtrl& list = g_pDozizEdizizi->GetRequestList();
        list.SetColumnFilter(5, broker);
        list.ApplyFilter();
        return list.GetItemCount();
    }

private:
    PluginFixture m_host;
};

class BaselineStore
{
public:
    BaselineStore() { Filter("KIVO"); }

    void Handle(MnmHndl message)
    {
        std::string status;
        std::string key;
        if (!ReadFieldText(message, 54211, 0, status) || !ReadFieldText(message, 51803, 0, key))
            return;
        if (status == "accepted" || status == "rejected")
        {
            const auto found = m_records.find(key);
            if (found == m_records.end())
                return;
            m_rows.erase(found->second->row);
            m_records.erase(found);
            return;
        }
        if (status != "auth pending")
            return;
        auto& slot = m_records[key];
        const bool fresh = !slot;
        if (fresh)
        {
            slot = std::make_unique<Record>();
            slot->key = key;
        }
        Record& record = *slot;
        ReadFieldText(message, 63713, 0, record.type);
        ReadFieldText(message, 54036, 0, record.category);
        if (!ReadFieldText(message, 31003, 0, record.entity))
            ReadFieldText(message, 54001, 0, record.entity);
        ReadFieldText(message, 54247, 0, record.maker);
        ReadFieldText(message, 64056, 0, record.broker);
        ReadFieldText(message, 64053, 0, record.branch);
        if (fresh)
            record.row = m_rows.insert(m_rows.begin(), &record);
        record.shown = CFilterListCtrl::MatchFilter(record.broker, m_filter, FALSE) != FALSE;
    }
    int Count() const { return static_cast<int>(m_records.size()); }
    int Rows() const { return static_cast<int>(m_rows.size()); }
    bool Find(const std::string& key) const { return m_records.count(key) != 0; }
    int Filter(const std::string& broker)
    {
        m_filter = broker;
        int shown = 0;
        for (Record* record : m_rows)
        {
            record->shown = CFilterListCtrl::MatchFilter(record->broker, m_filter, FALSE) != FALSE;
            shown += record->shown ? 1 : 0;
        }
        return shown;
    }

private:
    struct Record
    {
        std::string key, maker, entity, spare, type, broker, branch, linkedUser, category;
        std::list<Record*>::iterator row;
        bool shown = false;
    };
    std::unordered_map<std::string, std::unique_ptr<Record>> m_records;
    std::list<Record*> m_rows; // newest first
    std::string m_filter;
};

template <typename Store> void Publish(Store& store, const Messages& messages)
{
    for (const auto& message : messages)
        store.Handle(message->Handle());
}

void PerRequest(benchmark::State& state, int count)
{
    state.counters["ns_per_request"] =
        benchmark::Counter(static_cast<double>(count),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <typename Store> void BM_Listed(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Messages& pending = CachedPending(count);
    for (auto _ : state)
    {
        state.PauseTiming();
        auto store = std::make_unique<Store>();
        state.ResumeTiming();
        Publish(*store, pending);
        state.PauseTiming();
        if (store->Count() != count || store->Rows() != count)
            state.SkipWithError("not every request was listed");
        store.reset();
        state.ResumeTiming();
    }
    PerRequest(state, count);
}

template <typename Store> void BM_Removed(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Messages& pending = CachedPending(count);
    const Messages& decisions = CachedDecisions(count, state.range(1) != 0);
    for (auto _ : state)
    {
        state.PauseTiming();
        auto store = std::make_unique<Store>();
        Publish(*store, pending);
        state.ResumeTiming();
        Publish(*store, decisions);
        state.PauseTiming();
        if (store->Count() != 0 || store->Rows() != 0)
            state.SkipWithError("a request was left behind");
        store.reset();
        state.ResumeTiming();
    }
    PerRequest(state, count);
}

// Every key looked up once, in random order, among the listed requests.
template <typename Store> void BM_FoundByKey(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Messages& pending = CachedPending(count);
    std::vector<std::string> keys;
    for (int i : Order(count, true))
        keys.push_back(std::to_string(kKeyBase + i));
    Store store;
    Publish(store, pending);
    for (auto _ : state)
    {
        int found = 0;
        for (const std::string& key : keys)
            found += store.Find(key) ? 1 : 0;
        if (found != count)
            state.SkipWithError("a listed request was not found");
    }
    PerRequest(state, count);
}

// The broker filter changed: every listed request is matched again.
template <typename Store> void BM_Filtered(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Messages& pending = CachedPending(count);
    Store store;
    Publish(store, pending);
    bool other = false;
    for (auto _ : state)
    {
        other = !other;
        const int shown = store.Filter(other ? "ZENITH" : "KIVO");
        if (shown != count / 2 + (other ? count % 2 : 0))
            state.SkipWithError("the filter showed the wrong rows");
    }
    PerRequest(state, count);
}

// Heap bytes held per pending request (its record, its map entry and its row).
template <typename Store> void BM_Memory(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Messages& pending = CachedPending(count);
    double perRequest = 0;
    for (auto _ : state)
    {
        Store store;
        malloc_trim(0);
        const std::size_t before = bench::HeapInUse();
        Publish(store, pending);
        const std::size_t after = bench::HeapInUse();
        perRequest = static_cast<double>(after - before) / count;
    }
    state.counters["bytes_per_request"] = perRequest;
}

constexpr int kRepetitions = 5;

#define KIVO_BOTH(function, ...)                                                                             \
    BENCHMARK_TEMPLATE(function, ConsoleStore)->__VA_ARGS__;                                                 \
    BENCHMARK_TEMPLATE(function, BaselineStore)->__VA_ARGS__

KIVO_BOTH(BM_Listed, Arg(100000)
                         ->Arg(1000000)
                         ->Unit(benchmark::kMillisecond)
                         ->Iterations(1)
                         ->Repetitions(kRepetitions)
                         ->ReportAggregatesOnly(true));
KIVO_BOTH(BM_Removed, Args({100000, 0})
                          ->Args({1000000, 0})
                          ->Args({100000, 1})
                          ->Args({1000000, 1})
                          ->ArgNames({"requests", "random"})
                          ->Unit(benchmark::kMillisecond)
                          ->Iterations(1)
                          ->Repetitions(kRepetitions)
                          ->ReportAggregatesOnly(true));
KIVO_BOTH(BM_FoundByKey, Arg(100000)
                             ->Arg(1000000)
                             ->Unit(benchmark::kMillisecond)
                             ->Iterations(2)
                             ->Repetitions(kRepetitions)
                             ->ReportAggregatesOnly(true));
KIVO_BOTH(BM_Filtered, Arg(100000)
                           ->Arg(1000000)
                           ->Unit(benchmark::kMillisecond)
                           ->Iterations(2)
                           ->Repetitions(kRepetitions)
                           ->ReportAggregatesOnly(true));
KIVO_BOTH(
    BM_Memory,
    Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true));

// Keeps the medians and prints, after the usual table, each console figure beside its baseline and
// the growth of each console figure from 100,000 to 1,000,000 requests.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const auto bytes = run.counters.find("bytes_per_request");
            m_medians[run.run_name.str()] =
                bytes != run.counters.end() ? bytes->second.value : run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nmedians: console | baseline | ratio\n");
        for (const auto& [name, console] : m_medians)
        {
            const auto at = name.find("<ConsoleStore>");
            if (at == std::string::npos)
                continue;
            std::string baselineName = name;
            baselineName.replace(at, 14, "<BaselineStore>");
            const auto baseline = m_medians.find(baselineName);
            if (baseline == m_medians.end())
                continue;
            std::printf("%-52s %12.2f %12.2f %8.2f\n", name.c_str(), console, baseline->second,
                        baseline->second > 0 ? console / baseline->second : 0.0);
        }
        std::printf("\ngrowth from 100,000 to 1,000,000 requests (10 is linear)\n");
        for (const auto& [name, figure] : m_medians)
        {
            const auto at = name.find("1000000");
            if (at == std::string::npos)
                continue;
            std::string smaller = name;
            smaller.replace(at, 7, "100000");
            const auto small = m_medians.find(smaller);
            if (small != m_medians.end() && small->second > 0)
                std::printf("%-52s %8.2f\n", name.c_str(), figure / small->second);
        }
    }

private:
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
