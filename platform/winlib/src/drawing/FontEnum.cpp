// Font enumeration over the backend's families.
#include "winlib/Fonts.h"

#include "winlib/Backend.h"
#include "winlib/Gdi.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace winlib
{

const std::vector<std::string>& DefaultFontFamilies()
{
    static const std::vector<std::string> families = {
        "Arial",    "Courier New", "Microsoft Sans Serif", "MS Sans Serif", "MS Shell Dlg",
        "Segoe UI", "Tahoma",      "Times New Roman",      "Verdana"};
    return families;
}

std::vector<std::string> Backend::FontFamilies()
{
    return DefaultFontFamilies();
}

} // namespace winlib

namespace
{

bool SameFace(const std::string& a, const char* b)
{
    const std::size_t length = strnlen(b, LF_FACESIZE);
    return a.size() == length && std::equal(a.begin(), a.end(), b,
                                            [](char x, char y) {
                                                return std::tolower(static_cast<unsigned char>(x)) ==
                                                       std::tolower(static_cast<unsigned char>(y));
                                            });
}

void CopyText(BYTE* target, std::size_t size, const std::string& text)
{
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), length);
    target[length] = 0;
}

// What the family measures at the default height on this context.
void Measure(HDC hdc, const LOGFONT& font, NEWTEXTMETRICEX& metrics)
{
    const HDC dc = CreateCompatibleDC(hdc);
    const HFONT handle = CreateFontIndirect(&font);
    const HGDIOBJ old = SelectObject(dc, handle);
    GetTextMetrics(dc, &metrics.ntmTm);
    SelectObject(dc, old);
    DeleteObject(handle);
    DeleteDC(dc);
    metrics.ntmTm.ntmFlags = NTM_REGULAR;
    metrics.ntmTm.ntmSizeEM = 2048;
    metrics.ntmTm.ntmCellHeight = static_cast<UINT>(std::max<LONG>(0, metrics.ntmTm.tmHeight));
    metrics.ntmTm.ntmAvgWidth = static_cast<UINT>(std::max<LONG>(0, metrics.ntmTm.tmAveCharWidth));
    metrics.ntmFontSig.fsCsb[0] = 1; // Latin 1
}

} // namespace

int EnumFontFamiliesEx(HDC hdc, LPLOGFONT font, FONTENUMPROC proc, LPARAM data, DWORD)
{
    if (!proc)
        return 0;
    const BYTE charSet = font ? font->lfCharSet : DEFAULT_CHARSET;
    if (charSet != ANSI_CHARSET && charSet != DEFAULT_CHARSET)
        return 1;
    const bool named = font && font->lfFaceName[0] != '\0';
    int result = 1;
    for (const std::string& family : winlib::GetBackend().FontFamilies())
    {
        if (family.empty() || (named && !SameFace(family, font->lfFaceName)))
            continue;
        ENUMLOGFONTEX elf{};
        LOGFONT& lf = elf.elfLogFont;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = ANSI_CHARSET;
        lf.lfPitchAndFamily = VARIABLE_PITCH;
        const std::size_t length = std::min<std::size_t>(family.size(), LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, family.data(), length);
        CopyText(elf.elfFullName, sizeof elf.elfFullName, family);
        CopyText(elf.elfStyle, sizeof elf.elfStyle, "Regular");
        CopyText(elf.elfScript, sizeof elf.elfScript, "Western");
        NEWTEXTMETRICEX metrics{};
        Measure(hdc, lf, metrics);
        lf.lfHeight = metrics.ntmTm.tmHeight;
        lf.lfWidth = metrics.ntmTm.tmAveCharWidth;
        result = proc(&elf.elfLogFont, &metrics.ntmTm, TRUETYPE_FONTTYPE, data);
        if (result == 0)
            break;
    }
    return result;
}

int EnumFontFamilies(HDC hdc, LPCSTR family, FONTENUMPROC proc, LPARAM data)
{
    LOGFONT lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    if (family)
        std::strncpy(lf.lfFaceName, family, LF_FACESIZE - 1);
    return EnumFontFamiliesEx(hdc, &lf, proc, data, 0);
}
