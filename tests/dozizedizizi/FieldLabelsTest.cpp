#include "dozizedizizi/FieldLabels.h"
#include "dozizedizizi/ExchangeTables.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{
// Every field id with the label it shows, once each, with the label that stays.
const std::map<int, std::string> kLabels = {
    {31003, "Dealer ID"},
    {64017, "Target UserID"},
    {30001, "DealerName"},
    {30004, "Password"},
    {50110, "Email Add"},
    {63225, "Client OverView"},
    {10046, "Address"},
    {54036, "User Type"},
    {64056, "Broker"},
    {64053, "Branch ID"},
    {63212, "Access Type"},
    {63220, "Access Type"},
    {63227, "Max Scrip Count"},
    {64765, "ARN NO"},
    {63216, "Mac Address"},
    {63219, "User IP"},
    {63215, "User IP"},
    {63211, "Trans Password"},
    {63213, "User Status"},
    {64060, "Role"},
    {63217, "User Tag"},
    {64710, "Pro Orders"},
    {54376, "Round off Pref"},
    {63001, "Exch"},
    {64018, "Expiry Date"},
    {64013, "Exch User ID"},
    {64027, "Exch User Info"},
    {64025, "Route to RMS"},
    {64030, "Product Types"},
    {44201, "Attributes"},
    {64815, "Kivo Actions"},
    {10109, "Order Types"},
    {63076, "Status"},
    {63248, "Max Portfolio Cnt"},
    {63235, "AutoSroff user"},
    {64019, "Days for Warning"},
    {54220, "Peer Admin"},
    {54001, "Client Id"},
    {54002, "Client Name"},
    {64009, "Exch Acct Id"},
    {50111, "Mobile No"},
    {64950, "Off. Address"},
    {64952, "Off.Phone No"},
    {64951, "Res.Phone No"},
    {64953, "Acct NO1"},
    {64958, "Acct NO2"},
    {64963, "Acct NO3"},
    {64981, "Acct NO4"},
    {64992, "Acct NO5"},
    {64997, "Acct NO6"},
    {64954, "Address 1"},
    {64959, "Bank Address 2"},
    {64964, "Bank Address 3"},
    {64982, "Bank Address 4"},
    {64993, "Bank Address 5"},
    {64998, "Bank Address 6"},
    {64913, "Bank Cust Id"},
    {64911, "Bank Name 1"},
    {64956, "Bank Name 2"},
    {64961, "Bank Name 3"},
    {64979, "Bank Name 4"},
    {64990, "Bank Name 5"},
    {64995, "Bank Name 6"},
    {64969, "Bank Branch Name 1"},
    {64957, "Bank Branch Name 2"},
    {64962, "Bank Branch Name 3"},
    {64980, "Bank Branch Name 4"},
    {64991, "Bank Branch Name 5"},
    {64996, "Bank Branch Name 6"},
    {64914, "Account Type"},
    {44513, "City"},
    {64834, "Op Mode"},
    {49023, "Pin Code"},
    {64902, "Gender"},
    {64919, "Occupation"},
    {49051, "Dp Maker"},
    {44514, "State"},
    {64835, "Statement Communication Mode"},
    {64826, "Folio NO"},
    {64827, "KYC Compliant"},
    {64836, "Payment Mode"},
    {64916, "Pan No"},
    {64966, "DP Account No 1"},
    {64973, "DP Account No 2"},
    {64974, "DP Account No 3"},
    {64976, "DP Account No 4"},
    {64977, "DP Account No 5"},
    {64978, "DP Account No 6"},
    {64833, "Tax Status"},
    {64903, "DOB"},
    {64923, "Guardian Name"},
    {64949, "Guardian Pan NO"},
    {12007, "Client Type"},
    {54003, "Client Status"},
    {64840, "NSE UCC"},
    {64841, "BSE UCC"},
    {64842, "NFO UCC"},
    {64843, "NCDEX UCC"},
    {64844, "MCX UCC"},
    {64845, "BFO UCC"},
    {64846, "CDS UCC"},
    {64847, "ICEX UCC"},
    {64848, "IPO UCC"},
    {64849, "NSPOT UCC"},
    {64850, "MFS UCC"},
    {64851, "LME UCC"},
    {64852, "MCX UCC"},
    {64853, "DGCX UCC"},
    {64854, "RCME UCC"},
    {64855, "ACE UCC"},
    {64856, "USE UCC"},
    {64857, "NMCE UCC"},
    {64858, "CMEMX UCC"},
    {64859, "SGX UCC"},
    {13034, "Category Name"},
    {64031, "Cash Margin"},
    {64211, "Buy Sec Limit"},
    {64164, "Finance Limit"},
    {64036, "Del.Amt.Lim"},
    {64158, "Adhoc Margin"},
    {64035, "Turnover Limit"},
    {64178, "Sell Exp Limit"},
    {64177, "Buy Exp Limit"},
    {64210, "Sell Sec Limit"},
    {64286, "Direct Collateral"},
    {64302, "Notional cash"},
    {64312, "Remarks Text"},
    {64033, "Exposure Limit"},
    {64422, "Buy Exp Future Limit"},
    {64423, "Buy Exp Option Limit"},
    {64424, "Sell Exp Future Limit"},
    {64425, "Sell Exp Option Limit"},
    {64464, "Cash NRML Ad Hoc"},
    {64465, "Cash MIS Ad Hoc"},
    {64466, "Cash CNC Ad Hoc"},
    {64467, "FO NRML Ad Hoc"},
    {64468, "FO MIS Ad Hoc"},
    {64469, "COM NRML Ad Hoc"},
    {64470, "COM MIS Ad Hoc"},
    {41046, "Cur NRML Adhoc"},
    {41047, "Cur MIS Adhoc"},
    {64326, "Gross Exp Der Limit"},
    {54019, "MToM Loss Limit"},
    {64313, "Remarks Amt"},
    {41235, "Order Value Limit"},
    {41236, "Order quantity limit"},
    {41000, "SLBM Limit"},
    {41139, "Buy Premium Limit"},
    {41140, "Sell Premium Limit"},
    {41141, "Buy Limit Future Turnover"},
    {41142, "Sell Limit Future Turnover"},
    {41143, "Buy limit Derivative Turnover"},
    {41144, "Sell limit Derivative Turnover"},
    {41268, "Opt NRML Adhoc"},
    {41269, "Opt MIS Adhoc"},
    {41270, "Cur Opt NRML Adhoc"},
    {41271, "Cur Opt MIS Adhoc"},
    {64037, "GroupWise Validation"},
    {41282, "Dane Limit"},
    {64420, "Buy Exposure limit for FO and Com"},
    {64421, "Sell Exposure limit for FO and Com"},
    {41336, "Premium Net Limit"},
    {10025, "Rule"},
    {64038, "M to M Pc"},
    {64047, "M to M Pc Incr"},
    {64048, "Margin Perc"},
    {64329, "Margin Sqr Off Perc Warn"},
    {64161, "Initial Margin Perc"},
    {64162, "Initial Margin Perc Warn"},
    {64163, "Initial Margin Perc Sqr Off"},
    {64264, "M to M Sqr Off Perc"},
    {64032, "Exposure Multiplier"},
    {64034, "Turnover Multiplier"},
    {64175, "Buy Exposure"},
    {64176, "Sell Exposure"},
    {64181, "M To M Multiplier"},
    {64431, "Buy Exposure Futures Multiplier"},
    {64432, "Sell Exposure Futures Multiplier"},
    {64433, "Buy Exposure Options Multiplier"},
    {64434, "Sell Exposure Options Multiplier"},
    {64173, "Margin Factor"},
    {64404, "Premium Margin Factor"},
    {64308, "NRML Cash"},
    {64310, "NRML FO Margin"},
    {64309, "MIS Cash Margin"},
    {64311, "MIS FO Margin"},
    {64367, "NRML Stock Margin"},
    {64368, "MIS Stock Margin"},
    {64369, "NRML Index Margin"},
    {64370, "MIS Index Margin"},
    {64316, "CNC Margin Factor"},
    {64350, "Cover Order Cash Factor"},
    {64327, "Collateral to Cash ratio"},
    {64335, "CNC Sell Credit Perc"},
    {41011, "Long FUT NRML Margin"},
    {41012, "Long FUT MIS Margin"},
    {41013, "Short FUT NRML Margin"},
    {41014, "Short FUT MIS Margin"},
    {41015, "Long OPT NRML Margin"},
    {41016, "Long OPT MIS Margin"},
    {41017, "Short OPT NRML Margin"},
    {41018, "Short OPT MIS Margin"},
    {64459, "Branch Adhoc Margin"},
    {64445, "NRML COM Margin"},
    {64446, "MIS COM Margin"},
    {41022, "NRML Premium Factor"},
    {41023, "MIS Premium Factor"},
    {41042, "NRML Sell Premium Factor"},
    {41043, "MIS Sell Premium Factor"},
    {64298, "CNC Brokerage"},
    {64405, "Cash NRML Brokerage Perc"},
    {64406, "Cash MIS Brokerage Perc"},
    {64407, "Cash CO Brokerage Perc"},
    {64408, "FO NRML Brokerage Perc"},
    {64409, "FO MIS Brokerage Perc"},
    {64410, "FO CO Brokerage Perc"},
    {64411, "COM NRML Brokerage Perc"},
    {64412, "COM MIS Brokerage Perc"},
    {64413, "COM CO Brokerage Perc"},
    {10105, "Max Order Qty"},
    {64361, "Cash Max Order Qty"},
    {64362, "Cash Max Order Value"},
    {64363, "FO Max Order Qty"},
    {64364, "FO Max Order Value"},
    {64365, "COM Max Order Qty"},
    {64366, "COM Max Order Value"},
    {64257, "Max Lot Size"},
    {64330, "Min Order Value"},
    {10430, "Max Order Value"},
    {64338, "Min Qty Limit"},
    {64260, "Pending Order Value"},
    {64258, "Pending Buy Order"},
    {64259, "Pending Sell Order"},
    {64325, "Index Perc Limit"},
    {64291, "Intrinsic Percentage"},
    {43438, "2FA Enable"},
    {64935, "Client DOB"},
};

