#include "grid/ListAppearance.h"

#include <gtest/gtest.h>

namespace
{
sListAppearance WithKeywords(std::vector<std::string> keywords, std::vector<COLORREF> colors)
{
    sListAppearance appearance;
    appearance.SetKeywords(keywords, colors);
    return appearance;
}

TEST(ListAppearance, DefaultsAreGreenOnBlackInTheDialogFont)
{
    const sListAppearance& standard = GetDefaultListAppearance();
    EXPECT_EQ(standard.m_clrBackground, 0u);
    EXPECT_EQ(standard.m_clrText, 0x00FF00u);
    EXPECT_EQ(standard.m_strFontFace, "MS Shell Dlg 2");
    EXPECT_EQ(standard.m_strFontSize, "8");
    EXPECT_EQ(standard.m_nKeywordColumn, -1);
    EXPECT_FALSE(standard.m_bColumnText);
    EXPECT_EQ(standard.m_pKeywords, nullptr);
    EXPECT_EQ(standard.m_pKeywordColors, nullptr);
    EXPECT_EQ(standard.FormatSetting(), "0,FF00,MS Shell Dlg 2,8");
}

TEST(ListAppearance, CopiesOwnTheirKeywordArrays)
{
    const sListAppearance original = WithKeywords({"buy"}, {0xFF});
    sListAppearance copy = original;
    ASSERT_NE(copy.m_pKeywords, nullptr);
    EXPECT_NE(copy.m_pKeywords.get(), original.m_pKeywords.get());
    copy.m_pKeywords->at(0) = "sell";
    copy.m_pKeywordColors->at(0) = 0xFF00;
    EXPECT_EQ(original.m_pKeywords->at(0), "buy");
    EXPECT_EQ(original.m_pKeywordColors->at(0), 0xFFu);

    sListAppearance assigned;
    assigned = original;
    const sListAppearance& same = assigned;
    assigned = same; // assigning a list's appearance to itself keeps the arrays
    ASSERT_NE(assigned.m_pKeywords, nullptr);
    EXPECT_EQ(assigned.m_pKeywords->at(0), "buy");
}

TEST(ListAppearanceFormat, TheKeywordPartEndsWithACommaAndNamesTheColumnOnlyWhenThereIsOne)
{
    sListAppearance appearance = WithKeywords({"BUY"}, {0x0000FF});
    appearance.m_nKeywordColumn = 3;
    EXPECT_EQ(appearance.FormatSetting(), "0,FF00,MS Shell Dlg 2,8,3,buy,FF,");
    EXPECT_EQ(WithKeywords({"buy back", "buy"}, {0xABCDEF, 0x10}).FormatSetting(),
              "0,FF00,MS Shell Dlg 2,8,buy back,ABCDEF,buy,10,");
}

TEST(ListAppearanceParse, ReadsColoursFontColumnAndKeywordPairs)
{
    sListAppearance appearance;
    appearance.ParseSetting("ffffff,0,Arial,10,3,BUY,ff,Sell,ff00,");
    EXPECT_EQ(appearance.m_clrBackground, 0xFFFFFFu);
    EXPECT_EQ(appearance.m_clrText, 0u);
    EXPECT_EQ(appearance.m_strFontFace, "Arial");
    EXPECT_EQ(appearance.m_strFontSize, "10");
    EXPECT_EQ(appearance.m_nKeywordColumn, 3);
    ASSERT_EQ(appearance.GetKeywordCount(), 2);
    EXPECT_EQ(*appearance.m_pKeywords, (std::vector<std::string>{"buy", "sell"}));
    EXPECT_EQ(*appearance.m_pKeywordColors, (std::vector<COLORREF>{0xFF, 0xFF00}));
}

TEST(ListAppearanceParse, KeywordColumnMinusOneOrBelowRestoresOnlyColoursAndFont)
{
    sListAppearance appearance;
    appearance.ParseSetting("FF,FFFFFF,Courier New,9,-1,buy,FF,");
    EXPECT_EQ(appearance.m_clrBackground, 0xFFu);
    EXPECT_EQ(appearance.m_clrText, 0xFFFFFFu);
    EXPECT_EQ(appearance.m_strFontFace, "Courier New");
    EXPECT_EQ(appearance.m_nKeywordColumn, -1);
    EXPECT_EQ(appearance.m_pKeywords, nullptr);
    // A column below -1 is no column either.
    appearance.ParseSetting("0,FF00,Arial,8,-2147483648,buy,FF,");
    EXPECT_EQ(appearance.m_nKeywordColumn, -1);
    EXPECT_EQ(appearance.GetKeywordCount(), 0);
}

TEST(ListAppearanceParse, KeywordWithoutItsColourDropsEveryKeyword)
{
    sListAppearance appearance;
    appearance.ParseSetting("0,FF00,MS Shell Dlg 2,8,2,buy,FF,sell,");
    EXPECT_EQ(appearance.m_nKeywordColumn, 2);
    ASSERT_NE(appearance.m_pKeywords, nullptr);
    EXPECT_TRUE(appearance.m_pKeywords->empty());
    EXPECT_TRUE(appearance.m_pKeywordColors->empty());
}

TEST(ListAppearanceParse, KeywordsSavedWithoutAColumnComeBackAsNone)
{
    const sListAppearance saved = WithKeywords({"buy", "sell", "hold"}, {0xFF, 0xFF00, 0xFF0000});
    sListAppearance loaded;
    loaded.ParseSetting(saved.FormatSetting());
    EXPECT_EQ(loaded.m_clrText, 0x00FF00u);
    EXPECT_EQ(loaded.m_strFontFace, "MS Shell Dlg 2");
    EXPECT_EQ(loaded.GetKeywordCount(), 0);
}

TEST(ListAppearanceParse, MissingFieldsAndValuesThatAreNoValuesKeepWhatIsInForce)
{
    sListAppearance appearance;
    appearance.ParseSetting("zz,,");
    EXPECT_EQ(appearance.m_clrBackground, 0u);
    EXPECT_EQ(appearance.m_clrText, 0x00FF00u);
    EXPECT_EQ(appearance.m_strFontFace, "MS Shell Dlg 2");
    appearance.ParseSetting("FF,GG");
    EXPECT_EQ(appearance.m_clrBackground, 0xFFu);
    EXPECT_EQ(appearance.m_clrText, 0x00FF00u) << "a text colour that is no colour does not turn black";
}

TEST(ListAppearanceParse, ColoursAreHexadecimalUpToFFFFFF)
{
    const auto read = [](const char* value)
    {
        sListAppearance appearance;
        appearance.m_clrBackground = 0x123456;
        appearance.ParseSetting(value);
        return appearance.m_clrBackground;
    };
    EXPECT_EQ(read("abcdef,FF00"), 0xABCDEFu);
    EXPECT_EQ(read("00FF0000,FF00"), 0xFF0000u) << "leading zeros are fine";
    EXPECT_EQ(read(" FF ,FF00"), 0xFFu) << "blanks around the digits are fine";
    EXPECT_EQ(read("1000000,FF00"), 0x123456u) << "beyond the three colour bytes";
    EXPECT_EQ(read("1FFFFFFFF,FF00"), 0x123456u) << "beyond 32 bits";
    EXPECT_EQ(read("-1,FF00"), 0x123456u);
    EXPECT_EQ(read("0x10,FF00"), 0x123456u);
    EXPECT_EQ(read("FF00zz,FF00"), 0x123456u) << "junk after digits makes no colour";
}

TEST(ListAppearanceParse, FontSizesAreWholePointsFromOneTo1638)
{
    const auto read = [](const char* size)
    {
        sListAppearance appearance;
        appearance.ParseSetting(std::string("0,FF00,Arial,") + size);
        return appearance.m_strFontSize;
    };
    EXPECT_EQ(read("1"), "1");
    EXPECT_EQ(read("1638"), "1638");
    EXPECT_EQ(read("10.5"), "10.5") << "stored as given; the list takes 10 points";
    for (const char* bad :
         {"0", "1639", "400000000", "-1610612736", "-8", "8pt", "big", "99999999999999999999"})
        EXPECT_EQ(read(bad), "8") << bad;
}

TEST(ListAppearanceParse, KeywordColourThatIsNoColourTakesTheTextColour)
{
    sListAppearance appearance;
    appearance.ParseSetting("0,FF00,Arial,8,2,buy,red,sell,FF,");
    ASSERT_EQ(appearance.GetKeywordCount(), 2);
    EXPECT_EQ(*appearance.m_pKeywordColors, (std::vector<COLORREF>{0xFF00, 0xFF}));
}

} // namespace
