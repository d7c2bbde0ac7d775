// The terminal application: the messaging transport with its embedded server side, the
// control factory the plug-in gets its receiver controls from, the main frame and the
// plug-in.
#pragma once

#include "connect/ControlFactory.h"
#include "connect/InProcessTransport.h"
#include "connect/NatsTransport.h"
#include "host/EmbeddedServer.h"
#include "host/HostOptions.h"
#include "host/MainFrame.h"
#include "host/PluginHost.h"
#include "winlib/App.h"

#include <memory>

namespace host
{

class CKivoHostApp : public CWinApp
{
public:
    explicit CKivoHostApp(HostOptions options);
    ~CKivoHostApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    CMainFrame* Frame() { return m_frame.get(); }
    PluginHost& Plugin() { return m_plugin; }
    // The embedded server's road (idle when the terminal is on the message bus).
    connect::InProcessTransport& Transport() { return m_transport; }
    // Null unless the terminal meets its server on the message bus (--bus).
    connect::NatsTransport* Bus() { return m_bus.get(); }
    const HostOptions& Options() const { return m_options; }
    // Null when the terminal runs without its server.
    EmbeddedServer* Server() { return m_server.get(); }
    // Why InitInstance failed, in words for the user; empty when it did not.
    const std::string& StartError() const { return m_startError; }

private:
    HostOptions m_options;
    connect::InProcessTransport m_transport;
    std::unique_ptr<connect::NatsTransport> m_bus;
    std::unique_ptr<EmbeddedServer> m_server;
    std::unique_ptr<connect::ControlFactory> m_controls;
    std::uint64_t m_hostSubscription = 0;
    std::string m_startError;
    PluginHost m_plugin;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace host
