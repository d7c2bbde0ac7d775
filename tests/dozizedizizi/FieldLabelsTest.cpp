#include "dozizedizizi/FieldLabels.h"
#include "dozizedizizi/ExchangeTables.h"

#include <gtest/gtest.h>

namespace
{
class FieldLabels : public ::testing::Test
{
protected:
    void SetUp() override { FillFieldLabels(); }
    void TearDown() override { ClearFieldLabels(); }
};

TEST_F(FieldLabels, LaterInsertionsReplaceEarlierLabels)
{
    EXPECT_EQ(GetFieldLabel(64211), "Buy Sec Limit");
    EXPECT_EQ(GetFieldLabel(50110), "Email Add");
    EXPECT_EQ(GetFieldLabel(64329), "Margin Sqr Off Perc Warn");
}

TEST_F(FieldLabels, UnknownIdHasAnEmptyLabel)
{
    EXPECT_EQ(GetFieldLabel(31803), "");
    EXPECT_EQ(GetFieldLabel(0), "");
}

TEST_F(FieldLabels, LabelTableHoldsEveryIdOnceAndSharedLabels)
{
    EXPECT_EQ(GetFieldLabelMap().GetCount(), 237);
    EXPECT_EQ(GetFieldLabel(31003), "Dealer ID");
    EXPECT_EQ(GetFieldLabel(64935), "Client DOB");
    EXPECT_EQ(GetFieldLabel(63212), "Access Type");
    EXPECT_EQ(GetFieldLabel(63220), "Access Type");
    EXPECT_EQ(GetFieldLabel(63219), "User IP");
    EXPECT_EQ(GetFieldLabel(63215), "User IP");
    EXPECT_EQ(GetFieldLabel(64844), "MCX UCC");
    EXPECT_EQ(GetFieldLabel(64852), "MCX UCC");
}

TEST_F(FieldLabels, BothSecLimitLabelsGiveTheSameFieldId)
{
    int id = 0;
    ASSERT_TRUE(GetLabelFieldId("Sec Limit", id));
    EXPECT_EQ(id, 64211);
    ASSERT_TRUE(GetLabelFieldId("Buy Sec Limit", id));
    EXPECT_EQ(id, 64211);
}

TEST_F(FieldLabels, FieldIdTableHoldsExactlyTheEditableLimitLabels)
{
    EXPECT_EQ(GetFieldIdMap().GetCount(), 49);
    // Every editable label but the older "Sec Limit" is also the label its id shows.
    GetFieldIdMap().ForEach(
        [](const std::string& label, int id)
        {
            if (label != "Sec Limit")
            {
                EXPECT_EQ(GetFieldLabel(id), label) << id;
            }
        });
    int id = 0;
    EXPECT_TRUE(GetLabelFieldId("Premium Net Limit", id));
    EXPECT_EQ(id, 41336);
    EXPECT_FALSE(GetLabelFieldId("Rule", id)); // a limit-screen label that is not editable
    EXPECT_FALSE(GetLabelFieldId("buy sec limit", id));
}

TEST_F(FieldLabels, FillingAlsoFillsTheExchangeListAndClearingEmptiesAllThree)
{
    EXPECT_EQ(GetExchangeList().size(), 21u);
    FillFieldLabels(); // a second fill changes nothing
    EXPECT_EQ(GetFieldLabelMap().GetCount(), 237);
    EXPECT_EQ(GetExchangeList().size(), 21u);
    ClearFieldLabels();
    EXPECT_TRUE(GetFieldLabelMap().IsEmpty());
    EXPECT_TRUE(GetFieldIdMap().IsEmpty());
    EXPECT_TRUE(GetExchangeList().empty());
    EXPECT_EQ(GetFieldLabel(31003), "");
}
} // namespace
