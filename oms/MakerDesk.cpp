#include "oms/MakerDesk.h"

#include "oms/FieldIds.h"
#include "oms/LimitOwner.h"
#include "oms/MakerError.h"
#include "oms/Publication.h"
#include "oms/SqliteTransaction.h"

#include <algorithm>

namespace oms
{

namespace
{

[[noreturn]] void Refuse(const std::string& why)
{
    throw MakerError(why);
}

bool IsValidId(const std::string& id)
{
    if (id.empty() || id.size() > 20)
        return false;
    return std::all_of(id.begin(), id.end(),
                       [](char c)
                       {
                           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                  (c >= '0' && c <= '9') || c == '-' || c == '_';
                       });
}

Values SplitList(const std::string& raw)
{
    Values values;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t bar = raw.find('|', start);
        values.push_back(raw.substr(start, bar - start));
        if (bar == std::string::npos)
            return values;
        start = bar + 1;
    }
}

// The given fields, checked and normalised, by id.
FieldValues ReadFields(EntityKind kind, const MakerRequest& request)
{
    FieldValues fields;
    for (const auto& [name, raw] : request.fields)
    {
        const FieldSpec* spec = FieldCatalogue::Find(kind, name);
        if (!spec)
            Refuse("'" + name + "' is not a field of " +
                   std::string(kind == EntityKind::User      ? "a user"
                               : kind == EntityKind::Account ? "an account"
                                                             : "limits"));
        if (spec->identity)
            Refuse("the " + std::string(FieldCatalogue::KindName(kind)) +
                   "'s id is given before the fields, not as '" + name + "'");
        if (fields.count(spec->id))
            Refuse(std::string(spec->key) + " is given twice");
        Values values = spec->shape == Shape::Single ? Values{raw} : SplitList(raw);
        for (std::string& value : values)
        {
            std::string error;
            std::optional<std::string> normal = FieldCatalogue::Normalise(*spec, value, &error);
            if (!normal)
                Refuse(error);
            value = *normal;
        }
        fields[spec->id] = std::move(values);
    }
    return fields;
}

std::string Single(const FieldValues& fields, std::int32_t id)
{
    const auto it = fields.find(id);
    return it == fields.end() || it->second.empty() ? std::string() : it->second[0];
}

// Orders changes as the catalogue lists the fields, so that replies read the same every time.
void SortChanges(EntityKind kind, std::vector<ChangedField>& changes)
{
    const auto span = FieldCatalogue::For(kind);
    const auto rank = [&](std::int32_t id)
    {
        return std::find_if(span.begin(), span.end(), [id](const FieldSpec& s) { return s.id == id; }) -
               span.begin();
    };
    std::vector<std::pair<std::ptrdiff_t, std::size_t>> order;
    for (std::size_t i = 0; i < changes.size(); ++i)
        order.emplace_back(rank(changes[i].id), i);
    std::sort(order.begin(), order.end());
    std::vector<ChangedField> sorted;
    sorted.reserve(changes.size());
    for (const auto& [position, index] : order)
        sorted.push_back(std::move(changes[index]));
    changes.swap(sorted);
}

std::vector<ChangedField> AsNew(const FieldValues& fields)
{
    std::vector<ChangedField> changes;
    for (const auto& [id, values] : fields)
        changes.push_back(ChangedField{id, values, std::nullopt});
    return changes;
}

// The broker of the given branch; the branch must exist and, when a broker is given too, be
// one of its branches.
std::string BrokerFor(Store& store, const std::string& branch, const std::string& givenBroker)
{
    const std::optional<std::string> broker = store.BrokerOfBranch(branch);
    if (!broker)
        Refuse("there is no branch " + branch);
    if (!givenBroker.empty() && givenBroker != *broker)
        Refuse("branch " + branch + " belongs to broker " + *broker + ", not " + givenBroker);
    return *broker;
}

// Exchange settings of a new user: every exchange gets a value of each per-exchange field.
void CompleteExchanges(FieldValues& fields)
{
    const auto exchanges = fields.find(fid::kExchanges);
    const std::size_t count = exchanges == fields.end() ? 0 : exchanges->second.size();
    if (exchanges != fields.end())
    {
        Values sorted = exchanges->second;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
            Refuse("an exchange is listed twice in exchanges");
    }
    for (const FieldSpec& spec : FieldCatalogue::For(EntityKind::User))
    {
        if (spec.shape != Shape::PerExchange || spec.id == fid::kExchanges)
            continue;
        const auto it = fields.find(spec.id);
        if (it == fields.end())
        {
            if (count)
                fields[spec.id] = Values(count, spec.fallback);
        }
        else if (it->second.size() != count)
            Refuse(std::string(spec.key) + " needs one value for each of the " + std::to_string(count) +
                   " exchanges");
    }
    if (count && !fields.count(63076))
        fields[63076] = {"Y"};
}

void CheckGroup(Store& store, const std::string& group, const std::string& broker)
{
    if (group.empty())
        return;
    const std::optional<std::string> owner = store.BrokerOfGroup(group);
    if (!owner)
        Refuse("there is no account group " + group);
    if (*owner != broker)
        Refuse("account group " + group + " belongs to broker " + *owner + ", not " + broker);
}

// An investor client's user exists, or waits to be added as an investor.
void CheckInvestorUser(Store& store, const std::string& user)
{
    if (user.empty())
        Refuse("an investor client needs its linked-user");
    if (const std::optional<EntityRow> row = store.Entity(EntityKind::User, user))
    {
        if (row->category != kInvestorClient)
            Refuse("user " + user + " is not an investor (type " + row->category + ")");
        return;
    }
    const std::optional<std::int64_t> pending = store.PendingFor(EntityKind::User, user);
    const std::optional<RequestRecord> add = pending ? store.Request(*pending) : std::nullopt;
    if (!add || add->type != kAddUser || add->category != kInvestorClient)
        Refuse("there is no investor user " + user + ", and none waits to be added");
}

// The fields whose given values differ from the current ones, with the current ones as old.
std::vector<ChangedField> Differences(const FieldValues& given, const FieldValues& current)
{
    std::vector<ChangedField> changes;
    for (const auto& [id, values] : given)
    {
        const auto now = current.find(id);
        if (now != current.end() && now->second == values)
            continue;
        changes.push_back(ChangedField{
            id, values, now == current.end() ? std::nullopt : std::optional<Values>(now->second)});
    }
    return changes;
}

} // namespace

