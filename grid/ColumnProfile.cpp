#include "grid/ColumnProfile.h"

#include "base/SettingText.h"

#include <algorithm>
#include <utility>

namespace
{
ColumnLayout DeclarationOrderLayout(const std::vector<sKivoColInfo>& columns)
{
    ColumnLayout layout;
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        layout.positions.push_back(static_cast<int>(i));
        layout.widths.push_back(columns[i].m_nWidth);
        layout.displayOrder.push_back(static_cast<int>(i));
    }
    layout.firstShown = columns.empty() ? -1 : 0;
    return layout;
}

void SplitUserField(std::string_view field, ColumnProfileEntry& entry)
{
    const std::size_t first = field.find('#');
    entry.name = field.substr(0, first);
    field.remove_prefix(first + 1);
    // The display expression runs to the comma, so a further "#" belongs to it.
    const std::size_t second = field.find('#');
    entry.expression = field.substr(0, second);
    if (second != std::string_view::npos)
        entry.displayExpression = field.substr(second + 1);
}
} // namespace

std::string FormatColumnProfile(const std::vector<sKivoColInfo>& columns, int baseColumnCount,
                                const std::vector<int>& positions, const std::vector<int>& widths)
{
    std::string profile;
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        const int index = static_cast<int>(i);
        if (i > 0)
            profile += ',';
        profile += std::to_string(index);
        profile += ',' + std::to_string(i < positions.size() ? positions[i] : -1);
        profile += ',' + std::to_string(i < widths.size() ? widths[i] : 0);
        if (index >= baseColumnCount)
        {
            const sKivoColInfo& column = columns[i];
            profile += ',';
            profile.append(column.GetName());
            profile += '#' + column.m_strExpression + '#' + column.m_strDisplayExpression;
        }
    }
    return profile;
}

std::vector<ColumnProfileEntry> ParseColumnProfile(std::string_view profile, int baseColumnCount)
{
    const std::vector<std::string_view> tokens = SplitSettingTokens(profile);
    std::vector<ColumnProfileEntry> entries;
    std::size_t next = 0;
    while (next + 3 <= tokens.size())
    {
        ColumnProfileEntry entry;
        entry.index = ParseSettingInt(tokens[next]);
        entry.position = ParseSettingInt(tokens[next + 1]);
        entry.width = ParseSettingInt(tokens[next + 2]);
        next += 3;
        if (entry.index >= baseColumnCount && next < tokens.size() &&
            tokens[next].find('#') != std::string_view::npos)
        {
            entry.userDefined = true;
            SplitUserField(tokens[next], entry);
            ++next;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

ColumnLayout LayoutColumns(std::vector<sKivoColInfo>& columns, int baseColumnCount,
                           std::optional<std::string_view> profile)
{
    if (!profile)
        return DeclarationOrderLayout(columns);

    const std::size_t declared = columns.size();
    const std::vector<ColumnProfileEntry> entries = ParseColumnProfile(*profile, baseColumnCount);
    // Where each entry's position and width go: a recreated user-defined column is placed by the
    // description it created, whatever index the profile gave it.
    std::vector<int> targets;
    for (const ColumnProfileEntry& entry : entries)
    {
        if (!entry.userDefined)
        {
            targets.push_back(entry.index);
            continue;
        }
        sKivoColInfo column;
        column.SetName(entry.name);
        column.m_nWidth = kRecreatedUserColumnWidth;
        column.m_nFormat = KIVO_ALIGN_RIGHT;
        column.m_nDataType = KIVO_DT_DECIMAL;
        column.m_strExpression = entry.expression;
        column.m_strDisplayExpression = entry.displayExpression;
        targets.push_back(static_cast<int>(columns.size()));
        columns.push_back(std::move(column));
    }

    const std::size_t total = columns.size();
    if (entries.size() > total)
    {
        // Saved for columns this list no longer has: none of it can be trusted.
        columns.resize(declared);
        return DeclarationOrderLayout(columns);
    }

    ColumnLayout layout;
    layout.fromProfile = true;
    // Columns the profile does not name (added since it was saved) start hidden.
    layout.positions.assign(total, -1);
    layout.widths.assign(total, kUnknownColumnWidth);
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        const int target = targets[i];
        if (target < 0 || static_cast<std::size_t>(target) >= total)
            continue;
        layout.positions[target] = std::max(entries[i].position, -1);
        // A width no window can have is held to the largest one there can be.
        layout.widths[target] = std::clamp(entries[i].width, 0, kLargestStoredSize);
    }

    // Shown columns left to right; positions are renumbered 0, 1, 2 ... so that gaps or clashes in a
    // hand-edited profile still give one header item per shown column.
    std::vector<std::pair<int, int>> shown; // (position, index)
    for (std::size_t i = 0; i < total; ++i)
    {
        if (layout.positions[i] >= 0)
            shown.emplace_back(layout.positions[i], static_cast<int>(i));
    }
    std::sort(shown.begin(), shown.end());
    for (std::size_t p = 0; p < shown.size(); ++p)
    {
        layout.positions[shown[p].second] = static_cast<int>(p);
        layout.displayOrder.push_back(shown[p].second);
    }
    layout.firstShown = layout.displayOrder.empty() ? -1 : layout.displayOrder.front();
    return layout;
}
