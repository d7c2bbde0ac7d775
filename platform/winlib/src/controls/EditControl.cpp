// The edit control: single- and multi-line text with caret, selection, clipboard, undo,
// limits and the EN_ notifications. Multi-line text keeps CR LF line ends, as on Windows;
// without ES_AUTOHSCROLL its lines wrap at the width of the control.
#include "ControlUtil.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace winlib::detail
{

namespace
{

constexpr std::size_t kDefaultLimit = 32767;
constexpr std::size_t kMaxLimit = 0x7FFFFFFE;

struct EditLine
{
    std::size_t start;
    std::size_t length; // without the line end
};

class EditBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= EM_GETSEL && message <= EM_CHARFROMPOS)
            return EditMessage(hwnd, message, wParam, lParam);
        switch (message)
        {
        case WM_CREATE:
            return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
        case WM_SETTEXT:
            return OnSetText(hwnd, wParam, lParam);
        case WM_GETTEXT:
            return CopyOut(m_text, reinterpret_cast<char*>(lParam), wParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(m_text.size());
        case WM_SETFONT:
        case WM_SIZE:
        {
            const LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
            Refresh(hwnd);
            return result;
        }
        case WM_GETDLGCODE:
            return DialogCode(hwnd, reinterpret_cast<const MSG*>(lParam));
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            FocusChanged(hwnd, message == WM_SETFOCUS);
            return 0;
        case WM_ENABLE:
            Refresh(hwnd);
            return 0;
        case WM_KEYDOWN:
            KeyDown(hwnd, static_cast<int>(wParam));
            return 0;
        case WM_CHAR:
            Char(hwnd, static_cast<unsigned char>(wParam));
            return 0;
        case WM_CUT:
        case WM_COPY:
        case WM_PASTE:
        case WM_CLEAR:
            ClipboardMessage(hwnd, message);
            return 0;
        case WM_UNDO:
            return Undo(hwnd) ? TRUE : FALSE;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaint(hwnd);
            return 0;
        default:
            return MouseAndScrollMessage(hwnd, message, wParam, lParam);
        }
    }

private:
    LRESULT OnCreate(HWND hwnd, const CREATESTRUCT* cs)
    {
        m_text = (cs && cs->lpszName) ? cs->lpszName : "";
        if (StyleOf(hwnd) & ES_PASSWORD)
            m_password = '*';
        m_anchor = m_caret = 0;
        return 0;
    }

    LRESULT OnSetText(HWND hwnd, WPARAM wParam, LPARAM lParam)
    {
        const char* text = reinterpret_cast<const char*>(lParam);
        m_text = text ? text : "";
        m_anchor = m_caret = 0;
        m_scrollX = 0;
        m_firstLine = 0;
        m_modified = false;
        m_undo.reset();
        DefWindowProc(hwnd, WM_SETTEXT, wParam, lParam);
        Refresh(hwnd);
        if (!Multiline(hwnd))
        {
            NotifyParent(hwnd, EN_UPDATE);
            NotifyParent(hwnd, EN_CHANGE);
        }
        return TRUE;
    }

    // Copies at most size - 1 characters and the terminating zero; the count copied.
    static LRESULT CopyOut(const std::string& text, char* buffer, std::size_t size)
    {
        if (!buffer || size == 0)
            return 0;
        const std::size_t n = std::min(text.size(), size - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }

    static LRESULT DialogCode(HWND hwnd, const MSG* msg)
    {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (!Multiline(hwnd))
            return code;
        code |= DLGC_WANTALLKEYS;
        if (msg && msg->message == WM_KEYDOWN)
        {
            const bool wantReturn = (StyleOf(hwnd) & ES_WANTRETURN) != 0;
            if (msg->wParam == VK_TAB || msg->wParam == VK_ESCAPE ||
                (msg->wParam == VK_RETURN && !wantReturn))
                code &= ~DLGC_WANTALLKEYS;
        }
        return code;
    }

    void FocusChanged(HWND hwnd, bool gained)
    {
        m_focused = gained;
        Refresh(hwnd);
        NotifyParent(hwnd, gained ? EN_SETFOCUS : EN_KILLFOCUS);
    }

    void ClipboardMessage(HWND hwnd, UINT message)
    {
        switch (message)
        {
        case WM_COPY:
            Copy(hwnd);
            break;
        case WM_CUT:
            if (!ReadOnly(hwnd))
            {
                Copy(hwnd);
                Replace(hwnd, "", true);
            }
            break;
        case WM_PASTE:
            Paste(hwnd);
            break;
        default: // WM_CLEAR
            if (!ReadOnly(hwnd))
                Replace(hwnd, "", true);
            break;
        }
    }

    void OnPaint(HWND hwnd)
    {
        PAINTSTRUCT ps;
        const HDC hdc = BeginPaint(hwnd, &ps);
        Paint(hwnd, hdc);
        EndPaint(hwnd, &ps);
    }

    LRESULT MouseAndScrollMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        switch (message)
        {
        case WM_LBUTTONDOWN:
            ButtonDown(hwnd, pt, (wParam & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEMOVE:
            if (m_dragging)
            {
                m_caret = CharFromPoint(hwnd, pt);
                Refresh(hwnd);
            }
            return 0;
        case WM_LBUTTONUP:
            if (m_dragging)
            {
                m_dragging = false;
                ReleaseCapture();
            }
            return 0;
        case WM_CAPTURECHANGED:
            m_dragging = false;
            return 0;
        case WM_LBUTTONDBLCLK:
            SelectWordAt(hwnd, CharFromPoint(hwnd, pt));
            return 0;
        case WM_MOUSEWHEEL:
            if (!Multiline(hwnd))
                return DefWindowProc(hwnd, message, wParam, lParam);
            ScrollLines(hwnd, -static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA * 3);
            return 0;
        case WM_VSCROLL:
            if (Multiline(hwnd))
                VScroll(hwnd, LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_HSCROLL:
            if (Multiline(hwnd) && (StyleOf(hwnd) & WS_HSCROLL))
                HScroll(hwnd, LOWORD(wParam), HIWORD(wParam));
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    void ButtonDown(HWND hwnd, CPoint pt, bool extend)
    {
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        const std::size_t at = CharFromPoint(hwnd, pt);
        if (extend)
            m_caret = at;
        else
            m_anchor = m_caret = at;
        m_dragging = true;
        SetCapture(hwnd);
        Refresh(hwnd);
    }

    void SelectWordAt(HWND hwnd, std::size_t at)
    {
        std::size_t begin = at;
        std::size_t end = at;
        while (begin > 0 && IsWordChar(m_text[begin - 1]))
            --begin;
        while (end < m_text.size() && IsWordChar(m_text[end]))
            ++end;
        m_anchor = begin;
        m_caret = end;
        Refresh(hwnd);
    }

    // The edit messages about the text, the selection, undo and limits; lines go on.
    LRESULT EditMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message)
        {
        case EM_UNDO:
            return Undo(hwnd) ? TRUE : FALSE;
        case EM_CANUNDO:
            return m_undo ? TRUE : FALSE;
        case EM_EMPTYUNDOBUFFER:
            m_undo.reset();
            return 0;
        case EM_GETSEL:
            return GetSelection(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
        case EM_SETSEL:
            SetSelection(hwnd, static_cast<long>(static_cast<int>(wParam)),
                         static_cast<long>(static_cast<int>(lParam)));
            return 0;
        case EM_REPLACESEL:
        {
            const char* text = reinterpret_cast<const char*>(lParam);
            Replace(hwnd, text ? text : "", wParam != 0, false);
            return 0;
        }
        case EM_LIMITTEXT:
            m_limit = wParam ? std::min<std::size_t>(wParam, kMaxLimit) : kMaxLimit;
            return 0;
        case EM_GETLIMITTEXT:
            return static_cast<LRESULT>(m_limit);
        case EM_GETMODIFY:
            return m_modified ? TRUE : FALSE;
        case EM_SETMODIFY:
            m_modified = wParam != 0;
            return 0;
        case EM_SETREADONLY:
            SetReadOnly(hwnd, wParam != 0);
            return TRUE;
        case EM_SETPASSWORDCHAR:
            m_password = static_cast<char>(wParam);
            Refresh(hwnd);
            return 0;
        case EM_SETMARGINS:
            SetMargins(hwnd, wParam, lParam);
            return 0;
        case EM_GETMARGINS:
            return MAKELONG(m_leftMargin, m_rightMargin);
        case EM_GETRECT:
            if (lParam)
                *reinterpret_cast<RECT*>(lParam) = FormatRect(hwnd);
            return 0;
        default:
            return LineMessage(hwnd, message, wParam, lParam);
        }
    }

    LRESULT GetSelection(DWORD* start, DWORD* end) const
    {
        const std::size_t lo = std::min(m_anchor, m_caret);
        const std::size_t hi = std::max(m_anchor, m_caret);
        if (start)
            *start = static_cast<DWORD>(lo);
        if (end)
            *end = static_cast<DWORD>(hi);
        return MAKELONG(std::min<std::size_t>(lo, 0xFFFF), std::min<std::size_t>(hi, 0xFFFF));
    }

    void SetSelection(HWND hwnd, long start, long end)
    {
        if (start == -1)
            m_anchor = m_caret;
        else
        {
            m_anchor = static_cast<std::size_t>(std::clamp<long>(start, 0, static_cast<long>(m_text.size())));
            m_caret = end < 0
                          ? m_text.size()
                          : static_cast<std::size_t>(std::min<long>(end, static_cast<long>(m_text.size())));
        }
        SnapToCharacters();
        Refresh(hwnd);
    }

    void SetReadOnly(HWND hwnd, bool readOnly)
    {
        LONG style = GetWindowLong(hwnd, GWL_STYLE);
        style =
            readOnly ? (style | static_cast<LONG>(ES_READONLY)) : (style & ~static_cast<LONG>(ES_READONLY));
        SetWindowLong(hwnd, GWL_STYLE, style);
        Refresh(hwnd);
    }

    void SetMargins(HWND hwnd, WPARAM which, LPARAM margins)
    {
        if (which & 1)
            m_leftMargin = LOWORD(margins);
        if (which & 2)
            m_rightMargin = HIWORD(margins);
        Refresh(hwnd);
    }

    // The edit messages about lines, positions and scrolling.
    LRESULT LineMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const long index = static_cast<int>(wParam);
        switch (message)
        {
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(Layout(hwnd).size());
        case EM_LINEINDEX:
        {
            const std::vector<EditLine> lines = Layout(hwnd);
            const int line = index < 0 ? LineOf(lines, m_caret) : static_cast<int>(index);
            return line < static_cast<int>(lines.size()) ? static_cast<LRESULT>(lines[static_cast<std::size_t>(line)].start) : -1;
        }
        case EM_LINELENGTH:
        {
            const std::vector<EditLine> lines = Layout(hwnd);
            const int line = index < 0 ? LineOf(lines, m_caret) : LineOf(lines, static_cast<std::size_t>(index));
            return static_cast<LRESULT>(lines[static_cast<std::size_t>(line)].length);
        }
        case EM_LINEFROMCHAR:
            return LineOf(Layout(hwnd), index < 0 ? m_caret : static_cast<std::size_t>(index));
        case EM_GETLINE:
            return GetLine(hwnd, wParam, reinterpret_cast<char*>(lParam));
        case EM_GETFIRSTVISIBLELINE:
            return Multiline(hwnd) ? m_firstLine : static_cast<LRESULT>(m_scrollX / std::max(1, CharWidth(hwnd)));
        case EM_LINESCROLL:
            if (Multiline(hwnd))
                ScrollLines(hwnd, static_cast<int>(lParam));
            return TRUE;
        case EM_SCROLLCARET:
            Refresh(hwnd);
            return TRUE;
        case EM_POSFROMCHAR:
        {
            const POINT p = PointOfChar(hwnd, std::min<std::size_t>(wParam, m_text.size()));
            return MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
        }
        case EM_CHARFROMPOS:
        {
            const std::size_t at = CharFromPoint(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return MAKELONG(static_cast<WORD>(at), static_cast<WORD>(LineOf(Layout(hwnd), at)));
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // The line's text without a terminating zero; the buffer's first word holds its room.
    LRESULT GetLine(HWND hwnd, std::size_t line, char* buffer)
    {
        const std::vector<EditLine> lines = Layout(hwnd);
        if (line >= lines.size() || !buffer)
            return 0;
        const std::size_t room = *reinterpret_cast<WORD*>(buffer);
        const EditLine& l = lines[line];
        const std::size_t n = std::min(room, l.length);
        std::memcpy(buffer, m_text.data() + l.start, n);
        return static_cast<LRESULT>(n);
    }

    struct UndoState
    {
        std::string text;
        std::size_t anchor;
        std::size_t caret;
    };

    static bool Multiline(HWND hwnd) { return (StyleOf(hwnd) & ES_MULTILINE) != 0; }
    static bool ReadOnly(HWND hwnd) { return (StyleOf(hwnd) & ES_READONLY) != 0; }
    static bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

    bool Wraps(HWND hwnd) const
    {
        return Multiline(hwnd) && !(StyleOf(hwnd) & (ES_AUTOHSCROLL | WS_HSCROLL));
    }

    CRect FormatRect(HWND hwnd) const
    {
        CRect r = ClientOf(hwnd);
        r.left += m_leftMargin;
        r.right -= m_rightMargin;
        if (r.right < r.left)
            r.right = r.left;
        return r;
    }

    std::string Shown(std::size_t start, std::size_t length) const
    {
        if (m_password)
            return std::string(length, m_password);
        return m_text.substr(start, length);
    }

    // Measures with the control's font on a screen context.
    struct Measure
    {
        explicit Measure(HWND hwnd) : hdc(GetDC(nullptr)), old(SelectControlFont(hwnd, hdc))
        {
            GetTextMetrics(hdc, &tm);
        }
        ~Measure()
        {
            SelectObject(hdc, old);
            ReleaseDC(nullptr, hdc);
        }
        int Width(const std::string& s) const
        {
            SIZE size{0, 0};
            GetTextExtentPoint32(hdc, s.c_str(), static_cast<int>(s.size()), &size);
            return size.cx;
        }
        HDC hdc;
        HGDIOBJ old;
        TEXTMETRIC tm{};
    };

    int CharWidth(HWND hwnd) const { return Measure(hwnd).tm.tmAveCharWidth; }

    std::vector<EditLine> Layout(HWND hwnd) const
    {
        std::vector<EditLine> lines;
        if (!Multiline(hwnd))
        {
            lines.push_back(EditLine{0, m_text.size()});
            return lines;
        }
        const bool wrap = Wraps(hwnd);
        const int width = FormatRect(hwnd).Width();
        Measure measure(hwnd);
        std::size_t start = 0;
        while (true)
        {
            std::size_t end = m_text.find("\r\n", start);
            const bool last = end == std::string::npos;
            if (last)
                end = m_text.size();
            // Soft breaks inside the hard line.
            std::size_t lineStart = start;
            while (wrap && end > lineStart && measure.Width(Shown(lineStart, end - lineStart)) > width)
            {
                std::size_t fit = lineStart;
                while (fit < end && measure.Width(Shown(lineStart, fit - lineStart + 1)) <= width)
                    ++fit;
                std::size_t breakAt = fit;
                for (std::size_t i = fit; i > lineStart; --i)
                {
                    if (m_text[i - 1] == ' ')
                    {
                        breakAt = i;
                        break;
                    }
                }
                if (breakAt == lineStart)
                    breakAt = std::max(fit, lineStart + 1);
                lines.push_back(EditLine{lineStart, breakAt - lineStart});
                lineStart = breakAt;
            }
            lines.push_back(EditLine{lineStart, end - lineStart});
            if (last)
                break;
            start = end + 2;
        }
        return lines;
    }

    static int LineOf(const std::vector<EditLine>& lines, std::size_t index)
    {
        for (std::size_t i = lines.size(); i-- > 0;)
        {
            if (index >= lines[i].start)
                return static_cast<int>(i);
        }
        return 0;
    }

    POINT PointOfChar(HWND hwnd, std::size_t index) const
    {
        const std::vector<EditLine> lines = Layout(hwnd);
        const int line = LineOf(lines, index);
        const EditLine& l = lines[static_cast<std::size_t>(line)];
        Measure measure(hwnd);
        const CRect format = FormatRect(hwnd);
        const std::size_t within = std::min(index - l.start, l.length);
        const int x = format.left + LineOffset(hwnd, measure, l) + measure.Width(Shown(l.start, within)) - m_scrollX;
        const int y = format.top + (line - m_firstLine) * measure.tm.tmHeight;
        return POINT{x, y};
    }

    // The indent of a line for centred and right-aligned text.
    int LineOffset(HWND hwnd, const Measure& measure, const EditLine& l) const
    {
        const DWORD align = StyleOf(hwnd) & (ES_CENTER | ES_RIGHT);
        if (!align)
            return 0;
        const int free = FormatRect(hwnd).Width() - measure.Width(Shown(l.start, l.length));
        if (free <= 0)
            return 0;
        return (align & ES_CENTER) ? free / 2 : free;
    }

    std::size_t CharFromPoint(HWND hwnd, CPoint p) const
    {
        const std::vector<EditLine> lines = Layout(hwnd);
        Measure measure(hwnd);
        const CRect format = FormatRect(hwnd);
        int line = m_firstLine + (p.y - format.top) / std::max<LONG>(1, measure.tm.tmHeight);
        line = std::clamp(line, 0, static_cast<int>(lines.size()) - 1);
        const EditLine& l = lines[static_cast<std::size_t>(line)];
        const int x = p.x - format.left + m_scrollX - LineOffset(hwnd, measure, l);
        std::size_t best = l.start;
        int previous = 0;
        for (std::size_t i = 1; i <= l.length; ++i)
        {
            const int w = measure.Width(Shown(l.start, i));
            if (x < (previous + w) / 2 + (w - previous) % 2)
                break;
            best = l.start + i;
            previous = w;
        }
        return best;
    }

    // Keeps positions off the middle of a CR LF pair.
    void SnapToCharacters()
    {
        const auto snap = [this](std::size_t& i) {
            i = std::min(i, m_text.size());
            if (i > 0 && i < m_text.size() && m_text[i - 1] == '\r' && m_text[i] == '\n')
                --i;
        };
        snap(m_anchor);
        snap(m_caret);
    }

    void EnsureCaretVisible(HWND hwnd)
    {
        const std::vector<EditLine> lines = Layout(hwnd);
        Measure measure(hwnd);
        const CRect format = FormatRect(hwnd);
        const int line = LineOf(lines, m_caret);
        const EditLine& l = lines[static_cast<std::size_t>(line)];
        if (Multiline(hwnd))
        {
            const int visible = std::max<int>(1, format.Height() / std::max<LONG>(1, measure.tm.tmHeight));
            if (line < m_firstLine)
                m_firstLine = line;
            else if (line >= m_firstLine + visible)
                m_firstLine = line - visible + 1;
            m_firstLine = std::clamp(m_firstLine, 0, std::max(0, static_cast<int>(lines.size()) - 1));
            UpdateScrollBar(hwnd, static_cast<int>(lines.size()), visible);
        }
        if (Wraps(hwnd))
        {
            m_scrollX = 0;
            return;
        }
        const int caretX = LineOffset(hwnd, measure, l) + measure.Width(Shown(l.start, m_caret - l.start));
        const int width = format.Width();
        if (caretX - m_scrollX >= width)
            m_scrollX = caretX - width + std::max(1, width / 4);
        else if (caretX < m_scrollX)
            m_scrollX = std::max(0, caretX - width / 4);
        const int textWidth = measure.Width(Shown(l.start, l.length));
        if (m_scrollX > 0 && textWidth - m_scrollX < width)
            m_scrollX = std::max(0, std::min(m_scrollX, textWidth - width + 1));
        if (Multiline(hwnd))
            UpdateHScrollBar(hwnd, measure, lines, width);
    }

    // A multi-line edit with WS_HSCROLL scrolls sideways over its widest line.
    int WidestLine(HWND hwnd, Measure& measure, const std::vector<EditLine>& lines) const
    {
        int widest = 0;
        for (const EditLine& line : lines)
            widest = std::max(widest, LineOffset(hwnd, measure, line) + measure.Width(Shown(line.start, line.length)));
        return widest;
    }

    void UpdateHScrollBar(HWND hwnd, Measure& measure, const std::vector<EditLine>& lines, int width)
    {
        if (!(StyleOf(hwnd) & WS_HSCROLL))
            return;
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                        std::max(0, WidestLine(hwnd, measure, lines)), static_cast<UINT>(std::max(1, width)), m_scrollX,
                        0};
        SetScrollInfo(hwnd, SB_HORZ, &info, TRUE);
    }

    void HScroll(HWND hwnd, UINT code, int pos)
    {
        Measure measure(hwnd);
        const std::vector<EditLine> lines = Layout(hwnd);
        const int width = std::max<int>(1, FormatRect(hwnd).Width());
        const int widest = WidestLine(hwnd, measure, lines);
        const ScrollSteps steps{std::max(1, CharWidth(hwnd)), width, widest};
        if (const auto target = ScrollCodeTarget(hwnd, SB_HORZ, code, pos, m_scrollX, steps))
        {
            m_scrollX = std::clamp(*target, 0, std::max(0, widest - width + 1));
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        SetScrollPos(hwnd, SB_HORZ, m_scrollX, TRUE);
    }

    void UpdateScrollBar(HWND hwnd, int lineCount, int visible)
    {
        if (!(StyleOf(hwnd) & WS_VSCROLL))
            return;
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                        std::max(0, lineCount - 1), static_cast<UINT>(visible), m_firstLine, 0};
        SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    }

    void ScrollLines(HWND hwnd, int delta)
    {
        const int count = static_cast<int>(Layout(hwnd).size());
        m_firstLine = std::clamp(m_firstLine + delta, 0, std::max(0, count - 1));
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void VScroll(HWND hwnd, UINT code, int pos)
    {
        Measure measure(hwnd);
        const int page = std::max<int>(1, FormatRect(hwnd).Height() / std::max<LONG>(1, measure.tm.tmHeight));
        const ScrollSteps steps{1, page, static_cast<int>(Layout(hwnd).size())};
        if (const auto target = ScrollCodeTarget(hwnd, SB_VERT, code, pos, m_firstLine, steps))
            ScrollLines(hwnd, *target - m_firstLine);
        SetScrollPos(hwnd, SB_VERT, m_firstLine, TRUE);
    }

    void Refresh(HWND hwnd)
    {
        EnsureCaretVisible(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    // Replaces the selection with 'insert'; user edits honour the limit and the width of
    // a control without horizontal scrolling. Returns false when nothing could be inserted.
    bool Replace(HWND hwnd, std::string insert, bool canUndo, bool byUser = true)
    {
        const std::size_t lo = std::min(m_anchor, m_caret);
        const std::size_t hi = std::max(m_anchor, m_caret);
        const std::size_t remaining = m_text.size() - (hi - lo);
        bool truncated = false;
        if (remaining + insert.size() > m_limit)
        {
            insert.resize(m_limit > remaining ? m_limit - remaining : 0);
            truncated = true;
        }
        std::string candidate = m_text.substr(0, lo) + insert + m_text.substr(hi);
        if (byUser && !Multiline(hwnd) && !(StyleOf(hwnd) & ES_AUTOHSCROLL))
        {
            // Without horizontal scrolling the text may not grow wider than the control.
            Measure measure(hwnd);
            const int width = FormatRect(hwnd).Width();
            while (!insert.empty() && measure.Width(m_password ? std::string(candidate.size(), m_password) : candidate) > width)
            {
                insert.pop_back();
                candidate = m_text.substr(0, lo) + insert + m_text.substr(hi);
                truncated = true;
            }
        }
        if (truncated)
            NotifyParent(hwnd, EN_MAXTEXT);
        if (insert.empty() && lo == hi)
            return false;
        if (canUndo)
            m_undo = UndoState{m_text, m_anchor, m_caret};
        else
            m_undo.reset(); // what came before cannot be undone across a change that cannot
        m_text = std::move(candidate);
        m_anchor = m_caret = lo + insert.size();
        m_modified = true;
        DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_text.c_str()));
        EnsureCaretVisible(hwnd);
        NotifyParent(hwnd, EN_UPDATE);
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, EN_CHANGE);
        return !insert.empty();
    }

    bool Undo(HWND hwnd)
    {
        if (!m_undo)
            return false;
        UndoState previous = *m_undo;
        m_undo = UndoState{m_text, m_anchor, m_caret};
        m_text = previous.text;
        m_anchor = previous.anchor;
        m_caret = previous.caret;
        m_modified = true;
        DefWindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_text.c_str()));
        EnsureCaretVisible(hwnd);
        NotifyParent(hwnd, EN_UPDATE);
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, EN_CHANGE);
        return true;
    }

    void Copy(HWND hwnd)
    {
        const std::size_t lo = std::min(m_anchor, m_caret);
        const std::size_t hi = std::max(m_anchor, m_caret);
        if (lo == hi || m_password || !OpenClipboard(hwnd))
            return;
        EmptyClipboard();
        const std::string text = m_text.substr(lo, hi - lo);
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1))
        {
            if (void* p = GlobalLock(memory))
            {
                std::memcpy(p, text.c_str(), text.size() + 1);
                GlobalUnlock(memory);
                SetClipboardData(CF_TEXT, memory);
            }
            else
                GlobalFree(memory);
        }
        CloseClipboard();
    }

    void Paste(HWND hwnd)
    {
        if (ReadOnly(hwnd) || !OpenClipboard(hwnd))
            return;
        std::string text;
        if (HANDLE data = GetClipboardData(CF_TEXT))
        {
            if (const char* p = static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(data))))
            {
                text = p;
                GlobalUnlock(static_cast<HGLOBAL>(data));
            }
        }
        CloseClipboard();
        if (!Multiline(hwnd))
        {
            // A single line takes the first line of what was copied.
            const std::size_t end = text.find_first_of("\r\n");
            if (end != std::string::npos)
                text.resize(end);
        }
        Replace(hwnd, Filter(hwnd, text), true);
    }

    // Applies the character styles of the control to typed or pasted text.
    static std::string Filter(HWND hwnd, const std::string& text)
    {
        const DWORD style = StyleOf(hwnd);
        std::string out;
        for (char c : text)
        {
            if ((style & ES_NUMBER) && !std::isdigit(static_cast<unsigned char>(c)))
                continue;
            if (style & ES_UPPERCASE)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            else if (style & ES_LOWERCASE)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            out += c;
        }
        return out;
    }

    void Char(HWND hwnd, unsigned char ch)
    {
        switch (ch)
        {
        case 1: // Ctrl+A
            m_anchor = 0;
            m_caret = m_text.size();
            Refresh(hwnd);
            return;
        case 3: // Ctrl+C
            Copy(hwnd);
            return;
        case 22: // Ctrl+V, through WM_PASTE so that a subclass can vet what is pasted
            SendMessage(hwnd, WM_PASTE, 0, 0);
            return;
        case 24: // Ctrl+X
            if (!ReadOnly(hwnd))
            {
                Copy(hwnd);
                Replace(hwnd, "", true);
            }
            return;
        case 26: // Ctrl+Z
            Undo(hwnd);
            return;
        case '\b':
            if (ReadOnly(hwnd))
            {
                MessageBeep(0);
                return;
            }
            if (m_anchor == m_caret && m_caret > 0)
                m_anchor = (m_caret >= 2 && m_text.compare(m_caret - 2, 2, "\r\n") == 0) ? m_caret - 2 : m_caret - 1;
            Replace(hwnd, "", true);
            return;
        case '\r':
        case '\n':
            if (Multiline(hwnd) && !ReadOnly(hwnd))
                Replace(hwnd, "\r\n", true);
            return;
        case '\t':
            if (Multiline(hwnd) && !ReadOnly(hwnd))
                Replace(hwnd, "\t", true);
            return;
        default:
            break;
        }
        if (ch < 32)
            return;
        if (ReadOnly(hwnd))
        {
            MessageBeep(0);
            return;
        }
        const std::string filtered = Filter(hwnd, std::string(1, static_cast<char>(ch)));
        if (filtered.empty())
        {
            MessageBeep(0);
            return;
        }
        Replace(hwnd, filtered, true);
    }

    void KeyDown(HWND hwnd, int vk)
    {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        const std::vector<EditLine> lines = Layout(hwnd);
        const int line = LineOf(lines, m_caret);
        std::size_t target = m_caret;
        switch (vk)
        {
        case VK_LEFT:
            if (!shift && m_anchor != m_caret)
                target = std::min(m_anchor, m_caret);
            else if (ctrl)
            {
                while (target > 0 && !IsWordChar(m_text[target - 1]))
                    --target;
                while (target > 0 && IsWordChar(m_text[target - 1]))
                    --target;
            }
            else if (target > 0)
                target -= (target >= 2 && m_text.compare(target - 2, 2, "\r\n") == 0) ? 2 : 1;
            break;
        case VK_RIGHT:
            if (!shift && m_anchor != m_caret)
                target = std::max(m_anchor, m_caret);
            else if (ctrl)
            {
                while (target < m_text.size() && IsWordChar(m_text[target]))
                    ++target;
                while (target < m_text.size() && !IsWordChar(m_text[target]))
                    ++target;
            }
            else if (target < m_text.size())
                target += m_text.compare(target, 2, "\r\n") == 0 ? 2 : 1;
            break;
        case VK_HOME:
            target = ctrl ? 0 : lines[static_cast<std::size_t>(line)].start;
            break;
        case VK_END:
            target = ctrl ? m_text.size()
                          : lines[static_cast<std::size_t>(line)].start + lines[static_cast<std::size_t>(line)].length;
            break;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        {
            if (!Multiline(hwnd))
                return;
            Measure measure(hwnd);
            const int page = std::max<int>(1, FormatRect(hwnd).Height() / std::max<LONG>(1, measure.tm.tmHeight));
            const int step = vk == VK_UP ? -1 : vk == VK_DOWN ? 1 : vk == VK_PRIOR ? -page : page;
            const int newLine = std::clamp(line + step, 0, static_cast<int>(lines.size()) - 1);
            POINT p = PointOfChar(hwnd, m_caret);
            p.y += (newLine - line) * measure.tm.tmHeight;
            const int savedFirst = m_firstLine;
            target = CharFromPoint(hwnd, CPoint(p));
            m_firstLine = savedFirst;
            break;
        }
        case VK_DELETE:
            if (ReadOnly(hwnd))
                return;
            if (shift)
            {
                Copy(hwnd);
                Replace(hwnd, "", true);
                return;
            }
            if (m_anchor == m_caret && m_caret < m_text.size())
                m_caret += m_text.compare(m_caret, 2, "\r\n") == 0 ? 2 : 1;
            Replace(hwnd, "", true);
            return;
        case VK_INSERT:
            if (ctrl)
                Copy(hwnd);
            else if (shift)
                SendMessage(hwnd, WM_PASTE, 0, 0);
            return;
        default:
            return;
        }
        m_caret = target;
        if (!shift)
            m_anchor = m_caret;
        Refresh(hwnd);
    }

    void Paint(HWND hwnd, HDC hdc)
    {
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        const bool readOnly = ReadOnly(hwnd);
        const HBRUSH brush = ControlColors(hwnd, hdc, (readOnly || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
        const CRect client = ClientOf(hwnd);
        FillRect(hdc, &client, brush);
        const COLORREF textColor = enabled ? GetTextColor(hdc) : GetSysColor(COLOR_GRAYTEXT);
        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        CDC* dc = CDC::FromHandle(hdc);
        const CRect format = FormatRect(hwnd);
        IntersectClipRect(hdc, format.left, format.top, format.right, format.bottom);
        SetBkMode(hdc, TRANSPARENT);

        const std::vector<EditLine> lines = Layout(hwnd);
        const std::size_t lo = std::min(m_anchor, m_caret);
        const std::size_t hi = std::max(m_anchor, m_caret);
        const bool showSelection = lo != hi && (m_focused || (StyleOf(hwnd) & ES_NOHIDESEL));
        Measure measure(hwnd);
        for (std::size_t i = static_cast<std::size_t>(std::max(0, m_firstLine)); i < lines.size(); ++i)
        {
            const int y = format.top + (static_cast<int>(i) - m_firstLine) * tm.tmHeight;
            if (y >= format.bottom)
                break;
            const EditLine& l = lines[i];
            const int x = format.left + LineOffset(hwnd, measure, l) - m_scrollX;
            const std::string shown = Shown(l.start, l.length);
            SetTextColor(hdc, textColor);
            dc->TextOut(x, y, shown);
            if (showSelection)
            {
                const std::size_t a = std::clamp(lo, l.start, l.start + l.length);
                const std::size_t b = std::clamp(hi, l.start, l.start + l.length);
                if (a < b)
                {
                    const int x0 = x + measure.Width(Shown(l.start, a - l.start));
                    const std::string part = Shown(a, b - a);
                    const int x1 = x0 + measure.Width(part);
                    dc->FillSolidRect(x0, y, x1 - x0, tm.tmHeight, GetSysColor(COLOR_HIGHLIGHT));
                    SetBkMode(hdc, TRANSPARENT);
                    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
                    dc->TextOut(x0, y, part);
                }
            }
        }
        if (m_focused)
        {
            const POINT caret = PointOfChar(hwnd, m_caret);
            dc->FillSolidRect(caret.x, caret.y, 1, tm.tmHeight, GetSysColor(COLOR_WINDOWTEXT));
        }
        SelectObject(hdc, oldFont);
    }

    std::string m_text;
    std::size_t m_anchor = 0;
    std::size_t m_caret = 0;
    std::size_t m_limit = kDefaultLimit;
    bool m_modified = false;
    bool m_focused = false;
    bool m_dragging = false;
    char m_password = 0;
    int m_scrollX = 0;
    int m_firstLine = 0;
    WORD m_leftMargin = 1;
    WORD m_rightMargin = 1;
    std::optional<UndoState> m_undo;
};

} // namespace

void RegisterEditClass()
{
    State::Get().RegisterBuiltin("Edit", [] { return std::make_unique<EditBehaviour>(); }, COLOR_WINDOW);
    // The rich edit shows plain text as the edit does: all that the read-only panes need of it.
    State::Get().RegisterBuiltin("RichEdit20A", [] { return std::make_unique<EditBehaviour>(); }, COLOR_WINDOW);
}

} // namespace winlib::detail
