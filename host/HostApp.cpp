#include "host/HostApp.h"

#include "host/HostServices.h"
#include "oms/Publication.h"
#include "oms/StoreError.h"
#include "protocol/Functions.h"
#include "protocol/Visibility.h"
#include "winlib/Runtime.h"

#include <stdexcept>

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
    services.Log("Kivo Terminal started for " + m_options.profile.userId + " of broker " +
                 m_options.profile.brokerId);

    if (!m_options.server.bus.empty())
    {
        connect::BusOptions bus;
        bus.url = m_options.server.bus;
        bus.user = m_options.profile.userId;
        bus.clientName = "kivo-host " + m_options.profile.userId;
        bus.caFile = m_options.server.busCa;
        try
        {
            if (!m_options.server.busCredentials.empty())
            {
                bus.LoadCredentials(m_options.server.busCredentials);
                // The bus knows the user by his credentials; a terminal of another user would
                // have every request refused.
                if (bus.user != m_options.profile.userId)
                    throw std::invalid_argument(m_options.server.busCredentials +
                                                " are the bus credentials of " + bus.user + ", not of " +
                                                m_options.profile.userId);
            }
            m_bus = std::make_unique<connect::NatsTransport>(bus);
        }
        catch (const std::invalid_argument& error)
        {
            m_startError = error.what();
            services.Log(m_startError);
            return FALSE;
        }
        // The bus may come later: requests are refused until it does, and the subscriptions
        // start with it.
        services.Log("Message bus: " + bus.url + (m_bus->Connected() ? "" : " (not reachable yet)") +
                     (bus.password.empty() ? " without credentials: an unsecured bus" : ""));
    }
    else if (m_options.server.embedded)
    {
        try
        {
            m_server = std::make_unique<EmbeddedServer>(m_options.server, m_options.profile,
                                                        !m_options.script.empty(), m_transport);
        }
        catch (const oms::StoreError& error)
        {
            m_startError = error.what();
            services.Log(m_startError);
            return FALSE;
        }
        services.Log(m_server->Describe());
    }

    const UserProfile& profile = m_options.profile;
    m_controls = m_bus ? std::make_unique<connect::ControlFactory>(*m_bus)
                       : std::make_unique<connect::ControlFactory>(m_transport);
    m_controls->SetSession({profile.userId, profile.brokerId, profile.privilege});
    // The server closes a request with a status other than 0 when it refused or failed it (a
    // decision on one's own request, or on one decided already): the user reads why here. What
    // it did for a decision or a recovery is confirmed the same way, so that the user learns
    // every outcome, not only the failures; the answers to detail queries are the details shown.
    m_controls->SetClosingObserver(
        [](const connect::Message& closing)
        {
            const std::size_t count = closing.ValueCount(connect::kClosingField);
            const std::string* code = closing.Value(connect::kClosingField, 0);
            const std::string* text = closing.Value(connect::kClosingField, count - 1);
            const std::string* function = closing.Value(connect::kReplyFunctionField);
            const bool confirms = function && (*function == protocol::kDecisionFunction ||
                                               *function == protocol::kRecoveryFunction);
            if (code && (*code != "0" || confirms))
                HostServices::Get().Log("Server: " + (text ? *text : *code));
        });
    services.controls = m_controls.get();
    services.publishToPlugin = [this](MnmHndl message) { m_plugin.Publish(message); };
    // Until the plug-in subscribes itself (a console made by the hot key does), the terminal
    // hands it the requests its user may see, as the terminal always has.
    if (const auto filter = protocol::VisibilityFilter(profile.privilege, profile.userId, profile.brokerId))
    {
        m_controls->Subscribe(
            *filter,
            [this](MnmHndl message)
            {
                if (!m_controls->AnyControlSubscribed())
                    m_plugin.Publish(message);
            },
            &m_hostSubscription);
    }
    if (m_server)
        m_server->Start();

    m_frame = std::make_unique<CMainFrame>(m_plugin);
    if (!m_frame->CreateFrame(m_options.place))
    {
        services.Log("The main frame could not be created");
        return FALSE;
    }
    m_pMainWnd = m_frame.get();
    m_frame->ShowWindow(SW_SHOW);
    m_frame->UpdateWindow();

    if (m_plugin.Load(m_options.pluginPath))
        m_plugin.Start();
    // The focus starts where there is something to do: the console, once the plug-in made it.
    if (m_frame->m_hWnd && ::GetActiveWindow() == m_frame->m_hWnd)
        m_frame->SetFocus();
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
    m_server.reset();
    m_bus.reset();
    return 0;
}

} // namespace host
