// The multi-line grid's own entry for one section: which section it shows, its check mark and how
// many lines it has when expanded.
#pragma once

#include "winlib/WinDef.h"

#include <string>

struct sMultiLineColInfo
{
    void* m_pSection = nullptr; // the owner's section object, handed to the data descriptor
    int m_nCheck = 0;           // 0 or 1, shared by every line of the section
    int m_nLineCount = 0;       // the title line and the row lines: 1 + rows
};

// Turns (section, column index, line within the section) into a cell. Both colours arrive as
// CLR_NONE; one left so takes the grid's default. Line 0 is the section's title line. Non-zero
// when the text was produced.
using PFN_SECTION_DATA_DESCRIPTOR = BOOL (*)(void* section, int column, std::string& text,
                                             COLORREF& textColor, COLORREF& bkColor, int& image, int line);
