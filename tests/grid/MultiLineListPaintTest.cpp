// What the sectioned grid draws, read back from the recording canvas: the tree glyphs of
// collapsed, expanded and title-only sections, the title line's colours and the selection.
#include "GridTestSupport.h"
#include "grid/MultiLineListCtrl.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

using winlib::DrawOp;

class MultiLinePaintTest : public gridtest::SectionedGridTest<CMultiLineListCtrl>
{
protected:
    MultiLinePaintTest() : SectionedGridTest(winlib::HeadlessDrawing::Recording) {}
    void SetUp() override
    {
        SectionedGridTest::SetUp();
        m_grid.SetBkColor(RGB(255, 255, 255));
        m_grid.SetTextColor(RGB(0, 0, 0));
    }

    void AddSection(const std::string& title, int rows)
    {
        std::vector<gridtest::Line> lines;
        for (int i = 1; i <= rows; ++i)
            lines.push_back({title + std::to_string(i), "value"});
        SectionedGridTest::AddSection({title}, lines);
    }
    // The lines drawn inside a line's first 14 pixels (where the glyphs are), relative to the
    // line's top left corner.
    std::vector<DrawOp> GlyphLines(int line)
    {
        const CRect rect = LineRect(line);
        std::vector<DrawOp> lines;
        for (const DrawOp& op : m_driver.Ops(m_grid.m_hWnd))
        {
            if (op.kind != DrawOp::Kind::Line || op.local.left < rect.left ||
                op.local.left >= rect.left + 14 || op.local.top < rect.top || op.local.top >= rect.bottom)
                continue;
            DrawOp relative = op;
            relative.local.OffsetRect(-rect.left, -rect.top);
            lines.push_back(relative);
        }
        return lines;
    }
    static bool Has(const std::vector<DrawOp>& lines, CRect ends, UINT style)
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const DrawOp& op) { return op.local == ends && op.pen.style == style; });
    }
};

TEST_F(MultiLinePaintTest, GlyphsOfCollapsedExpandedAndTitleOnlySections)
{
    AddSection("Open", 2);
    AddSection("Shut", 1);
    AddSection("Alone", 0);
    m_grid.ToggleSection(0);
    m_driver.Repaint();
    const int h = LineRect(0).Height();

    // Expanded: the box and the minus, then the dotted line down to the cell's bottom.
    const auto open = GlyphLines(0);
    EXPECT_TRUE(Has(open, CRect(2, 2, 10, 2), PS_SOLID));
    EXPECT_TRUE(Has(open, CRect(4, 6, 9, 6), PS_SOLID));
    EXPECT_TRUE(Has(open, CRect(6, 10, 6, h), PS_ALTERNATE));
    EXPECT_FALSE(Has(open, CRect(6, 4, 6, 9), PS_SOLID));
    // Row lines: the trunk (cut at the middle on the last) and the branch.
    EXPECT_TRUE(Has(GlyphLines(1), CRect(6, 0, 6, h), PS_ALTERNATE));
    EXPECT_TRUE(Has(GlyphLines(1), CRect(6, 6, 12, 6), PS_ALTERNATE));
    EXPECT_TRUE(Has(GlyphLines(2), CRect(6, 0, 6, 6), PS_ALTERNATE));

    // Collapsed: the plus's vertical bar and no dotted line.
    const auto shut = GlyphLines(3);
    EXPECT_TRUE(Has(shut, CRect(6, 4, 6, 9), PS_SOLID));
    EXPECT_FALSE(Has(shut, CRect(6, 10, 6, h), PS_ALTERNATE));
    // A section with only its title has no box at all.
    EXPECT_TRUE(GlyphLines(4).empty());

    for (const DrawOp& op : m_driver.Ops(m_grid.m_hWnd))
    {
        if (op.kind == DrawOp::Kind::Line && op.pen.style == PS_SOLID && op.local.top >= LineRect(0).top &&
            op.local.top < LineRect(0).bottom)
        {
            EXPECT_EQ(op.color, RGB(180, 180, 180));
        }
    }
}

TEST_F(MultiLinePaintTest, TitleLineIsBlackOnLilacAndRowTextsStartAfterTheGlyphs)
{
    AddSection("Limits", 1);
    m_grid.ToggleSection(0);
    m_driver.Repaint();
    const CRect title = LineRect(0);
    const CRect row = LineRect(1);
    bool titleFilled = false;
    bool rowFilled = false;
    for (const DrawOp& op : m_driver.Fills(m_grid.m_hWnd))
    {
        if (op.local.top == title.top && op.local.left == title.left)
            titleFilled = titleFilled || op.color == RGB(238, 223, 223);
        if (op.local.top == row.top && op.local.left == row.left)
            rowFilled = rowFilled || op.color == RGB(255, 255, 255);
    }
    EXPECT_TRUE(titleFilled);
    EXPECT_TRUE(rowFilled);
    int texts = 0;
    for (const DrawOp& op : m_driver.Texts(m_grid.m_hWnd))
    {
        texts += (op.text == "Limits" || op.text == "Limits1") ? 1 : 0;
        if (op.text == "Limits")
        {
            EXPECT_EQ(op.color, RGB(0, 0, 0));
            EXPECT_GE(op.local.left, title.left + 14);
        }
        if (op.text == "Limits1")
        {
            EXPECT_GE(op.local.left, row.left + 14);
        }
    }
    EXPECT_EQ(texts, 2);
}

TEST_F(MultiLinePaintTest, SelectedLineTakesTheHighlightWhenAsked)
{
    AddSection("A", 1);
    AddSection("B", 1);
    m_grid.SetHighlightSelectedLine(TRUE);
    m_grid.CListCtrl::SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    m_driver.Repaint();
    const CRect selected = LineRect(1);
    bool highlighted = false;
    for (const DrawOp& op : m_driver.Fills(m_grid.m_hWnd))
        highlighted =
            highlighted || (op.local.top == selected.top && op.color == GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_TRUE(highlighted);
    const auto texts = m_driver.Texts(m_grid.m_hWnd);
    const auto b = std::find_if(texts.begin(), texts.end(), [](const DrawOp& op) { return op.text == "B"; });
    ASSERT_NE(b, texts.end());
    EXPECT_EQ(b->color, GetSysColor(COLOR_HIGHLIGHTTEXT));
}

TEST_F(MultiLinePaintTest, KeywordsColourTheRowLinesTheDescriptorLeavesUncoloured)
{
    AddSection("Urgent title", 2);
    m_sections[0]->m_arrRows[0]->m_strValue = "URGENT now";
    m_grid.m_appearance.m_nKeywordColumn = 1;
    m_grid.m_appearance.SetKeywords({"urgent"}, {RGB(255, 0, 0)});
    m_grid.ToggleSection(0);
    m_driver.Repaint();
    int seen = 0;
    for (const DrawOp& op : m_driver.Texts(m_grid.m_hWnd))
    {
        if (op.text == "Urgent title1" || op.text == "URGENT now")
        {
            ++seen;
            EXPECT_EQ(op.color, RGB(255, 0, 0)) << op.text;
        }
        if (op.text == "Urgent title2")
        {
            ++seen;
            EXPECT_EQ(op.color, RGB(0, 0, 0)) << "its value has no keyword";
        }
        if (op.text == "Urgent title")
        {
            ++seen;
            EXPECT_EQ(op.color, RGB(0, 0, 0)) << "the title keeps the descriptor's black";
        }
    }
    EXPECT_EQ(seen, 4);
}

} // namespace
