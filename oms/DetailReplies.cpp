#include "oms/DetailReplies.h"

#include "oms/FieldIds.h"
#include "oms/LimitOwner.h"

#include <algorithm>

namespace oms
{

namespace
{

void AddNewAndOld(connect::Message& reply, const ChangedField& change)
{
    reply.AddValues(change.id, change.values);
    if (change.oldValues && !change.oldValues->empty())
        reply.Add(change.id, change.oldValues->front());
}

void AddCurrent(connect::Message& reply, const FieldValues& fields, std::int32_t id)
{
    const auto it = fields.find(id);
    if (it != fields.end() && !it->second.empty())
        reply.Add(id, it->second.front());
}

bool Changes(const std::vector<ChangedField>& changes, std::int32_t id)
{
    return std::any_of(changes.begin(), changes.end(), [id](const ChangedField& c) { return c.id == id; });
}

} // namespace

connect::Message DetailReplies::Build(const RequestRecord& request, const std::vector<ChangedField>& changes)
{
    switch (request.kind)
    {
    case EntityKind::User:
        return UserReply(request, changes);
    case EntityKind::Account:
        return AccountReply(request, changes);
    case EntityKind::Limits:
        return LimitsReply(request, changes);
    }
    return {};
}

connect::Message DetailReplies::UserReply(const RequestRecord& request,
                                          const std::vector<ChangedField>& changes)
{
    connect::Message reply;
    if (request.type == kAddUser)
    {
        for (const ChangedField& change : changes)
            reply.AddValues(change.id, change.values);
        return reply;
    }
    reply.Add(fid::kUser, request.entity);
    if (request.type == kDeleteUser)
    {
        const FieldValues fields = m_store.Fields(EntityKind::User, request.entity);
        for (std::int32_t id : {30001, fid::kCategory, fid::kBroker, fid::kBranch})
            AddCurrent(reply, fields, id);
        return reply;
    }
    // A change of the exchange status alone is shown under the user's first exchange.
    if (Changes(changes, 63076) && !Changes(changes, fid::kExchanges))
    {
        const FieldValues fields = m_store.Fields(EntityKind::User, request.entity);
        AddCurrent(reply, fields, fid::kExchanges);
    }
    // Terminals read the expiry date (64018) as one value per exchange, as for a new user: when
    // it changes, the exchange's settings are sent as they will be, without their old values.
    const bool expiryChanges = Changes(changes, 64018);
    for (const ChangedField& change : changes)
    {
        const FieldSpec* spec = FieldCatalogue::Find(EntityKind::User, change.id);
        const Shape shape = spec ? spec->shape : Shape::Single;
        if (shape == Shape::List || (shape == Shape::PerExchange && expiryChanges))
            reply.AddValues(change.id, change.values);
        else
            AddNewAndOld(reply, change);
    }
    return reply;
}

connect::Message DetailReplies::AccountReply(const RequestRecord& request,
                                             const std::vector<ChangedField>& changes)
{
    connect::Message reply;
    if (request.type == kAddClient)
    {
        for (const ChangedField& change : changes)
            reply.AddValues(change.id, change.values);
        return reply;
    }
    reply.Add(fid::kAccount, request.entity);
    if (request.type == kDeleteAccount)
    {
        const FieldValues fields = m_store.Fields(EntityKind::Account, request.entity);
        for (std::int32_t id : {54002, fid::kCategory, fid::kBroker, fid::kBranch})
            AddCurrent(reply, fields, id);
        return reply;
    }
    for (const ChangedField& change : changes)
        AddNewAndOld(reply, change);
    return reply;
}

connect::Message DetailReplies::LimitsReply(const RequestRecord& request,
                                            const std::vector<ChangedField>& changes)
{
    connect::Message reply;
    const std::optional<LimitOwner> owner = LimitOwner::Parse(request.entity);
    if (!owner)
        return reply;
    static const std::int32_t kOwnerField[] = {fid::kBroker, fid::kBranch, fid::kAccountGroup, fid::kUser,
                                               fid::kAccount};
    reply.Add(kOwnerField[static_cast<int>(owner->level)], owner->code);
    for (const ChangedField& change : changes)
        AddNewAndOld(reply, change);
    // Terminals show a broker's or branch's limits only together with its exposure texts.
    if (owner->level == LimitOwner::Level::Broker || owner->level == LimitOwner::Level::Branch)
    {
        const FieldValues current = m_store.Fields(EntityKind::Limits, request.entity);
        for (std::int32_t id : {41282, 64420, 64421, 41336})
        {
            if (!Changes(changes, id))
                AddCurrent(reply, current, id);
        }
    }
    // The adhoc margin is shown only with its gate.
    if (reply.Has(fid::kAdhocMargin))
        reply.Add(fid::kAdhocGate, "OK");
    return reply;
}

} // namespace oms
