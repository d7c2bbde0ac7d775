// Filtering the sectioned grid from its header: whole sections stay or go, a section matching on
// any of its lines; lists of values from the picker, two columns at once, sections that arrive
// under a filter, resetting from the header menu, and a filter that cannot be read.
#include "GridTestSupport.h"
#include "grid/MultiLineListCtrl.h"
#include "resources/PluginResources.h"

#include <memory>
#include <string>
#include <vector>

namespace
{

// The owner filters again whenever the grid says the header's filters changed.
class OwnerWnd : public CWnd
{
public:
    CMultiLineListCtrl* grid = nullptr;
    int changes = 0;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (grid && hdr->hwndFrom == grid->m_hWnd && hdr->code == HDN_FILTERCHANGE)
        {
            ++changes;
            grid->ApplyFilter();
            *result = 0;
            return TRUE;
        }
        return CWnd::OnNotify(wParam, lParam, result);
    }
};

class MultiLineFilterTest : public gridtest::SectionedGridTest<CMultiLineListCtrl, OwnerWnd>
{
protected:
    void SetUp() override
    {
        RegisterPluginResources();
        SectionedGridTest::SetUp();
        m_owner.grid = &m_grid;
    }

    // A section whose title is 'title' and whose rows hold (field, value) pairs.
    void AddSection(const std::string& title, const std::vector<std::pair<std::string, std::string>>& rows)
    {
        std::vector<gridtest::Line> lines;
        for (const auto& [field, value] : rows)
            lines.push_back({field, value});
        SectionedGridTest::AddSection({title}, lines);
    }
    // The header's filter of a column as the user types it (the header tells the grid).
    void TypeFilter(int item, const std::string& text)
    {
        std::string copy = text;
        HD_TEXTFILTER filter{copy.data(), 1023};
        HDITEM hdi{};
        hdi.mask = HDI_FILTER;
        hdi.type = HDFT_ISSTRING;
        hdi.pvFilter = &filter;
        m_grid.GetHeaderCtrl()->SetItem(item, &hdi);
    }
    std::vector<std::string> Titles() const
    {
        std::vector<std::string> titles;
        for (int line = 0; line < m_grid.GetLineCount(); ++line)
        {
            if (m_grid.IsTitleLine(line))
                titles.push_back(m_grid.GetItemText(line, 0));
        }
        return titles;
    }
};

TEST_F(MultiLineFilterTest, TypedFilterKeepsSectionsMatchingOnAnyLine)
{
    AddSection("Users", {{"Name", "Buyer one"}, {"Branch", "North"}});
    AddSection("Limits", {{"Cap", "100"}});
    m_grid.ExpandAllSections();
    TypeFilter(1, "nor"); // Value starts with "nor" on a row line of Users only
    EXPECT_EQ(m_owner.changes, 1);
    EXPECT_TRUE(m_grid.IsFilterApplied());
    EXPECT_EQ(Titles(), std::vector<std::string>{"Users"});
    EXPECT_EQ(m_grid.GetExtraLineCount(), 0) << "the filter shows every section collapsed";
    EXPECT_EQ(m_grid.CListCtrl::GetItemCount(), 1);

    TypeFilter(1, ">50");
    EXPECT_EQ(Titles(), std::vector<std::string>{"Limits"});
    TypeFilter(1, "");
    EXPECT_FALSE(m_grid.IsFilterApplied());
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Users", "Limits"}));
}

TEST_F(MultiLineFilterTest, PickedValuesMatchWholeTextsInAnyCase)
{
    AddSection("One", {{"f", "A"}});
    AddSection("Two", {{"f", "x"}, {"g", "b"}});
    AddSection("Three", {{"f", "ab"}});
    m_grid.SetPickedFilter(1, "a~b");
    EXPECT_EQ(m_owner.changes, 1);
    EXPECT_EQ(m_grid.GetColumnFilter(1), "a~b");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"One", "Two"})) << "ab is neither a nor b";

    // Typed into the header, the same text is an ordinary filter again: ab starts with a.
    TypeFilter(1, "a~b");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"One", "Two", "Three"}));

    m_grid.SetPickedFilter(1, "--ALL-- ~b");
    EXPECT_EQ(m_grid.GetColumnFilter(1), "");
    EXPECT_FALSE(m_grid.IsFilterApplied());
}

