// The first byte chooses how many columns the list declares; the rest is the stored profile. The
// layout must stay consistent, and what it saves must lay out the same way again.
#include "grid/ColumnProfile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
std::vector<sKivoColInfo> DeclaredColumns(int count)
{
    std::vector<sKivoColInfo> columns(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        columns[i].SetName("Column " + std::to_string(i));
        columns[i].m_nWidth = 50 + i;
    }
    return columns;
}

void CheckConsistent(const std::vector<sKivoColInfo>& columns, const ColumnLayout& layout)
{
    if (layout.positions.size() != columns.size() || layout.widths.size() != columns.size())
        __builtin_trap();
    std::size_t shown = 0;
    for (int position : layout.positions)
    {
        if (position < -1 || position >= static_cast<int>(columns.size()))
            __builtin_trap();
        shown += position >= 0 ? 1 : 0;
    }
    if (layout.displayOrder.size() != shown)
        __builtin_trap();
    for (std::size_t p = 0; p < layout.displayOrder.size(); ++p)
    {
        const int index = layout.displayOrder[p];
        if (index < 0 || static_cast<std::size_t>(index) >= columns.size() ||
            layout.positions[index] != static_cast<int>(p))
            __builtin_trap();
    }
    if (layout.firstShown != (layout.displayOrder.empty() ? -1 : layout.displayOrder.front()))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int baseCount = data[0] % 8;
    const std::string profile(reinterpret_cast<const char*>(data + 1), size - 1);

    std::vector<sKivoColInfo> columns = DeclaredColumns(baseCount);
    const ColumnLayout layout = LayoutColumns(columns, baseCount, profile);
    CheckConsistent(columns, layout);

    const std::string saved = FormatColumnProfile(columns, baseCount, layout.positions, layout.widths);
    std::vector<sKivoColInfo> reloaded = DeclaredColumns(baseCount);
    const ColumnLayout again = LayoutColumns(reloaded, baseCount, saved);
    CheckConsistent(reloaded, again);
    if (reloaded.size() != columns.size() || again.positions != layout.positions ||
        again.widths != layout.widths)
        __builtin_trap();
    return 0;
}
