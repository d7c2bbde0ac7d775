// CFormView and CBCGPFormView: views made from dialog templates.
#include "winlib/FormView.h"

#include "DataExchange.h"
#include "DialogInternal.h"

IMPLEMENT_DYNAMIC(CFormView, CView)
IMPLEMENT_DYNAMIC(CBCGPFormView, CFormView)

CFormView::CFormView(UINT templateId) : m_nIDTemplate(templateId) {}

BOOL CFormView::CreateEx(DWORD exStyle, LPCSTR, LPCSTR windowName, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id, LPVOID)
{
    const winlib::DialogTemplate* dialog = winlib::FindDialogTemplate(m_nIDTemplate);
    if (!dialog || !parent || !parent->m_hWnd || m_hWnd)
        return FALSE;
    const DWORD windowStyle = (style | WS_CHILD) & ~(WS_POPUP | WS_CAPTION);
    if (!winlib::detail::CreateDialogWindow(*dialog, parent->m_hWnd, this, windowStyle, exStyle, windowName,
                                            SIZE{0, 0}))
        return FALSE;
    SetDlgCtrlID(static_cast<int>(id));
    const CRect r(rect);
    SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    return m_hWnd ? TRUE : FALSE;
}

BOOL CFormView::UpdateData(BOOL saveAndValidate)
{
    return winlib::detail::RunDataExchange(this, saveAndValidate,
                                           [this](CDataExchange* dx) { DoDataExchange(dx); })
               ? TRUE
               : FALSE;
}

void CFormView::DoDataExchange(CDataExchange*) {}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
    CView::OnInitialUpdate();
}

BOOL CFormView::PreTranslateMessage(MSG* msg)
{
    if (CView::PreTranslateMessage(msg))
        return TRUE;
    if (!m_hWnd || !msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessage(m_hWnd, msg);
}

BOOL CFormView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITDIALOG)
    {
        // The controls are filled by the first update, not here.
        *result = TRUE;
        return TRUE;
    }
    return CView::OnWndMsg(message, wParam, lParam, result);
}
