#include "dozizedizizi/DetailMappings.h"

#include <gtest/gtest.h>

namespace
{
TEST(DetailMappings, FlagsAndMarkersMatchOnlyTheExactServerText)
{
    EXPECT_EQ(MapEnabledFlag("Y"), "Enabled");
    EXPECT_EQ(MapEnabledFlag("y"), "Disabled");
    EXPECT_EQ(MapEnabledFlag(""), "Disabled");
    EXPECT_EQ(MapReset("any secret"), "Reset");
    EXPECT_EQ(MapReset(""), "Reset");
    EXPECT_EQ(MapZeroDate("0"), "NA");
    EXPECT_EQ(MapZeroDate("00"), "00");
    EXPECT_EQ(MapZeroDate("20251231"), "20251231");
    EXPECT_EQ(MapDefaultMarker("-1"), "Default");
    EXPECT_EQ(MapDefaultMarker("-10"), "-10");
    EXPECT_EQ(MapRouteFlag("OK"), "Yes");
    EXPECT_EQ(MapRouteFlag("ok"), "NO");
    EXPECT_EQ(MapRouteFlag("NOT OK"), "NO");
    EXPECT_EQ(MapSorEnabled("Y"), "YES");
    EXPECT_EQ(MapSorEnabled("N"), "NO");
    EXPECT_EQ(MapSorEnabled("X"), "");
    EXPECT_EQ(MapSorEnabled("y"), "");
}

TEST(DetailMappings, ProductListsNameMlInFullExceptAfterALeadingBar)
{
    EXPECT_EQ(MapProductList("ML"), "MLB");
    EXPECT_EQ(MapProductList("x|ML"), "x|MLB");
    EXPECT_EQ(MapProductList("CNC|ML|MIS|ML"), "CNC|MLB|MIS|MLB");
    EXPECT_EQ(MapProductList("|ML|CNC|ML"), "|ML|CNC|ML");
    EXPECT_EQ(MapProductList("ML|CNC"), "ML|CNC");
    EXPECT_EQ(MapProductList("ml"), "ml");
    EXPECT_EQ(MapProductList("x|ml"), "x|ml");
    EXPECT_EQ(MapProductList(""), "");
    // Every occurrence is a product name, even one with more letters after it.
    EXPECT_EQ(MapProductList("CNC|MLX"), "CNC|MLBX");
}

TEST(DetailMappings, ExchangeTitleAndSquareOff)
{
    EXPECT_EQ(MapExchangeTitle("nse_cm"), "Exchange:NSE");
    EXPECT_EQ(MapExchangeTitle("mcx_sx"), "Exchange:MCXSX");
    EXPECT_EQ(MapExchangeTitle("NSE"), "Exchange:");
    EXPECT_EQ(MapExchangeTitle("unknown"), "Exchange:");
    using Texts = std::pair<std::string, std::string>;
    EXPECT_EQ(MapSquareOff("Online-Sqroff"), Texts("Internet", "Included"));
    EXPECT_EQ(MapSquareOff("Offline-Sqroff"), Texts("Offline", "Included"));
    EXPECT_EQ(MapSquareOff("Online-NonSqroff"), Texts("Internet", "Excluded"));
    EXPECT_EQ(MapSquareOff("Offline-NonSqroff"), Texts("Offline", "Excluded"));
    EXPECT_EQ(MapSquareOff("online-sqroff"), Texts());
}

TEST(DetailMappings, GroupWiseValidationShownAsEOrDAndSentBackInTheServersWords)
{
    EXPECT_EQ(MapGroupWiseValidation("yes"), "E");
    EXPECT_EQ(MapGroupWiseValidation("no"), "D");
    EXPECT_EQ(MapGroupWiseValidation("YES"), "YES");
    EXPECT_EQ(MapGroupWiseValidation("maybe"), "maybe");

    const auto sent = [](const std::string& typed)
    {
        std::string text = "untouched";
        return GroupWiseValidationForServer(typed, text) ? text : "refused:" + text;
    };
    EXPECT_EQ(sent("E"), "yes");
    EXPECT_EQ(sent("D"), "no");
    EXPECT_EQ(sent(" e "), "yes");
    EXPECT_EQ(sent("d"), "no");
    EXPECT_EQ(sent("Yes"), "yes");
    EXPECT_EQ(sent("NO"), "no");
    EXPECT_EQ(sent("y"), "yes");
    EXPECT_EQ(sent("N"), "no");
    EXPECT_EQ(sent(""), "refused:untouched");
    EXPECT_EQ(sent("ED"), "refused:untouched");
    EXPECT_EQ(sent("enabled"), "refused:untouched");
}
} // namespace
