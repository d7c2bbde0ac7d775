#include "dozizedizizi/ExchangeTables.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
TEST(ExchangeTables, SlbmAndItsSegmentNameShareOneId)
{
    EXPECT_EQ(GetExchangeId("SLBM"), 64731);
    EXPECT_EQ(GetExchangeId("nse_slb"), 64731);
    EXPECT_EQ(GetExchangeCode(64731), "nse_slb");
    EXPECT_EQ(GetSegmentCode("nse_slb"), "SLBM");
}

TEST(ExchangeTables, EveryIdHasItsCodeAndBothNames)
{
    struct Row
    {
        int id;
        const char* code;
        const char* segment;
    };
    const Row rows[] = {
        {64700, "NSE", "nse_cm"},   {64703, "BSE", "bse_cm"},   {64701, "NFO", "nse_fo"},
        {64705, "BFO", "bse_fo"},   {64706, "CDS", "cde_fo"},   {64704, "MCX", "mcx_fo"},
        {64707, "ICEX", "icx_fo"},  {64702, "NCDEX", "ncx_fo"}, {64709, "LMEMX", "lme_mx"},
        {64725, "DGCX", "dgx_fo"},  {64727, "ACE", "ace_fo"},   {64728, "USE", "use_fo"},
        {64726, "RCME", "rcme_fo"}, {64708, "NMCE", "nmc_fo"},  {64729, "CMEMX", "cme_mx"},
        {64730, "SGX", "sgx_fo"},   {64741, "BINX", "binx_fo"}, {61625, "BCO", "bse_com"},
        {61626, "NCO", "nse_com"},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(GetExchangeCode(row.id), row.code);
        EXPECT_EQ(GetExchangeId(row.code), row.id) << row.code;
        EXPECT_EQ(GetExchangeId(row.segment), row.id) << row.segment;
        EXPECT_EQ(GetSegmentCode(row.segment), row.code) << row.segment;
    }
}

TEST(ExchangeTables, McxSxAndTheExtraSegmentsMapToTheirOwnCodes)
{
    EXPECT_EQ(GetExchangeId("MCXSX"), 64704);
    EXPECT_EQ(GetExchangeId("mcx_sx"), 64704);
    EXPECT_EQ(GetSegmentCode("mcx_sx"), "MCXSX");
    EXPECT_EQ(GetSegmentCode("nse_ipo"), "NSE_IPO");
    EXPECT_EQ(GetSegmentCode("nse_mf"), "MFSS");
    EXPECT_EQ(GetSegmentCode("cpw_fwd"), "CPW");
    EXPECT_EQ(GetSegmentCode("any"), "ANY");
}

TEST(ExchangeTables, UnknownInputsGiveEmptyOrMinusOne)
{
    EXPECT_EQ(GetExchangeCode(0), "");
    EXPECT_EQ(GetExchangeCode(64710), "");
    EXPECT_EQ(GetExchangeId("XYZ"), -1);
    EXPECT_EQ(GetExchangeId(""), -1);
    EXPECT_EQ(GetSegmentCode("xyz"), "");
    EXPECT_EQ(GetSegmentCode(""), "");
    // Names compare case-sensitively.
    EXPECT_EQ(GetExchangeId("nse"), -1);
    EXPECT_EQ(GetExchangeId("NSE_CM"), -1);
    EXPECT_EQ(GetSegmentCode("ANY"), "");
}

TEST(ExchangeTables, ExchangeListHoldsTwentyOneIdsWithMcxTwiceAndRefillsCleanly)
{
    const std::vector<int> expected{64700, 64703, 64701, 64705, 64702, 64704, 64707,
                                    64706, 64704, 64709, 64725, 64727, 64728, 64726,
                                    64708, 64729, 64730, 64731, 64741, 61625, 61626};
    GetExchangeList().push_back(1);
    FillExchangeList();
    EXPECT_EQ(GetExchangeList(), expected);
    FillExchangeList();
    EXPECT_EQ(GetExchangeList().size(), 21u);
    EXPECT_EQ(std::count(GetExchangeList().begin(), GetExchangeList().end(), 64704), 2);
}
} // namespace
