#include "grid/ListAppearance.h"

#include "base/SettingText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace
{
template <class T> std::unique_ptr<T> CloneOrNull(const std::unique_ptr<T>& source)
{
    return source ? std::make_unique<T>(*source) : nullptr;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string Hex(COLORREF color)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(color));
    return text;
}

// A colour that is not one keeps the colour in force.
void ReadColor(std::string_view token, COLORREF& color)
{
    if (const std::optional<COLORREF> read = ParseSettingColor(token))
        color = *read;
}
} // namespace

sListAppearance::sListAppearance(const sListAppearance& other)
    : m_clrBackground(other.m_clrBackground), m_clrText(other.m_clrText),
      m_pKeywordColors(CloneOrNull(other.m_pKeywordColors)), m_pKeywords(CloneOrNull(other.m_pKeywords)),
      m_nKeywordColumn(other.m_nKeywordColumn), m_bColumnText(other.m_bColumnText),
      m_strFontFace(other.m_strFontFace), m_strFontSize(other.m_strFontSize)
{
}

sListAppearance& sListAppearance::operator=(const sListAppearance& other)
{
    if (this != &other)
        *this = sListAppearance(other);
    return *this;
}

void sListAppearance::SetKeywords(const std::vector<std::string>& keywords,
                                  const std::vector<COLORREF>& colors)
{
    if (!m_pKeywords)
        m_pKeywords = std::make_unique<std::vector<std::string>>();
    if (!m_pKeywordColors)
        m_pKeywordColors = std::make_unique<std::vector<COLORREF>>();
    m_pKeywords->clear();
    m_pKeywordColors->clear();
    const std::size_t count = std::min(keywords.size(), colors.size());
    for (std::size_t i = 0; i < count; ++i)
    {
        m_pKeywords->push_back(Lower(keywords[i]));
        m_pKeywordColors->push_back(colors[i]);
    }
}

bool sListAppearance::KeywordColor(std::string_view cell, COLORREF& color) const
{
    if (m_nKeywordColumn == -1 || !m_pKeywords || !m_pKeywordColors)
        return false;
    const std::string lowered = Lower(cell);
    for (std::size_t i = 0; i < m_pKeywords->size() && i < m_pKeywordColors->size(); ++i)
    {
        if (lowered.find(Lower((*m_pKeywords)[i])) != std::string::npos)
        {
            color = (*m_pKeywordColors)[i];
            return true;
        }
    }
    return false;
}

std::string sListAppearance::FormatSetting() const
{
    std::string value =
        Hex(m_clrBackground) + "," + Hex(m_clrText) + "," + m_strFontFace + "," + m_strFontSize;
    std::string keywordPart;
    if (m_nKeywordColumn >= 0)
        keywordPart = std::to_string(m_nKeywordColumn) + ",";
    const int count =
        m_pKeywordColors ? std::min(GetKeywordCount(), static_cast<int>(m_pKeywordColors->size())) : 0;
    for (int i = 0; i < count; ++i)
        keywordPart += Lower((*m_pKeywords)[i]) + "," + Hex((*m_pKeywordColors)[i]) + ",";
    if (!keywordPart.empty())
        value += "," + keywordPart;
    return value;
}

void sListAppearance::ParseSetting(std::string_view value)
{
    const std::vector<std::string_view> tokens = SplitSettingTokens(value);
    const std::size_t count = tokens.size();
    if (count > 0)
        ReadColor(tokens[0], m_clrBackground);
    if (count > 1)
        ReadColor(tokens[1], m_clrText);
    if (count > 2)
        m_strFontFace = tokens[2];
    // A size that is no size keeps the size in force; the face is taken as it stands, since the
    // font mapper finds a face for any name.
    if (count > 3 && ParseFontPoints(tokens[3]))
        m_strFontSize = tokens[3];
    // Below -1 a column is no column: as -1, it ends the reading.
    if (count > 4)
        m_nKeywordColumn = std::max(ParseSettingInt(tokens[4]), -1);
    if (count <= 5 || m_nKeywordColumn == -1)
        return;
    m_pKeywords = std::make_unique<std::vector<std::string>>();
    m_pKeywordColors = std::make_unique<std::vector<COLORREF>>();
    for (std::size_t i = 5; i < count; i += 2)
    {
        if (i + 1 >= count)
        {
            m_pKeywords->clear();
            m_pKeywordColors->clear();
            return;
        }
        // A keyword colour that is not one takes the list's text colour: the keyword stays, and its
        // rows read like the others.
        COLORREF color = m_clrText;
        ReadColor(tokens[i + 1], color);
        m_pKeywords->push_back(Lower(tokens[i]));
        m_pKeywordColors->push_back(color);
    }
}

sListAppearance& GetDefaultListAppearance()
{
    static sListAppearance defaultAppearance;
    return defaultAppearance;
}
