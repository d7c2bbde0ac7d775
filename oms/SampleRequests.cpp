#include "oms/SampleRequests.h"

#include "oms/FieldCatalogue.h"
#include "oms/FieldIds.h"
#include "oms/LimitOwner.h"
#include "oms/RequestRecord.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace oms
{

namespace
{

const char* const kSegments[] = {"nse_cm", "bse_cm", "nse_fo", "bse_fo", "cde_fo", "mcx_fo", "ncx_fo"};
// The account field that holds the participant code of each segment's exchange.
const char* PcodeKey(const std::string& segment)
{
    if (segment == "nse_cm")
        return "pcode-nse";
    if (segment == "bse_cm")
        return "pcode-bse";
    if (segment == "nse_fo")
        return "pcode-nfo";
    if (segment == "bse_fo")
        return "pcode-bfo";
    if (segment == "cde_fo")
        return "pcode-cds";
    if (segment == "mcx_fo")
        return "pcode-mcx";
    return "pcode-ncdex";
}
const char* UccKey(const std::string& segment)
{
    if (segment == "nse_cm")
        return "ucc-nse";
    if (segment == "bse_cm")
        return "ucc-bse";
    if (segment == "nse_fo")
        return "ucc-nfo";
    if (segment == "bse_fo")
        return "ucc-bfo";
    if (segment == "cde_fo")
        return "ucc-cds";
    if (segment == "mcx_fo")
        return "ucc-mcx";
    return "ucc-ncdex";
}

const char* const kTags[] = {"Equity desk", "Derivatives desk", "Commodity desk", "HNI desk",
                             "Retail desk", "Online",           "Call and trade"};
const char* const kProducts[] = {"CNC|MIS|NRML",    "CNC|MIS",        "CNC",
                                 "CNC|MIS|NRML|ML", "MIS|NRML|CO|BO", "CNC|MIS|NRML|CO"};
const char* const kCategoryNames[] = {"Standard", "Premium", "Intraday", "Delivery only", "HNI", "Staff"};
const char* const kRemarks[] = {"Revised after quarterly review", "Raised on client request",
                                "Reduced after margin shortfall", "Festival season enhancement",
                                "As per risk committee",          "Temporary increase for IPO week"};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

std::string Value(const FieldValues& fields, std::int32_t id)
{
    const auto it = fields.find(id);
    return it == fields.end() || it->second.empty() ? std::string() : it->second[0];
}

void Add(MakerRequest& request, const char* key, const std::string& value)
{
    request.fields.emplace_back(key, value);
}

// How much bigger the limits of each level are than a client's.
long long Scale(const std::string& owner)
{
    const std::optional<LimitOwner> parsed = LimitOwner::Parse(owner);
    if (!parsed)
        return 1;
    switch (parsed->level)
    {
    case LimitOwner::Level::Broker:
        return 1000;
    case LimitOwner::Level::Branch:
        return 100;
    case LimitOwner::Level::Group:
        return 50;
    case LimitOwner::Level::Dealer:
        return 10;
    case LimitOwner::Level::Client:
        return 1;
    }
    return 1;
}

std::string Join(const std::vector<std::string>& items, const char* separator)
{
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i)
        joined += (i ? separator : "") + items[i];
    return joined;
}

} // namespace

std::string SampleRequests::Prefix(const std::string& broker) const
{
    if (broker == "KIVO")
        return "KV";
    if (broker == "ASHV")
        return "AS";
    if (broker == "DHAN")
        return "DH";
    return broker.substr(0, 2);
}

std::string SampleRequests::NewId(const std::string& broker, char style)
{
    for (;;)
    {
        std::string id = Prefix(broker);
        if (style == 'C')
            id += "C" + std::to_string(m_data.Between(10000, 99999));
        else if (style == 'I')
            id += "I" + std::to_string(m_data.Between(1000, 9999));
        else
            id += std::to_string(m_data.Between(1000, 9999));
        const bool taken = m_store.Entity(EntityKind::User, id) || m_store.Entity(EntityKind::Account, id) ||
                           m_store.PendingFor(EntityKind::User, id) ||
                           m_store.PendingFor(EntityKind::Account, id);
        if (!taken)
            return id;
    }
}

