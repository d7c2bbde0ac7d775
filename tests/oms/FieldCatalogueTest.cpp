// What the server keeps of a limit typed by a checker or a maker: amounts to the cent and whole
// counts, each refused with a reason that says what is wrong when it cannot be kept as it stands.
#include "oms/FieldCatalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using oms::EntityKind;
using oms::FieldCatalogue;

struct Case
{
    const char* value;
    const char* kept;   // nullptr: refused
    const char* reason; // a part of the refusal
};

void Check(const char* field, const Case& c)
{
    SCOPED_TRACE(std::string(field) + " '" + c.value + "'");
    const oms::FieldSpec* spec = FieldCatalogue::Find(EntityKind::Limits, field);
    ASSERT_NE(spec, nullptr);
    std::string error;
    const std::optional<std::string> kept = FieldCatalogue::Normalise(*spec, c.value, &error);
    if (c.kept)
    {
        ASSERT_TRUE(kept.has_value()) << error;
        EXPECT_EQ(*kept, c.kept);
        return;
    }
    EXPECT_FALSE(kept.has_value()) << "kept as " << kept.value_or("");
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(std::string("'") + c.value + "'"), std::string::npos)
        << "names what came: " << error;
}

TEST(FieldCatalogueTest, AnAmountIsKeptToTheCentOrRefusedWithWhatIsWrongWithIt)
{
    const Case cases[] = {
        {"2500000", "2500000.00", ""},
        {"1250.5", "1250.50", ""},
        {"0.50", "0.50", ""},
        {"1250.500", "1250.50", ""}, // trailing zeros change nothing
        {"999999999999999.99", "999999999999999.99", ""},
        {"000000000000000012.00", "12.00", ""}, // zeros in front are no digits of the amount
        {"-5.00", nullptr, "cannot be negative"},
        {"-0.00", nullptr, "cannot be negative"},
        {"-5", nullptr, "cannot be negative"},
        {"1000000000000000.00", nullptr, "more than 15 digits before the point"},
        {"1250.505", nullptr, "more than two decimals"},
        {"12,500.00", nullptr, "takes an amount"},
        {"--5", nullptr, "takes an amount"},
        {"-", nullptr, "takes an amount"},
        {".50", nullptr, "takes an amount"},
        {"1e5", nullptr, "takes an amount"},
    };
    for (const Case& c : cases)
        Check("cash-margin", c);
}

TEST(FieldCatalogueTest, ACountIsAWholeNumberOfAtMostFifteenDigits)
{
    const Case cases[] = {
        {"5000", "5000", ""},
        {"0005000", "5000", ""},
        {"0", "0", ""},
        {"999999999999999", "999999999999999", ""},
        {"-5000", nullptr, "cannot be negative"},
        {"1000000000000000", nullptr, "more than 15 digits"},
        {"5000.00", nullptr, "takes a whole number"},
        {"-", nullptr, "takes a whole number"},
    };
    for (const Case& c : cases)
        Check("order-quantity", c);
}

} // namespace
