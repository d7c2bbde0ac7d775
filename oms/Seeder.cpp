#include "oms/Seeder.h"

#include "oms/ChangeApplier.h"
#include "oms/FieldIds.h"
#include "oms/MakerDesk.h"
#include "oms/MakerError.h"
#include "oms/SampleRequests.h"
#include "oms/SqliteTransaction.h"

#include <limits>
#include <limits>
#include <stdexcept>

namespace oms
{

namespace
{

struct BrokerSeed
{
    const char* code;
    const char* name;
    const char* city;
};
const BrokerSeed kBrokers[] = {
    {"KIVO", "Kivo Securities Ltd", "Mumbai"},
    {"ASHV", "Ashva Capital Markets Pvt Ltd", "Ahmedabad"},
    {"DHAN", "Dhanvantri Stock Broking Ltd", "Chennai"},
};

struct BranchSeed
{
    const char* code;
    const char* broker;
    const char* name;
    const char* city;
};
const BranchSeed kBranches[] = {
    {"KIVO-MUM", "KIVO", "Nariman Point", "Mumbai"},      {"KIVO-PUN", "KIVO", "Deccan Gymkhana", "Pune"},
    {"KIVO-DEL", "KIVO", "Connaught Place", "New Delhi"}, {"KIVO-BLR", "KIVO", "Indiranagar", "Bengaluru"},
    {"ASHV-AMD", "ASHV", "Navrangpura", "Ahmedabad"},     {"ASHV-SUR", "ASHV", "Athwa Lines", "Surat"},
    {"ASHV-BRD", "ASHV", "Alkapuri", "Vadodara"},         {"DHAN-CHE", "DHAN", "T Nagar", "Chennai"},
    {"DHAN-CBE", "DHAN", "RS Puram", "Coimbatore"},       {"DHAN-HYD", "DHAN", "Banjara Hills", "Hyderabad"},
};

struct GroupSeed
{
    const char* code;
    const char* broker;
    const char* name;
};
const GroupSeed kGroups[] = {
    {"KIVO-RETAIL", "KIVO", "Retail"},      {"KIVO-HNI", "KIVO", "High net worth"},
    {"KIVO-PRO", "KIVO", "Proprietary"},    {"ASHV-RETAIL", "ASHV", "Retail"},
    {"ASHV-HNI", "ASHV", "High net worth"}, {"DHAN-RETAIL", "DHAN", "Retail"},
    {"DHAN-NRI", "DHAN", "Non-resident"},
};

struct StaffSeed
{
    const char* id;
    const char* branch;
    const char* type;
    const char* role;
};
// The broker and branch administrators' ids are their codes: that is how terminals of those
// privilege levels are told which requests are theirs.
const StaffSeed kStaff[] = {
    {"CHECKER1", "KIVO-MUM", "ADMIN", "Checker"},
    {"CHECKER2", "KIVO-DEL", "ADMIN", "Checker"},
    {"MAKER1", "KIVO-MUM", "ADMIN", "Maker"},
    {"MAKER2", "KIVO-PUN", "ADMIN", "Maker"},
    {"MAKER3", "KIVO-DEL", "ADMIN", "Maker"},
    {"RMS1", "KIVO-MUM", "RMS", "Risk Manager"},
    {"KIVO", "KIVO-MUM", "BROKER_ADMIN", "Broker Admin"},
    {"KIVO-MUM", "KIVO-MUM", "BRANCH_ADMIN", "Branch Admin"},
    {"KIVO-DEL", "KIVO-DEL", "BRANCH_ADMIN", "Branch Admin"},
    {"ASCHECK1", "ASHV-AMD", "ADMIN", "Checker"},
    {"ASMAKER1", "ASHV-AMD", "ADMIN", "Maker"},
    {"ASMAKER2", "ASHV-SUR", "ADMIN", "Maker"},
    {"ASHV", "ASHV-AMD", "BROKER_ADMIN", "Broker Admin"},
    {"ASHV-AMD", "ASHV-AMD", "BRANCH_ADMIN", "Branch Admin"},
    {"DHCHECK1", "DHAN-CHE", "ADMIN", "Checker"},
    {"DHMAKER1", "DHAN-CHE", "ADMIN", "Maker"},
    {"DHMAKER2", "DHAN-HYD", "ADMIN", "Maker"},
    {"DHAN", "DHAN-CHE", "BROKER_ADMIN", "Broker Admin"},
    {"DHAN-CHE", "DHAN-CHE", "BRANCH_ADMIN", "Branch Admin"},
};

constexpr const char* kAdministrator = "ADMIN1";

} // namespace

void Seeder::Run()
{
    SqliteTransaction transaction(m_store.Db());
    SampleData data(m_seed);
    SampleRequests samples(m_store, data);
    MakerDesk desk(m_store);
    ChangeApplier applier(m_store);

    for (const BrokerSeed& broker : kBrokers)
        m_store.AddBroker(broker.code, broker.name, broker.city);
    for (const BranchSeed& branch : kBranches)
        m_store.AddBranch(branch.code, branch.broker, branch.name, branch.city);
    for (const GroupSeed& group : kGroups)
        m_store.AddAccountGroup(group.code, group.broker, group.name);

    // The first administrator is there before anyone could have entered him.
    m_store.PutEntity(EntityKind::User, kAdministrator, EntityRow{"KIVO", "KIVO-MUM", "", "ADMIN", ""});
    m_store.PutFields(EntityKind::User, kAdministrator,
                      {{fid::kUser, {kAdministrator}},
                       {fid::kBroker, {"KIVO"}},
                       {fid::kBranch, {"KIVO-MUM"}},
                       {fid::kCategory, {"ADMIN"}},
                       {30001, {"Kivo Administrator"}},
                       {64060, {"Administrator"}},
                       {63213, {"Active"}}});

    // Everything else is made as an accepted request would make it.
    const auto create = [&](const MakerRequest& request)
    {
        const MakerDesk::Prepared prepared = desk.Prepare(request);
        if (const std::optional<std::string> refused = applier.Apply(prepared.request, prepared.changes))
            throw std::logic_error("seeding: " + *refused);
    };
    for (const StaffSeed& staff : kStaff)
        create(samples.NewUser(kAdministrator, staff.id, staff.branch, staff.type, staff.role));

    for (const BrokerSeed& broker : kBrokers)
    {
        const std::vector<std::string> branches = m_store.BranchesOf(broker.code);
        const std::vector<std::string> groups = m_store.GroupsOf(broker.code);
        const auto branch = [&](int i) { return branches[static_cast<std::size_t>(i) % branches.size()]; };
        // The first dealer and account of each broker have ids people can remember (KV1001, KVC10001).
        const std::string prefix = samples.Prefix(broker.code);
        for (int i = 0; i < m_size.dealersPerBroker; ++i)
            create(samples.NewUser(kAdministrator, i ? samples.NewId(broker.code, 'U') : prefix + "1001",
                                   branch(i), "DEALER", "Dealer"));
        for (int i = 0; i < m_size.investorsPerBroker; ++i)
        {
            const std::string id = samples.NewId(broker.code, 'I');
            create(samples.NewUser(kAdministrator, id, branch(i), kInvestorClient, "Investor"));
            create(samples.NewAccount(kAdministrator, id, branch(i), groups.front(), kInvestorClient, id));
        }
        static const char* const kCategories[] = {"RETAIL", "RETAIL",    "RETAIL", "RETAIL", "HNI",
                                                  "HNI",    "CORPORATE", "NRI",    "PRO"};
        for (int i = 0; i < m_size.accountsPerBroker; ++i)
        {
            const std::string category = data.Pick(kCategories);
            const std::string group =
                groups[static_cast<std::size_t>(data.Between(0, static_cast<int>(groups.size()) - 1))];
            create(samples.NewAccount(kAdministrator, i ? samples.NewId(broker.code, 'C') : prefix + "C10001",
                                      branch(i), group, category, ""));
        }

        create(samples.NewLimits(kAdministrator, std::string("broker:") + broker.code, true));
        for (const std::string& code : branches)
            create(samples.NewLimits(kAdministrator, "branch:" + code, true));
        for (const std::string& code : groups)
            create(samples.NewLimits(kAdministrator, "group:" + code, false));
    }
    for (const std::string& dealer : m_store.EntityIds(EntityKind::User, "DEALER"))
    {
        if (data.Chance(40))
            create(samples.NewLimits(kAdministrator, "dealer:" + dealer, false));
    }
    for (const std::string& account : m_store.EntityIds(EntityKind::Account))
    {
        if (data.Chance(50))
            create(samples.NewLimits(kAdministrator, "client:" + account, false));
    }

    // Pending requests: each type, investor pairs, one of the demo checker's own, then a mix.
    int entered = 0;
    const auto enter = [&](const std::vector<MakerRequest>& requests)
    {
        for (const MakerRequest& request : requests)
        {
            try
            {
                desk.EnterWithin(request);
                ++entered;
            }
            catch (const MakerError&)
            {
                // A sample that clashes with one entered before it (the same entity) is left out.
            }
        }
    };
    for (int type :
         {kAddUser, kModifyUser, kDeleteUser, kAddClient, kModifyClient, kDeleteAccount, kRmsLimits})
        enter(samples.OfType(type, ""));
    for (int i = 0; i < 3; ++i)
        enter(samples.OfType(kAddUser, "", true));
    for (int i = 0; i < 4; ++i)
        enter(samples.OfType(kRmsLimits, ""));
    if (const std::vector<std::string> dealers = m_store.EntityIds(EntityKind::User, "DEALER");
        !dealers.empty())
        enter({samples.ModifyUser("CHECKER1", dealers.back())});
    for (int attempts = 0; entered < m_size.pendingRequests && attempts < m_size.pendingRequests * 4;
         ++attempts)
        enter(samples.Any(""));
    // The starting set was published long before this server started: terminals list it by
    // recovery, and only what happens from now on is published.
    m_store.DeleteOutboxThrough(std::numeric_limits<std::int64_t>::max());
    transaction.Commit();
}

} // namespace oms
