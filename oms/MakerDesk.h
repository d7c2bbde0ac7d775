// Where makers' requests come in: each is checked against what the store holds, its changed
// fields are worked out with their values before the change, and it is recorded as pending
// together with its publication, in one transaction.
#pragma once

#include "oms/MakerRequest.h"
#include "oms/RequestRecord.h"
#include "oms/Store.h"

#include <cstdint>
#include <vector>

namespace oms
{

class MakerDesk
{
public:
    struct Prepared
    {
        RequestRecord request;
        std::vector<ChangedField> changes;
    };

    explicit MakerDesk(Store& store) : m_store(store) {}

    // What the request would record. Throws MakerError with the reason when it is refused: an
    // unknown maker or entity, a field that does not exist or has a bad value, a change that
    // changes nothing, a second request for an entity that has one pending ...
    Prepared Prepare(const MakerRequest& request);
    // Prepare, then record it pending and queue its publication, in the caller's transaction.
    std::int64_t EnterWithin(const MakerRequest& request);
    // The same in a transaction of its own; the request's key.
    std::int64_t Enter(const MakerRequest& request);

private:
    void PrepareUser(const MakerRequest& in, Prepared& out);
    void PrepareAccount(const MakerRequest& in, Prepared& out);
    void PrepareLimits(const MakerRequest& in, Prepared& out);

    Store& m_store;
};

} // namespace oms
