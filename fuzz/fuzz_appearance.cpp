// A stored appearance of any shape must parse into parallel keyword arrays, and what a parsed
// appearance stores must read back to the same stored text.
#include "grid/ListAppearance.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string value(reinterpret_cast<const char*>(data), size);
    sListAppearance appearance = GetDefaultListAppearance();
    appearance.ParseSetting(value);
    if ((appearance.m_pKeywords == nullptr) != (appearance.m_pKeywordColors == nullptr))
        __builtin_trap();
    if (appearance.m_pKeywords && appearance.m_pKeywords->size() != appearance.m_pKeywordColors->size())
        __builtin_trap();

    // Below -1 no column is written but keywords are, so such a value cannot come back the same.
    if (appearance.m_nKeywordColumn >= -1)
    {
        const std::string stored = appearance.FormatSetting();
        sListAppearance reloaded = GetDefaultListAppearance();
        reloaded.ParseSetting(stored);
        if (reloaded.FormatSetting() != stored)
            __builtin_trap();
    }
    const sListAppearance copy = appearance;
    if (copy.FormatSetting() != appearance.FormatSetting())
        __builtin_trap();
    return 0;
}
