// A transport between the controls and a real one that keeps a copy of every request's wire
// bytes and every subscription, so that tests read exactly what the plug-in sent.
#pragma once

#include "connect/ConnectKivo.h"
#include "connect/Message.h"
#include "connect/Transport.h"

#include <mutex>
#include <vector>

class RecordingTransport : public connect::Transport
{
public:
    explicit RecordingTransport(connect::Transport& inner) : m_inner(inner) {}

    bool SendRequest(connect::Envelope request, Delivery onReply, int* err) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_refuseSends > 0)
            {
                --m_refuseSends;
                if (err)
                    *err = OTP_ERR_TRANSPORT;
                return false;
            }
            m_requests.push_back(request.body);
        }
        return m_inner.SendRequest(std::move(request), std::move(onReply), err);
    }

    bool Subscribe(const connect::SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                   int* err) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_subscriptions.push_back(filter);
        }
        return m_inner.Subscribe(filter, std::move(onMessage), id, err);
    }

    bool Unsubscribe(std::uint64_t id, int* err) override { return m_inner.Unsubscribe(id, err); }

    // The wire bytes of every request's body so far, in the order sent.
    std::vector<std::vector<std::uint8_t>> Requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    // The same, read back as messages; a request whose bytes do not parse fails the test that reads it.
    std::vector<connect::Message> RequestMessages() const
    {
        std::vector<connect::Message> messages;
        for (const auto& wire : Requests())
        {
            auto message = connect::Message::FromWire(wire);
            messages.push_back(message ? *message : connect::Message{}.Add(-1, "malformed request"));
        }
        return messages;
    }

    std::vector<connect::SubscriptionFilter> Subscriptions() const
    {
        std::lock_guard lock(m_mutex);
        return m_subscriptions;
    }

    // The next 'count' requests are refused as by a road that is down; they are not recorded.
    void RefuseSends(int count)
    {
        std::lock_guard lock(m_mutex);
        m_refuseSends = count;
    }

    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
        m_subscriptions.clear();
    }

private:
    connect::Transport& m_inner;
    mutable std::mutex m_mutex;
    std::vector<std::vector<std::uint8_t>> m_requests;
    std::vector<connect::SubscriptionFilter> m_subscriptions;
    int m_refuseSends = 0;
};
