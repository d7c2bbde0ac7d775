#include "NatsBus.h"

#include "CallbackRegistry.h"

#include <stdexcept>
#include <vector>

namespace connect::detail
{

namespace
{

constexpr std::int64_t kNanosPerSecond = 1000000000LL;
// Terminals resume from the last message they saw; a week covers any pause of a terminal
// that still has its list.
constexpr std::int64_t kStreamMaxAge = 7LL * 24 * 3600 * kNanosPerSecond;
// A server that restarts publishes again what it had published but not yet struck from its
// outbox; the bus drops those by their publication id within this window.
constexpr std::int64_t kDuplicateWindow = 10LL * 60 * kNanosPerSecond;

std::vector<std::string> SplitUrls(const std::string& url)
{
    std::vector<std::string> urls;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t comma = url.find(',', start);
        urls.push_back(url.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return urls;
        start = comma + 1;
    }
}

void Check(natsStatus status, const char* what)
{
    if (status != NATS_OK)
        throw std::invalid_argument(std::string(what) + ": " + NatsBus::StatusText(status));
}

} // namespace

struct NatsBus::Gate
{
    ConnectedHandler onConnected;
    RefusalHandler onRefused;
    DisconnectedHandler onDisconnected;
};

std::string NatsBus::StatusText(natsStatus status)
{
    natsStatus last = NATS_OK;
    const char* detail = nats_GetLastError(&last);
    std::string text = natsStatus_GetText(status);
    if (detail && *detail && last == status)
        text += std::string(" (") + detail + ")";
    return text;
}

NatsBus::NatsBus(const BusOptions& options, ConnectedHandler onConnected, RefusalHandler onRefused,
                 DisconnectedHandler onDisconnected)
    : m_options(options), m_subjects(options.prefix), m_gate(std::make_shared<Gate>())
{
    if (const auto error = BusOptions::CheckUrl(options.url))
        throw std::invalid_argument(*error);
    m_gate->onConnected = std::move(onConnected);
    m_gate->onRefused = std::move(onRefused);
    m_gate->onDisconnected = std::move(onDisconnected);
    m_closure = CallbackRegistry<Gate>::Register(m_gate);

    natsOptions* settings = nullptr;
    Check(natsOptions_Create(&settings), "the message bus library cannot start");
    const std::unique_ptr<natsOptions, void (*)(natsOptions*)> owned(settings, natsOptions_Destroy);
    std::vector<std::string> urls = SplitUrls(options.url);
    std::vector<const char*> servers;
    for (const std::string& url : urls)
        servers.push_back(url.c_str());
    Check(natsOptions_SetServers(settings, servers.data(), static_cast<int>(servers.size())),
          options.url.c_str());
    if (!options.clientName.empty())
        natsOptions_SetName(settings, options.clientName.c_str());
    natsOptions_SetNoRandomize(settings, options.inOrder);
    if (!options.password.empty())
        Check(natsOptions_SetUserInfo(settings, options.user.c_str(), options.password.c_str()),
              "the bus credentials cannot be used");
    if (options.Secure())
    {
        Check(natsOptions_SetSecure(settings, true), "the message bus library has no TLS");
        if (!options.caFile.empty() &&
            natsOptions_LoadCATrustedCertificates(settings, options.caFile.c_str()) != NATS_OK)
            throw std::invalid_argument("the certificate authority " + options.caFile +
                                        " cannot be read: " + StatusText(NATS_SSL_ERROR));
    }
    // Everything that comes back to this connection (replies, the stream's answers, the
    // published messages its consumers push) arrives below the user's own inbox, the one part
    // of the bus a secured bus lets him read.
    if (!options.user.empty())
        Check(natsOptions_SetCustomInboxPrefix(settings, m_subjects.InboxOf(options.user).c_str()),
              "the user's inbox cannot be used");
    natsOptions_SetErrorHandler(settings, &NatsBus::OnError, m_closure);
    // The bus coming and going is normal: try again for as long as the owner lives, and
    // notice a dead connection within seconds.
    natsOptions_SetAllowReconnect(settings, true);
    natsOptions_SetMaxReconnect(settings, -1);
    natsOptions_SetReconnectWait(settings, options.reconnectWait.count());
    natsOptions_SetPingInterval(settings, 2000);
    natsOptions_SetMaxPingsOut(settings, 2);
    natsOptions_SetTimeout(settings, 2000);
    // A request and each reply go out at once rather than when the library's flusher next
    // looks: a checker waits for them.
    natsOptions_SetSendAsap(settings, true);
    natsOptions_SetReconnectedCB(settings, &NatsBus::OnConnected, m_closure);
    natsOptions_SetDisconnectedCB(settings, &NatsBus::OnDisconnected, m_closure);
    natsOptions_SetRetryOnFailedConnect(settings, true, &NatsBus::OnConnected, m_closure);

    const natsStatus status = natsConnection_Connect(&m_connection, settings);
    if (status != NATS_OK && status != NATS_NOT_YET_CONNECTED)
    {
        CallbackRegistry<Gate>::Forget(m_closure);
        throw std::invalid_argument("cannot use the message bus at " + options.url + ": " +
                                    StatusText(status));
    }
    jsOptions streams;
    jsOptions_Init(&streams);
    streams.Wait = 2000;
    if (natsConnection_JetStream(&m_jetStream, m_connection, &streams) != NATS_OK)
    {
        natsConnection_Destroy(m_connection);
        CallbackRegistry<Gate>::Forget(m_closure);
        throw std::invalid_argument("the message bus library cannot start its persistent streams");
    }
}

NatsBus::~NatsBus()
{
    CallbackRegistry<Gate>::Forget(m_closure);
    jsCtx_Destroy(m_jetStream);
    natsConnection_Close(m_connection);
    natsConnection_Destroy(m_connection);
}

void NatsBus::OnConnected(natsConnection*, void* closure)
{
    if (const std::shared_ptr<Gate> gate = CallbackRegistry<Gate>::Find(closure); gate && gate->onConnected)
        gate->onConnected();
}

void NatsBus::OnDisconnected(natsConnection*, void* closure)
{
    if (const std::shared_ptr<Gate> gate = CallbackRegistry<Gate>::Find(closure);
        gate && gate->onDisconnected)
        gate->onDisconnected();
}

void NatsBus::OnError(natsConnection* connection, natsSubscription*, natsStatus status, void* closure)
{
    const char* text = nullptr;
    natsConnection_GetLastError(connection, &text);
    if (status != NATS_NOT_PERMITTED)
        return;
    if (const std::shared_ptr<Gate> gate = CallbackRegistry<Gate>::Find(closure); gate && gate->onRefused)
        gate->onRefused(text && *text ? text : natsStatus_GetText(status));
}

std::string NatsBus::LastError() const
{
    const char* text = nullptr;
    const natsStatus status = natsConnection_GetLastError(m_connection, &text);
    if (status == NATS_OK)
        return {};
    return text && *text ? text : natsStatus_GetText(status);
}

bool NatsBus::Connected() const
{
    return natsConnection_Status(m_connection) == NATS_CONN_STATUS_CONNECTED;
}

// The published stream as it is made and kept: on disk for a week, resends within ten minutes
// kept once, on as many nodes as the bus has. 'name' and 'subjects' must outlive the result.
jsStreamConfig NatsBus::StreamConfig(const std::string& name, const char* (&subjects)[1]) const
{
    jsStreamConfig config;
    jsStreamConfig_Init(&config);
    config.Name = name.c_str();
    config.Subjects = subjects;
    config.SubjectsLen = 1;
    config.Storage = js_FileStorage;
    config.Retention = js_LimitsPolicy;
    config.MaxAge = kStreamMaxAge;
    config.Duplicates = kDuplicateWindow;
    config.Replicas = m_options.Replicas();
    return config;
}

bool NatsBus::EnsureStream(std::string* error)
{
    std::lock_guard<std::mutex> guard(m_streamLock);
    jsStreamInfo* info = nullptr;
    jsErrCode code = static_cast<jsErrCode>(0);
    const std::string name = m_subjects.Stream();
    natsStatus status = js_GetStreamInfo(&info, m_jetStream, name.c_str(), nullptr, &code);
    if (status == NATS_OK)
    {
        // A stream made on one node is spread over a cluster once the server is told of one.
        const bool fewer = info->Config && info->Config->Replicas < m_options.Replicas();
        jsStreamInfo_Destroy(info);
        if (!fewer)
            return true;
        const std::string subjects = m_subjects.PublishedAll();
        const char* subjectList[] = {subjects.c_str()};
        jsStreamConfig config = StreamConfig(name, subjectList);
        jsStreamInfo* updated = nullptr;
        status = js_UpdateStream(&updated, m_jetStream, &config, nullptr, &code);
        jsStreamInfo_Destroy(updated);
        if (status == NATS_OK)
            return true;
        if (error)
            *error = "the message bus does not keep the stream " + name + " on " +
                     std::to_string(m_options.Replicas()) + " nodes: " + StatusText(status);
        return false;
    }
    if (status == NATS_NOT_FOUND)
    {
        const std::string subjects = m_subjects.PublishedAll();
        const char* subjectList[] = {subjects.c_str()};
        jsStreamConfig config = StreamConfig(name, subjectList);
        status = js_AddStream(&info, m_jetStream, &config, nullptr, &code);
        if (status == NATS_OK || code == JSStreamNameExistErr)
        {
            jsStreamInfo_Destroy(info);
            return true;
        }
    }
    if (error)
        *error = "the message bus keeps no stream " + name + ": " + StatusText(status);
    return false;
}

bool NatsBus::StreamState(std::uint64_t& lastSequence, std::int64_t& created, std::string* error,
                          bool* missing)
{
    jsStreamInfo* info = nullptr;
    jsErrCode code = static_cast<jsErrCode>(0);
    const natsStatus status =
        js_GetStreamInfo(&info, m_jetStream, m_subjects.Stream().c_str(), nullptr, &code);
    if (missing)
        *missing = status == NATS_NOT_FOUND;
    if (status != NATS_OK)
    {
        if (error)
            *error = StatusText(status);
        return false;
    }
    lastSequence = info->State.LastSeq;
    created = info->Created;
    jsStreamInfo_Destroy(info);
    return true;
}

} // namespace connect::detail
