// Makers' requests with realistic contents: new users and accounts filled out as a back office
// fills them, modifications of a few fields, deletions, limit changes, and investor pairs (the
// investor's user and his client account). Used to seed a new database and by the generator
// that enters requests while the terminal runs.
#pragma once

#include "oms/MakerRequest.h"
#include "oms/SampleData.h"
#include "oms/Store.h"

#include <optional>
#include <string>
#include <vector>

namespace oms
{

class SampleRequests
{
public:
    SampleRequests(Store& store, SampleData& data) : m_store(store), m_data(data) {}

    MakerRequest NewUser(const std::string& maker, const std::string& id, const std::string& branch,
                         const std::string& type, const std::string& role);
    // An investor's account carries its user's name ('holder'; when empty, the linked user's).
    MakerRequest NewAccount(const std::string& maker, const std::string& id, const std::string& branch,
                            const std::string& group, const std::string& category,
                            const std::string& linkedUser, const std::string& holder = "");
    // Limits of the owner ("client:KVC10001"): every limit when 'full', else a usual handful.
    MakerRequest NewLimits(const std::string& maker, const std::string& owner, bool full);

    MakerRequest ModifyUser(const std::string& maker, const std::string& id);
    MakerRequest ModifyAccount(const std::string& maker, const std::string& id);
    MakerRequest ChangeLimits(const std::string& maker, const std::string& owner);

    // One realistic request about what the store holds now, entered by a maker of the entity's
    // broker other than 'excludedMaker'; an investor pair gives two (the user first). Empty when
    // nothing fits (no maker, every entity waiting already).
    std::vector<MakerRequest> Any(const std::string& excludedMaker);
    // Of a chosen type (339 with an investor gives the pair).
    std::vector<MakerRequest> OfType(int type, const std::string& excludedMaker, bool investor = false);

    // A new id of the broker's style that no entity or pending request has: "KV" and four digits
    // for a user, "KVC" and five for an account, "KVI" and four for an investor (user and
    // account alike).
    std::string NewId(const std::string& broker, char style);
    // "KV" for KIVO and the like: how the broker's ids begin.
    std::string Prefix(const std::string& broker) const;

private:
    std::optional<std::string> PickMaker(const std::string& broker, const std::string& excluded);
    // An entity of the kind with no pending request, or nothing.
    std::optional<std::string> PickFree(EntityKind kind, const std::string& category);
    // A new address at another provider for the holder of this name.
    std::string NewEmail(const std::string& name);

    Store& m_store;
    SampleData& m_data;
};

} // namespace oms
