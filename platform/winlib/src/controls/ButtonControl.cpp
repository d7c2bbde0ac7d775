// The button control: push and default push buttons, check boxes, radio buttons, group
// boxes and owner-drawn buttons (WM_DRAWITEM to the parent).
#include "ControlUtil.h"

namespace winlib::detail
{

namespace
{

class ButtonBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const DWORD type = StyleOf(hwnd) & BS_TYPEMASK;
        switch (message)
        {
        case WM_GETDLGCODE:
            switch (type)
            {
            case BS_DEFPUSHBUTTON:
                return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            case BS_PUSHBUTTON:
            case BS_OWNERDRAW:
            case BS_PUSHBOX:
                return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
                return DLGC_BUTTON | DLGC_RADIOBUTTON;
            case BS_GROUPBOX:
                return DLGC_STATIC;
            default:
                return DLGC_BUTTON;
            }
        case WM_NCHITTEST:
            if (type == BS_GROUPBOX)
                return HTTRANSPARENT;
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (type == BS_GROUPBOX)
                return 0;
            if (GetFocus() != hwnd)
                SetFocus(hwnd);
            SetCapture(hwnd);
            m_tracking = true;
            SetPushed(hwnd, true);
            if (message == WM_LBUTTONDBLCLK && (StyleOf(hwnd) & BS_NOTIFY))
                NotifyParent(hwnd, BN_DOUBLECLICKED);
            return 0;
        case WM_MOUSEMOVE:
            if (m_tracking)
                SetPushed(hwnd, ClientOf(hwnd).PtInRect(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))));
            return 0;
        case WM_LBUTTONUP:
            if (m_tracking)
            {
                const bool inside = ClientOf(hwnd).PtInRect(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
                m_tracking = false;
                ReleaseCapture();
                SetPushed(hwnd, false);
                if (inside)
                    Clicked(hwnd);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (m_tracking)
            {
                m_tracking = false;
                SetPushed(hwnd, false);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && type != BS_GROUPBOX)
            {
                m_spaceDown = true;
                SetPushed(hwnd, true);
            }
            return 0;
        case WM_KEYUP:
            if (wParam == VK_SPACE && m_spaceDown)
            {
                m_spaceDown = false;
                SetPushed(hwnd, false);
                Clicked(hwnd);
            }
            return 0;
        case WM_CHAR:
            return 0;
        case BM_CLICK:
            SendMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessage(hwnd, WM_LBUTTONUP, 0, 0);
            return 0;
        case BM_GETCHECK:
            return m_check;
        case BM_SETCHECK:
        {
            const UINT check = static_cast<UINT>(wParam) & 3;
            if (check != m_check)
            {
                m_check = check;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            // A checked radio button becomes the tab stop of its group, as the dialog manager expects.
            if ((type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
            {
                LONG style = GetWindowLong(hwnd, GWL_STYLE);
                style = check ? (style | static_cast<LONG>(WS_TABSTOP)) : (style & ~static_cast<LONG>(WS_TABSTOP));
                SetWindowLong(hwnd, GWL_STYLE, style);
            }
            return 0;
        }
        case BM_GETSTATE:
            return m_check | (m_pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
        case BM_SETSTATE:
            SetPushed(hwnd, wParam != 0);
            return 0;
        case BM_SETSTYLE:
        {
            const LONG style = (GetWindowLong(hwnd, GWL_STYLE) & ~0xFFFF) | static_cast<LONG>(wParam & 0xFFFF);
            SetWindowLong(hwnd, GWL_STYLE, style);
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_SETFOCUS:
            InvalidateRect(hwnd, nullptr, TRUE);
            if (StyleOf(hwnd) & BS_NOTIFY)
                NotifyParent(hwnd, BN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            m_spaceDown = false;
            if (m_pushed && !m_tracking)
                SetPushed(hwnd, false);
            InvalidateRect(hwnd, nullptr, TRUE);
            if (StyleOf(hwnd) & BS_NOTIFY)
                NotifyParent(hwnd, BN_KILLFOCUS);
            return 0;
        case WM_SETTEXT:
        case WM_ENABLE:
        {
            const LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        {
            PAINTSTRUCT ps;
            const HDC hdc = BeginPaint(hwnd, &ps);
            Paint(hwnd, hdc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

private:
    void SetPushed(HWND hwnd, bool pushed)
    {
        if (pushed == m_pushed)
            return;
        m_pushed = pushed;
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void Clicked(HWND hwnd)
    {
        const DWORD style = StyleOf(hwnd);
        switch (style & BS_TYPEMASK)
        {
        case BS_AUTOCHECKBOX:
            SendMessage(hwnd, BM_SETCHECK, m_check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
            break;
        case BS_AUTO3STATE:
            SendMessage(hwnd, BM_SETCHECK, (m_check + 1) % 3, 0);
            break;
        case BS_AUTORADIOBUTTON:
            CheckInGroup(hwnd);
            break;
        default:
            break;
        }
        NotifyParent(hwnd, BN_CLICKED);
    }

    // Checks this radio button and clears the other automatic ones of its group.
    static void CheckInGroup(HWND hwnd)
    {
        const HWND parent = GetParent(hwnd);
        SendMessage(hwnd, BM_SETCHECK, BST_CHECKED, 0);
        if (!parent)
            return;
        HWND start = hwnd;
        while (!(GetWindowLong(start, GWL_STYLE) & WS_GROUP))
        {
            const HWND previous = GetWindow(start, GW_HWNDPREV);
            if (!previous)
                break;
            start = previous;
        }
        for (HWND h = start; h; h = GetWindow(h, GW_HWNDNEXT))
        {
            if (h != start && (GetWindowLong(h, GWL_STYLE) & WS_GROUP))
                break;
            if (h != hwnd && (StyleOf(h) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                SendMessage(h, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }

    void Paint(HWND hwnd, HDC hdc)
    {
        const DWORD style = StyleOf(hwnd);
        const DWORD type = style & BS_TYPEMASK;
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        const bool focused = GetFocus() == hwnd;
        CRect client = ClientOf(hwnd);
        CDC* dc = CDC::FromHandle(hdc);
        if (type == BS_OWNERDRAW)
        {
            UINT state = 0;
            if (m_pushed)
                state |= ODS_SELECTED;
            if (focused)
                state |= ODS_FOCUS;
            if (!enabled)
                state |= ODS_DISABLED;
            DRAWITEMSTRUCT dis{ODT_BUTTON, static_cast<UINT>(GetDlgCtrlID(hwnd)), 0, ODA_DRAWENTIRE, state, hwnd, hdc,
                               client, 0};
            SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            return;
        }
        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        const std::string text = GetWindowTextString(hwnd);
        SetBkMode(hdc, TRANSPARENT);
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX || (style & BS_PUSHLIKE))
        {
            ControlColors(hwnd, hdc, WM_CTLCOLORBTN);
            dc->FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
            CRect r = client;
            if (type == BS_DEFPUSHBUTTON || focused)
            {
                dc->Draw3dRect(&r, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
                r.DeflateRect(1, 1);
            }
            const bool down = m_pushed || ((style & BS_PUSHLIKE) && m_check == BST_CHECKED);
            if (down)
            {
                dc->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
                r.DeflateRect(1, 1);
            }
            else
                DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
            CRect textRect = r;
            if (down)
                textRect.OffsetRect(1, 1);
            DrawLabel(hwnd, hdc, text, textRect, style, enabled, DT_CENTER);
            if (focused)
            {
                CRect focus = client;
                focus.DeflateRect(4, 4);
                dc->DrawFocusRect(&focus);
            }
        }
        else if (type == BS_GROUPBOX)
        {
            const HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORSTATIC);
            TEXTMETRIC tm{};
            GetTextMetrics(hdc, &tm);
            CRect frame = client;
            frame.top += tm.tmHeight / 2;
            DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
            if (!text.empty())
            {
                const CSize extent = dc->GetTextExtent(text);
                CRect label(client.left + 8, client.top, client.left + 8 + extent.cx + 4, client.top + tm.tmHeight);
                FillRect(hdc, &label, brush);
                label.left += 2;
                DrawLabel(hwnd, hdc, text, label, style & ~BS_MULTILINE, enabled, DT_LEFT);
            }
        }
        else
        {
            // Check boxes and radio buttons: a 13-pixel box and the label beside it.
            const HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORSTATIC);
            FillRect(hdc, &client, brush);
            const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
            const bool leftText = (style & BS_LEFTTEXT) != 0;
            const int box = 13;
            CRect boxRect(leftText ? client.right - box : client.left, client.top + (client.Height() - box) / 2, 0, 0);
            boxRect.right = boxRect.left + box;
            boxRect.bottom = boxRect.top + box;
            UINT state = radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
            if (m_check)
                state |= DFCS_CHECKED;
            if (m_pushed)
                state |= DFCS_PUSHED;
            if (!enabled)
                state |= DFCS_INACTIVE;
            DrawFrameControl(hdc, &boxRect, DFC_BUTTON, state);
            CRect label = client;
            if (leftText)
                label.right = boxRect.left - 4;
            else
                label.left = boxRect.right + 4;
            const CRect drawn = DrawLabel(hwnd, hdc, text, label, style, enabled, DT_LEFT);
            if (focused && !text.empty())
            {
                CRect focus = drawn;
                focus.InflateRect(1, 1);
                dc->DrawFocusRect(&focus);
            }
        }
        SelectObject(hdc, oldFont);
    }

    // Draws the label with the button's alignment styles; returns where the text went.
    static CRect DrawLabel(HWND, HDC hdc, const std::string& text, const CRect& area, DWORD style, bool enabled,
                           UINT defaultAlign)
    {
        UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
        switch (style & BS_CENTER)
        {
        case BS_LEFT:
            format |= DT_LEFT;
            break;
        case BS_RIGHT:
            format |= DT_RIGHT;
            break;
        case BS_CENTER:
            format |= DT_CENTER;
            break;
        default:
            format |= defaultAlign;
            break;
        }
        CRect calc = area;
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &calc, (format & ~DT_VCENTER) | DT_CALCRECT);
        CRect drawn = area;
        if (format & DT_CENTER)
            drawn.left = area.left + (area.Width() - calc.Width()) / 2;
        else if (format & DT_RIGHT)
            drawn.left = area.right - calc.Width();
        drawn.right = drawn.left + calc.Width();
        drawn.top = area.top + (area.Height() - calc.Height()) / 2;
        drawn.bottom = drawn.top + calc.Height();
        CRect r = area;
        if (!enabled)
        {
            // Embossed: white one pixel down and right, grey on top.
            CRect shadow = r;
            shadow.OffsetRect(1, 1);
            SetTextColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &shadow, format);
            SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
        }
        else
            SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
        return drawn;
    }

    UINT m_check = BST_UNCHECKED;
    bool m_pushed = false;
    bool m_tracking = false;
    bool m_spaceDown = false;
};

} // namespace

void RegisterButtonClass()
{
    State::Get().RegisterBuiltin("Button", [] { return std::make_unique<ButtonBehaviour>(); }, -1);
}

} // namespace winlib::detail
