// One titled block of the detail view: a title row and the field rows under it, in the order the
// builder added them. The section owns its rows; the console owns the sections it hands the grid.
#pragma once

#include "dozizedizizi/MCListStruct.h"
#include "winlib/WinDef.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sDetailSection
{
    std::uint32_t m_nReserved = 0;
    std::unique_ptr<sMCListStruct> m_pTitle; // null until the builder sets it
    std::vector<std::unique_ptr<sMCListStruct>> m_arrRows;

    // Lines the grid shows when the section is expanded: the title and every row.
    int GetLineCount() const { return 1 + static_cast<int>(m_arrRows.size()); }
    // The row shown at a line of the section: the title at 0, row n - 1 at n; null beyond.
    const sMCListStruct* GetLine(int line) const
    {
        if (line == 0)
            return m_pTitle.get();
        if (line < 0 || line > static_cast<int>(m_arrRows.size()))
            return nullptr;
        return m_arrRows[static_cast<std::size_t>(line - 1)].get();
    }
    sMCListStruct* GetLine(int line)
    {
        return const_cast<sMCListStruct*>(static_cast<const sDetailSection*>(this)->GetLine(line));
    }
};

// The detail grid's data descriptor: column 0 the field, 1 the value, 2 the old value of the line's
// row; the title line black on a pale lilac, row lines in the grid's own colours but for a value
// the checker edited and has not sent yet, which keeps the colours of the editor it was typed in.
BOOL DescribeDetailSection(void* section, int column, std::string& text, COLORREF& textColor,
                           COLORREF& bkColor, int& image, int line);

// The title line's background.
constexpr COLORREF kDetailTitleBackground = 0xDFDFEE;
