// The dialog class ("#32770"), dialog creation from templates, modal loops' disabling of the
// other windows, and the dialog manager's keyboard handling.
#include "DialogInternal.h"
#include "GdiInternal.h"
#include "Internal.h"
#include "winlib/Dialog.h"
#include "winlib/Modal.h"
#include "winlib/Runtime.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using winlib::DialogItemTemplate;
using winlib::DialogTemplate;

namespace winlib::detail
{

namespace
{

int g_unansweredModals = 0;

class DialogBehaviour : public ControlBehaviour
{
public:
    DLGPROC proc = nullptr;
    HFONT font = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    int defId = 0; // 0: the first default push button of the template

    ~DialogBehaviour() override
    {
        if (font)
            DeleteObject(font);
    }

    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (proc)
        {
            const INT_PTR handled = proc(hwnd, message, wParam, lParam);
            if (handled)
                return message == WM_INITDIALOG || message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC ||
                               message == WM_CTLCOLORBTN || message == WM_CTLCOLOREDIT ||
                               message == WM_CTLCOLORLISTBOX
                           ? handled
                           : 0;
        }
        return DefDlgProc(hwnd, message, wParam, lParam);
    }

    LRESULT DefDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        State& s = State::Get();
        switch (message)
        {
        case WM_INITDIALOG:
            return TRUE;
        case DM_GETDEFID:
        {
            int id = defId;
            if (!id)
            {
                for (HWND child : s.Require(hwnd).children)
                {
                    const WindowRecord& c = s.Require(child);
                    if (c.cls->name == "Button" && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    {
                        id = static_cast<int>(c.id);
                        break;
                    }
                }
            }
            return id ? MAKELONG(id, DC_HASDEFID) : 0;
        }
        case DM_SETDEFID:
        {
            const int old = LOWORD(DefDlgProc(hwnd, DM_GETDEFID, 0, 0));
            if (HWND oldButton = old ? GetDlgItem(hwnd, old) : nullptr)
                SendMessage(oldButton, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
            defId = static_cast<int>(wParam);
            if (HWND newButton = GetDlgItem(hwnd, defId))
                SendMessage(newButton, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
            return TRUE;
        }
        case WM_NEXTDLGCTL:
        {
            HWND target;
            if (LOWORD(lParam))
                target = reinterpret_cast<HWND>(wParam);
            else
                target = GetNextDlgTabItem(hwnd, GetFocus(), wParam ? TRUE : FALSE);
            DialogSetFocus(target);
            return 0;
        }
        case WM_SETFOCUS:
        {
            HWND target = s.Require(hwnd).lastFocus;
            if (!target || !IsWindow(target) || !IsChild(hwnd, target))
                target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
            if (target)
                DialogSetFocus(target);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE)
            {
                if (s.focus && IsChild(hwnd, s.focus))
                    s.Require(hwnd).lastFocus = s.focus;
            }
            else if (!s.focus || !IsChild(hwnd, s.focus))
            {
                HWND target = s.Require(hwnd).lastFocus;
                if (!target || !IsWindow(target) || !IsChild(hwnd, target))
                    target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
                if (target)
                    DialogSetFocus(target);
                else
                    SetFocus(hwnd);
            }
            return 0;
        case WM_CLOSE:
            SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
            return 0;
        case WM_ERASEBKGND:
        {
            const HDC hdc = reinterpret_cast<HDC>(wParam);
            HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessage(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
            if (!brush)
                brush = GetSysColorBrush(COLOR_BTNFACE);
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(hdc, &client, brush);
            return 1;
        }
        case WM_GETDLGCODE:
            return 0;
        default:
            return ::DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // Moves the focus as the dialog manager does: an edit gets all its text selected.
    static void DialogSetFocus(HWND target)
    {
        if (!target)
            return;
        if (SendMessage(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
            SendMessage(target, EM_SETSEL, 0, -1);
        SetFocus(target);
    }
};

DialogBehaviour* BehaviourOf(HWND hwnd)
{
    WindowRecord* w = State::Get().Find(hwnd);
    return w ? dynamic_cast<DialogBehaviour*>(w->behaviour.get()) : nullptr;
}

HFONT CreateDialogFont(const DialogTemplate& t)
{
    LOGFONT lf{};
    const std::string face = t.fontFace.empty() ? "MS Shell Dlg" : t.fontFace;
    lf.lfHeight = -MulDiv(t.pointSize ? t.pointSize : 8, 96, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

SIZE BaseUnitsOf(HFONT font)
{
    const HDC hdc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(hdc, font);
    TEXTMETRIC tm{};
    GetTextMetrics(hdc, &tm);
    SIZE size{};
    static const char sample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32(hdc, sample, 52, &size);
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);
    return SIZE{(size.cx / 26 + 1) / 2, tm.tmHeight};
}

CRect MapUnits(const SIZE& base, int x, int y, int cx, int cy)
{
    const int left = MulDiv(x, base.cx, 4);
    const int top = MulDiv(y, base.cy, 8);
    return CRect(left, top, left + MulDiv(cx, base.cx, 4), top + MulDiv(cy, base.cy, 8));
}

} // namespace

HWND CreateFromTemplate(const DialogTemplate& t, HWND parent, CWnd* object, DLGPROC proc, LPARAM initParam,
                        SIZE extraNonClient)
{
    State& s = State::Get();
    const HFONT font = CreateDialogFont(t);
    const SIZE base = BaseUnitsOf(font);
    const CRect clientRect = MapUnits(base, t.x, t.y, t.cx, t.cy);

    DWORD style = t.style & ~WS_VISIBLE;
    DWORD exStyle = t.exStyle;
    if (style & DS_MODALFRAME)
        exStyle |= WS_EX_DLGMODALFRAME;
    if (style & DS_CONTROL)
        exStyle |= WS_EX_CONTROLPARENT;
    const bool child = (style & WS_CHILD) != 0;

    // Window size from the client size and the frame this style draws.
    WindowRecord probe;
    probe.style = style | (child || (style & WS_POPUP) ? 0u : WS_CAPTION);
    probe.exStyle = exStyle;
    const CRect insets = NonClientInsets(probe);
    const int width = clientRect.Width() + insets.left + insets.right + extraNonClient.cx;
    const int height = clientRect.Height() + insets.top + insets.bottom + extraNonClient.cy;
    CPoint position(clientRect.left, clientRect.top);
    if (!child)
    {
        CRect area(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        if (parent && IsWindowVisible(TopLevelOf(parent)))
            GetWindowRect(TopLevelOf(parent), &area);
        if ((style & DS_CENTER) || (t.x == 0 && t.y == 0))
            position = CPoint(area.left + (area.Width() - width) / 2, area.top + (area.Height() - height) / 2);
        else
            position = CPoint(area.left + clientRect.left, area.top + clientRect.top);
        position.x = std::max<LONG>(0, position.x);
        position.y = std::max<LONG>(0, position.y);
    }

    g_creatingObject = object;
    const HWND hwnd = CreateWindowEx(exStyle, "#32770", t.caption.c_str(), style, position.x, position.y, width, height,
                                     parent, nullptr, nullptr, nullptr);
    g_creatingObject = nullptr;
    if (!hwnd)
    {
        DeleteObject(font);
        return nullptr;
    }
    DialogBehaviour* behaviour = BehaviourOf(hwnd);
    behaviour->proc = proc;
    behaviour->font = font;
    SendMessage(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    for (const DialogItemTemplate& item : t.items)
    {
        const CRect r = MapUnits(base, item.x, item.y, item.cx, item.cy);
        const HWND control =
            CreateWindowEx(item.exStyle, item.className.c_str(), item.text.c_str(), (item.style | WS_CHILD),
                           r.left, r.top, r.Width(), r.Height(), hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr);
        if (!control)
        {
            if (!(t.style & DS_NOFAILCREATE))
            {
                DestroyWindow(hwnd);
                return nullptr;
            }
            continue;
        }
        SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (!s.Find(hwnd))
        return nullptr;

    const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    const LRESULT setFocus = SendMessage(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam);
    if (!s.Find(hwnd))
        return nullptr;
    if (setFocus && first && IsWindow(first))
    {
        s.Require(hwnd).lastFocus = first;
        if (!child)
            DialogBehaviour::DialogSetFocus(first);
    }
    if (t.style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return s.Find(hwnd) ? hwnd : nullptr;
}

namespace
{

void CollectControls(HWND parent, std::vector<HWND>& out)
{
    State& s = State::Get();
    for (HWND child : s.Require(parent).children)
    {
        const WindowRecord& c = s.Require(child);
        if ((c.exStyle & WS_EX_CONTROLPARENT) && (c.style & WS_VISIBLE) && !(c.style & WS_DISABLED))
            CollectControls(child, out);
        else
            out.push_back(child);
    }
}

bool IsTabCandidate(HWND hwnd)
{
    const WindowRecord& w = State::Get().Require(hwnd);
    return (w.style & WS_TABSTOP) && (w.style & WS_VISIBLE) && !(w.style & WS_DISABLED);
}

// A window inside a control (a combo box's edit) stands for the control that holds it.
std::vector<HWND>::const_iterator FindControl(const std::vector<HWND>& all, HWND control)
{
    for (HWND h = control; h; h = ::GetParent(h))
    {
        const auto it = std::find(all.begin(), all.end(), h);
        if (it != all.end())
            return it;
        if (!(GetWindowLong(h, GWL_STYLE) & WS_CHILD))
            break;
    }
    return all.end();
}

bool IsGroupCandidate(HWND hwnd)
{
    const WindowRecord& w = State::Get().Require(hwnd);
    return (w.style & WS_VISIBLE) && !(w.style & WS_DISABLED);
}

} // namespace

HWND OwnerFocus(HWND owner)
{
    const HWND focus = GetFocus();
    return (focus && owner && (focus == owner || IsChild(owner, focus))) ? focus : nullptr;
}

void GiveFocusBack(HWND owner, HWND focus)
{
    if (focus && IsWindow(focus) && IsWindow(owner) && GetActiveWindow() == owner &&
        (focus == owner || IsChild(owner, focus)) && IsWindowVisible(focus) && IsWindowEnabled(focus))
        SetFocus(focus);
}

std::vector<HWND> DisableForModal(HWND owner)
{
    std::vector<HWND> disabled;
    const auto disable = [&disabled](HWND top)
    {
        if (IsWindowEnabled(top))
        {
            EnableWindow(top, FALSE);
            disabled.push_back(top);
        }
    };
    if (owner)
        disable(owner);
    const std::vector<HWND> tops = State::Get().topLevels; // enabling and disabling may reorder them
    for (HWND top : tops)
    {
        char cls[16] = {};
        GetClassName(top, cls, sizeof cls);
        if (top != owner && IsWindowVisible(top) && std::strcmp(cls, "#32768") != 0)
            disable(top);
    }
    return disabled;
}

void EnableAfterModal(const std::vector<HWND>& disabled)
{
    for (auto it = disabled.rbegin(); it != disabled.rend(); ++it)
    {
        if (IsWindow(*it))
            EnableWindow(*it, TRUE);
    }
}

void RegisterDialogClass()
{
    State::Get().RegisterBuiltin("#32770", [] { return std::make_unique<DialogBehaviour>(); }, COLOR_BTNFACE,
                                 CS_DBLCLKS | CS_SAVEBITS);
}

HWND CreateDialogWindow(const DialogTemplate& t, HWND parent, CWnd* object, DWORD style, DWORD exStyle,
                        const char* caption, SIZE extraNonClient)
{
    DialogTemplate shaped = t;
    shaped.style = (style & 0xFFFF0000u) | (t.style & DS_SETFONT);
    shaped.exStyle = exStyle;
    shaped.caption = caption ? caption : "";
    return CreateFromTemplate(shaped, parent, object, nullptr, 0, extraNonClient);
}

int UnansweredModals() { return g_unansweredModals; }
void CountUnansweredModal() { ++g_unansweredModals; }

} // namespace winlib::detail

using namespace winlib::detail;

int winlib::UnansweredModalCount() { return UnansweredModals(); }

SIZE DialogBaseUnits(const std::string& face, int pointSize)
{
    DialogTemplate t{};
    t.fontFace = face;
    t.pointSize = static_cast<WORD>(pointSize);
    const HFONT font = CreateDialogFont(t);
    const SIZE base = BaseUnitsOf(font);
    DeleteObject(font);
    return base;
}

HWND CreateDialogIndirectParam(HINSTANCE, const DialogTemplate* dialog, HWND parent, DLGPROC proc, LPARAM initParam)
{
    return dialog ? CreateFromTemplate(*dialog, parent, nullptr, proc, initParam) : nullptr;
}

HWND CreateDialogParam(HINSTANCE instance, UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam)
{
    return CreateDialogIndirectParam(instance, winlib::FindDialogTemplate(templateId), parent, proc, initParam);
}

INT_PTR DialogBoxIndirectParam(HINSTANCE, const DialogTemplate* dialog, HWND parent, DLGPROC proc, LPARAM initParam)
{
    if (!dialog)
        return -1;
    const HWND owner = parent ? TopLevelOf(parent) : nullptr;
    const HWND ownerFocus = OwnerFocus(owner);
    const std::vector<HWND> disabled = DisableForModal(owner);
    DialogTemplate visible = *dialog;
    visible.style |= WS_VISIBLE;
    const HWND hwnd = CreateFromTemplate(visible, owner, nullptr, proc, initParam);
    if (!hwnd)
    {
        EnableAfterModal(disabled);
        return -1;
    }
    DialogBehaviour* behaviour = BehaviourOf(hwnd);
    winlib::ModalRequest request(winlib::ModalKind::Dialog);
    request.window = hwnd;
    request.caption = dialog->caption;
    winlib::PumpPending();
    const winlib::ModalAnswer answer = winlib::AskModalAnswerer(request, nullptr);
    if (answer.answered && IsWindow(hwnd) && !BehaviourOf(hwnd)->ended)
        EndDialog(hwnd, answer.result);
    winlib::RunUntil([hwnd] { return !IsWindow(hwnd) || BehaviourOf(hwnd)->ended; });
    INT_PTR result = IDCANCEL;
    if (IsWindow(hwnd))
    {
        behaviour = BehaviourOf(hwnd);
        if (!behaviour->ended)
        {
            CountUnansweredModal();
            behaviour->result = IDCANCEL;
        }
        result = behaviour->result;
    }
    EnableAfterModal(disabled);
    DestroyWindow(hwnd);
    if (owner && IsWindow(owner))
        SetActiveWindow(owner);
    GiveFocusBack(owner, ownerFocus);
    return result;
}

INT_PTR DialogBoxParam(HINSTANCE instance, UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam)
{
    return DialogBoxIndirectParam(instance, winlib::FindDialogTemplate(templateId), parent, proc, initParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    DialogBehaviour* behaviour = BehaviourOf(dialog);
    if (!behaviour)
        return FALSE;
    behaviour->ended = true;
    behaviour->result = result;
    if (const WindowRecord* w = State::Get().Find(dialog); w && w->object)
        g_objectHooks.endModalLoop(w->object, static_cast<int>(result));
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect)
{
    if (!rect || !IsWindow(dialog))
        return FALSE;
    HFONT font = reinterpret_cast<HFONT>(SendMessage(dialog, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT)));
    const SIZE base = BaseUnitsOf(font);
    rect->left = MulDiv(rect->left, base.cx, 4);
    rect->right = MulDiv(rect->right, base.cx, 4);
    rect->top = MulDiv(rect->top, base.cy, 8);
    rect->bottom = MulDiv(rect->bottom, base.cy, 8);
    return TRUE;
}

LONG GetDialogBaseUnits()
{
    const SIZE base = BaseUnitsOf(static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT))));
    return MAKELONG(base.cx, base.cy);
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    if (!IsWindow(dialog))
        return nullptr;
    std::vector<HWND> all;
    CollectControls(dialog, all);
    if (all.empty())
        return nullptr;
    const int n = static_cast<int>(all.size());
    int start = previous ? 0 : n - 1; // so that the scan begins at the first (last) control
    if (control)
    {
        const auto it = FindControl(all, control);
        if (it != all.end())
            start = static_cast<int>(it - all.begin());
    }
    const int step = previous ? -1 : 1;
    for (int k = 1; k <= n; ++k)
    {
        const HWND candidate = all[static_cast<std::size_t>(((start + step * k) % n + n) % n)];
        if (IsTabCandidate(candidate))
            return candidate;
    }
    return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous)
{
    if (!IsWindow(dialog))
        return nullptr;
    std::vector<HWND> all;
    CollectControls(dialog, all);
    const auto it = FindControl(all, control);
    if (it == all.end())
        return control;
    State& s = State::Get();
    // The group runs from the control with WS_GROUP at or before this one to the next WS_GROUP.
    std::size_t first = static_cast<std::size_t>(it - all.begin());
    while (first > 0 && !(s.Require(all[first]).style & WS_GROUP))
        --first;
    std::size_t last = first + 1;
    while (last < all.size() && !(s.Require(all[last]).style & WS_GROUP))
        ++last;
    const int size = static_cast<int>(last - first);
    const int index = static_cast<int>(it - all.begin()) - static_cast<int>(first);
    for (int k = 1; k < size; ++k)
    {
        const int next = ((index + (previous ? -k : k)) % size + size) % size;
        const HWND candidate = all[first + static_cast<std::size_t>(next)];
        if (IsGroupCandidate(candidate))
            return candidate;
    }
    return control;
}

BOOL IsDialogMessage(HWND dialog, LPMSG msg)
{
    State& s = State::Get();
    if (!msg || !s.Find(dialog) || !msg->hwnd || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)))
        return FALSE;
    const HWND root = dialog;
    switch (msg->message)
    {
    case WM_KEYDOWN:
    {
        const UINT code = static_cast<UINT>(SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)));
        if (code & DLGC_WANTALLKEYS)
            break;
        switch (msg->wParam)
        {
        case VK_TAB:
            if (code & DLGC_WANTTAB)
                break;
            DialogBehaviour::DialogSetFocus(
                GetNextDlgTabItem(root, GetFocus(), (GetKeyState(VK_SHIFT) & 0x8000) ? TRUE : FALSE));
            return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        {
            if (code & DLGC_WANTARROWS)
                break;
            const bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
            if (HWND next = GetNextDlgGroupItem(root, GetFocus(), back ? TRUE : FALSE); next && next != GetFocus())
            {
                DialogBehaviour::DialogSetFocus(next);
                if (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
                    SendMessage(next, BM_CLICK, 0, 0);
            }
            return TRUE;
        }
        case VK_RETURN:
        {
            int id = IDOK;
            HWND button = nullptr;
            const HWND focus = GetFocus();
            const UINT focusCode = focus ? static_cast<UINT>(SendMessage(focus, WM_GETDLGCODE, 0, 0)) : 0;
            if (focus && (focusCode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsChild(dialog, focus))
            {
                button = focus;
                id = GetDlgCtrlID(focus);
            }
            else
            {
                const LRESULT def = SendMessage(dialog, DM_GETDEFID, 0, 0);
                if (HIWORD(def) == DC_HASDEFID)
                    id = LOWORD(def);
                button = GetDlgItem(dialog, id);
            }
            if (!button || IsWindowEnabled(button))
                SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            else
                MessageBeep(0);
            return TRUE;
        }
        case VK_ESCAPE:
        {
            const HWND cancel = GetDlgItem(dialog, IDCANCEL);
            if (!cancel || IsWindowEnabled(cancel))
                SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
            return TRUE;
        }
        default:
            break;
        }
        break;
    }
    case WM_CHAR:
    {
        // The characters of the navigation keys belong to the dialog unless the control wants them.
        const WPARAM ch = msg->wParam;
        if (ch == '\t' || ch == '\r' || ch == 0x1B)
        {
            const UINT code = static_cast<UINT>(SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)));
            if (!(code & (DLGC_WANTALLKEYS | DLGC_WANTCHARS)) && !(ch == '\t' && (code & DLGC_WANTTAB)))
                return TRUE;
        }
        break;
    }
    default:
        break;
    }
    DispatchMessage(msg);
    return TRUE;
}
