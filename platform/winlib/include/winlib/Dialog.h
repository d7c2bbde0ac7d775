// Dialogs made from templates: modeless and modal, dialog data exchange, and the dialog
// manager's keyboard handling (Tab, arrows, Enter to the default button, Escape).
#pragma once

#include "winlib/Resources.h"
#include "winlib/Wnd.h"

#include <string>

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

HWND CreateDialogIndirectParam(HINSTANCE instance, const winlib::DialogTemplate* dialog, HWND parent, DLGPROC proc,
                               LPARAM initParam);
INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const winlib::DialogTemplate* dialog, HWND parent, DLGPROC proc,
                               LPARAM initParam);
HWND CreateDialogParam(HINSTANCE instance, UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam);
INT_PTR DialogBoxParam(HINSTANCE instance, UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam);

// The base units of a dialog font: average character width and height in pixels.
SIZE DialogBaseUnits(const std::string& face, int pointSize);

class CDataExchange
{
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Stops the exchange: the focus goes to the control last prepared.
    [[noreturn]] void Fail();
};

void DDX_Text(CDataExchange* dx, int id, std::string& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
void DDX_LBString(CDataExchange* dx, int id, std::string& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_CBString(CDataExchange* dx, int id, std::string& value);
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDV_MaxChars(CDataExchange* dx, const std::string& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    using CWnd::Create;
    // Modeless.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL CreateIndirect(const winlib::DialogTemplate* dialog, CWnd* parent = nullptr);
    // Modal: runs until EndDialog; returns its result, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);
    void SetDefID(UINT id);
    DWORD GetDefID() const;
    BOOL IsModal() const { return m_bModal; }

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

    UINT m_nIDHelp = 0;
    UINT m_nIDTemplate = 0;
    const winlib::DialogTemplate* m_lpDialogTemplate = nullptr;
    CWnd* m_pParentWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL m_bModal = FALSE;
};
