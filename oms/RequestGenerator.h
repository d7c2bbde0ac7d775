// Makers at work: enters a realistic request (or an investor's pair) at a steady pace, by the
// makers of the entity's broker, so that a terminal shows requests arriving. Runs on a thread of
// its own until stopped.
#pragma once

#include "oms/OmsServer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace oms
{

class RequestGenerator
{
public:
    // 'excludedMaker' never makes a request (the terminal's own user, whose requests he would
    // not see). The first request comes after one interval.
    RequestGenerator(OmsServer& server, std::chrono::milliseconds every, std::string excludedMaker,
                     std::uint32_t seed);
    ~RequestGenerator();
    RequestGenerator(const RequestGenerator&) = delete;
    RequestGenerator& operator=(const RequestGenerator&) = delete;

    void Start();
    void Stop();
    // Requests entered so far.
    std::size_t Entered() const { return m_entered; }
    // Enters the next request (or pair) now; how many were entered.
    std::size_t EnterOne();

private:
    void Run();

    OmsServer& m_server;
    std::chrono::milliseconds m_every;
    std::string m_excluded;
    std::uint32_t m_seed;
    std::uint32_t m_draws = 0;
    std::atomic<std::size_t> m_entered{0};

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace oms
