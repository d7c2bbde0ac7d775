// The details of a new or modified client account, section by section.
#include "dozizedizizi/DetailBuilders.h"
#include "dozizedizizi/DetailMappings.h"
#include "dozizedizizi/DetailSectionBuilder.h"
#include "dozizedizizi/ExchangeTables.h"

#include <algorithm>
#include <array>

namespace
{
constexpr int kClientId = 54001;
constexpr int kSquareOff = 12014;
constexpr int kSorEnabled = 64807;
constexpr int kClientDob = 64935;
constexpr int kPaymentMode = 64836;
constexpr int kSegments = 64021;
constexpr int kProducts = 64020;

// An account reply shows something only when it carries at least one of these. The second
// account number (64958) is not among them: it is shown, but does not make a reply worth showing.
constexpr std::array kGateFields{
    54002, 64009, 50110, 64840, 64841, 64842, 64843, 64844, 64845, 64846, 64847, 64848, 64849, 64850, 64851,
    64852, 64853, 64854, 64855, 64856, 64857, 64858, 64859, 50111, 10046, 64950, 64952, 64951, 63216, 63215,
    64765, 12007, 54003, 12014, 64807, 64935, 64953, 64911, 64969, 64954, 64913, 64914, 64835, 64834, 49051,
    49023, 64836, 64916, 64955, 64839, 64832, 64956, 64959, 64957, 64961, 64964, 64962, 64963, 64979, 64982,
    64980, 64981, 64990, 64993, 64991, 64992, 64995, 64998, 64996, 64997, 64966, 64973, 64974, 64976, 64977,
    64978, 64902, 64919, 44513, 44514, 64826, 64827, 64923, 64949, 64903, 64833, 64021, 64020};

// The client, one "UCC" per exchange, contacts and status.
constexpr int kGeneralFields[] = {54001, 54002, 64009, 50110, 64840, 64841, 64842, 64843, 64844,
                                  64845, 64846, 64847, 64848, 64849, 64850, 64851, 64852, 64853,
                                  64854, 64855, 64856, 64857, 64858, 64859, 50111, 10046, 64950,
                                  64952, 64951, 63216, 63215, 64765, 12007, 54003};

// The first bank account, then (after the payment code) the other five.
constexpr int kFirstBankFields[] = {64953, 64911, 64969, 64954, 64913, 64914,
                                    64835, 64834, 49051, 49023, 64836, 64916};
constexpr int kOtherBankFields[] = {64956, 64959, 64957, 64958, 64961, 64964, 64962, 64963, 64979, 64982,
                                    64980, 64981, 64990, 64993, 64991, 64992, 64995, 64998, 64996, 64997};

constexpr int kDpFields[] = {64966, 64973, 64974, 64976, 64977, 64978, 64902, 64919,
                             44513, 44514, 64826, 64827, 64923, 64949, 64903, 64833};

void AddSquareOff(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    if (!reply.IsPresent(kSquareOff))
        return;
    if (const std::optional<std::string> setting = reply.GetText(kSquareOff, 0))
    {
        const auto [context, inclusion] = MapSquareOff(*setting);
        b.AddRow("Client Context", context, {});
        b.AddRow("Square Off", inclusion, {});
    }
    else
    {
        b.AddRow("Square Off", kNotAvailable, {});
    }
    if (const std::optional<std::string> oldSetting = reply.GetText(kSquareOff, 1))
    {
        const auto [context, inclusion] = MapSquareOff(*oldSetting);
        b.AddRow("Client Context", {}, context);
        b.AddRow("Square Off", {}, inclusion);
    }
}

void AddSorEnabled(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    if (!reply.IsPresent(kSorEnabled))
        return;
    const std::optional<std::string> value = reply.GetText(kSorEnabled, 0);
    const std::optional<std::string> oldValue = reply.GetText(kSorEnabled, 1);
    b.AddRow("SOR Enabled", value ? MapSorEnabled(*value) : kNotAvailable,
             oldValue ? MapSorEnabled(*oldValue) : std::string());
}

void AddGeneral(CDetailSectionBuilder& b)
{
    b.OpenSection("General");
    b.AddFieldRows(kGeneralFields);
    AddSquareOff(b);
    AddSorEnabled(b);
    b.AddFieldRow(kClientDob);
    b.CloseSection();
}

// The payment mode chooses which field holds the code; modes are compared as the server writes them.
int PaymentCodeField(const std::string& mode)
{
    if (mode == "ECS")
        return 64955;
    if (mode == "RTGS")
        return 64839;
    if (mode == "NEFT")
        return 64832;
    return 0;
}

void AddBankDetails(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    b.OpenSection("Bank Details");
    b.AddFieldRows(kFirstBankFields);
    const int codeField = PaymentCodeField(reply.GetText(kPaymentMode, 0).value_or(""));
    if (codeField != 0 && reply.IsPresent(codeField))
        b.AddRow("Payment Code", reply.GetNewText(codeField), reply.GetOldText(codeField));
    b.AddFieldRows(kOtherBankFields);
    b.CloseSection();
}

void AddDpDetails(CDetailSectionBuilder& b)
{
    b.OpenSection("DP Details");
    b.AddFieldRows(kDpFields);
    b.CloseSection();
}

// One section per segment of the list, titled with its exchange code, with the exchange's
// "PCode". A list carried only as the old value puts both in the old-value column.
void AddSegmentSections(CDetailSectionBuilder& b, const std::string& segments, bool bOld)
{
    const CDetailReply& reply = b.Reply();
    std::size_t from = 0;
    while (from <= segments.size())
    {
        std::size_t end = segments.find('|', from);
        if (end == std::string::npos)
            end = segments.size();
        const std::string segment = segments.substr(from, end - from);
        from = end + 1;
        if (segment.empty())
            continue;
        sMCListStruct& title = b.OpenSection("Exchange:");
        (bOld ? title.m_strOldValue : title.m_strValue) = GetSegmentCode(segment);
        const int exchange = GetExchangeId(segment);
        if (exchange != -1)
        {
            const std::optional<std::string> code = reply.GetText(exchange, 0);
            if (code && bOld)
                b.AddRow("PCode", {}, *code);
            else if (code)
                b.AddRow("PCode", *code, {});
        }
        b.CloseSectionShown();
    }
}

// Without a segment list, one section with every exchange's "PCode" the reply carries.
void AddExchangeCodes(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    b.OpenSection({});
    for (int exchange : GetExchangeList())
    {
        if (const std::optional<std::string> code = reply.GetText(exchange, 0))
            b.AddRow(GetExchangeCode(exchange) + " PCode", *code, reply.GetOldText(exchange));
    }
    b.CloseSection();
}

void AddExchanges(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    if (const std::optional<std::string> segments = reply.GetText(kSegments, 0))
        AddSegmentSections(b, *segments, false);
    else if (const std::optional<std::string> oldSegments = reply.GetText(kSegments, 1))
        AddSegmentSections(b, *oldSegments, true);
    else
        AddExchangeCodes(b);
}
} // namespace

void BuildAccountDetails(MnmHndl message, CMultiLineListCtrl& grid)
{
    CDetailSectionBuilder b(message, grid);
    const CDetailReply& reply = b.Reply();
    if (!reply.IsPresent(kClientId) || std::none_of(kGateFields.begin(), kGateFields.end(),
                                                    [&](int field) { return reply.IsPresent(field); }))
    {
        b.ShowNoParameters();
        return;
    }
    AddGeneral(b);
    AddBankDetails(b);
    AddDpDetails(b);
    AddExchanges(b);
    if (reply.IsPresent(kProducts))
    {
        b.OpenSection("Products Enabled");
        b.AddProductListRows(kProducts);
        b.CloseSection();
    }
}
