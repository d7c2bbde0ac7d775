// The sectioned grid as the console and the detail builders use it: sections added one by one,
// expanded and collapsed by a double click or all at once, read back line by line (as export and
// copy read them), sorted by their titles and removed.
#include "grid/MultiLineListCtrl.h"
#include "GridTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace
{

using gridtest::Column;

class MultiLineListTest : public gridtest::SectionedGridTest<CMultiLineListCtrl>
{
protected:
    // A section titled 'title' with rows named title.1, title.2 ... appended as the builders do.
    sDetailSection& AddSection(const std::string& title, int rows, const std::string& value = "v")
    {
        std::vector<gridtest::Line> lines;
        for (int i = 1; i <= rows; ++i)
            lines.push_back({title + "." + std::to_string(i), value + std::to_string(i)});
        return SectionedGridTest::AddSection({title, title + " value", title + " old"}, lines);
    }
};

TEST_F(MultiLineListTest, SectionsArriveCollapsedAndToggleBackToTheSameMap)
{
    AddSection("A", 2);
    AddSection("B", 3);
    EXPECT_EQ(m_grid.GetSectionCount(), 2);
    EXPECT_EQ(m_grid.CListCtrl::GetItemCount(), 2);
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "B"}));

    m_grid.ToggleSection(1);
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "B", "   B.1", "   B.2", "   B.3"}));
    EXPECT_EQ(m_grid.GetExtraLineCount(), 3);
    EXPECT_EQ(m_grid.CListCtrl::GetItemCount(), 5);
    int within = -1;
    EXPECT_EQ(m_grid.ResolveLine(3, &within)->m_pSection, m_sections[1].get());
    EXPECT_EQ(within, 2);
    EXPECT_EQ(m_grid.GetItemData(4), reinterpret_cast<DWORD_PTR>(m_sections[1].get()));

    m_grid.ToggleSection(1);
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(m_grid.GetExtraLineCount(), 0);
    EXPECT_EQ(m_grid.CListCtrl::GetItemCount(), 2);

    // A row line is no title: toggling it does nothing, and nothing lies beyond the map.
    m_grid.ToggleSection(0);
    m_grid.ToggleSection(2);
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "   A.1", "   A.2", "B"}));
    EXPECT_EQ(m_grid.GetItemData(99), 0u);
    EXPECT_EQ(m_grid.GetItemText(99, 0), "");
}

TEST_F(MultiLineListTest, TitleOnlySectionCannotExpand)
{
    AddSection("Lonely", 0);
    AddSection("B", 1);
    m_grid.ToggleSection(0);
    EXPECT_EQ(m_grid.GetLineCount(), 2);
    EXPECT_FALSE(m_grid.IsSectionExpanded(0));
}

TEST_F(MultiLineListTest, ExpandAllFlipsEverySectionOncePerView)
{
    AddSection("A", 2);
    AddSection("B", 0);
    AddSection("C", 1);
    m_grid.ToggleSection(2); // C is already open: the walk closes it again
    m_grid.ExpandAllSections();
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "   A.1", "   A.2", "B", "C"}));
    EXPECT_EQ(m_grid.GetExtraLineCount(), 2);
    EXPECT_TRUE(m_grid.IsExpandAllDone());

    m_grid.ExpandAllSections();
    EXPECT_EQ(m_grid.GetLineCount(), 5);

    // An emptied grid holds the next view, which expands again.
    m_grid.DeleteAllItems();
    AddSection("D", 2);
    EXPECT_FALSE(m_grid.IsExpandAllDone());
    m_grid.ExpandAllSections();
    EXPECT_EQ(Column0(), (std::vector<std::string>{"D", "   D.1", "   D.2"}));
}

TEST_F(MultiLineListTest, DoubleClickOnTitleTogglesExactlyOnce)
{
    AddSection("A", 2);
    AddSection("B", 2);
    m_driver.Pump();
    m_driver.DoubleClick(m_grid.m_hWnd, CellPoint(1, 0));
    m_driver.Pump();
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "B", "   B.1", "   B.2"}));
    m_driver.DoubleClick(m_grid.m_hWnd, CellPoint(1, 0));
    m_driver.Pump();
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "B"}));

    // Enter on the focused title toggles too, every time.
    m_driver.Click(m_grid.m_hWnd, CellPoint(0, 0));
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    EXPECT_EQ(m_grid.GetLineCount(), 4);
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    EXPECT_EQ(m_grid.GetLineCount(), 2);
}

