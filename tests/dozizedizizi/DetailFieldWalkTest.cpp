// Every field each detail builder reads, walked one by one inside a reply that carries all the
// others: present with a new and an old value, present with the new value only, and absent. The
// rows expected here are written from the field tables of the detail views (labels, mappings,
// sections and order), not from the builders' own tables.
#include "DetailGridFixture.h"

#include <map>

namespace
{
struct Contribution
{
    std::string section;
    std::vector<ShownRow> rows;
};

struct FieldCase
{
    int id;
    std::vector<std::string> values; // new, old
    std::vector<Contribution> two;   // what the field adds with both values
    std::vector<Contribution> one;   // ... with the new value only
    bool opens = true;               // beside the key alone, the reply is worth showing
};

struct Walk
{
    BuilderFunction build;
    ReplyFields base;                // always in the reply
    std::vector<Contribution> shown; // what the base fields add
    std::vector<std::string> order;  // the sections in the order they appear
    std::vector<FieldCase> cases;
    // Fields the rows above do not walk, and whether each opens a reply beside the key alone.
    std::vector<std::pair<int, bool>> otherGateFields = {};
};

const ShownSection kNoParameters{"No Parameters are Modified", "", "", {}};

enum class State
{
    Two,
    One,
    Absent
};

// A field shown as received, under its label.
FieldCase Plain(int id, const std::string& section, const std::string& label, int editType = MC_EDIT_NONE)
{
    const std::string value = "N" + std::to_string(id);
    const std::string oldValue = "O" + std::to_string(id);
    return {id,
            {value, oldValue},
            {{section, {{label, value, oldValue, editType}}}},
            {{section, {{label, value, "", editType}}}}};
}

FieldCase Mapped(int id, std::vector<std::string> values, const std::string& section,
                 const std::string& label, const std::string& shown, const std::string& oldShown,
                 int editType = MC_EDIT_NONE)
{
    return {id,
            std::move(values),
            {{section, {{label, shown, oldShown, editType}}}},
            {{section, {{label, shown, "", editType}}}}};
}

// One unlabelled row per value.
FieldCase ValueList(int id, const std::string& section)
{
    const std::string first = "A" + std::to_string(id);
    const std::string second = "B" + std::to_string(id);
    return {id,
            {first, second},
            {{section, {{"", first, ""}, {"", second, ""}}}},
            {{section, {{"", first, ""}}}}};
}

// The state of each case in one reply.
using States = std::vector<State>;

std::vector<ShownSection> Expected(const Walk& walk, const States& states)
{
    std::map<std::string, std::vector<ShownRow>> rows;
    const auto add = [&](const std::vector<Contribution>& contributions)
    {
        for (const Contribution& c : contributions)
            rows[c.section].insert(rows[c.section].end(), c.rows.begin(), c.rows.end());
    };
    add(walk.shown);
    for (std::size_t i = 0; i < walk.cases.size(); ++i)
    {
        if (states[i] != State::Absent)
            add(states[i] == State::Two ? walk.cases[i].two : walk.cases[i].one);
    }
    std::vector<ShownSection> sections;
    for (const std::string& title : walk.order)
    {
        if (!rows[title].empty())
            sections.push_back({title, "", "", rows[title]});
    }
    return sections;
}

ReplyFields Fields(const Walk& walk, const States& states)
{
    ReplyFields fields = walk.base;
    for (std::size_t i = 0; i < walk.cases.size(); ++i)
    {
        const FieldCase& c = walk.cases[i];
        if (states[i] == State::Two)
            fields.emplace_back(c.id, c.values);
        else if (states[i] == State::One)
            fields.emplace_back(c.id, std::vector<std::string>{c.values[0]});
    }
    return fields;
}

class DetailFieldWalk : public DetailGridTest
{
protected:
    void Check(const Walk& walk, const States& states)
    {
        EXPECT_EQ(Build(walk.build, Fields(walk, states)), Expected(walk, states));
    }

