// The application object: its main window and name, as the class library keeps them.
#pragma once

#include "winlib/Wnd.h"

#include <string>

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // Runs the message loop until WM_QUIT.
    virtual int Run();
};

CWinApp* AfxGetApp();
LPCSTR AfxGetAppName();
