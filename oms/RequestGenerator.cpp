#include "oms/RequestGenerator.h"

#include "oms/MakerError.h"
#include "oms/SampleData.h"
#include "oms/SampleRequests.h"

namespace oms
{

RequestGenerator::RequestGenerator(OmsServer& server, std::chrono::milliseconds every, std::string excludedMaker,
                                   std::uint32_t seed)
    : m_server(server), m_every(every), m_excluded(std::move(excludedMaker)), m_seed(seed)
{
}

RequestGenerator::~RequestGenerator()
{
    Stop();
}

void RequestGenerator::Start()
{
    if (m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = false;
    }
    m_thread = std::thread([this] { Run(); });
}

void RequestGenerator::Stop()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::size_t RequestGenerator::EnterOne()
{
    // A fresh draw each time, so that a request refused as clashing is not drawn again.
    SampleData data(m_seed + m_draws++);
    std::vector<MakerRequest> requests;
    m_server.WithStore([&](Store& store) { requests = SampleRequests(store, data).Any(m_excluded); });
    std::size_t entered = 0;
    for (const MakerRequest& request : requests)
    {
        try
        {
            m_server.Enter(request);
            ++entered;
        }
        catch (const MakerError&)
        {
            // Another maker got to the entity first; the next request will do.
        }
        catch (const std::exception&)
        {
            // A busy database: the next interval tries again.
        }
    }
    m_entered += entered;
    return entered;
}

void RequestGenerator::Run()
{
    std::unique_lock<std::mutex> guard(m_lock);
    while (!m_wake.wait_for(guard, m_every, [this] { return m_stopping; }))
    {
        guard.unlock();
        EnterOne();
        guard.lock();
    }
}

} // namespace oms