    // Every field together, with both values and with the new value only; then each field in a
    // reply of its own beside one other field (so that the reply is worth showing), with both
    // values and with one; and every field absent but that other one. Each reply is compared
    // whole, so a row that shows up for an absent field fails as surely as a missing one.
    // Beside the key alone (the first base field), a field either makes the reply worth showing
    // or leaves only the notice.
    void CheckOpens(const Walk& walk, int id, const std::vector<std::string>& values, bool opens)
    {
        const bool notice =
            Build(walk.build, {walk.base.front(), {id, values}}) == std::vector<ShownSection>{kNoParameters};
        EXPECT_EQ(notice, !opens) << "field " << id << " beside the key alone";
    }

    void WalkEveryField(const Walk& walk)
    {
        const std::size_t count = walk.cases.size();
        for (const FieldCase& c : walk.cases)
            CheckOpens(walk, c.id, c.values, c.opens);
        for (const auto& [id, opens] : walk.otherGateFields)
            CheckOpens(walk, id, {"1"}, opens);
        {
            SCOPED_TRACE("every field with both values");
            Check(walk, States(count, State::Two));
        }
        {
            SCOPED_TRACE("every field with its new value only");
            Check(walk, States(count, State::One));
        }
        for (std::size_t i = 0; i < count; ++i)
        {
            const std::size_t other = i == 0 ? 1 : 0;
            States states(count, State::Absent);
            states[other] = State::Two;
            if (i == 1)
            {
                SCOPED_TRACE("every field absent but field " + std::to_string(walk.cases[other].id));
                Check(walk, states);
            }
            for (State state : {State::Two, State::One})
            {
                SCOPED_TRACE("field " + std::to_string(walk.cases[i].id) +
                             (state == State::Two ? " with both values" : " with its new value only"));
                states[i] = state;
                Check(walk, states);
            }
        }
    }
};

TEST_F(DetailFieldWalk, UserFields)
{
    const std::string g = "General";
    const std::string d = "Details";
    Walk walk{BuildUserDetails,
              {{31003, {"DLR1", "DLR0"}}},
              {{g, {{"Dealer ID", "DLR1", "DLR0"}}}},
              {g, "Access Type", d, "Product Types", "Attributes", "Kivo Actions", "Order Types"},
              {Plain(64017, g, "Target UserID"),
               Plain(63248, g, "Max Portfolio Cnt"),
               Plain(54220, g, "Peer Admin"),
               Plain(64916, g, "Pan No"),
               Plain(64903, g, "DOB"),
               Plain(63235, g, "AutoSroff user"),
               Plain(30001, g, "DealerName"),
               Mapped(30004, {"s3cret", "old"}, g, "Password", "Reset", "Reset"),
               Plain(50110, g, "Email Add"),
               Mapped(63225, {"Y", "N"}, g, "Client OverView", "Enabled", "N"),
               Plain(10046, g, "Address"),
               Plain(54036, g, "User Type"),
               Plain(64056, g, "Broker"),
               Plain(64053, g, "Branch ID"),
               Plain(43438, g, "2FA Enable"),
               {63212,
                {"ADMIN", "VIEW"},
                {{"Access Type", {{"", "ADMIN", "VIEW"}}}},
                {{"Access Type", {{"", "ADMIN", ""}}}}},
               Plain(63227, d, "Max Scrip Count"),
               Plain(64765, d, "ARN NO"),
               Plain(63216, d, "Mac Address"),
               Plain(64019, d, "Days for Warning"),
               Plain(63215, d, "User IP"),
               Mapped(63211, {"tp1", "tp0"}, d, "Trans Password", "Reset", "tp0"),
               Plain(63213, d, "User Status"),
               Plain(64060, d, "Role"),
               Plain(63217, d, "User Tag"),
               Plain(31803, d, "Field 31803"),
               Plain(64710, d, "Pro Orders"),
               Plain(54376, d, "Round off Pref"),
               {64020,
                {"ML", "x|ML"},
                {{"Product Types", {{"", "MLB", ""}, {"", "", "x|MLB"}}}},
                {{"Product Types", {{"", "MLB", ""}}}}},
               ValueList(44201, "Attributes"),
               ValueList(64815, "Kivo Actions"),
               ValueList(10109, "Order Types")},
              {{63220, true},
               {63001, true},
               {64018, true},
               {63076, true},
               {64013, true},
               {64027, true},
               {64025, true}}};
    WalkEveryField(walk);
}

// One exchange modified: each field's new and old value on rows of their own.
TEST_F(DetailFieldWalk, UserExchangeModificationFields)
{
    const std::string x = "Exchange:NSE";
    const auto pair = [&](int id, std::vector<std::string> values, const std::string& label,
                          const std::string& shown, const std::string& oldShown)
    {
        return FieldCase{id,
                         std::move(values),
                         {{x, {{label, shown, ""}, {label, "", oldShown}}}},
                         {{x, {{label, shown, ""}}}}};
    };
    Walk walk{BuildUserDetails,
              {{31003, {"DLR1", "DLR0"}}, {63001, {"nse_cm", "bse_cm"}}},
              {},
              {x},
              {pair(63076, {"Y", "N"}, "Status", "Enabled", "Disabled"),
               pair(64013, {"-1", "EU7"}, "Exch User ID", "Default", "EU7"),
               pair(64027, {"INFO2", "-1"}, "Exch User Info", "INFO2", "Default"),
               pair(64025, {"OK", "NOTOK"}, "Route to RMS", "Yes", "NO")}};
    WalkEveryField(walk);
}

// A new user: one value per exchange, one section per exchange; the status is the user's own.
TEST_F(DetailFieldWalk, UserNewExchangeFields)
{
    const std::string nse = "Exchange:NSE";
    const std::string bse = "Exchange:BSE";
    Walk walk{BuildUserDetails,
              {{31003, {"DLR1"}}, {63001, {"nse_cm", "bse_cm"}}, {64018, {"0", "20251231"}}},
              {{nse, {{"Expiry Date", "NA", ""}}}, {bse, {{"Expiry Date", "20251231", ""}}}},
              {nse, bse},
              {{63076,
                {"Y", "N"},
                {{nse, {{"Status", "Enabled", ""}}}, {bse, {{"Status", "Enabled", ""}}}},
                {{nse, {{"Status", "Enabled", ""}}}, {bse, {{"Status", "Enabled", ""}}}}},
               {64013,
                {"-1", "EU7"},
                {{nse, {{"Exch User ID", "Default", ""}}}, {bse, {{"Exch User ID", "EU7", ""}}}},
                {{nse, {{"Exch User ID", "Default", ""}}}}},
               {64027,
                {"INFO1", "-1"},
                {{nse, {{"Exch User Info", "INFO1", ""}}}, {bse, {{"Exch User Info", "Default", ""}}}},
                {{nse, {{"Exch User Info", "INFO1", ""}}}}},
               {64025,
                {"OK", "NO"},
                {{nse, {{"Route to RMS", "Yes", ""}}}, {bse, {{"Route to RMS", "NO", ""}}}},
                {{nse, {{"Route to RMS", "Yes", ""}}}}}}};
    WalkEveryField(walk);
}

TEST_F(DetailFieldWalk, AccountFields)
{
    const std::string g = "General";
    const std::string b = "Bank Details";
    const std::string d = "DP Details";
    Walk walk{BuildAccountDetails,
              {{54001, {"C1", "C0"}}},
              {{g, {{"Client Id", "C1", "C0"}}}},
              {g, b, d, "Products Enabled"},
              {}};
    std::vector<FieldCase>& c = walk.cases;
    c.push_back(Plain(54002, g, "Client Name"));
    c.push_back(Plain(64009, g, "Exch Acct Id"));
    c.push_back(Plain(50110, g, "Email Add"));
    const char* ucc[] = {"NSE UCC",  "BSE UCC", "NFO UCC",   "NCDEX UCC", "MCX UCC",   "BFO UCC", "CDS UCC",
                         "ICEX UCC", "IPO UCC", "NSPOT UCC", "MFS UCC",   "LME UCC",   "MCX UCC", "DGCX UCC",
                         "RCME UCC", "ACE UCC", "USE UCC",   "NMCE UCC",  "CMEMX UCC", "SGX UCC"};
    for (int i = 0; i < 20; ++i)
        c.push_back(Plain(64840 + i, g, ucc[i]));
    c.push_back(Plain(50111, g, "Mobile No"));
    c.push_back(Plain(10046, g, "Address"));
    c.push_back(Plain(64950, g, "Off. Address"));
    c.push_back(Plain(64952, g, "Off.Phone No"));
    c.push_back(Plain(64951, g, "Res.Phone No"));
    c.push_back(Plain(63216, g, "Mac Address"));
    c.push_back(Plain(63215, g, "User IP"));
    c.push_back(Plain(64765, g, "ARN NO"));
    c.push_back(Plain(12007, g, "Client Type"));
    c.push_back(Plain(54003, g, "Client Status"));
    c.push_back({12014,
                 {"Online-NonSqroff", "Offline-Sqroff"},
                 {{g,
                   {{"Client Context", "Internet", ""},
                    {"Square Off", "Excluded", ""},
                    {"Client Context", "", "Offline"},
                    {"Square Off", "", "Included"}}}},
                 {{g, {{"Client Context", "Internet", ""}, {"Square Off", "Excluded", ""}}}}});
    c.push_back(Mapped(64807, {"Y", "N"}, g, "SOR Enabled", "YES", "NO"));
    c.push_back(Plain(64935, g, "Client DOB"));
    for (auto [id, label] : std::vector<std::pair<int, const char*>>{{64953, "Acct NO1"},
                                                                     {64911, "Bank Name 1"},
                                                                     {64969, "Bank Branch Name 1"},
                                                                     {64954, "Address 1"},
                                                                     {64913, "Bank Cust Id"},
                                                                     {64914, "Account Type"},
                                                                     {64835, "Statement Communication Mode"},
                                                                     {64834, "Op Mode"},
                                                                     {49051, "Dp Maker"},
                                                                     {49023, "Pin Code"}})
        c.push_back(Plain(id, b, label));
    // A mode that names no payment code field.
    c.push_back(Mapped(64836, {"CHEQUE", "ECS"}, b, "Payment Mode", "CHEQUE", "ECS"));
    c.push_back(Plain(64916, b, "Pan No"));
    for (int account = 2; account <= 6; ++account)
    {
        static constexpr int kIds[][4] = {{64956, 64959, 64957, 64958},
                                          {64961, 64964, 64962, 64963},
                                          {64979, 64982, 64980, 64981},
                                          {64990, 64993, 64991, 64992},
                                          {64995, 64998, 64996, 64997}};
        const std::string n = std::to_string(account);
        const int* ids = kIds[account - 2];
        c.push_back(Plain(ids[0], b, "Bank Name " + n));
        c.push_back(Plain(ids[1], b, "Bank Address " + n));
        c.push_back(Plain(ids[2], b, "Bank Branch Name " + n));
        c.push_back(Plain(ids[3], b, "Acct NO" + n));
        // The second account number shows, but alone it does not make the reply worth showing.
        c.back().opens = account != 2;
    }
    for (auto [id, label] : std::vector<std::pair<int, const char*>>{{64966, "DP Account No 1"},
                                                                     {64973, "DP Account No 2"},
                                                                     {64974, "DP Account No 3"},
                                                                     {64976, "DP Account No 4"},
                                                                     {64977, "DP Account No 5"},
                                                                     {64978, "DP Account No 6"},
                                                                     {64902, "Gender"},
                                                                     {64919, "Occupation"},
                                                                     {44513, "City"},
                                                                     {44514, "State"},
                                                                     {64826, "Folio NO"},
                                                                     {64827, "KYC Compliant"},
                                                                     {64923, "Guardian Name"},
                                                                     {64949, "Guardian Pan NO"},
                                                                     {64903, "DOB"},
                                                                     {64833, "Tax Status"}})
        c.push_back(Plain(id, d, label));
    walk.otherGateFields = {{64955, true}, {64839, true},  {64832, true},
                            {64021, true}, {64700, false}, {64731, false}};
    c.push_back({64020,
                 {"CNC|ML", "ML"},
                 {{"Products Enabled", {{"", "CNC|MLB", ""}, {"", "", "MLB"}}}},
                 {{"Products Enabled", {{"", "CNC|MLB", ""}}}}});
    WalkEveryField(walk);
}

TEST_F(DetailFieldWalk, LimitFields)
{
    const std::string r = "RMS Limits";
    Walk walk{BuildLimitDetails,
              {{54001, {"C1"}}, {64174, {"OK"}}},
              {{r, {{"RMS Limit For", "Client - C1", ""}}}},
              {r},
              {}};
    std::vector<FieldCase>& c = walk.cases;
    int n = 0;
    // A number: two decimals for the new value, the old one as received.
    const auto number = [&](int id, const char* label)
    {
        ++n;
        c.push_back(Mapped(id, {std::to_string(1000 + n) + ".5", std::to_string(900 + n)}, r, label,
                           std::to_string(1000 + n) + ".50", std::to_string(900 + n), MC_EDIT_PRICE));
    };
    const auto integer = [&](int id, const char* label)
    {
        ++n;
        c.push_back(Mapped(id, {std::to_string(70 + n), std::to_string(60 + n)}, r, label,
                           std::to_string(70 + n), std::to_string(60 + n), MC_EDIT_PRICE));
    };
    const auto text = [&](int id, const char* label, int editType)
    { c.push_back(Plain(id, r, label, editType)); };
    text(13034, "Category Name", MC_EDIT_NONE);
    number(64031, "Cash Margin");
    number(64158, "Adhoc Margin");
    number(64302, "Notional cash");
    number(64164, "Finance Limit");
    number(64036, "Del.Amt.Lim");
    integer(64211, "Buy Sec Limit");
    integer(64210, "Sell Sec Limit");
    number(64286, "Direct Collateral");
    number(64326, "Gross Exp Der Limit");
    number(64423, "Buy Exp Option Limit");
    number(64425, "Sell Exp Option Limit");
    number(64464, "Cash NRML Ad Hoc");
    number(64466, "Cash CNC Ad Hoc");
    number(64468, "FO MIS Ad Hoc");
    number(64470, "COM MIS Ad Hoc");
    number(54019, "MToM Loss Limit");
    number(64033, "Exposure Limit");
    number(64035, "Turnover Limit");
    number(64178, "Sell Exp Limit");
    number(64177, "Buy Exp Limit");
    number(64313, "Remarks Amt");
    text(64312, "Remarks Text", MC_EDIT_TEXT);
    number(64422, "Buy Exp Future Limit");
    number(64424, "Sell Exp Future Limit");
    number(64465, "Cash MIS Ad Hoc");
    number(64467, "FO NRML Ad Hoc");
    number(64469, "COM NRML Ad Hoc");
    number(41046, "Cur NRML Adhoc");
    c.back().opens = false;
    number(41047, "Cur MIS Adhoc");
    number(41235, "Order Value Limit");
    // Both columns as whole numbers, even an old value sent with a leading zero.
    c.push_back(Mapped(41236, {"1500", "01200"}, r, "Order quantity limit", "1500", "1200", MC_EDIT_PRICE));
    number(41000, "SLBM Limit");
    number(41139, "Buy Premium Limit");
    number(41140, "Sell Premium Limit");
    number(41141, "Buy Limit Future Turnover");
    number(41142, "Sell Limit Future Turnover");
    number(41143, "Buy limit Derivative Turnover");
    number(41144, "Sell limit Derivative Turnover");
    number(41268, "Opt NRML Adhoc");
    number(41269, "Opt MIS Adhoc");
    number(41270, "Cur Opt NRML Adhoc");
    number(41271, "Cur Opt MIS Adhoc");
    c.push_back(Mapped(64037, {"yes", "no"}, r, "GroupWise Validation", "E", "D", MC_EDIT_TEXT));
    text(41282, "Dane Limit", MC_EDIT_PRICE);
    text(64420, "Buy Exposure limit for FO and Com", MC_EDIT_PRICE);
    text(64421, "Sell Exposure limit for FO and Com", MC_EDIT_PRICE);
    text(41336, "Premium Net Limit", MC_EDIT_PRICE);
    walk.otherGateFields = {{64174, false}, {64056, false}, {64052, false}};
    WalkEveryField(walk);
}
} // namespace