TEST_F(MultiLineFilterTest, APickedValueLongerThanTheHeadersFilterStillMatchesWhole)
{
    const std::string longValue(5000, 'z');
    AddSection("Long", {{"f", longValue}});
    AddSection("Longer", {{"f", longValue + "z"}});
    AddSection("Short", {{"f", "z"}});
    m_grid.SetPickedFilter(1, longValue);
    const std::string shown = m_grid.GetColumnFilter(1);
    EXPECT_LT(shown.size(), longValue.size());
    EXPECT_EQ(shown, longValue.substr(0, shown.size())) << "the header shows the start";
    EXPECT_EQ(Titles(), std::vector<std::string>{"Long"});
    m_grid.SetPickedFilter(1, "z~" + longValue);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Long", "Short"}));

    // Typed over, the header's own text is the filter again.
    TypeFilter(1, "zzz");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Long", "Longer"}));
}

TEST_F(MultiLineFilterTest, TwoColumnsMustBothMatchSomewhereInTheSection)
{
    AddSection("Both", {{"Qty", "1"}, {"Side", "Buy"}});
    AddSection("FieldOnly", {{"Qty", "2"}});
    AddSection("ValueOnly", {{"Other", "Buy"}});
    TypeFilter(0, "Qty");
    TypeFilter(1, "buy");
    EXPECT_EQ(Titles(), std::vector<std::string>{"Both"});
}

TEST_F(MultiLineFilterTest, SectionsArrivingUnderAFilterAreTestedAtOnce)
{
    AddSection("Seen", {{"Branch", "North"}});
    TypeFilter(1, "north");
    AddSection("Hidden", {{"Branch", "South"}});
    AddSection("Shown", {{"Branch", "Northwest"}});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Seen", "Shown"}));
    EXPECT_EQ(m_grid.GetSectionCount(), 3);
    EXPECT_EQ(m_grid.GetVisibleEntryCount(), 2);

    // Sorting keeps the hidden section out; clearing the filter brings it back. (Column 0 starts
    // as the sort column, so its first click sorts descending.)
    m_grid.SortSections(0);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Shown", "Seen"}));
    m_driver.AnswerNextPopupMenuByText("Reset Filters");
    CRect header;
    m_grid.GetHeaderCtrl()->GetWindowRect(&header);
    m_grid.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_grid.m_hWnd),
                       MAKELPARAM(header.left + 10, header.top + 5));
    m_driver.Pump();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Shown", "Seen", "Hidden"}));
}

TEST_F(MultiLineFilterTest, HeaderMenuOffersTheGridsCommands)
{
    CRect header;
    m_grid.GetHeaderCtrl()->GetWindowRect(&header);
    m_driver.AnswerNextPopupMenu(0);
    m_grid.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_grid.m_hWnd),
                       MAKELPARAM(header.left + 10, header.top + 5));
    EXPECT_EQ(gridtest::MenuTexts(m_driver),
              (std::vector<std::string>{"Reposition Columns", "Fit to Data", "Fit to Header", "Fit to Window",
                                        "Reset Filters"}));
}

TEST_F(MultiLineFilterTest, PickerOffersEveryTextOfTheColumnAfterAll)
{
    AddSection("One", {{"f", "b"}, {"g", "a"}});
    AddSection("Two", {{"f", "a"}, {"g", ""}});
    m_grid.ShowFilterPicker(1, CPoint(50, 50));
    CFilterText& picker = CFilterText::ForMultiLineLists();
    ASSERT_NE(picker.m_hWnd, nullptr);
    CListBox& values = picker.GetValues();
    EXPECT_EQ(gridtest::ListBoxTexts(values), (std::vector<std::string>{"--ALL-- ", "a", "b"}));
    values.SetSel(1);
    picker.ApplySelection();
    EXPECT_EQ(m_grid.GetColumnFilter(1), "a");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"One", "Two"}));
    picker.DestroyWindow();
}

TEST_F(MultiLineFilterTest, FilterOnAHeaderItemWithoutAColumnIsRefused)
{
    AddSection("One", {{"f", "a"}});
    TypeFilter(1, "a");
    ASSERT_EQ(Titles(), std::vector<std::string>{"One"});
    // A header item added behind the grid's back stands for no column.
    m_grid.CListCtrl::InsertColumn(3, "Stray", LVCFMT_LEFT, 50);
    m_driver.AnswerNextMessageBox(IDOK);
    TypeFilter(3, "zzz");
    EXPECT_EQ(m_driver.MessageBoxTexts(), std::vector<std::string>{"Error occured while filtering"});
    EXPECT_EQ(Titles(), std::vector<std::string>{"One"}) << "the filter stays as it was";
}

} // namespace
