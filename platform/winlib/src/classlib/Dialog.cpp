// CDialog and dialog data exchange.
#include "DataExchange.h"
#include "DialogInternal.h"
#include "Internal.h"
#include "winlib/Modal.h"
#include "winlib/Runtime.h"

#include <cstdlib>
#include <cstring>

using winlib::DialogTemplate;
using namespace winlib::detail;

// ---- CDialog ----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    return CreateIndirect(winlib::FindDialogTemplate(templateId), parent);
}

BOOL CDialog::CreateIndirect(const DialogTemplate* dialog, CWnd* parent)
{
    if (!dialog)
        return FALSE;
    m_lpDialogTemplate = dialog;
    if (parent)
        m_pParentWnd = parent;
    const HWND owner =
        m_pParentWnd ? m_pParentWnd->m_hWnd : (AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr);
    return CreateFromTemplate(*dialog, owner, this, nullptr, 0) ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal()
{
    const DialogTemplate* dialog =
        m_lpDialogTemplate ? m_lpDialogTemplate : winlib::FindDialogTemplate(m_nIDTemplate);
    if (!dialog)
        return -1;
    HWND owner = m_pParentWnd ? TopLevelOf(m_pParentWnd->m_hWnd) : ::GetActiveWindow();
    if (!owner && AfxGetMainWnd())
        owner = AfxGetMainWnd()->m_hWnd;
    const HWND ownerFocus = OwnerFocus(owner);
    const std::vector<HWND> disabled = DisableForModal(owner);

    m_bModal = TRUE;
    m_nModalResult = -1;
    DialogTemplate shown = *dialog;
    shown.style |= WS_VISIBLE;
    shown.style &= ~WS_CHILD;
    if (!(shown.style & WS_POPUP))
        shown.style |= WS_POPUP;
    if (!CreateFromTemplate(shown, owner, this, nullptr, 0))
    {
        EnableAfterModal(disabled);
        m_bModal = FALSE;
        return -1;
    }
    const HWND self = m_hWnd;
    m_bModalLoopActive = TRUE;
    winlib::PumpPending();
    if (::IsWindow(self) && m_bModalLoopActive)
    {
        winlib::ModalRequest request(winlib::ModalKind::Dialog);
        request.window = self;
        request.caption = dialog->caption;
        const winlib::ModalAnswer answer = winlib::AskModalAnswerer(request, nullptr);
        if (answer.answered && ::IsWindow(self) && m_bModalLoopActive)
            EndDialog(static_cast<int>(answer.result));
    }
    if (::IsWindow(self) && m_bModalLoopActive)
        winlib::RunUntil([this, self] { return !::IsWindow(self) || !ContinueModal(); });
    if (::IsWindow(self) && m_bModalLoopActive)
    {
        // Nobody is there to close it (headless, unanswered): it is cancelled.
        CountUnansweredModal();
        EndDialog(IDCANCEL);
    }
    m_bModalLoopActive = FALSE;
    const INT_PTR result = m_nModalResult;
    if (::IsWindow(self))
        ::SetWindowPos(self, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    EnableAfterModal(disabled);
    if (owner && ::IsWindow(owner))
        ::SetActiveWindow(owner);
    if (::IsWindow(self))
        ::DestroyWindow(self);
    GiveFocusBack(owner, ownerFocus);
    m_bModal = FALSE;
    return result;
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
    if (!m_bModal && m_hWnd)
        ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

namespace
{
struct DataExchangeFailure
{
};
} // namespace

bool winlib::detail::RunDataExchange(CWnd* window, BOOL saveAndValidate,
                                     const std::function<void(CDataExchange*)>& exchange)
{
    CDataExchange dx(window, saveAndValidate);
    try
    {
        exchange(&dx);
    }
    catch (const DataExchangeFailure&)
    {
        return false;
    }
    return true;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    return RunDataExchange(this, saveAndValidate, [this](CDataExchange* dx) { DoDataExchange(dx); }) ? TRUE
                                                                                                     : FALSE;
}

void CDialog::NextDlgCtrl() const
{
    ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 0, 0);
}
void CDialog::PrevDlgCtrl() const
{
    ::SendMessage(m_hWnd, WM_NEXTDLGCTL, 1, 0);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control)
        ::SendMessage(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), 1);
}

