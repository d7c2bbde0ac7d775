#include "oms/FieldCatalogue.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace oms
{

namespace
{

using F = Form;
using S = Shape;

constexpr const char* kSegments = "nse_cm,bse_cm,nse_fo,bse_fo,cde_fo,mcx_fo,ncx_fo";

const FieldSpec kUserFields[] = {
    {31003, "id", F::Text, S::Single, "", true},
    {64056, "broker", F::Text},
    {64053, "branch", F::Text},
    {54036, "type", F::Choice, S::Single, "DEALER,ADMIN,BROKER_ADMIN,BRANCH_ADMIN,RMS,INVESTOR_CLIENT"},
    {30001, "name", F::Text},
    {64017, "target-user", F::Text},
    {63248, "max-portfolios", F::Integer},
    {54220, "peer-admin", F::Flag},
    {64916, "pan", F::Text},
    {64903, "dob", F::Date},
    {63235, "auto-squareoff", F::Flag},
    {30004, "password", F::Text},
    {50110, "email", F::Text},
    {63225, "client-overview", F::Flag},
    {10046, "address", F::Text},
    {43438, "2fa", F::Flag},
    {63212, "access-type", F::Choice, S::Single, "Full,Trade Only,View Only"},
    {63227, "max-scrips", F::Integer},
    {64765, "arn", F::Text},
    {63216, "mac", F::Text},
    {64019, "warning-days", F::Integer},
    {63215, "ip", F::Text},
    {63211, "trans-password", F::Text},
    {63213, "status", F::Choice, S::Single, "Active,Suspended,Closed"},
    {64060, "role", F::Text},
    {63217, "tag", F::Text},
    {64710, "pro-orders", F::Flag},
    {54376, "round-off", F::Choice, S::Single, "0.05,0.10,1.00"},
    {63076, "exchange-status", F::Flag},
    {63001, "exchanges", F::Choice, S::PerExchange, kSegments},
    {64018, "expiry", F::Expiry, S::PerExchange, "", false, "0"},
    {64013, "exchange-user", F::ExchangeId, S::PerExchange, "", false, "-1"},
    {64027, "exchange-info", F::ExchangeId, S::PerExchange, "", false, "-1"},
    {64025, "route-to-rms", F::Route, S::PerExchange, "", false, "OK"},
    {64020, "products", F::Text},
    {44201, "attributes", F::Text, S::List},
    {64815, "actions", F::Text, S::List},
    {10109, "order-types", F::Text, S::List},
};

const FieldSpec kAccountFields[] = {
    {54001, "id", F::Text, S::Single, "", true},
    {64056, "broker", F::Text},
    {64053, "branch", F::Text},
    {64052, "group", F::Text},
    {54036, "category", F::Choice, S::Single, "RETAIL,HNI,CORPORATE,NRI,PRO,INVESTOR_CLIENT"},
    {31003, "linked-user", F::Text},
    {54002, "name", F::Text},
    {64009, "exchange-account", F::Text},
    {50110, "email", F::Text},
    {64840, "ucc-nse", F::Text},
    {64841, "ucc-bse", F::Text},
    {64842, "ucc-nfo", F::Text},
    {64843, "ucc-ncdex", F::Text},
    {64844, "ucc-mcx", F::Text},
    {64845, "ucc-bfo", F::Text},
    {64846, "ucc-cds", F::Text},
    {50111, "mobile", F::Text},
    {10046, "address", F::Text},
    {64950, "office-address", F::Text},
    {64952, "office-phone", F::Text},
    {64951, "home-phone", F::Text},
    {63216, "mac", F::Text},
    {63215, "ip", F::Text},
    {64765, "arn", F::Text},
    {12007, "client-type", F::Choice, S::Single, "Individual,Corporate,HUF,Partnership,Trust"},
    {54003, "client-status", F::Choice, S::Single, "Active,Dormant,Suspended,Closed"},
    {12014, "square-off", F::Choice, S::Single,
     "Online-Sqroff,Offline-Sqroff,Online-NonSqroff,Offline-NonSqroff"},
    {64807, "sor", F::Flag},
    {64935, "client-dob", F::Date},
    {64953, "account-1", F::Text},
    {64911, "bank-1", F::Text},
    {64969, "bank-branch-1", F::Text},
    {64954, "bank-address-1", F::Text},
    {64913, "bank-customer", F::Text},
    {64914, "account-type", F::Choice, S::Single, "Savings,Current,NRE,NRO"},
    {64835, "statement-mode", F::Choice, S::Single, "Email,Post,Both"},
    {64834, "operation-mode", F::Choice, S::Single, "Single,Joint,Either or Survivor"},
    {49051, "dp-maker", F::Text},
    {49023, "pin", F::Text},
    {64836, "payment-mode", F::Choice, S::Single, "ECS,RTGS,NEFT"},
    {64955, "ecs-code", F::Text},
    {64839, "rtgs-code", F::Text},
    {64832, "neft-code", F::Text},
    {64916, "pan", F::Text},
    {64956, "bank-2", F::Text},
    {64959, "bank-address-2", F::Text},
    {64957, "bank-branch-2", F::Text},
    {64958, "account-2", F::Text},
    {64961, "bank-3", F::Text},
    {64964, "bank-address-3", F::Text},
    {64962, "bank-branch-3", F::Text},
    {64963, "account-3", F::Text},
    {64979, "bank-4", F::Text},
    {64982, "bank-address-4", F::Text},
    {64980, "bank-branch-4", F::Text},
    {64981, "account-4", F::Text},
    {64990, "bank-5", F::Text},
    {64993, "bank-address-5", F::Text},
    {64991, "bank-branch-5", F::Text},
    {64992, "account-5", F::Text},
    {64995, "bank-6", F::Text},
    {64998, "bank-address-6", F::Text},
    {64996, "bank-branch-6", F::Text},
    {64997, "account-6", F::Text},
    {64966, "dp-1", F::Text},
    {64973, "dp-2", F::Text},
    {64974, "dp-3", F::Text},
    {64976, "dp-4", F::Text},
    {64977, "dp-5", F::Text},
    {64978, "dp-6", F::Text},
    {64902, "gender", F::Choice, S::Single, "Male,Female,Other"},
    {64919, "occupation", F::Text},
    {44513, "city", F::Text},
    {44514, "state", F::Text},
    {64826, "folio", F::Text},
    {64827, "kyc", F::Flag},
    {64923, "guardian", F::Text},
    {64949, "guardian-pan", F::Text},
    {64903, "dob", F::Date},
    {64833, "tax-status", F::Choice, S::Single, "Resident,NRI,Company,HUF"},
    {64021, "segments", F::Text},
    {64700, "pcode-nse", F::Text},
    {64703, "pcode-bse", F::Text},
    {64701, "pcode-nfo", F::Text},
    {64705, "pcode-bfo", F::Text},
    {64706, "pcode-cds", F::Text},
    {64704, "pcode-mcx", F::Text},
    {64702, "pcode-ncdex", F::Text},
    {64020, "products", F::Text},
};

const FieldSpec kLimitFields[] = {
    {13034, "category-name", F::Text},
    {64031, "cash-margin", F::Number},
    {64158, "adhoc-margin", F::Number},
    {64302, "notional-cash", F::Number},
    {64164, "finance-limit", F::Number},
    {64036, "delivery-amount", F::Number},
    {64211, "buy-sec-limit", F::Integer},
    {64210, "sell-sec-limit", F::Integer},
    {64286, "direct-collateral", F::Number},
    {64326, "gross-exposure-derivatives", F::Number},
    {64423, "buy-exposure-options", F::Number},
    {64425, "sell-exposure-options", F::Number},
    {64464, "cash-nrml-adhoc", F::Number},
    {64466, "cash-cnc-adhoc", F::Number},
    {64468, "fo-mis-adhoc", F::Number},
    {64470, "com-mis-adhoc", F::Number},
    {54019, "mtom-loss", F::Number},
    {64033, "exposure", F::Number},
    {64035, "turnover", F::Number},
    {64178, "sell-exposure", F::Number},
    {64177, "buy-exposure", F::Number},
    {64313, "remarks-amount", F::Number},
    {64312, "remarks", F::Text},
    {64422, "buy-exposure-futures", F::Number},
    {64424, "sell-exposure-futures", F::Number},
    {64465, "cash-mis-adhoc", F::Number},
    {64467, "fo-nrml-adhoc", F::Number},
    {64469, "com-nrml-adhoc", F::Number},
    {41046, "currency-nrml-adhoc", F::Number},
    {41047, "currency-mis-adhoc", F::Number},
    {41235, "order-value", F::Number},
    {41236, "order-quantity", F::Integer},
    {41000, "slbm", F::Number},
    {41139, "buy-premium", F::Number},
    {41140, "sell-premium", F::Number},
    {41141, "buy-futures-turnover", F::Number},
    {41142, "sell-futures-turnover", F::Number},
    {41143, "buy-derivatives-turnover", F::Number},
    {41144, "sell-derivatives-turnover", F::Number},
    {41268, "options-nrml-adhoc", F::Number},
    {41269, "options-mis-adhoc", F::Number},
    {41270, "currency-options-nrml-adhoc", F::Number},
    {41271, "currency-options-mis-adhoc", F::Number},
    {64037, "groupwise-validation", F::YesNoWord},
    {41282, "dane-limit", F::Text},
    {64420, "buy-exposure-fo-com", F::Text},
    {64421, "sell-exposure-fo-com", F::Text},
    {41336, "premium-net", F::Text},
};

bool IsPrintable(std::string_view value)
{
    return std::all_of(value.begin(), value.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7f; });
}

bool AllDigits(std::string_view value)
{
    return !value.empty() &&
           std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits an amount or a count may hold: as many as a double keeps exactly to the cent.
constexpr std::size_t kMaxLimitDigits = 15;

// Digits without the zeros in front of them.
std::size_t SignificantDigits(std::string_view digits)
{
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? 0 : digits.size() - first;
}

bool IsDate(std::string_view value)
{
    if (value.size() != 10 || value[4] != '-' || value[7] != '-')
        return false;
    if (!AllDigits(value.substr(0, 4)) || !AllDigits(value.substr(5, 2)) || !AllDigits(value.substr(8, 2)))
        return false;
    const int year = std::atoi(std::string(value.substr(0, 4)).c_str());
    const int month = std::atoi(std::string(value.substr(5, 2)).c_str());
    const int day = std::atoi(std::string(value.substr(8, 2)).c_str());
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

bool InList(std::string_view list, std::string_view value)
{
    while (!list.empty())
    {
        const std::size_t comma = list.find(',');
        if (list.substr(0, comma) == value)
            return true;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

} // namespace

std::span<const FieldSpec> FieldCatalogue::For(EntityKind kind)
{
    switch (kind)
    {
    case EntityKind::User:
        return kUserFields;
    case EntityKind::Account:
        return kAccountFields;
    case EntityKind::Limits:
        return kLimitFields;
    }
    return {};
}

const FieldSpec* FieldCatalogue::Find(EntityKind kind, std::int32_t id)
{
    for (const FieldSpec& spec : For(kind))
    {
        if (spec.id == id)
            return &spec;
    }
    return nullptr;
}

const FieldSpec* FieldCatalogue::Find(EntityKind kind, std::string_view keyOrId)
{
    std::int32_t id = 0;
    const char* end = keyOrId.data() + keyOrId.size();
    const auto [stop, why] = std::from_chars(keyOrId.data(), end, id);
    if (why == std::errc() && stop == end)
        return Find(kind, id);
    for (const FieldSpec& spec : For(kind))
    {
        if (keyOrId == spec.key)
            return &spec;
    }
    return nullptr;
}

std::optional<std::string> FieldCatalogue::Normalise(const FieldSpec& spec, std::string_view value,
                                                     std::string* error)
{
    const auto fail = [&](const std::string& what) -> std::optional<std::string>
    {
        if (error)
            *error = std::string(spec.key) + " (" + std::to_string(spec.id) + ") " + what + ", not '" +
                     std::string(value) + "'";
        return std::nullopt;
    };
    if (value.empty())
        return fail("needs a value");
    if (value.size() > 200 || !IsPrintable(value))
        return fail("takes printable text of at most 200 characters");
    switch (spec.form)
    {
    case Form::Text:
        return std::string(value);
    case Form::Number:
    {
        // Whole text a decimal amount: digits, an optional fraction. It is kept to the cent as
        // written, digit for digit: nothing beyond the cent is rounded away, and no digit goes
        // through a double (fifteen before the point and two after are more than it holds).
        const std::size_t dot = value.find('.');
        const std::string_view whole = value.substr(0, dot);
        const std::string_view fraction =
            dot == std::string_view::npos ? std::string_view() : value.substr(dot + 1);
        const auto isAmount = [](std::string_view w, std::string_view f, bool point)
        { return AllDigits(w) && (!point || AllDigits(f)); };
        if (!isAmount(whole, fraction, dot != std::string_view::npos))
        {
            if (value[0] == '-' && isAmount(whole.substr(1), fraction, dot != std::string_view::npos))
                return fail("cannot be negative");
            return fail("takes an amount such as 2500000 or 1250.50");
        }
        if (SignificantDigits(whole) > kMaxLimitDigits)
            return fail("has more than 15 digits before the point");
        if (fraction.size() > 2 && fraction.substr(2).find_first_not_of('0') != std::string_view::npos)
            return fail("has more than two decimals");
        const std::size_t significant = SignificantDigits(whole);
        std::string kept = significant ? std::string(whole.substr(whole.size() - significant)) : "0";
        kept += '.';
        kept += fraction.substr(0, 2);
        kept.append(2 - std::min<std::size_t>(fraction.size(), 2), '0');
        return kept;
    }
    case Form::Integer:
        if (!AllDigits(value))
            return fail(value[0] == '-' && AllDigits(value.substr(1)) ? "cannot be negative"
                                                                      : "takes a whole number");
        if (SignificantDigits(value) > kMaxLimitDigits)
            return fail("has more than 15 digits");
        return std::string(value.substr(std::min(value.find_first_not_of('0'), value.size() - 1)));
    case Form::Flag:
        if (value != "Y" && value != "N")
            return fail("takes Y or N");
        return std::string(value);
    case Form::Route:
        if (value != "OK" && value != "NO")
            return fail("takes OK or NO");
        return std::string(value);
    case Form::YesNoWord:
        if (value != "yes" && value != "no")
            return fail("takes yes or no");
        return std::string(value);
    case Form::Date:
        if (!IsDate(value))
            return fail("takes a date written YYYY-MM-DD");
        return std::string(value);
    case Form::Expiry:
        if (value != "0" && !IsDate(value))
            return fail("takes a date written YYYY-MM-DD, or 0 for none");
        return std::string(value);
    case Form::ExchangeId:
        return std::string(value);
    case Form::Choice:
        if (!InList(spec.choices, value))
            return fail(std::string("takes one of ") + spec.choices);
        return std::string(value);
    }
    return fail("has an unknown form");
}

const char* FieldCatalogue::KindName(EntityKind kind)
{
    switch (kind)
    {
    case EntityKind::User:
        return "user";
    case EntityKind::Account:
        return "account";
    case EntityKind::Limits:
        return "limits";
    }
    return "";
}

} // namespace oms
