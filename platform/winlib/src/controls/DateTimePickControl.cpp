// The date and time picker ("SysDateTimePick32"): a date or a time shown in a picture format
// ("dd/MM/yyyy", "HH:mm:ss" ...) whose fields the user edits one at a time with the arrow keys
// and digits. Date pickers drop a month calendar (SysMonthCal32) from their button; time
// pickers and DTS_UPDOWN ones have an up-down button instead. Every change of the value is
// reported with DTN_DATETIMECHANGE; DTN_DROPDOWN and DTN_CLOSEUP frame the calendar's life.
#include "CalendarColours.h"
#include "ControlUtil.h"
#include "DateFields.h"
#include "MonthCalHost.h"

#include <algorithm>
#include <array>

namespace winlib::detail
{

void MarkMonthCalClosing(HWND hwnd);

namespace
{

constexpr int kEdge = 2;
constexpr int kFieldInset = 2;
constexpr WORD kAltDown = 0x2000; // in the high word of a key message's lParam
constexpr DWORD kFormatMask = 0x000C;
constexpr DWORD kTimeFormat = 0x0008;

class DateTimePickBehaviour : public ControlBehaviour, public MonthCalHost
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CREATE:
            return Create(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
        case WM_DESTROY:
            if (m_calendar && IsWindow(m_calendar))
            {
                MarkMonthCalClosing(m_calendar);
                DestroyWindow(m_calendar);
            }
            m_calendar = nullptr;
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
            m_focused = true;
            if (m_focusField < 0)
                m_focusField = NextEditable(-1, 1);
            InvalidateRect(hwnd, nullptr, FALSE);
            NotifyParentHeader(hwnd, NM_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
        {
            m_focused = false;
            FinishTyping(hwnd);
            if (!IsWindow(hwnd))
                return 0;
            InvalidateRect(hwnd, nullptr, FALSE);
            // Moving into the dropped calendar is no loss of focus for the picker's parent.
            if (reinterpret_cast<HWND>(wParam) != m_calendar || !m_calendar)
                NotifyParentHeader(hwnd, NM_KILLFOCUS);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ButtonDown(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_KEYDOWN:
            Key(hwnd, static_cast<int>(wParam));
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_DOWN && (HIWORD(lParam) & kAltDown))
            {
                DropDown(hwnd);
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_CHAR:
            Char(hwnd, static_cast<char>(wParam));
            return 0;
        case WM_NOTIFY:
            return Notification(hwnd, reinterpret_cast<const NMHDR*>(lParam));
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
        {
            const std::string text = DisplayText();
            if (message == WM_GETTEXTLENGTH)
                return static_cast<LRESULT>(text.size());
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!buffer || wParam == 0)
                return 0;
            const std::size_t n = std::min(text.size(), static_cast<std::size_t>(wParam) - 1);
            text.copy(buffer, n);
            buffer[n] = '\0';
            return static_cast<LRESULT>(n);
        }
        case WM_SETTEXT:
            return FALSE; // the value is set with DTM_SETSYSTEMTIME only
        case WM_SETFONT:
            DefWindowProc(hwnd, message, wParam, lParam);
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_ENABLE:
            if (!wParam)
                CloseUp(hwnd, true);
            if (IsWindow(hwnd))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_STYLECHANGED:
            if (wParam == static_cast<WPARAM>(GWL_STYLE) && !m_customFormat)
                m_fields = ParseDateFormat(DefaultFormat());
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        {
            PAINTSTRUCT ps;
            const HDC hdc = BeginPaint(hwnd, &ps);
            if (hdc)
                Paint(hwnd, hdc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            if (message >= DTM_FIRST && message <= DTM_GETMCFONT)
                return PickerMessage(hwnd, message, wParam, lParam);
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // ---- MonthCalHost -------------------------------------------------------------------------
    HWND PickerWindow() const override { return m_hwnd; }
    void CalendarCancelled() override { CloseUp(m_hwnd, true); }
    void CalendarGone() override { m_calendar = nullptr; }
    void CalendarFocusLeft(HWND to) override
    {
        const HWND hwnd = m_hwnd;
        CloseUp(hwnd, false);
        // The focus left the picker through its calendar: its owner hears of it as if the
        // picker itself had lost it.
        if (IsWindow(hwnd) && !Destroying())
            SendMessage(hwnd, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
    }

private:
    LRESULT Create(HWND hwnd, const CREATESTRUCT*)
    {
        m_hwnd = hwnd;
        m_value = LocalNow();
        Normalise(m_value);
        m_fields = ParseDateFormat(DefaultFormat());
        m_mcColors.fill(CLR_DEFAULT);
        return 0;
    }

    DWORD Style() const { return StyleOf(m_hwnd); }
    bool TimeMode() const { return (Style() & kFormatMask) == kTimeFormat; }
    bool UpDown() const { return (Style() & DTS_UPDOWN) != 0; }
    bool Destroying() const
    {
        const WindowRecord* w = State::Get().Find(m_hwnd);
        return !w || w->destroying;
    }

    std::string DefaultFormat() const
    {
        switch (Style() & kFormatMask)
        {
        case DTS_LONGDATEFORMAT:
            return "dd MMMM yyyy";
        case kTimeFormat:
            return "HH:mm:ss";
        default:
            return "dd/MM/yyyy";
        }
    }

    std::string DisplayText() const
    {
        if (m_none)
            return {};
        return FormatDate(m_fields, m_value);
    }

    // ---- Fields -------------------------------------------------------------------------------
    int NextEditable(int from, int step) const
    {
        for (int i = from + step; i >= 0 && i < static_cast<int>(m_fields.size()); i += step)
        {
            if (m_fields[static_cast<std::size_t>(i)].Editable())
                return i;
        }
        return -1;
    }

    static int FieldMax(DateFieldKind kind, const SYSTEMTIME& st)
    {
        switch (kind)
        {
        case DateFieldKind::Day:
            return DaysInMonth(st.wYear, st.wMonth);
        case DateFieldKind::Month:
            return 12;
        case DateFieldKind::Year:
            return kMaxYear;
        case DateFieldKind::Hour12:
            return 12;
        case DateFieldKind::Hour24:
            return 23;
        case DateFieldKind::Minute:
        case DateFieldKind::Second:
            return 59;
        default:
            return 0;
        }
    }

    // Applies a new value: into the range, then DTN_DATETIMECHANGE when it moved.
    void SetValue(HWND hwnd, SYSTEMTIME st, bool notify)
    {
        Normalise(st);
        st = m_range.Clamp(st, false);
        const bool changed = m_none || CompareSystemTime(st, m_value, false) != 0;
        m_value = st;
        m_none = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (changed && notify)
            NotifyChange(hwnd);
    }

    void NotifyChange(HWND hwnd) const
    {
        const HWND parent = GetParent(hwnd);
        if (!parent)
            return;
        NMDATETIMECHANGE nm{};
        nm.nmhdr = NMHDR{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), DTN_DATETIMECHANGE};
        nm.dwFlags = m_none ? GDT_NONE : GDT_VALID;
        nm.st = m_value;
        SendMessage(parent, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }

    // One step up or down of the focused field, wrapping within its range.
    void Step(HWND hwnd, int delta)
    {
        FinishTyping(hwnd);
        if (m_focusField < 0 || !IsWindow(hwnd))
            return;
        const DateField& field = m_fields[static_cast<std::size_t>(m_focusField)];
        SYSTEMTIME st = m_value;
        const auto wrap = [](int value, int lo, int hi)
        { return (value - lo + (hi - lo + 1)) % (hi - lo + 1) + lo; };
        switch (field.kind)
        {
        case DateFieldKind::Day:
            st.wDay = static_cast<WORD>(wrap(st.wDay + delta, 1, DaysInMonth(st.wYear, st.wMonth)));
            break;
        case DateFieldKind::DayName:
            st = AddDays(st, delta);
            break;
        case DateFieldKind::Month:
            st.wMonth = static_cast<WORD>(wrap(st.wMonth + delta, 1, 12));
            st.wDay = static_cast<WORD>(std::min<int>(st.wDay, DaysInMonth(st.wYear, st.wMonth)));
            break;
        case DateFieldKind::Year:
            st.wYear = static_cast<WORD>(std::clamp(st.wYear + delta, kMinYear, kMaxYear));
            st.wDay = static_cast<WORD>(std::min<int>(st.wDay, DaysInMonth(st.wYear, st.wMonth)));
            break;
        case DateFieldKind::Hour12:
        case DateFieldKind::Hour24:
            st.wHour = static_cast<WORD>(wrap(st.wHour + delta, 0, 23));
            break;
        case DateFieldKind::Minute:
            st.wMinute = static_cast<WORD>(wrap(st.wMinute + delta, 0, 59));
            break;
        case DateFieldKind::Second:
            st.wSecond = static_cast<WORD>(wrap(st.wSecond + delta, 0, 59));
            break;
        case DateFieldKind::AmPm:
            st.wHour = static_cast<WORD>((st.wHour + 12) % 24);
            break;
        case DateFieldKind::Literal:
            return;
        }
        SetValue(hwnd, st, true);
    }

    void SetFieldValue(HWND hwnd, DateFieldKind kind, int value)
    {
        SYSTEMTIME st = m_value;
        switch (kind)
        {
        case DateFieldKind::Day:
            st.wDay = static_cast<WORD>(value);
            break;
        case DateFieldKind::Month:
            st.wMonth = static_cast<WORD>(value);
            st.wDay = static_cast<WORD>(std::min<int>(st.wDay, DaysInMonth(st.wYear, st.wMonth)));
            break;
        case DateFieldKind::Year:
            st.wYear = static_cast<WORD>(value);
            st.wDay = static_cast<WORD>(std::min<int>(st.wDay, DaysInMonth(st.wYear, st.wMonth)));
            break;
        case DateFieldKind::Hour12:
            st.wHour = static_cast<WORD>(value % 12 + (st.wHour >= 12 ? 12 : 0));
            break;
        case DateFieldKind::Hour24:
            st.wHour = static_cast<WORD>(value);
            break;
        case DateFieldKind::Minute:
            st.wMinute = static_cast<WORD>(value);
            break;
        case DateFieldKind::Second:
            st.wSecond = static_cast<WORD>(value);
            break;
        default:
            return;
        }
        SetValue(hwnd, st, true);
    }

    // Digits typed into a field: they build its number, which takes effect as soon as it is a
    // valid value; a full field moves on to the next one.
    void TypeDigit(HWND hwnd, char digit)
    {
        if (m_focusField < 0)
            return;
        const DateField& field = m_fields[static_cast<std::size_t>(m_focusField)];
        const DateFieldKind kind = field.kind;
        if (kind == DateFieldKind::Literal || kind == DateFieldKind::DayName || kind == DateFieldKind::AmPm)
            return;
        const int max = FieldMax(kind, m_value);
        const std::size_t digits = kind == DateFieldKind::Year ? 4 : 2;
        m_typed += digit;
        int value = std::stoi(m_typed);
        if (value > max)
        {
            m_typed = std::string(1, digit);
            value = digit - '0';
        }
        const bool complete = m_typed.size() >= digits || value * 10 > max;
        if (kind == DateFieldKind::Year)
        {
            if (complete)
            {
                m_typed.clear();
                SetFieldValue(hwnd, kind, std::clamp(value, kMinYear, kMaxYear));
                if (IsWindow(hwnd))
                    Advance(hwnd);
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            return;
        }
        const int lowest = (kind == DateFieldKind::Day || kind == DateFieldKind::Month) ? 1 : 0;
        if (value >= lowest)
            SetFieldValue(hwnd, kind, kind == DateFieldKind::Hour12 && value == 0 ? 12 : value);
        if (complete && IsWindow(hwnd))
        {
            m_typed.clear();
            Advance(hwnd);
        }
    }

    void Advance(HWND hwnd)
    {
        const int next = NextEditable(m_focusField, 1);
        if (next >= 0)
            m_focusField = next;
        InvalidateRect(hwnd, nullptr, FALSE);
    }

    // A year left half typed: two digits or fewer are a year of this century.
    void FinishTyping(HWND hwnd)
    {
        if (m_typed.empty() || m_focusField < 0)
            return;
        const DateField& field = m_fields[static_cast<std::size_t>(m_focusField)];
        const int value = std::stoi(m_typed);
        m_typed.clear();
        if (field.kind == DateFieldKind::Year && value < 100)
            SetFieldValue(hwnd, field.kind, 2000 + value);
    }

    void Char(HWND hwnd, char ch)
    {
        if (ch >= '0' && ch <= '9')
        {
            TypeDigit(hwnd, ch);
            return;
        }
        if (m_focusField < 0)
            return;
        if (m_fields[static_cast<std::size_t>(m_focusField)].kind == DateFieldKind::AmPm)
        {
            const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            SYSTEMTIME st = m_value;
            if (up == 'A' && st.wHour >= 12)
                st.wHour = static_cast<WORD>(st.wHour - 12);
            else if (up == 'P' && st.wHour < 12)
                st.wHour = static_cast<WORD>(st.wHour + 12);
            else
                return;
            SetValue(hwnd, st, true);
        }
    }

    void Key(HWND hwnd, int vk)
    {
        switch (vk)
        {
        case VK_LEFT:
        case VK_RIGHT:
        {
            FinishTyping(hwnd);
            const int next = NextEditable(m_focusField, vk == VK_LEFT ? -1 : 1);
            if (next >= 0)
                m_focusField = next;
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        }
        case VK_UP:
            Step(hwnd, 1);
            break;
        case VK_DOWN:
            Step(hwnd, -1);
            break;
        case VK_HOME:
        case VK_END:
        {
            FinishTyping(hwnd);
            if (m_focusField < 0)
                break;
            const DateFieldKind kind = m_fields[static_cast<std::size_t>(m_focusField)].kind;
            const int max = FieldMax(kind, m_value);
            const int min =
                (kind == DateFieldKind::Day || kind == DateFieldKind::Month || kind == DateFieldKind::Hour12)
                    ? 1
                : kind == DateFieldKind::Year ? kMinYear
                                              : 0;
            if (max > 0)
                SetFieldValue(hwnd, kind, vk == VK_HOME ? min : max);
            break;
        }
        case VK_F4:
            if (m_calendar)
                CloseUp(hwnd, true);
            else
                DropDown(hwnd);
            break;
        default:
            break;
        }
    }

    // ---- Geometry -----------------------------------------------------------------------------
    CRect ButtonRect(HWND hwnd) const
    {
        CRect box = ClientOf(hwnd);
        box.DeflateRect(kEdge, kEdge);
        box.left = std::max<LONG>(box.left, box.right - GetSystemMetrics(SM_CXVSCROLL));
        return box;
    }

    // Each field's place, in client coordinates.
    std::vector<CRect> FieldRects(HWND hwnd) const
    {
        std::vector<CRect> rects;
        const HDC hdc = GetDC(hwnd);
        const HGDIOBJ old = SelectControlFont(hwnd, hdc);
        const CRect client = ClientOf(hwnd);
        int x = kEdge + kFieldInset;
        for (const DateField& field : m_fields)
        {
            const std::string text = FormatField(field, m_value);
            SIZE size{};
            GetTextExtentPoint32(hdc, text.c_str(), static_cast<int>(text.size()), &size);
            rects.emplace_back(x, client.top + kEdge, x + size.cx, client.bottom - kEdge);
            x += size.cx;
        }
        SelectObject(hdc, old);
        ReleaseDC(hwnd, hdc);
        return rects;
    }

    void ButtonDown(HWND hwnd, CPoint pt)
    {
        if (GetFocus() != hwnd)
        {
            SetFocus(hwnd);
            if (!IsWindow(hwnd) || GetFocus() != hwnd)
                return;
        }
        const CRect button = ButtonRect(hwnd);
        if (button.PtInRect(pt))
        {
            if (UpDown())
                Step(hwnd, pt.y < button.top + button.Height() / 2 ? 1 : -1);
            else if (m_calendar)
                CloseUp(hwnd, true);
            else
                DropDown(hwnd);
            return;
        }
        const std::vector<CRect> rects = FieldRects(hwnd);
        for (std::size_t i = 0; i < rects.size(); ++i)
        {
            if (m_fields[i].Editable() && pt.x >= rects[i].left && pt.x < rects[i].right)
            {
                FinishTyping(hwnd);
                m_focusField = static_cast<int>(i);
                InvalidateRect(hwnd, nullptr, FALSE);
                return;
            }
        }
    }

    // ---- The calendar -------------------------------------------------------------------------
    void DropDown(HWND hwnd)
    {
        if (UpDown() || m_calendar || !IsWindowEnabled(hwnd))
            return;
        FinishTyping(hwnd);
        const HWND calendar = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                                             MONTHCAL_CLASS, "", WS_POPUP | WS_BORDER, 0, 0, 10, 10, hwnd,
                                             nullptr, nullptr, static_cast<MonthCalHost*>(this));
        if (!calendar || !IsWindow(hwnd))
            return;
        m_calendar = calendar;
        const HFONT font = m_mcFont ? m_mcFont : reinterpret_cast<HFONT>(SendMessage(hwnd, WM_GETFONT, 0, 0));
        SendMessage(calendar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (std::size_t i = 0; i < m_mcColors.size(); ++i)
        {
            if (m_mcColors[i] != CLR_DEFAULT)
                SendMessage(calendar, MCM_SETCOLOR, i, static_cast<LPARAM>(m_mcColors[i]));
        }
        if (m_range.flags)
            SendMessage(calendar, MCM_SETRANGE, m_range.flags, reinterpret_cast<LPARAM>(m_range.ends.data()));
        SYSTEMTIME selection = m_value;
        SendMessage(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&selection));

        // Below the picker (above it when the screen ends), left-aligned or, with
        // DTS_RIGHTALIGN, right-aligned.
        RECT need{};
        SendMessage(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
        const int width = need.right - need.left + 2;
        const int height = need.bottom - need.top + 2;
        CRect picker;
        GetWindowRect(hwnd, &picker);
        CRect place(picker.left, picker.bottom, picker.left + width, picker.bottom + height);
        if (Style() & DTS_RIGHTALIGN)
            place.OffsetRect(picker.right - place.right, 0);
        if (place.bottom > GetSystemMetrics(SM_CYSCREEN) && picker.top - height >= 0)
            place.OffsetRect(0, picker.top - height - place.top);
        place.OffsetRect(std::max<LONG>(0, -place.left), 0);
        SetWindowPos(calendar, HWND_TOP, place.left, place.top, place.Width(), place.Height(),
                     SWP_NOACTIVATE);

        NotifyParentHeader(hwnd, DTN_DROPDOWN);
        if (!IsWindow(hwnd) || m_calendar != calendar || !IsWindow(calendar))
            return;
        ShowWindow(calendar, SW_SHOWNA);
        InvalidateRect(hwnd, nullptr, FALSE);
        SetCapture(calendar);
        SetFocus(calendar);
    }

    // Closes the calendar; 'takeFocus' gives the focus back to the picker first.
    void CloseUp(HWND hwnd, bool takeFocus)
    {
        const HWND calendar = m_calendar;
        if (!calendar)
            return;
        if (Destroying())
        {
            m_calendar = nullptr;
            return;
        }
        if (IsWindow(calendar))
            MarkMonthCalClosing(calendar);
        if (GetCapture() == calendar)
            ReleaseCapture();
        if (takeFocus && IsWindow(hwnd) && GetFocus() == calendar)
            SetFocus(hwnd);
        m_calendar = nullptr;
        if (IsWindow(calendar))
            DestroyWindow(calendar);
        if (!IsWindow(hwnd))
            return;
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParentHeader(hwnd, DTN_CLOSEUP);
    }

    LRESULT Notification(HWND hwnd, const NMHDR* hdr)
    {
        if (!hdr || hdr->hwndFrom != m_calendar || !m_calendar)
            return 0;
        if (hdr->code == MCN_SELECT)
        {
            // The picked day keeps the time of the value.
            const auto* select = reinterpret_cast<const NMSELCHANGE*>(hdr);
            SYSTEMTIME st = m_value;
            st.wYear = select->stSelStart.wYear;
            st.wMonth = select->stSelStart.wMonth;
            st.wDay = select->stSelStart.wDay;
            CloseUp(hwnd, true);
            if (IsWindow(hwnd))
                SetValue(hwnd, st, true);
        }
        return 0;
    }

    // ---- Messages -----------------------------------------------------------------------------
    LRESULT PickerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* times = reinterpret_cast<SYSTEMTIME*>(lParam);
        switch (message)
        {
        case DTM_GETSYSTEMTIME:
            if (!times)
                return GDT_ERROR;
            if (m_none)
                return GDT_NONE;
            *times = m_value;
            return GDT_VALID;
        case DTM_SETSYSTEMTIME:
        {
            const int flag = static_cast<int>(wParam);
            if (flag == GDT_NONE)
            {
                if (!(Style() & DTS_SHOWNONE))
                    return FALSE;
                m_none = true;
                InvalidateRect(hwnd, nullptr, FALSE);
                return TRUE;
            }
            if (flag != GDT_VALID || !times || !IsValidSystemTime(*times))
                return FALSE;
            m_typed.clear();
            SetValue(hwnd, *times, false);
            return TRUE;
        }
        case DTM_SETFORMATA:
        {
            const char* format = reinterpret_cast<const char*>(lParam);
            m_customFormat = format != nullptr;
            m_fields = ParseDateFormat(format ? format : DefaultFormat());
            m_typed.clear();
            m_focusField = m_focused ? NextEditable(-1, 1) : -1;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        }
        case DTM_SETRANGE:
        {
            if (!m_range.Set(wParam, times))
                return FALSE;
            if (!m_none)
                SetValue(hwnd, m_value, false);
            return TRUE;
        }
        case DTM_GETRANGE:
            return static_cast<LRESULT>(m_range.Get(times));
        case DTM_SETMCCOLOR:
        {
            const LRESULT old = SetCalendarColour(m_mcColors, wParam, lParam);
            if (m_calendar && wParam < kCalendarColours)
                SendMessage(m_calendar, MCM_SETCOLOR, wParam, lParam);
            return old;
        }
        case DTM_GETMCCOLOR:
            return CalendarColour(m_mcColors, wParam);
        case DTM_GETMONTHCAL:
            return reinterpret_cast<LRESULT>(m_calendar);
        case DTM_SETMCFONT:
            m_mcFont = reinterpret_cast<HFONT>(wParam);
            if (m_calendar)
                SendMessage(m_calendar, WM_SETFONT, wParam, lParam);
            return 0;
        case DTM_GETMCFONT:
            return reinterpret_cast<LRESULT>(m_mcFont);
        default:
            return 0;
        }
    }

    // ---- Painting -----------------------------------------------------------------------------
    void Paint(HWND hwnd, HDC hdc)
    {
        CDC* dc = CDC::FromHandle(hdc);
        CRect client = ClientOf(hwnd);
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        const HBRUSH brush = ControlColors(hwnd, hdc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
        FillRect(hdc, &client, brush);
        CRect edge = client;
        DrawEdge(hdc, &edge, EDGE_SUNKEN, BF_RECT);

        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        SetBkMode(hdc, TRANSPARENT);
        const COLORREF text = enabled ? GetTextColor(hdc) : GetSysColor(COLOR_GRAYTEXT);
        if (!m_none)
        {
            const std::vector<CRect> rects = FieldRects(hwnd);
            for (std::size_t i = 0; i < m_fields.size(); ++i)
            {
                std::string piece = FormatField(m_fields[i], m_value);
                const bool current = m_focused && static_cast<int>(i) == m_focusField;
                if (current && !m_typed.empty())
                    piece = m_typed;
                CRect cell = rects[i];
                if (current)
                {
                    dc->FillSolidRect(&cell, GetSysColor(COLOR_HIGHLIGHT));
                    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
                }
                else
                    SetTextColor(hdc, text);
                DrawText(hdc, piece.c_str(), static_cast<int>(piece.size()), &cell,
                         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            }
        }
        SelectObject(hdc, oldFont);

        const CRect button = ButtonRect(hwnd);
        if (UpDown())
        {
            CRect up = button;
            up.bottom = up.top + button.Height() / 2;
            CRect down = button;
            down.top = up.bottom;
            DrawFrameControl(hdc, &up, DFC_SCROLL, DFCS_SCROLLUP | (enabled ? 0 : DFCS_INACTIVE));
            DrawFrameControl(hdc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | (enabled ? 0 : DFCS_INACTIVE));
        }
        else
        {
            CRect drop = button;
            DrawFrameControl(hdc, &drop, DFC_SCROLL,
                             DFCS_SCROLLCOMBOBOX | (m_calendar ? DFCS_PUSHED : 0) |
                                 (enabled ? 0 : DFCS_INACTIVE));
        }
    }

    HWND m_hwnd = nullptr;
    HWND m_calendar = nullptr;
    SYSTEMTIME m_value{};
    bool m_none = false;
    std::vector<DateField> m_fields;
    bool m_customFormat = false;
    int m_focusField = -1;
    std::string m_typed; // digits typed into the focused field so far
    bool m_focused = false;
    DateRange m_range;
    CalendarColours m_mcColors{};
    HFONT m_mcFont = nullptr;
};

} // namespace

void RegisterDateTimePickClass()
{
    State::Get().RegisterBuiltin(
        "SysDateTimePick32", [] { return std::make_unique<DateTimePickBehaviour>(); }, -1);
}

} // namespace winlib::detail