MakerRequest SampleRequests::NewUser(const std::string& maker, const std::string& id,
                                     const std::string& branch, const std::string& type,
                                     const std::string& role)
{
    MakerRequest r{maker, kAddUser, id, {}};
    const SampleData::Person person = m_data.NewPerson();
    const SampleData::City& city = m_data.AnyCity();
    const bool investor = type == kInvestorClient;
    Add(r, "branch", branch);
    Add(r, "type", type);
    Add(r, "name", person.Full());
    Add(r, "target-user", id);
    Add(r, "email", m_data.Email(person, investor ? "gmail.com" : "kivo-trade.in"));
    Add(r, "pan", m_data.Pan(person));
    Add(r, "dob", m_data.Date(1962, 2001));
    Add(r, "address", m_data.Address(city));
    Add(r, "password", "********");
    Add(r, "trans-password", "********");
    Add(r, "2fa", m_data.Chance(85) ? "Y" : "N");
    Add(r, "client-overview", investor ? "N" : (m_data.Chance(60) ? "Y" : "N"));
    Add(r, "peer-admin", "N");
    Add(r, "auto-squareoff", m_data.Chance(70) ? "Y" : "N");
    Add(r, "access-type", investor ? "Trade Only" : (role == "Dealer" ? "Full" : "View Only"));
    Add(r, "max-scrips", std::to_string(m_data.Between(1, 10) * 50));
    Add(r, "max-portfolios", std::to_string(m_data.Between(5, 25)));
    Add(r, "warning-days", std::to_string(m_data.Chance(50) ? 15 : 30));
    Add(r, "ip", m_data.Ip());
    Add(r, "mac", m_data.Mac());
    Add(r, "status", "Active");
    Add(r, "role", role);
    Add(r, "tag", investor ? "Online" : m_data.Pick(kTags));
    Add(r, "pro-orders", role == "Dealer" && m_data.Chance(20) ? "Y" : "N");
    Add(r, "round-off", "0.05");
    if (m_data.Chance(25))
        Add(r, "arn", "ARN-" + m_data.Digits(6));

    if (role == "Dealer" || investor)
    {
        std::vector<std::string> segments(std::begin(kSegments), std::end(kSegments));
        std::shuffle(segments.begin(), segments.end(), m_data.Engine());
        segments.resize(static_cast<std::size_t>(m_data.Between(investor ? 1 : 2, investor ? 3 : 5)));
        std::vector<std::string> expiry;
        std::vector<std::string> users;
        std::vector<std::string> info;
        std::vector<std::string> route;
        for (std::size_t i = 0; i < segments.size(); ++i)
        {
            expiry.push_back(m_data.Chance(30) ? "0" : m_data.Date(2026, 2029));
            users.push_back(investor || m_data.Chance(40) ? "-1" : m_data.Digits(5));
            info.push_back(m_data.Chance(50) ? "-1" : "CTCL-" + m_data.Digits(4));
            route.push_back(m_data.Chance(85) ? "OK" : "NO");
        }
        Add(r, "exchanges", Join(segments, "|"));
        Add(r, "expiry", Join(expiry, "|"));
        Add(r, "exchange-user", Join(users, "|"));
        Add(r, "exchange-info", Join(info, "|"));
        Add(r, "route-to-rms", Join(route, "|"));
        Add(r, "exchange-status", "Y");
        Add(r, "products", m_data.Pick(kProducts));
        Add(r, "order-types", m_data.Chance(50) ? "LIMIT|MARKET|SL|SL-M" : "LIMIT|MARKET");
        Add(r, "actions", investor ? "Place|Modify|Cancel" : "Place|Modify|Cancel|Square Off|Convert");
        if (m_data.Chance(60))
            Add(r, "attributes", m_data.Chance(50) ? "AMO|GTT" : "AMO|Basket|Algo");
    }
    return r;
}

