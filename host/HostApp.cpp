#include "host/HostApp.h"

#include "host/HostServices.h"
#include "winlib/Runtime.h"

namespace host
{

CKivoHostApp::CKivoHostApp(HostOptions options) : CWinApp("Kivo Terminal"), m_options(std::move(options)) {}

CKivoHostApp::~CKivoHostApp()
{
    ExitInstance();
}

BOOL CKivoHostApp::InitInstance()
{
    HostServices& services = HostServices::Get();
    services.profile = m_options.profile;
    services.Log("Kivo Terminal started for " + m_options.profile.userId + " of broker " + m_options.profile.brokerId);

    m_controls = std::make_unique<connect::ControlFactory>(m_transport);
    services.controls = m_controls.get();
    services.publishToPlugin = [this](MnmHndl message) { m_plugin.Publish(message); };

    m_frame = std::make_unique<CMainFrame>(m_plugin);
    if (!m_frame->CreateFrame())
    {
        services.Log("The main frame could not be created");
        return FALSE;
    }
    m_pMainWnd = m_frame.get();
    m_frame->ShowWindow(SW_SHOW);
    m_frame->UpdateWindow();

    if (m_plugin.Load(m_options.pluginPath))
        m_plugin.Start();
    return TRUE;
}

int CKivoHostApp::ExitInstance()
{
    m_plugin.Stop();
    if (m_frame && m_frame->m_hWnd)
        m_frame->DestroyWindow();
    m_frame.reset();
    m_pMainWnd = nullptr;
    HostServices& services = HostServices::Get();
    services.publishToPlugin = nullptr;
    services.controls = nullptr;
    m_controls.reset();
    return 0;
}

} // namespace host
