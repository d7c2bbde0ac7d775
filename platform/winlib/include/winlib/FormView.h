// Form views: a view whose window is a dialog made from a template, with the dialog
// manager's keyboard and dialog data exchange; and the docking library's form view.
#pragma once

#include "winlib/Frame.h"

class CFormView : public CView
{
    DECLARE_DYNAMIC(CFormView)
public:
    explicit CFormView(UINT templateId);

    // Makes the template's dialog as the view's window, at 'rect' in the parent.
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, LPVOID param = nullptr) override;
    using CView::CreateEx;
    UINT GetTemplateId() const { return m_nIDTemplate; }

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // The first update fills the controls from the members.
    void OnInitialUpdate() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    UINT m_nIDTemplate;
};

class CBCGPFormView : public CFormView
{
    DECLARE_DYNAMIC(CBCGPFormView)
public:
    explicit CBCGPFormView(UINT templateId) : CFormView(templateId) {}
};
