// What the server tells a log collector: one JSON object a line ("kivo-oms --log-json FILE"),
// each with its time and event, then the event's own fields. Thread-safe; a log without a sink
// says nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace oms
{

class ServerLog
{
public:
    using Value = std::variant<std::string, std::int64_t>;
    using Fields = std::vector<std::pair<std::string, Value>>;
    using Sink = std::function<void(const std::string& line)>;

    void SetSink(Sink sink);
    bool On() const;
    void Event(const std::string& event, const Fields& fields = {});

    // The line an event is written as (without its end of line).
    static std::string Line(const std::string& time, const std::string& event, const Fields& fields);
    static std::string Quoted(const std::string& text);

private:
    mutable std::mutex m_lock;
    Sink m_sink;
};

} // namespace oms
