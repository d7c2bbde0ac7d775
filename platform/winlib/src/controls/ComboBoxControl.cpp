// The combo box control: a drop-down list (a selection field over a popup "ComboLBox"),
// a drop-down with an edit (id 1001), and the simple combo box (edit over a list that is
// always shown). The items live in the list; CB_ messages are forwarded to it as LB_ ones.
// The window is as high as its field; the height it was created (or moved) with is the
// height of the combo box with its list dropped.
#include "ComboListHost.h"
#include "ControlUtil.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

constexpr int kEdge = 2;         // the sunken edge round the field
constexpr int kFieldPadding = 1; // between the edge and the item in the field
constexpr int kMaxItemHeight = 255;
constexpr int kListId = 1000;
constexpr int kEditId = 1001;
constexpr WORD kAltDown = 0x2000; // in the high word of a key message's lParam

class ComboBehaviour;

// The combo box's edit keeps the edit behaviour; the combo box sees first the keys it acts
// on (F4, Alt+arrows, Up and Down, Enter and Escape while dropped) and where the focus goes.
class ComboEditBehaviour : public ControlBehaviour
{
public:
    ComboEditBehaviour(std::unique_ptr<ControlBehaviour> edit, ComboBehaviour& combo)
        : m_edit(std::move(edit)), m_combo(combo)
    {
    }
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::unique_ptr<ControlBehaviour> m_edit;
    ComboBehaviour& m_combo;
};

