// Colours, font and keyword colouring of one list, and the text it is stored as in the settings file.
#pragma once

#include "winlib/WinDef.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sListAppearance
{
    COLORREF m_clrBackground = RGB(0, 0, 0);
    COLORREF m_clrText = RGB(0, 255, 0);
    // Parallel arrays: keyword i is drawn in colour i. Null until keywords are first set.
    std::unique_ptr<std::vector<COLORREF>> m_pKeywordColors;
    std::unique_ptr<std::vector<std::string>> m_pKeywords;
    int m_nKeywordColumn = -1;  // -1: no column chosen
    bool m_bColumnText = false; // keyword colouring offered (the list is in data mode)
    std::string m_strFontFace = "MS Shell Dlg 2";
    std::string m_strFontSize = "8"; // points

    sListAppearance() = default;
    sListAppearance(const sListAppearance& other);
    sListAppearance& operator=(const sListAppearance& other);
    sListAppearance(sListAppearance&&) noexcept = default;
    sListAppearance& operator=(sListAppearance&&) noexcept = default;
    ~sListAppearance() = default;

    int GetKeywordCount() const { return m_pKeywords ? static_cast<int>(m_pKeywords->size()) : 0; }

    // The colour of the first keyword that occurs in 'cell' (ignoring case); false when none does or
    // no keyword column is chosen.
    bool KeywordColor(std::string_view cell, COLORREF& color) const;

    // Replaces the keywords (stored in lower case) and their colours; creates the arrays when missing.
    void SetKeywords(const std::vector<std::string>& keywords, const std::vector<COLORREF>& colors);

    // "background,text,face,size" with colours in upper-case hexadecimal, then ",column," when a
    // column is chosen and "keyword,colour," per keyword.
    std::string FormatSetting() const;

    // Reads a stored value over this appearance; missing fields keep their current values. A keyword
    // without its colour drops every keyword, since the pairs can no longer be trusted.
    void ParseSetting(std::string_view value);
};

// The process-wide default that lists start from when nothing is stored for them.
sListAppearance& GetDefaultListAppearance();
