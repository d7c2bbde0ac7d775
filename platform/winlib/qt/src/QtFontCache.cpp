#include "QtFontCache.h"

#include "winlib/FontLimits.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

namespace winlib::qt
{

namespace
{

// Pitch-and-family and quality values of LOGFONT that WinGdi.h does not name.
constexpr BYTE kFamilyRoman = 0x10;
constexpr BYTE kFamilyModern = 0x30;
constexpr BYTE kFamilyMask = 0xF0;
constexpr BYTE kAntialiasedQuality = 4;
constexpr BYTE kClearTypeQuality = 5;

// TEXTMETRIC pitch bits; "fixed pitch" set means a variable-pitch font, as GDI has it.
constexpr BYTE kVariablePitchBit = 0x01;
constexpr BYTE kTrueTypeBits = 0x06;

// What 0 in lfHeight stands for: the 8-point default at 96 dots per inch.
constexpr int kDefaultCharHeight = 11;

const char* const kSansFamily = "DejaVu Sans";
const char* const kMonoFamily = "DejaVu Sans Mono";
const char* const kSerifFamily = "DejaVu Serif";

std::string Lower(const char* s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string FaceOf(const LOGFONT& font)
{
    return std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
}

// The key under which a resolved font is kept: everything that changes its pixels.
std::string KeyOf(const LOGFONT& font)
{
    std::string key = Lower(FaceOf(font).c_str());
    key += '|' + std::to_string(font.lfHeight) + '|' + std::to_string(font.lfWeight) + '|' +
           std::to_string(font.lfItalic ? 1 : 0) + std::to_string(font.lfUnderline ? 1 : 0) +
           std::to_string(font.lfStrikeOut ? 1 : 0) + '|' + std::to_string(font.lfQuality) + '|' +
           std::to_string(font.lfPitchAndFamily);
    return key;
}

// Crisp, unsmoothed glyphs unless smoothing is asked for, as classic dialogs draw them.
bool Antialiased(const LOGFONT& font)
{
    return font.lfQuality == kAntialiasedQuality || font.lfQuality == kClearTypeQuality;
}

// A negative height is the character (em) height, a positive one the cell height; the
// cell is found by shrinking the em size until the font's cell fits, as the font mapper
// picks the largest size not taller than asked.
int PixelSizeFor(const LOGFONT& lf, QFont font)
{
    const LONG height = winlib::LimitedFontHeight(lf.lfHeight);
    if (height < 0)
        return std::max<int>(1, -height);
    if (height == 0)
        return kDefaultCharHeight;
    int size = std::max<int>(1, height);
    for (; size > 1; --size)
    {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= height)
            break;
    }
    return size;
}

} // namespace

int QtFont::Width(std::string_view text) const
{
    long long width = 0;
    for (const char c : text)
        width += advance[static_cast<unsigned char>(c)];
    return static_cast<int>(std::min<long long>(width, INT_MAX));
}

QtFontCache& QtFontCache::Get()
{
    static QtFontCache* const cache = new QtFontCache();
    return *cache;
}

QString QtFontCache::FamilyFor(const LOGFONT& font)
{
    static const char* const sans[] = {
        "ms shell dlg", "ms shell dlg 2", "ms sans serif",        "tahoma", "segoe ui", "system",
        "arial",        "helvetica",      "microsoft sans serif", "verdana"};
    static const char* const mono[] = {"courier",  "courier new",    "fixedsys",
                                       "terminal", "lucida console", "consolas"};
    const std::string face = Lower(FaceOf(font).c_str());
    for (const char* name : sans)
    {
        if (face == name)
            return QString::fromLatin1(kSansFamily);
    }
    for (const char* name : mono)
    {
        if (face == name)
            return QString::fromLatin1(kMonoFamily);
    }
    if (!face.empty() && QFontDatabase::hasFamily(QString::fromLatin1(FaceOf(font))))
        return QString::fromLatin1(FaceOf(font));
    // An unknown face: choose by what the caller said about its pitch and family.
    if ((font.lfPitchAndFamily & 0x03) == FIXED_PITCH ||
        (font.lfPitchAndFamily & kFamilyMask) == kFamilyModern)
        return QString::fromLatin1(kMonoFamily);
    if ((font.lfPitchAndFamily & kFamilyMask) == kFamilyRoman)
        return QString::fromLatin1(kSerifFamily);
    return QString::fromLatin1(kSansFamily);
}

const QtFont& QtFontCache::Resolve(const LOGFONT& font)
{
    const std::string key = KeyOf(font);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end())
        it = m_fonts.emplace(key, Build(font)).first;
    return *it->second;
}

std::unique_ptr<QtFont> QtFontCache::Build(const LOGFONT& lf) const
{
    auto resolved = std::make_unique<QtFont>();
    QFont font(FamilyFor(lf));
    const bool antialiased = Antialiased(lf);
    font.setStyleStrategy(static_cast<QFont::StyleStrategy>(
        QFont::NoFontMerging | (antialiased ? QFont::PreferAntialias : QFont::NoAntialias)));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    const int weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : static_cast<int>(lf.lfWeight);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    font.setPixelSize(PixelSizeFor(lf, font));

    const QFontMetrics fm(font);
    resolved->font = font;
    resolved->raw = QRawFont::fromFont(font);
    resolved->ascent = fm.ascent();
    for (int c = 0; c < 256; ++c)
    {
        const QChar ch(static_cast<char16_t>(c));
        resolved->advance[static_cast<std::size_t>(c)] = fm.horizontalAdvance(ch);
        quint32 glyph = 0;
        int count = 1;
        if (resolved->raw.isValid() && resolved->raw.glyphIndexesForChars(&ch, 1, &glyph, &count) &&
            count == 1)
            resolved->glyph[static_cast<std::size_t>(c)] = glyph;
    }

    TEXTMETRIC& tm = resolved->metrics;
    tm.tmHeight = fm.height();
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmInternalLeading = std::max(0, fm.height() - font.pixelSize());
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = std::max(1, fm.averageCharWidth());
    tm.tmMaxCharWidth = std::max(1, fm.maxWidth());
    tm.tmWeight = weight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = ' ';
    tm.tmLastChar = '~';
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmItalic = lf.lfItalic ? 1 : 0;
    tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
    tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    const bool fixedPitch = QFontInfo(font).fixedPitch();
    tm.tmPitchAndFamily = static_cast<BYTE>(kTrueTypeBits | (fixedPitch ? 0 : kVariablePitchBit) |
                                            (fixedPitch ? kFamilyModern : FF_SWISS));
    tm.tmCharSet = lf.lfCharSet;
    return resolved;
}

} // namespace winlib::qt
