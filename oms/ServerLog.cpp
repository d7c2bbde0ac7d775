#include "oms/ServerLog.h"

#include "oms/JsonText.h"
#include "oms/Store.h"

namespace oms
{

void ServerLog::SetSink(Sink sink)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_sink = std::move(sink);
}

bool ServerLog::On() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<bool>(m_sink);
}

void ServerLog::Event(const std::string& event, const Fields& fields)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_sink)
        m_sink(Line(Store::Now(), event, fields));
}

std::string ServerLog::Quoted(const std::string& text)
{
    std::string quoted;
    AppendJsonString(quoted, text);
    return quoted;
}

std::string ServerLog::Line(const std::string& time, const std::string& event, const Fields& fields)
{
    std::string line = "{\"time\":" + Quoted(time) + ",\"event\":" + Quoted(event);
    for (const auto& [name, value] : fields)
    {
        line += "," + Quoted(name) + ":";
        if (const std::string* text = std::get_if<std::string>(&value))
            line += Quoted(*text);
        else
            line += std::to_string(std::get<std::int64_t>(value));
    }
    return line + "}";
}

} // namespace oms
