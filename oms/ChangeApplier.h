// Applies an accepted request's changes to its entity: adds the user or account, changes its
// fields, deletes it, or sets the limits of their owner. Used by the checker's accept and by
// seeding, so that seeded entities are made exactly as accepted ones.
#pragma once

#include "oms/RequestRecord.h"
#include "oms/Store.h"

#include <optional>
#include <string>
#include <vector>

namespace oms
{

class ChangeApplier
{
public:
    explicit ChangeApplier(Store& store) : m_store(store) {}

    // Nothing when applied; otherwise why the change cannot be applied as the store stands
    // (the entity is gone, an investor's user is not there yet ...), and nothing is changed.
    std::optional<std::string> Apply(const RequestRecord& request, const std::vector<ChangedField>& changes);

private:
    std::optional<std::string> ApplyAdd(const RequestRecord& request,
                                        const std::vector<ChangedField>& changes);
    std::optional<std::string> ApplyModify(const RequestRecord& request,
                                           const std::vector<ChangedField>& changes);
    std::optional<std::string> ApplyDelete(const RequestRecord& request);
    std::optional<std::string> ApplyLimits(const RequestRecord& request,
                                           const std::vector<ChangedField>& changes);

    Store& m_store;
};

} // namespace oms
