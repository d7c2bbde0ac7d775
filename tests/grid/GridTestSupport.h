// What the grid tests share: columns as the lists declare them, a header's texts, and a sectioned
// grid made as the holder frame makes it, with sections built from plain lines.
#pragma once

#include "dozizedizizi/DetailSection.h"
#include "grid/KivoColInfo.h"
#include "support/ScopedTempDir.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/ListBox.h"
#include "winlib/ListCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gridtest
{

inline sKivoColInfo Column(const char* name, int width, int format = KIVO_ALIGN_LEFT, int dataType = 0)
{
    sKivoColInfo info;
    info.SetName(name);
    info.m_nWidth = width;
    info.m_nFormat = format;
    info.m_nDataType = dataType;
    return info;
}

inline std::vector<std::string> HeaderTexts(CHeaderCtrl& header)
{
    std::vector<std::string> texts;
    for (int item = 0; item < header.GetItemCount(); ++item)
    {
        char text[64] = {};
        HDITEM hdi{};
        hdi.mask = HDI_TEXT;
        hdi.pszText = text;
        hdi.cchTextMax = sizeof text - 1;
        header.GetItem(item, &hdi);
        texts.emplace_back(text);
    }
    return texts;
}

inline std::vector<std::string> ListBoxTexts(CListBox& box)
{
    std::vector<std::string> texts;
    for (int i = 0; i < box.GetCount(); ++i)
    {
        std::string text;
        box.GetText(i, text);
        texts.push_back(text);
    }
    return texts;
}

// The first column of a plain list control (a dialog's list, not a grid of records or sections).
inline std::vector<std::string> ListTexts(CListCtrl& list)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, 0));
    return texts;
}

// The texts of the items of the n-th popup menu shown so far; empty when there was none.
inline std::vector<std::string> MenuTexts(winlib::testing::Driver& driver, std::size_t n = 0)
{
    std::vector<std::string> texts;
    if (driver.PopupMenusShown().size() > n)
    {
        for (const auto& item : driver.PopupMenusShown()[n].items)
            texts.push_back(item.text);
    }
    return texts;
}

// A line of a detail section: its field, value and old value.
struct Line
{
    std::string field = {};
    std::string value = {};
    std::string old = {};
};

// A sectioned grid of the detail views' three columns inside an owner window.
template <class Grid, class Owner = CWnd> class SectionedGridTest : public ::testing::Test
{
protected:
    static constexpr DWORD kGridStyle = 0x50811401; // as the holder frame creates grids

    explicit SectionedGridTest(winlib::HeadlessDrawing drawing = winlib::HeadlessDrawing::Null)
        : m_driver(drawing)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(
            m_owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 700, 500), nullptr, 0));
        m_grid.m_arrColumns = {Column("Field", 160, KIVO_ALIGN_LEFT, KIVO_DT_TEXT),
                               Column("Value", 200, 2, KIVO_DT_TEXT),
                               Column("Old Value", 200, 2, KIVO_DT_TEXT)};
        ASSERT_TRUE(m_grid.CreateEx(0, kGridStyle, CRect(0, 0, 600, 400), &m_owner, 4001));
        m_grid.InitColumns();
        m_grid.EnableSectionMode(TRUE);
        m_grid.SetDataDescriptor(&DescribeDetailSection);
    }
    void TearDown() override
    {
        if (m_grid.m_hWnd)
            m_grid.DestroyWindow();
    }

    static std::unique_ptr<sMCListStruct> MakeLine(const Line& line)
    {
        auto made = std::make_unique<sMCListStruct>();
        made->m_strField = line.field;
        made->m_strValue = line.value;
        made->m_strOldValue = line.old;
        return made;
    }
    // Appends a section as the detail builders do; the grid shows it, the test owns it.
    sDetailSection& AddSection(const Line& title, const std::vector<Line>& rows)
    {
        auto section = std::make_unique<sDetailSection>();
        section->m_pTitle = MakeLine(title);
        for (const Line& row : rows)
            section->m_arrRows.push_back(MakeLine(row));
        m_grid.InsertSectionItem(m_grid.GetSectionCount(), " ");
        m_grid.SetSectionData(m_grid.GetSectionCount(), section.get(), section->GetLineCount());
        m_sections.push_back(std::move(section));
        return *m_sections.back();
    }
    CRect LineRect(int line) const
    {
        CRect rect;
        m_grid.CListCtrl::GetItemRect(line, &rect, LVIR_BOUNDS);
        return rect;
    }
    // A point inside a line's cell of the given column.
    POINT CellPoint(int line, int column) const
    {
        const CRect row = LineRect(line);
        const int x = column == 0 ? 80 : column == 1 ? 260 : 460;
        return POINT{row.left + x, row.top + row.Height() / 2};
    }
    std::vector<std::string> Column0() const
    {
        std::vector<std::string> texts;
        for (int line = 0; line < m_grid.GetLineCount(); ++line)
            texts.push_back(m_grid.GetItemText(line, 0));
        return texts;
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    Owner m_owner;
    Grid m_grid;
    std::vector<std::unique_ptr<sDetailSection>> m_sections;
};

} // namespace gridtest