MakerDesk::Prepared MakerDesk::Prepare(const MakerRequest& in)
{
    Prepared out;
    RequestRecord& r = out.request;
    r.maker = in.maker;
    r.type = in.type;
    r.enteredAt = Store::Now();
    if (in.maker.empty())
        Refuse("a request needs its maker");
    if (!m_store.Entity(EntityKind::User, in.maker))
        Refuse(in.maker + " is not a user of this server");
    if (IsUserType(in.type))
        PrepareUser(in, out);
    else if (IsAccountType(in.type))
        PrepareAccount(in, out);
    else if (in.type == kRmsLimits)
        PrepareLimits(in, out);
    else
        Refuse(std::to_string(in.type) + " is not a request type (339, 340, 365, 353, 354, 366 or 360)");
    if (const std::optional<std::int64_t> pending = m_store.PendingFor(r.kind, r.entity))
        Refuse("request " + std::to_string(*pending) + " for " + r.entity +
               " is still waiting for a checker; a second change waits until it is decided");
    SortChanges(r.kind, out.changes);
    return out;
}

void MakerDesk::PrepareUser(const MakerRequest& in, Prepared& out)
{
    RequestRecord& r = out.request;
    r.kind = EntityKind::User;
    r.entity = in.entity;
    r.user = in.entity;
    FieldValues given = ReadFields(EntityKind::User, in);
    const std::optional<EntityRow> row = m_store.Entity(EntityKind::User, in.entity);

    if (in.type == kAddUser)
    {
        if (!IsValidId(in.entity))
            Refuse("'" + in.entity + "' is not a valid user id (letters, digits, '-' and '_', at most 20)");
        if (row)
            Refuse("user " + in.entity + " exists already");
        r.branch = Single(given, fid::kBranch);
        if (r.branch.empty())
            Refuse("a new user needs a branch");
        if (Single(given, 30001).empty())
            Refuse("a new user needs a name");
        r.broker = BrokerFor(m_store, r.branch, Single(given, fid::kBroker));
        if (!given.count(fid::kCategory))
            given[fid::kCategory] = {"DEALER"};
        r.category = Single(given, fid::kCategory);
        CompleteExchanges(given);
        given[fid::kUser] = {in.entity};
        given[fid::kBroker] = {r.broker};
        out.changes = AsNew(given);
        return;
    }

    if (!row)
        Refuse("there is no user " + in.entity);
    r.broker = row->broker;
    r.branch = row->branch;
    r.category = row->category;
    if (in.type == kDeleteUser)
    {
        if (!in.fields.empty())
            Refuse("a deletion takes no fields");
        if (in.entity == in.maker)
            Refuse("a maker cannot delete himself");
        const std::vector<std::string> linked = m_store.AccountsLinkedTo(in.entity);
        if (!linked.empty())
            Refuse("user " + in.entity + " is the investor user of account " + linked.front() +
                   "; delete the account first");
        return;
    }

    // A modification.
    const FieldValues current = m_store.Fields(EntityKind::User, in.entity);
    if (given.count(fid::kBranch))
    {
        r.branch = Single(given, fid::kBranch);
        const std::string broker = BrokerFor(m_store, r.branch, "");
        if (broker != row->broker)
            Refuse("branch " + r.branch + " belongs to broker " + broker + ": a user stays with broker " +
                   row->broker);
    }
    if (given.count(fid::kBroker) && Single(given, fid::kBroker) != row->broker)
        Refuse("a user stays with broker " + row->broker);
    given.erase(fid::kBroker);
    if (given.count(fid::kCategory))
        r.category = Single(given, fid::kCategory);

    // Exchange settings change one exchange at a time, named by 'exchanges'.
    FieldValues exchangeGiven;
    for (const FieldSpec& spec : FieldCatalogue::For(EntityKind::User))
    {
        if (spec.shape == Shape::PerExchange && given.count(spec.id))
        {
            exchangeGiven[spec.id] = given[spec.id];
            given.erase(spec.id);
        }
    }
    out.changes = Differences(given, current);
    if (!exchangeGiven.empty())
    {
        const auto named = exchangeGiven.find(fid::kExchanges);
        if (named == exchangeGiven.end() || named->second.size() != 1)
            Refuse("exchange settings change one exchange at a time: name it with exchanges=<segment>");
        const std::string segment = named->second[0];
        const auto currentExchanges = current.find(fid::kExchanges);
        std::ptrdiff_t index = -1;
        if (currentExchanges != current.end())
        {
            const auto at =
                std::find(currentExchanges->second.begin(), currentExchanges->second.end(), segment);
            if (at != currentExchanges->second.end())
                index = at - currentExchanges->second.begin();
        }
        std::vector<ChangedField> exchangeChanges;
        for (const FieldSpec& spec : FieldCatalogue::For(EntityKind::User))
        {
            if (spec.shape != Shape::PerExchange || spec.id == fid::kExchanges)
                continue;
            const auto it = exchangeGiven.find(spec.id);
            if (it != exchangeGiven.end() && it->second.size() != 1)
                Refuse(std::string(spec.key) + " takes one value when one exchange changes");
            if (index < 0)
            {
                // An exchange the user did not have: all its settings are new.
                exchangeChanges.push_back(ChangedField{
                    spec.id, {it == exchangeGiven.end() ? spec.fallback : it->second[0]}, std::nullopt});
                continue;
            }
            if (it == exchangeGiven.end())
                continue;
            const auto now = current.find(spec.id);
            std::optional<Values> old;
            if (now != current.end() && static_cast<std::size_t>(index) < now->second.size())
                old = Values{now->second[static_cast<std::size_t>(index)]};
            if (old && *old == it->second)
                continue;
            exchangeChanges.push_back(ChangedField{spec.id, it->second, old});
        }
        if (!exchangeChanges.empty())
        {
            out.changes.push_back(ChangedField{fid::kExchanges, {segment}, std::nullopt});
            out.changes.insert(out.changes.end(), exchangeChanges.begin(), exchangeChanges.end());
        }
    }
    if (out.changes.empty())
        Refuse("the request changes nothing for user " + in.entity);
}

