#include "dozizedizizi/DetailSection.h"

const sMCListStruct* sDetailSection::GetLine(int line) const
{
    if (line == 0)
        return m_pTitle.get();
    if (line < 0 || line > static_cast<int>(m_arrRows.size()))
        return nullptr;
    return m_arrRows[static_cast<std::size_t>(line - 1)].get();
}

sMCListStruct* sDetailSection::GetLine(int line)
{
    return const_cast<sMCListStruct*>(static_cast<const sDetailSection*>(this)->GetLine(line));
}

BOOL DescribeDetailSection(void* section, int column, std::string& text, COLORREF& textColor,
                           COLORREF& bkColor, int&, int line)
{
    const auto* detail = static_cast<const sDetailSection*>(section);
    const sMCListStruct* row = detail ? detail->GetLine(line) : nullptr;
    if (!row)
        return FALSE;
    switch (column)
    {
    case 0:
        text = row->m_strField;
        break;
    case 1:
        text = row->m_strValue;
        break;
    case 2:
        text = row->m_strOldValue;
        break;
    default:
        return FALSE;
    }
    if (line == 0)
    {
        textColor = RGB(0, 0, 0);
        bkColor = kDetailTitleBackground;
    }
    return TRUE;
}
