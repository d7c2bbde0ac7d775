// Fills a new database: three brokers with their branches and account groups, their staff
// (administrators, makers, checkers, broker and branch administrators), some hundreds of
// dealers and client accounts, investor clients with their users, RMS limits at every level,
// and a starting set of pending requests of every type (investor pairs among them).
#pragma once

#include "oms/Store.h"

#include <cstdint>

namespace oms
{

class Seeder
{
public:
    struct Size
    {
        int dealersPerBroker = 90;
        int accountsPerBroker = 150;
        int investorsPerBroker = 12;
        int pendingRequests = 45;
    };

    static constexpr std::uint32_t kDefaultSeed = 20240601;

    Seeder(Store& store, std::uint32_t seed = kDefaultSeed) : m_store(store), m_seed(seed) {}
    Seeder(Store& store, std::uint32_t seed, Size size) : m_store(store), m_seed(seed), m_size(size) {}

    // Everything in one transaction; the database must be empty.
    void Run();

private:
    Store& m_store;
    std::uint32_t m_seed;
    Size m_size;
};

} // namespace oms