std::string SampleRequests::NewEmail(const std::string& name)
{
    static const char* const kProviders[] = {"gmail.com", "outlook.com", "yahoo.co.in", "rediffmail.com"};
    std::string local;
    for (char c : name)
    {
        if (c == ' ')
            local += '.';
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            local += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return local + std::to_string(m_data.Between(1, 99)) + "@" + m_data.Pick(kProviders);
}

MakerRequest SampleRequests::NewAccount(const std::string& maker, const std::string& id,
                                        const std::string& branch, const std::string& group,
                                        const std::string& category, const std::string& linkedUser,
                                        const std::string& holder)
{
    MakerRequest r{maker, kAddClient, id, {}};
    const bool corporate = category == "CORPORATE";
    const bool nri = category == "NRI";
    SampleData::Person person = m_data.NewPerson();
    if (category == kInvestorClient && !linkedUser.empty())
    {
        // The investor's user and his account are one person.
        const std::string name =
            holder.empty() ? Value(m_store.Fields(EntityKind::User, linkedUser), 30001) : holder;
        if (const std::size_t space = name.find(' '); space != std::string::npos)
        {
            person.first = name.substr(0, space);
            person.last = name.substr(space + 1);
        }
    }
    const SampleData::City& city = m_data.AnyCity();
    const SampleData::Bank& bank = m_data.AnyBank();
    Add(r, "branch", branch);
    if (!group.empty())
        Add(r, "group", group);
    Add(r, "category", category);
    if (!linkedUser.empty())
        Add(r, "linked-user", linkedUser);
    Add(r, "name", corporate ? m_data.Company() : person.Full());
    Add(r, "exchange-account", id);
    Add(r, "email",
        corporate ? "accounts@" + Lower(person.last) + ".co.in" : m_data.Email(person, "gmail.com"));
    Add(r, "mobile", m_data.Mobile());
    Add(r, "address", m_data.Address(city));
    if (corporate || m_data.Chance(30))
    {
        Add(r, "office-address", m_data.Address(city));
        Add(r, "office-phone", m_data.Landline(city));
    }
    if (m_data.Chance(40))
        Add(r, "home-phone", m_data.Landline(city));
    Add(r, "client-type", corporate ? "Corporate" : (m_data.Chance(8) ? "HUF" : "Individual"));
    Add(r, "client-status", "Active");
    static const char* const kSquareOff[] = {"Online-Sqroff", "Offline-Sqroff", "Online-NonSqroff",
                                             "Offline-NonSqroff"};
    Add(r, "square-off", m_data.Pick(kSquareOff));
    Add(r, "sor", m_data.Chance(30) ? "Y" : "N");
    if (!corporate)
        Add(r, "client-dob", m_data.Date(1950, 2004));
    Add(r, "account-1", m_data.BankAccount());
    Add(r, "bank-1", bank.name);
    Add(r, "bank-branch-1", m_data.BankBranch(city));
    Add(r, "bank-address-1", m_data.Address(city));
    Add(r, "bank-customer", m_data.Digits(8));
    Add(r, "account-type", nri ? "NRE" : (corporate ? "Current" : "Savings"));
    Add(r, "statement-mode", m_data.Chance(70) ? "Email" : "Both");
    Add(r, "operation-mode", m_data.Chance(80) ? "Single" : "Joint");
    Add(r, "dp-maker", m_data.Chance(50) ? "NSDL" : "CDSL");
    Add(r, "pin", m_data.Pin(city));
    static const char* const kModes[] = {"NEFT", "NEFT", "RTGS", "ECS"};
    const std::string mode = m_data.Pick(kModes);
    Add(r, "payment-mode", mode);
    if (mode == "ECS")
        Add(r, "ecs-code", m_data.Digits(9));
    else
        Add(r, mode == "RTGS" ? "rtgs-code" : "neft-code", m_data.Ifsc(bank));
    Add(r, "pan", m_data.Pan(person, corporate ? 'C' : 'P'));
    if (m_data.Chance(30))
    {
        const SampleData::Bank& second = m_data.AnyBank();
        Add(r, "bank-2", second.name);
        Add(r, "bank-address-2", m_data.Address(city));
        Add(r, "bank-branch-2", m_data.BankBranch(city));
        Add(r, "account-2", m_data.BankAccount());
    }
    Add(r, "dp-1", m_data.DepositoryAccount());
    if (m_data.Chance(20))
        Add(r, "dp-2", m_data.DepositoryAccount());
    if (!corporate)
    {
        Add(r, "gender", person.gender);
        Add(r, "occupation", m_data.Occupation());
        Add(r, "dob", m_data.Date(1950, 2004));
    }
    Add(r, "city", city.name);
    Add(r, "state", city.state);
    Add(r, "folio", m_data.Digits(10));
    Add(r, "kyc", m_data.Chance(95) ? "Y" : "N");
    if (!corporate && m_data.Chance(4))
    {
        const SampleData::Person guardian = m_data.NewPerson();
        Add(r, "guardian", guardian.Full());
        Add(r, "guardian-pan", m_data.Pan(guardian));
    }
    Add(r, "tax-status", nri ? "NRI" : (corporate ? "Company" : "Resident"));

    std::vector<std::string> segments(std::begin(kSegments), std::end(kSegments));
    std::shuffle(segments.begin() + 1, segments.end(), m_data.Engine());
    segments.resize(static_cast<std::size_t>(m_data.Between(1, 4)));
    Add(r, "segments", Join(segments, "|"));
    for (const std::string& segment : segments)
    {
        Add(r, PcodeKey(segment), "P" + m_data.Digits(5));
        Add(r, UccKey(segment), id);
    }
    Add(r, "products", m_data.Pick(kProducts));
    return r;
}

MakerRequest SampleRequests::NewLimits(const std::string& maker, const std::string& owner, bool full)
{
    MakerRequest r{maker, kRmsLimits, owner, {}};
    const long long scale = Scale(owner);
    for (const FieldSpec& spec : FieldCatalogue::For(EntityKind::Limits))
    {
        // A usual set: margins, exposure and turnover, the order limits, and a few more.
        const bool usual = spec.id == 64031 || spec.id == 64033 || spec.id == 64035 || spec.id == 54019 ||
                           spec.id == 41235 || spec.id == 41236 || spec.id == 64211 || spec.id == 64210 ||
                           spec.id == 13034 || spec.id == 64037;
        if (!full && !usual && !m_data.Chance(15))
            continue;
        switch (spec.form)
        {
        case Form::Number:
            r.fields.emplace_back(spec.key, m_data.Amount(50000 * scale, 5000000 * scale, 5000 * scale));
            break;
        case Form::Integer:
            r.fields.emplace_back(spec.key, std::to_string(m_data.Between(1, 500) * 100 * scale));
            break;
        case Form::YesNoWord:
            r.fields.emplace_back(spec.key, m_data.Chance(60) ? "yes" : "no");
            break;
        default:
            if (spec.id == 13034)
                r.fields.emplace_back(spec.key, m_data.Pick(kCategoryNames));
            else if (spec.id == 64312)
                r.fields.emplace_back(spec.key, m_data.Pick(kRemarks));
            else
                r.fields.emplace_back(spec.key, std::to_string(m_data.Between(10, 900) * 10000 * scale));
            break;
        }
    }
    return r;
}

MakerRequest SampleRequests::ModifyUser(const std::string& maker, const std::string& id)
{
    MakerRequest r{maker, kModifyUser, id, {}};
    const FieldValues current = m_store.Fields(EntityKind::User, id);
    const int changes = m_data.Between(1, 3);
    for (int i = 0; i < changes; ++i)
    {
        std::vector<std::string> taken;
        for (const auto& field : r.fields)
            taken.push_back(field.first);
        const auto has = [&](const char* key)
        { return std::find(taken.begin(), taken.end(), key) != taken.end(); };
        switch (m_data.Between(0, 9))
        {
        case 0:
            if (!has("email"))
                Add(r, "email", NewEmail(Value(current, 30001)));
            break;
        case 1:
            if (!has("address"))
                Add(r, "address", m_data.Address(m_data.AnyCity()));
            break;
        case 2:
            if (!has("status"))
                Add(r, "status", Value(current, 63213) == "Active" ? "Suspended" : "Active");
            break;
        case 3:
            if (!has("2fa"))
                Add(r, "2fa", Value(current, 43438) == "Y" ? "N" : "Y");
            break;
        case 4:
            if (!has("max-scrips"))
                Add(r, "max-scrips", std::to_string(m_data.Between(1, 12) * 50));
            break;
        case 5:
            if (!has("ip"))
            {
                Add(r, "ip", m_data.Ip());
                Add(r, "mac", m_data.Mac());
            }
            break;
        case 6:
            if (!has("tag"))
                Add(r, "tag", m_data.Pick(kTags));
            break;
        case 7:
            if (!has("products"))
                Add(r, "products", m_data.Pick(kProducts));
            break;
        default:
            if (!has("exchanges"))
            {
                // One exchange: its route or its exchange user, or a new exchange.
                const auto exchanges = current.find(fid::kExchanges);
                if (exchanges != current.end() && !exchanges->second.empty() && m_data.Chance(75))
                {
                    const std::size_t index = static_cast<std::size_t>(
                        m_data.Between(0, static_cast<int>(exchanges->second.size()) - 1));
                    Add(r, "exchanges", exchanges->second[index]);
                    const auto route = current.find(64025);
                    const bool ok = route != current.end() && index < route->second.size() &&
                                    route->second[index] == "OK";
                    if (m_data.Chance(50))
                        Add(r, "route-to-rms", ok ? "NO" : "OK");
                    else
                        Add(r, "exchange-user", m_data.Digits(5));
                }
                else
                {
                    std::vector<std::string> missing;
                    for (const char* segment : kSegments)
                    {
                        if (exchanges == current.end() ||
                            std::find(exchanges->second.begin(), exchanges->second.end(), segment) ==
                                exchanges->second.end())
                            missing.emplace_back(segment);
                    }
                    if (!missing.empty())
                    {
                        Add(r, "exchanges",
                            missing[static_cast<std::size_t>(
                                m_data.Between(0, static_cast<int>(missing.size()) - 1))]);
                        Add(r, "expiry", m_data.Date(2026, 2029));
                    }
                }
            }
            break;
        }
    }
    if (r.fields.empty())
        Add(r, "email", NewEmail(Value(current, 30001)));
    return r;
}

MakerRequest SampleRequests::ModifyAccount(const std::string& maker, const std::string& id)
{
    MakerRequest r{maker, kModifyClient, id, {}};
    const FieldValues current = m_store.Fields(EntityKind::Account, id);
    const int changes = m_data.Between(1, 3);
    std::vector<int> chosen;
    for (int i = 0; i < changes; ++i)
    {
        const int pick = m_data.Between(0, 8);
        if (std::find(chosen.begin(), chosen.end(), pick) != chosen.end())
            continue;
        chosen.push_back(pick);
        const SampleData::City& city = m_data.CityNamed(Value(current, 44513));
        switch (pick)
        {
        case 0:
            Add(r, "mobile", m_data.Mobile());
            break;
        case 1:
            Add(r, "email", NewEmail(Value(current, 54002)));
            break;
        case 2:
            Add(r, "address", m_data.Address(city));
            break;
        case 3:
            Add(r, "client-status", Value(current, 54003) == "Active" ? "Dormant" : "Active");
            break;
        case 4:
        {
            static const char* const kSquareOff[] = {"Online-Sqroff", "Offline-Sqroff", "Online-NonSqroff",
                                                     "Offline-NonSqroff"};
            std::string next = Value(current, 12014);
            while (next == Value(current, 12014))
                next = m_data.Pick(kSquareOff);
            Add(r, "square-off", next);
            break;
        }
        case 5:
            Add(r, "sor", Value(current, 64807) == "Y" ? "N" : "Y");
            break;
        case 6:
        {
            // A new bank account, paid by NEFT.
            const SampleData::Bank& bank = m_data.AnyBank();
            Add(r, "bank-1", bank.name);
            Add(r, "bank-branch-1", m_data.BankBranch(city));
            Add(r, "account-1", m_data.BankAccount());
            Add(r, "payment-mode", "NEFT");
            Add(r, "neft-code", m_data.Ifsc(bank));
            break;
        }
        case 7:
        {
            // One more segment, with its participant code.
            const std::string segments = Value(current, fid::kSegments);
            for (const char* segment : kSegments)
            {
                if (segments.find(segment) == std::string::npos)
                {
                    Add(r, "segments", segments.empty() ? segment : segments + "|" + segment);
                    Add(r, PcodeKey(segment), "P" + m_data.Digits(5));
                    break;
                }
            }
            break;
        }
        default:
            Add(r, "products", m_data.Pick(kProducts));
            break;
        }
    }
    if (r.fields.empty())
        Add(r, "mobile", m_data.Mobile());
    return r;
}

MakerRequest SampleRequests::ChangeLimits(const std::string& maker, const std::string& owner)
{
    const FieldValues current = m_store.Fields(EntityKind::Limits, owner);
    if (current.empty())
        return NewLimits(maker, owner, false);
    MakerRequest r{maker, kRmsLimits, owner, {}};
    std::vector<const FieldSpec*> amounts;
    for (const FieldSpec& spec : FieldCatalogue::For(EntityKind::Limits))
    {
        // 41046 alone would show no change on a checker's screen, whose limits view does not
        // count it among the changes worth showing.
        if ((spec.form == Form::Number || spec.form == Form::Integer) && spec.id != 41046)
            amounts.push_back(&spec);
    }
    std::shuffle(amounts.begin(), amounts.end(), m_data.Engine());
    const long long scale = Scale(owner);
    const int count = m_data.Between(1, 4);
    for (int i = 0; i < count; ++i)
    {
        const FieldSpec& spec = *amounts[static_cast<std::size_t>(i)];
        const std::string now = Value(current, spec.id);
        double base = now.empty() ? 500000.0 * static_cast<double>(scale) : std::stod(now);
        const double factor = (m_data.Chance(65) ? 1.0 : -1.0) * m_data.Between(10, 50) / 100.0;
        double next = std::max(1000.0, base * (1.0 + factor));
        if (spec.form == Form::Integer)
            r.fields.emplace_back(spec.key,
                                  std::to_string(static_cast<long long>(std::llround(next / 100) * 100)));
        else
            r.fields.emplace_back(
                spec.key, std::to_string(static_cast<long long>(std::llround(next / 1000) * 1000)) + ".00");
    }
    if (m_data.Chance(30))
        Add(r, "remarks", m_data.Pick(kRemarks));
    if (m_data.Chance(15))
        Add(r, "groupwise-validation", Value(current, 64037) == "yes" ? "no" : "yes");
    return r;
}

std::optional<std::string> SampleRequests::PickMaker(const std::string& broker, const std::string& excluded)
{
    std::vector<std::string> makers = m_store.UsersWithRole(broker, "Maker");
    makers.erase(std::remove(makers.begin(), makers.end(), excluded), makers.end());
    if (makers.empty())
        return std::nullopt;
    return makers[static_cast<std::size_t>(m_data.Between(0, static_cast<int>(makers.size()) - 1))];
}

std::optional<std::string> SampleRequests::PickFree(EntityKind kind, const std::string& category)
{
    const std::vector<std::string> ids = m_store.EntityIds(kind, category);
    if (ids.empty())
        return std::nullopt;
    for (int attempt = 0; attempt < 25; ++attempt)
    {
        const std::string& id =
            ids[static_cast<std::size_t>(m_data.Between(0, static_cast<int>(ids.size()) - 1))];
        if (!m_store.PendingFor(kind, id))
            return id;
    }
    return std::nullopt;
}

std::vector<MakerRequest> SampleRequests::OfType(int type, const std::string& excludedMaker, bool investor)
{
    const std::vector<std::string> brokers = m_store.Brokers();
    if (brokers.empty())
        return {};
    std::string broker =
        brokers[static_cast<std::size_t>(m_data.Between(0, static_cast<int>(brokers.size()) - 1))];
    const auto branchOf = [&](const std::string& b)
    {
        const std::vector<std::string> branches = m_store.BranchesOf(b);
        return branches.empty() ? std::string()
                                : branches[static_cast<std::size_t>(
                                      m_data.Between(0, static_cast<int>(branches.size()) - 1))];
    };
    const auto makerFor = [&](const std::string& b) { return PickMaker(b, excludedMaker); };

    switch (type)
    {
    case kAddUser:
    {
        const std::optional<std::string> maker = makerFor(broker);
        const std::string branch = branchOf(broker);
        if (!maker || branch.empty())
            return {};
        if (!investor)
            return {NewUser(*maker, NewId(broker, 'U'), branch, "DEALER", "Dealer")};
        // The investor's user and his client account, entered together.
        const std::string id = NewId(broker, 'I');
        MakerRequest user = NewUser(*maker, id, branch, kInvestorClient, "Investor");
        std::string holder;
        for (const auto& given : user.fields)
        {
            if (given.first == "name")
                holder = given.second;
        }
        const std::vector<std::string> groups = m_store.GroupsOf(broker);
        return {user, NewAccount(*maker, id, branch, groups.empty() ? std::string() : groups.front(),
                                 kInvestorClient, id, holder)};
    }
    case kAddClient:
    {
        const std::optional<std::string> maker = makerFor(broker);
        const std::string branch = branchOf(broker);
        if (!maker || branch.empty())
            return {};
        static const char* const kCategories[] = {"RETAIL",    "RETAIL", "RETAIL", "HNI",
                                                  "CORPORATE", "NRI",    "PRO"};
        const std::string category = m_data.Pick(kCategories);
        const std::vector<std::string> groups = m_store.GroupsOf(broker);
        const std::string group =
            groups.empty()
                ? std::string()
                : groups[static_cast<std::size_t>(m_data.Between(0, static_cast<int>(groups.size()) - 1))];
        return {NewAccount(*maker, NewId(broker, 'C'), branch, group, category, "")};
    }
    case kModifyUser:
    case kDeleteUser:
    {
        const std::optional<std::string> id =
            PickFree(EntityKind::User, type == kModifyUser && m_data.Chance(15) ? kInvestorClient : "DEALER");
        const std::optional<EntityRow> row = id ? m_store.Entity(EntityKind::User, *id) : std::nullopt;
        const std::optional<std::string> maker = row ? makerFor(row->broker) : std::nullopt;
        if (!maker)
            return {};
        if (type == kModifyUser)
            return {ModifyUser(*maker, *id)};
        return {MakerRequest{*maker, kDeleteUser, *id, {}}};
    }
    case kModifyClient:
    case kDeleteAccount:
    {
        static const char* const kCategories[] = {"RETAIL", "HNI", "CORPORATE", "NRI"};
        const std::optional<std::string> id = PickFree(EntityKind::Account, m_data.Pick(kCategories));
        const std::optional<EntityRow> row = id ? m_store.Entity(EntityKind::Account, *id) : std::nullopt;
        const std::optional<std::string> maker = row ? makerFor(row->broker) : std::nullopt;
        if (!maker)
            return {};
        if (type == kModifyClient)
            return {ModifyAccount(*maker, *id)};
        return {MakerRequest{*maker, kDeleteAccount, *id, {}}};
    }
    case kRmsLimits:
    {
        std::optional<std::string> owner;
        const int level = m_data.Between(1, 100);
        if (level <= 45)
        {
            if (const auto id = PickFree(EntityKind::Account, ""))
                owner = "client:" + *id;
        }
        else if (level <= 70)
        {
            if (const auto id = PickFree(EntityKind::User, "DEALER"))
                owner = "dealer:" + *id;
        }
        else if (level <= 80)
        {
            const std::vector<std::string> groups = m_store.GroupsOf(broker);
            if (!groups.empty())
                owner =
                    "group:" +
                    groups[static_cast<std::size_t>(m_data.Between(0, static_cast<int>(groups.size()) - 1))];
        }
        else if (level <= 92)
            owner = "branch:" + branchOf(broker);
        else
            owner = "broker:" + broker;
        if (!owner || m_store.PendingFor(EntityKind::Limits, *owner))
            return {};
        const std::optional<LimitOwner> parsed = LimitOwner::Parse(*owner);
        if (parsed &&
            (parsed->level == LimitOwner::Level::Dealer || parsed->level == LimitOwner::Level::Client))
        {
            const std::optional<EntityRow> row = m_store.Entity(
                parsed->level == LimitOwner::Level::Dealer ? EntityKind::User : EntityKind::Account,
                parsed->code);
            if (!row)
                return {};
            broker = row->broker;
        }
        const std::optional<std::string> maker = makerFor(broker);
        if (!maker)
            return {};
        return {ChangeLimits(*maker, *owner)};
    }
    default:
        return {};
    }
}

std::vector<MakerRequest> SampleRequests::Any(const std::string& excludedMaker)
{
    struct Weighted
    {
        int type;
        int weight;
    };
    static const Weighted kTypes[] = {{kAddUser, 14},   {kModifyUser, 20},   {kDeleteUser, 4},
                                      {kAddClient, 14}, {kModifyClient, 20}, {kDeleteAccount, 4},
                                      {kRmsLimits, 24}};
    if (m_data.Chance(6))
        return OfType(kAddUser, excludedMaker, true);
    int roll = m_data.Between(1, 100);
    for (const Weighted& entry : kTypes)
    {
        roll -= entry.weight;
        if (roll <= 0)
            return OfType(entry.type, excludedMaker);
    }
    return OfType(kRmsLimits, excludedMaker);
}

} // namespace oms