// Every label a checker may edit, with the field id its edited value goes back under.
const std::map<std::string, int> kEditableIds = {
    {"Category Name", 13034},
    {"Cash Margin", 64031},
    {"Sec Limit", 64211},
    {"Finance Limit", 64164},
    {"Del.Amt.Lim", 64036},
    {"Adhoc Margin", 64158},
    {"Turnover Limit", 64035},
    {"Sell Exp Limit", 64178},
    {"Buy Exp Limit", 64177},
    {"Buy Sec Limit", 64211},
    {"Sell Sec Limit", 64210},
    {"Direct Collateral", 64286},
    {"Notional cash", 64302},
    {"Remarks Text", 64312},
    {"Exposure Limit", 64033},
    {"Buy Exp Future Limit", 64422},
    {"Buy Exp Option Limit", 64423},
    {"Sell Exp Future Limit", 64424},
    {"Sell Exp Option Limit", 64425},
    {"Cash NRML Ad Hoc", 64464},
    {"Cash MIS Ad Hoc", 64465},
    {"Cash CNC Ad Hoc", 64466},
    {"FO NRML Ad Hoc", 64467},
    {"FO MIS Ad Hoc", 64468},
    {"COM NRML Ad Hoc", 64469},
    {"COM MIS Ad Hoc", 64470},
    {"Cur NRML Adhoc", 41046},
    {"Cur MIS Adhoc", 41047},
    {"Gross Exp Der Limit", 64326},
    {"MToM Loss Limit", 54019},
    {"Remarks Amt", 64313},
    {"Order Value Limit", 41235},
    {"Order quantity limit", 41236},
    {"SLBM Limit", 41000},
    {"Buy Premium Limit", 41139},
    {"Sell Premium Limit", 41140},
    {"Buy Limit Future Turnover", 41141},
    {"Sell Limit Future Turnover", 41142},
    {"Buy limit Derivative Turnover", 41143},
    {"Sell limit Derivative Turnover", 41144},
    {"Opt NRML Adhoc", 41268},
    {"Opt MIS Adhoc", 41269},
    {"Cur Opt NRML Adhoc", 41270},
    {"Cur Opt MIS Adhoc", 41271},
    {"GroupWise Validation", 64037},
    {"Dane Limit", 41282},
    {"Buy Exposure limit for FO and Com", 64420},
    {"Sell Exposure limit for FO and Com", 64421},
    {"Premium Net Limit", 41336},
};

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

TEST_F(FieldLabels, EveryIdShowsItsLabelAndNoOtherIdHasOne)
{
    ASSERT_EQ(kLabels.size(), 237u);
    for (const auto& [id, label] : kLabels)
        EXPECT_EQ(GetFieldLabel(id), label) << id;
    GetFieldLabelMap().ForEach([](int id, const std::string& label)
                               { EXPECT_EQ(kLabels.count(id), 1u) << id << " " << label; });
    EXPECT_EQ(GetFieldLabelMap().GetCount(), static_cast<int>(kLabels.size()));
}

TEST_F(FieldLabels, EveryEditableLabelGivesItsFieldIdAndNoOtherLabelDoes)
{
    ASSERT_EQ(kEditableIds.size(), 49u);
    for (const auto& [label, expected] : kEditableIds)
    {
        int id = 0;
        EXPECT_TRUE(GetLabelFieldId(label, id)) << label;
        EXPECT_EQ(id, expected) << label;
    }
    GetFieldIdMap().ForEach([](const std::string& label, int)
                            { EXPECT_EQ(kEditableIds.count(label), 1u) << label; });
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