void CDialog::SetDefID(UINT id)
{
    ::SendMessage(m_hWnd, DM_SETDEFID, id, 0);
}
DWORD CDialog::GetDefID() const
{
    return static_cast<DWORD>(::SendMessage(m_hWnd, DM_GETDEFID, 0, 0));
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (CWnd::PreTranslateMessage(msg))
        return TRUE;
    const bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    const bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (!keyboard && !mouse)
        return FALSE;
    // A child dialog leaves navigation to the dialog around it.
    if ((GetStyle() & WS_CHILD) && (GetExStyle() & WS_EX_CONTROLPARENT) && ::GetParent(m_hWnd))
        return FALSE;
    return ::IsDialogMessage(m_hWnd, msg);
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITDIALOG)
    {
        *result = OnInitDialog();
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo)
{
    if (nCode == CN_COMMAND && !pExtra && !pHandlerInfo)
    {
        if (nID == IDOK)
        {
            OnOK();
            return TRUE;
        }
        if (nID == IDCANCEL)
        {
            OnCancel();
            return TRUE;
        }
    }
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- Dialog data exchange ---------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int id)
{
    const HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_hWndLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    const HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl)
    {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessage(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw DataExchangeFailure{};
}

void DDX_Text(CDataExchange* dx, int id, std::string& value)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = ::GetWindowTextString(control);
    else
        ::SetWindowText(control, value.c_str());
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate)
    {
        ::SetWindowText(control, std::to_string(value).c_str());
        return;
    }
    const std::string text = ::GetWindowTextString(control);
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    while (end && *end == ' ')
        ++end;
    if (text.empty() || !end || *end != '\0' || parsed < -2147483647L - 1 || parsed > 2147483647L)
    {
        AfxMessageBox("Please enter an integer.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<int>(parsed);
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    const HWND control = dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate)
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*g", 15, value);
        ::SetWindowText(control, buffer);
        return;
    }
    const std::string text = ::GetWindowTextString(control);
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    while (end && *end == ' ')
        ++end;
    if (text.empty() || !end || *end != '\0')
    {
        AfxMessageBox("Please enter a number.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = parsed;
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    const HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessage(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessage(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = -1;
    // The group runs from this button to the next control that starts a group.
    int index = 0;
    for (HWND h = control; h; h = ::GetWindow(h, GW_HWNDNEXT), ++index)
    {
        if (index > 0 && (::GetWindowLong(h, GWL_STYLE) & WS_GROUP))
            break;
        if (dx->m_bSaveAndValidate)
        {
            if (::SendMessage(h, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        }
        else
            ::SendMessage(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index)
{
    const HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessage(control, LB_GETCURSEL, 0, 0));
    else
        ::SendMessage(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_LBString(CDataExchange* dx, int id, std::string& value)
{
    const HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
    {
        const LRESULT index = ::SendMessage(control, LB_GETCURSEL, 0, 0);
        value.clear();
        if (index != LB_ERR)
        {
            const LRESULT length = ::SendMessage(control, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
            value.assign(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
            ::SendMessage(control, LB_GETTEXT, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(value.data()));
            value.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        }
    }
    else if (::SendMessage(control, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(value.c_str())) == LB_ERR)
        ::SendMessage(control, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    const HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessage(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessage(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int id, std::string& value)
{
    const HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
    {
        const LRESULT index = ::SendMessage(control, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR)
        {
            value = ::GetWindowTextString(control);
            return;
        }
        const LRESULT length = ::SendMessage(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        value.assign(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        ::SendMessage(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(value.data()));
        value.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
    }
    else if (::SendMessage(control, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(value.c_str())) == CB_ERR)
        ::SetWindowText(control, value.c_str());
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    const HWND item = dx->PrepareCtrl(id);
    if (!item || !control.SubclassWindow(item))
        dx->Fail();
}

void DDV_MaxChars(CDataExchange* dx, const std::string& value, int maxChars)
{
    if (dx->m_bSaveAndValidate)
    {
        if (static_cast<int>(value.size()) > maxChars)
        {
            AfxMessageBox("Enter no more than " + std::to_string(maxChars) + " characters.",
                          MB_ICONEXCLAMATION);
            dx->Fail();
        }
    }
    else if (dx->m_hWndLastControl && dx->m_bEditLastControl)
        ::SendMessage(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue)
{
    if (dx->m_bSaveAndValidate && (value < minValue || value > maxValue))
    {
        AfxMessageBox("Enter an integer between " + std::to_string(minValue) + " and " +
                          std::to_string(maxValue) + ".",
                      MB_ICONEXCLAMATION);
        dx->Fail();
    }
}
