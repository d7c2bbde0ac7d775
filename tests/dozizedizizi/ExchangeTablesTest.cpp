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

TEST(ExchangeTables, CodesNamesAndSegmentsFindEachOther)
{
    EXPECT_EQ(GetExchangeCode(64700), "NSE");
    EXPECT_EQ(GetExchangeId("nse_cm"), 64700);
    EXPECT_EQ(GetExchangeCode(61626), "NCO");
    EXPECT_EQ(GetExchangeId("NCO"), 61626);
    EXPECT_EQ(GetSegmentCode("nse_com"), "NCO");
    EXPECT_EQ(GetSegmentCode("rcme_fo"), "RCME");
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