void MakerDesk::PrepareAccount(const MakerRequest& in, Prepared& out)
{
    RequestRecord& r = out.request;
    r.kind = EntityKind::Account;
    r.entity = in.entity;
    r.account = in.entity;
    FieldValues given = ReadFields(EntityKind::Account, in);
    const std::optional<EntityRow> row = m_store.Entity(EntityKind::Account, in.entity);

    if (in.type == kAddClient)
    {
        if (!IsValidId(in.entity))
            Refuse("'" + in.entity +
                   "' is not a valid account id (letters, digits, '-' and '_', at most 20)");
        if (row)
            Refuse("account " + in.entity + " exists already");
        r.branch = Single(given, fid::kBranch);
        if (r.branch.empty())
            Refuse("a new account needs a branch");
        if (Single(given, 54002).empty())
            Refuse("a new account needs a name");
        r.broker = BrokerFor(m_store, r.branch, Single(given, fid::kBroker));
        CheckGroup(m_store, Single(given, fid::kAccountGroup), r.broker);
        if (!given.count(fid::kCategory))
            given[fid::kCategory] = {"RETAIL"};
        r.category = Single(given, fid::kCategory);
        if (r.category == kInvestorClient)
        {
            r.user = Single(given, fid::kUser);
            CheckInvestorUser(m_store, r.user);
        }
        else if (given.count(fid::kUser))
            Refuse("only an investor client has a linked-user");
        given[fid::kAccount] = {in.entity};
        given[fid::kBroker] = {r.broker};
        out.changes = AsNew(given);
        return;
    }

    if (!row)
        Refuse("there is no account " + in.entity);
    r.broker = row->broker;
    r.branch = row->branch;
    r.category = row->category;
    r.user = row->category == kInvestorClient ? row->linkedUser : std::string();
    if (in.type == kDeleteAccount)
    {
        if (!in.fields.empty())
            Refuse("a deletion takes no fields");
        return;
    }

    const FieldValues current = m_store.Fields(EntityKind::Account, in.entity);
    if (given.count(fid::kBranch))
    {
        r.branch = Single(given, fid::kBranch);
        if (BrokerFor(m_store, r.branch, "") != row->broker)
            Refuse("branch " + r.branch + " belongs to another broker: an account stays with broker " +
                   row->broker);
    }
    if (given.count(fid::kBroker) && Single(given, fid::kBroker) != row->broker)
        Refuse("an account stays with broker " + row->broker);
    given.erase(fid::kBroker);
    if (given.count(fid::kAccountGroup))
        CheckGroup(m_store, Single(given, fid::kAccountGroup), row->broker);
    if (given.count(fid::kCategory))
        r.category = Single(given, fid::kCategory);
    if (r.category == kInvestorClient)
    {
        r.user = given.count(fid::kUser) ? Single(given, fid::kUser) : row->linkedUser;
        CheckInvestorUser(m_store, r.user);
    }
    else
    {
        if (given.count(fid::kUser))
            Refuse("only an investor client has a linked-user");
        r.user.clear();
    }
    out.changes = Differences(given, current);
    if (out.changes.empty())
        Refuse("the request changes nothing for account " + in.entity);
}

