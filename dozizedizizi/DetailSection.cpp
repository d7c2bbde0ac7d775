#include "dozizedizizi/DetailSection.h"

#include "controls/InPlacePriceEdit.h"

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
    else if (column == 1 && row->m_bEdited)
    {
        textColor = kInPlacePriceText;
        bkColor = kInPlacePriceBackground;
    }
    return TRUE;
}