TEST_F(MultiLineListTest, SelectionFollowsItsLineWhenASectionAboveOpens)
{
    AddSection("A", 3);
    AddSection("B", 1);
    m_grid.CListCtrl::SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_grid.ToggleSection(0);
    EXPECT_EQ(m_grid.CListCtrl::GetNextItem(-1, LVNI_SELECTED), 4);
    EXPECT_EQ(m_grid.CListCtrl::GetNextItem(-1, LVNI_FOCUSED), 4);
    m_grid.ToggleSection(0);
    EXPECT_EQ(m_grid.CListCtrl::GetNextItem(-1, LVNI_SELECTED), 1);
}

TEST_F(MultiLineListTest, CheckMarkIsSharedByEveryLineOfASection)
{
    AddSection("A", 2);
    AddSection("B", 1);
    m_grid.ExpandAllSections();
    EXPECT_TRUE(m_grid.SetCheck(2));
    EXPECT_TRUE(m_grid.GetCheck(0));
    EXPECT_TRUE(m_grid.GetCheck(1));
    EXPECT_FALSE(m_grid.GetCheck(3));
    EXPECT_FALSE(m_grid.SetCheck(50));
}

TEST_F(MultiLineListTest, NoDescriptorMeansNoInsertionAndAPlaceholderText)
{
    m_grid.SetDataDescriptor(nullptr);
    EXPECT_EQ(m_grid.InsertSectionItem(0, " "), 0);
    EXPECT_EQ(m_grid.GetSectionCount(), 0);

    m_grid.SetDataDescriptor(&DescribeDetailSection);
    AddSection("A", 1);
    m_grid.SetDataDescriptor(nullptr);
    EXPECT_EQ(m_grid.GetItemText(0, 1), "no data descriptor initialised");
}

TEST_F(MultiLineListTest, InsertingInsideTheListPlacesTheSectionBeforeThatEntry)
{
    AddSection("A", 1);
    AddSection("C", 1);
    m_grid.ToggleSection(0);
    auto section = std::make_unique<sDetailSection>();
    section->m_pTitle = MakeLine({"B", "b"});
    EXPECT_EQ(m_grid.InsertSectionItem(1, " "), 1);
    EXPECT_TRUE(m_grid.SetSectionData(2, section.get(), 1));
    m_sections.push_back(std::move(section));
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "   A.1", "B", "C"}));
    EXPECT_EQ(m_grid.GetEntries()[1]->m_pSection, m_sections.back().get());
}

TEST_F(MultiLineListTest, DeletingSectionsLeavesTheRestInPlace)
{
    AddSection("A", 1);
    AddSection("B", 2);
    AddSection("C", 1);
    m_grid.ExpandAllSections();
    EXPECT_TRUE(m_grid.DeleteItem(3)); // a row line of B removes all of B
    EXPECT_EQ(Column0(), (std::vector<std::string>{"A", "   A.1", "C", "   C.1"}));
    EXPECT_EQ(m_grid.GetExtraLineCount(), 2);
    EXPECT_EQ(m_grid.GetVisibleEntryCount(), 2);
    EXPECT_EQ(m_grid.CListCtrl::GetItemCount(), 4);
    EXPECT_FALSE(m_grid.DeleteEntry(5));

    EXPECT_TRUE(m_grid.DeleteAllItems());
    EXPECT_EQ(m_grid.GetSectionCount(), 0);
    EXPECT_EQ(m_grid.CListCtrl::GetItemCount(), 0);
    EXPECT_EQ(m_grid.GetExtraLineCount(), 0);
    // The sections are still the owner's to free.
    EXPECT_EQ(m_sections[1]->m_pTitle->m_strField, "B");
}

TEST_F(MultiLineListTest, CopyGivesRowLinesWithThreeLeadingSpaces)
{
    AddSection("Limits", 2);
    m_grid.ExpandAllSections();
    m_grid.CListCtrl::SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    m_grid.CopyToClipboard();
    EXPECT_EQ(m_grid.m_strClipboardText, "Limits\tLimits value\tLimits old\t\r\n"
                                         "   Limits.1\t   v1\t   \t\r\n"
                                         "   Limits.2\t   v2\t   \t\r\n");
}

TEST_F(MultiLineListTest, ACellOfFiveThousandCharactersIsDrawnAndCopiedWhole)
{
    const std::string longText(5000, 'w');
    AddSection("Remarks", 1, longText);
    m_grid.ExpandAllSections();
    m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(m_grid.GetItemText(1, 1), "   " + longText + "1");
    char buffer[64] = {};
    EXPECT_EQ(m_grid.GetItemText(1, 1, buffer, sizeof buffer), 63) << "a short buffer takes what fits";
    EXPECT_EQ(std::string(buffer), "   " + longText.substr(0, 60));
    m_grid.CListCtrl::SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    m_grid.CopyToClipboard();
    EXPECT_EQ(m_grid.m_strClipboardText, "   Remarks.1\t   " + longText + "1\t   \t\r\n");
}

