#include "grid/ColumnProfile.h"

#include <gtest/gtest.h>

namespace
{
sKivoColInfo Column(const char* name, int width, int dataType = KIVO_DT_TEXT)
{
    sKivoColInfo column;
    column.SetName(name);
    column.m_nWidth = width;
    column.m_nDataType = dataType;
    return column;
}

std::vector<sKivoColInfo> ThreeColumns()
{
    return {Column("Key", 75, KIVO_DT_INT64), Column("Maker", 90), Column("Entity", 120)};
}

TEST(ColumnProfileFormat, HiddenColumnIsSavedWithPositionMinusOneAndWidthZero)
{
    EXPECT_EQ(FormatColumnProfile(ThreeColumns(), 3, {0, -1, 1}, {75, 0, 120}), "0,0,75,1,-1,0,2,1,120");
}

TEST(ColumnProfileFormat, UserDefinedColumnCarriesNameAndBothExpressions)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    sKivoColInfo total = Column("Total", 80, KIVO_DT_DECIMAL);
    total.m_strExpression = " \"0\" * 2";
    total.m_strDisplayExpression = " \"Key\" * 2";
    columns.push_back(total);
    EXPECT_EQ(FormatColumnProfile(columns, 3, {0, 1, 2, 3}, {75, 90, 120, 80}),
              "0,0,75,1,1,90,2,2,120,3,3,80,Total# \"0\" * 2# \"Key\" * 2");
}

TEST(ColumnLayout, NoProfileShowsEveryColumnInDeclarationOrder)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    const ColumnLayout layout = LayoutColumns(columns, 3, std::nullopt);
    EXPECT_FALSE(layout.fromProfile);
    EXPECT_EQ(layout.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(layout.widths, (std::vector<int>{75, 90, 120}));
    EXPECT_EQ(layout.displayOrder, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(layout.firstShown, 0);
}

TEST(ColumnLayout, SavedLayoutComesBackWithItsOrderHiddenColumnAndUserColumn)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    const ColumnLayout layout =
        LayoutColumns(columns, 3, "0,1,70,1,-1,0,2,0,110,3,2,95,Total# \"0\" * 2# \"Key\" * 2");
    EXPECT_TRUE(layout.fromProfile);
    ASSERT_EQ(columns.size(), 4u);
    const sKivoColInfo& total = columns[3];
    EXPECT_EQ(total.GetName(), "Total");
    EXPECT_EQ(total.m_strExpression, " \"0\" * 2");
    EXPECT_EQ(total.m_strDisplayExpression, " \"Key\" * 2");
    EXPECT_EQ(total.m_nWidth, 80);
    EXPECT_EQ(total.m_nFormat, KIVO_ALIGN_RIGHT);
    EXPECT_EQ(total.m_nDataType, KIVO_DT_DECIMAL);
    EXPECT_EQ(layout.positions, (std::vector<int>{1, -1, 0, 2}));
    EXPECT_EQ(layout.widths, (std::vector<int>{70, 0, 110, 95}));
    EXPECT_EQ(layout.displayOrder, (std::vector<int>{2, 0, 3}));
    EXPECT_EQ(layout.firstShown, 2);
}

TEST(ColumnLayout, ColumnsAddedSinceTheProfileStartHiddenWithWidth100)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    columns.push_back(Column("Branch", 60));
    const ColumnLayout layout = LayoutColumns(columns, 4, "0,0,75,1,1,90,2,2,120");
    EXPECT_TRUE(layout.fromProfile);
    EXPECT_EQ(layout.positions, (std::vector<int>{0, 1, 2, -1}));
    EXPECT_EQ(layout.widths, (std::vector<int>{75, 90, 120, 100}));
    EXPECT_EQ(layout.displayOrder, (std::vector<int>{0, 1, 2}));
}

