// Logical fonts as Qt draws them. A LOGFONT is mapped once to a Qt font of an installed
// face, with integer advances per character so that what is measured is what is drawn,
// as GDI does (no kerning, every character on a whole pixel).
#pragma once

#include "winlib/WinGdi.h"

#include <QFont>
#include <QRawFont>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace winlib::qt
{

struct QtFont
{
    QFont font;
    QRawFont raw;
    TEXTMETRIC metrics{};
    std::array<int, 256> advance{};   // by character byte
    std::array<quint32, 256> glyph{}; // glyph index by character byte
    int ascent = 0;                   // baseline below the top of the cell

    int Width(std::string_view text) const;
};

class QtFontCache
{
public:
    // The one cache of the process; it is never destroyed, because Qt's own font
    // database may be gone by the time static destructors run.
    static QtFontCache& Get();

    const QtFont& Resolve(const LOGFONT& font);

    // The installed family a face name stands for ("MS Shell Dlg" -> a sans face ...).
    static QString FamilyFor(const LOGFONT& font);

private:
    QtFontCache() = default;
    std::unique_ptr<QtFont> Build(const LOGFONT& font) const;

    std::map<std::string, std::unique_ptr<QtFont>> m_fonts;
};

} // namespace winlib::qt
