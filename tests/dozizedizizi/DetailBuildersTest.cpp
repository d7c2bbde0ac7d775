// The detail builders on their own: what the shared machinery does with sections that have no
// rows, values that cannot be read in the asked form, and a grid that already holds sections.
#include "DetailGridFixture.h"

#include <set>

namespace
{
using Sections = std::vector<ShownSection>;

const ShownSection kNoParameters{"No Parameters are Modified", "", "", {}};

TEST_F(DetailGridTest, RepliesWithoutTheirKeyOrAnyShownFieldShowOnlyNoParameters)
{
    // The key alone, a key with only fields that are not in the gate, or no key at all.
    EXPECT_EQ(Build(BuildUserDetails, {{31003, {"DLR1", "DLR0"}}}), Sections{kNoParameters});
    EXPECT_EQ(Build(BuildUserDetails, {{64017, {"U1"}}}), Sections{kNoParameters});
    EXPECT_EQ(Build(BuildAccountDetails, {{54001, {"C1"}}, {64958, {"ACC2"}}}), Sections{kNoParameters});
    EXPECT_EQ(Build(BuildAccountDetails, {{54002, {"Name"}}}), Sections{kNoParameters});
    EXPECT_EQ(Build(BuildLimitDetails, {{54001, {"C1"}}, {41046, {"10"}}}), Sections{kNoParameters});
    EXPECT_EQ(Build(BuildLimitDetails, {{64031, {"10"}}}), Sections{kNoParameters});
    EXPECT_EQ(m_grid.GetEntries().front()->m_nLineCount, 1);
}

TEST_F(DetailGridTest, GateFieldsThatGiveNoRowLeaveTheViewEmpty)
{
    // 63001 passes the gate and hides "Dealer ID", and a lone exchange gives its section no row.
    EXPECT_EQ(Build(BuildUserDetails, {{31003, {"DLR1"}}, {63001, {"nse_cm"}}}), Sections{});
    // A segment list of separators only names no segment, and the exchanges' codes are then
    // not listed either.
    EXPECT_EQ(Build(BuildAccountDetails, {{54001, {"C1"}}, {64021, {"||"}}, {64700, {"P1"}}}),
              (Sections{{"General", "", "", {{"Client Id", "C1", ""}}}}));
}

TEST_F(DetailGridTest, BuildersAppendToWhatTheGridHolds)
{
    connect::ReceivedMessage first(MakeReply({{31003, {"DLR1"}}, {64017, {"U1"}}}));
    connect::ReceivedMessage second(MakeReply({{31003, {"DLR2"}}, {44201, {"A"}}}));
    BuildUserDetails(first.Handle(), m_grid);
    BuildUserDetails(second.Handle(), m_grid);
    const Sections shown = ReadSections(m_grid);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].rows[0], (ShownRow{"Dealer ID", "DLR1", ""}));
    EXPECT_EQ(shown[1].rows[0], (ShownRow{"Dealer ID", "DLR2", ""}));
    EXPECT_EQ(shown[2], (ShownSection{"Attributes", "", "", {{"", "A", ""}}}));
}

// A limit reply with nothing to show puts its notice second, after the reply shown before it.
TEST_F(DetailGridTest, LimitNoticeIsTheGridsSecondSection)
{
    connect::ReceivedMessage user(
        MakeReply({{31003, {"DLR1"}}, {64017, {"U1"}}, {44201, {"A"}}, {64815, {"K"}}}));
    connect::ReceivedMessage empty(MakeReply({{64056, {"BRK"}}, {64031, {"10"}}}));
    BuildUserDetails(user.Handle(), m_grid);
    BuildLimitDetails(empty.Handle(), m_grid);
    Sections shown = ReadSections(m_grid);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, "General");
    EXPECT_EQ(shown[1], kNoParameters);
    EXPECT_EQ(shown[2].title, "Attributes");
    EXPECT_EQ(m_grid.GetItemText(1, 0), "No Parameters are Modified");

    FreeSections(m_grid);
    BuildLimitDetails(empty.Handle(), m_grid);
    EXPECT_EQ(ReadSections(m_grid), Sections{kNoParameters});
}

// A reply that arrives after the view was expanded (the closing reply of an earlier query came
// first) still gives each of its sections an entry of its own: section numbers and display lines
// differ once sections are open, and a section stored by line would land on another's entry.
TEST_F(DetailGridTest, SectionsAddedAfterExpandingKeepTheirOwnEntries)
{
    connect::ReceivedMessage user(
        MakeReply({{31003, {"DLR1"}}, {64017, {"U1"}}, {44201, {"A"}}, {64815, {"K"}}}));
    connect::ReceivedMessage limits(MakeReply({{54001, {"C1"}}, {64031, {"10", "5"}}}));
    connect::ReceivedMessage empty(MakeReply({{64056, {"BRK"}}, {64031, {"10"}}}));
    BuildUserDetails(user.Handle(), m_grid);
    m_grid.ExpandAllSections();
    const int before = m_grid.GetSectionCount();
    ASSERT_GT(m_grid.GetLineCount(), before);
    BuildLimitDetails(limits.Handle(), m_grid);
    BuildLimitDetails(empty.Handle(), m_grid);

    std::set<void*> sections;
    for (const auto& entry : m_grid.GetEntries())
        EXPECT_TRUE(entry->m_pSection && sections.insert(entry->m_pSection).second);
    const Sections shown = ReadSections(m_grid);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(before + 2));
    EXPECT_EQ(shown[1], kNoParameters);
    EXPECT_EQ(shown.back().title, "RMS Limits");
    EXPECT_EQ(shown.back().rows.size(), 2u);
}
} // namespace