void MakerDesk::PrepareLimits(const MakerRequest& in, Prepared& out)
{
    RequestRecord& r = out.request;
    r.kind = EntityKind::Limits;
    const std::optional<LimitOwner> owner = LimitOwner::Parse(in.entity);
    if (!owner)
        Refuse("'" + in.entity +
               "' is not a limit owner: write broker:, branch:, group:, dealer: or client: and "
               "the code");
    r.entity = owner->ToString();
    r.category = owner->Category();
    switch (owner->level)
    {
    case LimitOwner::Level::Broker:
        if (!m_store.BrokerExists(owner->code))
            Refuse("there is no broker " + owner->code);
        r.broker = owner->code;
        break;
    case LimitOwner::Level::Branch:
        r.broker = BrokerFor(m_store, owner->code, "");
        r.branch = owner->code;
        break;
    case LimitOwner::Level::Group:
    {
        const std::optional<std::string> broker = m_store.BrokerOfGroup(owner->code);
        if (!broker)
            Refuse("there is no account group " + owner->code);
        r.broker = *broker;
        r.accountGroup = owner->code;
        break;
    }
    case LimitOwner::Level::Dealer:
    case LimitOwner::Level::Client:
    {
        const bool dealer = owner->level == LimitOwner::Level::Dealer;
        const std::optional<EntityRow> row =
            m_store.Entity(dealer ? EntityKind::User : EntityKind::Account, owner->code);
        if (!row)
            Refuse(std::string("there is no ") + (dealer ? "user " : "account ") + owner->code);
        r.broker = row->broker;
        r.branch = row->branch;
        (dealer ? r.user : r.account) = owner->code;
        break;
    }
    }
    const FieldValues given = ReadFields(EntityKind::Limits, in);
    if (given.empty())
        Refuse("a limits request needs at least one limit");
    out.changes = Differences(given, m_store.Fields(EntityKind::Limits, r.entity));
    if (out.changes.empty())
        Refuse("the request changes no limit of " + r.entity);
}

std::int64_t MakerDesk::EnterWithin(const MakerRequest& request)
{
    Prepared prepared = Prepare(request);
    const std::int64_t key = m_store.InsertRequest(prepared.request, prepared.changes);
    m_store.AppendOutbox(PublishedForm(prepared.request));
    return key;
}

std::int64_t MakerDesk::Enter(const MakerRequest& request)
{
    SqliteTransaction transaction(m_store.Db());
    const std::int64_t key = EnterWithin(request);
    transaction.Commit();
    return key;
}

} // namespace oms
