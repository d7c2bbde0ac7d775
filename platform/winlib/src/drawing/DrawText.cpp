// DrawText: line breaking, prefix characters, ellipsis and alignment, done once here
// with the canvas's text widths so that every canvas lays text out alike.
#include "GdiInternal.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

struct Line
{
    std::string text;
    int underline = -1; // index of the character a '&' prefix marks
};

Line StripPrefix(std::string_view text, UINT format)
{
    Line line;
    if (format & DT_NOPREFIX)
    {
        line.text = std::string(text);
        return line;
    }
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '&' && i + 1 < text.size())
        {
            ++i;
            if (text[i] != '&' && line.underline < 0)
                line.underline = static_cast<int>(line.text.size());
        }
        else if (text[i] == '&')
            continue;
        line.text += text[i];
    }
    return line;
}

std::string ExpandTabs(std::string_view text, UINT format)
{
    if (!(format & DT_EXPANDTABS))
        return std::string(text);
    const int stop = (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8;
    std::string out;
    for (char c : text)
    {
        if (c == '\t')
        {
            const std::size_t spaces = static_cast<std::size_t>(stop) - out.size() % static_cast<std::size_t>(stop);
            out.append(spaces, ' ');
        }
        else
            out += c;
    }
    return out;
}

// Breaks text into lines at newlines and, with DT_WORDBREAK, at blanks so that each
// line fits the width (a single word wider than the width keeps its own line).
std::vector<std::string> BreakLines(std::string_view text, UINT format, int width, Canvas& canvas, const LOGFONT& font)
{
    std::vector<std::string> lines;
    if (format & DT_SINGLELINE)
    {
        lines.emplace_back(text);
        return lines;
    }
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view para = text.substr(start, end - start);
        if (!para.empty() && para.back() == '\r')
            para.remove_suffix(1);
        if (!(format & DT_WORDBREAK))
            lines.emplace_back(para);
        else
        {
            std::string current;
            std::size_t i = 0;
            bool any = false;
            while (i < para.size())
            {
                std::size_t wordEnd = para.find(' ', i);
                if (wordEnd == std::string_view::npos)
                    wordEnd = para.size();
                const std::string_view word = para.substr(i, wordEnd - i);
                const std::string candidate = current.empty() ? std::string(word) : current + " " + std::string(word);
                if (!current.empty() && canvas.TextWidth(candidate, font) > width)
                {
                    lines.push_back(current);
                    current = std::string(word);
                }
                else
                    current = candidate;
                any = true;
                i = wordEnd + 1;
            }
            if (any || para.empty())
                lines.push_back(current);
        }
        if (end == text.size())
            break;
        start = end + 1;
    }
    return lines;
}

std::string Ellipsize(const std::string& text, int width, Canvas& canvas, const LOGFONT& font)
{
    if (canvas.TextWidth(text, font) <= width)
        return text;
    std::string cut = text;
    while (!cut.empty())
    {
        cut.pop_back();
        if (canvas.TextWidth(cut + "...", font) <= width)
            return cut + "...";
    }
    // Not even the dots fit; show as many of them as do.
    std::string dots = "...";
    while (!dots.empty() && canvas.TextWidth(dots, font) > width)
        dots.pop_back();
    return dots;
}

} // namespace

int LayoutAndDrawText(HDC hdc, std::string_view raw, RECT* rect, UINT format)
{
    DcRecord* dc = GdiTable::Get().Dc(hdc);
    if (!dc)
        return 0;
    Canvas& canvas = *dc->canvas;
    const LOGFONT& font = DcFont(*dc);
    const TEXTMETRIC tm = canvas.Metrics(font);
    const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    CRect box(*rect);

    const std::string expanded = ExpandTabs(raw, format);
    std::vector<Line> lines;
    for (const std::string& l : BreakLines(expanded, format, box.Width(), canvas, font))
        lines.push_back(StripPrefix(l, format));
    if (lines.empty())
        lines.emplace_back();
    const int height = lineHeight * static_cast<int>(lines.size());

    if (format & DT_CALCRECT)
    {
        int widest = 0;
        for (const Line& l : lines)
            widest = std::max(widest, canvas.TextWidth(l.text, font));
        if (!(format & DT_WORDBREAK) || widest > box.Width())
            rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }

    int y = box.top;
    if (format & DT_SINGLELINE)
    {
        if (format & DT_VCENTER)
            y = box.top + (box.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = box.bottom - lineHeight;
    }

    const DcState saved = dc->state;
    if (!(format & DT_NOCLIP))
        dc->state.clip.Intersect(ToDevice(*dc, box));
    std::optional<COLORREF> background;
    if (dc->state.bkMode == OPAQUE)
        background = dc->state.bkColor;
    for (const Line& l : lines)
    {
        std::string shown = l.text;
        if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
            shown = Ellipsize(shown, box.Width(), canvas, font);
        const int w = canvas.TextWidth(shown, font);
        int x = box.left;
        if (format & DT_CENTER)
            x = box.left + (box.Width() - w) / 2;
        else if (format & DT_RIGHT)
            x = box.right - w;
        const POINT p = ToDevice(*dc, POINT{x, y});
        Prepare(*dc).Text(p.x, p.y, shown, font, dc->state.textColor, background);
        if (l.underline >= 0 && !(format & DT_HIDEPREFIX) && static_cast<std::size_t>(l.underline) < shown.size())
        {
            const int ux = p.x + canvas.TextWidth(std::string_view(shown).substr(0, static_cast<std::size_t>(l.underline)), font);
            const int uw = canvas.TextWidth(std::string_view(shown).substr(static_cast<std::size_t>(l.underline), 1), font);
            canvas.FillRect(CRect(ux, p.y + tm.tmAscent + 1, ux + uw, p.y + tm.tmAscent + 2), dc->state.textColor);
        }
        y += lineHeight;
    }
    dc->state = saved;
    if (format & (DT_VCENTER | DT_BOTTOM))
        return (y - box.top);
    return height;
}

} // namespace winlib::detail
