// Description of one column a list can show: the list knows its columns by these, not by header items.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

// How a column sorts and what the spreadsheet export is told. 5, 7 and 9 also sort as decimals and
// 8 as text; any other type sorts every row as equal.
constexpr int KIVO_DT_INTEGER = 1;
constexpr int KIVO_DT_DECIMAL = 2;
constexpr int KIVO_DT_TEXT = 3;
constexpr int KIVO_DT_INT64 = 4;
constexpr int KIVO_DT_DATETIME = 6;

// Header alignment, as list-view column formats.
constexpr int KIVO_ALIGN_LEFT = 0;
constexpr int KIVO_ALIGN_RIGHT = 1;
constexpr int KIVO_ALIGN_CENTER = 2;

struct sKivoColInfo
{
    static constexpr std::size_t kNameSize = 64;

    // Header text, and the key by which profiles, export and sorting find the column.
    char m_szName[kNameSize] = {};
    int m_nWidth = 0;
    int m_nFormat = KIVO_ALIGN_LEFT;
    int m_nDataType = 0;
    std::string m_strExpression;        // user-defined columns: the evaluator form
    std::string m_strDisplayExpression; // user-defined columns: the form the user sees and edits

    // Longer names are cut so that the name always fits with its NUL.
    void SetName(std::string_view name)
    {
        const std::size_t length = std::min(name.size(), kNameSize - 1);
        std::memcpy(m_szName, name.data(), length);
        m_szName[length] = '\0';
    }

    std::string_view GetName() const { return m_szName; }
};