TEST_F(MultiLineListTest, FitToDataWidensAColumnToItsLongestLine)
{
    AddSection("Address", 1, std::string(80, 'w'));
    m_grid.ExpandAllSections();
    m_grid.SendMessage(WM_COMMAND, MAKEWPARAM(ID_MULTILINE_FIT_TO_DATA, 0), 0);
    // The lines' texts are measured, not blanks: 80 characters take far more than the minimum.
    EXPECT_GT(m_grid.GetColumnWidth(1), 300);
    EXPECT_GT(m_grid.GetColumnWidth(1), m_grid.GetColumnWidth(2));
}

TEST_F(MultiLineListTest, SortingCollapsesAndOrdersByTitles)
{
    AddSection("b", 1);
    AddSection("c", 2);
    AddSection("a", 1);
    m_grid.ExpandAllSections();
    m_grid.SortSections(1); // Value, a new sort column: ascending
    EXPECT_EQ(Column0(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(m_grid.GetExtraLineCount(), 0);
    m_grid.SortSections(1);
    EXPECT_EQ(Column0(), (std::vector<std::string>{"c", "b", "a"}));
    HDITEM hdi{};
    hdi.mask = HDI_IMAGE;
    m_grid.GetHeaderCtrl()->GetItem(1, &hdi);
    EXPECT_EQ(hdi.iImage, 1);
}

TEST_F(MultiLineListTest, HeaderClickSortsSections)
{
    AddSection("2", 0);
    AddSection("10", 0);
    m_grid.m_arrColumns[0].m_nDataType = 1; // as integers, 2 comes before 10
    m_driver.Pump();
    CRect header;
    m_grid.GetHeaderCtrl()->GetItemRect(0, &header);
    // Column 0 starts as the sort column (ascending), so its first click turns it descending.
    m_driver.Click(m_grid.GetHeaderCtrl()->m_hWnd, POINT{header.CenterPoint().x, header.CenterPoint().y});
    m_driver.Pump();
    EXPECT_EQ(Column0(), (std::vector<std::string>{"10", "2"}));
}

TEST_F(MultiLineListTest, AfterAHeaderDragClicksSortCopyAndTextsFollowTheDraggedColumns)
{
    AddSection("b", 0);
    AddSection("a", 0);
    AddSection("c", 0);
    m_grid.SetExtendedStyle(m_grid.GetExtendedStyle() | LVS_EX_HEADERDRAGDROP);
    // "Old Value" (header item 2) dragged to the front.
    CHeaderCtrl& header = *m_grid.GetHeaderCtrl();
    CRect old;
    header.GetItemRect(2, &old);
    m_driver.Drag(header.m_hWnd, old.CenterPoint(), CPoint(5, old.CenterPoint().y));
    m_driver.Pump();
    ASSERT_EQ(header.OrderToIndex(0), 2);
    EXPECT_EQ(m_grid.GetItemText(0, 2), "b old") << "a sub-item is a header item, not a position";

    // Titles "b old", "a old", "c old": a click on Old Value sorts by it, and so does the arrow.
    header.GetItemRect(2, &old);
    m_driver.Click(header.m_hWnd, CPoint(old.CenterPoint().x, old.top + 6));
    m_driver.Pump();
    m_driver.Click(header.m_hWnd, CPoint(old.CenterPoint().x, old.top + 6));
    m_driver.Pump();
    EXPECT_EQ(Column0(), (std::vector<std::string>{"c", "b", "a"}));
    HDITEM hdi{};
    hdi.mask = HDI_IMAGE | HDI_FORMAT;
    header.GetItem(2, &hdi);
    EXPECT_EQ(hdi.iImage, 1);

    m_grid.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_grid.CopyToClipboard();
    EXPECT_EQ(m_driver.Observed().clipboardWrites.back(), "c old\tc\tc value\t\r\n")
        << "in the order the user sees the columns";
}

TEST_F(MultiLineListTest, UserDefinedColumnsAreComputedFromTheLinesCells)
{
    AddSection("A", 2, "1");
    sKivoColInfo doubled = Column("Doubled", 80, 1, 2);
    doubled.m_strExpression = " \"1\"*2"; // the Value column times two
    m_grid.m_arrColumns.push_back(doubled);
    m_grid.m_mapPosition[3] = 3;
    m_grid.InsertColumnWithTip(3, doubled, 80);
    m_grid.ExpandAllSections();
    EXPECT_EQ(m_grid.GetItemText(1, 3), "   22.00"); // the row's value reads 11
    EXPECT_EQ(m_grid.GetItemText(0, 3), "0.00") << "a text stands as 0";
}

} // namespace
