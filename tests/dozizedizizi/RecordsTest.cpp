#include "dozizedizizi/AuthTypes.h"
#include "dozizedizizi/MCListStruct.h"

#include <gtest/gtest.h>

namespace
{
TEST(Records, DetailRowStartsNotEditable)
{
    const sMCListStruct row;
    EXPECT_EQ(row.m_nEditType, 6);
    EXPECT_TRUE(row.m_strField.empty());
    EXPECT_TRUE(row.m_strChoices.empty());
}

TEST(AuthTypes, CodesShowTheirTexts)
{
    EXPECT_EQ(GetAuthTypeText("339"), "ADD USER");
    EXPECT_EQ(GetAuthTypeText("340"), "MODIFY USER");
    EXPECT_EQ(GetAuthTypeText("365"), "DELETE USER");
    EXPECT_EQ(GetAuthTypeText("353"), "ADD CLIENT");
    EXPECT_EQ(GetAuthTypeText("354"), "MODIFY CLIENT");
    EXPECT_EQ(GetAuthTypeText("366"), "DELETE Account");
    EXPECT_EQ(GetAuthTypeText("360"), "RMS Limits");
    EXPECT_EQ(GetAuthTypeText("361"), "");
    EXPECT_EQ(GetAuthTypeText(""), "");
}

TEST(AuthTypes, UserRequestsAboutInvestorClientsNeedTheClientRole)
{
    for (const char* code : {"339", "340", "365"})
    {
        EXPECT_EQ(GetAuthTypeRole(code, ""), 60303) << code;
        EXPECT_EQ(GetAuthTypeRole(code, "INVESTOR_CLIENT"), 60304) << code;
    }
    for (const char* code : {"353", "354", "366"})
        EXPECT_EQ(GetAuthTypeRole(code, ""), 60304) << code;
    EXPECT_EQ(GetAuthTypeRole("360", ""), 60302);
    EXPECT_EQ(GetAuthTypeRole("360", "INVESTOR_CLIENT"), 60302);
    EXPECT_EQ(GetAuthTypeRole("999", "INVESTOR_CLIENT"), 0);
}
} // namespace
