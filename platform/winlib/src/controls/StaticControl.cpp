// The static control: text, rectangles, frames and etched lines.
#include "ControlUtil.h"

namespace winlib::detail
{

namespace
{

class StaticBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CREATE:
            if (StyleOf(hwnd) & SS_SUNKEN)
                SetWindowLong(hwnd, GWL_EXSTYLE, GetWindowLong(hwnd, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_STATICEDGE));
            return 0;
        case WM_NCHITTEST:
            return (StyleOf(hwnd) & SS_NOTIFY) ? DefWindowProc(hwnd, message, wParam, lParam) : HTTRANSPARENT;
        case WM_LBUTTONDOWN:
            if (StyleOf(hwnd) & SS_NOTIFY)
                NotifyParent(hwnd, STN_CLICKED);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (StyleOf(hwnd) & SS_NOTIFY)
                NotifyParent(hwnd, STN_DBLCLK);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT:
        case WM_ENABLE:
        {
            const LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
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
    static void Paint(HWND hwnd, HDC hdc)
    {
        const DWORD style = StyleOf(hwnd);
        const DWORD type = style & SS_TYPEMASK;
        CRect client = ClientOf(hwnd);
        if (type == SS_OWNERDRAW)
        {
            DRAWITEMSTRUCT dis{ODT_STATIC, static_cast<UINT>(GetDlgCtrlID(hwnd)), 0, ODA_DRAWENTIRE,
                               IsWindowEnabled(hwnd) ? 0u : ODS_DISABLED, hwnd, hdc, client, 0};
            SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            return;
        }
        const HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORSTATIC);
        CDC* dc = CDC::FromHandle(hdc);
        switch (type)
        {
        case SS_BLACKRECT:
            dc->FillSolidRect(&client, GetSysColor(COLOR_3DDKSHADOW));
            return;
        case SS_GRAYRECT:
            dc->FillSolidRect(&client, GetSysColor(COLOR_BTNSHADOW));
            return;
        case SS_WHITERECT:
            dc->FillSolidRect(&client, GetSysColor(COLOR_BTNHIGHLIGHT));
            return;
        case SS_BLACKFRAME:
            dc->Draw3dRect(&client, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DDKSHADOW));
            return;
        case SS_GRAYFRAME:
            dc->Draw3dRect(&client, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
            return;
        case SS_WHITEFRAME:
            dc->Draw3dRect(&client, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNHIGHLIGHT));
            return;
        case SS_ETCHEDHORZ:
            DrawEdge(hdc, &client, EDGE_ETCHED, BF_TOP);
            return;
        case SS_ETCHEDVERT:
            DrawEdge(hdc, &client, EDGE_ETCHED, BF_LEFT);
            return;
        case SS_ETCHEDFRAME:
            DrawEdge(hdc, &client, EDGE_ETCHED, BF_RECT);
            return;
        default:
            break;
        }
        FillRect(hdc, &client, brush);
        UINT format = DT_EXPANDTABS;
        switch (type)
        {
        case SS_CENTER:
            format |= DT_CENTER | DT_WORDBREAK;
            break;
        case SS_RIGHT:
            format |= DT_RIGHT | DT_WORDBREAK;
            break;
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            format |= DT_LEFT | DT_SINGLELINE;
            break;
        default:
            format |= DT_LEFT | DT_WORDBREAK;
            break;
        }
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
        if (style & SS_CENTERIMAGE)
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
        if (style & SS_ENDELLIPSIS)
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS;
        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        SetBkMode(hdc, TRANSPARENT);
        if (!IsWindowEnabled(hwnd))
            SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
        const std::string text = GetWindowTextString(hwnd);
        DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &client, format);
        SelectObject(hdc, oldFont);
    }
};

} // namespace

void RegisterStaticClass()
{
    State::Get().RegisterBuiltin("Static", [] { return std::make_unique<StaticBehaviour>(); }, -1);
}

} // namespace winlib::detail
