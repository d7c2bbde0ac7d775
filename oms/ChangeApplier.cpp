#include "oms/ChangeApplier.h"

#include "oms/FieldIds.h"
#include "oms/LimitOwner.h"

#include <algorithm>

namespace oms
{

namespace
{

std::string First(const FieldValues& fields, std::int32_t id)
{
    const auto it = fields.find(id);
    return it == fields.end() || it->second.empty() ? std::string() : it->second[0];
}

const char* Noun(EntityKind kind)
{
    return kind == EntityKind::User ? "user " : kind == EntityKind::Account ? "account " : "limits of ";
}

} // namespace

std::optional<std::string> ChangeApplier::Apply(const RequestRecord& request,
                                                const std::vector<ChangedField>& changes)
{
    switch (request.type)
    {
    case kAddUser:
    case kAddClient:
        return ApplyAdd(request, changes);
    case kModifyUser:
    case kModifyClient:
        return ApplyModify(request, changes);
    case kDeleteUser:
    case kDeleteAccount:
        return ApplyDelete(request);
    case kRmsLimits:
        return ApplyLimits(request, changes);
    default:
        return "request type " + std::to_string(request.type) + " cannot be applied";
    }
}

std::optional<std::string> ChangeApplier::ApplyAdd(const RequestRecord& request,
                                                   const std::vector<ChangedField>& changes)
{
    if (m_store.Entity(request.kind, request.entity))
        return std::string(Noun(request.kind)) + request.entity + " exists already";
    FieldValues fields;
    for (const ChangedField& change : changes)
        fields[change.id] = change.values;
    EntityRow row;
    row.broker = request.broker;
    row.branch = First(fields, fid::kBranch);
    row.category = request.category;
    if (request.kind == EntityKind::Account)
    {
        row.accountGroup = First(fields, fid::kAccountGroup);
        if (request.category == kInvestorClient)
        {
            row.linkedUser = First(fields, fid::kUser);
            if (!m_store.Entity(EntityKind::User, row.linkedUser))
                return "the investor user " + row.linkedUser + " of account " + request.entity +
                       " does not exist yet: accept the user's request first";
        }
    }
    m_store.PutEntity(request.kind, request.entity, row);
    m_store.PutFields(request.kind, request.entity, fields);
    return std::nullopt;
}

std::optional<std::string> ChangeApplier::ApplyModify(const RequestRecord& request,
                                                      const std::vector<ChangedField>& changes)
{
    std::optional<EntityRow> row = m_store.Entity(request.kind, request.entity);
    if (!row)
        return std::string(Noun(request.kind)) + request.entity + " no longer exists";
    FieldValues fields = m_store.Fields(request.kind, request.entity);

    // Exchange settings: the change names one exchange; an exchange the user lacks is added.
    const auto named = std::find_if(changes.begin(), changes.end(),
                                    [](const ChangedField& c) { return c.id == fid::kExchanges; });
    std::size_t exchangeIndex = 0;
    if (named != changes.end() && !named->values.empty())
    {
        Values& exchanges = fields[fid::kExchanges];
        const auto at = std::find(exchanges.begin(), exchanges.end(), named->values[0]);
        exchangeIndex = static_cast<std::size_t>(at - exchanges.begin());
        if (at == exchanges.end())
        {
            exchanges.push_back(named->values[0]);
            for (const FieldSpec& spec : FieldCatalogue::For(EntityKind::User))
            {
                if (spec.shape == Shape::PerExchange && spec.id != fid::kExchanges)
                    fields[spec.id].resize(exchanges.size(), spec.fallback);
            }
        }
    }
    for (const ChangedField& change : changes)
    {
        const FieldSpec* spec = FieldCatalogue::Find(request.kind, change.id);
        if (change.id == fid::kExchanges)
            continue;
        if (spec && spec->shape == Shape::PerExchange)
        {
            Values& values = fields[change.id];
            values.resize(std::max(values.size(), exchangeIndex + 1), spec->fallback);
            values[exchangeIndex] = change.values.empty() ? std::string(spec->fallback) : change.values[0];
        }
        else
            fields[change.id] = change.values;
    }
    row->branch = First(fields, fid::kBranch);
    row->category = request.category;
    if (request.kind == EntityKind::Account)
    {
        row->accountGroup = First(fields, fid::kAccountGroup);
        row->linkedUser = request.category == kInvestorClient ? First(fields, fid::kUser) : std::string();
        if (!row->linkedUser.empty() && !m_store.Entity(EntityKind::User, row->linkedUser))
            return "the investor user " + row->linkedUser +
                   " does not exist yet: accept the user's request first";
        if (row->linkedUser.empty())
            fields.erase(fid::kUser);
    }
    // Written whole, so that a field the account no longer has (an investor's user) goes.
    m_store.DeleteEntity(request.kind, request.entity);
    m_store.PutEntity(request.kind, request.entity, *row);
    m_store.PutFields(request.kind, request.entity, fields);
    return std::nullopt;
}

std::optional<std::string> ChangeApplier::ApplyDelete(const RequestRecord& request)
{
    if (!m_store.Entity(request.kind, request.entity))
        return std::string(Noun(request.kind)) + request.entity + " no longer exists";
    if (request.kind == EntityKind::User)
    {
        const std::vector<std::string> linked = m_store.AccountsLinkedTo(request.entity);
        if (!linked.empty())
            return "user " + request.entity + " is the investor user of account " + linked.front() +
                   ": delete the account first";
    }
    m_store.DeleteEntity(request.kind, request.entity);
    // Limits belong to their owner and go with it.
    const LimitOwner owner{request.kind == EntityKind::User ? LimitOwner::Level::Dealer
                                                            : LimitOwner::Level::Client,
                           request.entity};
    m_store.DeleteEntity(EntityKind::Limits, owner.ToString());
    return std::nullopt;
}

std::optional<std::string> ChangeApplier::ApplyLimits(const RequestRecord& request,
                                                      const std::vector<ChangedField>& changes)
{
    const std::optional<LimitOwner> owner = LimitOwner::Parse(request.entity);
    if (!owner)
        return "'" + request.entity + "' is not a limit owner";
    // The owner must still be there (a dealer or client may have been deleted meanwhile).
    if (owner->level == LimitOwner::Level::Dealer && !m_store.Entity(EntityKind::User, owner->code))
        return "user " + owner->code + " no longer exists";
    if (owner->level == LimitOwner::Level::Client && !m_store.Entity(EntityKind::Account, owner->code))
        return "account " + owner->code + " no longer exists";
    EntityRow row;
    row.broker = request.broker;
    row.branch = request.branch;
    row.accountGroup = request.accountGroup;
    row.category = request.category;
    if (!m_store.Entity(EntityKind::Limits, request.entity))
        m_store.PutEntity(EntityKind::Limits, request.entity, row);
    FieldValues fields;
    for (const ChangedField& change : changes)
        fields[change.id] = change.values;
    m_store.PutFields(EntityKind::Limits, request.entity, fields);
    return std::nullopt;
}

} // namespace oms
