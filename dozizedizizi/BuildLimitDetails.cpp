// The RMS limits of one owner: a single section, editable by a checker with the modify right.
#include "base/HostFunctions.h"
#include "dozizedizizi/DetailBuilders.h"
#include "dozizedizizi/DetailMappings.h"
#include "dozizedizizi/DetailSectionBuilder.h"
#include "dozizedizizi/FieldLabels.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace
{
constexpr int kAdhocMargin = 64158;
constexpr int kAdhocMarginGate = 64174;
constexpr int kCategoryName = 13034;
constexpr int kRemarksText = 64312;
constexpr int kOrderQuantityLimit = 41236;
constexpr int kGroupWiseValidation = 64037;

// The owner of the limits: the first of these that the reply names.
struct Owner
{
    int id;
    const char* prefix;
};
constexpr Owner kOwners[] = {{64056, "Broker - "},
                             {64053, "Branch - "},
                             {64052, "Account Group - "},
                             {31003, "Dealer - "},
                             {54001, "Client - "}};

// Limits below the broker and branch (an account group, a dealer or a client) are shown when
// one of these carries a value.
constexpr std::array kOwnedEntities{54001, 31003, 64052};
constexpr std::array kEntityLimitFields{
    13034, 64031, 64158, 64302, 64164, 64036, 64211, 64210, 64286, 64326, 64423, 64425, 64464, 64466, 64468,
    64470, 54019, 64033, 64035, 64178, 64177, 64313, 64312, 64422, 64424, 64465, 64467, 64469, 41047, 41235,
    41236, 41000, 41139, 41140, 41141, 41142, 41143, 41144, 41268, 41269, 41270, 41271, 64037};
// Any owner's limits are shown when one of these carries a value.
constexpr std::array kAnyOwnerLimitFields{41282, 64420, 64421, 41336};

enum class Form
{
    Number,  // a double shown with two decimals, at the precision the server keeps (single)
    Integer, // a whole number
    Text     // as received
};

struct LimitRow
{
    int id;
    Form form;
};

constexpr LimitRow kLimitRows[] = {
    {13034, Form::Text},   {64031, Form::Number}, {64158, Form::Number},  {64302, Form::Number},
    {64164, Form::Number}, {64036, Form::Number}, {64211, Form::Integer}, {64210, Form::Integer},
    {64286, Form::Number}, {64326, Form::Number}, {64423, Form::Number},  {64425, Form::Number},
    {64464, Form::Number}, {64466, Form::Number}, {64468, Form::Number},  {64470, Form::Number},
    {54019, Form::Number}, {64033, Form::Number}, {64035, Form::Number},  {64178, Form::Number},
    {64177, Form::Number}, {64313, Form::Number}, {64312, Form::Text},    {64422, Form::Number},
    {64424, Form::Number}, {64465, Form::Number}, {64467, Form::Number},  {64469, Form::Number},
    {41046, Form::Number}, {41047, Form::Number}, {41235, Form::Number},  {41236, Form::Integer},
    {41000, Form::Number}, {41139, Form::Number}, {41140, Form::Number},  {41141, Form::Number},
    {41142, Form::Number}, {41143, Form::Number}, {41144, Form::Number},  {41268, Form::Number},
    {41269, Form::Number}, {41270, Form::Number}, {41271, Form::Number},  {64037, Form::Text},
    {41282, Form::Text},   {64420, Form::Text},   {64421, Form::Text},    {41336, Form::Text}};

std::string FormatInteger(long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

// Narrowing a double beyond the single range gives an infinity, as IEEE arithmetic defines it.
static_assert(std::numeric_limits<float>::is_iec559);

// Value 0 in the row's form; nothing when the reply does not carry it in that form.
std::optional<std::string> ReadLimit(const CDetailReply& reply, const LimitRow& row)
{
    switch (row.form)
    {
    case Form::Number:
        if (const std::optional<double> value = reply.GetDouble(row.id, 0))
        {
            char text[64];
            std::snprintf(text, sizeof text, "%0.2f", static_cast<double>(static_cast<float>(*value)));
            return text;
        }
        return std::nullopt;
    case Form::Integer:
        if (const std::optional<long long> value = reply.GetLong(row.id, 0))
            return FormatInteger(*value);
        return std::nullopt;
    case Form::Text:
        return reply.GetText(row.id, 0);
    }
    return std::nullopt;
}

std::string ReadOldLimit(const CDetailReply& reply, const LimitRow& row)
{
    // The order quantity is shown as a whole number in both columns, so the two compare alike.
    if (row.id == kOrderQuantityLimit)
    {
        const std::optional<long long> value = reply.GetLong(row.id, 1);
        return value ? FormatInteger(*value) : std::string();
    }
    return reply.GetOldText(row.id);
}

bool HasModifyRight()
{
    const auto modifyRight =
        FindHostFunction<PFN_pu_get_maker_checker_Modify_Right>("pu_get_maker_checker_Modify_Right");
    return modifyRight && modifyRight() != 0;
}

std::string OwnerText(const CDetailReply& reply)
{
    for (const Owner& owner : kOwners)
    {
        if (const std::optional<std::string> value = reply.GetText(owner.id, 0))
            return owner.prefix + *value;
    }
    return {};
}

bool AnyValue(const CDetailReply& reply, std::span<const int> fields)
{
    return std::any_of(fields.begin(), fields.end(),
                       [&](int field) { return reply.GetText(field, 0).has_value(); });
}

bool CarriesLimits(const CDetailReply& reply)
{
    return (AnyValue(reply, kOwnedEntities) && AnyValue(reply, kEntityLimitFields)) ||
           AnyValue(reply, kAnyOwnerLimitFields);
}
} // namespace

void BuildLimitDetails(MnmHndl message, CMultiLineListCtrl& grid)
{
    // Asked on every reply, so that a right granted or withdrawn counts from the next request.
    const bool modifiable = HasModifyRight();
    const int limitEditType = modifiable ? MC_EDIT_PRICE : MC_EDIT_NONE;
    const int textEditType = modifiable ? MC_EDIT_TEXT : MC_EDIT_NONE;

    CDetailSectionBuilder b(message, grid);
    const CDetailReply& reply = b.Reply();
    b.OpenSection("RMS Limits");
    const std::string owner = OwnerText(reply);
    if (!CarriesLimits(reply))
    {
        b.DropSection();
        b.ShowNoParametersAt(1);
        return;
    }
    if (!owner.empty())
        b.AddRow("RMS Limit For", owner, {});
    for (const LimitRow& row : kLimitRows)
    {
        if (row.id == kAdhocMargin && reply.GetText(kAdhocMarginGate, 0) != "OK")
            continue;
        const std::optional<std::string> value = ReadLimit(reply, row);
        if (!value)
            continue;
        switch (row.id)
        {
        case kCategoryName:
            b.AddRow(GetFieldLabel(row.id), *value, ReadOldLimit(reply, row));
            break;
        case kRemarksText:
            b.AddRow(GetFieldLabel(row.id), *value, ReadOldLimit(reply, row), textEditType);
            break;
        case kGroupWiseValidation:
        {
            const std::optional<std::string> oldValue = reply.GetText(row.id, 1);
            b.AddRow(GetFieldLabel(row.id), MapGroupWiseValidation(*value),
                     oldValue ? MapGroupWiseValidation(*oldValue) : std::string(), textEditType);
            break;
        }
        default:
            b.AddRow(GetFieldLabel(row.id), *value, ReadOldLimit(reply, row), limitEditType);
            break;
        }
    }
    b.CloseSection();
}
