// The month calendar ("SysMonthCal32"): one month as a grid of days under a title with the
// previous and next buttons, the days of the neighbouring months greyed around it and a line
// with today's date at the bottom. A click or Enter picks a date (MCN_SELECT); the keys and the
// title buttons move the selection (MCN_SELCHANGE). Dropped by a date/time picker it also
// reports Escape and a press outside it to the picker (MonthCalHost.h).
#include "CalendarColours.h"
#include "ControlUtil.h"
#include "DateFields.h"
#include "MonthCalHost.h"

#include <algorithm>
#include <array>

namespace winlib::detail
{

namespace
{

constexpr int kMargin = 4;
constexpr int kRows = 6;
constexpr int kColumns = 7;
constexpr COLORREF kTodayFrame = RGB(255, 0, 0);

struct CalendarLayout
{
    int cellWidth = 0;
    int cellHeight = 0;
    CRect title;
    CRect prev;
    CRect next;
    CRect dayNames;
    CRect days; // the 6 x 7 grid
    CRect today;
    CRect total;
};

class MonthCalBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CREATE:
            return Create(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | (m_host ? DLGC_WANTALLKEYS : 0);
        case WM_DESTROY:
            if (m_host && !m_closing)
            {
                m_closing = true;
                m_host->CalendarGone();
            }
            m_host = nullptr;
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_SETFOCUS:
            m_focused = true;
            InvalidateRect(hwnd, nullptr, FALSE);
            NotifyHeader(hwnd, NM_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
        {
            m_focused = false;
            if (IsWindow(hwnd))
                InvalidateRect(hwnd, nullptr, FALSE);
            const HWND to = reinterpret_cast<HWND>(wParam);
            if (m_host && m_closing)
                return 0;
            if (m_host && to != m_host->PickerWindow())
                m_host->CalendarFocusLeft(to);
            else if (IsWindow(hwnd))
                NotifyHeader(hwnd, NM_KILLFOCUS);
            return 0;
        }
        case WM_CAPTURECHANGED:
            // A dropped calendar that lost the mouse to another window is closed.
            if (m_host && reinterpret_cast<HWND>(lParam) != hwnd && !m_closing)
                m_host->CalendarCancelled();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ButtonDown(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_KEYDOWN:
            Key(hwnd, static_cast<int>(wParam));
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
        case WM_SETFONT:
            DefWindowProc(hwnd, message, wParam, lParam);
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        default:
            if (message >= MCM_FIRST && message <= MCM_GETMAXTODAYWIDTH)
                return CalendarMessage(hwnd, message, wParam, lParam);
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // The picker closes its calendar itself; no cancel is reported while it does.
    void SetClosing() { m_closing = true; }

private:
    LRESULT Create(HWND hwnd, const CREATESTRUCT* cs)
    {
        m_hwnd = hwnd;
        m_host = cs ? static_cast<MonthCalHost*>(cs->lpCreateParams) : nullptr;
        m_today = LocalNow();
        Normalise(m_today);
        m_selection = m_today;
        m_selection.wHour = m_selection.wMinute = m_selection.wSecond = 0;
        ShowMonthOf(m_selection);
        m_colors = {GetSysColor(COLOR_APPWORKSPACE),  GetSysColor(COLOR_WINDOWTEXT),
                    GetSysColor(COLOR_ACTIVECAPTION), GetSysColor(COLOR_CAPTIONTEXT),
                    GetSysColor(COLOR_WINDOW),        GetSysColor(COLOR_GRAYTEXT)};
        return 0;
    }

    DWORD Style() const { return StyleOf(m_hwnd); }

    // ---- Dates --------------------------------------------------------------------------------
    void ShowMonthOf(const SYSTEMTIME& st)
    {
        m_viewYear = st.wYear;
        m_viewMonth = st.wMonth;
    }

    bool InRange(const SYSTEMTIME& st) const
    {
        if ((m_range.flags & GDTR_MIN) && CompareSystemTime(st, m_range.ends[0], true) < 0)
            return false;
        return !((m_range.flags & GDTR_MAX) && CompareSystemTime(st, m_range.ends[1], true) > 0);
    }

    SYSTEMTIME FirstShownDay() const
    {
        SYSTEMTIME first{};
        first.wYear = static_cast<WORD>(m_viewYear);
        first.wMonth = static_cast<WORD>(m_viewMonth);
        first.wDay = 1;
        Normalise(first);
        // m_firstDay counts from Monday (0) as the locale setting does; wDayOfWeek from Sunday.
        const int weekStart = (m_firstDay + 1) % 7;
        const int lead = (first.wDayOfWeek - weekStart + 7) % 7;
        return AddDays(first, -lead);
    }

    SYSTEMTIME DayAt(int row, int column) const { return AddDays(FirstShownDay(), row * kColumns + column); }

    // Moves the selection as the user does: into the range, the view following, MCN_SELCHANGE
    // when it changed and MCN_SELECT when the user picked it.
    void Select(HWND hwnd, SYSTEMTIME st, bool picked)
    {
        if (!InRange(st))
        {
            if (!picked)
                st = m_range.Clamp(st, true);
            else
                return;
        }
        st.wHour = m_selection.wHour;
        st.wMinute = m_selection.wMinute;
        st.wSecond = m_selection.wSecond;
        Normalise(st);
        const bool changed = CompareSystemTime(st, m_selection, true) != 0;
        m_selection = st;
        ShowMonthOf(st);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (changed)
        {
            Notify(hwnd, MCN_SELCHANGE);
            if (!IsWindow(hwnd))
                return;
        }
        if (picked)
            Notify(hwnd, MCN_SELECT);
    }

    // A dropped calendar's owner is the picker's top-level window; it reports to the picker.
    HWND Target(HWND hwnd) const { return m_host ? m_host->PickerWindow() : GetParent(hwnd); }

    void NotifyHeader(HWND hwnd, UINT code) const
    {
        if (const HWND target = Target(hwnd))
        {
            NMHDR header{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code};
            SendMessage(target, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        }
    }

    void Notify(HWND hwnd, UINT code) const
    {
        const HWND parent = Target(hwnd);
        if (!parent)
            return;
        NMSELCHANGE nm{};
        nm.nmhdr = NMHDR{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code};
        nm.stSelStart = m_selection;
        nm.stSelEnd = m_selection;
        SendMessage(parent, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }

    void Navigate(HWND hwnd, int months)
    {
        if (Style() & MCS_NOSELCHANGEONNAV)
        {
            SYSTEMTIME view{};
            view.wYear = static_cast<WORD>(m_viewYear);
            view.wMonth = static_cast<WORD>(m_viewMonth);
            view.wDay = 1;
            view = AddMonths(view, months);
            ShowMonthOf(view);
            InvalidateRect(hwnd, nullptr, FALSE);
            return;
        }
        Select(hwnd, AddMonths(m_selection, months), false);
    }

    // ---- Geometry -----------------------------------------------------------------------------
    CalendarLayout Layout(HWND hwnd) const
    {
        const HDC hdc = GetDC(hwnd);
        const HGDIOBJ old = SelectControlFont(hwnd, hdc);
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        SIZE digits{};
        GetTextExtentPoint32(hdc, "00", 2, &digits);
        SIZE dayName{};
        GetTextExtentPoint32(hdc, "Wed", 3, &dayName);
        SelectObject(hdc, old);
        ReleaseDC(hwnd, hdc);

        CalendarLayout l;
        l.cellWidth = std::max(digits.cx, dayName.cx) + 8;
        l.cellHeight = tm.tmHeight + 4;
        const int width = kColumns * l.cellWidth;
        int y = 0;
        l.title = CRect(0, 0, width + 2 * kMargin, tm.tmHeight + 10);
        const int button = l.title.Height() - 6;
        l.prev = CRect(kMargin, 3, kMargin + button, 3 + button);
        l.next = CRect(l.title.right - kMargin - button, 3, l.title.right - kMargin, 3 + button);
        y = l.title.bottom + 2;
        l.dayNames = CRect(kMargin, y, kMargin + width, y + l.cellHeight);
        y = l.dayNames.bottom + 2;
        l.days = CRect(kMargin, y, kMargin + width, y + kRows * l.cellHeight);
        y = l.days.bottom + 2;
        if (!(Style() & MCS_NOTODAY))
        {
            l.today = CRect(kMargin, y, kMargin + width, y + l.cellHeight);
            y = l.today.bottom;
        }
        l.total = CRect(0, 0, l.title.right, y + kMargin);
        return l;
    }

    CRect DayRect(const CalendarLayout& l, int row, int column) const
    {
        const int left = l.days.left + column * l.cellWidth;
        const int top = l.days.top + row * l.cellHeight;
        return CRect(left, top, left + l.cellWidth, top + l.cellHeight);
    }

    UINT HitTest(HWND hwnd, POINT pt, SYSTEMTIME* date, RECT* rect, int* dayRow = nullptr,
                 int* dayColumn = nullptr) const
    {
        const CalendarLayout l = Layout(hwnd);
        const auto give = [rect](const CRect& r)
        {
            if (rect)
                *rect = r;
        };
        if (!ClientOf(hwnd).PtInRect(pt))
            return MCHT_NOWHERE;
        if (l.prev.PtInRect(pt))
        {
            give(l.prev);
            return MCHT_TITLEBTNPREV;
        }
        if (l.next.PtInRect(pt))
        {
            give(l.next);
            return MCHT_TITLEBTNNEXT;
        }
        if (l.title.PtInRect(pt))
        {
            give(l.title);
            return pt.x < l.title.CenterPoint().x ? MCHT_TITLEMONTH : MCHT_TITLEYEAR;
        }
        if (l.dayNames.PtInRect(pt))
        {
            give(l.dayNames);
            return MCHT_CALENDARDAY;
        }
        if (l.days.PtInRect(pt))
        {
            const int column = (pt.x - l.days.left) / l.cellWidth;
            const int row = (pt.y - l.days.top) / l.cellHeight;
            const SYSTEMTIME day = DayAt(row, column);
            give(DayRect(l, row, column));
            if (dayRow)
                *dayRow = row;
            if (dayColumn)
                *dayColumn = column;
            if (day.wMonth != m_viewMonth && (Style() & MCS_NOTRAILINGDATES))
                return MCHT_CALENDARBK;
            if (date)
                *date = day;
            const int order = (day.wYear * 12 + day.wMonth) - (m_viewYear * 12 + m_viewMonth);
            return order < 0 ? MCHT_CALENDARDATEPREV : order > 0 ? MCHT_CALENDARDATENEXT : MCHT_CALENDARDATE;
        }
        if (!l.today.IsRectEmpty() && l.today.PtInRect(pt))
        {
            give(l.today);
            if (date)
                *date = m_today;
            return MCHT_TODAYLINK;
        }
        return MCHT_CALENDARBK;
    }

    // ---- Input --------------------------------------------------------------------------------
    void ButtonDown(HWND hwnd, CPoint pt)
    {
        if (m_host && !ClientOf(hwnd).PtInRect(pt))
        {
            m_host->CalendarCancelled();
            return;
        }
        if (!m_host && GetFocus() != hwnd)
        {
            SetFocus(hwnd);
            if (!IsWindow(hwnd))
                return;
        }
        SYSTEMTIME date{};
        const UINT hit = HitTest(hwnd, pt, &date, nullptr);
        switch (hit)
        {
        case MCHT_TITLEBTNPREV:
            Navigate(hwnd, -std::max(1, m_delta));
            break;
        case MCHT_TITLEBTNNEXT:
            Navigate(hwnd, std::max(1, m_delta));
            break;
        case MCHT_CALENDARDATE:
        case MCHT_CALENDARDATEPREV:
        case MCHT_CALENDARDATENEXT:
        case MCHT_TODAYLINK:
            Select(hwnd, date, true);
            break;
        default:
            break;
        }
    }

    void Key(HWND hwnd, int vk)
    {
        switch (vk)
        {
        case VK_LEFT:
            Select(hwnd, AddDays(m_selection, -1), false);
            break;
        case VK_RIGHT:
            Select(hwnd, AddDays(m_selection, 1), false);
            break;
        case VK_UP:
            Select(hwnd, AddDays(m_selection, -kColumns), false);
            break;
        case VK_DOWN:
            Select(hwnd, AddDays(m_selection, kColumns), false);
            break;
        case VK_PRIOR:
            Select(hwnd, AddMonths(m_selection, -1), false);
            break;
        case VK_NEXT:
            Select(hwnd, AddMonths(m_selection, 1), false);
            break;
        case VK_HOME:
        {
            SYSTEMTIME first = m_selection;
            first.wDay = 1;
            Select(hwnd, first, false);
            break;
        }
        case VK_END:
        {
            SYSTEMTIME last = m_selection;
            last.wDay = static_cast<WORD>(DaysInMonth(last.wYear, last.wMonth));
            Select(hwnd, last, false);
            break;
        }
        case VK_RETURN:
            Notify(hwnd, MCN_SELECT);
            break;
        case VK_ESCAPE:
            if (m_host)
                m_host->CalendarCancelled();
            break;
        default:
            break;
        }
    }

    // ---- Messages -----------------------------------------------------------------------------
    LRESULT CalendarMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* times = reinterpret_cast<SYSTEMTIME*>(lParam);
        switch (message)
        {
        case MCM_GETCURSEL:
            if (!times)
                return FALSE;
            *times = m_selection;
            return TRUE;
        case MCM_SETCURSEL:
        {
            if (!times || !IsValidSystemTime(*times) || !InRange(*times))
                return FALSE;
            m_selection = *times;
            Normalise(m_selection);
            ShowMonthOf(m_selection);
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        }
        case MCM_SETTODAY:
            m_today = (times && IsValidSystemTime(*times)) ? *times : LocalNow();
            Normalise(m_today);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case MCM_GETTODAY:
            if (!times)
                return FALSE;
            *times = m_today;
            return TRUE;
        case MCM_GETMINREQRECT:
        {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect)
                return FALSE;
            *rect = Layout(hwnd).total;
            return TRUE;
        }
        case MCM_GETMAXTODAYWIDTH:
            return Layout(hwnd).total.Width();
        case MCM_HITTEST:
        {
            auto* info = reinterpret_cast<MCHITTESTINFO*>(lParam);
            if (!info)
                return -1;
            info->uHit = HitTest(hwnd, info->pt, &info->st, &info->rc, &info->iRow, &info->iCol);
            return static_cast<LRESULT>(info->uHit);
        }
        case MCM_SETRANGE:
        {
            if (!m_range.Set(wParam, times))
                return FALSE;
            if (!InRange(m_selection))
            {
                m_selection = m_range.Clamp(m_selection, true);
                ShowMonthOf(m_selection);
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        }
        case MCM_GETRANGE:
            return static_cast<LRESULT>(m_range.Get(times));
        case MCM_SETCOLOR:
        {
            const LRESULT old = SetCalendarColour(m_colors, wParam, lParam);
            if (wParam < kCalendarColours)
                InvalidateRect(hwnd, nullptr, FALSE);
            return old;
        }
        case MCM_GETCOLOR:
            return CalendarColour(m_colors, wParam);
        case MCM_SETFIRSTDAYOFWEEK:
        {
            const int old = m_firstDay;
            m_firstDay = std::clamp(static_cast<int>(lParam), 0, 6);
            InvalidateRect(hwnd, nullptr, FALSE);
            return MAKELONG(old, 1);
        }
        case MCM_GETFIRSTDAYOFWEEK:
            return MAKELONG(m_firstDay, 1);
        case MCM_GETMONTHRANGE:
        {
            SYSTEMTIME first{};
            first.wYear = static_cast<WORD>(m_viewYear);
            first.wMonth = static_cast<WORD>(m_viewMonth);
            first.wDay = 1;
            Normalise(first);
            SYSTEMTIME last = first;
            last.wDay = static_cast<WORD>(DaysInMonth(first.wYear, first.wMonth));
            Normalise(last);
            const bool withTrailing = static_cast<DWORD>(wParam) == GMR_DAYSTATE;
            if (withTrailing)
            {
                first = FirstShownDay();
                last = AddDays(first, kRows * kColumns - 1);
            }
            if (times)
            {
                times[0] = first;
                times[1] = last;
            }
            return withTrailing ? 3 : 1;
        }
        case MCM_SETMONTHDELTA:
        {
            const int old = m_delta;
            m_delta = static_cast<int>(wParam);
            return old;
        }
        case MCM_GETMONTHDELTA:
            return m_delta;
        default:
            return 0;
        }
    }

    // ---- Painting -----------------------------------------------------------------------------
    void Text(HDC hdc, const std::string& text, CRect rect, COLORREF color, UINT format) const
    {
        SetTextColor(hdc, color);
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &rect,
                 format | DT_SINGLELINE | DT_NOPREFIX);
    }

    void Arrow(HDC hdc, const CRect& box, bool left, COLORREF color) const
    {
        // A small solid triangle pointing left or right.
        const HPEN pen = CreatePen(PS_SOLID, 1, color);
        const HGDIOBJ old = SelectObject(hdc, pen);
        const int cy = box.top + box.Height() / 2;
        const int cx = box.left + box.Width() / 2;
        for (int i = 0; i < 4; ++i)
        {
            const int x = left ? cx - 2 + i : cx + 1 - i;
            MoveToEx(hdc, x, cy - i, nullptr);
            LineTo(hdc, x, cy + i + 1);
        }
        SelectObject(hdc, old);
        DeleteObject(pen);
    }

    void Paint(HWND hwnd, HDC hdc)
    {
        const CalendarLayout l = Layout(hwnd);
        CDC* dc = CDC::FromHandle(hdc);
        const CRect client = ClientOf(hwnd);
        dc->FillSolidRect(&client, m_colors[MCSC_MONTHBK]);
        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        SetBkMode(hdc, TRANSPARENT);

        dc->FillSolidRect(&l.title, m_colors[MCSC_TITLEBK]);
        Text(hdc, std::string(MonthName(m_viewMonth)) + " " + std::to_string(m_viewYear), l.title,
             m_colors[MCSC_TITLETEXT], DT_CENTER | DT_VCENTER);
        Arrow(hdc, l.prev, true, m_colors[MCSC_TITLETEXT]);
        Arrow(hdc, l.next, false, m_colors[MCSC_TITLETEXT]);

        for (int column = 0; column < kColumns; ++column)
        {
            const int dayOfWeek = (m_firstDay + 1 + column) % 7;
            CRect cell(l.dayNames.left + column * l.cellWidth, l.dayNames.top,
                       l.dayNames.left + (column + 1) * l.cellWidth, l.dayNames.bottom);
            Text(hdc, std::string(ShortDayName(dayOfWeek)).substr(0, 2), cell, m_colors[MCSC_TITLEBK],
                 DT_CENTER | DT_VCENTER);
        }
        CRect rule(l.dayNames.left, l.dayNames.bottom, l.dayNames.right, l.dayNames.bottom + 1);
        dc->FillSolidRect(&rule, m_colors[MCSC_TRAILINGTEXT]);

        const bool trailing = !(Style() & MCS_NOTRAILINGDATES);
        for (int row = 0; row < kRows; ++row)
        {
            for (int column = 0; column < kColumns; ++column)
            {
                const SYSTEMTIME day = DayAt(row, column);
                const bool inMonth = day.wMonth == m_viewMonth;
                if (!inMonth && !trailing)
                    continue;
                CRect cell = DayRect(l, row, column);
                COLORREF color = inMonth ? m_colors[MCSC_TEXT] : m_colors[MCSC_TRAILINGTEXT];
                if (!InRange(day))
                    color = GetSysColor(COLOR_GRAYTEXT);
                if (CompareSystemTime(day, m_selection, true) == 0)
                {
                    CRect mark = cell;
                    mark.DeflateRect(1, 1);
                    dc->FillSolidRect(&mark, m_colors[MCSC_TITLEBK]);
                    color = m_colors[MCSC_MONTHBK];
                }
                if (CompareSystemTime(day, m_today, true) == 0 && !(Style() & MCS_NOTODAYCIRCLE))
                {
                    const HBRUSH frame = CreateSolidBrush(kTodayFrame);
                    FrameRect(hdc, &cell, frame);
                    DeleteObject(frame);
                }
                Text(hdc, std::to_string(day.wDay), cell, color, DT_CENTER | DT_VCENTER);
            }
        }

        if (!l.today.IsRectEmpty())
        {
            CRect box(l.today.left + 2, l.today.top + 3, l.today.left + 2 + l.cellWidth - 4,
                      l.today.bottom - 3);
            if (!(Style() & MCS_NOTODAYCIRCLE))
            {
                const HBRUSH frame = CreateSolidBrush(kTodayFrame);
                FrameRect(hdc, &box, frame);
                DeleteObject(frame);
            }
            CRect text = l.today;
            text.left = box.right + 4;
            char date[32];
            std::snprintf(date, sizeof date, "Today: %02d/%02d/%04d", m_today.wDay, m_today.wMonth,
                          m_today.wYear);
            Text(hdc, date, text, m_colors[MCSC_TEXT], DT_LEFT | DT_VCENTER);
        }
        SelectObject(hdc, oldFont);
    }

    HWND m_hwnd = nullptr;
    MonthCalHost* m_host = nullptr;
    SYSTEMTIME m_selection{};
    SYSTEMTIME m_today{};
    int m_viewYear = 2000;
    int m_viewMonth = 1;
    int m_firstDay = 0; // Monday
    int m_delta = 1;
    DateRange m_range;
    CalendarColours m_colors{};
    bool m_focused = false;
    bool m_closing = false;
};

} // namespace

// The picker marks the calendar it is closing, so that losing the capture then is no cancel.
void MarkMonthCalClosing(HWND hwnd)
{
    if (WindowRecord* record = State::Get().Find(hwnd))
    {
        if (auto* calendar = dynamic_cast<MonthCalBehaviour*>(record->behaviour.get()))
            calendar->SetClosing();
    }
}

void RegisterMonthCalClass()
{
    State::Get().RegisterBuiltin(
        "SysMonthCal32", [] { return std::make_unique<MonthCalBehaviour>(); }, -1);
}

} // namespace winlib::detail
