// CBCGPDialogBar: a docking bar that is itself a dialog made from a template, and the
// docking library's dialog base.
#include "DataExchange.h"
#include "DialogInternal.h"
#include "FrameInternal.h"

IMPLEMENT_DYNAMIC(CBCGPDialogBar, CBCGPDockingControlBar)
IMPLEMENT_DYNAMIC(CBCGPDialog, CDialog)

CBCGPDialogBar::CBCGPDialogBar() = default;

CBCGPDialogBar::~CBCGPDialogBar() = default;

BOOL CBCGPDialogBar::Create(LPCSTR windowName, CWnd* parent, BOOL hasGripper, UINT templateId, UINT style, UINT id)
{
    const winlib::DialogTemplate* dialog = winlib::FindDialogTemplate(templateId);
    if (!dialog || !parent || !parent->m_hWnd || m_hWnd)
        return FALSE;
    m_dwStyle = style & CBRS_ALL;
    m_bHasGripper = hasGripper || (style & CBRS_GRIPPER) ? TRUE : FALSE;
    // CBRS_GRIPPER shares its bit with WS_DLGFRAME: no bar bit may reach the window.
    const DWORD windowStyle = (style & ~CBRS_ALL) | WS_CHILD;

    const SIZE base = DialogBaseUnits(dialog->fontFace.empty() ? "MS Shell Dlg" : dialog->fontFace,
                                      dialog->pointSize ? dialog->pointSize : 8);
    m_sizeDefault = CSize(MulDiv(dialog->cx, base.cx, 4), MulDiv(dialog->cy, base.cy, 8));
    SIZE gripper{0, 0};
    if (m_bHasGripper)
        (winlib::detail::GripperOnLeft(m_dwStyle) ? gripper.cx : gripper.cy) = kGripperBand;

    const DWORD exStyle = dialog->exStyle & ~WS_EX_DLGMODALFRAME;
    if (!winlib::detail::CreateDialogWindow(*dialog, parent->m_hWnd, this, windowStyle, exStyle, windowName, gripper))
        return FALSE;
    SetDlgCtrlID(static_cast<int>(id));
    return m_hWnd ? TRUE : FALSE;
}

LRESULT CBCGPDialogBar::HandleInitDialog(WPARAM, LPARAM)
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CBCGPDialogBar::UpdateData(BOOL saveAndValidate)
{
    return winlib::detail::RunDataExchange(this, saveAndValidate, [this](CDataExchange* dx) { DoDataExchange(dx); })
               ? TRUE
               : FALSE;
}

void CBCGPDialogBar::DoDataExchange(CDataExchange*) {}

CSize CBCGPDialogBar::CalcFixedLayout(BOOL stretch, BOOL horizontal)
{
    const CSize size = (m_sizeDocked.cx > 0 && m_sizeDocked.cy > 0) ? m_sizeDocked : m_sizeDefault;
    const int band = m_bHasGripper ? kGripperBand : 0;
    if (horizontal)
        return CSize(stretch ? 32767 : size.cx, size.cy + band);
    return CSize(size.cx + band, stretch ? 32767 : size.cy);
}

CSize CBCGPDialogBar::CalcFloatingSize()
{
    if (!m_rectFloating.IsRectEmpty())
        return winlib::detail::MiniFrameClientSize(m_rectFloating.Size());
    return m_sizeDefault;
}

BOOL CBCGPDialogBar::PreTranslateMessage(MSG* msg)
{
    if (CBCGPDockingControlBar::PreTranslateMessage(msg))
        return TRUE;
    if (!m_hWnd || !msg || !msg->hwnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    // The frames around the bar see their keys (accelerators) before the dialog manager
    // takes every key of the bar's controls; while floating they are not on the way up.
    for (HWND frame = m_pDockFrame ? m_pDockFrame->m_hWnd : nullptr; frame; frame = ::GetParent(frame))
    {
        if (CWnd* object = CWnd::FromHandlePermanent(frame); object && object->PreTranslateMessage(msg))
            return TRUE;
        if (!(::GetWindowLong(frame, GWL_STYLE) & WS_CHILD))
            break;
    }
    return ::IsDialogMessage(m_hWnd, msg);
}

BOOL CBCGPDialogBar::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITDIALOG)
    {
        *result = HandleInitDialog(wParam, lParam);
        return TRUE;
    }
    return CBCGPDockingControlBar::OnWndMsg(message, wParam, lParam, result);
}