TEST(ColumnLayout, ProfileWithMoreEntriesThanColumnsIsIgnored)
{
    std::vector<sKivoColInfo> columns = {Column("Key", 75), Column("Maker", 90)};
    const ColumnLayout layout = LayoutColumns(columns, 2, "0,2,10,1,1,20,2,0,30");
    EXPECT_FALSE(layout.fromProfile);
    EXPECT_EQ(columns.size(), 2u);
    EXPECT_EQ(layout.positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(layout.widths, (std::vector<int>{75, 90}));
}

TEST(ColumnLayout, IgnoredProfileRecreatesNoUserColumns)
{
    std::vector<sKivoColInfo> columns = {Column("Key", 75)};
    // Two entries for column 0 plus a user column: three entries for two columns.
    const ColumnLayout layout = LayoutColumns(columns, 1, "0,0,10,0,1,20,1,2,30,U#e#d");
    EXPECT_FALSE(layout.fromProfile);
    EXPECT_EQ(columns.size(), 1u);
}

TEST(ColumnLayout, TripleCutShortEndsTheReading)
{
    std::vector<sKivoColInfo> columns = {Column("Key", 75), Column("Maker", 90)};
    const ColumnLayout layout = LayoutColumns(columns, 2, "0,0,60,1,0");
    EXPECT_EQ(layout.positions, (std::vector<int>{0, -1}));
    EXPECT_EQ(layout.widths, (std::vector<int>{60, 100}));
}

TEST(ColumnLayout, EntryBeyondTheBaseWithoutANameFieldIsAColumnTheListLost)
{
    const std::vector<ColumnProfileEntry> entries = ParseColumnProfile("0,0,60,1,1,80", 1);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[1].userDefined);
    std::vector<sKivoColInfo> columns = {Column("Key", 75)};
    const ColumnLayout layout = LayoutColumns(columns, 1, "0,0,60,1,1,80");
    EXPECT_FALSE(layout.fromProfile);
    EXPECT_EQ(columns.size(), 1u);
}

TEST(ColumnLayout, HandEditedPositionsAreRenumberedWithoutGaps)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    const ColumnLayout layout = LayoutColumns(columns, 3, "0,5,50,1,5,60,2,-7,-10");
    EXPECT_EQ(layout.positions, (std::vector<int>{0, 1, -1}));
    EXPECT_EQ(layout.widths, (std::vector<int>{50, 60, 0}));
    EXPECT_EQ(layout.displayOrder, (std::vector<int>{0, 1}));
    EXPECT_EQ(layout.firstShown, 0);

    std::vector<sKivoColInfo> one = {Column("Key", 75)};
    EXPECT_EQ(LayoutColumns(one, 1, "0,-1,0").firstShown, -1); // nothing shown, nothing first
}

TEST(ColumnLayout, WidthsNoWindowCanHaveAreHeldToTheLargestOne)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    const ColumnLayout layout =
        LayoutColumns(columns, 3, "0,0,2147483647,1,1,99999999999999,2,2,-2147483648");
    EXPECT_EQ(layout.widths, (std::vector<int>{32767, 32767, 0}));
    EXPECT_EQ(layout.displayOrder, (std::vector<int>{0, 1, 2}));
}

TEST(ColumnProfileParse, UserFieldSplitsAtTheFirstTwoHashes)
{
    const std::vector<ColumnProfileEntry> entries = ParseColumnProfile("0,0,75,7,1,80,Net#\"0\"-1#A#B", 1);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[0].userDefined);
    EXPECT_TRUE(entries[1].userDefined);
    EXPECT_EQ(entries[1].index, 7);
    EXPECT_EQ(entries[1].name, "Net");
    EXPECT_EQ(entries[1].expression, "\"0\"-1");
    EXPECT_EQ(entries[1].displayExpression, "A#B");

    // Whatever index it was saved under, the recreated column takes the next free index.
    std::vector<sKivoColInfo> columns = {Column("Key", 75)};
    const ColumnLayout layout = LayoutColumns(columns, 1, "0,0,75,7,1,80,Net#\"0\"-1#A#B");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(layout.positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(layout.widths, (std::vector<int>{75, 80}));
}

TEST(ColumnProfileParse, OverlongUserColumnNameIsCutToFitItsField)
{
    std::vector<sKivoColInfo> columns = {Column("Key", 75)};
    const std::string name(100, 'n');
    LayoutColumns(columns, 1, "0,0,75,1,1,80," + name + "#1#1");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[1].GetName(), name.substr(0, 63));
}

TEST(ColumnProfileRoundTrip, WhatIsSavedLaysOutTheSameWay)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    sKivoColInfo net = Column("Net", 80, KIVO_DT_DECIMAL);
    net.m_strExpression = " \"0\"-\"2\"";
    net.m_strDisplayExpression = " \"Key\"-\"Entity\"";
    columns.push_back(net);
    const std::vector<int> positions{2, -1, 0, 1};
    const std::vector<int> widths{75, 0, 120, 64};
    const std::string profile = FormatColumnProfile(columns, 3, positions, widths);

    std::vector<sKivoColInfo> reloaded = ThreeColumns();
    const ColumnLayout layout = LayoutColumns(reloaded, 3, profile);
    ASSERT_EQ(reloaded.size(), 4u);
    EXPECT_EQ(reloaded[3].m_strExpression, net.m_strExpression);
    EXPECT_EQ(reloaded[3].m_strDisplayExpression, net.m_strDisplayExpression);
    EXPECT_EQ(layout.positions, positions);
    EXPECT_EQ(layout.widths, widths);
    EXPECT_EQ(FormatColumnProfile(reloaded, 3, layout.positions, layout.widths), profile);
}
} // namespace
