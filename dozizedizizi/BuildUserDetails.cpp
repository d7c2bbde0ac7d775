// The details of a new or modified user, section by section.
#include "dozizedizizi/DetailBuilders.h"
#include "dozizedizizi/DetailMappings.h"
#include "dozizedizizi/DetailSectionBuilder.h"
#include "dozizedizizi/FieldLabels.h"

#include <algorithm>
#include <array>

namespace
{
constexpr int kDealerId = 31003;
constexpr int kPassword = 30004;
constexpr int kClientOverView = 63225;
constexpr int kAccessType = 63212;
constexpr int kAccessTypeOther = 63220;
constexpr int kTransPassword = 63211;
constexpr int kUnlabelledDetail = 31803;
constexpr int kExchange = 63001;
constexpr int kExpiryDate = 64018;
constexpr int kExchangeStatus = 63076;
constexpr int kExchangeUserId = 64013;
constexpr int kExchangeUserInfo = 64027;
constexpr int kRouteToRms = 64025;
constexpr int kProductTypesTitle = 64030;
constexpr int kProductTypes = 64020;

// A user reply shows something only when it carries at least one of these.
constexpr std::array kGateFields{64017, 63248, 54220, 63235, 30001, 30004, 50110, 63225, 10046, 54036,
                                 64056, 64053, 43438, 63212, 63220, 63227, 64765, 63216, 64019, 63215,
                                 63211, 63213, 64060, 63217, 31803, 64710, 54376, 64018, 63001, 63076,
                                 64013, 64027, 64025, 64020, 44201, 64815, 10109, 64916, 64903};

using FieldRow = CDetailSectionBuilder::FieldRow;

// Passwords are never shown; the old transaction password is shown as the server sends it.
constexpr FieldRow kGeneralRows[] = {{64017}, {63248},
                                     {54220}, {64916},
                                     {64903}, {63235},
                                     {30001}, {kPassword, MapReset, MapReset},
                                     {50110}, {kClientOverView, MapEnabledFlag},
                                     {10046}, {54036},
                                     {64056}, {64053},
                                     {43438}};

// The label table has none for 31803; the checker still sees which field it is.
constexpr FieldRow kDetailsRows[] = {{63227}, {64765},
                                     {63216}, {64019},
                                     {63215}, {kTransPassword, MapReset},
                                     {63213}, {64060},
                                     {63217}, {kUnlabelledDetail, nullptr, nullptr, "Field 31803"},
                                     {64710}, {54376}};

void AddGeneral(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    b.OpenSection("General");
    // With an exchange in the reply, the user is identified by the exchange section instead.
    if (!reply.IsPresent(kExchange))
        b.AddRow(GetFieldLabel(kDealerId), reply.GetNewText(kDealerId), reply.GetOldText(kDealerId));
    b.AddFieldRows(kGeneralRows);
    b.CloseSection();
}

// One row even when the field carries a new and an old value: the old value stands beside it.
void AddAccessType(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    b.OpenSection(GetFieldLabel(kAccessType));
    const int field = reply.IsPresent(kAccessType)        ? kAccessType
                      : reply.IsPresent(kAccessTypeOther) ? kAccessTypeOther
                                                          : 0;
    if (field != 0)
        b.AddRow({}, reply.GetNewText(field), reply.GetOldText(field));
    b.CloseSection();
}

void AddDetails(CDetailSectionBuilder& b)
{
    b.OpenSection("Details");
    b.AddFieldRows(kDetailsRows);
    b.CloseSection();
}

std::string ExchangeTitle(const CDetailReply& reply, int nIndex)
{
    const std::optional<std::string> segment = reply.GetText(kExchange, nIndex);
    return segment ? MapExchangeTitle(*segment) : std::string();
}

// A new user carries one value per exchange in each exchange field: one section per exchange.
void AddNewUserExchanges(CDetailSectionBuilder& b)
{
    const CDetailReply& reply = b.Reply();
    const int exchanges = reply.GetValueCount(kExpiryDate);
    for (int i = 0; i < exchanges; ++i)
    {
        b.OpenSection(ExchangeTitle(reply, i));
        b.AddValueRow(kExpiryDate, i, MapZeroDate);
        b.AddValueRow(kExchangeStatus, 0, MapEnabledFlag);
        b.AddValueRow(kExchangeUserId, i, MapDefaultMarker);
        b.AddValueRow(kExchangeUserInfo, i, MapDefaultMarker);
        b.AddValueRow(kRouteToRms, i, MapRouteFlag);
        b.CloseSection();
    }
}

// A modification of one exchange: the new and the old value of each field on rows of their own.
void AddModifiedExchange(CDetailSectionBuilder& b)
{
    struct ExchangeField
    {
        int id;
        CDetailSectionBuilder::Mapping map;
    };
    static constexpr ExchangeField kFields[] = {{kExchangeStatus, MapEnabledFlag},
                                                {kExpiryDate, MapZeroDate},
                                                {kExchangeUserId, MapDefaultMarker},
                                                {kExchangeUserInfo, MapDefaultMarker},
                                                {kRouteToRms, MapRouteFlag}};
    b.OpenSection(ExchangeTitle(b.Reply(), 0));
    for (const ExchangeField& field : kFields)
    {
        b.AddValueRow(field.id, 0, field.map);
        b.AddValueRow(field.id, 1, field.map, true);
    }
    b.CloseSection();
}

void AddListSection(CDetailSectionBuilder& b, int nFieldId)
{
    if (!b.Reply().IsPresent(nFieldId))
        return;
    b.OpenSection(GetFieldLabel(nFieldId));
    b.AddEveryValueRows(nFieldId);
    b.CloseSection();
}
} // namespace

void BuildUserDetails(MnmHndl message, CMultiLineListCtrl& grid)
{
    CDetailSectionBuilder b(message, grid);
    const CDetailReply& reply = b.Reply();
    if (!reply.GetText(kDealerId, 0) || std::none_of(kGateFields.begin(), kGateFields.end(),
                                                     [&](int field) { return reply.IsPresent(field); }))
    {
        b.ShowNoParameters();
        return;
    }
    AddGeneral(b);
    AddAccessType(b);
    AddDetails(b);
    if (reply.IsPresent(kExchange))
    {
        if (reply.IsPresent(kExpiryDate))
            AddNewUserExchanges(b);
        else
            AddModifiedExchange(b);
    }
    if (reply.IsPresent(kProductTypes))
    {
        b.OpenSection(GetFieldLabel(kProductTypesTitle));
        b.AddProductListRows(kProductTypes);
        b.CloseSection();
    }
    for (int field : {44201, 64815, 10109})
        AddListSection(b, field);
}
