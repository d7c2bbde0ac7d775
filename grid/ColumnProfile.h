// The stored column profile of a list ("COLUMNPROFILE") and the layout it gives the list's header.
//
// A profile is "index,position,width" per column in index order, joined by commas; a user-defined
// column adds ",name#expression#display expression". Position -1 is a hidden column, whose width is 0.
#pragma once

#include "grid/KivoColInfo.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Width of a user-defined column recreated from a profile.
constexpr int kRecreatedUserColumnWidth = 80;
// Width remembered for a column the profile does not know (added since it was saved).
constexpr int kUnknownColumnWidth = 100;

struct ColumnProfileEntry
{
    int index = 0;
    int position = -1;
    int width = 0;
    bool userDefined = false;
    std::string name; // user-defined entries only
    std::string expression;
    std::string displayExpression;
};

// positions and widths are per column index; widths are the header's current widths (0 when hidden).
std::string FormatColumnProfile(const std::vector<sKivoColInfo>& columns, int baseColumnCount,
                                const std::vector<int>& positions, const std::vector<int>& widths);

// The entries up to the first one that is cut short. An entry at or beyond the base count is
// user-defined when a "name#expression#display" field follows it; otherwise it stands for a column
// the list no longer has.
std::vector<ColumnProfileEntry> ParseColumnProfile(std::string_view profile, int baseColumnCount);

struct ColumnLayout
{
    std::vector<int> positions;    // per column index: display position, -1 when hidden
    std::vector<int> widths;       // per column index
    std::vector<int> displayOrder; // column indices of the shown columns, left to right
    int firstShown = -1;           // the column at position 0, -1 when none is shown
    bool fromProfile = false;
};

// Lays out the header from the column descriptions and the stored profile (nullopt when none could
// be read), appending the user-defined columns the profile recreates. Without a usable profile every
// column shows in declaration order at its declared width.
ColumnLayout LayoutColumns(std::vector<sKivoColInfo>& columns, int baseColumnCount,
                           std::optional<std::string_view> profile);