class ComboBehaviour : public ControlBehaviour, public ComboListHost
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CREATE:
            return Create(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
        case WM_DESTROY:
        case WM_NCDESTROY:
            // The popup list is no child of ours; it goes with us (at the latest when an object
            // of the combo box handled WM_DESTROY without the class behaviour).
            if (IsWindow(m_list) && IsPopupList())
                DestroyWindow(m_list);
            m_list = nullptr;
            m_dropped = false;
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_WINDOWPOSCHANGING:
        {
            // A height larger than the field's sets the dropped height; the window keeps the field's.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (pos && !(pos->flags & SWP_NOSIZE) && !Simple() && !m_resizing)
            {
                if (pos->cy > ComboHeight())
                    m_droppedHeight = pos->cy;
                pos->cy = ComboHeight();
            }
            return 0;
        }
        case WM_SIZE:
            Layout(hwnd);
            return 0;
        case WM_SETFONT:
        {
            DefWindowProc(hwnd, message, wParam, lParam);
            if (m_edit)
                SendMessage(m_edit, WM_SETFONT, wParam, FALSE);
            if (IsWindow(m_list))
                SendMessage(m_list, WM_SETFONT, wParam, FALSE);
            if (!OwnerDraw())
                m_fieldHeight = FontHeight(hwnd) + 2;
            ResizeToField(hwnd);
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS | ExtraDlgCode(reinterpret_cast<const MSG*>(lParam));
        case WM_SETFOCUS:
            if (m_edit)
            {
                SetFocus(m_edit);
                if (IsWindow(hwnd) && GetFocus() == m_edit)
                    SendMessage(m_edit, EM_SETSEL, 0, -1);
            }
            else
                FocusGained(hwnd);
            return 0;
        case WM_KILLFOCUS:
            if (!m_edit || reinterpret_cast<HWND>(wParam) != m_edit)
                FocusLost(hwnd);
            return 0;
        case WM_ENABLE:
            if (!wParam)
                CloseUp(hwnd, false);
            if (IsWindow(hwnd) && m_edit)
                EnableWindow(m_edit, static_cast<BOOL>(wParam));
            if (IsWindow(hwnd))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ButtonDown(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_KEYDOWN:
            Key(hwnd, static_cast<int>(wParam));
            return 0;
        case WM_SYSKEYDOWN:
            if ((wParam == VK_DOWN || wParam == VK_UP) && (HIWORD(lParam) & kAltDown))
            {
                Toggle(hwnd);
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_CHAR:
            // Type-ahead in the list; Enter, Escape and Tab belong to the dialog.
            if (!m_edit && wParam >= 0x20 && IsWindow(m_list))
                SendMessage(m_list, WM_CHAR, wParam, lParam);
            return 0;
        case WM_MOUSEWHEEL:
            if (m_focused && !m_dropped && !Simple() && IsWindow(m_list))
            {
                const int notches = static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA;
                for (int i = 0; i < std::abs(notches) && IsWindow(hwnd); ++i)
                    SendMessage(m_list, WM_KEYDOWN, notches > 0 ? VK_UP : VK_DOWN, 0);
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_COMMAND:
            if (m_edit && reinterpret_cast<HWND>(lParam) == m_edit)
                EditNotification(hwnd, HIWORD(wParam));
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        {
            // The edit's colours are the parent's to choose.
            LRESULT brush = 0;
            if (const HWND parent = GetParent(hwnd))
                brush = SendMessage(parent, message, wParam, lParam);
            return brush ? brush : DefWindowProc(hwnd, message, wParam, lParam);
        }
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            if (m_edit)
                return SendMessage(m_edit, message, wParam, lParam);
            return SelectedText(hwnd, message, wParam, lParam);
        case WM_SETTEXT:
            if (!m_edit)
                return CB_ERR;
            SetEditText(reinterpret_cast<const char*>(lParam));
            return TRUE;
        case WM_CLEAR:
        case WM_COPY:
        case WM_CUT:
        case WM_PASTE:
        case WM_UNDO:
            return m_edit ? SendMessage(m_edit, message, wParam, lParam) : 0;
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
            if (message >= CB_GETEDITSEL && message <= CB_SETDROPPEDWIDTH)
                return ComboMessage(hwnd, message, wParam, lParam);
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // ---- From the edit ----------------------------------------------------------------------
    bool EditKey(int vk)
    {
        if (vk == VK_F4 ||
            (m_dropped && (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_PRIOR || vk == VK_NEXT)) ||
            vk == VK_UP || vk == VK_DOWN)
        {
            Key(m_hwnd, vk);
            return true;
        }
        return false;
    }

    bool EditSysKey(int vk)
    {
        if (vk != VK_DOWN && vk != VK_UP)
            return false;
        Toggle(m_hwnd);
        return true;
    }

    void EditFocus(bool gained, HWND other)
    {
        if (gained)
            FocusGained(m_hwnd);
        else if (other != m_hwnd)
            FocusLost(m_hwnd);
    }

    // Enter and Escape close a dropped list instead of pressing the dialog's buttons.
    UINT ExtraDlgCode(const MSG* msg) const
    {
        if (m_dropped && msg && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
            return DLGC_WANTMESSAGE;
        return 0;
    }

    // ---- From the list ----------------------------------------------------------------------
    HWND ComboWindow() const override { return m_hwnd; }

    void ListSelectionChanged() override
    {
        // While dropped the list only shows where the choice would go.
        if (m_dropped)
            return;
        const HWND hwnd = m_hwnd;
        ShowSelection(hwnd, Selected());
        NotifyParent(hwnd, CBN_SELCHANGE);
    }

    void ListItemChosen() override { CloseUp(m_hwnd, true); }
    void ListPressedOutside(bool) override { CloseUp(m_hwnd, false); }
    void ListCaptureLost() override { CloseUp(m_hwnd, false); }

    void ListDoubleClicked() override
    {
        if (Simple())
            NotifyParent(m_hwnd, CBN_DBLCLK);
    }

private:
    // ---- Styles and geometry -------------------------------------------------------------
    DWORD Type() const
    {
        const DWORD type = m_style & CBS_DROPDOWNLIST;
        return type ? type : CBS_SIMPLE;
    }
    bool Simple() const { return Type() == CBS_SIMPLE; }
    bool OwnerDraw() const { return (m_style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (m_style & CBS_HASSTRINGS); }
    bool IsPopupList() const { return !Simple(); }
    int ComboHeight() const { return m_fieldHeight + 2 * (kEdge + kFieldPadding); }

    int FontHeight(HWND hwnd) const
    {
        const HDC hdc = GetDC(nullptr);
        const HGDIOBJ old = SelectControlFont(hwnd, hdc);
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        SelectObject(hdc, old);
        ReleaseDC(nullptr, hdc);
        return std::max<int>(1, tm.tmHeight);
    }

    // The box round the field (and the edit of a simple combo box), in client coordinates.
    CRect FieldBox(HWND hwnd) const
    {
        CRect box = ClientOf(hwnd);
        box.bottom = std::min<LONG>(box.bottom, box.top + ComboHeight());
        return box;
    }

    CRect ButtonRect(HWND hwnd) const
    {
        if (Simple())
            return CRect();
        CRect box = FieldBox(hwnd);
        box.DeflateRect(kEdge, kEdge);
        box.left = std::max<LONG>(box.left, box.right - GetSystemMetrics(SM_CXVSCROLL));
        return box;
    }

    // Where the selected item (or the edit) goes.
    CRect FieldRect(HWND hwnd) const
    {
        CRect field = FieldBox(hwnd);
        field.DeflateRect(kEdge + kFieldPadding, kEdge + kFieldPadding);
        if (!Simple())
            field.right = std::max<LONG>(field.left, ButtonRect(hwnd).left - kFieldPadding);
        return field;
    }

    void ResizeToField(HWND hwnd)
    {
        if (!Simple())
        {
            CRect window;
            GetWindowRect(hwnd, &window);
            m_resizing = true;
            SetWindowPos(hwnd, nullptr, 0, 0, window.Width(), ComboHeight(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            m_resizing = false;
        }
        if (IsWindow(hwnd))
            Layout(hwnd);
    }

    void Layout(HWND hwnd)
    {
        if (m_edit)
        {
            const CRect field = FieldRect(hwnd);
            MoveWindow(m_edit, field.left, field.top, field.Width(), field.Height(), TRUE);
        }
        if (Simple() && IsWindow(m_list))
        {
            const CRect client = ClientOf(hwnd);
            const int top = FieldBox(hwnd).bottom;
            MoveWindow(m_list, 0, top, client.Width(), std::max<LONG>(0, client.bottom - top), TRUE);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    LRESULT Create(HWND hwnd, const CREATESTRUCT* cs)
    {
        m_hwnd = hwnd;
        m_style = cs ? static_cast<DWORD>(cs->style) : StyleOf(hwnd);
        m_droppedHeight = cs ? cs->cy : 0;
        // The scroll-bar styles are the list's, not the combo box's own.
        if (m_style & (WS_VSCROLL | WS_HSCROLL))
            SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>(StyleOf(hwnd) & ~(WS_VSCROLL | WS_HSCROLL)));
        m_fieldHeight = FontHeight(hwnd) + 2;
        if (OwnerDraw())
        {
            MEASUREITEMSTRUCT mis{ODT_COMBOBOX,
                                  static_cast<UINT>(GetDlgCtrlID(hwnd)),
                                  static_cast<UINT>(-1),
                                  static_cast<UINT>(std::max<LONG>(0, ClientOf(hwnd).Width())),
                                  static_cast<UINT>(m_fieldHeight),
                                  0};
            if (const HWND parent = GetParent(hwnd))
                SendMessage(parent, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
            if (!IsWindow(hwnd))
                return -1;
            m_fieldHeight = std::clamp(static_cast<int>(mis.itemHeight), 1, kMaxItemHeight);
        }
        if (!Simple())
        {
            m_resizing = true;
            SetWindowPos(hwnd, nullptr, 0, 0, cs ? cs->cx : ClientOf(hwnd).Width(), ComboHeight(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            m_resizing = false;
        }

        DWORD listStyle = LBS_NOINTEGRALHEIGHT;
        if (m_style & CBS_SORT)
            listStyle |= LBS_SORT;
        if (m_style & CBS_HASSTRINGS)
            listStyle |= LBS_HASSTRINGS;
        if (m_style & CBS_OWNERDRAWFIXED)
            listStyle |= LBS_OWNERDRAWFIXED;
        if (m_style & CBS_OWNERDRAWVARIABLE)
            listStyle |= LBS_OWNERDRAWVARIABLE;
        if (m_style & CBS_DISABLENOSCROLL)
            listStyle |= LBS_DISABLENOSCROLL;
        if (m_style & WS_VSCROLL)
            listStyle |= WS_VSCROLL;
        const CRect client = ClientOf(hwnd);
        void* host = static_cast<ComboListHost*>(this);
        if (Simple())
        {
            const int top = FieldBox(hwnd).bottom;
            m_list = CreateWindowEx(WS_EX_CLIENTEDGE, "ComboLBox", "", WS_CHILD | WS_VISIBLE | listStyle, 0,
                                    top, client.Width(), std::max<LONG>(0, client.bottom - top), hwnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), nullptr, host);
        }
        else
            m_list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, "ComboLBox", "",
                                    WS_POPUP | WS_BORDER | WS_CLIPSIBLINGS | listStyle, 0, 0, client.Width(),
                                    m_fieldHeight, hwnd, nullptr, nullptr, host);
        if (!m_list || !IsWindow(hwnd))
            return -1;

        if (Type() != CBS_DROPDOWNLIST)
        {
            DWORD editStyle = WS_CHILD | WS_VISIBLE | ES_LEFT;
            if (m_style & CBS_AUTOHSCROLL)
                editStyle |= ES_AUTOHSCROLL;
            if (m_style & CBS_UPPERCASE)
                editStyle |= ES_UPPERCASE;
            if (m_style & CBS_LOWERCASE)
                editStyle |= ES_LOWERCASE;
            if (m_style & CBS_OEMCONVERT)
                editStyle |= ES_OEMCONVERT;
            const CRect field = FieldRect(hwnd);
            m_edit = CreateWindowEx(0, "Edit", cs && cs->lpszName ? cs->lpszName : "", editStyle, field.left,
                                    field.top, field.Width(), field.Height(), hwnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr);
            if (!m_edit)
                return -1;
            WindowRecord& edit = State::Get().Require(m_edit);
            edit.behaviour = std::make_unique<ComboEditBehaviour>(std::move(edit.behaviour), *this);
        }
        return 0;
    }

    // ---- The items --------------------------------------------------------------------------
    LRESULT ToList(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return IsWindow(m_list) ? SendMessage(m_list, message, wParam, lParam) : CB_ERR;
    }

    // The combo box's selection: the list's, except while dropped, where the list shows
    // the item under the mouse or the keys and the selection waits for the list to close.
    int Selected() const
    {
        return m_dropped ? m_selectedWhileDropped : static_cast<int>(ToList(LB_GETCURSEL, 0, 0));
    }

    std::string ItemText(int index) const
    {
        if (index < 0 || !HasStrings())
            return std::string();
        const LRESULT length = ToList(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length < 0)
            return std::string();
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        ToList(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return text;
    }

    LRESULT SelectedText(HWND, UINT message, WPARAM wParam, LPARAM lParam) const
    {
        const std::string text = ItemText(Selected());
        if (message == WM_GETTEXTLENGTH)
            return static_cast<LRESULT>(text.size());
        char* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || !wParam)
            return 0;
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(wParam) - 1);
        text.copy(buffer, n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }

    // Sets the edit's text without reporting it as the user's typing.
    void SetEditText(const char* text)
    {
        if (!m_edit)
            return;
        m_settingText = true;
        SetWindowText(m_edit, text ? text : "");
        m_settingText = false;
        if (GetFocus() == m_edit)
            SendMessage(m_edit, EM_SETSEL, 0, -1);
    }

    // Shows a new selection in the field or the edit.
    void ShowSelection(HWND hwnd, int index)
    {
        if (m_edit)
            SetEditText(ItemText(index).c_str());
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void SetSelection(HWND hwnd, int index)
    {
        ToList(LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (m_dropped)
            m_selectedWhileDropped = static_cast<int>(ToList(LB_GETCURSEL, 0, 0));
        ShowSelection(hwnd, Selected());
    }

    LRESULT ComboMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const int index = static_cast<int>(wParam);
        switch (message)
        {
        case CB_ADDSTRING:
        case CB_INSERTSTRING:
        {
            const LRESULT at =
                ToList(message == CB_ADDSTRING ? LB_ADDSTRING : LB_INSERTSTRING, wParam, lParam);
            if (m_dropped && at >= 0 && at <= m_selectedWhileDropped)
                ++m_selectedWhileDropped;
            return at;
        }
        case CB_DELETESTRING:
        {
            const int selected = Selected();
            const LRESULT left = ToList(LB_DELETESTRING, wParam, lParam);
            if (left >= 0 && m_dropped)
                m_selectedWhileDropped = selected == index ? -1 : selected > index ? selected - 1 : selected;
            if (left >= 0 && selected == index)
                InvalidateRect(hwnd, nullptr, TRUE);
            return left;
        }
        case CB_RESETCONTENT:
            ToList(LB_RESETCONTENT, 0, 0);
            m_selectedWhileDropped = -1;
            if (m_edit && HasStrings())
                SetEditText("");
            InvalidateRect(hwnd, nullptr, TRUE);
            return CB_OKAY;
        case CB_GETCOUNT:
            return ToList(LB_GETCOUNT, 0, 0);
        case CB_GETCURSEL:
            return Selected();
        case CB_SETCURSEL:
        {
            const LRESULT count = ToList(LB_GETCOUNT, 0, 0);
            const bool valid = index >= 0 && index < count;
            SetSelection(hwnd, valid ? index : -1);
            return valid ? index : CB_ERR;
        }
        case CB_SELECTSTRING:
        {
            const LRESULT found = ToList(LB_FINDSTRING, wParam, lParam);
            if (found >= 0)
                SetSelection(hwnd, static_cast<int>(found));
            return found >= 0 ? found : CB_ERR;
        }
        case CB_GETLBTEXT:
            return ToList(LB_GETTEXT, wParam, lParam);
        case CB_GETLBTEXTLEN:
            return ToList(LB_GETTEXTLEN, wParam, lParam);
        case CB_FINDSTRING:
            return ToList(LB_FINDSTRING, wParam, lParam);
        case CB_FINDSTRINGEXACT:
            return ToList(LB_FINDSTRINGEXACT, wParam, lParam);
        case CB_GETITEMDATA:
            return ToList(LB_GETITEMDATA, wParam, lParam);
        case CB_SETITEMDATA:
            return ToList(LB_SETITEMDATA, wParam, lParam);
        case CB_GETTOPINDEX:
            return ToList(LB_GETTOPINDEX, 0, 0);
        case CB_SETTOPINDEX:
            return ToList(LB_SETTOPINDEX, wParam, 0);
        case CB_SHOWDROPDOWN:
            if (wParam)
                DropDown(hwnd);
            else
                CloseUp(hwnd, false);
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return m_dropped ? TRUE : FALSE;
        case CB_GETDROPPEDCONTROLRECT:
        {
            if (!lParam)
                return CB_ERR;
            CRect combo;
            GetWindowRect(hwnd, &combo);
            const CRect list = Simple() ? combo : ListRect(hwnd);
            CRect both;
            both.UnionRect(&combo, &list);
            *reinterpret_cast<RECT*>(lParam) = both;
            return TRUE;
        }
        case CB_GETDROPPEDWIDTH:
            return DroppedWidth(hwnd);
        case CB_SETDROPPEDWIDTH:
            if (index < 0)
                return CB_ERR;
            m_droppedWidth = index;
            return DroppedWidth(hwnd);
        case CB_SETITEMHEIGHT:
        {
            const int height = static_cast<int>(lParam);
            if (height <= 0 || height > kMaxItemHeight)
                return CB_ERR;
            if (index != -1)
                return ToList(LB_SETITEMHEIGHT, wParam, lParam);
            m_fieldHeight = height;
            ResizeToField(hwnd);
            return CB_OKAY;
        }
        case CB_GETITEMHEIGHT:
            return index == -1 ? m_fieldHeight : ToList(LB_GETITEMHEIGHT, wParam, 0);
        case CB_LIMITTEXT:
            if (m_edit)
                SendMessage(m_edit, EM_LIMITTEXT, wParam, 0);
            return TRUE;
        case CB_GETEDITSEL:
            return m_edit ? SendMessage(m_edit, EM_GETSEL, wParam, lParam) : CB_ERR;
        case CB_SETEDITSEL:
            if (!m_edit)
                return CB_ERR;
            SendMessage(m_edit, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(lParam))),
                        static_cast<LPARAM>(static_cast<short>(HIWORD(lParam))));
            return TRUE;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // ---- Dropping and closing ----------------------------------------------------------------
    int DroppedWidth(HWND hwnd) const
    {
        CRect window;
        GetWindowRect(hwnd, &window);
        return std::max<int>(m_droppedWidth, window.Width());
    }

    // Where the list goes on the screen: below the combo box, or above it when there is no
    // room below; as many items high as fit in the dropped height, and no more than there are.
    CRect ListRect(HWND hwnd) const
    {
        CRect combo;
        GetWindowRect(hwnd, &combo);
        const int count = std::max<int>(0, static_cast<int>(ToList(LB_GETCOUNT, 0, 0)));
        const int frame = 2; // the list's border
        const int available = m_droppedHeight - combo.Height() - frame;
        int used = 0;
        for (int i = 0; i < std::max(count, 1); ++i)
        {
            const int h =
                std::max<int>(1, static_cast<int>(ToList(LB_GETITEMHEIGHT, static_cast<WPARAM>(i), 0)));
            if (i > 0 && used + h > available)
                break;
            used += h;
        }
        const int height = used + frame;
        CRect list(combo.left, combo.bottom, combo.left + DroppedWidth(hwnd), combo.bottom + height);
        if (list.bottom > GetSystemMetrics(SM_CYSCREEN) && combo.top - height >= 0)
            list.OffsetRect(0, combo.top - height - list.top);
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        if (list.right > screenWidth)
            list.OffsetRect(screenWidth - list.right, 0);
        if (list.left < 0)
            list.OffsetRect(-list.left, 0);
        return list;
    }

    void Toggle(HWND hwnd)
    {
        if (m_dropped)
            CloseUp(hwnd, true);
        else
            DropDown(hwnd);
    }

    void DropDown(HWND hwnd)
    {
        if (m_dropped || Simple() || !IsWindow(m_list) || !IsWindowEnabled(hwnd))
            return;
        NotifyParent(hwnd, CBN_DROPDOWN);
        if (!IsWindow(hwnd) || m_dropped || !IsWindow(m_list))
            return;
        m_selectedWhileDropped = static_cast<int>(ToList(LB_GETCURSEL, 0, 0));
        if (m_edit)
        {
            // The list shows the first item that starts with the edit's text.
            const std::string text = GetWindowTextString(m_edit);
            const LRESULT match = text.empty() ? LB_ERR
                                               : ToList(LB_FINDSTRING, static_cast<WPARAM>(-1),
                                                        reinterpret_cast<LPARAM>(text.c_str()));
            ToList(LB_SETCURSEL, static_cast<WPARAM>(match), 0);
        }
        const CRect list = ListRect(hwnd);
        m_dropped = true;
        SetWindowPos(m_list, HWND_TOP, list.left, list.top, list.Width(), list.Height(),
                     SWP_SHOWWINDOW | SWP_NOACTIVATE);
        // The list opens with its selection at the top, as far as the items below allow.
        const LRESULT shown = ToList(LB_GETCURSEL, 0, 0);
        if (shown >= 0)
            ToList(LB_SETCARETINDEX, static_cast<WPARAM>(shown), 0);
        ToList(LB_SETTOPINDEX, static_cast<WPARAM>(std::max<LRESULT>(shown, 0)), 0);
        SetCapture(m_list);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    // Closes the dropped list: 'accept' takes the item the list shows as the selection.
    void CloseUp(HWND hwnd, bool accept)
    {
        // A notification that takes the focus away must not close the list a second time.
        if (!m_dropped || m_closing)
            return;
        m_closing = true;
        const int before = m_selectedWhileDropped;
        if (accept)
        {
            const int chosen = static_cast<int>(ToList(LB_GETCURSEL, 0, 0));
            m_selectedWhileDropped = chosen;
            if (chosen >= 0 && m_edit)
                SetEditText(ItemText(chosen).c_str());
            NotifyParent(hwnd, CBN_SELENDOK);
            if (!IsWindow(hwnd))
                return;
            if (chosen != before)
            {
                NotifyParent(hwnd, CBN_SELCHANGE);
                if (!IsWindow(hwnd))
                    return;
            }
        }
        else
        {
            NotifyParent(hwnd, CBN_SELENDCANCEL);
            if (!IsWindow(hwnd))
                return;
            ToList(LB_SETCURSEL, static_cast<WPARAM>(before), 0);
        }
        m_closing = false;
        if (!m_dropped)
            return;
        m_dropped = false;
        if (IsWindow(m_list))
        {
            SetWindowPos(m_list, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (GetCapture() == m_list)
                ReleaseCapture();
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, CBN_CLOSEUP);
    }

    // ---- Input -----------------------------------------------------------------------------
    void ButtonDown(HWND hwnd, CPoint p)
    {
        if (GetFocus() != hwnd && (!m_edit || GetFocus() != m_edit))
        {
            SetFocus(hwnd);
            if (!IsWindow(hwnd))
                return;
        }
        if (Simple())
            return;
        if (Type() == CBS_DROPDOWNLIST || ButtonRect(hwnd).PtInRect(p))
            Toggle(hwnd);
    }

    void Key(HWND hwnd, int vk)
    {
        if (vk == VK_F4)
        {
            Toggle(hwnd);
            return;
        }
        if (m_dropped)
        {
            switch (vk)
            {
            case VK_RETURN:
                CloseUp(hwnd, true);
                return;
            case VK_ESCAPE:
                CloseUp(hwnd, false);
                return;
            default:
                break;
            }
        }
        switch (vk)
        {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END:
            // In an edit these keys move the caret.
            if (m_edit)
                return;
            break;
        default:
            return;
        }
        if (IsWindow(m_list))
            SendMessage(m_list, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
    }

    void FocusGained(HWND hwnd)
    {
        if (m_focused)
            return;
        m_focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, CBN_SETFOCUS);
    }

    void FocusLost(HWND hwnd)
    {
        if (!m_focused)
            return;
        CloseUp(hwnd, false);
        if (!IsWindow(hwnd))
            return;
        m_focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, CBN_KILLFOCUS);
    }

    void EditNotification(HWND hwnd, UINT code)
    {
        if (m_settingText)
            return;
        if (code == EN_UPDATE)
            NotifyParent(hwnd, CBN_EDITUPDATE);
        else if (code == EN_CHANGE)
        {
            // Typing leaves no item selected; a dropped list shows the first that matches.
            const std::string text = GetWindowTextString(m_edit);
            if (m_dropped)
            {
                m_selectedWhileDropped = -1;
                const LRESULT match = text.empty() ? LB_ERR
                                                   : ToList(LB_FINDSTRING, static_cast<WPARAM>(-1),
                                                            reinterpret_cast<LPARAM>(text.c_str()));
                ToList(LB_SETCURSEL, static_cast<WPARAM>(match), 0);
                if (match >= 0)
                    ToList(LB_SETCARETINDEX, static_cast<WPARAM>(match), 0);
            }
            else
                ToList(LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            NotifyParent(hwnd, CBN_EDITCHANGE);
        }
    }

    // ---- Painting -----------------------------------------------------------------------------
    void Paint(HWND hwnd, HDC hdc)
    {
        const bool enabled = IsWindowEnabled(hwnd) != FALSE;
        const HBRUSH brush = ControlColors(hwnd, hdc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
        if (!IsWindow(hwnd))
            return;
        const COLORREF text = enabled ? GetTextColor(hdc) : GetSysColor(COLOR_GRAYTEXT);
        CRect box = FieldBox(hwnd);
        const CRect client = ClientOf(hwnd);
        if (box.bottom < client.bottom)
        {
            const CRect below(client.left, box.bottom, client.right, client.bottom);
            FillRect(hdc, &below, GetSysColorBrush(COLOR_BTNFACE));
        }
        DrawEdge(hdc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        FillRect(hdc, &box, brush);
        if (!Simple())
        {
            CRect button = ButtonRect(hwnd);
            DrawFrameControl(hdc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (enabled ? 0 : DFCS_INACTIVE));
        }
        if (m_edit)
            return;
        const CRect field = FieldRect(hwnd);
        const int selected = Selected();
        const bool hot = m_focused && !m_dropped;
        const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
        if (OwnerDraw())
        {
            UINT state = ODS_COMBOBOXEDIT;
            if (hot)
                state |= ODS_SELECTED | ODS_FOCUS;
            if (!enabled)
                state |= ODS_DISABLED;
            const ULONG_PTR data =
                selected >= 0
                    ? static_cast<ULONG_PTR>(ToList(LB_GETITEMDATA, static_cast<WPARAM>(selected), 0))
                    : 0;
            DRAWITEMSTRUCT dis{ODT_COMBOBOX,
                               static_cast<UINT>(GetDlgCtrlID(hwnd)),
                               static_cast<UINT>(selected),
                               ODA_DRAWENTIRE,
                               state,
                               hwnd,
                               hdc,
                               field,
                               data};
            const int saved = SaveDC(hdc);
            IntersectClipRect(hdc, field.left, field.top, field.right, field.bottom);
            if (const HWND parent = GetParent(hwnd))
                SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            RestoreDC(hdc, saved);
        }
        else
        {
            CDC* dc = CDC::FromHandle(hdc);
            if (hot)
            {
                dc->FillSolidRect(&field, GetSysColor(COLOR_HIGHLIGHT));
                SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            }
            else
                SetTextColor(hdc, text);
            SetBkMode(hdc, TRANSPARENT);
            const std::string label = ItemText(selected);
            CRect textRect = field;
            textRect.left += 1;
            DrawText(hdc, label.c_str(), static_cast<int>(label.size()), &textRect,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            if (hot)
                dc->DrawFocusRect(&field);
        }
        if (IsWindow(hwnd))
            SelectObject(hdc, oldFont);
    }

    HWND m_hwnd = nullptr;
    HWND m_list = nullptr;
    HWND m_edit = nullptr;
    DWORD m_style = 0;
    int m_fieldHeight = 15;  // CB_GETITEMHEIGHT(-1)
    int m_droppedHeight = 0; // the combo box with its list dropped
    int m_droppedWidth = 0;
    int m_selectedWhileDropped = -1;
    bool m_dropped = false;
    bool m_closing = false;
    bool m_focused = false;     // the combo box or its edit has the focus
    bool m_settingText = false; // the edit's text changes by the combo box, not the user
    bool m_resizing = false;
};

LRESULT ComboEditBehaviour::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_KEYDOWN:
        if (m_combo.EditKey(static_cast<int>(wParam)))
            return 0;
        break;
    case WM_SYSKEYDOWN:
        if (m_combo.EditSysKey(static_cast<int>(wParam)))
            return 0;
        break;
    case WM_GETDLGCODE:
        return m_edit->Proc(hwnd, message, wParam, lParam) |
               m_combo.ExtraDlgCode(reinterpret_cast<const MSG*>(lParam));
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    {
        // The combo box hears of it after the edit, which may be gone by then.
        ComboBehaviour& combo = m_combo;
        const LRESULT result = m_edit->Proc(hwnd, message, wParam, lParam);
        if (IsWindow(hwnd))
            combo.EditFocus(message == WM_SETFOCUS, reinterpret_cast<HWND>(wParam));
        return result;
    }
    default:
        break;
    }
    return m_edit->Proc(hwnd, message, wParam, lParam);
}

} // namespace

void RegisterComboBoxClass()
{
    State::Get().RegisterBuiltin(
        "ComboBox", [] { return std::make_unique<ComboBehaviour>(); }, -1);
}

} // namespace winlib::detail
